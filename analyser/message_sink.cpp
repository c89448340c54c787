#include "message_sink.h"

#include <QMessageBox>

namespace vellarin {

void MessageBoxSink::show(const QString& text, const QString& reason)
{
    QMessageBox box(QMessageBox::NoIcon, QString::fromLatin1(applicationTitle), text, QMessageBox::Ok, m_parent);
    box.setInformativeText(reason);
    box.exec();
}

}  // namespace vellarin
