#pragma once
// The band a bin lies in while the chart shows fractional-octave bands in
// place of the spectrum. An add-on that draws bands hands the window one, and
// the cross-hair then reads the band under it; with none handed over, or
// outside every band, the cross-hair reads the bin as designed.
#include <QString>

#include <cstdint>
#include <optional>

namespace vellarin {

struct BandUnderBin {
    QString label;     // the nominal mid-band frequency as written: "1k", "31.5"
    double centre;     // the exact mid-band frequency in Hz
    int32_t firstBin;  // the bins the band's bar stands on
    int32_t lastBin;
};

class BandNotation {
public:
    virtual ~BandNotation() = default;
    virtual std::optional<BandUnderBin> bandOf(int32_t bin) const = 0;
};

}  // namespace vellarin
