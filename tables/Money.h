#pragma once

#include <compare>
#include <cstdint>

namespace offrel {

// A money amount in fixed point with four decimals: an integer count of ten-thousandths.
class Money {
public:
    static constexpr std::int64_t kScale = 10000;

    constexpr Money() = default;
    static constexpr Money FromTicks(std::int64_t ticks) { return Money(ticks); }
    constexpr std::int64_t Ticks() const { return ticks_; }

    // Table files store money as a double; it is rounded to four decimals, half to even.
    static Money FromDouble(double value);
    double ToDouble() const { return static_cast<double>(ticks_) / kScale; }

    friend constexpr Money operator+(Money a, Money b) { return Money(a.ticks_ + b.ticks_); }
    friend constexpr Money operator-(Money a, Money b) { return Money(a.ticks_ - b.ticks_); }
    constexpr Money operator-() const { return Money(-ticks_); }
    friend constexpr auto operator<=>(Money, Money) = default;

private:
    explicit constexpr Money(std::int64_t ticks) : ticks_(ticks) {}
    std::int64_t ticks_ = 0;
};

}  // namespace offrel
