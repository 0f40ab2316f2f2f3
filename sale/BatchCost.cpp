#include "sale/BatchCost.h"

#include <array>

#include "base/Conversions.h"
#include "base/Windows1252.h"
#include "sale/OptionCost.h"

namespace offrel {

Batch BatchOf(const Table& cdsVente, Table& cdsOption) {
    std::array<int, OptionCost::kBoxes> columns{};
    for (int box = 1; box <= OptionCost::kBoxes; ++box)
        columns[box - 1] = cdsVente.ColumnIndex("Option" + std::to_string(box));
    Batch batch;
    batch.sales = cdsVente.RecordCount();
    for (int sale = 0; sale < batch.sales; ++sale) {
        std::array<bool, OptionCost::kBoxes> ticked{};
        for (int box = 0; box < OptionCost::kBoxes; ++box)
            ticked[box] = ValueAs<bool>(cdsVente.ValueAt(sale, columns[box]));
        batch.options = batch.options + StrToCurr(OptionCost::TickedTotal(cdsOption, ticked));
    }
    return batch;
}

std::string BatchLine(const Batch& batch) {
    const char* sales = batch.sales <= 1 ? " vente" : " ventes";
    return std::to_string(batch.sales) + sales + W(" — options : ") +
           CurrToStrTwoDecimals(batch.options) + W(" €");
}

}  // namespace offrel
