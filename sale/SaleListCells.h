#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>

#include "base/Money.h"
#include "tables/Sale.h"
#include "tables/Table.h"

namespace offrel {

// The columns of the list of sales: the designed two, then those the seller may show.
enum class ListColumn { Libelle, Prix, Reference, Categorie, Photos, Options, Type, Duree };
constexpr int kListColumns = 8;

// The column's title: "Libelle", "Prix", "Référence", "Catégorie", "Photos", "Options", "Type",
// "Durée".
std::string ListColumnTitle(ListColumn column);

// What the list shows of a sale beyond its title and price: its reference, the name of its first
// category, how many photos it has, what its options cost as page 5 shows it, its sale type and
// duration, in Windows-1252 text. The catalogue is read when first needed: after the refresh at
// start-up, which comes before the list is shown.
class SaleListCells {
public:
    SaleListCells(const Table& cdsCategorie, Table& cdsOption);

    std::string Text(const Sale& sale, ListColumn column);

    // The name of the category of that ID; "#ID" for one the catalogue does not hold.
    std::string CategoryName(std::int32_t id);
    // The first slot that holds a category (an ID above 0); nothing when none does.
    static std::optional<std::int32_t> FirstCategory(const Sale& sale);
    static int PhotoCount(const Sale& sale);
    // The total of the ticked options 1 to 7, as page 5 adds them up (an option whose price
    // cannot be read counts for nothing).
    Money OptionsCost(const Sale& sale);

private:
    const Table& cdsCategorie_;
    Table& cdsOption_;
    std::optional<std::unordered_map<std::int32_t, std::string>> names_;
    std::array<std::optional<Money>, 128> costs_;  // by the ticked boxes as bits
};

}  // namespace offrel
