#include "sale/BatchCost.h"

#include <array>

#include "base/Conversions.h"
#include "base/Windows1252.h"
#include "sale/OptionCost.h"
#include "tables/Rows.h"

namespace offrel {

namespace {

Money OptionsOf(const Table& cdsVente, Table& cdsOption, int position) {
    const Sale sale = ReadSale(cdsVente, position);
    std::array<bool, OptionCost::kBoxes> ticked{};
    for (int box = 0; box < OptionCost::kBoxes; ++box)
        ticked[box] = sale.option[box].value_or(false);
    return OptionCost::TickedTotal(cdsOption, ticked);
}

}  // namespace

Batch BatchOf(const Table& cdsVente, Table& cdsOption) {
    Batch batch;
    batch.sales = cdsVente.RecordCount();
    for (int position = 0; position < batch.sales; ++position)
        batch.options = batch.options + OptionsOf(cdsVente, cdsOption, position);
    return batch;
}

Batch BatchOfSelection(const Table& cdsVente, Table& cdsOption, const std::vector<int>& positions) {
    Batch batch;
    batch.sales = static_cast<int>(positions.size());
    batch.selected = true;
    for (int position : positions)
        batch.options = batch.options + OptionsOf(cdsVente, cdsOption, position);
    return batch;
}

std::string BatchLine(const Batch& batch) {
    const bool one = batch.sales <= 1;
    const char* sales = one ? " vente" : " ventes";
    const char* selected = !batch.selected ? "" : one ? " sélectionnée" : " sélectionnées";
    return std::to_string(batch.sales) + sales + W(selected) + W(" — options : ") +
           CurrToStrTwoDecimals(batch.options) + W(" €");
}

}  // namespace offrel
