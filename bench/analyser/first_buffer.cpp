// Start-up of capture: from connecting to the sound server to the first
// buffer done, as the program opens its device (16-bit mono, 512-sample
// buffers, started before the buffers are queued). Each run makes a fresh
// device object, so it connects anew. Prints each run's times, the median,
// and the sound libraries mapped into the process once a buffer came.
//   first_buffer [--runs 10] [--rate 44100] [--backend server|alsa]
#include <wavein/wavein.h>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

using namespace wavein;
using Clock = std::chrono::steady_clock;

namespace {

double msSince(Clock::time_point t0) { return std::chrono::duration<double, std::milli>(Clock::now() - t0).count(); }

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

// Libraries of sound plugins and codecs in the process's memory map.
QStringList soundLibraries()
{
    QFile maps("/proc/self/maps");
    maps.open(QIODevice::ReadOnly);
    static const QRegularExpression wanted(R"(/(libasound_module\S*|libsndfile\S*|libFLAC\S*|libvorbis\S*|libopus\S*|libmpg123\S*|libmp3lame\S*|libportaudio\S*|libasound\.so\S*|libjack\S*|libpulse\S*)$)");
    QSet<QString> seen;
    for (const QByteArray& line : maps.readAll().split('\n'))
        if (const auto m = wanted.match(QString::fromLocal8Bit(line)); m.hasMatch())
            seen.insert(m.captured(1));
    QStringList list(seen.begin(), seen.end());
    list.sort();
    return list;
}

}  // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser options;
    options.addOptions({{"runs", "runs", "n", "10"}, {"rate", "sample rate", "hz", "44100"}, {"backend", "server or alsa", "b", "server"}});
    options.process(app);
    const Backend backend = options.value("backend") == "alsa" ? Backend::alsa : Backend::server;
    const uint32_t rate = options.value("rate").toUInt();

    std::vector<double> toOpen, toFirst;
    for (int run = 0; run < options.value("runs").toInt(); ++run) {
        const auto t0 = Clock::now();
        auto device = createSystemWaveIn(backend);
        WaveFormat format;
        format.samplesPerSec = rate;
        format.avgBytesPerSec = rate * 2;
        Handle h = 0;
        if (device->open(h, 0, format) != result::ok) {
            std::fprintf(stderr, "device 0 did not open\n");
            return 1;
        }
        const double opened = msSince(t0);
        std::vector<std::array<char, 1024>> memory(16);
        std::array<WaveHeader, 16> headers;
        device->start(h);
        for (size_t i = 0; i < headers.size(); ++i) {
            headers[i].data = memory[i].data();
            headers[i].bufferLength = 1024;
            device->prepareHeader(h, headers[i]);
            device->addBuffer(h, headers[i]);
        }
        while (!(headers[0].flags.load(std::memory_order_acquire) & headerDone) && msSince(t0) < 5000)
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        const double first = msSince(t0);
        toOpen.push_back(opened);
        toFirst.push_back(first);
        std::printf("run %d: open %.1f ms, first buffer done %.1f ms after connecting\n", run + 1, opened, first);
        if (run == 0)
            std::printf("sound libraries mapped: %s\n", qPrintable(soundLibraries().join(' ')));
        device->reset(h);
        for (auto& header : headers)
            device->unprepareHeader(h, header);
        device->close(h);
    }
    std::printf("median of %zu: open %.1f ms, first buffer %.1f ms\n", toFirst.size(), median(toOpen), median(toFirst));
    return 0;
}
