// The cascadra module: it makes CASCADRALib.Cascadra.
#include "cascadra_component.h"

#include <automation/module.h>
#include <interfaces/class_ids.h>

using namespace automation;

namespace {

SimpleClassFactory<cascadra::Cascadra> factory;

const ModuleDescription& description()
{
    using sdk::classes::cascadra;
    static const ModuleClass classes[] = {{cascadra.classId, cascadra.progId, cascadra.typeName, &factory}};
    static const ModuleDescription module{classes, nullptr, {VELLARIN_COMPONENT_VERSION, VELLARIN_COMPONENT_VERSION}};
    return module;
}

}  // namespace

AUTOMATION_MODULE(description)
