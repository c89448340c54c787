#include "band_export.h"

#include "frequency_weighting.h"
#include "level_units.h"

#include <wavein/printable_text.h>

#include <QFileInfo>
#include <QSaveFile>
#include <QTextStream>

namespace vellarin {

void appendMeasurementHeader(const AnalysisSettings& settings, std::vector<std::pair<QString, QString>>& header)
{
    header.emplace_back(QStringLiteral("weighting"), QLatin1String(weightingShape(weightingFromKey(settings.weighting)).key));
    header.emplace_back(QStringLiteral("calibration offset"),
                        settings.splOffset ? QStringLiteral("%1 dB SPL at 0 dBFS").arg(*settings.splOffset, 0, 'f', 2)
                                           : QStringLiteral("none"));
    header.emplace_back(QStringLiteral("correction file"), settings.correctionFile.isEmpty()
                                                               ? QStringLiteral("none")
                                                               : QFileInfo(settings.correctionFile).fileName());
}

QString writeBandsCsv(const BandTable& table, const QString& path)
{
    if (table.bands.empty() || table.meanSquare.size() < table.bands.size())
        return QStringLiteral("There are no bands to export yet: choose octave bands and start capturing first.");
    QSaveFile file(path);
    const auto failure = [&path](const QString& why) { return QStringLiteral("Could not write %1: %2").arg(path, why); };
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return failure(file.errorString());
    QTextStream out(&file);
    out << "# vellarin bands\n"
        << "# sample rate: " << table.sampleRate << " Hz\n"
        << "# FFT size: " << table.fftSize << '\n'
        << "# device: " << wavein::printableText(table.device) << '\n';
    for (const auto& [key, value] : table.header)
        out << "# " << wavein::printableText(key) << ": " << wavein::printableText(value) << '\n';
    out << "# level unit: " << table.unit << '\n';
    out << "band,nominal_hz,lower_hz,upper_hz,level_db,note\n";
    const auto number = [](double v, int decimals) { return QString::number(v, 'f', decimals); };
    for (size_t i = 0; i < table.bands.size(); ++i) {
        const OctaveBand& b = table.bands[i];
        out << b.label << ',' << number(b.nominal, 1) << ',' << number(b.lower, 2) << ',' << number(b.upper, 2) << ','
            << number(dbfsFromMeanSquare(table.meanSquare[i]) + table.offsetDb, 2) << ','
            << (b.resolved ? "" : "not resolved") << '\n';
    }
    out.flush();
    if (out.status() != QTextStream::Ok) {
        file.cancelWriting();
        return failure(file.errorString());
    }
    return file.commit() ? QString() : failure(file.errorString());
}

}  // namespace vellarin
