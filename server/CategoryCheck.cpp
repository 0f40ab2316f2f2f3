#include "server/CategoryCheck.h"

#include <unordered_set>

#include "tables/Rows.h"

namespace offrel {

std::vector<CategoryProblem> CheckSaleCategories(const Table& cdsVente, const Table& cdsCategorie) {
    std::unordered_set<std::int32_t> known;
    for (int row = 0; row < cdsCategorie.RecordCount(); ++row)
        if (const std::optional<std::int32_t> id = ReadCategory(cdsCategorie, row).id)
            known.insert(*id);
    std::vector<CategoryProblem> problems;
    if (known.empty()) return problems;
    for (int position = 0; position < cdsVente.RecordCount(); ++position) {
        const Sale sale = ReadSale(cdsVente, position);
        for (int slot = 1; slot <= 3; ++slot) {
            const std::int32_t id = sale.categorie[slot - 1].value_or(0);
            if (id >= 1 && !known.contains(id))
                problems.push_back({position, sale.libelle.value_or(""), slot, id});
        }
    }
    return problems;
}

}  // namespace offrel
