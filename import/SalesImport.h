#pragma once

#include <string>

#include "tables/Table.h"

namespace offrel {

// Inserts one row into cdsVente (at its current position) for each accepted line of the
// 18-column sales file; the first line is a header. A number that fails to convert stops the
// import with the conversion message. A file that does not exist throws a French message.
void ReadVentesFromCSV(Table& cdsVente, const std::string& path);

}  // namespace offrel
