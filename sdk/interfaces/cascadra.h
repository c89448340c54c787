#pragma once
// The waterfall component CASCADRALib.Cascadra: the members its hosts call by number.
#include <automation/dispatch.h>

namespace cascadra {

namespace dispid {
inline constexpr automation::DispId ScrollDirection = 4;  // long 0..5
inline constexpr automation::DispId View3D = 5;           // long: 1 = 3D, 0 = flat
inline constexpr automation::DispId Depth3D = 6;          // short, pixels (get)
inline constexpr automation::DispId AddLine = 7;          // (array of short, one dimension, lower bound 0)
inline constexpr automation::DispId ClipboardCopy = 9;    // ()
}  // namespace dispid

namespace eventid {
inline constexpr automation::DispId CursorMoved = 1;  // (short X, short Y), pixels from the top-left corner
}  // namespace eventid

// Scroll directions.
enum Direction : int32_t {
    Diagonal45 = 0,
    BottomToTop = 1,
    RightToLeft = 2,
    TopToBottom = 3,
    DiagonalMinus45 = 4,
    InvertedRightToLeft = 5,
};

}  // namespace cascadra
