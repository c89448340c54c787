#pragma once
// The PortAudio library as one recording program uses it: started, listed,
// restarted for a fresh device list, streams opened on a capture stream.
// Every member blocks inside the sound library, so it runs on a control
// thread only; sessions take turns in the library, one call at a time.
#include <wavein/capture_stream.h>
#include <wavein/wavein.h>

#include <QString>

#include <vector>

using PaStream = void;

namespace wavein {

struct InputDevice {
    int index = -1;  // PortAudio's device index
    QString name;
    int channels = 0;
    double latency = 0;  // seconds, the device's own suggestion for steady recording
};

// Which device the program means: the occurrence-th input device of that name,
// so a listing read before a restart still finds its device afterwards.
struct DeviceChoice {
    QString name;
    int occurrence = 0;
};

class PortAudioSession {
public:
    ~PortAudioSession() { terminate(); }

    // Ends and starts the library, so the list shows the devices there are now
    // (a sound server may have gone or come back).
    void restart();
    void terminate();
    const std::vector<InputDevice>& inputs() const { return m_inputs; }

    // Opens the chosen device for 16-bit mono at rate, feeding capture.
    MmResult open(const DeviceChoice& choice, uint32_t rate, CaptureStream& capture, PaStream*& stream);
    MmResult start(PaStream* stream);
    MmResult abort(PaStream* stream);  // stops at once: recording has nothing to drain
    MmResult close(PaStream* stream);  // aborts first if need be
    bool isActive(PaStream* stream);

private:
    MmResult abortStream(PaStream* stream);

    bool m_initialised = false;
    std::vector<InputDevice> m_inputs;
};

}  // namespace wavein
