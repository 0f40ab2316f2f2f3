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

// What measuring a row needs of each column, worked out once per packet.
class RowMeasure {
public:
    explicit RowMeasure(const std::vector<ColumnDef>& columns);

    // The smallest row: its status byte and empty-value bits.
    std::size_t HeadSize() const { return head_; }

    // The size of the row that starts at data, checked against the available bytes; throws when
    // the row is cut short or holds an amount that no money value can take.
    std::size_t operator()(const std::uint8_t* data, std::size_t available) const;

private:
    struct Column {
        int fieldLength;
        bool variable;
        bool money;
    };
    std::vector<Column> columns_;
    std::size_t head_;
};

}  // namespace offrel
