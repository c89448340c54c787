#include "window_extras.h"

#include "exports.h"
#include "band_export.h"
#include "power_averaging.h"
#include "window_functions.h"
#include "form1.h"
#include "message_sink.h"

#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QShortcut>
#include <QStandardPaths>
#include <QToolButton>

namespace vellarin {

namespace {

const char* const extrasHelp =
    "Right-click for pictures and the spectrum as CSV.\n"
    "Ctrl+S saves the window as a picture, Ctrl+Shift+E exports the spectrum,\n"
    "Ctrl+P holds the peaks, F5 starts and stops capturing.\n"
    "F1 lists every key.";

QString askWithDialog(QWidget* parent, const QString& title, const QString& suggested, const QString& filter)
{
    return QFileDialog::getSaveFileName(parent, title, suggested, filter);
}

}  // namespace

WindowExtras::WindowExtras(Form1& window, MessageSink& messages, PathQuestion askPath)
    : QObject(&window), m_window(window), m_messages(messages), m_askPath(std::move(askPath))
{
    window.setChartTrace(&m_peakHold);
    connect(&window.settings(), &SettingsModel::changed, this, [this](const SettingsChange& change) {
        if (change.now.peakHold != m_peakHold.isOn())
            holdPeaks(change.now.peakHold);
    });
    if (!m_askPath)
        m_askPath = [&window](const QString& title, const QString& suggested, const QString& filter) {
            return askWithDialog(&window, title, suggested, filter);
        };

    const struct {
        QKeySequence keys;
        void (WindowExtras::*run)();
    } shortcuts[] = {
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E), &WindowExtras::exportSpectrum},
        {QKeySequence(Qt::Key_F5), &WindowExtras::startOrStop},
        {QKeySequence(Qt::CTRL | Qt::Key_P), &WindowExtras::togglePeakHold},
    };
    for (const auto& s : shortcuts)
        connect(new QShortcut(s.keys, &window), &QShortcut::activated, this, s.run);
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_S), &window), &QShortcut::activated, this,
            [this] { savePicture(Picture::window); });

    // The levels belong to the device that was opened at Start.
    connect(window.Command1, &QToolButton::clicked, this, [this] {
        if (m_window.state().Capturing == True)
            m_device = m_window.List1->currentText().section(u' ', 1);
    });

    const struct {
        const char* text;
        std::function<void()> run;
    } items[] = {
        {"Save Chart Picture...", [this] { savePicture(Picture::chart); }},
        {"Save Waterfall Picture...", [this] { savePicture(Picture::waterfall); }},
        {"Save Window Picture...\tCtrl+S", [this] { savePicture(Picture::window); }},
        {"Export Spectrum as CSV...\tCtrl+Shift+E", [this] { exportSpectrum(); }},
        {"Peak Hold On/Off\tCtrl+P", [this] { togglePeakHold(); }},
    };
    auto* menu = m_menu = new QMenu(&window);
    for (const auto& item : items)
        connect(menu->addAction(QString::fromLatin1(item.text)), &QAction::triggered, this, item.run);
    // Peak hold is on or off: its item shows which.
    for (QAction* action : menu->actions())
        if (action->text().startsWith(QLatin1String("Peak Hold"))) {
            m_peakHoldItem = action;
            action->setCheckable(true);
        }
    for (QLabel* label : {window.Label3, window.Label4}) {
        label->setToolTip(QString::fromLatin1(extrasHelp));
        label->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(label, &QWidget::customContextMenuRequested, this,
                [menu, label](const QPoint& at) { menu->popup(label->mapToGlobal(at)); });
    }
}

WindowExtras::~WindowExtras()
{
    // The chart's colours are left as the user's record has them.
    if (m_peakHold.isOn())
        holdPeaks(false);
    m_window.setChartTrace(nullptr);
}

