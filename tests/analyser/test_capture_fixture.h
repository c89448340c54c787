#pragma once
// A main window over a scripted recording device and a clock the test turns
// by hand, for driving capture tick by tick.
#include "form1.h"

#include <recorded_messages.h>
#include <scripted_wavein.h>

#include <QComboBox>
#include <QStringList>
#include <QToolButton>

#include <cmath>
#include <memory>
#include <numbers>

namespace capture_test {

using test_support::RecordedMessages;

// A sine of `amplitude` that completes a whole number of cycles in N samples,
// so its energy lies in bin `bin` alone.
inline wavein::ScriptedWaveIn::SampleGenerator binSine(int bin, int fftSize, double amplitude)
{
    return [=](uint64_t n) {
        const double phase = 2.0 * std::numbers::pi * double(bin) * double(n % uint64_t(fftSize)) / fftSize;
        return int16_t(std::lround(amplitude * std::sin(phase)));
    };
}

// Every sample tells its own position in the recording.
inline int16_t numbered(uint64_t n) { return int16_t(int(n % 30011) - 15000); }

struct LiveWindow {
    wavein::ScriptedWaveIn device;
    RecordedMessages messages;
    std::shared_ptr<int64_t> nowMs = std::make_shared<int64_t>(1000);
    std::unique_ptr<vellarin::Form1> window;

    LiveWindow()
    {
        window = std::make_unique<vellarin::Form1>(vellarin::Form1Services{
            device, messages, vellarin::allocateZeroed, [now = nowMs] { return *now; }});
    }

    const vellarin::AnalyserState& state() const { return window->state(); }
    // The tests poison fields to see whether a tick wrote them.
    vellarin::AnalyserState& mutableState() { return const_cast<vellarin::AnalyserState&>(window->state()); }

    void start(const QString& rate = "44100", const QString& fftSize = "1024", const QString& source = "0 (default)")
    {
        window->Combo1->setEditText(rate);
        window->Combo2->setEditText(fftSize);
        window->List1->setEditText(source);
        window->Command1->click();
    }

    bool capturing() const { return state().Capturing == vellarin::True; }

    // The device fills `buffers` buffers, the clock moves on a tick's time,
    // and the timer ticks once.
    void tick(int buffers, const wavein::ScriptedWaveIn::SampleGenerator& samples = {}, int64_t elapsedMs = 20)
    {
        if (buffers > 0)
            device.completeBuffers(buffers, samples);
        *nowMs += elapsedMs;
        window->timerTick();
    }

    // Whether the tick drew a frame: the levels are written only then.
    bool tickDraws(int buffers, const wavein::ScriptedWaveIn::SampleGenerator& samples = {})
    {
        constexpr int16_t unwritten = 12345;  // no silent frame has this level
        mutableState().BinLevel[0] = unwritten;
        tick(buffers, samples);
        return state().BinLevel[0] != unwritten;
    }
};

}  // namespace capture_test
