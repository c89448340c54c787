// A component registry file as anyone may have left it. Whatever it reads, a
// rewrite keeps what was read: the document itself, the entries it
// understands, and the entries it does not.
#include "fuzz_host.h"

#include <automation/registry.h>

#include <QJsonArray>

using namespace automation;

namespace {

template <class Entry, class SameKey> std::vector<Entry> firstOfEach(const std::vector<Entry>& entries, SameKey same)
{
    std::vector<Entry> out;
    for (const Entry& e : entries)
        if (std::none_of(out.begin(), out.end(), [&](const Entry& o) { return same(o, e); }))
            out.push_back(e);
    return out;
}

bool sameClass(const ClassRegistration& a, const ClassRegistration& b) { return a.classId == b.classId; }
bool sameLibrary(const TypeLibraryRegistration& a, const TypeLibraryRegistration& b)
{
    return a.libraryId == b.libraryId && a.version == b.version;
}

// The entries a reader does not understand, in order.
QJsonArray unknown(const QJsonObject& root, const char* key, const char* idKey)
{
    QJsonArray out;
    for (const QJsonValue& v : root.value(QLatin1String(key)).toArray())
        if (!v.isObject() || QUuid::fromString(v.toObject().value(QLatin1String(idKey)).toString()).isNull())
            out.append(v);
    return out;
}

const QUuid fresh(0x0f0e0d0c, 0x0b0a, 0x0908, 0x07, 0x06, 0x05, 0x04, 0x03, 0x02, 0x01, 0x00);

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    RegistryDocument document;
    QString problem;
    if (!document.parse(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)), problem)) {
        FUZZ_CHECK(problem.startsWith(QLatin1String("not a component registry: ")));
        return 0;
    }
    const auto classes = document.classes();
    const auto libraries = document.typeLibraries();

    // Written back as it is, it reads the same.
    RegistryDocument again;
    FUZZ_CHECK(again.parse(document.toJson(), problem));
    FUZZ_CHECK(again.root() == document.root());
    FUZZ_CHECK(again.classes() == classes && again.typeLibraries() == libraries);

    // Registering a class and a library and removing them again leaves
    // every entry as it was.
    const bool freshIsNew = std::none_of(classes.begin(), classes.end(), [](auto& c) { return c.classId == fresh; }) &&
                            std::none_of(libraries.begin(), libraries.end(), [](auto& l) { return l.libraryId == fresh; });
    if (freshIsNew) {
        RegistryDocument changed = document;
        RegistryChanges add;
        add.classes.push_back({fresh, "Fuzz.Class.1", "Fuzz", "/fuzz/libfuzz.so"});
        add.typeLibraries.push_back({fresh, "1.0", 1033, "Fuzz", "/fuzz/libfuzz.so"});
        changed.apply(add);
        FUZZ_CHECK(changed.classes().size() == classes.size() + 1);
        RegistryChanges remove;
        remove.removedClasses.push_back(fresh);
        remove.removedTypeLibraries.emplace_back(fresh, QStringLiteral("1.0"));
        changed.apply(remove);
        QJsonObject expected = document.root();
        for (const char* key : {"classes", "typeLibraries"})
            if (!expected.contains(QLatin1String(key)))
                expected.insert(QLatin1String(key), QJsonArray());
        FUZZ_CHECK(changed.root() == expected);
    }

    // Registering again what a lookup finds changes nothing a reader sees,
    // only drops later duplicates; what a reader does not understand stays.
    RegistryDocument rewritten = document;
    RegistryChanges same;
    same.classes = firstOfEach(classes, sameClass);
    same.typeLibraries = firstOfEach(libraries, sameLibrary);
    rewritten.apply(same);
    FUZZ_CHECK(rewritten.classes() == same.classes);
    FUZZ_CHECK(rewritten.typeLibraries() == same.typeLibraries);
    FUZZ_CHECK(unknown(rewritten.root(), "classes", "classId") == unknown(document.root(), "classes", "classId"));
    FUZZ_CHECK(unknown(rewritten.root(), "typeLibraries", "libraryId") ==
               unknown(document.root(), "typeLibraries", "libraryId"));
    return 0;
}
