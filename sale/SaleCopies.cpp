#include "sale/SaleCopies.h"

#include "tables/ControlsSuspended.h"
#include "tables/Rows.h"

namespace offrel {

std::vector<int> DuplicateSales(Table& cdsVente, const std::vector<int>& positions) {
    std::vector<int> copies;
    if (positions.empty()) return copies;
    ControlsSuspended suspended(cdsVente);
    // From the last, so that the positions still to copy stay where they were.
    for (auto original = positions.rbegin(); original != positions.rend(); ++original) {
        const Sale sale = ReadSale(cdsVente, *original);
        if (*original + 1 < cdsVente.RecordCount()) {
            cdsVente.MoveTo(*original + 1);
            cdsVente.Insert();
        } else {
            cdsVente.Append();
        }
        WriteSale(cdsVente, sale);
        cdsVente.Post();
    }
    // Each copy stands after its original and after the copies of the sales before it.
    for (std::size_t k = 0; k < positions.size(); ++k)
        copies.push_back(positions[k] + static_cast<int>(k) + 1);
    cdsVente.MoveTo(copies.front());
    return copies;
}

}  // namespace offrel
