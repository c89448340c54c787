#include "type_library_text.h"

#include <QStringList>

using namespace automation;

namespace {

QString typeText(uint16_t type, const char* typeName = nullptr)
{
    if (typeName)
        return QString::fromLatin1(typeName);
    static const std::pair<uint16_t, const char*> names[] = {
        {vtEmpty, "void"}, {vtI2, "short"},     {vtI4, "long"},     {vtR4, "float"},     {vtR8, "double"},
        {vtBstr, "BSTR"},  {vtError, "SCODE"},  {vtBool, "VARIANT_BOOL"}, {vtVariant, "VARIANT"}, {vtUI1, "unsigned char"},
    };
    const uint16_t base = type & ~(vtByRef | vtArray);
    QString text = QStringLiteral("?");
    for (const auto& [vt, name] : names)
        if (vt == base)
            text = QString::fromLatin1(name);
    if (type & vtArray)
        text = QStringLiteral("SAFEARRAY(%1)").arg(text);
    if (type & vtByRef)
        text += u'*';
    return text;
}

QString paramsText(const MemberInfo& m)
{
    QStringList params;
    for (const ParamInfo& p : m.params)
        params << typeText(p.type) + u' ' + QString::fromLatin1(p.name);
    return params.join(QStringLiteral(", "));
}

QString memberText(const MemberInfo& m)
{
    QString line = QStringLiteral("    [%1] ").arg(m.id);
    switch (m.kind) {
    case MemberKind::Property:
        line += QStringLiteral("property %1 %2").arg(typeText(m.valueType, m.typeName), m.name);
        break;
    case MemberKind::IndexedProperty:
        line += QStringLiteral("property %1 %2(%3)").arg(typeText(m.valueType, m.typeName), m.name, paramsText(m));
        break;
    case MemberKind::Method:
        line += QStringLiteral("method %1 %2(%3)").arg(typeText(m.valueType, m.typeName), m.name, paramsText(m));
        break;
    case MemberKind::Event:
        line += QStringLiteral("event %1(%2)").arg(m.name, paramsText(m));
        break;
    }
    if (!m.readable)
        line += QStringLiteral(" write-only");
    if (!m.writable)
        line += QStringLiteral(" read-only");
    if (m.hidden)
        line += QStringLiteral(" hidden");
    if (*m.help)
        line += QStringLiteral(" \"%1\"").arg(m.help);
    return line;
}

QString quoted(const char* help) { return *help ? QStringLiteral(" \"%1\"").arg(help) : QString(); }

}  // namespace

QString typeLibraryText(const TypeLibrary& library)
{
    QStringList lines;
    lines << QStringLiteral("library %1 %2 version %3 locale %4%5")
                 .arg(library.name, library.libraryId.toString(), library.version())
                 .arg(library.locale)
                 .arg(quoted(library.help));
    for (const EnumDescription& e : library.enums) {
        lines << QStringLiteral("  enum %1").arg(e.name);
        for (const EnumValue& v : e.values)
            lines << QStringLiteral("    %1 = %2").arg(v.name).arg(v.value);
    }
    for (const InterfaceDescription& i : library.interfaces) {
        lines << QStringLiteral("  dispinterface %1 %2%3%4")
                     .arg(i.name, i.interfaceId.toString(), i.hidden ? QStringLiteral(" hidden") : QString(),
                          quoted(i.help));
        for (const MemberInfo& m : i.members)
            lines << memberText(m);
    }
    for (const CoClassDescription& c : library.classes)
        lines << QStringLiteral("  coclass %1 %2%3 default %4 source %5")
                     .arg(c.name, c.classId.toString(), quoted(c.help), c.defaultInterface, c.defaultEventSource);
    return lines.join(u'\n') + u'\n';
}
