#pragma once

#include <optional>
#include <string>
#include <vector>

#include "tables/Table.h"

namespace offrel {

// A line of the sales file that gave no sale, with its number in the file and why.
struct PassedOverLine {
    int line;
    std::string reason;  // French, Windows-1252
};

// What an import did: the sales it added, the lines it passed over, and the conversion error
// that stopped it, if one did (the lines after it were not read).
struct SalesImportReport {
    int imported = 0;
    std::vector<PassedOverLine> passedOver;
    std::optional<PassedOverLine> stop;
    bool Complete() const { return passedOver.empty() && !stop; }
};

// Inserts one row into cdsVente (at its current position) for each accepted line of the
// 18-column sales file (path: file-system name), read with the spreadsheet's quoting; the first
// line is a header, and a line with no text in any column is no sale. A line that lacks a
// required value, or a number that fails to convert, is reported; a conversion error ends the
// import there. A file that does not exist throws a French message.
SalesImportReport ReadVentesFromCSV(Table& cdsVente, const std::string& path);

// The report as the seller reads it: how many sales were imported, then each line that was not
// with its reason, and where the import stopped.
std::string ReportText(const SalesImportReport& report);

}  // namespace offrel
