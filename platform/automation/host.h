#pragma once
// Creating components by class identity or programmatic identifier. The
// module is found through the registry, or beside the running program when
// the class is not registered, loaded at run time and asked for its factory.
#include "component.h"

namespace automation {

HResult createInstance(const QUuid& classId, ComponentPtr& out);
// Accepts a programmatic identifier ("TRAZEL.TrazelCtrl.1") or a class
// identity in text form.
HResult createInstance(const QString& progIdOrClassId, ComponentPtr& out);
HResult createInstanceFromModule(const QString& modulePath, const QUuid& classId, ComponentPtr& out);

// Where the module of a class is looked for.
HResult resolveModule(const QUuid& classId, QString& modulePath);
QString programDirectory();

// Calls a module's registration entry point (register or unregister).
HResult registerModule(const QString& modulePath, bool unregister = false);
// The module's answer to "can it be unloaded now", or an error when it is no module.
HResult moduleCanUnloadNow(const QString& modulePath);

}  // namespace automation
