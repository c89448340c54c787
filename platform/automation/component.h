#pragma once
// A component object and the plain entry points of the module that makes it.
// A host loads a module at run time, asks it for a class factory by class
// identity, and reaches the object only through the interfaces below.
#include "dispatch.h"
#include "events.h"
#include "persistence.h"

#include <QUuid>

#include <atomic>
#include <memory>
#include <span>

class QWidget;

namespace automation {

// A control hands its host a widget to embed; the host reparents and sizes it.
class Control {
public:
    virtual ~Control() = default;
    virtual QWidget* widget() = 0;
    // Class identities of the property pages the control lists.
    virtual std::span<const QUuid> propertyPages() const { return {}; }
};

class Component;

// A property page: a caption and a widget, applied to the objects it edits.
class PropertyPage {
public:
    virtual ~PropertyPage() = default;
    virtual QString caption() const = 0;
    virtual QWidget* widget() = 0;
    // The objects the page edits, as the property sheet hands them over; an
    // empty list lets go of them before the sheet releases them.
    virtual HResult setObjects(std::span<Component* const> objects) = 0;
    // unexpected while the page edits no object.
    virtual HResult apply() = 0;
};

class Component {
public:
    virtual ~Component() = default;
    virtual Dispatch* dispatch() { return nullptr; }
    virtual ConnectionPoint* connectionPoint() { return nullptr; }
    virtual PersistStreamInit* persistStream() { return nullptr; }
    virtual PersistPropertyBag* persistPropertyBag() { return nullptr; }
    virtual Control* control() { return nullptr; }
    virtual PropertyPage* propertyPage() { return nullptr; }
};

using ComponentPtr = std::unique_ptr<Component>;

// Counts the live objects and the host's locks of one module, for its
// can-unload-now answer. Each module keeps its own counters, never the
// process's one copy of the shared layer.
class AUTOMATION_MODULE_LOCAL ModuleObjectCount {
public:
    static std::atomic<int>& live()
    {
        static std::atomic<int> count{0};
        return count;
    }
    static std::atomic<int>& locks()
    {
        static std::atomic<int> count{0};
        return count;
    }
};

class ClassFactory {
public:
    virtual ~ClassFactory() = default;
    virtual HResult createInstance(ComponentPtr& out) = 0;
    // A host that will create more objects soon keeps the module loaded.
    // Virtual, so that the count kept is the module's own.
    virtual HResult lockServer(bool lock)
    {
        std::atomic<int>& locks = ModuleObjectCount::locks();
        if (lock)
            ++locks;
        else if (locks > 0)
            --locks;
        return hr::ok;
    }
};

// Base for component objects so that the module's count follows them.
class CountedComponent : public Component {
public:
    CountedComponent() { ModuleObjectCount::live().fetch_add(1); }
    ~CountedComponent() override { ModuleObjectCount::live().fetch_sub(1); }
    CountedComponent(const CountedComponent&) = delete;
    CountedComponent& operator=(const CountedComponent&) = delete;
};

// A factory for a component type with a default constructor.
template <class Object> class SimpleClassFactory final : public ClassFactory {
public:
    HResult createInstance(ComponentPtr& out) override
    {
        out = std::make_unique<Object>();
        return hr::ok;
    }
};

}  // namespace automation
