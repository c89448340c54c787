#pragma once
// A PulseAudio server of the test's own, in a temporary folder: a null sink
// "t" at 44100 Hz whose monitor is the default source, so whatever is played
// into the sink is recorded, clocked at real-time pace, by any client of this
// process (straight from the server, or through PortAudio's ALSA "pulse" and
// "default" devices). The server can be killed or frozen mid-capture and
// started again in the same folder.
#include <QList>
#include <QMap>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <memory>
#include <vector>

class PrivateSoundServer {
public:
    PrivateSoundServer();
    ~PrivateSoundServer();  // ends the server and the player

    // Starts the server and points this process's sound clients at it.
    // False with the reason when no server can run here.
    bool start(QString* why = nullptr);
    bool isRunning() const;

    // Plays a sine of the given peak amplitude (full scale 1) into the sink
    // until stopPlaying, the server's end, or seconds have passed.
    bool playTone(double hertz, double amplitude, int seconds = 120);
    // Several sines at once, each of the given peak amplitude.
    bool playTones(const QList<double>& hertz, double amplitude, int seconds = 120);
    void stopPlaying();

    // Records what a sink plays ("t" unless named), from its monitor, as
    // 16-bit mono at 44100 Hz, until stopRecording gives it back.
    bool startRecording(const QString& sink = QStringLiteral("t"));
    std::vector<int16_t> stopRecording();

    // Another null sink, as if an output were plugged in; its monitor is a new
    // source. Options go to the sink's module as they stand.
    bool addSink(const QString& name, const QString& description, const QStringList& options = {});
    // The sink goes, as if the output were unplugged: its module is unloaded, and its monitor goes with it.
    bool removeSink(const QString& name);
    bool setDefaultSource(const QString& name);
    bool setDefaultSink(const QString& name);

    void kill();    // the server dies at once, as in a crash
    void freeze();  // the server stops answering but keeps its connections
    void resume();  // a frozen server answers again
    void stop();    // ends the server (a frozen one too)

    QString serverAddress() const;  // what PULSE_SERVER says

private:
    QProcessEnvironment clientEnvironment() const;
    bool runClient(const QString& program, const QStringList& arguments, QString* why, QString* output = nullptr) const;
    void signalServer(int signal);

    QTemporaryDir m_dir;
    std::unique_ptr<QProcess> m_server;
    std::unique_ptr<QProcess> m_player;
    std::unique_ptr<QProcess> m_recorder;
    QMap<QString, QString> m_sinkModules;  // the module of each sink added, by the sink's name
};
