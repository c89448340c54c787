#pragma once
// Window functions for the frame before the transform. Each is a sum of
// cosines, taken periodic (DFT-even) so a tone on a bin centre leaks into no
// other bin beyond the main lobe; its coherent gain is its first coefficient,
// and dividing by it makes a bin-centred sine read its own amplitude.
#include <QString>

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace vellarin {

enum class WindowFunction { rectangular, hann, blackmanHarris, flatTop };

struct WindowShape {
    WindowFunction function;
    const char* name;  // as the menu shows it
    const char* key;   // as it is remembered
    std::array<double, 5> coefficients;
};

std::span<const WindowShape> windowShapes();
const WindowShape& windowShape(WindowFunction function);
// The window remembered under `key`; rectangular for anything unknown.
WindowFunction windowFromKey(const QString& key);

// The window's weights for N points, divided by its coherent gain, kept
// until the window or N changes.
class WindowWeights {
public:
    void choose(WindowFunction function) { m_function = function; }
    WindowFunction function() const { return m_function; }
    // Weighs `samples` into the real parts of `fftData`, imaginary parts 0.
    void weigh(std::span<const int16_t> samples, std::span<double> fftData);
    // The weights for N points (built on first use).
    std::span<const double> weights(int32_t n);

private:
    WindowFunction m_function = WindowFunction::rectangular;
    WindowFunction m_builtFor = WindowFunction::rectangular;
    std::vector<double> m_weights;
};

}  // namespace vellarin
