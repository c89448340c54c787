#pragma once
// The window's wave input when a sound file may stand in for the live one:
// every call goes to the system's devices, or, while a file is the input,
// the recording calls go to the file. The device list always comes from the
// system, so the Input Source list keeps its devices while a file plays;
// whichever device is named, a file's stream opens on the file. The input
// changes only while no stream is open, so a stream's calls all reach the
// device that opened it. The capture thread is not involved: each device
// keeps its own.
#include <wavein/file_wavein.h>
#include <wavein/wavein.h>

#include <memory>

namespace vellarin {

class SwitchingWaveIn final : public wavein::WaveInApi {
public:
    explicit SwitchingWaveIn(wavein::WaveInApi& live) : m_live(live) {}

    // False (and nothing changes) while a stream is open.
    bool useFile(std::unique_ptr<wavein::FileWaveIn> file);
    bool useLive();
    // The file being the input, or null for the live input.
    wavein::FileWaveIn* file() const { return m_file.get(); }
    bool streamOpen() const { return m_open != 0; }

    uint32_t getNumDevs() override { return m_live.getNumDevs(); }
    wavein::MmResult getDevCaps(uint32_t device, wavein::WaveInCaps& caps) override
    {
        return m_live.getDevCaps(device, caps);
    }
    wavein::MmResult open(wavein::Handle& handle, uint32_t device, const wavein::WaveFormat& format) override;
    wavein::MmResult prepareHeader(wavein::Handle h, wavein::WaveHeader& header) override
    {
        return input().prepareHeader(h, header);
    }
    wavein::MmResult unprepareHeader(wavein::Handle h, wavein::WaveHeader& header) override
    {
        return input().unprepareHeader(h, header);
    }
    wavein::MmResult addBuffer(wavein::Handle h, wavein::WaveHeader& header) override
    {
        return input().addBuffer(h, header);
    }
    wavein::MmResult start(wavein::Handle h) override { return input().start(h); }
    wavein::MmResult stop(wavein::Handle h) override { return input().stop(h); }
    wavein::MmResult reset(wavein::Handle h) override { return input().reset(h); }
    wavein::MmResult close(wavein::Handle h) override;
    wavein::StreamState streamState(wavein::Handle h) override { return input().streamState(h); }
    wavein::Backend backend() const override { return m_file ? m_file->backend() : m_live.backend(); }
    uint32_t streamMoves(wavein::Handle h) override { return input().streamMoves(h); }
    wavein::MmResult streamSource(wavein::Handle h, wavein::WaveInCaps& caps) override
    {
        return input().streamSource(h, caps);
    }

private:
    wavein::WaveInApi& input() const { return m_file ? *m_file : m_live; }

    wavein::WaveInApi& m_live;
    std::unique_ptr<wavein::FileWaveIn> m_file;
    wavein::Handle m_open = 0;
};

}  // namespace vellarin