void WindowExtras::savePicture(Picture which)
{
    const struct {
        Picture which;
        const char* name;
        const char* title;
    } pictures[] = {{Picture::chart, "chart", "Save Chart Picture"},
                    {Picture::waterfall, "waterfall", "Save Waterfall Picture"},
                    {Picture::window, "window", "Save Window Picture"}};
    const auto& p = *std::find_if(std::begin(pictures), std::end(pictures), [which](const auto& p) { return p.which == which; });
    QWidget* widget = which == Picture::chart       ? m_window.chart().widget()
                      : which == Picture::waterfall ? m_window.waterfall().widget()
                                                    : &m_window;
    if (!widget) {
        m_messages.show(QStringLiteral("There is no %1 to save.").arg(QLatin1String(p.name)));
        return;
    }
    const QImage picture = widget->grab().toImage();
    saveAs(QString::fromLatin1(p.title), QLatin1String(p.name), QStringLiteral("png"),
           QStringLiteral("PNG pictures (*.png)"), [&](const QString& path) { return writePicture(picture, path); });
}

void WindowExtras::exportSpectrum()
{
    const AnalyserState& s = m_window.state();
    if (m_window.framesDrawn() == 0) {
        m_messages.show(QStringLiteral("There is no spectrum to export yet: start capturing first."));
        return;
    }
    // Taken before asking, so the file holds the spectrum on show when the user asked.
    // Under the rate and size the levels were computed with, not those of a Start since.
    const std::vector<int16_t> levels(s.BinLevel.begin(), s.BinLevel.begin() + s.BinLevelFFTSize / 2 + 1);
    const AnalysisSettings& settings = m_window.settings().value();
    SpectrumFrame frame{
        s.BinLevelRate, s.BinLevelFFTSize, m_device, levels,
        {{QStringLiteral("window function"), QLatin1String(windowShape(windowFromKey(settings.windowFunction)).key)},
         {QStringLiteral("averaging"), QLatin1String(averagingShape(averagingFromKey(settings.averaging)).key)}},
        m_window.levelNotation()};
    appendMeasurementHeader(settings, frame.treatment);
    saveAs(QStringLiteral("Export Spectrum"), QStringLiteral("spectrum"), QStringLiteral("csv"),
           QStringLiteral("CSV files (*.csv)"), [&](const QString& path) { return writeSpectrumCsv(frame, path); });
}

// What was taken is written where the user says, under a name with the time
// in it: pictures first in the Pictures folder, spectra in the Documents
// folder, and each after that where the last of its kind went.
void WindowExtras::saveAs(const QString& title, const QString& what, const QString& suffix, const QString& filter,
                          const std::function<QString(const QString& path)>& write)
{
    QString& folder = m_lastFolder[suffix];
    if (folder.isEmpty())
        folder = QStandardPaths::writableLocation(suffix == QLatin1String("png") ? QStandardPaths::PicturesLocation
                                                                                 : QStandardPaths::DocumentsLocation);
    if (!QFileInfo(folder).isDir())
        folder = QDir::homePath();
    const QString name = defaultExportName(what, QDateTime::currentDateTime(), suffix);
    const QString path = m_askPath(title, folder.isEmpty() ? name : QDir(folder).filePath(name), filter);
    if (path.isEmpty())
        return;  // cancelled
    folder = QFileInfo(path).absolutePath();
    if (const QString failure = write(path); !failure.isEmpty())
        m_messages.show(failure);
}

void WindowExtras::startOrStop()
{
    if (m_window.Command1->isEnabled())
        m_window.Command1->click();
    else if (m_window.Command2->isEnabled())
        m_window.Command2->click();
}

void WindowExtras::togglePeakHold()
{
    m_window.settings().edit([](AnalysisSettings& s) { s.peakHold = !s.peakHold; });
}

void WindowExtras::holdPeaks(bool on)
{
    // The held peaks go as the first channel and the line as the second, so
    // each takes the other's colour: the picture keeps the line's colour
    // for the line and the second trace's for the peaks.
    if (on != m_peakHold.isOn()) {
        TrazelBinding& chart = m_window.chart();
        const int32_t first = chart.lineColour(0);
        chart.setLineColour(0, chart.lineColour(1));
        chart.setLineColour(1, first);
    }
    m_peakHold.setOn(on);
    if (m_peakHoldItem)
        m_peakHoldItem->setChecked(m_peakHold.isOn());
    // The window's chart plots its one spectrum channel only; the peaks are the second.
    m_window.chart().setChannel(m_peakHold.isOn() ? -1 : 0);
}

}  // namespace vellarin
