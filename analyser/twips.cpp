#include "twips.h"

#include "number_text.h"

#include <algorithm>

namespace vellarin {

namespace {
int pixelsOf(double twips, double perPixel)
{
    // Held inside what a widget coordinate can take.
    return static_cast<int>(std::clamp(roundHalfEven(twips / perPixel), -1.0e6, 1.0e6));
}
}  // namespace

int TwipsScale::toPixelsX(double twips) const { return pixelsOf(twips, perPixelX); }
int TwipsScale::toPixelsY(double twips) const { return pixelsOf(twips, perPixelY); }

}  // namespace vellarin
