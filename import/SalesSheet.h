#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "import/SalesSheetColumns.h"
#include "tables/Sale.h"
#include "tables/Table.h"

namespace offrel {

// The text of a sales sheet, a .csv file that spreadsheets open and the sales import reads back:
// UTF-8 with a byte-order mark (so that spreadsheets read accents right), fields separated by
// ";", each line ended by CR LF, a header line of the columns' French names, then one sale per
// line in the columns of SalesSheetColumns.h. A field holding ";", a double quote or a line
// break is quoted, its double quotes doubled. Prices are written with a decimal comma and at
// least two decimals, marks as "Y" or nothing, the duration in days. A sale that the import would
// pass over (no photo, a price of zero, no duration) is written all the same.
class SalesSheet {
public:
    SalesSheet();  // the byte-order mark and the header line

    void Add(const Sale& sale);
    std::string_view Text() const;

    // Writes the sheet to path (file-system name), atomically; throws the file's French message.
    void Save(const std::string& path) const;

private:
    // Writes the cells as one line in UTF-8, each quoted when it must be.
    void WriteLine();
    void AppendUtf8(std::string_view windows1252);
    void Append(std::string_view bytes);

    std::vector<std::uint8_t> text_;  // a large sheet's bytes are backed by huge pages
    // The cells of the line being written, Windows-1252: the sale's own texts, or numbers and
    // amounts written in formatted_.
    std::array<std::string_view, SalesSheetColumn::kCount> cells_;
    std::array<std::string, SalesSheetColumn::kCount> formatted_;
};

// Writes the sales of cdsVente at these positions (every sale when there is none) as a sales
// sheet to path.
void ExportSales(const Table& cdsVente, const std::vector<int>& positions, const std::string& path);

}  // namespace offrel
