#pragma once
// vellarin --render FILE -o PICTURE: a whole file's spectrogram written as a
// picture, without a window. Takes the FFT size and the scaling from the
// launch options (read there, so both mean the same); adds its own: the file, the picture, its size and the
// window function.
#include <cstdint>
#include <optional>

class QCommandLineParser;

namespace vellarin {

void addRenderOptions(QCommandLineParser& parser);

// What the launch options already read: --fft and --scaling.
struct SharedRenderOptions {
    std::optional<int> fftSize;
    std::optional<int16_t> scaling;
};

// Nothing when the command line asks for no render. Otherwise renders and
// gives the exit status: 0 written; 1 the file or the picture could not be
// read or written (the message names it); 2 an option's value is wrong.
std::optional<int> runRenderCommand(const QCommandLineParser& parser, const SharedRenderOptions& launch, int& argc,
                                    char** argv);

}  // namespace vellarin
