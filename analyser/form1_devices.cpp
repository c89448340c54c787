// The Input Source list: the device side's devices by their whole names,
// read at start-up and again whenever it drops down while the window is
// stopped. Not at Stop itself: Stop must not wait on a frozen sound server.
#include "device_list.h"
#include "form1.h"

#include <QAbstractItemView>
#include <QScrollBar>

namespace vellarin {

namespace {
// A device list longer than this is not a real one; the rest is not listed.
constexpr uint32_t maxListedDevices = 256;
}  // namespace

void Form1::listDevices(bool atStartUp)
{
    AnalyserState& s = *m_state;
    const QString typed = List1->currentText();
    const bool chosenFromList = List1->findText(typed, Qt::MatchExactly) >= 0;
    const QString chosen = selectedDeviceKey(*List1);

    const uint32_t count = m_services.waveIn.getNumDevs();
    if (count < 1 && atStartUp)
        m_services.messages.show(QStringLiteral("No microphone detected!"));
    List1->clear();
    for (uint32_t device = 0; device < std::min(count, maxListedDevices); ++device) {
        s.DeviceCaps = {};
        m_services.waveIn.getDevCaps(device, s.DeviceCaps);
        const QString key = s.DeviceCaps.serverName.isEmpty() ? s.DeviceCaps.productName : s.DeviceCaps.serverName;
        List1->addItem(QString::number(device) + u' ' + s.DeviceCaps.productName, key);
        if (!s.DeviceCaps.serverName.isEmpty())
            List1->setItemData(List1->count() - 1, s.DeviceCaps.serverName, Qt::ToolTipRole);
    }
    // Whole names in the open list, however narrow the box: two monitors of
    // similar outputs differ only near their ends.
    QAbstractItemView* view = List1->view();
    view->setMinimumWidth(view->sizeHintForColumn(0) + 2 * view->frameWidth()
                          + view->verticalScrollBar()->sizeHint().width());
    // The chosen device keeps its place under its new number; one that went
    // away gives way to the first. A text the user typed stays as typed.
    const QString again = chosenFromList ? entryForKey(*List1, chosen) : QString();
    if (!again.isEmpty())
        List1->setEditText(again);
    else if ((atStartUp || chosenFromList) && List1->count() > 0)
        List1->setEditText(List1->itemText(0));
    else
        List1->setEditText(typed);
}

}  // namespace vellarin
