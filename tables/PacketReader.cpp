#include "tables/PacketReader.h"

#include <algorithm>
#include <string_view>

#include "base/Bytes.h"
#include "base/Error.h"
#include "tables/ColumnEncoding.h"
#include "tables/LargeBuffer.h"
#include "tables/PacketError.h"
#include "tables/PacketFormat.h"
#include "tables/RowCodec.h"

namespace offrel {

namespace {

constexpr std::uint16_t kLargestVersion = 3;
constexpr std::size_t kCopyAhead = 128 * 1024;

// The bytes not yet read; every read checks that they suffice.
class ByteCursor {
public:
    ByteCursor(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    std::size_t Position() const { return at_; }
    std::size_t Left() const { return size_ - at_; }
    const std::uint8_t* Take(std::size_t count) {
        if (count > Left()) ThrowDamagedPacket();
        const std::uint8_t* p = data_ + at_;
        at_ += count;
        return p;
    }
    std::uint8_t U8() { return *Take(1); }
    std::uint16_t U16() { return bytes::Get16(Take(2)); }
    std::uint32_t U32() { return bytes::Get32(Take(4)); }
    std::string_view Name() {
        const std::uint8_t length = U8();
        return {reinterpret_cast<const char*>(Take(length)), length};
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

struct Parameter {
    std::string_view name;
    std::uint16_t length;
    std::uint16_t typeWord;
    std::uint32_t count;        // elements of an array, bytes of a variable value
    const std::uint8_t* value;  // the elements, the bytes, or the fixed value
};

bool IsPrefixSize(std::uint16_t size) {
    return size == 1 || size == 2 || size == 4;
}

Parameter ReadParameter(ByteCursor& in) {
    Parameter p{};
    p.name = in.Name();
    p.length = in.U16();
    p.typeWord = in.U16();
    if (p.typeWord & packet::kTypeArray) {
        p.count = in.U32();
        const std::uint64_t total = static_cast<std::uint64_t>(p.count) * p.length;
        if (total > in.Left()) ThrowDamagedPacket();
        p.value = in.Take(static_cast<std::size_t>(total));
    } else if (p.typeWord & packet::kTypeVariable) {
        if (!IsPrefixSize(p.length)) ThrowDamagedPacket();
        p.count = bytes::GetSized(in.Take(p.length), p.length);
        p.value = in.Take(p.count);
    } else {
        p.count = 1;
        p.value = in.Take(p.length);
    }
    return p;
}

[[noreturn]] void ThrowUnsupportedColumn(std::string_view name) {
    throw Error(FormatMessage("Le type du champ '%s' n'est pas pris en charge", {name}));
}

ColumnDef ReadColumn(ByteCursor& in) {
    ColumnDef column;
    column.name = std::string(in.Name());
    const std::uint16_t fieldLength = in.U16();
    const std::uint16_t typeWord = in.U16();
    in.U16();  // attributes: none of them changes how the values read
    const std::uint16_t parameterCount = in.U16();
    int width = 0;
    for (int i = 0; i < parameterCount; ++i) {
        const Parameter p = ReadParameter(in);
        const bool fixed = (p.typeWord & (packet::kTypeArray | packet::kTypeVariable)) == 0;
        if (p.name == packet::kWidth && fixed && IsPrefixSize(p.length))
            width = static_cast<int>(bytes::GetSized(p.value, p.length));
    }
    switch (typeWord) {
        case kTypeInteger:
            column.type = FieldType::Integer;
            break;
        case kTypeCurrency:
            column.type = FieldType::Currency;
            break;
        case kTypeBoolean:
            column.type = FieldType::Boolean;
            break;
        case kTypeGraphic:
            column.type = FieldType::Graphic;
            break;
        case kTypeString:
            column.type = FieldType::String;
            column.size = width;
            // The values' length prefix follows from the width, and the writer relies on it.
            if (width < 1 || fieldLength != StringLengthPrefix(width)) ThrowDamagedPacket();
            break;
        default:
            ThrowUnsupportedColumn(column.name);
    }
    if (EncodingOf(column).fieldLength != fieldLength) ThrowUnsupportedColumn(column.name);
    return column;
}

std::vector<std::uint32_t> ReadTableParameters(ByteCursor& in) {
    std::vector<std::uint32_t> log;
    const std::uint16_t count = in.U16();
    for (int i = 0; i < count; ++i) {
        const Parameter p = ReadParameter(in);
        if (p.name != packet::kChangeLog) continue;
        if (!(p.typeWord & packet::kTypeArray) || p.length != 4 || p.count == 0)
            throw Error("Invalid parameter.");
        log.resize(p.count);
        for (std::uint32_t k = 0; k < p.count; ++k) log[k] = bytes::Get32(p.value + 4 * k);
    }
    return log;
}

// Puts the rows made elsewhere in the form that the application writes, so that what it holds,
// shows and writes back are the same.
void RewriteRows(const std::vector<ColumnDef>& columns, const std::vector<std::uint32_t>& rows,
                 std::vector<std::uint8_t>& section, std::vector<std::size_t>& versionStarts) {
    std::vector<std::uint8_t> rewritten;
    ReserveLarge(rewritten, section.size());
    std::size_t next = 0;
    for (std::size_t v = 0; v < versionStarts.size(); ++v) {
        const std::size_t start = versionStarts[v];
        const std::size_t end =
            v + 1 < versionStarts.size() ? versionStarts[v + 1] : section.size();
        versionStarts[v] = rewritten.size();
        if (next < rows.size() && rows[next] == v) {
            ReencodeRow(columns, section.data() + start, rewritten);
            ++next;
        } else {
            rewritten.insert(rewritten.end(), section.begin() + start, section.begin() + end);
        }
    }
    section = std::move(rewritten);
}

// The header, the columns and the change log, up to the row section.
struct PacketHead {
    std::vector<ColumnDef> columns;
    std::vector<std::uint32_t> log;
    std::uint32_t rowCount;
};

PacketHead ReadHead(ByteCursor& in) {
    if (in.U32() != packet::kMagic) throw Error("Mismatch in datapacket.");
    const std::uint16_t major = in.U16();
    const std::uint16_t minor = in.U16();
    if (major > kLargestVersion || minor > kLargestVersion) throw Error("Mismatch in datapacket.");
    if (in.U32() != packet::kHeaderSize) ThrowDamagedPacket();
    const std::uint16_t columnCount = in.U16();
    PacketHead head;
    head.rowCount = in.U32();
    const std::uint32_t flags = in.U32();
    const std::uint16_t rowSectionOffset = in.U16();

    // A descriptor takes at least 9 bytes: a name length and four 2-byte words.
    if (columnCount > in.Left() / 9) ThrowDamagedPacket();
    head.columns.reserve(columnCount);
    for (int j = 0; j < columnCount; ++j) head.columns.push_back(ReadColumn(in));
    head.log = ReadTableParameters(in);

    if ((flags & packet::kFlagRowSectionOffset) && rowSectionOffset != in.Position())
        ThrowDamagedPacket();
    return head;
}

}  // namespace

RowStore ReadPacket(const std::uint8_t* data, std::size_t size) {
    ByteCursor in(data, size);
    PacketHead head = ReadHead(in);
    std::vector<ColumnDef>& columns = head.columns;
    const std::uint32_t rowCount = head.rowCount;
    const RowMeasure measure(columns);
    if (rowCount > in.Left() / measure.HeadSize()) ThrowDamagedPacket();

    const std::size_t sectionStart = in.Position();
    const std::uint8_t* sectionData = data + sectionStart;
    const std::size_t sectionSize = size - sectionStart;
    std::vector<std::uint8_t> section;
    ReserveLarge(section, sectionSize);
    std::vector<std::size_t> versionStarts;
    versionStarts.reserve(rowCount);
    std::vector<std::uint32_t> foreignRows;  // versions not in the form the application writes
    for (std::uint32_t r = 0; r < rowCount; ++r) {
        const std::size_t at = in.Position() - sectionStart;
        // The copy runs a little ahead of the measuring, which then finds the bytes in the cache.
        while (section.size() < at + kCopyAhead && section.size() < sectionSize) {
            const std::size_t chunk = std::min(kCopyAhead, sectionSize - section.size());
            section.insert(section.end(), sectionData + section.size(),
                           sectionData + section.size() + chunk);
        }
        versionStarts.push_back(at);
        bool writtenForm = true;
        in.Take(measure(sectionData + at, in.Left(), writtenForm));
        if (!writtenForm) foreignRows.push_back(r);
    }
    // A file holds one packet and nothing after it.
    if (in.Left() != 0) ThrowDamagedPacket();
    section.insert(section.end(), sectionData + section.size(), sectionData + sectionSize);
    if (!foreignRows.empty()) RewriteRows(columns, foreignRows, section, versionStarts);
    return RowStore(std::move(columns), std::move(section), std::move(versionStarts),
                    std::move(head.log));
}

std::uint32_t CountLiveRows(const std::uint8_t* data, std::size_t size) {
    ByteCursor in(data, size);
    const PacketHead head = ReadHead(in);
    // Without a log every row written is live. With one, a version stops being live only through
    // a modification that replaces it or a deletion, each noted once.
    std::uint32_t gone = 0;
    for (std::size_t k = 2; k < head.log.size(); k += 3)
        if (head.log[k] == kStatusModified || head.log[k] == kStatusDeleted) ++gone;
    if (gone > head.rowCount) ThrowDamagedPacket();
    return head.rowCount - gone;
}

}  // namespace offrel
