#include "ending_signals.h"

#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace vellarin {

namespace {

constexpr int endingSignals[] = {SIGTERM, SIGINT};

// [0] the handler writes, [1] the event loop reads.
int wakeSockets[2] = {-1, -1};

void onEndingSignal(int)
{
    const char byte = 1;
    // A full socket already has a wake-up waiting.
    [[maybe_unused]] const ssize_t written = ::write(wakeSockets[0], &byte, 1);
}

}  // namespace

EndingSignals::EndingSignals(std::function<void()> end, QObject* parent) : QObject(parent), m_end(std::move(end))
{
    if (wakeSockets[0] >= 0 || ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, wakeSockets) != 0)
        return;
    m_notifier = new QSocketNotifier(wakeSockets[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        char bytes[16];
        while (::read(wakeSockets[1], bytes, sizeof bytes) > 0) {
        }
        m_end();
    });
    struct sigaction action {};
    action.sa_handler = onEndingSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int s : endingSignals)
        sigaction(s, &action, nullptr);
}

EndingSignals::~EndingSignals()
{
    if (!m_notifier)
        return;
    for (int s : endingSignals)
        std::signal(s, SIG_DFL);
    delete m_notifier;
    m_notifier = nullptr;
    ::close(wakeSockets[0]);
    ::close(wakeSockets[1]);
    wakeSockets[0] = wakeSockets[1] = -1;
}

}  // namespace vellarin
