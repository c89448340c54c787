#pragma once
// The chart's saved settings: one ordered record of named, typed values that
// saving, loading and resetting to defaults all walk.
#include "trazel_state.h"

#include <automation/persistence.h>

namespace trazel {

inline constexpr uint32_t recordVersion = 0x00010000;  // 1.0
inline constexpr int recordBytes = 246;                // the record in its byte-stream form

// What the base control saves ahead of the chart's own fields: the format
// version and the window's extent in 0.01 mm.
struct RecordHeader {
    uint32_t version = recordVersion;
    int32_t extentX = 0;
    int32_t extentY = 0;
    int32_t stockFlags = 0;  // this control has no stock properties
};

// Runs the record in order. When the exchange loads, the fields are written
// into `header` and `state`; nothing is derived yet.
void exchangeRecord(automation::PropertyExchange& exchange, RecordHeader& header, TrazelState& state);

// After loading or resetting: values no setter would accept are put back in
// range, the scales are derived again and the step countdown restarts.
void afterLoad(TrazelState& state);

}  // namespace trazel
