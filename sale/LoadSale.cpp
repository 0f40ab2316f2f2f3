#include "sale/LoadSale.h"

#include <algorithm>

#include "base/Conversions.h"
#include "sale/OptionCost.h"
#include "tables/Rows.h"

namespace offrel {

namespace {

// The item of the duration list that shows a stored code; -1 for none.
int DurationItem(const std::optional<Duration>& code) {
    const auto item =
        std::find(kDurations.begin(), kDurations.end(), code.value_or(Duration::None));
    return item == kDurations.end() ? -1 : static_cast<int>(item - kDurations.begin());
}

// The fields that a new sale copies from the first row and a change reads from its own. An
// auction sells one article; any other code is a fixed-price sale with the stored quantity,
// empty when there is none.
void ReadTerms(const Sale& sale, SaleEntry& entry) {
    entry.description = sale.description.value_or(std::string());
    entry.reference = sale.reference.value_or(std::string());
    const bool auction = sale.typeVente == SaleType::Auction;
    entry.typeVente = auction ? 0 : 1;
    entry.quantite = auction         ? std::string("1")
                     : sale.quantite ? std::to_string(*sale.quantite)
                                     : std::string();
    entry.renouvelable = sale.renouvelable.value_or(false);
    entry.duree = DurationItem(sale.dureeTypeVente);
}

std::array<std::int32_t, 3> Categories(const Sale& sale) {
    std::array<std::int32_t, 3> ids{};
    for (int k = 0; k < 3; ++k) ids[k] = sale.categorie[k].value_or(0);
    return ids;
}

}  // namespace

SaleEntry EntryOfSale(const Sale& sale) {
    SaleEntry entry;
    entry.libelle = sale.libelle.value_or(std::string());
    ReadTerms(sale, entry);
    for (int box = 0; box < OptionCost::kBoxes; ++box)
        entry.options[box] = sale.option[box].value_or(false);
    if (sale.prix) entry.prix = CurrToStr(*sale.prix);
    return entry;
}

LoadedSale LoadSale(ApplicationTables& tables, CategoryCascade& cascade, EditorState& state) {
    state.FichiersPhoto = {};
    state.CatChoisies = {-1, -1, -1};
    LoadedSale loaded;
    Table& vente = tables.cdsVente;
    if (!state.ModeModification) {
        if (vente.RecordCount() > 0) {
            vente.First();
            const Sale first = ReadSale(vente, vente.RecNo());
            ReadTerms(first, loaded.entry);
            cascade.RestoreThreePass(Categories(first));
        }
    } else {
        const Sale sale = ReadSale(vente, vente.RecNo());
        loaded.entry = EntryOfSale(sale);
        loaded.cout =
            OptionCost::TickedTotal(tables.cdsOption, loaded.entry.options, &loaded.problems);
        for (int slot = 0; slot < 8; ++slot)
            state.FichiersPhoto[slot] = sale.photo[slot].value_or(std::string());
        cascade.RestoreSinglePass(Categories(sale));
    }
    cascade.Reset();
    return loaded;
}

}  // namespace offrel
