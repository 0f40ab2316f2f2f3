#include "sale/LoadSale.h"

#include "base/Conversions.h"
#include "sale/OptionCost.h"

namespace offrel {

namespace {

std::string FieldName(const char* stem, int number) {
    return stem + std::to_string(number);
}

// The sale type and its quantity: an auction sells one article; any other code is a fixed-price
// sale with the stored quantity, empty when there is none.
void ReadSaleType(Table& row, SaleEntry& entry) {
    if (row.FieldByName("TypeVente").AsInteger() == 1) {
        entry.typeVente = 0;
        entry.quantite = "1";
    } else {
        entry.typeVente = 1;
        entry.quantite = row.FieldByName("Quantite").AsString();
    }
}

// The fields that a new sale copies from the first row and a change reads from its own.
void ReadTerms(Table& row, SaleEntry& entry) {
    entry.description = row.FieldByName("Description").AsString();
    entry.reference = row.FieldByName("Reference").AsString();
    ReadSaleType(row, entry);
    entry.renouvelable = row.FieldByName("Renouvelable").AsBoolean();
    const std::int32_t duree = row.FieldByName("DureeTypeVente").AsInteger();
    entry.duree = duree >= 1 && duree <= 3 ? duree - 1 : -1;
}

std::array<std::int32_t, 3> RowCategories(Table& row) {
    std::array<std::int32_t, 3> fields{};
    for (int k = 0; k < 3; ++k)
        fields[k] = row.FieldByName(FieldName("Categorie", k + 1)).AsInteger();
    return fields;
}

void ReadOptions(ApplicationTables& tables, LoadedSale& sale) {
    for (int box = 1; box <= OptionCost::kBoxes; ++box)
        sale.entry.options[box - 1] =
            tables.cdsVente.FieldByName(FieldName("Option", box)).AsBoolean();
    sale.cout = OptionCost::TickedTotal(tables.cdsOption, sale.entry.options, &sale.problems);
}

}  // namespace

LoadedSale LoadSale(ApplicationTables& tables, CategoryCascade& cascade, EditorState& state) {
    state.FichiersPhoto = {};
    state.CatChoisies = {-1, -1, -1};
    LoadedSale sale;
    Table& vente = tables.cdsVente;
    if (!state.ModeModification) {
        if (vente.RecordCount() > 0) {
            vente.First();
            ReadTerms(vente, sale.entry);
            cascade.RestoreThreePass(RowCategories(vente));
        }
    } else {
        sale.entry.libelle = vente.FieldByName("Libelle").AsString();
        ReadTerms(vente, sale.entry);
        ReadOptions(tables, sale);
        for (int slot = 1; slot <= 8; ++slot)
            state.FichiersPhoto[slot - 1] = vente.FieldByName(FieldName("Photo", slot)).AsString();
        Field prix = vente.FieldByName("Prix");
        if (!prix.IsNull()) sale.entry.prix = CurrToStr(prix.AsCurrency());
        cascade.RestoreSinglePass(RowCategories(vente));
    }
    cascade.Reset();
    return sale;
}

}  // namespace offrel
