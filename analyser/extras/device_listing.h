#pragma once
// --list-devices: the input sources as the program would list them, for a
// terminal or a script, with no window system needed.
#include <QTextStream>

#include <wavein/wavein.h>

namespace vellarin {

// One line a source: its number, a tab, its name, a tab, the sound server's
// name for it (empty for the default source and for devices over ALSA).
void printDeviceList(wavein::WaveInApi& waveIn, QTextStream& out);

// In the program only (extras/device_listing_command.cpp).
// Whether the command line asks for the listing.
bool wantsDeviceListing(int argc, char* argv[]);
// Reads the command line with a core application only and prints the list:
// 0, or 2 with a message when the command line is wrong.
int runDeviceListing(int argc, char* argv[]);

}  // namespace vellarin
