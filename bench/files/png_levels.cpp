// What zlib's level buys for a spectrogram picture: writes the picture given
// as PNG at each level 0..9 through Qt's writer, as the render does, and
// prints the best of three times and the size at each.
#include <QBuffer>
#include <QCoreApplication>
#include <QImage>
#include <QImageWriter>

#include <algorithm>
#include <chrono>
#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: png_levels PICTURE\n");
        return 2;
    }
    const QCoreApplication app(argc, argv);
    const QImage picture = QImage(QString::fromLocal8Bit(argv[1])).convertToFormat(QImage::Format_RGB32);
    if (picture.isNull()) {
        std::fprintf(stderr, "%s: not a picture\n", argv[1]);
        return 1;
    }
    for (int level = 0; level <= 9; ++level) {
        // Qt reads a PNG's quality q as zlib level (100 - q) x 9 / 91.
        const int quality = 100 - (91 * level + 8) / 9;
        double best = 1e9;
        qint64 bytes = 0;
        for (int run = 0; run < 3; ++run) {
            QBuffer buffer;
            buffer.open(QIODevice::WriteOnly);
            QImageWriter writer(&buffer, "png");
            writer.setQuality(quality);
            const auto start = std::chrono::steady_clock::now();
            writer.write(picture);
            best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
            bytes = buffer.size();
        }
        std::printf("zlib level %d: %.3f s  %.2f MB\n", level, best, bytes / 1e6);
    }
    return 0;
}
