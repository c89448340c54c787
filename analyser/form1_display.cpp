// The display options and picture commands: the waterfall's direction and 3D
// view, the chart's persistence, the two clipboard copies, and Best Dynamic
// Range, which fits the chart's level range and the waterfall's colours to
// the spectrum on show.
#include "form1.h"
#include "number_text.h"

#include <interfaces/cascadra.h>

#include <QCheckBox>
#include <QRadioButton>
#include <QScrollBar>
#include <QToolButton>

#include <algorithm>

namespace vellarin {

void Form1::connectDisplayOptions()
{
    const struct {
        QRadioButton* option;
        int32_t direction;
    } directions[] = {
        {Option1, cascadra::BottomToTop},  {Option2, cascadra::DiagonalMinus45}, {Option3, cascadra::Diagonal45},
        {Option4, cascadra::RightToLeft},  {Option5, cascadra::TopToBottom},
        {Option6, cascadra::InvertedRightToLeft},
    };
    // The next tick sizes and fills the waterfall line for the new direction.
    for (const auto& d : directions)
        connect(d.option, &QRadioButton::clicked, this, [this, direction = d.direction] {
            m_waterfall.setScrollDirection(direction);
        });
    connect(Check1, &QCheckBox::clicked, this, [this] { apply3DView(); });
    connect(Persist, &QCheckBox::clicked, this, [this] { persistClicked(); });
    connect(Command3, &QToolButton::clicked, this, [this] { m_chart.copyToClipboard(); });
    connect(Command4, &QToolButton::clicked, this, [this] { m_waterfall.clipboardCopy(); });
    connect(Command5, &QToolButton::clicked, this, [this] { bestDynamicRange(); });
}

void Form1::apply3DView()
{
    const bool threeD = Check1->isChecked();
    m_waterfall.setView3D(threeD ? 1 : 0);
    // The horizontal directions have no relief. A selected one stays selected
    // and in force, only greyed.
    Option4->setEnabled(!threeD);
    Option6->setEnabled(!threeD);
}

void Form1::persistClicked()
{
    const bool keep = Persist->isChecked();
    m_chart.setSumWaveforms(keep ? 1 : 0);
    // The opacity bar matters only while old traces are kept; the chart keeps its value.
    HScroll2->setEnabled(keep);
    formResize();
}

void Form1::bestDynamicRange()
{
    AnalyserState& s = *m_state;
    int32_t hi = 0;
    int32_t lo = 32767;
    // The bins standard scaling shows, whatever the scaling; none past the levels kept.
    const int32_t columns = m_chart.xmax();
    for (int32_t i = 0; i < columns; ++i) {
        const int32_t bin = HScroll1->value() + i;
        if (bin >= static_cast<int32_t>(s.BinLevel.size()))
            break;
        hi = std::max<int32_t>(hi, s.BinLevel[bin]);
        lo = std::min<int32_t>(lo, s.BinLevel[bin]);
    }
    // Room above the highest level for the peaks still to come.
    hi = static_cast<int32_t>(std::min(roundHalfEven(hi * 3 / 2.0), 32767.0));
    if (hi == lo) {
        m_chart.setYmin(0, 0);
        m_chart.setYmax(0, 32767);
    } else {
        m_chart.setYmin(0, lo);
        m_chart.setYmax(0, hi);
    }
    // The chart may have widened a narrow range; the waterfall follows what it shows.
    s.LevelMax = m_chart.ymax(0);
    s.LevelMin = m_chart.ymin(0);
    s.LevelZoomed = True;
    s.LevelSpan = s.LevelMax - s.LevelMin;
}

}  // namespace vellarin
