#pragma once

#include <optional>
#include <string>
#include <vector>

#include "tables/Table.h"

namespace offrel {

// A line of the sales file with its number in the file, and what the report says of it.
// The report's texts are UTF-8: they quote the cells as the file holds them, characters that
// the tables cannot hold included.
struct PassedOverLine {
    int line;
    std::string reason;  // French, UTF-8
};

// What an import did: the sales it added, the lines it passed over, what it changed or left out
// of the sales it added (one note per change), and the conversion error that stopped it, if one
// did (the lines after it were not read).
struct SalesImportReport {
    int imported = 0;
    std::vector<PassedOverLine> passedOver;
    std::vector<PassedOverLine> notes;
    std::optional<PassedOverLine> stop;
    bool Complete() const { return passedOver.empty() && notes.empty() && !stop; }
};

// Inserts one row into cdsVente (at its current position) for each accepted line of the
// 18-column sales file (path: file-system name), read with the spreadsheet's quoting; the first
// line is a header, and a line with no text in any column is no sale. A line that lacks a
// required value or whose price reads as no amount is reported and passed over; a category or
// duration that fails to convert ends the import there. What a sale does not keep as the file
// wrote it (a cut text, a character the site cannot receive, a photo left out, a replaced code,
// a mark that is not "Y") is noted. A relative photo path is taken from the file's folder and
// stored whole. A file that does not exist throws a French message.
SalesImportReport ReadVentesFromCSV(Table& cdsVente, const std::string& path);

// The report as the seller reads it, in UTF-8: how many sales were imported, each line that was
// not with its reason, the notes on the imported sales, and where the import stopped.
std::string ReportText(const SalesImportReport& report);

}  // namespace offrel
