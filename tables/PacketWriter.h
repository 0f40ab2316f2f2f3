#pragma once

#include <cstdint>
#include <vector>

#include "tables/RowStore.h"

namespace offrel {

// The table packet of the rows: every version with its status when the log holds entries,
// otherwise the live rows with status 0.
std::vector<std::uint8_t> WritePacket(const RowStore& rows);

}  // namespace offrel
