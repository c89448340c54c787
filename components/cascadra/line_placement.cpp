#include "line_placement.h"

#include <algorithm>
#include <array>
#include <limits>

namespace cascadra {

namespace {

struct DirectionRule {
    QPoint originInset;   // from the anchor corner, inward
    QPoint step;
    QPoint scroll;
    QPoint rise;
    bool newestInFront;
    bool anchorRight;
    bool anchorBottom;
    bool headroomIn3D;    // newest line sits Depth3D below the top edge
};

const QPoint right{1, 0}, left{-1, 0}, up{0, -1}, down{0, 1};

// Indexed by Direction.
const std::array<DirectionRule, 6> rules{{
    // 45 degree: the bottom row starts at column H - (H - 1) = 1.
    {{1, 0}, right, right + up, up, true, false, true, false},
    // Bottom to Top
    {{0, 0}, right, up, up, true, false, true, false},
    // Right to Left
    {{0, 0}, down, left, left, true, true, false, false},
    // Top to Bottom
    {{0, 0}, right, down, up, false, false, false, true},
    // -45 degree
    {{0, 0}, right, right + down, up, false, false, false, true},
    // i Right to Left
    {{0, 0}, up, left, left, true, true, true, false},
}};

}  // namespace

std::optional<Direction> directionFromValue(int32_t value)
{
    if (value < 0 || value >= static_cast<int32_t>(rules.size()))
        return std::nullopt;
    return static_cast<Direction>(value);
}

LinePlacement placementFor(Direction direction, QSize picture, bool view3D, int depth)
{
    const DirectionRule& rule = rules[static_cast<size_t>(direction)];
    const int headroom = view3D && rule.headroomIn3D ? depth : 0;
    const QPoint origin(rule.anchorRight ? picture.width() - 1 - rule.originInset.x() : rule.originInset.x(),
                        rule.anchorBottom ? picture.height() - 1 - rule.originInset.y()
                                          : rule.originInset.y() + headroom);
    return {origin, rule.step, rule.scroll, rule.rise, rule.newestInFront, rule.anchorRight, rule.anchorBottom};
}

int pixelsAlong(const LinePlacement& p, QSize picture)
{
    if (p.origin.x() < 0 || p.origin.y() < 0 || p.origin.x() >= picture.width() || p.origin.y() >= picture.height())
        return 0;
    auto room = [](int at, int step, int extent) {
        if (step > 0)
            return extent - at;
        if (step < 0)
            return at + 1;
        return std::numeric_limits<int>::max();
    };
    return std::min(room(p.origin.x(), p.step.x(), picture.width()), room(p.origin.y(), p.step.y(), picture.height()));
}

}  // namespace cascadra
