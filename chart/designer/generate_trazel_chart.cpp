// Writes TrazelChart's header from the chart's type library, so each scalar,
// visible, readable and writable member of the chart's dispatch interface is
// a Qt property and no member is listed by hand.
//   generate_trazel_chart MODULE TEMPLATE OUTPUT
#include <automation/host.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QString>
#include <QTextStream>

#include <cstdio>

using namespace automation;

namespace {

int failure(const QString& what)
{
    std::fprintf(stderr, "generate_trazel_chart: %s\n", qPrintable(what));
    return 1;
}

const InterfaceDescription* defaultInterface(const TypeLibrary& library)
{
    if (library.classes.empty())
        return nullptr;
    for (const InterfaceDescription& i : library.interfaces)
        if (qstrcmp(i.name, library.classes[0].defaultInterface) == 0)
            return &i;
    return nullptr;
}

const EnumDescription* enumNamed(const TypeLibrary& library, const char* name)
{
    for (const EnumDescription& e : library.enums)
        if (name && qstrcmp(e.name, name) == 0)
            return &e;
    return nullptr;
}

struct Generated {
    QString enums, properties, accessors, operators;
};

// The Qt type and the reader and writer of one member; empty when Qt has no type for it.
bool describe(const TypeLibrary& library, const MemberInfo& m, Generated& out)
{
    const QString name = QString::fromLatin1(m.name), id = QString::number(m.id);
    QString type, read, write;
    if (const EnumDescription* e = enumNamed(library, m.typeName)) {
        const QString flags = QString::fromLatin1(e->name) + QStringLiteral("Flags");
        if (!out.enums.contains(flags)) {
            out.enums += QStringLiteral("public:\n    enum %1 {\n").arg(QString::fromLatin1(e->name));
            for (const EnumValue& v : e->values)
                out.enums += QStringLiteral("        %1 = %2,\n").arg(QString::fromLatin1(v.name)).arg(v.value);
            out.enums += QStringLiteral("    };\n    Q_DECLARE_FLAGS(%1, %2)\n    Q_FLAG(%1)\n").arg(flags, QString::fromLatin1(e->name));
            out.operators += QStringLiteral("Q_DECLARE_OPERATORS_FOR_FLAGS(TrazelChart::%1)\n").arg(flags);
        }
        type = flags;
        read = QStringLiteral("%1(readInteger(%2))").arg(flags, id);
        write = QStringLiteral("writeInteger(%1, value.toInt())").arg(id);
    } else if (qstrcmp(m.typeName, "OLE_COLOR") == 0) {
        type = QStringLiteral("QColor");
        read = QStringLiteral("readColour(%1)").arg(id);
        write = QStringLiteral("writeColour(%1, value)").arg(id);
    } else if (m.valueType == vtI2 || m.valueType == vtI4) {
        type = QStringLiteral("int");
        read = QStringLiteral("readInteger(%1)").arg(id);
        write = QStringLiteral("writeInteger(%1, value)").arg(id);
    } else if (m.valueType == vtBool) {
        type = QStringLiteral("bool");
        read = QStringLiteral("readBoolean(%1)").arg(id);
        write = QStringLiteral("writeBoolean(%1, value)").arg(id);
    } else if (m.valueType == vtBstr) {
        type = QStringLiteral("QString");
        read = QStringLiteral("readText(%1)").arg(id);
        write = QStringLiteral("writeText(%1, value)").arg(id);
    } else {
        return false;
    }
    const QString parameter = type == QLatin1String("QColor") || type == QLatin1String("QString")
                                  ? QStringLiteral("const %1& value").arg(type)
                                  : QStringLiteral("%1 value").arg(type);
    out.properties += QStringLiteral("    Q_PROPERTY(%1 %2 READ %2 WRITE set%2)\n").arg(type, name);
    out.accessors += QStringLiteral("    // %1\n    %2 %3() const { return %4; }\n    void set%3(%5) { %6; }\n")
                         .arg(QString::fromLatin1(*m.help ? m.help : m.name), type, name, read, parameter, write);
    return true;
}

}  // namespace

int main(int argc, char* argv[])
{
    if (argc != 4)
        return failure(QStringLiteral("usage: generate_trazel_chart MODULE TEMPLATE OUTPUT"));
    const QString module = QString::fromLocal8Bit(argv[1]);
    HResult r = hr::ok;
    const TypeLibrary* library = moduleTypeLibrary(module, r);
    const InterfaceDescription* dispatch = library ? defaultInterface(*library) : nullptr;
    if (!dispatch)
        return failure(QStringLiteral("%1 describes no control class (0x%2)").arg(module).arg(uint32_t(r), 8, 16, QLatin1Char('0')));

    Generated generated;
    for (const MemberInfo& m : dispatch->members) {
        if (m.kind != MemberKind::Property || m.hidden || !m.readable || !m.writable)
            continue;
        if (!describe(*library, m, generated))
            return failure(QStringLiteral("no Qt type for %1's type %2").arg(QString::fromLatin1(m.name)).arg(m.valueType));
    }

    QFile input(QString::fromLocal8Bit(argv[2]));
    if (!input.open(QIODevice::ReadOnly))
        return failure(QStringLiteral("cannot read %1").arg(input.fileName()));
    QString text = QString::fromUtf8(input.readAll());
    text.replace(QStringLiteral("@GENERATED_NOTE@"),
                 QStringLiteral("Generated from the type library %1 %2 of %3's %4; do not edit.")
                     .arg(QString::fromLatin1(library->name), library->version(), QString::fromLatin1(library->classes[0].name),
                          QString::fromLatin1(dispatch->name)));
    text.replace(QStringLiteral("@ENUMS@"), generated.enums);
    text.replace(QStringLiteral("@PROPERTIES@"), generated.properties);
    text.replace(QStringLiteral("@ACCESSORS@"), generated.accessors);
    text.replace(QStringLiteral("@FLAG_OPERATORS@"), generated.operators);

    QSaveFile output(QString::fromLocal8Bit(argv[3]));
    QDir().mkpath(QFileInfo(output.fileName()).absolutePath());
    if (!output.open(QIODevice::WriteOnly) || output.write(text.toUtf8()) < 0 || !output.commit())
        return failure(QStringLiteral("cannot write %1").arg(output.fileName()));
    return 0;
}
