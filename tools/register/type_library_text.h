#pragma once
// A type library in readable form, one member a line, the way a type
// browser lists it.
#include <automation/type_library.h>

#include <QString>

QString typeLibraryText(const automation::TypeLibrary& library);
