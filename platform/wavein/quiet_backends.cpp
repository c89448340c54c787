#include <wavein/quiet_backends.h>

#include <wavein/portaudio_library.h>

#include <QLoggingCategory>

#include <alsa/asoundlib.h>
#include <dlfcn.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

namespace wavein {

namespace {

Q_LOGGING_CATEGORY(backendLog, "vellarin.wavein.backend", QtWarningMsg)

using ErrorText = const char* (*)(int);
ErrorText alsaErrorText = nullptr;

void alsaMessage(const char* file, int line, const char* function, int err, const char* format, ...)
{
    if (!backendLog().isDebugEnabled())
        return;
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    qCDebug(backendLog, "ALSA %s:%d (%s) %s%s%s", file, line, function, text, err ? ": " : "", err && alsaErrorText ? alsaErrorText(err) : "");
}

void jackMessage(const char* text)
{
    qCDebug(backendLog, "JACK %s", text);
}

// ALSA and JACK are reached only through PortAudio, and JACK may be absent,
// so their hooks are looked up in what PortAudio brought rather than linked.
void quietAlsa()
{
    alsaErrorText = reinterpret_cast<ErrorText>(dlsym(RTLD_DEFAULT, "snd_strerror"));
    if (auto set = reinterpret_cast<int (*)(snd_lib_error_handler_t)>(dlsym(RTLD_DEFAULT, "snd_lib_error_set_handler")))
        set(&alsaMessage);
}

void quietJack()
{
    using SetHandler = void (*)(void (*)(const char*));
    for (const char* name : {"jack_set_error_function", "jack_set_info_function"}) {
        if (auto set = reinterpret_cast<SetHandler>(dlsym(RTLD_DEFAULT, name)))
            set(&jackMessage);
    }
}

}  // namespace

void quietSoundBackends()
{
    static const bool done = [] {
        setenv("JACK_NO_START_SERVER", "1", 1);
        portAudioLibrary();
        quietAlsa();
        quietJack();
        return true;
    }();
    (void)done;
}

}  // namespace wavein
