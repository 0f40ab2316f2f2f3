#pragma once

#include <cstdint>
#include <vector>

#include "tables/Table.h"

namespace offrel {

// The built-in initial contents of a table: its columns, no row and an empty log. They show the
// same as any fuller contents would where the application reads them: no sale, and a catalogue
// that the start-up refresh replaces before anything reads it.
std::vector<std::uint8_t> BuiltinPacket(const std::vector<ColumnDef>& columns);

}  // namespace offrel
