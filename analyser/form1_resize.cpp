// Form_Resize: the window keeps at least its smallest size, the right-hand
// column follows the right edge, and the chart, the pan bar and the waterfall
// take the extra room; then the frequency view follows the new sizes.
#include "component_site.h"
#include "form1.h"
#include "form1_layout.h"

#include <QEvent>

#include <algorithm>

namespace vellarin {

QSizeF Form1::outerSizeTwips() const
{
    const TwipsScale scale = TwipsScale::of(this);
    return {width() * scale.perPixelX + layout::frameWidth, height() * scale.perPixelY + layout::frameHeight};
}

void Form1::setOuterSizeTwips(QSizeF size)
{
    const TwipsScale scale = TwipsScale::of(this);
    resize(scale.toPixelsX(size.width() - layout::frameWidth), scale.toPixelsY(size.height() - layout::frameHeight));
}

void Form1::formResize()
{
    if (isMinimized())
        return;

    // Strips the extras show take their room on top of the smallest size.
    const double minWidth = layout::minOuterWidth + m_strips.leftOfChart;
    const double minHeight = layout::minOuterHeight + m_strips.underChart + m_strips.underLabels;
    QSizeF outer = outerSizeTwips();
    if (outer.height() < minHeight)
        setOuterSizeTwips({outer.width(), minHeight});
    outer = outerSizeTwips();
    if (outer.width() < minWidth)
        setOuterSizeTwips({minWidth, outer.height()});

    // Read the size again: the snap above may already have laid the window out.
    // A window system that applies the snap later gets it laid out then; until
    // then the layout is that of the smallest size.
    outer = outerSizeTwips();
    const double extraWidth = std::max(0.0, outer.width() - minWidth);
    const double extraHeight = std::max(0.0, outer.height() - minHeight);

    const TwipsScale scale = TwipsScale::of(this);
    for (const layout::Placement& p : layout::windowPlacements()) {
        QWidget* control = findChild<QWidget*>(QLatin1String(p.control), Qt::FindDirectChildrenOnly);
        if (!control)
            continue;
        const bool rightOfRuler = p.followsChart || p.leftShare > 0;
        const double left = p.left + p.leftShare * extraWidth + (rightOfRuler ? m_strips.leftOfChart : 0.0);
        const double top = p.top + (p.top >= layout::chartBottom ? m_strips.underChart : 0.0) +
                           (p.top >= layout::labelsBottom ? m_strips.underLabels : 0.0);
        const double width = p.width + (p.widthGrows ? extraWidth + (p.followsChart ? 0.0 : m_strips.leftOfChart) : 0.0);
        const double height = p.height + (p.heightGrows ? extraHeight : 0.0);
        if (auto* site = dynamic_cast<ComponentSite*>(control)) {
            // Hosted components are sized through their container, in twips.
            site->moveTwips(left, top);
            site->setWidthTwips(static_cast<float>(width));
            site->setHeightTwips(static_cast<float>(height));
        } else {
            control->setGeometry(scale.toPixels(left, top, width, height));
        }
    }

    m_stripLayout.placeAll(Trazel1->geometry(), Cascadra1->geometry());

    refreshFrequencyLabels();
    buildBinMaps();
}

void Form1::setStrip(QWidget* strip, layout::StripSide side, int pixels)
{
    if (!m_stripLayout.set(strip, side, pixels))
        return;
    strip->setVisible(pixels > 0);
    const layout::Strips strips = m_stripLayout.room(TwipsScale::of(this));
    if (strips == m_strips) {
        m_stripLayout.placeAll(Trazel1->geometry(), Cascadra1->geometry());
        return;
    }
    const layout::Strips was = m_strips;
    m_strips = strips;
    // Taken before the new smallest size, which may already resize the window.
    const QSizeF outer = outerSizeTwips();
    const TwipsScale scale = TwipsScale::of(this);
    setMinimumSize(scale.toPixelsX(layout::clientWidth + strips.leftOfChart),
                   scale.toPixelsY(layout::clientHeight + strips.underChart + strips.underLabels));
    setOuterSizeTwips({outer.width() + strips.leftOfChart - was.leftOfChart,
                       outer.height() + strips.underChart + strips.underLabels - was.underChart - was.underLabels});
    formResize();
}

void Form1::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    formResize();
}

void Form1::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (isVisible())
        formResize();
}

void Form1::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    // Restoring a minimized window lays it out for its size again.
    if (event->type() == QEvent::WindowStateChange && isVisible() && !isMinimized())
        formResize();
}

}  // namespace vellarin
