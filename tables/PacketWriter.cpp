#include "tables/PacketWriter.h"

#include <string_view>

#include "base/Bytes.h"
#include "tables/ColumnEncoding.h"
#include "tables/LargeBuffer.h"
#include "tables/PacketFormat.h"

namespace offrel {

namespace {

void PutName(std::vector<std::uint8_t>& out, std::string_view name) {
    out.push_back(static_cast<std::uint8_t>(name.size()));
    bytes::PutBytes(out, name.data(), name.size());
}

void PutSubtype(std::vector<std::uint8_t>& out, std::string_view subtype) {
    PutName(out, packet::kSubtype);
    bytes::Put16(out, 2);
    bytes::Put16(out, kTypeString);
    bytes::Put16(out, static_cast<std::uint16_t>(subtype.size() + 1));
    bytes::PutBytes(out, subtype.data(), subtype.size());
    out.push_back(0);
}

void PutColumn(std::vector<std::uint8_t>& out, const ColumnDef& column) {
    const ColumnEncoding encoding = EncodingOf(column);
    PutName(out, column.name);
    bytes::Put16(out, static_cast<std::uint16_t>(encoding.fieldLength));
    bytes::Put16(out, encoding.typeWord);
    bytes::Put16(out, 0);  // attributes
    switch (column.type) {
        case FieldType::String:
            bytes::Put16(out, 1);
            PutName(out, packet::kWidth);
            bytes::Put16(out, 2);
            bytes::Put16(out, packet::kTypeUnsigned);
            bytes::Put16(out, static_cast<std::uint16_t>(column.size));
            break;
        case FieldType::Currency:
            bytes::Put16(out, 1);
            PutSubtype(out, packet::kMoney);
            break;
        case FieldType::Graphic:
            bytes::Put16(out, 1);
            PutSubtype(out, packet::kGraphics);
            break;
        case FieldType::Integer:
        case FieldType::Boolean:
            bytes::Put16(out, 0);
            break;
    }
}

void PutChangeLog(std::vector<std::uint8_t>& out, const std::vector<std::uint32_t>& log) {
    if (log.empty()) {
        bytes::Put16(out, 0);
        return;
    }
    bytes::Put16(out, 1);
    PutName(out, packet::kChangeLog);
    bytes::Put16(out, 4);
    bytes::Put16(out, packet::kTypeLogArray);
    bytes::Put32(out, static_cast<std::uint32_t>(log.size()));
    const std::size_t at = out.size();
    out.resize(at + 4 * log.size());
    std::uint8_t* p = out.data() + at;
    for (std::uint32_t entry : log) {
        p[0] = static_cast<std::uint8_t>(entry);
        p[1] = static_cast<std::uint8_t>(entry >> 8);
        p[2] = static_cast<std::uint8_t>(entry >> 16);
        p[3] = static_cast<std::uint8_t>(entry >> 24);
        p += 4;
    }
}

}  // namespace

std::vector<std::uint8_t> WritePacket(const RowStore& rows) {
    const bool allVersions = !rows.Log().empty();
    std::size_t rowCount = rows.VersionCount();
    std::size_t rowBytes = rows.Section().size();
    if (!allVersions) {
        rowCount = rowBytes = 0;
        for (std::size_t v = 0; v < rows.VersionCount(); ++v) {
            if (!IsLive(rows.Status(v))) continue;
            ++rowCount;
            rowBytes += rows.VersionSize(v);
        }
    }

    std::vector<std::uint8_t> out;
    out.reserve(packet::kHeaderSize);
    bytes::Put32(out, packet::kMagic);
    bytes::Put16(out, 1);
    bytes::Put16(out, 0);
    bytes::Put32(out, packet::kHeaderSize);
    bytes::Put16(out, static_cast<std::uint16_t>(rows.Columns().size()));
    bytes::Put32(out, static_cast<std::uint32_t>(rowCount));
    bytes::Put32(out, 0);  // flags and offset, set below
    bytes::Put16(out, 0);
    for (const ColumnDef& column : rows.Columns()) PutColumn(out, column);
    PutChangeLog(out, rows.Log());

    const std::size_t rowSection = out.size();
    std::uint32_t flags = packet::kFlagAlways;
    if (rowSection <= packet::kLargestRowSectionOffset) {
        flags |= packet::kFlagRowSectionOffset;
        out[22] = static_cast<std::uint8_t>(rowSection);
        out[23] = static_cast<std::uint8_t>(rowSection >> 8);
    }
    out[18] = static_cast<std::uint8_t>(flags);

    ReserveLarge(out, rowSection + rowBytes);
    if (allVersions) {
        out.insert(out.end(), rows.Section().begin(), rows.Section().end());
        return out;
    }
    for (std::size_t v = 0; v < rows.VersionCount(); ++v) {
        if (!IsLive(rows.Status(v))) continue;
        out.push_back(0);  // with no log, no row carries a status
        const std::uint8_t* row = rows.VersionData(v);
        out.insert(out.end(), row + 1, row + rows.VersionSize(v));
    }
    return out;
}

}  // namespace offrel
