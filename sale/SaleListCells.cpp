#include "sale/SaleListCells.h"

#include <vector>

#include "base/Conversions.h"
#include "base/Windows1252.h"
#include "sale/OptionCost.h"
#include "tables/Rows.h"

namespace offrel {

namespace {

const char* const kTitles[kListColumns] = {"Libelle", "Prix",    "Référence", "Catégorie",
                                           "Photos",  "Options", "Type",      "Durée"};

}  // namespace

std::string ListColumnTitle(ListColumn column) {
    return W(kTitles[static_cast<int>(column)]);
}

SaleListCells::SaleListCells(const Table& cdsCategorie, Table& cdsOption)
    : cdsCategorie_(cdsCategorie), cdsOption_(cdsOption) {}

std::string SaleListCells::CategoryName(std::int32_t id) {
    if (!names_) {
        names_.emplace();
        for (int row = 0; row < cdsCategorie_.RecordCount(); ++row) {
            const CategoryRow category = ReadCategory(cdsCategorie_, row);
            if (category.id) names_->emplace(*category.id, category.libelle.value_or(""));
        }
    }
    const auto found = names_->find(id);
    return found != names_->end() ? found->second : "#" + std::to_string(id);
}

std::optional<std::int32_t> SaleListCells::FirstCategory(const Sale& sale) {
    for (const std::optional<std::int32_t>& slot : sale.categorie)
        if (slot.value_or(0) > 0) return slot;
    return std::nullopt;
}

int SaleListCells::PhotoCount(const Sale& sale) {
    int count = 0;
    for (const std::optional<std::string>& photo : sale.photo)
        count += photo && !photo->empty() ? 1 : 0;
    return count;
}

Money SaleListCells::OptionsCost(const Sale& sale) {
    std::array<bool, OptionCost::kBoxes> ticked{};
    unsigned bits = 0;
    for (int box = 0; box < OptionCost::kBoxes; ++box) {
        ticked[box] = sale.option[box].value_or(false);
        bits |= ticked[box] ? 1u << box : 0u;
    }
    std::optional<Money>& cost = costs_[bits];
    if (!cost) {
        std::vector<std::string> unreadable;
        cost = OptionCost::TickedTotal(cdsOption_, ticked, &unreadable);
    }
    return *cost;
}

std::string SaleListCells::Text(const Sale& sale, ListColumn column) {
    switch (column) {
        case ListColumn::Libelle:
            return sale.libelle.value_or("");
        case ListColumn::Prix:
            return sale.prix ? CurrToStrTwoDecimals(*sale.prix) : "";
        case ListColumn::Reference:
            return sale.reference.value_or("");
        case ListColumn::Categorie: {
            const std::optional<std::int32_t> first = FirstCategory(sale);
            return first ? CategoryName(*first) : "";
        }
        case ListColumn::Photos:
            return std::to_string(PhotoCount(sale));
        case ListColumn::Options:
            return CurrToStrTwoDecimals(OptionsCost(sale)) + W(" €");
        case ListColumn::Type:
            if (!sale.typeVente) return "";
            if (*sale.typeVente == SaleType::Auction) return W("Vente aux enchères");
            if (*sale.typeVente == SaleType::FixedPrice) return W("Vente à prix net");
            return std::to_string(static_cast<std::int32_t>(*sale.typeVente));
        case ListColumn::Duree:
            switch (sale.dureeTypeVente.value_or(Duration::None)) {
                case Duration::ThreeDays:
                    return "3 jours";
                case Duration::FiveDays:
                    return "5 jours";
                case Duration::SevenDays:
                    return "7 jours";
                case Duration::None:
                    break;
            }
            if (!sale.dureeTypeVente || *sale.dureeTypeVente == Duration::None) return "";
            return std::to_string(static_cast<std::int32_t>(*sale.dureeTypeVente));
    }
    return "";
}

}  // namespace offrel
