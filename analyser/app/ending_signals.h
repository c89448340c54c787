#pragma once
// SIGTERM and SIGINT (a session logging out, Ctrl+C in the terminal) end the
// program as closing its window does, so capture stops and the settings are
// remembered. The signal only writes a byte; the event loop does the rest.
#include <QObject>

#include <functional>

class QSocketNotifier;

namespace vellarin {

class EndingSignals final : public QObject {
public:
    // `end` runs on the event loop's thread after either signal. One at a time.
    explicit EndingSignals(std::function<void()> end, QObject* parent = nullptr);
    ~EndingSignals() override;
    EndingSignals(const EndingSignals&) = delete;
    EndingSignals& operator=(const EndingSignals&) = delete;

    // False when the signals could not be watched; they then end the program at once.
    bool watching() const { return m_notifier != nullptr; }

private:
    std::function<void()> m_end;
    QSocketNotifier* m_notifier = nullptr;
};

}  // namespace vellarin
