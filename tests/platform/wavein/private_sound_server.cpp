#include "private_sound_server.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QThread>

#include <cmath>
#include <csignal>
#include <numbers>

namespace {

constexpr int sinkRate = 44100;
constexpr int waitMs = 10000;

QString runDir(const QTemporaryDir& dir)
{
    return dir.path() + "/run";
}

// A mono 16-bit WAV file of sines of the given peak amplitude each, for the player.
bool writeTone(const QString& path, const QList<double>& hertz, double amplitude, int seconds)
{
    const uint32_t samples = uint32_t(sinkRate) * uint32_t(seconds);
    QByteArray wav;
    wav.reserve(44 + int(samples) * 2);
    const auto put32 = [&wav](uint32_t v) { for (int i = 0; i < 4; ++i) wav.append(char(v >> (8 * i))); };
    const auto put16 = [&wav](uint16_t v) { wav.append(char(v)); wav.append(char(v >> 8)); };
    wav.append("RIFF");
    put32(36 + samples * 2);
    wav.append("WAVEfmt ");
    put32(16);
    put16(1);  // PCM
    put16(1);  // mono
    put32(sinkRate);
    put32(sinkRate * 2);
    put16(2);
    put16(16);
    wav.append("data");
    put32(samples * 2);
    for (uint32_t n = 0; n < samples; ++n) {
        double sum = 0;
        for (double h : hertz)
            sum += std::sin(2 * std::numbers::pi * h * n / sinkRate);
        put16(uint16_t(int16_t(std::lround(amplitude * 32767 * sum))));
    }
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(wav) == wav.size();
}

QString tail(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLocal8Bit(file.readAll().right(600)).trimmed();
}

}  // namespace

PrivateSoundServer::PrivateSoundServer() = default;

PrivateSoundServer::~PrivateSoundServer()
{
    stopRecording();
    stopPlaying();
    stop();
}

QString PrivateSoundServer::serverAddress() const
{
    return "unix:" + runDir(m_dir) + "/native";
}

QProcessEnvironment PrivateSoundServer::clientEnvironment() const
{
    QProcessEnvironment env;
    env.insert("PATH", qEnvironmentVariable("PATH", "/usr/bin:/bin"));
    env.insert("HOME", m_dir.path());
    env.insert("PULSE_SERVER", serverAddress());
    return env;
}

bool PrivateSoundServer::runClient(const QString& program, const QStringList& arguments, QString* why, QString* output) const
{
    QProcess client;
    client.setProcessEnvironment(clientEnvironment());
    client.start(program, arguments);
    if (client.waitForFinished(waitMs) && client.exitStatus() == QProcess::NormalExit && client.exitCode() == 0) {
        if (output)
            *output = QString::fromLocal8Bit(client.readAllStandardOutput()).trimmed();
        return true;
    }
    if (why)
        *why = program + " " + arguments.join(' ') + ": " + QString::fromLocal8Bit(client.readAllStandardError()).trimmed();
    client.kill();
    client.waitForFinished(waitMs);
    return false;
}

bool PrivateSoundServer::start(QString* why)
{
    QString reason;
    why = why ? why : &reason;
    if (!m_dir.isValid()) {
        *why = "no temporary folder for the sound server";
        return false;
    }
    if (QStandardPaths::findExecutable("pulseaudio").isEmpty() || QStandardPaths::findExecutable("pactl").isEmpty()) {
        *why = "pulseaudio and pactl are not installed";
        return false;
    }
    stop();
    // A server that was killed leaves its socket and pid file behind.
    QDir(runDir(m_dir)).removeRecursively();
    QDir().mkpath(runDir(m_dir));

    QProcessEnvironment env;
    env.insert("PATH", qEnvironmentVariable("PATH", "/usr/bin:/bin"));
    env.insert("HOME", m_dir.path());
    env.insert("XDG_RUNTIME_DIR", runDir(m_dir));
    env.insert("PULSE_RUNTIME_PATH", runDir(m_dir));
    m_server = std::make_unique<QProcess>();
    m_server->setProcessEnvironment(env);
    m_server->setStandardOutputFile(QProcess::nullDevice());
    const QString log = m_dir.path() + "/server.log";
    m_server->setStandardErrorFile(log);
    m_server->start("pulseaudio", {"-n", "--daemonize=no", "--exit-idle-time=-1", "--disable-shm=true",
                                   QString("--load=module-null-sink sink_name=t rate=%1").arg(sinkRate),
                                   "--load=module-native-protocol-unix auth-anonymous=1 socket=" + runDir(m_dir) + "/native"});
    if (!m_server->waitForStarted(waitMs)) {
        *why = "pulseaudio did not start: " + m_server->errorString();
        m_server.reset();
        return false;
    }

    QDeadlineTimer deadline(waitMs);
    while (!QFileInfo::exists(runDir(m_dir) + "/native") || !runClient("pactl", {"info"}, nullptr)) {
        if (m_server->state() != QProcess::Running || deadline.hasExpired()) {
            *why = "pulseaudio did not come up: " + tail(log);
            stop();
            return false;
        }
        QThread::msleep(50);
    }
    if (!runClient("pactl", {"set-default-source", "t.monitor"}, why)) {
        stop();
        return false;
    }
    if (qgetenv("PULSE_SERVER") != serverAddress().toLocal8Bit())  // the library may be reading it
        qputenv("PULSE_SERVER", serverAddress().toLocal8Bit());
    return true;
}

