#pragma once
// --list-devices: the input sources as the program would list them, for a
// terminal or a script, with no window system needed.
#include <QTextStream>

#include <wavein/wavein.h>

namespace vellarin {

// One line a source: its number, a tab, its name, a tab, the sound server's
// name for it (empty for the default source and for devices over ALSA).
// Returns how many there are.
uint32_t printDeviceList(wavein::WaveInApi& waveIn, QTextStream& out);

}  // namespace vellarin
