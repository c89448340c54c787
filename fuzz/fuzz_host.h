#pragma once
// What the fuzz targets share: a headless widget application, components made
// from the modules beside the program as a host makes them, and a check that
// stops the run the way a crash does, so the input is kept.
#include <automation/host.h>
#include <interfaces/class_ids.h>
#include <interfaces/trazel.h>

#include <QApplication>
#include <QStringList>
#include <QWidget>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>

#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

namespace fuzzhost {

// Offscreen, so no run needs a display.
inline void startApplication()
{
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(argc, argv);
}

// From the module file itself, never through a registry, so a registered
// build elsewhere on the machine cannot stand in for the instrumented one.
inline automation::ComponentPtr create(const sdk::ClassIdentity& identity)
{
    automation::ComponentPtr object;
    const automation::HResult r = automation::createInstanceFromModule(
        automation::modulePathForName(QString::fromLatin1(identity.module)), identity.classId, object);
    FUZZ_CHECK(automation::succeeded(r) && object);
    return object;
}

// The chart at a fixed size, so every run draws onto the same surfaces. The
// window stays hidden: showing one costs more than the run itself, and a
// hidden chart takes its size from the Xmax put at once.
inline automation::ComponentPtr createChart()
{
    automation::ComponentPtr chart = create(sdk::classes::trazelChart);
    chart->control()->widget()->resize(200, 100);
    FUZZ_CHECK(chart->dispatch()->put(trazel::dispid::Xmax, automation::Variant(int32_t(200))) == automation::hr::ok);
    return chart;
}

// A saved extent (0.01 mm) that opens a window of more than 2048 pixels a
// side, which the chart takes (up to 16384). Its surfaces then take gigabytes
// and a redraw seconds: such a record tests the machine, not the reader, and
// the targets leave it out.
inline bool hugeWindow(int32_t hundredthsMm)
{
    const double pixels = double(hundredthsMm) * 96 / 2540;  // offscreen screens have 96 dpi
    return pixels > 2048.5 && pixels < 16384.5;
}

// Every readable property as a host sees it, indexed ones for each channel;
// two charts with the same settings give the same list.
inline QStringList snapshot(automation::Dispatch& d)
{
    using namespace automation;
    QStringList out;
    auto add = [&out](const char* name, HResult r, const Variant& v) {
        out << QString::fromLatin1(name) + u'=' + QString::number(r) + u':' + QString::number(v.vt()) + u':'
                   + asString(v);
    };
    for (const MemberInfo& m : d.members()) {
        if (!m.readable || m.kind == MemberKind::Method || m.kind == MemberKind::Event)
            continue;
        if (m.kind == MemberKind::Property) {
            Variant v;
            add(m.name, d.get(m.id, v), v);
        } else {
            for (int16_t i = 0; i < 16; ++i) {
                Variant v;
                add(m.name, d.getIndexed(m.id, Variant(i), v), v);
            }
        }
    }
    return out;
}

// Reads the input front to back; past the end every read is 0.
class Bytes {
public:
    Bytes(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    uint8_t byte() { return m_pos < m_size ? m_data[m_pos++] : 0; }
    uint16_t u16() { return uint16_t(byte() | byte() << 8); }
    uint32_t u32() { return uint32_t(u16()) | uint32_t(u16()) << 16; }
    size_t left() const { return m_size - m_pos; }
    const uint8_t* here() const { return m_data + m_pos; }
    void skip(size_t n) { m_pos += std::min(n, left()); }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_pos = 0;
};

}  // namespace fuzzhost
