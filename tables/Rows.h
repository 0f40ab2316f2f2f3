#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tables/Sale.h"
#include "tables/Table.h"

// The rows of the three tables as typed values: the one place that names their columns.
namespace offrel {

// The schemas, in column order.
std::vector<ColumnDef> SaleColumns();
std::vector<ColumnDef> OptionColumns();
std::vector<ColumnDef> CategoryColumns();

// The position of the columns that grids and walks over many rows read one cell at a time.
namespace SaleColumn {
constexpr int kLibelle = 1;
constexpr int kPrix = 6;
}  // namespace SaleColumn
// The widths of the sales' text columns, in characters: a longer text is cut when stored.
namespace SaleWidth {
constexpr int kLibelle = 255;
constexpr int kDescription = 4096;
constexpr int kReference = 255;
}  // namespace SaleWidth
namespace CategoryColumn {
constexpr int kId = 0;
constexpr int kParentId = 1;
constexpr int kLibelle = 2;
}  // namespace CategoryColumn

// The sale at position in cdsVente, without moving the current row.
Sale ReadSale(const Table& cdsVente, int position);
// Sets every column of the row being inserted or edited in cdsVente: a value, or empty.
void WriteSale(Table& cdsVente, const Sale& sale);

// A row of cdsOption.
struct OptionRow {
    std::optional<std::int32_t> id;
    std::optional<std::string> libelle;
    std::optional<Money> prix;
    std::optional<Money> prixBoutique;
};
OptionRow ReadOption(const Table& cdsOption, int position);
void WriteOption(Table& cdsOption, const OptionRow& option);

// A row of cdsCategorie.
struct CategoryRow {
    std::optional<std::int32_t> id;
    std::optional<std::int32_t> parentId;
    std::optional<std::string> libelle;
    std::optional<Money> prix;
    std::optional<Money> prixBoutique;
    std::optional<std::int32_t> displayId;
};
CategoryRow ReadCategory(const Table& cdsCategorie, int position);
void WriteCategory(Table& cdsCategorie, const CategoryRow& category);

}  // namespace offrel
