#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tables/Table.h"

namespace offrel {

// A category of a sale that the site's catalogue does not hold: the site would refuse the sale.
struct CategoryProblem {
    int sale;  // position in cdsVente
    std::string libelle;
    int slot;  // 1 to 3
    std::int32_t id;
};

// Checks, before anything is sent, that every category of every sale of cdsVente is one of
// cdsCategorie, the catalogue downloaded at start-up; finds nothing when that catalogue is
// empty, since it then tells nothing. Reads both tables without moving their current rows.
std::vector<CategoryProblem> CheckSaleCategories(const Table& cdsVente, const Table& cdsCategorie);

}  // namespace offrel
