#include "input_calibration.h"

#include <QComboBox>
#include <QSettings>

namespace vellarin {

namespace {

// QSettings keys treat '/' as a group and '\' badly; a source's name may hold either.
QString settingsKey(const QString& key)
{
    return QStringLiteral("calibration/") + QString::fromLatin1(key.toUtf8().toPercentEncoding());
}

}  // namespace

QString calibrationKey(const QComboBox& inputs, const AnalysisSettings& settings)
{
    const QString& key = settings.inputKey;
    const QString entry = settings.inputEntry;
    const bool followsDefault = key.isEmpty() || key.compare(QLatin1String("Default"), Qt::CaseInsensitive) == 0 ||
                                entry.section(u' ', 1).startsWith(QLatin1String("Default"), Qt::CaseInsensitive);
    if (!followsDefault)
        return key;
    // "0 Default (Desk Mic)": the followed source by the name the list shows it under.
    const qsizetype open = entry.indexOf(u'(');
    if (open < 0 || !entry.endsWith(u')'))
        return key;
    const QString followed = entry.mid(open + 1, entry.size() - open - 2);
    for (int i = 0; i < inputs.count(); ++i)
        if (inputs.itemText(i).section(u' ', 1) == followed && !inputs.itemData(i).toString().isEmpty())
            return inputs.itemData(i).toString();
    return followed;
}

InputCalibration recallCalibration(const QSettings& remembered, const QString& key)
{
    InputCalibration c;
    if (key.isEmpty())
        return c;
    const QString base = settingsKey(key);
    bool ok = false;
    if (const double offset = remembered.value(base + QStringLiteral("/splOffset")).toDouble(&ok); ok)
        c.splOffset = offset;
    c.correctionFile = remembered.value(base + QStringLiteral("/correctionFile")).toString();
    return c;
}

void rememberCalibration(QSettings& remembered, const QString& key, const InputCalibration& calibration)
{
    if (key.isEmpty())
        return;
    const QString base = settingsKey(key);
    if (calibration.splOffset)
        remembered.setValue(base + QStringLiteral("/splOffset"), *calibration.splOffset);
    else
        remembered.remove(base + QStringLiteral("/splOffset"));
    if (!calibration.correctionFile.isEmpty())
        remembered.setValue(base + QStringLiteral("/correctionFile"), calibration.correctionFile);
    else
        remembered.remove(base + QStringLiteral("/correctionFile"));
}

}  // namespace vellarin
