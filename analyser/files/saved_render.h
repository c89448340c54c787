#pragma once
// Writing a rendered spectrogram to a picture file.
#include <QByteArray>
#include <QImage>
#include <QString>

namespace vellarin {

// Writes `image` to `path` as `format`, or as its name's suffix says when no
// format is given. Gives the reason when it could not, else nothing.
QString saveRender(const QImage& image, const QString& path, const QByteArray& format = {});

}  // namespace vellarin
