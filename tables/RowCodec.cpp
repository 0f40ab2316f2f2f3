#include "tables/RowCodec.h"

#include <bit>
#include <cmath>
#include <cstring>

#include "base/Bytes.h"
#include "tables/ColumnEncoding.h"
#include "tables/PacketError.h"

namespace offrel {

namespace {

constexpr std::uint8_t kNoValue = 2;

// The largest double that the writer writes for an amount: the largest amount, which the
// double rounds up a little. Anything beyond it is no amount.
constexpr double kLargestAmount = Money::Largest().ToDouble();

void EncodeText(const std::string& text, int prefix, bool trimBlanks,
                std::vector<std::uint8_t>& out) {
    std::size_t size = text.size();
    if (trimBlanks)
        while (size > 0 && text[size - 1] == ' ') --size;
    if (size == 0 && trimBlanks) {
        // A set but empty text keeps one zero byte so that it stays apart from no value.
        bytes::PutSized(out, 1, prefix);
        out.push_back(0);
        return;
    }
    bytes::PutSized(out, static_cast<std::uint32_t>(size), prefix);
    bytes::PutBytes(out, text.data(), size);
}

// The size of the value of a column at p, trusting bytes already measured.
std::size_t ValueSize(const ColumnDef& column, const std::uint8_t* p) {
    const ColumnEncoding encoding = EncodingOf(column);
    if (!encoding.variable) return static_cast<std::size_t>(encoding.fieldLength);
    return encoding.fieldLength + bytes::GetSized(p, encoding.fieldLength);
}

constexpr std::uint8_t kBlank = ' ';

// Whether the value at p is in the form that EncodeRow writes for what it reads as.
bool InWrittenForm(FieldType type, int fieldLength, const std::uint8_t* p) {
    switch (type) {
        case FieldType::Currency: {
            const std::uint64_t raw = bytes::Get64(p);
            const Money amount = Money::FromDouble(std::bit_cast<double>(raw));
            return std::bit_cast<std::uint64_t>(amount.ToDouble()) == raw;
        }
        case FieldType::Boolean:
            return bytes::Get16(p) <= 1;
        case FieldType::String: {
            // A set empty text is one zero byte; any other text has no zero byte and no blank at
            // its end.
            const std::size_t length = bytes::GetSized(p, fieldLength);
            const std::uint8_t* text = p + fieldLength;
            if (length == 0) return false;
            if (text[0] == 0) return length == 1;
            return text[length - 1] != kBlank && std::memchr(text, 0, length) == nullptr;
        }
        case FieldType::Integer:
        case FieldType::Graphic:
            return true;
    }
    return true;
}

}  // namespace

void EncodeRow(const std::vector<ColumnDef>& columns, const std::vector<Value>& values,
               std::uint8_t status, std::vector<std::uint8_t>& out) {
    out.push_back(status);
    const std::size_t bitsAt = out.size();
    out.resize(out.size() + EmptyBitsSize(columns.size()), 0);
    for (std::size_t j = 0; j < columns.size(); ++j) {
        const Value& value = values[j];
        if (std::holds_alternative<std::monostate>(value)) {
            out[bitsAt + j / 4] |= static_cast<std::uint8_t>(kNoValue << (2 * (j % 4)));
            continue;
        }
        const ColumnDef& column = columns[j];
        switch (column.type) {
            case FieldType::Integer:
                bytes::Put32(out, static_cast<std::uint32_t>(std::get<std::int32_t>(value)));
                break;
            case FieldType::Currency:
                bytes::Put64(out, std::bit_cast<std::uint64_t>(std::get<Money>(value).ToDouble()));
                break;
            case FieldType::Boolean:
                bytes::Put16(out, std::get<bool>(value) ? 1 : 0);
                break;
            case FieldType::String:
                EncodeText(std::get<std::string>(value), EncodingOf(column).fieldLength, true, out);
                break;
            case FieldType::Graphic:
                EncodeText(std::get<std::string>(value), 4, false, out);
                break;
        }
    }
}

Value DecodeValue(const std::vector<ColumnDef>& columns, const std::uint8_t* row, int column) {
    const std::uint8_t* emptyBits = row + 1;
    if (IsEmptyColumn(emptyBits, static_cast<std::size_t>(column))) return std::monostate{};
    const std::uint8_t* p = emptyBits + EmptyBitsSize(columns.size());
    for (int j = 0; j < column; ++j)
        if (!IsEmptyColumn(emptyBits, static_cast<std::size_t>(j))) p += ValueSize(columns[j], p);

    const ColumnDef& def = columns[static_cast<std::size_t>(column)];
    switch (def.type) {
        case FieldType::Integer:
            return static_cast<std::int32_t>(bytes::Get32(p));
        case FieldType::Currency:
            return Money::FromDouble(std::bit_cast<double>(bytes::Get64(p)));
        case FieldType::Boolean:
            return bytes::Get16(p) != 0;
        case FieldType::String: {
            const int prefix = EncodingOf(def).fieldLength;
            const auto* text = reinterpret_cast<const char*>(p + prefix);
            const std::size_t length = bytes::GetSized(p, prefix);
            // A text ends at its first zero byte.
            std::size_t end = 0;
            while (end < length && text[end] != '\0') ++end;
            return std::string(text, end);
        }
        case FieldType::Graphic:
            return std::string(reinterpret_cast<const char*>(p + 4), bytes::Get32(p));
    }
    return std::monostate{};
}

void ReencodeRow(const std::vector<ColumnDef>& columns, const std::uint8_t* row,
                 std::vector<std::uint8_t>& out) {
    std::vector<Value> values;
    values.reserve(columns.size());
    for (std::size_t j = 0; j < columns.size(); ++j)
        values.push_back(DecodeValue(columns, row, static_cast<int>(j)));
    EncodeRow(columns, values, row[0], out);
}

RowMeasure::RowMeasure(const std::vector<ColumnDef>& columns)
    : head_(1 + static_cast<std::size_t>(EmptyBitsSize(columns.size()))) {
    columns_.reserve(columns.size());
    for (const ColumnDef& column : columns) {
        const ColumnEncoding encoding = EncodingOf(column);
        columns_.push_back({column.type, encoding.fieldLength, encoding.variable});
    }
    const std::size_t usedPairs = columns.size() % 4;
    unusedBits_ = usedPairs == 0 ? 0 : static_cast<std::uint8_t>(0xFF << (2 * usedPairs));
}

std::size_t RowMeasure::operator()(const std::uint8_t* data, std::size_t available,
                                   bool& writtenForm) const {
    if (available < head_) ThrowDamagedPacket();
    const std::uint8_t* emptyBits = data + 1;
    // Each column's two bits are 0 (a value) or 2 (none); the bits of no column are 0.
    constexpr std::uint8_t kLowBits = 0x55;
    std::uint8_t stray = 0;
    for (std::size_t k = 0; k + 1 < head_; ++k) stray |= emptyBits[k] & kLowBits;
    if (head_ > 1) stray |= emptyBits[head_ - 2] & unusedBits_;
    writtenForm = stray == 0;
    std::size_t used = head_;
    for (std::size_t j = 0; j < columns_.size(); ++j) {
        if (IsEmptyColumn(emptyBits, j)) continue;
        const Column& column = columns_[j];
        const std::size_t left = available - used;
        const auto fixed = static_cast<std::size_t>(column.fieldLength);
        if (left < fixed) ThrowDamagedPacket();
        std::size_t size = fixed;
        if (column.variable) {
            size += bytes::GetSized(data + used, column.fieldLength);
            if (left < size) ThrowDamagedPacket();
        } else if (column.type == FieldType::Currency) {
            const double amount = std::bit_cast<double>(bytes::Get64(data + used));
            if (!(std::fabs(amount) <= kLargestAmount)) ThrowDamagedPacket();
        }
        if (writtenForm) writtenForm = InWrittenForm(column.type, column.fieldLength, data + used);
        used += size;
    }
    return used;
}

}  // namespace offrel
