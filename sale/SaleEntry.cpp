#include "sale/SaleEntry.h"

#include "sale/OptionCost.h"
#include "tables/Rows.h"

#include "base/Conversions.h"
#include "base/Error.h"

namespace offrel {

namespace {

// The price check: an amount above 0 written with the decimal separator.
bool PriceIsValid(const std::string& text) {
    try {
        return StrToCurr(text) > Money();
    } catch (const Error&) {
        return false;
    }
}

}  // namespace

std::string SaleEntryErrors(const SaleEntry& entry, const EditorState& state) {
    std::string errors;
    auto fail = [&errors](std::string_view line) {
        errors.append(line);
        errors += "\r\n";
    };
    auto unsendable = [&fail](const char* text, const std::string& characters) {
        if (!characters.empty())
            fail(FormatMessage("- %s contient des caractères que le site ne peut pas recevoir : %s",
                               {text, characters}));
    };
    if (entry.libelle.empty()) fail("- Le titre de la vente est requis");
    unsendable("Le titre", entry.unsendable.libelle);
    if (entry.description.empty()) fail("- La description de la vente est requise");
    unsendable("La description", entry.unsendable.description);
    if (entry.description.size() > static_cast<std::size_t>(SaleWidth::kDescription)) {
        fail(FormatMessage(
            "- La description a %s caractères : %s au plus sont possibles",
            {std::to_string(entry.description.size()), std::to_string(SaleWidth::kDescription)}));
    }
    unsendable("La référence", entry.unsendable.reference);
    if (StrToInt(entry.quantite) < 1) fail("- La quantité est incorrecte");
    if (!PriceIsValid(entry.prix))
        fail("- Indiquer le prix de départ - Utiliser le point comme délimiteur décimal");
    bool hasCategory = false;
    for (std::int32_t slot : state.CatChoisies) hasCategory = hasCategory || slot >= 1;
    if (!hasCategory) fail("- Au moins une catégorie est requise");
    bool hasPhoto = false;
    for (const std::string& name : state.FichiersPhoto) hasPhoto = hasPhoto || !name.empty();
    if (!hasPhoto) fail("- Au moins une image est requise");
    return errors;
}

void SaveSale(Table& cdsVente, const SaleEntry& entry, const EditorState& state) {
    // A new row starts empty; a changed row keeps the columns the editor does not show, and
    // loses the categories and photos the seller removed.
    Sale sale;
    if (state.ModeModification) {
        cdsVente.Edit();
        sale = ReadSale(cdsVente, cdsVente.RecNo());
    }
    sale.libelle = entry.libelle;
    sale.description = entry.description;
    sale.reference = entry.reference;
    sale.prix = StrToCurr(entry.prix);
    for (int k = 0; k < OptionCost::kBoxes; ++k) sale.option[k] = entry.options[k];
    sale.typeVente = entry.typeVente == 0 ? SaleType::Auction : SaleType::FixedPrice;
    sale.dureeTypeVente = entry.duree >= 0 && entry.duree < static_cast<int>(kDurations.size())
                              ? kDurations[entry.duree]
                              : Duration::None;
    sale.renouvelable = entry.renouvelable;
    sale.quantite = StrToInt(entry.quantite);
    for (int k = 0; k < 3; ++k) {
        sale.categorie[k] =
            state.CatChoisies[k] >= 1 ? std::optional(state.CatChoisies[k]) : std::nullopt;
    }
    for (int k = 0; k < 8; ++k) {
        sale.photo[k] =
            state.FichiersPhoto[k].empty() ? std::nullopt : std::optional(state.FichiersPhoto[k]);
    }
    if (!state.ModeModification) cdsVente.Insert();
    WriteSale(cdsVente, sale);
    cdsVente.Post();
}

}  // namespace offrel
