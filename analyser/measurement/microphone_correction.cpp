#include "microphone_correction.h"

#include <QFile>

#include <algorithm>
#include <charconv>
#include <cstring>
#include <cmath>

namespace vellarin {

MicrophoneCorrection::MicrophoneCorrection(std::vector<Point> points, QString sensitivity)
    : m_points(std::move(points)), m_sensitivity(std::move(sensitivity))
{
    m_logHz.reserve(m_points.size());
    for (const Point& p : m_points)
        m_logHz.push_back(std::log10(p.hz));
}

double MicrophoneCorrection::responseDb(double hz) const
{
    if (m_points.empty())
        return 0.0;
    if (!(hz > m_points.front().hz))
        return m_points.front().db;
    if (hz >= m_points.back().hz)
        return m_points.back().db;
    const double x = std::log10(hz);
    const size_t i = size_t(std::upper_bound(m_logHz.begin(), m_logHz.end(), x) - m_logHz.begin());
    // m_logHz[i - 1] <= x < m_logHz[i]
    const double t = (x - m_logHz[i - 1]) / (m_logHz[i] - m_logHz[i - 1]);
    return m_points[i - 1].db + t * (m_points[i].db - m_points[i - 1].db);
}

void MicrophoneCorrection::responsePerBin(int32_t fftSize, double sampleRate, std::span<double> db) const
{
    if (fftSize <= 0)
        return;
    const size_t bins = std::min(size_t(fftSize / 2) + 1, db.size());
    for (size_t k = 0; k < bins; ++k)
        db[k] = responseDb(double(k) * sampleRate / fftSize);
}

QString CorrectionFileError::message() const
{
    if (line > 0)
        return QStringLiteral("line %1: %2").arg(line).arg(reason);
    return reason.isEmpty() ? reason : reason.at(0).toUpper() + reason.mid(1);
}

namespace {

QString number(double v) { return QString::number(v, 'g', 10); }

// RFC 3629: no overlong forms, no surrogates, nothing above U+10FFFF.
bool validUtf8(const unsigned char* p, const unsigned char* end)
{
    while (p < end) {
        const unsigned char c = *p;
        if (c < 0x80) {
            ++p;
            continue;
        }
        int more;
        unsigned lowest, code;
        if ((c & 0xE0) == 0xC0) {
            more = 1, code = c & 0x1F, lowest = 0x80;
        } else if ((c & 0xF0) == 0xE0) {
            more = 2, code = c & 0x0F, lowest = 0x800;
        } else if ((c & 0xF8) == 0xF0) {
            more = 3, code = c & 0x07, lowest = 0x10000;
        } else {
            return false;
        }
        if (end - p <= more)
            return false;
        for (int i = 1; i <= more; ++i) {
            if ((p[i] & 0xC0) != 0x80)
                return false;
            code = code << 6 | (p[i] & 0x3F);
        }
        if (code < lowest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        p += more + 1;
    }
    return true;
}

bool blank(char c) { return c == ' ' || c == '\t'; }

// A number in the C locale's form, whatever the program's locale; a leading
// '+' allowed. Leaves `p` after it.
bool readNumber(const char*& p, const char* end, double& value)
{
    const char* start = p;
    if (start < end && *start == '+' && start + 1 < end && *(start + 1) != '-')
        ++start;
    const auto [after, error] = std::from_chars(start, end, value, std::chars_format::general);
    if (error != std::errc() || !std::isfinite(value))
        return false;
    p = after;
    return true;
}

}  // namespace

CorrectionFileResult parseCorrectionFile(QByteArrayView text)
{
    const char* p = text.data();
    const char* const end = p + text.size();
    if (text.size() >= 3 && text.first(3) == QByteArrayView("\xEF\xBB\xBF"))
        p += 3;  // a byte order mark some editors write

    std::vector<MicrophoneCorrection::Point> points;
    QString sensitivity;
    int lineNumber = 0;
    int previousLine = 0;
    while (p < end) {
        ++lineNumber;
        const char* lineEnd = static_cast<const char*>(std::memchr(p, '\n', size_t(end - p)));
        if (!lineEnd)
            lineEnd = end;
        const char* next = lineEnd == end ? end : lineEnd + 1;
        if (lineEnd > p && *(lineEnd - 1) == '\r')
            --lineEnd;
        auto fail = [lineNumber](const QString& reason) { return CorrectionFileError{lineNumber, reason}; };

        if (!validUtf8(reinterpret_cast<const unsigned char*>(p), reinterpret_cast<const unsigned char*>(lineEnd)))
            return fail(QStringLiteral("the text is not UTF-8"));
        while (p < lineEnd && blank(*p))
            ++p;
        const QByteArrayView line(p, lineEnd - p);
        p = next;
        if (line.isEmpty() || line.front() == '#')
            continue;
        if (line.front() == '*') {
            if (!points.empty() || !sensitivity.isNull())
                return fail(QStringLiteral("the sensitivity line (starting with *) may only come first"));
            sensitivity = QString::fromUtf8(line.sliced(1)).trimmed();
            continue;
        }

        const char* q = line.data();
        const char* const qEnd = q + line.size();
        MicrophoneCorrection::Point point;
        const bool read = readNumber(q, qEnd, point.hz) && q < qEnd && blank(*q);
        while (read && q < qEnd && blank(*q))
            ++q;
        if (!read || !readNumber(q, qEnd, point.db) || (q < qEnd && !blank(*q) && *q != '#')) {
            QString shown = QString::fromUtf8(line.first(std::min<qsizetype>(line.size(), 40)));
            if (line.size() > 40)
                shown += u'\x2026';
            return fail(QStringLiteral("expected a frequency and a level in dB, found \"%1\"").arg(shown));
        }
        if (!(point.hz > 0.0))
            return fail(QStringLiteral("frequencies must be above 0 Hz (found %1)").arg(number(point.hz)));
        if (std::fabs(point.db) > CorrectionLimitDb)
            return fail(QStringLiteral("a correction of %1 dB is beyond +/- %2 dB")
                            .arg(number(point.db))
                            .arg(number(CorrectionLimitDb)));
        if (!points.empty()) {
            const double before = points.back().hz;
            if (point.hz == before)
                return fail(QStringLiteral("frequency %1 is given twice (also on line %2)")
                                .arg(number(point.hz))
                                .arg(previousLine));
            if (point.hz < before)
                return fail(
                    QStringLiteral("frequencies must rise (%1 after %2)").arg(number(point.hz)).arg(number(before)));
        }
        points.push_back(point);
        previousLine = lineNumber;
    }
    if (text.isEmpty())
        return CorrectionFileError{0, QStringLiteral("the file is empty")};
    if (points.empty())
        return CorrectionFileError{0, QStringLiteral("the file holds no lines of frequency and dB")};
    return MicrophoneCorrection(std::move(points), sensitivity);
}

CorrectionFileResult readCorrectionFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return CorrectionFileError{0, QStringLiteral("the file cannot be read (%1)").arg(file.errorString())};
    if (file.size() > CorrectionFileMaxBytes)
        return CorrectionFileError{0, QStringLiteral("the file is too large for a correction file (over %1 MB)")
                                          .arg(CorrectionFileMaxBytes >> 20)};
    const QByteArray bytes = file.read(CorrectionFileMaxBytes + 1);
    if (bytes.size() > CorrectionFileMaxBytes)
        return CorrectionFileError{0, QStringLiteral("the file is too large for a correction file (over %1 MB)")
                                          .arg(CorrectionFileMaxBytes >> 20)};
    return parseCorrectionFile(bytes);
}

}  // namespace vellarin
