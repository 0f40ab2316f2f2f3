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
// and cdsVente from them. A catalogue file that cannot be read leaves its table with the built-in
// contents, without a word; Ventes.cds that cannot be read throws a message that tells the
// seller the file was left untouched and where it is.
void OpenTables(ApplicationTables& tables, const std::string& folder);

}  // namespace offrel
