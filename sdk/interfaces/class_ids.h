#pragma once
// The identities of vellarin's components, fixed once: their modules and
// every host use these values.
#include <QUuid>

#include <array>

namespace sdk {

struct ClassIdentity {
    QUuid classId;
    const char* progId;
    const char* typeName;
    const char* module;  // base name of the module, libname.so, for hosts that name it
};

namespace classes {
inline constexpr ClassIdentity trazelChart{
    QUuid(0x6c1f3a52, 0x94d1, 0x4e8b, 0xa1, 0x07, 0x3d, 0x52, 0xf0, 0x9c, 0x2e, 0x41),
    "TRAZEL.TrazelCtrl.1", "Trazel Control", "trazel"};
inline constexpr ClassIdentity trazelPropertyPage{
    QUuid(0x6c1f3a53, 0x94d1, 0x4e8b, 0xa1, 0x07, 0x3d, 0x52, 0xf0, 0x9c, 0x2e, 0x41),
    "TRAZEL.TrazelPropPage.1", "Trazel Property Page", "trazel"};
inline constexpr ClassIdentity fourel{
    QUuid(0x2b9e7d10, 0x58c3, 0x4f26, 0x8e, 0x4a, 0x91, 0x0b, 0x6d, 0x37, 0xc5, 0x12),
    "Numora.Fourel", "Fourel FFT", "fourel"};
inline constexpr ClassIdentity cascadra{
    QUuid(0x9d4a61e8, 0x27b5, 0x4c9f, 0xb3, 0x6e, 0x05, 0xa8, 0x14, 0xd2, 0x7f, 0x63),
    "CASCADRALib.Cascadra", "Cascadra Waterfall", "cascadra"};

inline constexpr std::array<const ClassIdentity*, 4> all{&trazelChart, &trazelPropertyPage, &fourel, &cascadra};
}  // namespace classes

// Interface and type-library identities of the chart.
namespace interfaces {
inline constexpr QUuid trazelDispatch(0x6c1f3a54, 0x94d1, 0x4e8b, 0xa1, 0x07, 0x3d, 0x52, 0xf0, 0x9c, 0x2e, 0x41);
inline constexpr QUuid trazelEvents(0x6c1f3a55, 0x94d1, 0x4e8b, 0xa1, 0x07, 0x3d, 0x52, 0xf0, 0x9c, 0x2e, 0x41);
inline constexpr QUuid trazelTypeLibrary(0x6c1f3a56, 0x94d1, 0x4e8b, 0xa1, 0x07, 0x3d, 0x52, 0xf0, 0x9c, 0x2e, 0x41);
}  // namespace interfaces

}  // namespace sdk
