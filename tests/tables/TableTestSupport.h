#pragma once

#include <functional>
#include <string>
#include <vector>

#include "base/Error.h"
#include "tables/Table.h"

namespace offrel::testing {

// The four columns of the options table.
inline std::vector<ColumnDef> OptionColumns() {
    return {{"ID", FieldType::Integer, 0},
            {"Libelle", FieldType::String, 100},
            {"Prix", FieldType::Currency, 0},
            {"PrixBoutique", FieldType::Currency, 0}};
}

// Appends and posts a row with an ID and a label.
inline void AppendRow(Table& table, int id, const std::string& label) {
    table.Append();
    table.FieldByName("ID").SetAsInteger(id);
    table.FieldByName("Libelle").SetAsString(label);
    table.Post();
}

// The IDs of the live rows in display order, read without moving the current row.
inline std::vector<int> Ids(const Table& table) {
    std::vector<int> ids;
    for (int r = 0; r < table.RecordCount(); ++r) {
        const Value value = table.ValueAt(r, 0);
        ids.push_back(std::holds_alternative<std::int32_t>(value) ? std::get<std::int32_t>(value)
                                                                  : -1);
    }
    return ids;
}

// The message of the error the action throws, or "(no error)".
inline std::string ErrorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const Error& e) {
        return e.what();
    }
    return "(no error)";
}

}  // namespace offrel::testing
