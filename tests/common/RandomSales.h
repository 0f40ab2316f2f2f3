#pragma once

#include <random>
#include <string>
#include <vector>

#include "base/Windows1252.h"
#include "tables/Sale.h"
#include "tests/common/TempFolder.h"

namespace offrel::testing {

// Photo files whose names hold accents, ";", double quotes and blanks, made in folder; their
// paths as the tables hold them (Windows-1252).
inline std::vector<std::string> MakePhotoFiles(const TempFolder& folder, int count) {
    static const char* const kNames[] = {"vélo rouge",  "été; plage", "dit \"chat\"",
                                         "œuvre d'art", "crème €",    "Noël à Ærø"};
    std::vector<std::string> paths;
    for (int k = 0; k < count; ++k) {
        const std::string name =
            std::string(kNames[k % std::size(kNames)]) + " " + std::to_string(k) + ".jpg";
        paths.push_back(W(folder.Write(name, "\xFF\xD8 photo " + std::to_string(k))));
    }
    return paths;
}

// Sales with every field filled (the ID, which no operation sets, left empty), their texts
// drawn from pieces with accents, ";", double quotes, and line breaks in the descriptions, as
// the editor keeps them (CR LF). The reference holds the sale's number, unique in the batch.
inline std::vector<Sale> RandomSales(int count, unsigned seed,
                                     const std::vector<std::string>& photos) {
    static const char* const kPieces[] = {
        "Vélo",           "été",    "crème brûlée", "œuf;",
        "Noël",           "garçon", "12 €",         "«guillemets»",
        "dit \"ancien\"", "a;b",    "prix ; net",   "L'été",
        "façade",         "naïve",  "Ærø",          "\"",
        "tarte",          "TV 4K",  "ça",           "100%",
        "déjà",           "Œuvre",  "Straße",       "n°5"};
    std::mt19937 random(seed);
    const auto number = [&](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    const auto text = [&](int words) {
        std::string utf8;
        for (int w = 0; w < words; ++w)
            utf8 += (w ? " " : "") + std::string(kPieces[number(0, std::size(kPieces) - 1)]);
        return W(utf8);
    };
    std::vector<Sale> sales;
    for (int n = 0; n < count; ++n) {
        Sale sale;
        sale.libelle = text(number(1, 8));
        std::string description = text(number(1, 10));
        for (int line = number(0, 4); line > 0; --line) description += "\r\n" + text(number(1, 10));
        sale.description = description;
        sale.reference = W("RÉF;") + std::to_string(n) + "\"";
        sale.dureeTypeVente = kDurations[number(0, 2)];
        sale.typeVente = number(0, 1) ? SaleType::FixedPrice : SaleType::Auction;
        sale.quantite = number(1, 50);
        sale.prix = Money::FromTicks(number(1, 100000000));
        sale.prixBoutique = Money::FromTicks(number(1, 100000000));
        sale.renouvelable = number(0, 1) == 1;
        for (auto& categorie : sale.categorie) categorie = number(1, 11097);
        for (auto& option : sale.option) option = number(0, 1) == 1;
        for (auto& photo : sale.photo) photo = photos[number(0, photos.size() - 1)];
        sales.push_back(std::move(sale));
    }
    return sales;
}

}  // namespace offrel::testing
