#include "sale/SaleEntry.h"

#include "base/Conversions.h"
#include "base/Error.h"
#include "base/Windows1252.h"

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
    auto fail = [&errors](const char* line) { errors += W(line) + "\r\n"; };
    if (entry.libelle.empty()) fail("- Le titre de la vente est requis");
    if (entry.description.empty()) fail("- La description de la vente est requise");
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
    if (state.ModeModification)
        cdsVente.Edit();
    else
        cdsVente.Insert();
    cdsVente.FieldByName("Libelle").SetAsString(entry.libelle);
    cdsVente.FieldByName("Description").SetAsString(entry.description);
    cdsVente.FieldByName("Reference").SetAsString(entry.reference);
    cdsVente.FieldByName("Prix").SetAsCurrency(StrToCurr(entry.prix));
    for (int k = 0; k < 7; ++k)
        cdsVente.FieldByName("Option" + std::to_string(k + 1)).SetAsBoolean(entry.options[k]);
    cdsVente.FieldByName("TypeVente").SetAsInteger(entry.typeVente + 1);
    cdsVente.FieldByName("DureeTypeVente").SetAsInteger(entry.duree + 1);
    cdsVente.FieldByName("Renouvelable").SetAsBoolean(entry.renouvelable);
    cdsVente.FieldByName("Quantite").SetAsInteger(StrToInt(entry.quantite));
    // A new row starts empty; a changed row must lose what the seller removed.
    for (int k = 0; k < 3; ++k) {
        Field field = cdsVente.FieldByName("Categorie" + std::to_string(k + 1));
        if (state.CatChoisies[k] >= 1)
            field.SetAsInteger(state.CatChoisies[k]);
        else if (state.ModeModification)
            field.Clear();
    }
    for (int k = 0; k < 8; ++k) {
        Field field = cdsVente.FieldByName("Photo" + std::to_string(k + 1));
        if (!state.FichiersPhoto[k].empty())
            field.SetAsString(state.FichiersPhoto[k]);
        else if (state.ModeModification)
            field.Clear();
    }
    cdsVente.Post();
}

}  // namespace offrel
