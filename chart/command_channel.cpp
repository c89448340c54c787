#include "command_channel.h"

#include "command_parsing.h"
#include "trazel_ctrl.h"

#include <string>

namespace trazel {

namespace {

// A command ends at its first NUL, as the C string it always was.
std::string commandBytes(const QString& text)
{
    std::string bytes = text.toStdString();
    if (const size_t end = bytes.find('\0'); end != std::string::npos)
        bytes.resize(end);
    return bytes;
}

}  // namespace

// 'A', 'a', 'D' and 's' only do their own work; every other string ends by
// clearing the chart text and marking the control modified.
void runCommand(CTrazelCtrl& chart, const QString& text)
{
    TrazelState& s = chart.state;
    const std::string command = commandBytes(text);
    switch (command.empty() ? '\0' : command.front()) {
    case 'A':
        loadAnnotations(s, commandValues(command, annotationFieldLimit));
        chart.fullRedraw();
        return;
    case 'a':
        s.AnnotationTable.fill(Annotation{});
        chart.fullRedraw();
        return;
    case 'D':
        // Without a value there is no mask to set.
        if (const auto v = commandValues(command, 2); !v.empty())
            s.DigitalMask = automation::truncateToLow16(v[0]);
        return;
    case 's':
        s.PositionQuery = true;
        return;
    case 'X':
        defineAxis(s, commandValues(command, axisFieldLimit));
        chart.fullRedraw();
        break;
    case 'L':
        s.AxisMode = 0;
        chart.fullRedraw();
        break;
    case 't':
        s.TopMode = true;
        break;
    case 'c':
        s.TopMode = false;
        break;
    default:
        break;
    }
    chart.setChartText(QString());
    chart.markModified();
}

}  // namespace trazel
