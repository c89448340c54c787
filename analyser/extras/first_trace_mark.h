#pragma once
// For timing the start-up from outside: when VELLARIN_FIRST_TRACE_MARK is set,
// the wall-clock time at which the chart first shows a trace is written to
// stderr as "first trace at <milliseconds since the epoch>".
#include <QObject>

namespace vellarin {

class Form1;

class FirstTraceMark final : public QObject {
public:
    explicit FirstTraceMark(Form1& window);
    // Whether the environment asks for the mark.
    static bool wanted();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Form1& m_window;
};

}  // namespace vellarin
