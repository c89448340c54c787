#pragma once
// Everything of a whole-file render around the spectrogram: the ground, the
// frequency and time scales, the colour bar with its decibels, and the
// file's name.
#include "file_render.h"

namespace vellarin {

// Draws around `rendered.layout.plot` and never in it, before or after the
// spectrogram goes there, and notes every label in `rendered.labels`.
void drawRenderFrame(RenderedFile& rendered, const RenderOptions& options, const QString& title);

}  // namespace vellarin
