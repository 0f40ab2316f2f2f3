#include "tables/cds/TableFileDump.h"

#include <cstdio>

#include "base/Conversions.h"
#include "base/Files.h"
#include "base/Windows1252.h"
#include "tables/PacketReader.h"
#include "tables/PacketWriter.h"
#include "tables/RowCodec.h"

namespace offrel {

namespace {

std::string TypeName(const ColumnDef& column) {
    switch (column.type) {
        case FieldType::Integer:
            return "Integer";
        case FieldType::Currency:
            return "Currency";
        case FieldType::Boolean:
            return "Boolean";
        case FieldType::String:
            return "String(" + std::to_string(column.size) + ")";
        case FieldType::Graphic:
            return "Graphic";
    }
    return {};
}

std::string StatusWords(std::uint8_t status) {
    static const std::pair<std::uint8_t, const char*> kBits[] = {
        {kStatusInserted, "insérée"},
        {kStatusModified, "modifiée"},
        {kStatusReplaced, "remplacée"},
        {kStatusDeleted, "supprimée"},
    };
    std::string words;
    for (const auto& [bit, word] : kBits) {
        if (!(status & bit)) continue;
        if (!words.empty()) words += ", ";
        words += word;
    }
    return words.empty() ? "inchangée" : words;
}

std::string JsonString(std::string_view windows1252) {
    std::string out = "\"";
    for (const char c : Windows1252ToUtf8(windows1252)) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned char>(c));
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

// A value as JSON, which is also how the text form shows it.
std::string ValueText(const Value& value) {
    if (std::holds_alternative<std::monostate>(value)) return "null";
    if (const auto* integer = std::get_if<std::int32_t>(&value)) return std::to_string(*integer);
    if (const auto* money = std::get_if<Money>(&value)) return CurrToStr(*money);
    if (const auto* flag = std::get_if<bool>(&value)) return *flag ? "true" : "false";
    return JsonString(std::get<std::string>(value));
}

template <class PerVersion>
void ForEachVersion(const RowStore& rows, PerVersion perVersion) {
    const auto& columns = rows.Columns();
    std::vector<Value> values(columns.size());
    for (std::size_t v = 0; v < rows.VersionCount(); ++v) {
        for (std::size_t j = 0; j < columns.size(); ++j)
            values[j] = DecodeValue(columns, rows.VersionData(v), static_cast<int>(j));
        perVersion(v + 1, rows.Status(v), values);
    }
}

}  // namespace

void PrintTable(const RowStore& rows, std::ostream& out) {
    const auto& columns = rows.Columns();
    out << "Colonnes : " << columns.size() << "\n";
    for (const ColumnDef& column : columns)
        out << "  " << Windows1252ToUtf8(column.name) << " " << TypeName(column) << "\n";
    out << "Versions : " << rows.VersionCount() << ", dont " << rows.LiveCount()
        << " lignes vivantes\n";
    ForEachVersion(rows,
                   [&](std::size_t record, std::uint8_t status, const std::vector<Value>& values) {
                       out << "  #" << record << " statut " << static_cast<int>(status) << " ("
                           << StatusWords(status) << ")\n";
                       for (std::size_t j = 0; j < columns.size(); ++j) {
                           const bool empty = std::holds_alternative<std::monostate>(values[j]);
                           out << "    " << Windows1252ToUtf8(columns[j].name) << " = "
                               << (empty ? "(vide)" : ValueText(values[j])) << "\n";
                       }
                   });
    const auto& log = rows.Log();
    out << "Journal : " << (log.size() + 2) / 3 << " entrées\n";
    for (std::size_t k = 0; k < log.size(); ++k)
        out << (k % 3 ? ", " : k ? ")\n  (" : "  (") << log[k];
    if (!log.empty()) out << ")\n";
}

void PrintTableJson(const RowStore& rows, std::ostream& out) {
    const auto& columns = rows.Columns();
    out << "{\n  \"columns\": [";
    for (std::size_t j = 0; j < columns.size(); ++j)
        out << (j ? ",\n" : "\n") << "    {\"name\": " << JsonString(columns[j].name)
            << ", \"type\": \"" << TypeName(columns[j]) << "\", \"size\": " << columns[j].size
            << "}";
    out << "\n  ],\n  \"rows\": [";
    ForEachVersion(rows, [&](std::size_t record, std::uint8_t status,
                             const std::vector<Value>& values) {
        out << (record > 1 ? ",\n" : "\n") << "    {\"record\": " << record
            << ", \"status\": " << static_cast<int>(status)
            << ", \"live\": " << (IsLive(status) ? "true" : "false") << ", \"values\": {";
        for (std::size_t j = 0; j < columns.size(); ++j)
            out << (j ? ", " : "") << JsonString(columns[j].name) << ": " << ValueText(values[j]);
        out << "}}";
    });
    out << "\n  ],\n  \"changeLog\": [";
    const auto& log = rows.Log();
    for (std::size_t k = 0; k < log.size(); ++k)
        out << (k % 3 ? ", " : k ? "],\n    [" : "\n    [") << log[k];
    if (!log.empty()) out << "]";
    out << "\n  ]\n}\n";
}

RowStore ReadTableFile(const std::string& path) {
    const std::vector<std::uint8_t> content = ReadWholeFile(path);
    return ReadPacket(content.data(), content.size());
}

void CopyTableFile(const std::string& from, const std::string& to) {
    WriteFileAtomically(to, WritePacket(ReadTableFile(from)));
}

}  // namespace offrel
