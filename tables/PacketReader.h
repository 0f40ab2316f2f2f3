#pragma once

#include <cstddef>
#include <cstdint>

#include "tables/RowStore.h"

namespace offrel {

// The columns, row versions and change log of a table packet. Every length and count is checked
// against the bytes that remain before anything is allocated or read; a packet that fails a
// check throws: "Mismatch in datapacket." for a foreign magic or a version above 3, "Invalid
// parameter." for a change log without 4-byte elements, a French text for the rest.
RowStore ReadPacket(const std::uint8_t* data, std::size_t size);

// The number of live rows of the packet (its table's record count) from its header and change log
// alone, without reading a row: cheap for a large table. Exact for the packets the application
// writes, whose rows carry no status without a log; a packet made elsewhere with deleted rows and
// no log counts them too. A log that removes more versions than the packet holds throws like a
// damaged packet.
std::uint32_t CountLiveRows(const std::uint8_t* data, std::size_t size);

}  // namespace offrel
