#include "tables/Money.h"

#include <cfenv>
#include <cmath>

namespace offrel {

Money Money::FromDouble(double value) {
    // nearbyint rounds half to even in the default rounding mode.
    return Money(static_cast<std::int64_t>(std::nearbyint(value * kScale)));
}

}  // namespace offrel
