#include "tables/BuiltinPackets.h"

#include "tables/PacketWriter.h"

namespace offrel {

std::vector<std::uint8_t> BuiltinPacket(const std::vector<ColumnDef>& columns) {
    return WritePacket(RowStore(columns));
}

}  // namespace offrel
