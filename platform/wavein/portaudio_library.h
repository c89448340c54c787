#pragma once
// PortAudio, and ALSA and JACK beneath it, loaded the first time a program
// records through it: a program that records from the sound server never
// maps them.
#include <portaudio.h>

namespace wavein {

struct PortAudioLibrary {
    decltype(&Pa_Initialize) initialize;
    decltype(&Pa_Terminate) terminate;
    decltype(&Pa_GetDeviceCount) deviceCount;
    decltype(&Pa_GetDeviceInfo) deviceInfo;
    decltype(&Pa_GetDefaultInputDevice) defaultInputDevice;
    decltype(&Pa_IsFormatSupported) isFormatSupported;
    decltype(&Pa_OpenStream) openStream;
    decltype(&Pa_StartStream) startStream;
    decltype(&Pa_IsStreamStopped) isStreamStopped;
    decltype(&Pa_AbortStream) abortStream;
    decltype(&Pa_CloseStream) closeStream;
    decltype(&Pa_IsStreamActive) isStreamActive;
};

// Loads the library once, with its symbols visible to later look-ups (the
// hooks that quiet ALSA and JACK); null where it is missing or incomplete.
const PortAudioLibrary* portAudioLibrary();

}  // namespace wavein
