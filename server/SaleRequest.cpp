#include "server/SaleRequest.h"

#include "tables/Conversions.h"

namespace offrel {

void AddSaleFields(TMultipartBody& body, Table& cdsVente, const std::string& login,
                   const std::string& password) {
    auto text = [&](const char* column) { return cdsVente.FieldByName(column).AsString(); };
    auto number = [&](const char* column) {
        return std::to_string(cdsVente.FieldByName(column).AsInteger());
    };
    body.AddTextField("action", "putVente");
    body.AddTextField("login", login);
    body.AddTextField("password", password);
    body.AddTextField("libelle", text("Libelle"));
    body.AddTextField("description", text("Description"));
    body.AddTextField("prix", CurrToStr(cdsVente.FieldByName("Prix").AsCurrency()));
    body.AddTextField("quantite", number("Quantite"));
    body.AddTextField("renouvelable", cdsVente.FieldByName("Renouvelable").AsBoolean() ? "1" : "0");
    body.AddTextField("dureetypevente", number("DureeTypeVente"));
    body.AddTextField("typevente", number("TypeVente"));
    for (int k = 1; k <= 8; ++k) {
        const std::string slot = std::to_string(k);
        if (cdsVente.FieldByName("Option" + slot).AsBoolean())
            body.AddTextField("option" + slot, "true");
    }
    body.AddTextField("reference", text("Reference"));
    for (int k = 1; k <= 3; ++k) {
        const std::string slot = std::to_string(k);
        const std::int32_t category = cdsVente.FieldByName("Categorie" + slot).AsInteger();
        if (category != 0) body.AddTextField("categorie" + slot, std::to_string(category));
    }
    for (int k = 1; k <= 8; ++k) {
        const std::string slot = std::to_string(k);
        const std::string path = cdsVente.FieldByName("Photo" + slot).AsString();
        if (!path.empty()) body.AddFileField("photo" + slot, path, "multipart/form-data");
    }
}

}  // namespace offrel
