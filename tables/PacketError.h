#pragma once

#include "base/Error.h"

namespace offrel {

// A table packet cut short or whose lengths and counts contradict each other.
[[noreturn]] void ThrowDamagedPacket();

}  // namespace offrel
