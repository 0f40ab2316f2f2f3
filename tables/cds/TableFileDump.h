#pragma once

#include <ostream>
#include <string>

#include "tables/RowStore.h"

namespace offrel {

// A table packet as text for a developer: its columns with types and sizes, every row version
// with its record number, status and values, and the change log. Texts come out in UTF-8, and
// amounts with the process's decimal separator.
void PrintTable(const RowStore& rows, std::ostream& out);
void PrintTableJson(const RowStore& rows, std::ostream& out);

// Reads a table file and writes it back through the application's writer.
void CopyTableFile(const std::string& from, const std::string& to);

// The row versions, columns and log of a table file.
RowStore ReadTableFile(const std::string& path);

}  // namespace offrel
