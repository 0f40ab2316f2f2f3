#include "base/Money.h"

#include <cfenv>
#include <cmath>

namespace offrel {

Money Money::FromDouble(double value) {
    // nearbyint rounds half to even in the default rounding mode.
    const double ticks = std::nearbyint(value * kScale);
    // 2^63: the first double above every tick count; the one below it is in range.
    constexpr double kBeyond = 9223372036854775808.0;
    if (ticks >= kBeyond) return Largest();
    if (ticks <= -kBeyond) return -Largest();
    return Money(static_cast<std::int64_t>(ticks));
}

}  // namespace offrel
