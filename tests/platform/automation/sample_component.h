#pragma once
#include <QUuid>

namespace sample {
inline constexpr QUuid classId(0x11111111, 0x2222, 0x3333, 0x44, 0x44, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55);
inline constexpr const char* progId = "Sample.Component.1";
inline constexpr int level = 1, command = 2, cell = 3, sum = 4, changedEvent = 1;
}  // namespace sample
