#include "frequency_scaling.h"

#include "note_grid.h"
#include "number_text.h"

#include <QStringList>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace vellarin {

namespace {

struct AxisRow {
    double rate;
    const char* head;
    const char* ticks;
};

// A minus sign marks a solid (decade or major) tick line, the others are dotted.
constexpr AxisRow logarithmicAxis[] = {
    {8000, "X,1,4000,0,21,",
     ",10,20,30,40,50,60,70,80,90,-100,200,300,400,500,600,700,800,900,-1000,2000,3000"},
    {11025, "X,1,5512.5,0,23,",
     ",10,20,30,40,50,60,70,80,90,-100,200,300,400,500,600,700,800,900,-1000,2000,3000,4000,5000"},
    {22050, "X,1,11025,0,28,",
     ",10,20,30,40,50,60,70,80,90,-100,200,300,400,500,600,700,800,900,-1000,2000,3000,4000,5000,6000,7000,8000,"
     "9000,-10000"},
    {44100, "X,1,22050,0,29,",
     ",10,20,30,40,50,60,70,80,90,-100,200,300,400,500,600,700,800,900,-1000,2000,3000,4000,5000,6000,7000,8000,"
     "9000,-10000, 20000"},
};

constexpr AxisRow fullFitAxis[] = {
    {8000, "X,2,4000,0,19,",
     ",200,400,600,800,-1000,1200,1400,1600,1800,-2000,2200,2400,2600,2800,-3000,3200,3400,3600,3800"},
    {11025, "X,2,5512.5,0,25,",
     ",200,400,600,800,-1000,1200,1400,1600,1800,-2000,2200,2400,2600,2800,-3000,3200,3400,3600,3800,-4000,4200,"
     "4400,4600,4800,-5000"},
    {22050, "X,2,11025,0,22,",
     ",500,1000,1500,2000,2500,3000,3500,4000,4500,-5000,5500,6000,6500,7000,7500,8000,8500,9000,9500,-10000,10500,"
     "11000"},
    {44100, "X,2,22050,0,22,",
     ",1000,2000,3000,4000,5000,6000,7000,8000,9000,-10000,11000,12000,13000,14000,15000,16000,17000,18000,19000,"
     "-20000,21000,22000"},
};

// The tick lines of a rate the tables lack, by the rule the tables follow.
struct Tick {
    double hertz;
    bool solid;
    QString note;
};

// The chart keeps at most this many tick lines.
constexpr size_t maxTicks = 64;
// A full-fit step is the finest that keeps the ticks to this many.
constexpr double maxFullFitTicks = 30;

// 10, 20 ... 90, 100, 200 ... below half the rate; each power of ten from 100 on solid.
std::vector<Tick> logarithmicTicks(double half)
{
    std::vector<Tick> ticks;
    for (double decade = 10; decade < half && ticks.size() < maxTicks; decade *= 10)
        for (int m = 1; m <= 9 && m * decade < half && ticks.size() < maxTicks; ++m)
            ticks.push_back({m * decade, m == 1 && decade >= 100});
    return ticks;
}

// An even step of 1, 2 or 5 times a power of ten below half the rate; every
// tenth tick solid, every fifth for a step of 2, so the solid ones fall on
// round numbers.
std::vector<Tick> fullFitTicks(double half)
{
    std::vector<Tick> ticks;
    for (double decade = 1; decade < half; decade *= 10)
        for (int m : {1, 2, 5}) {
            const double step = m * decade;
            const double count = std::ceil(half / step) - 1;  // multiples of the step below half
            if (count > maxFullFitTicks)
                continue;
            const int every = m == 2 ? 5 : 10;
            for (int i = 1; i <= count; ++i)
                ticks.push_back({i * step, i % every == 0});
            return ticks;
        }
    return ticks;
}

QString number(double v) { return QString::number(v, 'g', 15); }

const AxisRow* tableRow(bool logarithmic, double sampleRate)
{
    for (const AxisRow& row : logarithmic ? logarithmicAxis : fullFitAxis)
        if (row.rate == sampleRate)
            return &row;
    return nullptr;
}

// The ticks of a rate: the table's, read from the text it sends, or the rule's.
std::vector<Tick> ticksOf(bool logarithmic, double sampleRate)
{
    if (const AxisRow* row = tableRow(logarithmic, sampleRate)) {
        std::vector<Tick> ticks;
        for (const QString& field : QString::fromLatin1(row->ticks).split(u',', Qt::SkipEmptyParts)) {
            const double v = field.trimmed().toDouble();
            ticks.push_back({std::fabs(v), v < 0});
        }
        return ticks;
    }
    if (!std::isfinite(sampleRate) || sampleRate <= 0)
        return {};
    return logarithmic ? logarithmicTicks(sampleRate / 2) : fullFitTicks(sampleRate / 2);
}

// The ticks with the octave grid's C notes after them, dotted, within the
// chart's room for tick lines.
std::vector<Tick> withNotes(std::vector<Tick> ticks, double sampleRate)
{
    for (const OctaveLine& line : octaveLines(0.0, sampleRate / 2))
        if (ticks.size() < maxTicks && line.hertz < sampleRate / 2)
            ticks.push_back({line.hertz, false, line.label});
    return ticks;
}

// A column that does not fit the map's 16-bit cells is held at the limit.
int16_t toColumn(double v)
{
    if (!std::isfinite(v))
        return 0;
    const double r = std::clamp(roundHalfEven(v), -32768.0, 32767.0);
    return static_cast<int16_t>(r);
}

template <class Position>
void fillMap(BinMap& map, int32_t half, Position pos)
{
    int16_t previous = 0;
    for (int32_t k = 1; k <= half; ++k) {
        const int16_t column = toColumn(pos(k));
        map[k][0] = column;
        map[k][1] = static_cast<int16_t>(std::clamp(column - previous, -32768, 32767));
        previous = column;
    }
}

}  // namespace

