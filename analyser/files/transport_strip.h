#pragma once
// The strip under the chart while a sound file is the input: the file's
// name, play and pause, the position as a slider with the time beside it,
// loop, and listen with a note on the output. It drives the file's transport
// and follows its position; listening is FileListening's.
#include <QWidget>

class QCheckBox;
class QLabel;
class QSlider;
class QToolButton;

namespace wavein {
class FilePlayer;
}

namespace vellarin {

class TransportStrip final : public QWidget {
public:
    explicit TransportStrip(QWidget* parent = nullptr);

    // The transport to drive, or null for none; `name` as shown.
    void follow(wavein::FilePlayer* player, const QString& name);
    // Reads the player's position and state again.
    void refresh();
    // Its height for the window's font.
    int pixels() const;

    QToolButton* playPause() const { return m_play; }
    QSlider* position() const { return m_position; }
    QCheckBox* loop() const { return m_loop; }
    QToolButton* listen() const { return m_listen; }
    QLabel* note() const { return m_note; }
    QLabel* time() const { return m_time; }
    QLabel* name() const { return m_name; }

private:
    void seekTo(int tenths);

    wavein::FilePlayer* m_player = nullptr;
    QLabel* m_name = nullptr;
    QToolButton* m_play = nullptr;
    QSlider* m_position = nullptr;
    QLabel* m_time = nullptr;
    QCheckBox* m_loop = nullptr;
    QToolButton* m_listen = nullptr;
    QLabel* m_note = nullptr;
};

// "m:ss.t" for seconds of sound, "h:mm:ss.t" from an hour on.
QString playingTime(double seconds);

}  // namespace vellarin
