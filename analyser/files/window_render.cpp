#include "window_render.h"

#include "form1.h"
#include "message_sink.h"
#include "saved_render.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QProgressDialog>
#include <QTimer>

#include <algorithm>
#include <utility>

namespace vellarin {

WindowRender::WindowRender(Form1& window, MessageSink& messages, QMenu& menu, PathQuestion askPath, bool showProgress)
    : QObject(&window), m_window(window), m_messages(messages), m_askPath(std::move(askPath)),
      m_showProgress(showProgress)
{
    if (!m_askPath)
        m_askPath = [&window](bool open, const QString& title, const QString& suggested, const QString& filter) {
            return open ? QFileDialog::getOpenFileName(&window, title, suggested, filter)
                        : QFileDialog::getSaveFileName(&window, title, suggested, filter);
        };
    connect(menu.addAction(QStringLiteral("Render...")), &QAction::triggered, this, &WindowRender::askAndRender);
    m_poll = new QTimer(this);
    m_poll->setInterval(50);
    connect(m_poll, &QTimer::timeout, this, &WindowRender::poll);
}

WindowRender::~WindowRender()
{
    m_cancel = true;
    if (m_worker.joinable())
        m_worker.join();
}

void WindowRender::askAndRender()
{
    if (busy())
        return;
    if (m_lastFolder.isEmpty() || !QFileInfo(m_lastFolder).isDir())
        m_lastFolder = QDir::homePath();
    const QString sound = m_askPath(true, QStringLiteral("Render Sound File"), m_lastFolder,
                                    QStringLiteral("Sound files (*.wav *.flac *.ogg *.oga *.opus *.aif *.aiff *.mp3);;"
                                                   "All files (*)"));
    if (sound.isEmpty())
        return;
    m_lastFolder = QFileInfo(sound).absolutePath();
    const QString suggested = QFileInfo(sound).dir().filePath(QFileInfo(sound).completeBaseName() + QStringLiteral(".png"));
    const QString picture = m_askPath(false, QStringLiteral("Save Render"), suggested, QStringLiteral("PNG pictures (*.png)"));
    if (!picture.isEmpty())
        render(sound, picture);
}

bool WindowRender::render(const QString& sound, const QString& picture)
{
    if (busy())
        return false;
    RenderOptions options;
    if (const std::optional<int32_t> fft = m_window.settings().value().fftSize())
        options.fftSize = *fft;
    options.logarithmic = m_window.selectedScaling() != FullFitScaling;
    m_picture = picture;
    m_cancel = false;
    m_finished = false;
    m_done = 0.0;
    m_worker = std::thread([this, sound, options] {
        m_result = renderFile(
            sound, options, [this](double done) { m_done.store(done, std::memory_order_relaxed); }, &m_cancel);
        m_finished.store(true, std::memory_order_release);
    });
    if (m_showProgress) {
        m_progress = new QProgressDialog(QStringLiteral("Rendering %1...").arg(QFileInfo(sound).fileName()),
                                         QStringLiteral("Cancel"), 0, 1000, &m_window);
        m_progress->setWindowTitle(QStringLiteral("Render"));
        m_progress->setAttribute(Qt::WA_DeleteOnClose);
        m_progress->setMinimumDuration(0);
        connect(m_progress, &QProgressDialog::canceled, this, &WindowRender::cancel);
        m_progress->show();
    }
    m_poll->start();
    return true;
}

void WindowRender::poll()
{
    if (m_progress)
        m_progress->setValue(int(done() * 1000));
    if (m_finished.load(std::memory_order_acquire))
        finish();
}

void WindowRender::finish()
{
    if (!m_worker.joinable())
        return;
    m_worker.join();
    m_poll->stop();
    if (m_progress) {
        disconnect(m_progress, nullptr, this, nullptr);
        m_progress->close();
        m_progress = nullptr;
    }
    const RenderedFile result = std::exchange(m_result, RenderedFile{});
    if (result.image.isNull()) {
        if (!m_cancel)
            m_messages.show(QStringLiteral("Failed to render the sound file!"), result.error);
        return;
    }
    if (const QString failed = saveRender(result.image, m_picture, "png"); !failed.isEmpty())
        m_messages.show(QStringLiteral("Failed to save the render!"), QStringLiteral("%1: %2").arg(m_picture, failed));
}

}  // namespace vellarin
