#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sale/OptionCost.h"
#include "sale/PriceChange.h"
#include "tables/Sale.h"
#include "tables/Table.h"

namespace offrel {

// A text added at the end of every description, on a line of its own, or taken away from the
// end of those that end with it (with the line break before it): a shipping line.
struct DescriptionChange {
    bool append = true;
    std::string text;  // Windows-1252, lines joined by CR LF
};

// What "Modifier en lot" changes in every selected sale; a field left empty is left alone.
struct BulkChange {
    std::optional<PriceChange> price;
    // An auction sells one article; a fixed-price sale the quantity given with it.
    std::optional<SaleType> typeVente;
    std::int32_t quantite = 1;
    std::optional<Duration> dureeTypeVente;
    std::optional<bool> renouvelable;
    std::array<std::optional<bool>, OptionCost::kBoxes> options;  // ticked or unticked
    std::vector<std::int32_t> categories;  // one to three IDs replace all three; none: left alone
    std::optional<DescriptionChange> description;
};

// The sale with the change made.
Sale ChangedSale(const Sale& sale, const BulkChange& change);

// What came of a change in bulk: how many sales it changed, or, when some changed sale would not
// pass the editor's checks or would not fit its fields, nothing changed and the report names each
// such sale and why.
struct BulkOutcome {
    int changed = 0;
    int failed = 0;
    std::string report;  // Windows-1252
};

// Makes the change in every sale at positions of cdsVente (a sale it leaves as it was is not
// written), all or nothing, as one bulk change: the grids are redrawn once at the end.
BulkOutcome ApplyBulkChange(Table& cdsVente, const std::vector<int>& positions,
                            const BulkChange& change);

}  // namespace offrel
