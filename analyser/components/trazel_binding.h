#pragma once
// The spectrum chart Trazel1, through the chart's dispatch interface.
#include "component_binding.h"

#include <QByteArray>
#include <QString>

namespace vellarin {

class TrazelBinding final : public ComponentBinding {
public:
    // Creates the chart and loads it from its stored property record.
    automation::HResult createFromRecord(const QByteArray& record);

    int32_t xmax();
    void setXmax(int32_t columns);
    int32_t ymin(int16_t channel);
    void setYmin(int16_t channel, int32_t value);
    int32_t ymax(int16_t channel);
    void setYmax(int16_t channel, int32_t value);
    void setKey(const QString& command);
    void setScrollMode(bool on);
    void setSumWaveforms(int16_t value);  // check-box value 0 or 1, passed on as it is
    void setDoubleActiveTrace(bool on);
    void setPersist(int16_t opacity);
    bool lock();
    void setLock(bool on);
    void setChannel(int16_t channel);  // the one channel plotted; -1: every channel
    // A channel's trace colour, as the chart keeps it (0x00BBGGRR).
    int32_t lineColour(int16_t channel);
    void setLineColour(int16_t channel, int32_t colour);
    // Plots `total` values of one channel read from `buffer` during the call.
    void chartEx(int16_t* buffer, int16_t channels, int16_t total);
    void copyToClipboard();

    // Chart events: the level range changed with the mouse, and the cross-hair column.
    void onEvents(std::function<void(int32_t min, int32_t max)> chartChanged,
                  std::function<void(int32_t offset)> crossHair);
};

}  // namespace vellarin
