#pragma once

#include <string>

#include "tables/Table.h"

namespace offrel {

// Append one row per line of Options.csv / Categories.csv to the table; both set the decimal
// separator to '.' first. A line that fails conversion stops the import with the conversion
// message; its row is dropped, the rows of earlier lines stay.
void ReadOptionsFromCSV(Table& cdsOption, const std::string& path);
void ReadCategoriesFromCSV(Table& cdsCategorie, const std::string& path);

}  // namespace offrel
