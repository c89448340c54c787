#pragma once
// For timing the start-up from outside: when VELLARIN_FIRST_TRACE_MARK is set,
// the wall-clock times at which capture has started and at which the chart
// first shows a trace are written to stderr as "capture started at <ms>" and
// "first trace at <ms>", in milliseconds since the epoch. What lies between
// is the sound device's share.
#include <QObject>

namespace vellarin {

class Form1;

class FirstTraceMark final : public QObject {
public:
    explicit FirstTraceMark(Form1& window);
    // Whether the environment asks for the mark.
    static bool wanted();
    // After the Start the command line asked for.
    void captureStarted();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Form1& m_window;
};

}  // namespace vellarin
