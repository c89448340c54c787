// Renders the waterfall in every direction, flat and 3D, at the analyser's
// design size, to PNG files for looking at.
//   cascadra_gallery [output folder]
#include "synthetic_spectrum.h"

#include <automation/class_ids.h>
#include <automation/host.h>
#include <automation/interfaces/cascadra.h>

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QWidget>

#include <cstdio>

using namespace automation;

namespace {

constexpr int pictureWidth = 689, pictureHeight = 281;  // the waterfall in the design layout
constexpr int chartColumns = 513;                        // line length when lines run across

bool render(int direction, bool view3D, const QString& path)
{
    ComponentPtr component;
    if (failed(createInstance(classes::cascadra.classId, component)) || !component->control())
        return false;
    Dispatch* waterfall = component->dispatch();
    QWidget* view = component->control()->widget();
    view->resize(pictureWidth, pictureHeight);
    waterfall->put(cascadra::dispid::ScrollDirection, Variant(int32_t(direction)));
    waterfall->put(cascadra::dispid::View3D, Variant(int32_t(view3D ? 1 : 0)));

    const bool alongHeight = direction == cascadra::RightToLeft || direction == cascadra::InvertedRightToLeft;
    SyntheticSpectrum spectrum(alongHeight ? pictureHeight : chartColumns);
    for (int t = 0; t < pictureWidth + pictureHeight; ++t) {
        Variant line(SafeArray::shorts1D(spectrum.line(t)));
        waterfall->call(cascadra::dispid::AddLine, std::span<Variant>(&line, 1));
    }
    return view->grab().toImage().save(path);
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("cascadra-gallery");
    QDir().mkpath(folder);
    int failures = 0;
    for (int direction = 0; direction <= 5; ++direction)
        for (bool view3D : {false, true}) {
            const QString path = QStringLiteral("%1/direction%2-%3.png").arg(folder).arg(direction).arg(view3D ? "3d" : "flat");
            const bool ok = render(direction, view3D, path);
            std::printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(path));
            failures += ok ? 0 : 1;
        }
    return failures == 0 ? 0 : 1;
}
