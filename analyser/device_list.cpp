#include "device_list.h"

namespace vellarin {

void DeviceList::showPopup()
{
    if (m_beforeOpening && isEnabled())
        m_beforeOpening();
    QComboBox::showPopup();
}

QString selectedDeviceKey(const QComboBox& list)
{
    const QString text = list.currentText();
    const int entry = list.findText(text, Qt::MatchExactly);
    return entry >= 0 ? list.itemData(entry).toString() : text.section(u' ', 1);
}

QString entryForKey(const QComboBox& list, const QString& key)
{
    if (key.isEmpty())
        return {};
    if (const int entry = list.findData(key); entry >= 0)
        return list.itemText(entry);
    for (int i = 0; i < list.count(); ++i)
        if (list.itemText(i).section(u' ', 1).compare(key, Qt::CaseInsensitive) == 0)
            return list.itemText(i);
    return {};
}

}  // namespace vellarin
