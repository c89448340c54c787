#include "file_input.h"

#include "file_listening.h"
#include "transport_strip.h"
#include "form1.h"
#include "message_sink.h"

#include <QComboBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QShortcut>
#include <QTimer>

#include <algorithm>
#include <utility>
#include <QToolButton>

namespace vellarin {

namespace {

const char* const soundFilter =
    "Sound files (*.wav *.flac *.ogg *.oga *.opus *.aif *.aiff *.aifc *.mp3 *.w64 *.rf64 *.caf *.au *.snd);;"
    "All files (*)";

// The first local file among what is dragged, if any.
QString droppedFile(const QMimeData* data)
{
    if (!data || !data->hasUrls())
        return {};
    for (const QUrl& url : data->urls())
        if (url.isLocalFile())
            return url.toLocalFile();
    return {};
}

}  // namespace

FileInput::FileInput(Form1& window, SwitchingWaveIn& input, MessageSink& messages, QMenu& menu, OpenQuestion askOpen,
                     wavein::FilePace pace)
    : QObject(&window), m_window(window), m_input(input), m_messages(messages), m_askOpen(std::move(askOpen)),
      m_pace(pace)
{
    if (!m_askOpen)
        m_askOpen = [&window](const QString& title, const QString& folder, const QString& filter) {
            return QFileDialog::getOpenFileName(&window, title, folder, filter);
        };
    m_strip = new TransportStrip(&window);
    m_strip->hide();
    m_listening = new FileListening(*m_strip);
    m_follow = new QTimer(this);
    m_follow->setInterval(100);
    connect(m_follow, &QTimer::timeout, this, &FileInput::refresh);

    menu.addSeparator();
    connect(menu.addAction(QStringLiteral("Open Sound File...\tCtrl+O")), &QAction::triggered, this,
            &FileInput::askAndOpen);
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_O), &window), &QShortcut::activated, this,
            &FileInput::askAndOpen);

    // A device chosen in the list is the way back to the live input.
    connect(window.List1, &QComboBox::activated, this, [this] {
        if (m_input.file())
            backToLive();
    });
    // Start again after the file's end plays it from the top.
    connect(window.Command1, &QToolButton::clicked, this, [this] {
        if (wavein::FileWaveIn* f = m_input.file(); f && f->transport().ended())
            f->transport().seek(0);
    });
    window.setAcceptDrops(true);
    window.installEventFilter(this);
    window.Combo1->installEventFilter(this);
}

FileInput::~FileInput()
{
    m_listening->follow(nullptr);
    m_window.setStrip(m_strip, layout::StripSide::underChart, 0);
}

void FileInput::askAndOpen()
{
    if (m_lastFolder.isEmpty() || !QFileInfo(m_lastFolder).isDir())
        m_lastFolder = QDir::homePath();
    const QString path = m_askOpen(QStringLiteral("Open Sound File"), m_lastFolder, QString::fromLatin1(soundFilter));
    if (!path.isEmpty())
        open(path);
}

bool FileInput::open(const QString& path)
{
    wavein::SoundFileError error;
    std::unique_ptr<wavein::SoundFile> sound = wavein::SoundFile::open(path, {}, error);
    if (!sound) {
        m_messages.show(QStringLiteral("Failed to open the sound file!"), error.message());
        return false;
    }
    m_lastFolder = QFileInfo(path).absolutePath();
    stopIfCapturing();
    const uint32_t rate = sound->info().rate;
    // The output is the file's: the one being played goes with it.
    m_listening->follow(nullptr);
    if (!m_input.useFile(std::make_unique<wavein::FileWaveIn>(std::move(sound), m_pace))) {
        m_listening->follow(m_input.file() ? &m_input.file()->transport() : nullptr);
        m_messages.show(QStringLiteral("Failed to open the sound file!"),
                        QStringLiteral("%1: the input device could not be closed").arg(path));
        return false;
    }
    if (m_liveRate.isEmpty())
        m_liveRate = m_window.settings().value().rateText;
    m_window.settings().edit([rate](AnalysisSettings& s) { s.rateText = QString::number(rate); });
    holdRateShown();

    m_strip->follow(&m_input.file()->transport(), QFileInfo(path).fileName());
    m_listening->follow(&m_input.file()->transport());
    m_window.setStrip(m_strip, layout::StripSide::underChart, m_strip->pixels());
    m_follow->start();
    m_window.Command1->click();
    return true;
}

void FileInput::backToLive()
{
    stopIfCapturing();
    m_strip->follow(nullptr, {});
    m_listening->follow(nullptr);
    if (!m_input.useLive())
        return;
    m_follow->stop();
    m_window.setStrip(m_strip, layout::StripSide::underChart, 0);
    if (!m_liveRate.isEmpty()) {
        const QString rate = std::exchange(m_liveRate, QString());
        m_window.settings().edit([&rate](AnalysisSettings& s) { s.rateText = rate; });
    }
    m_window.Combo1->setEnabled(m_window.state().Capturing != True);
}

void FileInput::refresh()
{
    m_strip->refresh();
    m_listening->refresh();
}

void FileInput::stopIfCapturing()
{
    if (m_window.state().Capturing == True)
        m_window.stopCapture();
}

// The rate is the file's: the drop-down shows it and is not for changing.
void FileInput::holdRateShown()
{
    if (m_input.file() && m_window.Combo1->isEnabled())
        m_window.Combo1->setEnabled(false);
}

bool FileInput::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_window.Combo1) {
        if (event->type() == QEvent::EnabledChange)
            holdRateShown();
        return false;
    }
    switch (event->type()) {
    case QEvent::DragEnter: {
        auto* drag = static_cast<QDragEnterEvent*>(event);
        if (!droppedFile(drag->mimeData()).isEmpty())
            drag->acceptProposedAction();
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        const QString path = droppedFile(drop->mimeData());
        if (path.isEmpty())
            return false;
        drop->acceptProposedAction();
        // Opened once the drop is over, so the source's drag ends at once.
        QTimer::singleShot(0, this, [this, path] { open(path); });
        return true;
    }
    default:
        return false;
    }
}

}  // namespace vellarin
