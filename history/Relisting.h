#pragma once

#include <string>
#include <vector>

#include "history/SalesHistory.h"
#include "tables/Table.h"

namespace offrel {

// The photos of these sales whose file no longer exists, each path once, in the sales' order
// (Windows-1252, as the sales hold them).
std::vector<std::string> MissingPhotos(const std::vector<SentSale>& sales);

// Appends the sales at the end of cdsVente as new sales, every field as it was sent.
void Relist(Table& cdsVente, const std::vector<SentSale>& sales);

}  // namespace offrel
