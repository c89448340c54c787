#pragma once
// The Input Source drop-down. Each entry is the device's number, a blank and
// its whole name; it carries the key the device is remembered by (the sound
// server's name for a source, else the device's name). The list is read
// afresh from the device side whenever it is opened, so a source that
// appeared since shows up.
#include <QComboBox>

#include <functional>

namespace vellarin {

class DeviceList final : public QComboBox {
public:
    using QComboBox::QComboBox;

    // Runs before the list drops down; it may replace the entries.
    void setBeforeOpening(std::function<void()> refresh) { m_beforeOpening = std::move(refresh); }
    void showPopup() override;

private:
    std::function<void()> m_beforeOpening;
};

// The key of the entry the list's text names; for a typed text that names no
// entry, the text after its number.
QString selectedDeviceKey(const QComboBox& list);
// The entry whose key is key, else whose name is key ignoring case; never by
// number (a device may well be called "2"). Empty when none matches.
QString entryForKey(const QComboBox& list, const QString& key);

}  // namespace vellarin
