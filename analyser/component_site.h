#pragma once
// The container in which the window hosts a component's widget. Its Width and
// Height are in twips, as the window's layout sets them; a component that
// could not be created leaves a note in its place.
#include "twips.h"

#include <QFrame>
#include <QPointer>

class QLabel;

namespace vellarin {

class ComponentSite final : public QFrame {
public:
    ComponentSite(const QString& name, QWidget* parent);

    // Shows `content` filling the site, or `missingNote` when there is none.
    void embed(QWidget* content, const QString& missingNote);

    float widthTwips() const { return m_width; }
    float heightTwips() const { return m_height; }
    void setWidthTwips(float twips);
    void setHeightTwips(float twips);
    // The site's position in its parent, in twips.
    void moveTwips(double left, double top);

private:
    void fitContent();

    float m_width = 0;
    float m_height = 0;
    QPointer<QWidget> m_content;
    QLabel* m_note = nullptr;
};

}  // namespace vellarin
