#include <wavein/portaudio_library.h>

#include <dlfcn.h>

namespace wavein {

namespace {

template <class Function> bool find(void* library, const char* name, Function& function)
{
    function = reinterpret_cast<Function>(dlsym(library, name));
    return function != nullptr;
}

const PortAudioLibrary* load()
{
    void* library = dlopen("libportaudio.so.2", RTLD_NOW | RTLD_GLOBAL);
    if (!library)
        return nullptr;
    // Kept for the life of the process, as a linked library would be.
    static PortAudioLibrary pa{};
    const bool complete = find(library, "Pa_Initialize", pa.initialize) && find(library, "Pa_Terminate", pa.terminate)
        && find(library, "Pa_GetDeviceCount", pa.deviceCount) && find(library, "Pa_GetDeviceInfo", pa.deviceInfo)
        && find(library, "Pa_GetDefaultInputDevice", pa.defaultInputDevice)
        && find(library, "Pa_IsFormatSupported", pa.isFormatSupported) && find(library, "Pa_OpenStream", pa.openStream)
        && find(library, "Pa_StartStream", pa.startStream) && find(library, "Pa_IsStreamStopped", pa.isStreamStopped)
        && find(library, "Pa_AbortStream", pa.abortStream) && find(library, "Pa_CloseStream", pa.closeStream)
        && find(library, "Pa_IsStreamActive", pa.isStreamActive);
    return complete ? &pa : nullptr;
}

}  // namespace

const PortAudioLibrary* portAudioLibrary()
{
    static const PortAudioLibrary* const loaded = load();
    return loaded;
}

}  // namespace wavein
