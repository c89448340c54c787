// Renders the waterfall in every direction, flat and 3D, to PNG files for
// looking at; by default at the size it has in the analyser's design layout.
//   cascadra_gallery [output folder [width height]]
#include <synthetic_spectrum.h>

#include <interfaces/class_ids.h>
#include <automation/host.h>
#include <interfaces/cascadra.h>

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QWidget>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

using namespace automation;

namespace {

// The waterfall in the design layout is 689 x 281 pixels; lines running
// across it are as long as the chart is wide, 176 pixels less.
int pictureWidth = 689, pictureHeight = 281;
constexpr int chartNarrower = 176;

bool render(int direction, bool view3D, const QString& path)
{
    ComponentPtr component;
    if (failed(createInstance(sdk::classes::cascadra.classId, component, "cascadra")) || !component->control())
        return false;
    Dispatch* waterfall = component->dispatch();
    QWidget* view = component->control()->widget();
    view->resize(pictureWidth, pictureHeight);
    waterfall->put(cascadra::dispid::ScrollDirection, Variant(int32_t(direction)));
    waterfall->put(cascadra::dispid::View3D, Variant(int32_t(view3D ? 1 : 0)));

    const bool alongHeight = direction == cascadra::RightToLeft || direction == cascadra::InvertedRightToLeft;
    SyntheticSpectrum spectrum(alongHeight ? pictureHeight : std::max(1, pictureWidth - chartNarrower));
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
    if (argc > 3) {
        pictureWidth = std::max(1, atoi(argv[2]));
        pictureHeight = std::max(1, atoi(argv[3]));
    }
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
