#include "platform/fpcheck.h"

#include <cfenv>
#include <cmath>

namespace {

constexpr int kWatched = FE_DIVBYZERO | FE_INVALID | FE_OVERFLOW;

}  // namespace

FpGuard::FpGuard() : before_(std::fetestexcept(kWatched)) { std::feclearexcept(kWatched); }

FpGuard::~FpGuard() {
    if (before_ != 0) std::feraiseexcept(before_);
}

bool FpGuard::Faulted() const { return std::fetestexcept(kWatched) != 0; }

bool AllFinite(const long double* values, int count) {
    for (int i = 0; i < count; ++i)
        if (!std::isfinite(values[i])) return false;
    return true;
}
