#include "analysis_settings.h"

#include "number_text.h"

#include <QStringList>

#include <algorithm>

namespace vellarin {

bool isFFTSize(int32_t n) { return std::find(FFTSizes.begin(), FFTSizes.end(), n) != FFTSizes.end(); }

QStringList fftSizeItems()
{
    QStringList items;
    for (int32_t n : FFTSizes)
        items << QString::number(n);
    return items;
}

QString fftSizeList()
{
    QStringList items = fftSizeItems();
    const QString last = items.takeLast();
    return QStringLiteral("%1 or %2").arg(items.join(QStringLiteral(", ")), last);
}

QString fftSizeMessage() { return QStringLiteral("The FFT size must be %1!").arg(fftSizeList()); }

double AnalysisSettings::sampleRate() const { return readLeadingNumber(rateText).value; }

std::optional<int32_t> AnalysisSettings::fftSize() const
{
    const std::optional<int32_t> n = readLeadingNumber(fftSizeText).rounded;
    if (!n || !isFFTSize(*n))
        return std::nullopt;
    return n;
}

std::optional<uint32_t> AnalysisSettings::captureRate() const
{
    const std::optional<int32_t> n = readLeadingNumber(rateText).rounded;
    if (!n || *n < 0)
        return std::nullopt;
    return static_cast<uint32_t>(*n);
}

void SettingsModel::set(const AnalysisSettings& settings)
{
    if (settings == m_value)
        return;
    const AnalysisSettings before = m_value;
    m_value = settings;
    emit changed(SettingsChange{before, m_value});
}

}  // namespace vellarin