bool PrivateSoundServer::isRunning() const
{
    return m_server && m_server->state() == QProcess::Running;
}

bool PrivateSoundServer::playTone(double hertz, double amplitude, int seconds)
{
    return playTones({hertz}, amplitude, seconds);
}

bool PrivateSoundServer::playTones(const QList<double>& hertz, double amplitude, int seconds)
{
    stopPlaying();
    QStringList names;
    for (double h : hertz)
        names << QString::number(h);
    const QString path =
        QString("%1/tone-%2-%3-%4.wav").arg(m_dir.path(), names.join('+')).arg(amplitude).arg(seconds);
    if (!QFileInfo::exists(path) && !writeTone(path, hertz, amplitude, seconds))
        return false;
    m_player = std::make_unique<QProcess>();
    m_player->setProcessEnvironment(clientEnvironment());
    m_player->setStandardOutputFile(QProcess::nullDevice());
    m_player->setStandardErrorFile(QProcess::nullDevice());
    m_player->start("paplay", {"-d", "t", path});
    return m_player->waitForStarted(waitMs);
}

void PrivateSoundServer::stopPlaying()
{
    if (!m_player)
        return;
    m_player->kill();
    m_player->waitForFinished(waitMs);
    m_player.reset();
}

bool PrivateSoundServer::startRecording(const QString& sink)
{
    m_recorder = std::make_unique<QProcess>();
    m_recorder->setProcessEnvironment(clientEnvironment());
    m_recorder->setStandardErrorFile(QProcess::nullDevice());
    m_recorder->start("parec", {"-d", sink + ".monitor", "--raw", "--format=s16le", "--channels=1",
                                QString("--rate=%1").arg(sinkRate), "--latency-msec=20"});
    return m_recorder->waitForStarted(waitMs);
}

std::vector<int16_t> PrivateSoundServer::stopRecording()
{
    if (!m_recorder)
        return {};
    m_recorder->terminate();
    m_recorder->waitForFinished(waitMs);
    const QByteArray bytes = m_recorder->readAllStandardOutput();
    m_recorder.reset();
    std::vector<int16_t> samples(size_t(bytes.size()) / 2);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = int16_t(uint8_t(bytes[qsizetype(2 * i)]) | uint16_t(uint8_t(bytes[qsizetype(2 * i + 1)])) << 8);
    return samples;
}

bool PrivateSoundServer::addSink(const QString& name, const QString& description, const QStringList& options)
{
    QString module;
    if (!runClient("pactl", QStringList{"load-module", "module-null-sink", "sink_name=" + name,
                                        "sink_properties='device.description=\"" + description + "\"'"} + options,
                   nullptr, &module))
        return false;
    m_sinkModules.insert(name, module);
    return true;
}

bool PrivateSoundServer::removeSink(const QString& name)
{
    return m_sinkModules.contains(name) && runClient("pactl", {"unload-module", m_sinkModules.take(name)}, nullptr);
}

bool PrivateSoundServer::setDefaultSource(const QString& name)
{
    return runClient("pactl", {"set-default-source", name}, nullptr);
}

bool PrivateSoundServer::setDefaultSink(const QString& name)
{
    return runClient("pactl", {"set-default-sink", name}, nullptr);
}

void PrivateSoundServer::signalServer(int signal)
{
    if (isRunning())
        ::kill(pid_t(m_server->processId()), signal);
}

void PrivateSoundServer::kill()
{
    signalServer(SIGKILL);
    if (m_server)
        m_server->waitForFinished(waitMs);
}

void PrivateSoundServer::freeze()
{
    signalServer(SIGSTOP);
}

void PrivateSoundServer::resume()
{
    signalServer(SIGCONT);
}

void PrivateSoundServer::stop()
{
    if (!m_server)
        return;
    signalServer(SIGTERM);
    signalServer(SIGCONT);  // a frozen server takes its signal only once it runs
    if (!m_server->waitForFinished(waitMs))
        kill();
    m_server.reset();
}

// Device probing loads ALSA plugins whose libraries allocate when loaded and
// are unloaded again, so the leak checker sees their memory as lost. Only a
// full stack shows that it came through libasound (suppressed in
// scripts/lsan.supp); the environment's options still take precedence.
extern "C" __attribute__((visibility("default"), used)) const char* __asan_default_options()
{
    return "fast_unwind_on_malloc=0";
}
