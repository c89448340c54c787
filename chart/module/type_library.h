#pragma once
// TRAZELLib, the chart module's type library: the names and help strings a
// type browser shows around the members. The members and events themselves
// are listed by a live chart (Dispatch::members, ConnectionPoint::events).
// A host reads this through the module's "DllGetTypeLibrary" entry point.
#include <QUuid>

#include <cstdint>

namespace trazel {

struct TypeLibEnumValue {
    const char* name;
    int32_t value;
};

struct TypeLibraryInfo {
    const char* name;
    QUuid libraryId;
    uint16_t majorVersion;
    uint16_t minorVersion;
    uint32_t locale;
    const char* help;
    const char* enumName;
    const TypeLibEnumValue* enumValues;
    int enumCount;
    const char* dispatchName;
    QUuid dispatchId;
    const char* dispatchHelp;
    const char* eventsName;
    QUuid eventsId;
    const char* eventsHelp;
    const char* className;
    const char* classHelp;
};

inline constexpr const char* getTypeLibrarySymbol = "DllGetTypeLibrary";
extern "C" {
using GetTypeLibraryFn = const TypeLibraryInfo* (*)();
}

}  // namespace trazel
