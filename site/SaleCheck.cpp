#include "site/SaleCheck.h"

#include <algorithm>
#include <charconv>
#include <cstdint>

#include "base/Windows1252.h"

namespace offrel::site {

namespace {

bool AllDigits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Plain decimal digits only: no sign, no blank, no hexadecimal.
std::optional<std::int64_t> WholeNumber(const std::string* text) {
    if (!text || !AllDigits(*text) || text->size() > 10) return std::nullopt;
    std::int64_t value = 0;
    std::from_chars(text->data(), text->data() + text->size(), value);
    return value;
}

// Digits with at most one decimal point between digits; the comma is not a decimal separator.
bool IsPriceAboveZero(const std::string* text) {
    if (!text) return false;
    std::string_view price = *text;
    std::size_t point = price.find('.');
    if (point != std::string_view::npos &&
        !(AllDigits(price.substr(0, point)) && AllDigits(price.substr(point + 1))))
        return false;
    if (point == std::string_view::npos && !AllDigits(price)) return false;
    return price.find_first_of("123456789") != std::string_view::npos;
}

bool InRange(const std::string* text, std::int64_t low, std::int64_t high) {
    std::optional<std::int64_t> value = WholeNumber(text);
    return value && *value >= low && *value <= high;
}

bool IsEmpty(const std::string* text) {
    return !text || text->empty();
}

std::optional<std::string> CheckCategories(const ReceivedSale& sale,
                                           const SiteCatalogue& catalogue) {
    bool any = false;
    for (const char* name : {"categorie1", "categorie2", "categorie3"}) {
        const std::string* value = sale.Field(name);
        if (!value) continue;
        any = true;
        std::optional<std::int64_t> id = WholeNumber(value);
        if (!id || *id > INT32_MAX || !catalogue.HasCategory(static_cast<int>(*id)))
            return W("La catégorie ") + *value + W(" n'existe pas");
    }
    if (!any) return W("La vente n'a aucune catégorie");
    return std::nullopt;
}

std::optional<std::string> CheckPhotos(const ReceivedSale& sale) {
    if (sale.photos.empty()) return W("La vente n'a aucune photo");
    for (const ReceivedPhoto& photo : sale.photos)
        if (!photo.jpeg) return "La photo " + photo.part + W(" n'est pas une image JPEG");
    return std::nullopt;
}

}  // namespace

std::optional<std::string> CheckSale(const ReceivedSale& sale, const Account& account,
                                     const SiteCatalogue& catalogue) {
    const std::string* login = sale.Field("login");
    const std::string* password = sale.Field("password");
    if (!login || !password || *login != account.login || *password != account.password)
        return W("Identifiant ou mot de passe incorrect");
    if (IsEmpty(sale.Field("libelle"))) return W("Le titre de la vente est vide");
    if (IsEmpty(sale.Field("description"))) return W("La description de la vente est vide");
    if (!IsPriceAboveZero(sale.Field("prix")))
        return W("Le prix doit être supérieur à zéro et écrit avec un point");
    if (!InRange(sale.Field("quantite"), 1, INT32_MAX))
        return W("La quantité doit être un nombre entier supérieur ou égal à 1");
    if (const std::string* renewal = sale.Field("renouvelable");
        renewal && *renewal != "0" && *renewal != "1")
        return W("Le champ renouvelable doit valoir 0 ou 1");
    if (!InRange(sale.Field("dureetypevente"), 1, 3))
        return W("La durée de la vente doit valoir 1, 2 ou 3 (3, 5 ou 7 jours)");
    if (!InRange(sale.Field("typevente"), 1, 2))
        return W("Le type de vente doit valoir 1 (enchères) ou 2 (prix net)");
    for (int k = 1; k <= 8; ++k) {
        std::string name = "option" + std::to_string(k);
        if (const std::string* value = sale.Field(name); value && *value != "true")
            return W("L'option ") + name + " doit valoir true";
    }
    if (auto problem = CheckCategories(sale, catalogue)) return problem;
    return CheckPhotos(sale);
}

}  // namespace offrel::site
