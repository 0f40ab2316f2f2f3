#pragma once

#include <cstdint>

#include "tables/Table.h"

namespace offrel {

// How a column type is stored in a table packet.
struct ColumnEncoding {
    std::uint16_t typeWord;
    int fieldLength;  // the value's size, or the size of its length prefix when variable
    bool variable;
};

inline constexpr std::uint16_t kTypeInteger = 0x0001;
inline constexpr std::uint16_t kTypeCurrency = 0x0004;
inline constexpr std::uint16_t kTypeBoolean = 0x0003;
inline constexpr std::uint16_t kTypeString = 0x0049;
inline constexpr std::uint16_t kTypeGraphic = 0x004B;

// A text of up to 254 characters fits behind a 1-byte length; longer ones take 2 bytes.
inline int StringLengthPrefix(int size) {
    return size <= 254 ? 1 : 2;
}

inline ColumnEncoding EncodingOf(const ColumnDef& column) {
    switch (column.type) {
        case FieldType::Integer:
            return {kTypeInteger, 4, false};
        case FieldType::Currency:
            return {kTypeCurrency, 8, false};
        case FieldType::Boolean:
            return {kTypeBoolean, 2, false};
        case FieldType::String:
            return {kTypeString, StringLengthPrefix(column.size), true};
        case FieldType::Graphic:
            return {kTypeGraphic, 4, true};
    }
    return {0, 0, false};
}

// Two bits per column in front of the values: 0 when a value follows.
inline int EmptyBitsSize(std::size_t columnCount) {
    return static_cast<int>((columnCount + 3) / 4);
}

inline bool IsEmptyColumn(const std::uint8_t* emptyBits, std::size_t column) {
    return ((emptyBits[column / 4] >> (2 * (column % 4))) & 3) != 0;
}

}  // namespace offrel
