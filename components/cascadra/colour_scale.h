#pragma once
// The waterfall's colour scale is the one its hosts share (a whole-file
// render draws in the same colours): see <interfaces/waterfall_colours.h>.
#include <interfaces/waterfall_colours.h>

#include <QRgb>

#include <type_traits>

namespace cascadra {

using ColourScale = WaterfallColours;
static_assert(std::is_same_v<Rgb, QRgb>, "the shared colours are laid out as Qt's");

}  // namespace cascadra
