#pragma once
// Each input's calibration, remembered by the input's key: a microphone on a
// USB interface keeps its offset and correction file whichever input is on
// show. The Default entry stands for the source it follows ("0 Default (Desk
// Mic)"), so it takes that source's calibration.
#include "analysis_settings.h"

#include <QString>

class QComboBox;
class QSettings;

namespace vellarin {

// The key the input's calibration is kept under; empty when there is none to
// keep (no input named).
QString calibrationKey(const QComboBox& inputs, const AnalysisSettings& settings);

struct InputCalibration {
    std::optional<double> splOffset;
    QString correctionFile;
};

InputCalibration recallCalibration(const QSettings& remembered, const QString& key);
void rememberCalibration(QSettings& remembered, const QString& key, const InputCalibration& calibration);

}  // namespace vellarin
