#pragma once

#include "base/Conversions.h"
#include "base/Windows1252.h"
#include "sale/EditorState.h"
#include "tables/ApplicationTables.h"

namespace offrel::testing {

// The three tables emptied, the decimal separator of the catalogue import, the editor's state,
// and helpers to fill the catalogue and the sales (texts in UTF-8).
struct SaleTables {
    ApplicationTables tables;
    EditorState state;

    SaleTables() {
        SetDecimalSeparator('.');
        for (Table* table : {&tables.cdsVente, &tables.cdsOption, &tables.cdsCategorie}) {
            table->Open();
            table->EmptyDataSet();
        }
    }

    // An empty prix leaves the option without a price.
    void AddOption(const char* libelle, const char* prix, const char* prixBoutique = "0.1") {
        Table& t = tables.cdsOption;
        t.Append();
        t.FieldByName("Libelle").SetAsString(W(libelle));
        if (*prix) t.FieldByName("Prix").SetAsCurrency(StrToCurr(prix));
        t.FieldByName("PrixBoutique").SetAsCurrency(StrToCurr(prixBoutique));
        t.Post();
    }

    void AddCategory(int id, int parentId, const char* libelle) {
        Table& t = tables.cdsCategorie;
        t.Append();
        t.FieldByName("ID").SetAsInteger(id);
        t.FieldByName("ParentID").SetAsInteger(parentId);
        t.FieldByName("Libelle").SetAsString(W(libelle));
        t.Post();
    }

    // A small tree. The first row names a parent but is still a top-level category.
    void AddCategoryTree() {
        AddCategory(1, 2, "Premier");
        AddCategory(2, 0, "Maison");
        AddCategory(3, 0, "Jardin");
        AddCategory(10, 2, "Cuisine");
        AddCategory(11, 2, "Salon");
        AddCategory(20, 11, "Canapés");
        AddCategory(21, 11, "Tables");
        AddCategory(50, 3, "Outils");
        AddCategory(51, 3, "Plantes");
        AddCategory(60, 51, "Arbres");
    }

    // A row of cdsVente with the given fields, appended and posted.
    template <class Fill>
    void AddSale(Fill fill) {
        Table& t = tables.cdsVente;
        t.Append();
        fill(t);
        t.Post();
    }
};

}  // namespace offrel::testing
