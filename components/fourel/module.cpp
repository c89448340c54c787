// The fourel module: it makes Numora.Fourel.
#include "fourel_component.h"

#include <automation/module.h>
#include <interfaces/class_ids.h>

using namespace automation;

namespace {

SimpleClassFactory<fourel::FourelComponent> factory;

const ModuleDescription& description()
{
    using sdk::classes::fourel;
    static const ModuleClass classes[] = {{fourel.classId, fourel.progId, fourel.typeName, &factory}};
    static const ModuleDescription module{classes, nullptr, {VELLARIN_COMPONENT_VERSION, VELLARIN_COMPONENT_VERSION}};
    return module;
}

}  // namespace

AUTOMATION_MODULE(description)
