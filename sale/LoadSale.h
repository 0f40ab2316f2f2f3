#pragma once

#include <string>
#include <vector>

#include "sale/CategoryCascade.h"
#include "sale/EditorState.h"
#include "sale/SaleEntry.h"
#include "tables/ApplicationTables.h"
#include "tables/Sale.h"

namespace offrel {

// What an opening of the editor shows on the five pages, in Windows-1252 text.
struct LoadedSale {
    SaleEntry entry;
    Money cout;                         // LabelCout: the total of the ticked options
    std::vector<std::string> problems;  // to show the seller, in the order they were met
};

// The opening of the editor, the mirror of SaveSale. Empties the eight photo names and sets the
// three category slots to -1, then reads the sale that the mode names:
// - a new sale: the first row of cdsVente (the table moves there) for its description,
//   reference, sale type with quantity, renewal, duration and categories (three-pass restore),
//   never its title, price, options or photos; the initial state when the table is empty;
// - a change: the current row, whole; the ticked options' prices are added up as their click
//   steps do, the photo names are set, the categories restored in one pass.
// Resets the cascade last. An option price that cannot be read is a problem to report: that box
// stays ticked, the total goes on without it, and the opening goes on.
LoadedSale LoadSale(ApplicationTables& tables, CategoryCascade& cascade, EditorState& state);

// What the pages show of a sale that is being changed: every field as the opening fills it.
SaleEntry EntryOfSale(const Sale& sale);

}  // namespace offrel
