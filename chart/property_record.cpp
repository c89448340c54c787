#include "property_record.h"

#include <algorithm>
#include <cstdio>

using namespace automation;

namespace trazel {

namespace {

// The record's defaults are a new control's values.
const TrazelState& fresh()
{
    static const TrazelState state;
    return state;
}

void exchangeBool(PropertyExchange& px, const char* name, bool& field, bool defaultValue)
{
    int16_t value = toVariantBool(field);
    px.boolean(name, value, toVariantBool(defaultValue));
    field = value != 0;
}

}  // namespace

// "Ymin", "Ymax" and "Step" each name several fields. A name-keyed store
// keeps the second and later uses of a name under "name#2", "name#3", ...,
// so channel 3's Ymax is "Ymax#4" and the step setting is "Step#2".
void exchangeRecord(PropertyExchange& px, RecordHeader& header, TrazelState& s)
{
    const TrazelState& d = fresh();

    px.ulongValue("_Version", header.version, recordVersion);
    px.longValue("_ExtentX", header.extentX, header.extentX);
    px.longValue("_ExtentY", header.extentY, header.extentY);
    px.longValue("_StockProps", header.stockFlags, 0);

    exchangeBool(px, "GroupAction", s.GroupSetting, d.GroupSetting);
    for (int ch = 0; ch < channelCount; ++ch) {
        px.longValue("Ymin", s.Ymin[ch], d.Ymin[ch]);
        px.longValue("Ymax", s.Ymax[ch], d.Ymax[ch]);
    }
    px.ulongValue("PGRIDCOLOR", s.PGrid, d.PGrid);
    px.ulongValue("ERASECOLOR", s.PEraseBar, d.PEraseBar);
    px.ulongValue("PANNOTATION", s.PText, d.PText);
    for (int ch = 0; ch < channelCount; ++ch) {
        char name[8];
        std::snprintf(name, sizeof name, "PLINE%02d", ch + 1);
        px.ulongValue(name, s.PLine[ch], d.PLine[ch]);
    }
    px.shortValue("Channel", s.Channel, d.Channel);
    px.shortValue("CaptionX", s.CaptionX, d.CaptionX);
    px.shortValue("CaptionY", s.CaptionY, d.CaptionY);
    px.shortValue("Step", s.PlotStep, d.PlotStep);
    px.shortValue("Step", s.StepSetting, d.StepSetting);
    px.shortValue("GridSpacingX", s.GridSpacingX, d.GridSpacingX);
    px.shortValue("GridSpacingY", s.GridSpacingY, d.GridSpacingY);
    px.shortValue("PenSize", s.PenSize, d.PenSize);
    exchangeBool(px, "Lock", s.LockActive, d.LockActive);
    exchangeBool(px, "ShowEraseBar", s.ShowEraseBar, d.ShowEraseBar);
    exchangeBool(px, "SolidBaseLine", s.SolidBaseLine, d.SolidBaseLine);
    exchangeBool(px, "ScrollMode", s.ScrollMode, d.ScrollMode);
    exchangeBool(px, "MarkEvents", s.MarkEvents, d.MarkEvents);
    px.shortValue("DigitalMask", s.DigitalMask, d.DigitalMask);
    exchangeBool(px, "ShowLegend", s.ShowLegend, d.ShowLegend);
    exchangeBool(px, "BaseLineLegend", s.BaseLineLegend, d.BaseLineLegend);
}

void afterLoad(TrazelState& s)
{
    const TrazelState& d = fresh();
    // A stored record may hold what no property put would have let in.
    if (s.PenSize < 1 || s.PenSize > 15)
        s.PenSize = d.PenSize;
    if (s.GridSpacingX == 0)
        s.GridSpacingX = d.GridSpacingX;
    if (s.GridSpacingY == 0)
        s.GridSpacingY = d.GridSpacingY;
    if (s.StepSetting < -20)
        s.StepSetting = -20;

    for (int ch = 0; ch < channelCount; ++ch)
        deriveScale(s, ch);
    if (s.PlotStep < 1)
        s.PlotStep = 1;
    if (s.StepSetting == 0)
        s.StepSetting = s.PlotStep;
    s.StepCountdown = s.PlotStep;
    s.LockSetting = s.LockActive;
}

}  // namespace trazel
