#include "server/SaleRequest.h"

#include "base/Conversions.h"

namespace offrel {

namespace {

// A row's values as the request writes them: an empty value is 0, false or "".
class SaleRow {
public:
    SaleRow(const Table& cdsVente, int position) : table_(cdsVente), position_(position) {}

    template <typename T>
    T Get(const std::string& column) const {
        return ValueAs<T>(table_.ValueAt(position_, table_.ColumnIndex(column)));
    }
    std::string Text(const std::string& column) const { return Get<std::string>(column); }
    std::string Number(const std::string& column) const {
        return std::to_string(Get<std::int32_t>(column));
    }

private:
    const Table& table_;
    int position_;
};

}  // namespace

std::vector<SalePart> SaleParts(const Table& cdsVente, int position) {
    const SaleRow sale(cdsVente, position);
    std::vector<SalePart> parts;
    auto text = [&](std::string name, std::string value) {
        parts.push_back({std::move(name), std::move(value)});
    };
    text("libelle", sale.Text("Libelle"));
    text("description", sale.Text("Description"));
    text("prix", CurrToStr(sale.Get<Money>("Prix")));
    text("quantite", sale.Number("Quantite"));
    text("renouvelable", sale.Get<bool>("Renouvelable") ? "1" : "0");
    text("dureetypevente", sale.Number("DureeTypeVente"));
    text("typevente", sale.Number("TypeVente"));
    for (int k = 1; k <= 8; ++k) {
        const std::string slot = std::to_string(k);
        if (sale.Get<bool>("Option" + slot)) text("option" + slot, "true");
    }
    text("reference", sale.Text("Reference"));
    for (int k = 1; k <= 3; ++k) {
        const std::string slot = std::to_string(k);
        const std::int32_t category = sale.Get<std::int32_t>("Categorie" + slot);
        if (category != 0) text("categorie" + slot, std::to_string(category));
    }
    for (int k = 1; k <= 8; ++k) {
        const std::string slot = std::to_string(k);
        std::string path = sale.Text("Photo" + slot);
        if (!path.empty()) parts.push_back({"photo" + slot, std::move(path), true});
    }
    return parts;
}

void AddSaleFields(TMultipartBody& body, Table& cdsVente, const std::string& login,
                   const std::string& password) {
    body.AddTextField("action", "putVente");
    body.AddTextField("login", login);
    body.AddTextField("password", password);
    for (const SalePart& part : SaleParts(cdsVente, cdsVente.RecNo())) {
        if (part.photo)
            body.AddFileField(part.name, part.value, "multipart/form-data");
        else
            body.AddTextField(part.name, part.value);
    }
}

}  // namespace offrel
