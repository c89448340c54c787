#include "fft_plans.h"

#include <fftw3.h>

#include <bit>

namespace fourel {

namespace {

fftw_complex* asComplex(double* data) { return reinterpret_cast<fftw_complex*>(data); }

}  // namespace

// FFTW_ESTIMATE plans without timing trial transforms on the array, so the
// first frame of a new size never stalls the window the way measuring would.
// An array aligned for FFTW's vector code gets a plan that uses it; any other
// array gets an FFTW_UNALIGNED plan, which runs anywhere but copies the data
// through scalar passes.
constexpr unsigned planFlags = FFTW_ESTIMATE;

bool isAligned(double* data) { return fftw_alignment_of(data) == 0; }

FftPlans::~FftPlans()
{
    for (auto& byDirection : m_plans)
        for (auto& byLength : byDirection)
            for (fftw_plan plan : byLength)
                if (plan)
                    fftw_destroy_plan(plan);
}

bool FftPlans::isSupportedLength(int32_t n)
{
    return n >= minLength && n <= maxLength && std::has_single_bit(static_cast<uint32_t>(n));
}

fftw_plan_s* FftPlans::planFor(double* data, int32_t n, Direction direction)
{
    const bool aligned = isAligned(data);
    fftw_plan& plan = m_plans[aligned ? 1 : 0][direction == Direction::Forward ? 0 : 1]
                             [std::countr_zero(static_cast<uint32_t>(n))];
    if (!plan) {
        // In place: the array given at planning only sets the in-place shape
        // and alignment; every call names its own array.
        plan = fftw_plan_dft_1d(n, asComplex(data), asComplex(data),
                                direction == Direction::Forward ? FFTW_FORWARD : FFTW_BACKWARD,
                                aligned ? planFlags : planFlags | FFTW_UNALIGNED);
    }
    return plan;
}

FftStatus FftPlans::transform(double* data, int32_t n, Direction direction)
{
    if (!isSupportedLength(n))
        return FftStatus::BadLength;
    fftw_plan plan = planFor(data, n, direction);
    if (!plan)
        return FftStatus::NoPlan;
    fftw_execute_dft(plan, asComplex(data), asComplex(data));
    return FftStatus::Done;
}

}  // namespace fourel
