#include "command_parsing.h"

#include <automation/variant.h>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <locale.h>
#include <string>

using automation::truncateToLong;

namespace trazel {

namespace {

// Commands are written with a decimal point whatever the user's locale says.
locale_t numberLocale()
{
    static const locale_t c = newlocale(LC_NUMERIC_MASK, "C", locale_t(0));
    return c;
}

}  // namespace

double lenientNumber(std::string_view field)
{
    const std::string terminated(field);
    return strtod_l(terminated.c_str(), nullptr, numberLocale());
}

std::vector<double> commandValues(std::string_view command, size_t fieldLimit)
{
    std::vector<double> values;
    size_t fields = 0;
    size_t pos = 0;
    while (fields < fieldLimit) {
        pos = command.find_first_not_of(',', pos);
        if (pos == std::string_view::npos)
            break;
        const size_t end = std::min(command.find(',', pos), command.size());
        if (fields++ > 0)
            values.push_back(lenientNumber(command.substr(pos, end - pos)));
        pos = end;
    }
    return values;
}

void loadAnnotations(TrazelState& s, const std::vector<double>& values)
{
    size_t k = 0;
    for (Annotation& a : s.AnnotationTable) {
        int32_t* fields[annotationFields] = {&a.colour, &a.x1, &a.y1, &a.x2, &a.y2};
        for (int32_t* field : fields)
            *field = k < values.size() ? truncateToLong(values[k++]) : -1;
    }
}

void defineAxis(TrazelState& s, const std::vector<double>& v)
{
    const size_t n = v.size();
    if (n > 0)
        s.AxisMode = truncateToLong(v[0]);
    if (n > 1)
        s.AxisMax = v[1];
    if (n > 2)
        s.AxisMin = v[2];
    if (n > 3)
        s.TickCount = truncateToLong(v[3]);
    if (n > 4)
        s.AxisPoints = std::trunc(v[4]);
    int tick = 0;
    for (size_t k = 5; k < n && tick < tickCapacity && tick < s.AxisPoints; ++k, ++tick)
        s.Ticks[tick] = v[k];
    s.TicksStored = std::max(s.TicksStored, tick);
}

}  // namespace trazel
