#pragma once

#include <compare>
#include <cstdint>
#include <limits>

namespace offrel {

// A money amount in fixed point with four decimals: an integer count of ten-thousandths. Amounts
// run from -Largest() to Largest(), ±922 337 203 685 477.5807.
class Money {
public:
    static constexpr std::int64_t kScale = 10000;

    constexpr Money() = default;
    static constexpr Money FromTicks(std::int64_t ticks) { return Money(ticks); }
    static constexpr Money Largest() { return Money(std::numeric_limits<std::int64_t>::max()); }
    constexpr std::int64_t Ticks() const { return ticks_; }

    // Table files store money as a double; it is rounded to four decimals, half to even. The
    // largest amounts do not survive the double exactly and may come back just beyond the range:
    // a value beyond it gives the nearest amount. Not for a NaN.
    static Money FromDouble(double value);
    constexpr double ToDouble() const { return static_cast<double>(ticks_) / kScale; }

    friend constexpr Money operator+(Money a, Money b) { return Money(a.ticks_ + b.ticks_); }
    friend constexpr Money operator-(Money a, Money b) { return Money(a.ticks_ - b.ticks_); }
    constexpr Money operator-() const { return Money(-ticks_); }
    friend constexpr auto operator<=>(Money, Money) = default;

private:
    explicit constexpr Money(std::int64_t ticks) : ticks_(ticks) {}
    std::int64_t ticks_ = 0;
};

}  // namespace offrel
