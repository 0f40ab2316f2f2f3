#pragma once

#include <string>

#include "tables/Table.h"

namespace offrel {

// The three tables of the application with their exact schemas and built-in contents:
// cdsVente (Ventes.cds), cdsOption (Options.cds), cdsCategorie (Categories.cds).
struct ApplicationTables {
    ApplicationTables();
    Table cdsVente;
    Table cdsOption;
    Table cdsCategorie;
};

// Names the three table files in folder (file-system bytes) and opens cdsOption, cdsCategorie
// and cdsVente from them; a table file that cannot be read throws.
void OpenTables(ApplicationTables& tables, const std::string& folder);

}  // namespace offrel
