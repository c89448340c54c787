#pragma once
// In-place complex DFTs of power-of-two lengths on a caller's interleaved
// array, with one FFTW plan per length, direction and alignment kept for
// reuse. FFTW's planner is not reentrant: every instance is driven from the
// one thread that runs the window, as all component calls are.
#include <array>
#include <cstdint>

struct fftw_plan_s;

namespace fourel {

enum class Direction { Forward, Inverse };

// Fits a 16-bit integer, as the caller reads it.
enum class FftStatus : int16_t { Done = 0, BadLength = -1, NoPlan = -2 };

inline constexpr int32_t minLength = 2;
inline constexpr int32_t maxLength = 16384;

class FftPlans {
public:
    FftPlans() = default;
    ~FftPlans();
    FftPlans(const FftPlans&) = delete;
    FftPlans& operator=(const FftPlans&) = delete;

    // Replaces the n complex values at data (2n doubles, real part first) by
    // their unscaled transform: sum of x(j) exp(-+2 pi i k j / n), the minus
    // sign forward. A length that is not a power of two in minLength..maxLength
    // leaves the data untouched.
    FftStatus transform(double* data, int32_t n, Direction direction);

    static bool isSupportedLength(int32_t n);

private:
    static constexpr int levels = 15;  // log2 lengths 0..14
    fftw_plan_s* planFor(double* data, int32_t n, Direction direction);

    // By alignment (unaligned, aligned), direction and length.
    std::array<std::array<std::array<fftw_plan_s*, levels>, 2>, 2> m_plans{};
};

}  // namespace fourel
