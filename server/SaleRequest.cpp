#include "server/SaleRequest.h"

#include <algorithm>
#include <iterator>

#include "base/Conversions.h"

namespace offrel {

namespace {

// An empty value is sent as 0, false or "".
std::string Number(const std::optional<std::int32_t>& value) {
    return std::to_string(value.value_or(0));
}

template <typename Enum>
std::string Code(const std::optional<Enum>& code) {
    return code ? std::to_string(static_cast<std::int32_t>(*code)) : "0";
}

}  // namespace

std::vector<SalePart> SaleParts(const Sale& sale) {
    std::vector<SalePart> parts;
    auto text = [&](std::string name, std::string value) {
        parts.push_back({std::move(name), std::move(value)});
    };
    text("libelle", sale.libelle.value_or(""));
    text("description", sale.description.value_or(""));
    text("prix", CurrToStr(sale.prix.value_or(Money())));
    text("quantite", Number(sale.quantite));
    text("renouvelable", sale.renouvelable.value_or(false) ? "1" : "0");
    text("dureetypevente", Code(sale.dureeTypeVente));
    text("typevente", Code(sale.typeVente));
    for (int k = 1; k <= 8; ++k)
        if (sale.option[k - 1].value_or(false)) text("option" + std::to_string(k), "true");
    text("reference", sale.reference.value_or(""));
    for (int k = 1; k <= 3; ++k) {
        const std::int32_t category = sale.categorie[k - 1].value_or(0);
        if (category != 0) text("categorie" + std::to_string(k), std::to_string(category));
    }
    for (int k = 1; k <= 8; ++k) {
        std::string path = sale.photo[k - 1].value_or("");
        if (!path.empty()) parts.push_back({"photo" + std::to_string(k), std::move(path), true});
    }
    return parts;
}

void AddSaleFields(TMultipartBody& body, const Sale& sale, const std::string& login,
                   const std::string& password, ReducedPhotos reduced) {
    body.AddTextField("action", "putVente");
    body.AddTextField("login", login);
    body.AddTextField("password", password);
    const std::vector<SalePart> parts = SaleParts(sale);
    for (auto part = parts.begin(); part != parts.end(); ++part) {
        const auto photo = part->photo ? reduced.find(part->value) : reduced.end();
        if (photo != reduced.end()) {
            // A photo chosen in two slots goes twice: only its last part takes its bytes over.
            const bool again = std::any_of(
                std::next(part), parts.end(),
                [&](const SalePart& later) { return later.photo && later.value == part->value; });
            body.AddFileBytes(part->name, part->value,
                              again ? std::string(photo->second) : std::move(photo->second),
                              "multipart/form-data");
        } else if (part->photo) {
            body.AddFileField(part->name, part->value, "multipart/form-data");
        } else {
            body.AddTextField(part->name, part->value);
        }
    }
}

}  // namespace offrel
