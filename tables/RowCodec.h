#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "tables/Table.h"

namespace offrel {

// One row version in its packet form: the status byte, the empty-value bits, then the values
// of the columns that are not empty.

// Appends the row; values holds one entry per column, of the column's own kind.
void EncodeRow(const std::vector<ColumnDef>& columns, const std::vector<Value>& values,
               std::uint8_t status, std::vector<std::uint8_t>& out);

// The value of one column of a row already measured by RowMeasure.
Value DecodeValue(const std::vector<ColumnDef>& columns, const std::uint8_t* row, int column);

// Appends a measured row as the application writes it: its status and its values as they read.
void ReencodeRow(const std::vector<ColumnDef>& columns, const std::uint8_t* row,
                 std::vector<std::uint8_t>& out);

// What measuring a row needs of each column, worked out once per packet.
class RowMeasure {
public:
    explicit RowMeasure(const std::vector<ColumnDef>& columns);

    // The smallest row: its status byte and empty-value bits.
    std::size_t HeadSize() const { return head_; }

    // The size of the row that starts at data, checked against the available bytes; throws when
    // the row is cut short or holds an amount that no money value can take. writtenForm is set
    // to whether the bytes are those that EncodeRow gives for the values they read as: empty
    // values marked 2, texts without trailing blanks or bytes after a zero, amounts at four
    // decimals, booleans 0 or 1.
    std::size_t operator()(const std::uint8_t* data, std::size_t available,
                           bool& writtenForm) const;

private:
    struct Column {
        FieldType type;
        int fieldLength;
        bool variable;
    };
    std::vector<Column> columns_;
    std::size_t head_;
    std::uint8_t unusedBits_;  // the bits of the last empty-value byte that no column uses
};

}  // namespace offrel
