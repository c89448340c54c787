#pragma once
// A type library: the description of a module's types that a host or a type
// browser reads without creating an object. The members are the very member
// lists the objects answer with, so the two cannot drift apart.
#include "dispatch.h"

#include <QUuid>

namespace automation {

struct EnumValue {
    const char* name;
    int32_t value;
};

struct EnumDescription {
    const char* name;
    std::span<const EnumValue> values;
};

struct InterfaceDescription {
    const char* name;
    QUuid interfaceId;
    const char* help;
    bool hidden = false;
    std::span<const MemberInfo> members;
};

// A creatable class: its default interface and the source of its events.
struct CoClassDescription {
    const char* name;
    QUuid classId;
    const char* help;
    const char* defaultInterface;
    const char* defaultEventSource;
};

struct TypeLibrary {
    const char* name;
    QUuid libraryId;
    uint16_t majorVersion;
    uint16_t minorVersion;
    uint32_t locale;
    const char* help;
    std::span<const EnumDescription> enums;
    std::span<const InterfaceDescription> interfaces;
    std::span<const CoClassDescription> classes;

    QString version() const { return QString::number(majorVersion) + u'.' + QString::number(minorVersion); }
};

}  // namespace automation
