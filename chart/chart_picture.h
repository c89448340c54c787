#pragma once
// The chart's pixels: the four surfaces it composes its picture from, and the
// image its window shows. The control decides when to resize, redraw and
// plot; this class does the drawing.
#include "trazel_state.h"

#include <QImage>

#include <functional>

namespace trazel {

// Which data call delivered the samples; the two differ in how they step,
// mark events and wrap.
enum class DataCall { Chart, ChartEx };

class ChartPicture {
public:
    // Told whenever the window image changed, so the window can be repainted.
    std::function<void()> windowChanged;

    bool hasSurfaces() const { return !DisplayImage.isNull(); }

    // Discards the surfaces and allocates them at the new size (contents undefined).
    void resize(int width, int height);

    // Rebuilds the static picture and puts it on the window.
    void redraw(TrazelState& state);

    // Plots points x channels interleaved samples (channel ch of point i at
    // i * channels + ch). The caller guarantees points >= 1, channels >= 1
    // and that all of them are readable.
    void plot(TrazelState& state, const int16_t* samples, int points, int channels, DataCall call);

    // Puts what the window shows on the clipboard.
    void copyToClipboard();

    const QImage& windowImage() const { return m_window; }

    QImage DisplayImage;
    QImage TraceLayer;
    QImage GridOverlay;
    QImage FadeSurface;

private:
    QImage m_window;
};

}  // namespace trazel
