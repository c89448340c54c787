// Timer1, the main loop: collect the buffers the device filled, slide them
// into the frame, hand them back, and draw the newest frame in the chart and
// the waterfall. Nothing here allocates except the waterfall line.
#include "analysis_pipeline.h"
#include "capture_ring.h"
#include "component_site.h"
#include "chart_trace.h"
#include "form1.h"
#include "frame_extras.h"
#include "levels.h"
#include "number_text.h"
#include "spectrum_lines.h"

#include <interfaces/cascadra.h>

#include <QScopedValueRollback>
#include <QScrollBar>

#include <algorithm>

namespace vellarin {

void Form1::timerTick()
{
    AnalyserState& s = *m_state;
    // A tick never runs inside another (a message box spins the event loop).
    if (m_ticking || s.Capturing != True)
        return;
    const QScopedValueRollback ticking(m_ticking, true);
    if (!followSource())
        return;

    const int ready = countReadyBuffers(s);
    const int64_t now = m_services.clock();
    if (ready == 0) {
        watchOverCapture(now);
        return;
    }
    m_watchdog.buffersCompleted(now);

    if (s.WarmingUp == True) {
        s.BuffersCollected += ready;
        if (s.BuffersCollected >= frameBuffers(s))
            s.WarmingUp = False;
    }
    gatherIntoFrame(s, ready);
    copyIntoHistory(s, ready, m_history);
    switch (requeueReadyBuffers(s, m_services.waveIn, ready)) {
    case QueueFailure::prepare:
        // The ring is out of step with the device now: every later tick would fail too.
        abandonCapture(QStringLiteral("Failed to prepare header!"));
        return;
    case QueueFailure::add:
        abandonCapture(QStringLiteral("Failed to add buffer!"));
        return;
    case QueueFailure::none:
        break;
    }
    advanceRing(s, ready);
    if (s.WarmingUp == True)
        return;

    drawFrame(ready * s.BufferSamples);
    ++m_framesDrawn;
    if (m_frameExtras)
        m_frameExtras->frameDrawn();

    // Close to the whole ring was waiting: the device may have run out of
    // buffers, so the frame is gathered afresh.
    if (ready > s.LastBuffer - 10) {
        s.BuffersCollected = 0;
        s.WarmingUp = True;
    }
}

// The FFT plans its size on the first transform, which takes milliseconds at
// N = 16384: that happens at Start, on the frame array, not on the first frame.
void Form1::prepareTransform()
{
    AnalyserState& s = *m_state;
    std::fill_n(s.FFTData.begin(), 2 * s.FFTSize, 0.0);
    m_fft.setTransformFlag(true);
    int32_t length = s.FFTSize;
    m_fft.fft(s.FFTData.data(), length);
}

void Form1::drawFrame(int32_t newSamples)
{
    AnalyserState& s = *m_state;
    const int32_t n = s.FFTSize;
    const int32_t half = n / 2;

    const FrameTiming timing{newSamples, s.CaptureFormat.samplesPerSec, m_framesDrawn == 0};
    analyseFrame(m_fft, m_frameExtras, std::span(s.FrameSamples).first(n), s.FFTData, timing, s.BinLevel);
    s.BinLevelRate = s.CaptureFormat.samplesPerSec;
    s.BinLevelFFTSize = n;

    const int32_t columns = std::clamp(m_chart.xmax(), 0, 32767);
    const int32_t firstBin = std::clamp(HScroll1->value(), 0, MaxFFTSize);
    blankPastSpectrum(s.BinLevel, half, firstBin + columns - 1);

    const bool mapped = s.FreqScaling == LogScaling || s.FreqScaling == FullFitScaling;
    const int32_t direction = mapped ? m_waterfall.scrollDirection() : -1;
    // Lines run along the waterfall's height in these two directions.
    const bool alongHeight = direction == cascadra::RightToLeft || direction == cascadra::InvertedRightToLeft;
    const int32_t upper = alongHeight ? static_cast<int32_t>(std::clamp(roundHalfEven(waterfallPixels()), 0.0, 32767.0))
                                      : columns;
    s.WaterfallLine.assign(static_cast<size_t>(upper) + 1, 0);

    const LevelWindow window{s.LevelMin, s.LevelMax, s.LevelSpan};
    if (mapped) {
        const bool logarithmic = s.FreqScaling == LogScaling;
        const BinMap& chartMap = logarithmic ? s.ChartLogMap : s.ChartFitMap;
        const BinMap& waterfallMap = !alongHeight ? chartMap : logarithmic ? s.WaterfallLogMap : s.WaterfallFitMap;
        buildMappedChartLine(s.BinLevel, half, chartMap, s.ChartLine);
        sendChartLine(s.ChartLine.data(), static_cast<int16_t>(std::min<int32_t>(columns, s.ChartLine.size())), firstBin);
        buildMappedWaterfallLine(s.BinLevel, half, waterfallMap, window, s.WaterfallLine);
    } else {
        const auto shown = std::min<int32_t>(columns, static_cast<int32_t>(s.BinLevel.size()) - firstBin);
        sendChartLine(&s.BinLevel[firstBin], static_cast<int16_t>(shown), firstBin);
        buildStandardWaterfallLine(s.BinLevel, half, firstBin, columns, s.LevelZoomed != False, window,
                                   s.WaterfallLine);
    }
    m_waterfall.addLine(s.WaterfallLine);
}

// With a second trace on (held peaks), it goes with the line as the chart's
// second channel, on the level scale of the first.
void Form1::sendChartLine(int16_t* line, int16_t count, int32_t firstBin)
{
    if (!m_chartTrace || !m_chartTrace->isOn()) {
        m_chart.chartEx(line, 1, count);
        return;
    }
    const AnalyserState& s = *m_state;
    const ColumnMeaning meaning{s.FreqScaling, s.FFTSize, s.CaptureFormat.samplesPerSec,
                                s.FreqScaling == StandardScaling ? firstBin : 0, count};
    if (const int32_t low = m_chart.ymin(0); m_chart.ymin(1) != low)
        m_chart.setYmin(1, low);
    if (const int32_t high = m_chart.ymax(0); m_chart.ymax(1) != high)
        m_chart.setYmax(1, high);
    m_chart.chartEx(m_chartTrace->withLine(line, count, meaning), 2, count);
}

}  // namespace vellarin
