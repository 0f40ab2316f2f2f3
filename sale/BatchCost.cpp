#include "sale/BatchCost.h"

#include <array>

#include "base/Conversions.h"
#include "base/Windows1252.h"
#include "sale/OptionCost.h"
#include "tables/Rows.h"

namespace offrel {

Batch BatchOf(const Table& cdsVente, Table& cdsOption) {
    Batch batch;
    batch.sales = cdsVente.RecordCount();
    for (int position = 0; position < batch.sales; ++position) {
        const Sale sale = ReadSale(cdsVente, position);
        std::array<bool, OptionCost::kBoxes> ticked{};
        for (int box = 0; box < OptionCost::kBoxes; ++box)
            ticked[box] = sale.option[box].value_or(false);
        batch.options = batch.options + OptionCost::TickedTotal(cdsOption, ticked);
    }
    return batch;
}

std::string BatchLine(const Batch& batch) {
    const char* sales = batch.sales <= 1 ? " vente" : " ventes";
    return std::to_string(batch.sales) + sales + W(" — options : ") +
           CurrToStrTwoDecimals(batch.options) + W(" €");
}

}  // namespace offrel
