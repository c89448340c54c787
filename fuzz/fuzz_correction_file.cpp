// A microphone correction file, whatever its bytes: it is taken with points
// that rise, lie above 0 Hz and within +/- 60 dB, and a response between its
// lowest and highest point; or it is refused with a line of the file and a
// reason.
#include "fuzz_host.h"

#include "microphone_correction.h"

#include <algorithm>
#include <cmath>

using namespace vellarin;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView text(reinterpret_cast<const char*>(data), qsizetype(size));
    const CorrectionFileResult result = parseCorrectionFile(text);

    if (const auto* error = std::get_if<CorrectionFileError>(&result)) {
        const auto lines = text.count('\n') + 1;
        FUZZ_CHECK(error->line >= 0 && error->line <= lines);
        FUZZ_CHECK(!error->reason.isEmpty());
        FUZZ_CHECK(error->line == 0 || error->message().startsWith(QStringLiteral("line %1: ").arg(error->line)));
        return 0;
    }
    const auto& correction = std::get<MicrophoneCorrection>(result);
    const auto points = correction.points();
    FUZZ_CHECK(!points.empty());
    double lowest = points.front().db, highest = points.front().db;
    for (size_t i = 0; i < points.size(); ++i) {
        FUZZ_CHECK(std::isfinite(points[i].hz) && points[i].hz > 0);
        FUZZ_CHECK(std::fabs(points[i].db) <= CorrectionLimitDb);
        FUZZ_CHECK(i == 0 || points[i].hz > points[i - 1].hz);
        lowest = std::min(lowest, points[i].db);
        highest = std::max(highest, points[i].db);
    }
    for (double hz : {0.0, 1.0, 31.5, 1000.0, 20000.0, 1e300, points.front().hz, points.back().hz}) {
        const double db = correction.responseDb(hz);
        FUZZ_CHECK(std::isfinite(db) && db >= lowest - 1e-9 && db <= highest + 1e-9);
    }
    return 0;
}
