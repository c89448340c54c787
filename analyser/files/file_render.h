#pragma once
// A whole file's spectrogram as one picture: time across, frequency up, each
// pixel the loudest level its frames reached in its band, in the waterfall's
// colours, with a frequency scale, a time scale and a colour bar in decibels.
// The frames go through the analyser's own FFT component, window functions
// and level rule, so the picture reads as the live views do.
#include "window_functions.h"

#include <wavein/sound_file.h>

#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>

#include <atomic>
#include <functional>
#include <vector>

namespace vellarin {

struct RenderOptions {
    int32_t fftSize = 4096;
    QSize size{1600, 800};  // the whole picture, scales included
    bool logarithmic = true;  // else full-fit: 0 Hz to half the rate, linear
    WindowFunction window = WindowFunction::hann;
    wavein::ChannelChoice channel;
};

// The smallest picture that still has room for its scales.
inline constexpr QSize smallestRender{240, 120};

struct PlacedLabel {
    QString text;
    QRect box;  // where it was drawn
};

// Where the parts of a picture of `size` lie.
struct RenderLayout {
    QRect plot;       // the spectrogram itself
    QRect colourBar;
    static RenderLayout of(QSize size);
};

struct RenderedFile {
    QImage image;   // null when the render failed or was cancelled
    QString error;  // names the file and the reason; empty on success
    RenderLayout layout;
    double lowestHz = 0, highestHz = 0;  // at the plot's bottom and top edges
    double seconds = 0;                  // the file's length, across the plot
    std::vector<PlacedLabel> labels;
};

// Called with the part done, 0..1, now and then; `cancel` (may be null) is
// looked at as often, and a cancelled render gives a null picture and the
// error "cancelled".
using RenderProgress = std::function<void(double done)>;

RenderedFile renderFile(const QString& path, const RenderOptions& options, const RenderProgress& progress = {},
                        const std::atomic<bool>* cancel = nullptr);

}  // namespace vellarin
