// The frequency scaling of the chart and the waterfall: the scaling options,
// the chart's axis command, the bin maps, the frequency labels and the pan bar.
#include "component_site.h"
#include "form1.h"
#include "frequency_scaling.h"
#include "number_text.h"

#include <QComboBox>
#include <QLabel>
#include <QRadioButton>
#include <QScrollBar>

#include <algorithm>

namespace vellarin {

double Form1::sampleRate() const { return m_settings->value().sampleRate(); }

double Form1::waterfallDeviceRatio() const
{
    const QWidget* shown = m_waterfall.widget();
    return shown != nullptr ? shown->devicePixelRatioF() : devicePixelRatioF();
}

double Form1::waterfallPixels() const
{
    return Cascadra1->heightTwips() / TwipsScale::of(this).perPixelY * waterfallDeviceRatio();
}

int16_t Form1::selectedScaling() const { return m_settings->value().scaling; }

void Form1::scalingClicked(int16_t freqScaling)
{
    m_settings->edit([freqScaling](AnalysisSettings& s) { s.scaling = freqScaling; });
}

void Form1::sendAxisCommand(int16_t freqScaling)
{
    // A rate without a tick table sends nothing: the chart keeps its tick lines.
    const AnalysisSettings& settings = m_settings->value();
    if (const auto command = axisCommand(freqScaling, settings.sampleRate(), settings.fftSizeText, settings.rateText,
                                         settings.noteGrid))
        m_chart.setKey(*command);
}

void Form1::buildBinMaps()
{
    AnalyserState& s = *m_state;
    vellarin::buildBinMaps(s.FFTSize, m_chart.xmax(), waterfallPixels(),
                           {s.ChartLogMap, s.WaterfallLogMap, s.ChartFitMap, s.WaterfallFitMap});
}

void Form1::refreshFrequencyLabels()
{
    const int32_t columns = m_chart.xmax();
    const FrequencyView view = frequencyView(m_state->FreqScaling, m_state->FFTSize, columns, sampleRate(),
                                             HScroll1->value());
    Label3->setText(view.lowLabel);
    Label4->setText(view.highLabel);
    // Each change of the value runs the pan handler, as a move by the user does.
    if (view.scrollValue)
        HScroll1->setValue(std::min(*view.scrollValue, HScroll1->maximum()));
    if (view.scrollMax)
        HScroll1->setMaximum(*view.scrollMax);
    if (view.scrollValue)
        HScroll1->setValue(*view.scrollValue);
    HScroll1->setPageStep(std::max(1, columns));
    HScroll1->setEnabled(view.scrollEnabled);
}

void Form1::frequencyPanChanged(int firstBin)
{
    AnalyserState& s = *m_state;
    const int32_t columns = m_chart.xmax();
    const double rate = sampleRate();
    Label3->setText(lowLabel(firstBin, rate, s.FFTSize));
    Label4->setText(highLabel(firstBin, columns, rate, s.FFTSize));

    // Re-putting the 3D setting makes the waterfall redraw its picture.
    m_waterfall.setView3D(m_waterfall.view3D());

    // While stopped the chart shows the last frame at once; while capturing
    // the next tick draws it.
    if (s.Capturing == False && firstBin >= 0 && firstBin < static_cast<int>(s.BinLevel.size()) && columns > 0) {
        const int available = static_cast<int>(s.BinLevel.size()) - firstBin;
        const auto total = static_cast<int16_t>(std::min({columns, available, 32767}));
        m_chart.chartEx(&s.BinLevel[firstBin], 1, total);
    }
}

}  // namespace vellarin
