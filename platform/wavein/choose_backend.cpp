#include <wavein/server_wavein.h>

namespace wavein {

namespace {
// A server that is there answers within milliseconds; one that is not
// refuses the connection at once. Only a frozen one takes all of this.
constexpr std::chrono::milliseconds serverConnectTime{1000};
}  // namespace

std::unique_ptr<WaveInApi> createSystemWaveIn(Backend backend)
{
    switch (backend) {
    case Backend::server: return createServerWaveIn(std::chrono::milliseconds(0));
    case Backend::alsa: return createPortAudioWaveIn();
    case Backend::automatic:
    case Backend::file:  // a file is opened as such, never asked for as the system's
        break;
    }
    if (auto server = createServerWaveIn(serverConnectTime))
        return server;
    return createPortAudioWaveIn();
}

}  // namespace wavein