std::optional<AxisTicks> axisTicks(int16_t freqScaling, double sampleRate, const QString& fftSizeText,
                                   const QString& rateText, bool noteGrid)
{
    if (freqScaling != LogScaling && freqScaling != FullFitScaling)
        return std::nullopt;
    const bool logarithmic = freqScaling == LogScaling;
    std::vector<Tick> ticks = ticksOf(logarithmic, sampleRate);
    if (ticks.empty())
        return std::nullopt;
    if (noteGrid && logarithmic)
        ticks = withNotes(std::move(ticks), sampleRate);
    AxisTicks axis;
    axis.mode = logarithmic ? trazel::AxisMode::Logarithmic : trazel::AxisMode::Linear;
    // The points field is the drop-down text as typed; the chart reads its leading number.
    axis.span = {0, sampleRate / 2, std::trunc(readLeadingNumber(logarithmic ? fftSizeText : rateText).value)};
    // The chart keeps no more ticks than the axis has points.
    for (const Tick& t : ticks)
        if (double(axis.ticks.size()) < axis.span.points)
            axis.ticks.push_back({t.hertz, t.solid, t.note});
    return axis;
}

std::optional<QString> axisCommand(int16_t freqScaling, double sampleRate, const QString& fftSizeText,
                                   const QString& rateText, bool noteGrid)
{
    if (freqScaling != LogScaling && freqScaling != FullFitScaling)
        return QStringLiteral("L");
    const bool logarithmic = freqScaling == LogScaling;
    const bool notes = noteGrid && logarithmic;
    const QString& middle = logarithmic ? fftSizeText : rateText;
    // The four rates of the drop-down keep their tables to the letter.
    if (const AxisRow* row = tableRow(logarithmic, sampleRate); row && !notes)
        return QLatin1String(row->head) + middle + QLatin1String(row->ticks);
    std::vector<Tick> ticks = ticksOf(logarithmic, sampleRate);
    if (ticks.empty())
        return std::nullopt;
    if (notes)
        ticks = withNotes(std::move(ticks), sampleRate);
    QString command = QStringLiteral("X,%1,%2,0,%3,").arg(logarithmic ? 1 : 2).arg(number(sampleRate / 2)).arg(ticks.size())
                      + middle;
    for (const Tick& t : ticks)
        command += u',' + number(t.solid ? -t.hertz : t.hertz);
    return command;
}

void buildBinMaps(int32_t fftSize, int32_t chartColumns, double waterfallPixels, const BinMaps& maps)
{
    // The maps hold bins up to the largest FFT; a larger size maps only those.
    const int32_t half = std::clamp(fftSize / 2, 0, MaxHalf);
    const double logHalf = std::log(static_cast<double>(fftSize / 2));
    // ln(k) / ln(N/2) of the extent; with a single bin (ln 1 = 0) it sits on column 0.
    auto logarithmic = [logHalf](double extent) {
        return [logHalf, extent](int32_t k) { return logHalf > 0 ? std::log(double(k)) / logHalf * extent : 0.0; };
    };
    auto linear = [fftSize](double extent) {
        return [fftSize, extent](int32_t k) { return 2.0 * k * extent / fftSize; };
    };

    fillMap(maps.chartLog, half, logarithmic(chartColumns));
    fillMap(maps.waterfallLog, half, logarithmic(waterfallPixels));
    fillMap(maps.chartFit, half, linear(chartColumns));
    fillMap(maps.waterfallFit, half, linear(waterfallPixels));
}

QString formatHz(double hertz)
{
    if (!std::isfinite(hertz))
        hertz = 0.0;
    QString text = QString::number(hertz, 'f', 1);
    if (text == QLatin1String("-0.0"))
        text = QStringLiteral("0.0");
    return text + QStringLiteral("Hz");
}

double binFrequency(double k, double sampleRate, int32_t fftSize)
{
    return fftSize > 0 ? k * sampleRate / fftSize : 0.0;
}

QString lowLabel(int32_t firstBin, double sampleRate, int32_t fftSize)
{
    return formatHz(binFrequency(firstBin, sampleRate, fftSize));
}

QString highLabel(int32_t firstBin, int32_t chartColumns, double sampleRate, int32_t fftSize)
{
    return formatHz(binFrequency(static_cast<double>(chartColumns) - 1 + firstBin, sampleRate, fftSize));
}

FrequencyView frequencyView(int16_t freqScaling, int32_t fftSize, int32_t chartColumns, double sampleRate,
                            int32_t scrollValue)
{
    FrequencyView view;
    if (freqScaling == LogScaling || freqScaling == FullFitScaling) {
        view.lowLabel = formatHz(0.0);
        view.highLabel = formatHz(sampleRate / 2);
        return view;
    }
    view.lowLabel = lowLabel(scrollValue, sampleRate, fftSize);
    view.highLabel = highLabel(scrollValue, chartColumns, sampleRate, fftSize);
    const int32_t half = fftSize / 2;
    if (fftSize == 1024) {
        view.scrollValue = 0;
        view.scrollMax = 512;
        return view;
    }
    // The bins that do not fit the chart's columns.
    const int64_t notShown = static_cast<int64_t>(half) - (static_cast<int64_t>(chartColumns) - 1);
    if (notShown > 0) {
        view.scrollMax = static_cast<int32_t>(std::min<int64_t>(notShown, std::numeric_limits<int32_t>::max()));
        view.scrollEnabled = true;
        if (scrollValue > notShown)
            view.scrollValue = *view.scrollMax;
    } else {
        view.scrollMax = half;
        view.scrollValue = 0;
    }
    return view;
}

}  // namespace vellarin
