#pragma once

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

}  // namespace offrel
