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

    QSizeF outer = outerSizeTwips();
    if (outer.height() < layout::minOuterHeight)
        setOuterSizeTwips({outer.width(), layout::minOuterHeight});
    outer = outerSizeTwips();
    if (outer.width() < layout::minOuterWidth)
        setOuterSizeTwips({layout::minOuterWidth, outer.height()});

    // Read the size again: the snap above may already have laid the window out.
    // A window system that applies the snap later gets it laid out then; until
    // then the layout is that of the smallest size.
    outer = outerSizeTwips();
    const double extraWidth = std::max(0.0, outer.width() - layout::minOuterWidth);
    const double extraHeight = std::max(0.0, outer.height() - layout::minOuterHeight);

    const TwipsScale scale = TwipsScale::of(this);
    for (const layout::Placement& p : layout::windowPlacements()) {
        QWidget* control = findChild<QWidget*>(QLatin1String(p.control), Qt::FindDirectChildrenOnly);
        if (!control)
            continue;
        const double left = p.left + p.leftShare * extraWidth;
        const double width = p.width + (p.widthGrows ? extraWidth : 0.0);
        const double height = p.height + (p.heightGrows ? extraHeight : 0.0);
        if (auto* site = dynamic_cast<ComponentSite*>(control)) {
            // Hosted components are sized through their container, in twips.
            site->moveTwips(left, p.top);
            site->setWidthTwips(static_cast<float>(width));
            site->setHeightTwips(static_cast<float>(height));
        } else {
            control->setGeometry(scale.toPixels(left, p.top, width, height));
        }
    }

    refreshFrequencyLabels();
    buildBinMaps();
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
