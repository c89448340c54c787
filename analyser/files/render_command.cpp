#include "render_command.h"

#include "analyser_state.h"
#include "file_render.h"
#include "runtime_folder.h"
#include "saved_render.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageWriter>
#include <QTextStream>

namespace vellarin {

namespace {

const QString render = QStringLiteral("render");
const QString output = QStringLiteral("output");
const QString size = QStringLiteral("size");
const QString window = QStringLiteral("window");

QString windowKeys()
{
    QStringList keys;
    for (const WindowShape& s : windowShapes())
        keys << QString::fromLatin1(s.key);
    return keys.join(u'|');
}

int refuse(const QString& message, int status)
{
    QTextStream(stderr) << "vellarin: " << message << '\n';
    return status;
}

}  // namespace

void addRenderOptions(QCommandLineParser& parser)
{
    parser.addOptions({
        {render, "Write the spectrogram of a whole sound file as a picture (with -o) and exit.", "file"},
        {{"o", output}, "The picture --render writes; its type from its name: .png, .jpg, .bmp ...", "picture"},
        {size, "The size of the picture --render writes, scales included (default 1600x800).", "WxH"},
        {window, "The window function of each frame: " + windowKeys() + " (default hann).", "window"},
    });
}

std::optional<int> runRenderCommand(const QCommandLineParser& parser, const SharedRenderOptions& launch, int& argc,
                                    char** argv)
{
    if (!parser.isSet(render)) {
        for (const QString& own : {output, size, window})
            if (parser.isSet(own))
                return refuse(QStringLiteral("--%1 goes with --render").arg(own), 2);
        return std::nullopt;
    }
    const QString file = parser.value(render);
    const QString picture = parser.value(output);
    if (picture.isEmpty())
        return refuse(QStringLiteral("--render %1: say where the picture goes with -o PICTURE").arg(file), 2);

    RenderOptions options;
    if (launch.fftSize)
        options.fftSize = *launch.fftSize;
    if (launch.scaling) {
        if (*launch.scaling == StandardScaling)
            return refuse(QStringLiteral("--scaling standard: a render scales log or fullfit"), 2);
        options.logarithmic = *launch.scaling == LogScaling;
    }
    if (parser.isSet(size)) {
        const QStringList wh = parser.value(size).toLower().split(u'x');
        bool okW = false, okH = false;
        const int w = wh.size() == 2 ? wh[0].toInt(&okW) : 0;
        const int h = wh.size() == 2 ? wh[1].toInt(&okH) : 0;
        if (!okW || !okH || w < smallestRender.width() || h < smallestRender.height() || w > 16384 || h > 16384)
            return refuse(QStringLiteral("--size %1: the size must be WIDTHxHEIGHT in pixels, from %2x%3 to 16384x16384")
                              .arg(parser.value(size))
                              .arg(smallestRender.width())
                              .arg(smallestRender.height()),
                          2);
        options.size = {w, h};
    }
    if (parser.isSet(window)) {
        const QString key = parser.value(window).toLower();
        bool known = false;
        for (const WindowShape& s : windowShapes())
            if (key == QLatin1String(s.key)) {
                options.window = s.function;
                known = true;
            }
        if (!known)
            return refuse(QStringLiteral("--window %1: the window must be %2").arg(parser.value(window), windowKeys()), 2);
    }
    if (!QImageWriter::supportedImageFormats().contains(QFileInfo(picture).suffix().toLower().toLatin1()))
        return refuse(QStringLiteral("%1: pictures of this type cannot be written; name it .png, .jpg or .bmp").arg(picture), 1);

    // The labels need fonts, which need a GUI application; no window is shown.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const RuntimeFolderForRun runtimeFolder;
    const QGuiApplication app(argc, argv);
    const RenderedFile rendered = renderFile(file, options);
    if (rendered.image.isNull())
        return refuse(rendered.error, 1);
    if (const QString failed = saveRender(rendered.image, picture); !failed.isEmpty())
        return refuse(QStringLiteral("%1: the picture cannot be written (%2)").arg(picture, failed), 1);
    return 0;
}

}  // namespace vellarin
