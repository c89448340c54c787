#include "synthetic_sound.h"

#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace synthetic {

namespace {

int16_t sample(double v) { return int16_t(std::clamp(std::lround(v), -32768L, 32767L)); }

struct Random {
    uint32_t state;
    // -1..1
    double next()
    {
        state = state * 1664525u + 1013904223u;
        return double(state >> 8) / double(1u << 23) - 1.0;
    }
};

}  // namespace

std::vector<int16_t> tone(int32_t n, double cycles, double amplitude, double phase, double offset)
{
    std::vector<int16_t> s(static_cast<size_t>(n));
    for (int32_t i = 0; i < n; ++i)
        s[size_t(i)] = sample(offset + amplitude * std::cos(2 * std::numbers::pi * cycles * i / n + phase));
    return s;
}

std::vector<int16_t> harmonics(double sampleRate, double hertz, int first, int last, double amplitude,
                               double fundamentalDecibels, double seconds)
{
    std::vector<double> sum(size_t(std::lround(sampleRate * seconds)), 0.0);
    for (int h = first; h <= last; ++h) {
        if (h * hertz >= 0.5 * sampleRate)
            break;
        const double a = h == 1 ? amplitude * std::pow(10.0, fundamentalDecibels / 20) : amplitude;
        const double phase = 0.7 * h * h;  // no two partials in step
        for (size_t i = 0; i < sum.size(); ++i)
            sum[i] += a * std::sin(2 * std::numbers::pi * h * hertz * double(i) / sampleRate + phase);
    }
    std::vector<int16_t> s(sum.size());
    std::transform(sum.begin(), sum.end(), s.begin(), sample);
    return s;
}

std::vector<int16_t> pluckedString(int32_t delay, double amplitude, int32_t samples, uint32_t seed)
{
    Random random{seed};
    std::vector<double> line(size_t(std::max(delay, 1)));
    for (double& v : line)
        v = amplitude * random.next();
    std::vector<int16_t> s(static_cast<size_t>(samples));
    size_t at = 0;
    double previous = line.back();
    for (int32_t i = 0; i < samples; ++i) {
        const double out = line[at];
        s[size_t(i)] = sample(out);
        line[at] = 0.5 * (out + previous) * 0.998;
        previous = out;
        at = (at + 1) % line.size();
    }
    return s;
}

std::vector<int16_t> noise(int32_t samples, double amplitude, double offset, uint32_t seed)
{
    Random random{seed};
    std::vector<int16_t> s(static_cast<size_t>(samples));
    for (int16_t& v : s)
        v = sample(offset + amplitude * random.next());
    return s;
}

std::vector<double> spectrum(std::span<const int16_t> samples, std::span<const double> weights)
{
    const auto n = int(samples.size());
    std::vector<double> in(samples.size());
    for (size_t i = 0; i < samples.size(); ++i)
        in[i] = samples[i] * (i < weights.size() ? weights[i] : 1.0);
    std::vector<double> out(2 * size_t(n / 2 + 1));
    fftw_plan plan = fftw_plan_dft_r2c_1d(n, in.data(), reinterpret_cast<fftw_complex*>(out.data()), FFTW_ESTIMATE);
    fftw_execute(plan);
    fftw_destroy_plan(plan);
    return out;
}

}  // namespace synthetic
