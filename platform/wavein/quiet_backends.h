#pragma once
// The sound libraries under PortAudio report every device they probe and
// fail to reach (no JACK server, ALSA cards that are not there) on stderr.
// Those messages are routine for a program that merely lists devices, so
// they go to the logging category "vellarin.wavein.backend" (off unless
// enabled, e.g. QT_LOGGING_RULES="vellarin.wavein.backend.debug=true").
namespace wavein {

// Call before the sound library starts; loads it. Also keeps JACK from
// starting a server.
void quietSoundBackends();

}  // namespace wavein
