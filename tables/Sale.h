#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "base/Money.h"

namespace offrel {

// TypeVente: the kind of sale. A row may hold another code (a table changed by hand); it is kept
// and sent as it is.
enum class SaleType : std::int32_t { Auction = 1, FixedPrice = 2 };

// DureeTypeVente: the length of one cycle of the sale. None is what a sale saved without a
// chosen duration holds; a row may hold any other code, kept and sent as it is.
enum class Duration : std::int32_t { None = 0, ThreeDays = 1, FiveDays = 2, SevenDays = 3 };

// The durations in the order the editor lists them.
constexpr std::array<Duration, 3> kDurations = {Duration::ThreeDays, Duration::FiveDays,
                                                Duration::SevenDays};

// One sale, every column of its row in cdsVente. An empty value (never assigned) is nothing:
// the table file keeps the difference between an empty value and 0, false or "", so a sale read
// and written back leaves its row as it was. Texts are Windows-1252.
struct Sale {
    std::optional<std::int32_t> id;
    std::optional<std::string> libelle;
    std::optional<std::string> description;  // lines joined by CR LF
    std::optional<Duration> dureeTypeVente;
    std::optional<SaleType> typeVente;
    std::optional<std::int32_t> quantite;
    std::optional<Money> prix;
    std::optional<Money> prixBoutique;
    std::optional<bool> renouvelable;
    std::optional<std::string> reference;
    std::array<std::optional<std::int32_t>, 3> categorie;  // Categorie1 to Categorie3
    std::array<std::optional<bool>, 8> option;             // Option1 to Option8
    std::array<std::optional<std::string>, 8> photo;       // Photo1 to Photo8: full paths

    friend bool operator==(const Sale&, const Sale&) = default;
};

}  // namespace offrel
