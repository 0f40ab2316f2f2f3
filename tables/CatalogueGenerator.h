#pragma once

#include <string>

namespace offrel {

// The size of the site's category tree as the application ships it.
constexpr int kCatalogueCategoryCount = 11048;

// A deterministic stand-in for the site's catalogue files, in Windows-1252 bytes, for the
// stand-in site, the benchmarks and the tests. The categories form a tree like the site's: 29
// top-level categories and nine levels, identifiers from 1 up with gaps and not in ascending
// order, some children standing before their parents, the first line a top-level category,
// every price 0 except on one line, French names of 2 to 46 characters. Another count scales
// the levels and the gaps in proportion.
std::string GenerateCategoriesCsv(int count = kCatalogueCategoryCount);
// The seven display options with their prices and labels.
std::string GenerateOptionsCsv();

// Writes Options.csv and Categories.csv into the folder; throws a French message on failure.
void WriteCatalogueFiles(const std::string& folder, int categoryCount = kCatalogueCategoryCount);

}  // namespace offrel
