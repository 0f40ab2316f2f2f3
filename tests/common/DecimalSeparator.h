#pragma once

#include "base/Conversions.h"

namespace offrel::testing {

// Sets the process-wide decimal separator for the lifetime of the object and puts the earlier
// one back, so that no test leaves its setting to the next.
class DecimalSeparatorSet {
public:
    explicit DecimalSeparatorSet(char separator) : earlier_(DecimalSeparator()) {
        SetDecimalSeparator(separator);
    }
    ~DecimalSeparatorSet() { SetDecimalSeparator(earlier_); }
    DecimalSeparatorSet(const DecimalSeparatorSet&) = delete;
    DecimalSeparatorSet& operator=(const DecimalSeparatorSet&) = delete;

private:
    char earlier_;
};

}  // namespace offrel::testing
