#pragma once
// The waterfall Cascadra1, through its dispatch interface.
#include "component_binding.h"

#include <vector>

namespace vellarin {

class CascadraBinding final : public ComponentBinding {
public:
    automation::HResult create() { return ComponentBinding::create(sdk::classes::cascadra); }

    int32_t scrollDirection();
    void setScrollDirection(int32_t direction);
    int32_t view3D();
    void setView3D(int32_t on);
    int16_t depth3D();
    // Adds the newest line (one value per pixel along the line).
    void addLine(const std::vector<int16_t>& line);
    void clipboardCopy();

    // The pointer position over the picture, in pixels from its top-left corner.
    void onCursorMoved(std::function<void(int16_t x, int16_t y)> handler);
};

}  // namespace vellarin
