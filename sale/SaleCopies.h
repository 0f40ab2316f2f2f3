#pragma once

#include <vector>

#include "tables/Table.h"

namespace offrel {

// "Dupliquer": each sale at positions (ascending) of cdsVente is copied whole, every column as
// it is, into a new row right after it, as one bulk change. Returns the positions of the copies,
// ascending; the first copy is the current row.
std::vector<int> DuplicateSales(Table& cdsVente, const std::vector<int>& positions);

}  // namespace offrel
