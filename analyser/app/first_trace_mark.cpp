#include "first_trace_mark.h"

#include "component_site.h"
#include "form1.h"

#include <QDateTime>
#include <QEvent>
#include <QTextStream>

namespace vellarin {

FirstTraceMark::FirstTraceMark(Form1& window) : QObject(&window), m_window(window)
{
    if (QWidget* chart = m_window.chart().widget())
        chart->installEventFilter(this);
}

bool FirstTraceMark::wanted() { return !qEnvironmentVariableIsEmpty("VELLARIN_FIRST_TRACE_MARK"); }

void FirstTraceMark::captureStarted()
{
    QTextStream(stderr) << "capture started at " << QDateTime::currentMSecsSinceEpoch() << '\n';
}

bool FirstTraceMark::eventFilter(QObject* watched, QEvent* event)
{
    // The chart paints its grid before any frame; the first paint after a
    // frame was drawn is the first trace the user sees.
    if (event->type() == QEvent::Paint && m_window.framesDrawn() > 0) {
        watched->removeEventFilter(this);
        QTextStream(stderr) << "first trace at " << QDateTime::currentMSecsSinceEpoch() << '\n';
    }
    return false;
}

}  // namespace vellarin
