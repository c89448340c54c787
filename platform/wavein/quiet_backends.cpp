#include <wavein/quiet_backends.h>

#include <QLoggingCategory>

#include <alsa/asoundlib.h>
#include <dlfcn.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

namespace wavein {

namespace {

Q_LOGGING_CATEGORY(backendLog, "vellarin.wavein.backend", QtWarningMsg)

void alsaMessage(const char* file, int line, const char* function, int err, const char* format, ...)
{
    if (!backendLog().isDebugEnabled())
        return;
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    qCDebug(backendLog, "ALSA %s:%d (%s) %s%s%s", file, line, function, text, err ? ": " : "", err ? snd_strerror(err) : "");
}

void jackMessage(const char* text)
{
    qCDebug(backendLog, "JACK %s", text);
}

// JACK is reached only through PortAudio and may be absent, so its hooks are
// looked up in what is already loaded rather than linked.
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
        snd_lib_error_set_handler(&alsaMessage);
        quietJack();
        return true;
    }();
    (void)done;
}

}  // namespace wavein
