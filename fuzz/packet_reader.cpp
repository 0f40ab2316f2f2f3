// Any bytes given to the table packet reader, or to the count of a packet's sales, either read or
// fail with an Error: never a crash, an out-of-bounds read or an allocation beyond what the bytes
// justify. What reads writes back as a packet that reads and writes again to the same bytes.
#include <cstdlib>

#include "base/Error.h"
#include "tables/ApplicationTables.h"
#include "tables/PacketReader.h"
#include "tables/PacketWriter.h"
#include "tables/RowCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        const offrel::RowStore rows = offrel::ReadPacket(data, size);
        for (std::size_t v = 0; v < rows.VersionCount(); ++v)
            for (std::size_t j = 0; j < rows.Columns().size(); ++j)
                offrel::DecodeValue(rows.Columns(), rows.VersionData(v), static_cast<int>(j));
        const std::vector<std::uint8_t> written = offrel::WritePacket(rows);
        const offrel::RowStore reread = offrel::ReadPacket(written.data(), written.size());
        if (offrel::WritePacket(reread) != written) std::abort();
    } catch (const offrel::Error&) {
    }

    try {
        offrel::CountLiveRows(data, size);
    } catch (const offrel::Error&) {
    }

    static offrel::ApplicationTables tables;
    for (offrel::Table* table : {&tables.cdsVente, &tables.cdsOption, &tables.cdsCategorie}) {
        try {
            table->LoadFromPacket(data, size);
            for (int r = 0; r < table->RecordCount(); ++r)
                for (int j = 0; j < static_cast<int>(table->Columns().size()); ++j)
                    table->ValueAt(r, j);
        } catch (const offrel::Error&) {
        }
    }
    return 0;
}
