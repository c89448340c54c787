#pragma once
// The ring of 256 capture buffers between the device and the frame: which
// buffers the device has filled, sliding their samples into the frame, and
// handing them back. The device fills buffers strictly in ring order and
// publishes each through its header's done flag; a buffer is read only after
// its flag has been seen set, and before it is queued again.
#include "analyser_state.h"
#include "sample_history.h"

namespace vellarin {

// Buffers that make one frame: N / 512.
int32_t frameBuffers(const AnalyserState& s);

// Done buffers, looking once around the whole ring from NextBuffer on.
int countReadyBuffers(const AnalyserState& s);

// Puts the newest samples of the `ready` buffers from NextBuffer on into
// FrameSamples, keeping the newest N samples in time order: the older part
// of the frame slides down when fewer buffers are ready than a frame holds,
// and the newest buffers replace the frame when enough are.
void gatherIntoFrame(AnalyserState& s, int ready);

// Appends the samples of the `ready` buffers from NextBuffer on to `history`,
// oldest first, before they go back to the device.
void copyIntoHistory(const AnalyserState& s, int ready, SampleHistory& history);

enum class QueueFailure { none, prepare, add };

// Header i pointed at its memory, its flags cleared, prepared and queued.
QueueFailure queueBuffer(AnalyserState& s, wavein::WaveInApi& device, int index);

// Gives the `ready` buffers from NextBuffer on back to the device, oldest
// first; stops at the first that the device refuses.
QueueFailure requeueReadyBuffers(AnalyserState& s, wavein::WaveInApi& device, int ready);

// NextBuffer moves past the `ready` buffers, wrapping after LastBuffer.
void advanceRing(AnalyserState& s, int ready);

}  // namespace vellarin
