#include "server/SaleRequest.h"

#include "tables/Conversions.h"

namespace offrel {

namespace {

// A row's values as the request writes them: an empty value is 0, false or "".
class SaleRow {
public:
    SaleRow(const Table& cdsVente, int position) : table_(cdsVente), position_(position) {}

    std::string Text(const std::string& column) const {
        const Value value = Get(column);
        const auto* text = std::get_if<std::string>(&value);
        return text ? *text : std::string();
    }
    std::int32_t Integer(const std::string& column) const {
        const Value value = Get(column);
        const auto* integer = std::get_if<std::int32_t>(&value);
        return integer ? *integer : 0;
    }
    Money Currency(const std::string& column) const {
        const Value value = Get(column);
        const auto* money = std::get_if<Money>(&value);
        return money ? *money : Money();
    }
    bool Boolean(const std::string& column) const {
        const Value value = Get(column);
        const auto* flag = std::get_if<bool>(&value);
        return flag && *flag;
    }

private:
    Value Get(const std::string& column) const {
        return table_.ValueAt(position_, table_.ColumnIndex(column));
    }
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
    text("prix", CurrToStr(sale.Currency("Prix")));
    text("quantite", std::to_string(sale.Integer("Quantite")));
    text("renouvelable", sale.Boolean("Renouvelable") ? "1" : "0");
    text("dureetypevente", std::to_string(sale.Integer("DureeTypeVente")));
    text("typevente", std::to_string(sale.Integer("TypeVente")));
    for (int k = 1; k <= 8; ++k) {
        const std::string slot = std::to_string(k);
        if (sale.Boolean("Option" + slot)) text("option" + slot, "true");
    }
    text("reference", sale.Text("Reference"));
    for (int k = 1; k <= 3; ++k) {
        const std::string slot = std::to_string(k);
        const std::int32_t category = sale.Integer("Categorie" + slot);
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
