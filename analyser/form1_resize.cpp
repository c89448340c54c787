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
    const double minWidth = layout::minOuterWidth + m_strips.ruler;
    const double minHeight = layout::minOuterHeight + m_strips.scale + m_strips.readout;
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
        const double left = p.left + p.leftShare * extraWidth + (rightOfRuler ? m_strips.ruler : 0.0);
        const double top = p.top + (p.top >= layout::chartBottom ? m_strips.scale : 0.0) +
                           (p.top >= layout::labelsBottom ? m_strips.readout : 0.0);
        const double width = p.width + (p.widthGrows ? extraWidth + (p.followsChart ? 0.0 : m_strips.ruler) : 0.0);
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

    refreshFrequencyLabels();
    buildBinMaps();
}

void Form1::setStrips(const layout::Strips& strips)
{
    if (strips == m_strips)
        return;
    const layout::Strips was = m_strips;
    m_strips = strips;
    // Taken before the new smallest size, which may already resize the window.
    const QSizeF outer = outerSizeTwips();
    const TwipsScale scale = TwipsScale::of(this);
    setMinimumSize(scale.toPixelsX(layout::clientWidth + strips.ruler),
                   scale.toPixelsY(layout::clientHeight + strips.scale + strips.readout));
    setOuterSizeTwips({outer.width() + strips.ruler - was.ruler,
                       outer.height() + strips.scale + strips.readout - was.scale - was.readout});
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
