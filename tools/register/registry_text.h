#pragma once
// A registry's entries as the tool shows them, and what one registration
// changed in it.
#include <automation/registry.h>

#include <QStringList>

// The file's contents, or an empty registry when it cannot be read (the
// module's own attempt then says what is wrong with it).
automation::RegistryDocument loaded(const automation::ComponentRegistry& registry);

// One line an entry: type libraries, then classes, each with its module.
QStringList registryLines(const automation::RegistryDocument& document);
// "registered ..." for each entry naming `module`.
QStringList writtenLines(const automation::RegistryDocument& document, const QString& module);
// "removed ..." for each entry in `before` that `after` lacks.
QStringList removedLines(const automation::RegistryDocument& before, const automation::RegistryDocument& after);
// The entries naming `from`, rewritten to name `to`.
automation::RegistryChanges relocated(const automation::RegistryDocument& document, const QString& from,
                                      const QString& to);
