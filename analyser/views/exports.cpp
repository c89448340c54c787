#include "exports.h"

#include "level_notation.h"
#include "readouts.h"

#include <wavein/printable_text.h>

#include <QDateTime>
#include <QImage>
#include <QSaveFile>
#include <QTextStream>

namespace vellarin {

namespace {

QString writeFailure(const QString& path, const QString& why)
{
    return QStringLiteral("Could not write %1: %2").arg(path, why);
}

}  // namespace

QString writePicture(const QImage& picture, const QString& path)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return writeFailure(path, file.errorString());
    if (!picture.save(&file, "PNG")) {
        file.cancelWriting();
        return writeFailure(path, file.error() != QFileDevice::NoError ? file.errorString() : QStringLiteral("the picture could not be encoded"));
    }
    return file.commit() ? QString() : writeFailure(path, file.errorString());
}

QString writeSpectrumCsv(const SpectrumFrame& frame, const QString& path)
{
    if (frame.fftSize < 2 || frame.levels.size() < size_t(frame.fftSize / 2 + 1))
        return QStringLiteral("There is no spectrum to export yet: start capturing first.");
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return writeFailure(path, file.errorString());
    QTextStream out(&file);
    out << "# vellarin spectrum\n"
        << "# sample rate: " << frame.sampleRate << " Hz\n"
        << "# FFT size: " << frame.fftSize << '\n'
        << "# device: " << wavein::printableText(frame.device) << '\n';
    for (const auto& [key, value] : frame.treatment)
        out << "# " << wavein::printableText(key) << ": " << wavein::printableText(value) << '\n';
    out << "# unit: " << (frame.unit ? frame.unit->unitName() : QStringLiteral("dB (design)")) << '\n';
    out << "bin,frequency_hz,level_db\n";
    const double binHz = double(frame.sampleRate) / frame.fftSize;
    for (int32_t bin = 0; bin <= frame.fftSize / 2; ++bin) {
        const double hertz = bin * binHz;
        const double designDb = levelDecibels(frame.levels[size_t(bin)]);
        out << bin << ',' << QString::number(hertz, 'g', 15) << ','
            << QString::number(frame.unit ? frame.unit->fromDesign(designDb, hertz) : designDb, 'f', 2) << '\n';
    }
    out.flush();
    if (out.status() != QTextStream::Ok) {
        file.cancelWriting();
        return writeFailure(path, file.errorString());
    }
    return file.commit() ? QString() : writeFailure(path, file.errorString());
}

QString defaultExportName(const QString& what, const QDateTime& when, const QString& suffix)
{
    return QStringLiteral("vellarin-%1-%2.%3").arg(what, when.toString(QStringLiteral("yyyy-MM-dd-HHmmss")), suffix);
}

}  // namespace vellarin
