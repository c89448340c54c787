#include "component_site.h"

#include <QLabel>

namespace vellarin {

ComponentSite::ComponentSite(const QString& name, QWidget* parent) : QFrame(parent)
{
    setObjectName(name);
}

void ComponentSite::embed(QWidget* content, const QString& missingNote)
{
    m_content = content;
    if (content) {
        content->setParent(this);
        content->show();
    } else {
        setFrameShape(QFrame::Box);
        m_note = new QLabel(missingNote, this);
        m_note->setAlignment(Qt::AlignCenter);
        m_note->setWordWrap(true);
    }
    fitContent();
}

void ComponentSite::setWidthTwips(float twips)
{
    m_width = twips;
    resize(TwipsScale::of(this).toPixelsX(twips), height());
    fitContent();
}

void ComponentSite::setHeightTwips(float twips)
{
    m_height = twips;
    resize(width(), TwipsScale::of(this).toPixelsY(twips));
    fitContent();
}

void ComponentSite::moveTwips(double left, double top)
{
    const TwipsScale scale = TwipsScale::of(this);
    move(scale.toPixelsX(left), scale.toPixelsY(top));
}

void ComponentSite::fitContent()
{
    // Sized here rather than by a layout, so the component sees its new size
    // before the window reads the chart's columns back.
    if (m_content)
        m_content->setGeometry(rect());
    if (m_note)
        m_note->setGeometry(rect());
}

}  // namespace vellarin
