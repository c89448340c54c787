#pragma once
// The extras a user asks for from the keyboard or from the frequency labels'
// context menu: saving the chart, the waterfall or the whole window as a
// picture, exporting the last spectrum, holding the peaks, and starting or
// stopping capture.
// Nothing of the window's own layout or gestures changes.
#include "peak_hold.h"

#include <QHash>
#include <QObject>
#include <QString>

#include <functional>

class QMenu;
class QAction;

namespace vellarin {

class Form1;
class MessageSink;

class WindowExtras final : public QObject {
public:
    // Asks where to save: a title, a suggested file name and a filter; empty when cancelled.
    using PathQuestion = std::function<QString(const QString& title, const QString& suggested, const QString& filter)>;

    WindowExtras(Form1& window, MessageSink& messages, PathQuestion askPath = {});
    ~WindowExtras() override;

    enum class Picture { chart, waterfall, window };
    void savePicture(Picture which);
    void exportSpectrum();
    void startOrStop();
    void togglePeakHold();
    const PeakHold& peakHold() const { return m_peakHold; }
    // The frequency labels' context menu, for more extras to join.
    QMenu* menu() const { return m_menu; }

private:
    void holdPeaks(bool on);
    void saveAs(const QString& title, const QString& what, const QString& suffix, const QString& filter,
                const std::function<QString(const QString& path)>& write);

    Form1& m_window;
    MessageSink& m_messages;
    PathQuestion m_askPath;
    QString m_device;  // the device of the capture the levels come from
    PeakHold m_peakHold;
    QMenu* m_menu = nullptr;
    QAction* m_peakHoldItem = nullptr;  // checked while the peaks are held
    QHash<QString, QString> m_lastFolder;  // by file suffix: where the last file of the kind went
};

}  // namespace vellarin
