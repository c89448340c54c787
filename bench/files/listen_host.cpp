// Plays a sound file through the window with Listen on, for
// playback_offset.sh, and prints the wall-clock time of each frame that
// shows a burst:
//   listen_host FILE [THRESHOLD]
// "burst drawn at <ms>" (milliseconds since the epoch) is printed at the
// chart's first paint after a frame whose newest buffer holds a sample past
// THRESHOLD (default 8000) when the frame before held none. It prints
// "listening" once the file plays through the output, "not heard: <why>"
// when it cannot, and ends with the file.
#include "component_site.h"
#include "file_input.h"
#include "file_listening.h"
#include "transport_strip.h"
#include "form1.h"

#include <wavein/server_wavein.h>

#include <QApplication>
#include <QDateTime>
#include <QLabel>
#include <QMenu>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>

using namespace vellarin;

namespace {

class PrintedMessages final : public MessageSink {
public:
    using MessageSink::show;
    void show(const QString& text, const QString& reason) override
    {
        std::fprintf(stderr, "message: %s %s\n", qPrintable(text), qPrintable(reason));
    }
};

class BurstMarks final : public QObject {
public:
    BurstMarks(Form1& window, int threshold) : QObject(&window), m_window(window), m_threshold(threshold)
    {
        if (QWidget* chart = m_window.chart().widget())
            chart->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::Paint || m_window.framesDrawn() == m_frames)
            return false;
        m_frames = m_window.framesDrawn();
        std::array<int16_t, 512> newest{};
        const size_t got = m_window.sampleHistory().latest(newest);
        const bool loud = std::any_of(newest.begin(), newest.begin() + got, [this](int16_t v) { return std::abs(v) > m_threshold; });
        if (loud && !m_loud)
            std::printf("burst drawn at %lld\n", static_cast<long long>(QDateTime::currentMSecsSinceEpoch()));
        std::fflush(stdout);
        m_loud = loud;
        return false;
    }

private:
    Form1& m_window;
    const int m_threshold;
    uint64_t m_frames = 0;
    bool m_loud = false;
};

}  // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: listen_host FILE [THRESHOLD]\n");
        return 2;
    }
    const int threshold = argc > 2 ? std::atoi(argv[2]) : 8000;
    // The live input is never used: the file stands in for it.
    std::unique_ptr<wavein::WaveInApi> live = wavein::createServerWaveIn(std::chrono::milliseconds(0));
    SwitchingWaveIn input(*live);
    PrintedMessages messages;
    Form1 window({input, messages});
    QMenu menu;
    FileInput files(window, input, messages, menu);
    new BurstMarks(window, threshold);
    window.show();
    files.strip()->listen()->setChecked(true);
    if (!files.open(QString::fromLocal8Bit(argv[1])))
        return 1;
    if (!files.listening()->listening()) {
        std::printf("not heard: %s\n", qPrintable(files.strip()->note()->text() + files.strip()->listen()->toolTip()));
        return 1;
    }
    std::printf("listening\n");
    std::fflush(stdout);
    QTimer ended;
    QObject::connect(&ended, &QTimer::timeout, &app, [&] {
        if (window.state().Capturing == False)
            app.quit();
    });
    ended.start(100);
    return app.exec();
}
