#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <functional>
#include <optional>
#include <sstream>

#include "base/Error.h"
#include "base/Windows1252.h"
#include "tables/ApplicationTables.h"
#include "tables/BuiltinPackets.h"
#include "tables/PacketReader.h"
#include "tables/PacketWriter.h"
#include "tables/Rows.h"
#include "tests/tables/TableTestSupport.h"

namespace offrel {
namespace {

using testing::AppendRow;
using ::testing::ElementsAre;
using testing::ErrorOf;
using testing::Ids;
using testing::OptionColumns;
using Bytes = std::vector<std::uint8_t>;

Bytes FromHex(const std::string& hex) {
    Bytes out;
    std::istringstream in(hex);
    std::string byte;
    while (in >> byte) out.push_back(static_cast<std::uint8_t>(std::stoul(byte, nullptr, 16)));
    return out;
}

// An options table holding one inserted row: ID 1, Libelle abc, Prix 0.5, PrixBoutique empty.
const Bytes kOneOption = FromHex(
    "96 19 E0 BD 01 00 00 00 18 00 00 00 04 00 01 00 00 00 03 00 00 00 AA 00 "
    "02 49 44 04 00 01 00 00 00 00 00 "
    "07 4C 69 62 65 6C 6C 65 01 00 49 00 00 00 01 00 05 57 49 44 54 48 02 00 02 00 64 00 "
    "04 50 72 69 78 08 00 04 00 00 00 01 00 07 53 55 42 54 59 50 45 02 00 49 00 06 00 4D 6F 6E "
    "65 79 00 "
    "0C 50 72 69 78 42 6F 75 74 69 71 75 65 08 00 04 00 00 00 01 00 07 53 55 42 54 59 50 45 02 00 "
    "49 00 06 00 4D 6F 6E 65 79 00 "
    "01 00 0A 43 48 41 4E 47 45 5F 4C 4F 47 04 00 82 00 03 00 00 00 01 00 00 00 00 00 00 00 04 00 "
    "00 00 "
    "04 80 01 00 00 00 03 61 62 63 00 00 00 00 00 00 E0 3F");

std::unique_ptr<Table> OpenTable(const std::vector<ColumnDef>& columns = OptionColumns()) {
    auto table = std::make_unique<Table>("cdsOption", columns, BuiltinPacket(columns));
    table->Open();
    return table;
}

TEST(Packet, WritesTheOneOptionExampleByteForByteAndReadsItBack) {
    auto owner = OpenTable();
    Table& table = *owner;
    table.Append();
    table.FieldByName("ID").SetAsInteger(1);
    table.FieldByName("Libelle").SetAsString("abc");
    table.FieldByName("Prix").SetAsCurrency(Money::FromTicks(5000));
    table.Post();
    ASSERT_EQ(kOneOption.size(), 188u);
    EXPECT_EQ(table.SaveToPacket(), kOneOption);

    auto readOwner = OpenTable();
    Table& read = *readOwner;
    read.LoadFromPacket(kOneOption.data(), kOneOption.size());
    ASSERT_EQ(read.RecordCount(), 1);
    EXPECT_EQ(read.FieldByName("Libelle").AsString(), "abc");
    EXPECT_EQ(read.FieldByName("Prix").AsCurrency(), Money::FromTicks(5000));
    EXPECT_TRUE(read.FieldByName("PrixBoutique").IsNull());
    EXPECT_EQ(read.ChangeCount(), 0);
    EXPECT_EQ(read.SaveToPacket(), kOneOption);
}

TEST(Packet, AnEmptyTableHasItsRowSectionAtItsEnd) {
    const Bytes packet = OpenTable()->SaveToPacket();
    ASSERT_EQ(packet.size(), 139u);
    EXPECT_EQ(packet[18], 3);                      // flags
    EXPECT_EQ(packet[22] | packet[23] << 8, 139);  // row section offset
    EXPECT_EQ(packet[137] | packet[138] << 8, 0);  // no table parameter
    EXPECT_EQ(packet[14] | packet[15] << 8, 0);    // no row
}

TEST(Packet, KeepsEveryVersionAndTheLogOfAChangedRow) {
    auto owner = OpenTable();
    Table& table = *owner;
    AppendRow(table, 1, "a");
    for (const char* label : {"b", "c"}) {
        table.Edit();
        table.FieldByName("Libelle").SetAsString(label);
        table.Post();
    }
    table.Delete();
    const Bytes packet = table.SaveToPacket();
    const RowStore rows = ReadPacket(packet.data(), packet.size());
    ASSERT_EQ(rows.VersionCount(), 3u);
    EXPECT_EQ(rows.Status(0), 5);
    EXPECT_EQ(rows.Status(1), 13);
    EXPECT_EQ(rows.Status(2), 14);
    EXPECT_THAT(rows.Log(), ElementsAre(1, 0, 4, 2, 1, 8, 3, 2, 8, 3, 0, 2));
    EXPECT_EQ(rows.LiveCount(), 0);

    // New versions are numbered after the last row read.
    auto loadedOwner = OpenTable();
    Table& loaded = *loadedOwner;
    loaded.LoadFromPacket(kOneOption.data(), kOneOption.size());
    loaded.Edit();
    loaded.FieldByName("ID").SetAsInteger(7);
    loaded.Post();
    AppendRow(loaded, 2, "new");
    const Bytes written = loaded.SaveToPacket();
    const RowStore reread = ReadPacket(written.data(), written.size());
    EXPECT_THAT(reread.Log(), ElementsAre(1, 0, 4, 2, 1, 8, 3, 0, 4));
    EXPECT_EQ(reread.Status(0), 5);
    EXPECT_EQ(reread.Status(1), 12);  // a modified version takes the inserted bit over
    EXPECT_EQ(reread.Status(2), 4);
}

TEST(Packet, AnInsertedRowStandsAfterEveryEarlierRowOnceReadBack) {
    auto owner = OpenTable();
    Table& table = *owner;
    AppendRow(table, 1, "a");
    AppendRow(table, 2, "b");
    table.First();
    table.Insert();
    table.FieldByName("ID").SetAsInteger(3);
    table.Post();
    EXPECT_THAT(Ids(table), ElementsAre(3, 1, 2));
    const Bytes packet = table.SaveToPacket();
    auto readOwner = OpenTable();
    Table& read = *readOwner;
    read.LoadFromPacket(packet.data(), packet.size());
    EXPECT_THAT(Ids(read), ElementsAre(1, 2, 3));
    EXPECT_EQ(read.SaveToPacket(), packet);
}

TEST(Packet, WithAnEmptyLogOnlyTheLiveRowsAreWrittenWithStatusZero) {
    // Rows 1 (deleted) and 2 (live, inserted), with no log.
    Bytes packet = FromHex(
        "96 19 E0 BD 01 00 00 00 18 00 00 00 01 00 02 00 00 00 03 00 00 00 25 00 "
        "02 49 44 04 00 01 00 00 00 00 00 00 00 "
        "06 00 07 00 00 00 04 00 08 00 00 00");
    auto owner = OpenTable({{"ID", FieldType::Integer, 0}});
    Table& table = *owner;
    table.LoadFromPacket(packet.data(), packet.size());
    EXPECT_THAT(Ids(table), ElementsAre(8));
    EXPECT_EQ(table.SaveToPacket(),
              FromHex("96 19 E0 BD 01 00 00 00 18 00 00 00 01 00 01 00 00 00 03 00 00 00 25 00 "
                      "02 49 44 04 00 01 00 00 00 00 00 00 00 "
                      "00 00 08 00 00 00"));

    table.EmptyDataSet();  // numbering starts again
    table.Append();
    table.FieldByName("ID").SetAsInteger(9);
    table.Post();
    const Bytes written = table.SaveToPacket();
    const RowStore rows = ReadPacket(written.data(), written.size());
    EXPECT_THAT(rows.Log(), ElementsAre(1, 0, 4));
    EXPECT_EQ(rows.VersionCount(), 1u);
}

TEST(Packet, TextLengthPrefixesAndSetEmptyTexts) {
    auto owner = OpenTable({{"Short", FieldType::String, 254}, {"Long", FieldType::String, 255}});
    Table& table = *owner;
    table.Append();
    table.FieldByName("Short").SetAsString("");
    table.FieldByName("Long").SetAsString("  ");
    table.Post();
    table.Append();
    table.FieldByName("Short").SetAsString(std::string(254, 'x'));
    table.FieldByName("Long").SetAsString(std::string(300, 'y'));
    table.Post();
    const Bytes packet = table.SaveToPacket();
    const std::size_t rowSection = packet[22] | packet[23] << 8;
    // Status, empty-value byte, then 01 00 and 01 00 00.
    EXPECT_EQ(Bytes(packet.begin() + rowSection, packet.begin() + rowSection + 7),
              FromHex("04 00 01 00 01 00 00"));
    EXPECT_EQ(packet[rowSection + 9], 254);  // 1-byte prefix
    EXPECT_EQ(packet[rowSection + 9 + 255] | packet[rowSection + 9 + 256] << 8, 255);  // 2 bytes

    auto readOwner = OpenTable(table.Columns());
    Table& read = *readOwner;
    read.LoadFromPacket(packet.data(), packet.size());
    EXPECT_EQ(read.FieldByName("Short").AsString(), "");
    EXPECT_FALSE(read.FieldByName("Short").IsNull());
    EXPECT_EQ(read.FieldByName("Long").AsString(), "");
    read.Next();
    EXPECT_EQ(read.FieldByName("Long").AsString(), std::string(255, 'y'));
    EXPECT_EQ(read.SaveToPacket(), packet);
}

// The one-option packet as another program may write it: the row reads as the values the
// application holds, and goes back in the application's own bytes.
TEST(Packet, APacketMadeElsewhereIsWrittenBackInTheApplicationsOwnForm) {
    struct Foreign {
        const char* what;
        std::function<void(Bytes&)> apply;
        std::optional<int> id;
        std::string libelle;
        std::int64_t prix;
    };
    const std::vector<Foreign> cases = {
        {"empty-value bits 1 and 3",
         [](Bytes& p) {
             p[171] = 0xC1;  // ID marked 1, PrixBoutique 3: neither has a value
             p.erase(p.begin() + 172, p.begin() + 176);
         },
         std::nullopt, "abc", 5000},
        {"bytes after a zero", [](Bytes& p) { p[178] = 0; }, 1, "a", 5000},
        {"trailing blanks", [](Bytes& p) { p[178] = p[179] = ' '; }, 1, "a", 5000},
        {"blanks only", [](Bytes& p) { p[177] = p[178] = p[179] = ' '; }, 1, "", 5000},
        {"a set text of no length",
         [](Bytes& p) {
             p[176] = 0;
             p.erase(p.begin() + 177, p.begin() + 180);
         },
         1, "", 5000},
        {"an amount beyond four decimals", [](Bytes& p) { p[180] = 1; }, 1, "abc", 5000},
        {"a negative zero", [](Bytes& p) { p[187] = 0x80, p[186] = 0; }, 1, "abc", 0},
    };
    for (const Foreign& c : cases) {
        Bytes packet = kOneOption;
        c.apply(packet);
        auto read = OpenTable();
        read->LoadFromPacket(packet.data(), packet.size());
        EXPECT_EQ(read->FieldByName("Libelle").AsString(), c.libelle) << c.what;
        EXPECT_EQ(read->FieldByName("ID").IsNull(), !c.id) << c.what;

        auto made = OpenTable();
        made->Append();
        if (c.id) made->FieldByName("ID").SetAsInteger(*c.id);
        made->FieldByName("Libelle").SetAsString(c.libelle);
        made->FieldByName("Prix").SetAsCurrency(Money::FromTicks(c.prix));
        made->Post();
        EXPECT_EQ(read->SaveToPacket(), made->SaveToPacket()) << c.what;
    }
}

TEST(Packet, EveryAmountThatIsWrittenReadsBack) {
    const std::vector<Money> amounts = {
        Money::FromTicks(9'100'000'000'000'000'000),  // 910 000 000 000 000
        Money::Largest(), -Money::Largest(), Money::FromTicks(1), Money::FromTicks(-1)};
    auto owner = OpenTable();
    for (const Money amount : amounts) {
        owner->Append();
        owner->FieldByName("Prix").SetAsCurrency(amount);
        owner->Post();
    }
    const Bytes packet = owner->SaveToPacket();
    auto read = OpenTable();
    read->LoadFromPacket(packet.data(), packet.size());
    ASSERT_EQ(read->RecordCount(), 5);
    for (std::size_t r = 0; r < amounts.size(); ++r)
        EXPECT_EQ(std::get<Money>(read->ValueAt(static_cast<int>(r), 2)), amounts[r]) << r;
    EXPECT_EQ(read->SaveToPacket(), packet);
}

TEST(Packet, ARowSectionBeyond65535HasNoOffsetInTheHeader) {
    auto owner = OpenTable();
    Table& table = *owner;
    for (int id = 1; id <= 6000; ++id) AppendRow(table, id, "x");  // a log of 72000 bytes
    const Bytes packet = table.SaveToPacket();
    EXPECT_EQ(packet[18], 1);
    EXPECT_EQ(packet[22] | packet[23] << 8, 0);
    auto readOwner = OpenTable();
    readOwner->LoadFromPacket(packet.data(), packet.size());
    EXPECT_EQ(readOwner->RecordCount(), 6000);
    EXPECT_EQ(readOwner->SaveToPacket(), packet);
}

struct Damage {
    const char* what;
    std::function<void(Bytes&)> apply;
    std::string message;
};

TEST(Packet, ADamagedPacketFailsWithAClearMessage) {
    const std::string cut = W("Le paquet de données est tronqué ou incohérent.");
    const auto put32 = [](Bytes& p, std::size_t at, std::uint32_t v) {
        for (int k = 0; k < 4; ++k) p[at + k] = static_cast<std::uint8_t>(v >> (8 * k));
    };
    const std::vector<Damage> damages = {
        {"foreign magic", [](Bytes& p) { p[0] = 0x97; }, "Mismatch in datapacket."},
        {"major version 4", [](Bytes& p) { p[4] = 4; }, "Mismatch in datapacket."},
        {"minor version 4", [](Bytes& p) { p[6] = 4; }, "Mismatch in datapacket."},
        {"log without element",
         [&](Bytes& p) {
             put32(p, 154, 0);
             p.erase(p.begin() + 158, p.begin() + 170);
             p[22] = 158;
         },
         "Invalid parameter."},
        {"log of 2-byte elements", [](Bytes& p) { p[150] = 2; }, "Invalid parameter."},
        {"huge row count", [&](Bytes& p) { put32(p, 14, 0xFFFFFFFF); }, cut},
        {"huge column count",
         [](Bytes& p) {
             p[12] = 0xFF;
             p[13] = 0xFF;
         },
         cut},
        {"huge log count", [&](Bytes& p) { put32(p, 154, 0x40000000); }, cut},
        {"text longer than the packet", [](Bytes& p) { p[176] = 0xFF; }, cut},
        {"wrong row section offset", [](Bytes& p) { p[22] = 0xAB; }, cut},
        {"bytes after the last row", [](Bytes& p) { p.push_back(0); }, cut},
        {"header size", [](Bytes& p) { p[8] = 0x19; }, cut},
        {"not a number as money", [&](Bytes& p) { put32(p, 184, 0x7FF80000); }, cut},
        {"width with the wrong prefix", [](Bytes& p) { p[61] = 0xFF; }, cut},
        {"unknown column type", [](Bytes& p) { p[29] = 0x05; },
         "Le type du champ 'ID' n'est pas pris en charge"},
    };
    for (const Damage& damage : damages) {
        Bytes packet = kOneOption;
        damage.apply(packet);
        auto table = OpenTable();
        EXPECT_EQ(ErrorOf([&] { table->LoadFromPacket(packet.data(), packet.size()); }),
                  damage.message)
            << damage.what;
        EXPECT_EQ(table->RecordCount(), 0) << damage.what;  // the table is left as it was
    }
    for (std::size_t length = 0; length < kOneOption.size(); ++length) {
        auto table = OpenTable();
        EXPECT_EQ(ErrorOf([&] { table->LoadFromPacket(kOneOption.data(), length); }), cut)
            << length;
    }
}

TEST(Packet, TheLiveRowsAreCountedFromTheHeaderAndTheLogAlone) {
    const Bytes builtin = BuiltinPacket(SaleColumns());  // 980 versions, none live
    EXPECT_EQ(CountLiveRows(builtin.data(), builtin.size()), 0u);
    EXPECT_EQ(CountLiveRows(kOneOption.data(), kOneOption.size()), 1u);

    auto owner = OpenTable();
    Table& table = *owner;
    for (int id = 1; id <= 5; ++id) AppendRow(table, id, "x");
    for (int position : {1, 3, 1}) {
        table.MoveTo(position);
        table.Edit();
        table.FieldByName("Libelle").SetAsString("changed");
        table.Post();
    }
    table.MoveTo(2);
    table.Delete();
    const Bytes packet = table.SaveToPacket();
    EXPECT_EQ(CountLiveRows(packet.data(), packet.size()), 4u);

    // A log that removes more versions than the packet holds, a packet cut short.
    Bytes damaged = kOneOption;
    damaged[14] = 0;   // no row
    damaged[166] = 2;  // a deletion
    EXPECT_EQ(ErrorOf([&] { CountLiveRows(damaged.data(), damaged.size()); }),
              W("Le paquet de données est tronqué ou incohérent."));
    EXPECT_EQ(ErrorOf([&] { CountLiveRows(kOneOption.data(), 100); }),
              W("Le paquet de données est tronqué ou incohérent."));
}

TEST(Packet, TheBuiltInPacketsReadAndWriteBackTheirBytes) {
    ApplicationTables tables;
    for (Table* table : {&tables.cdsVente, &tables.cdsOption, &tables.cdsCategorie}) {
        const Bytes builtin = BuiltinPacket(table->Columns());
        table->Open();
        EXPECT_EQ(table->RecordCount(), 0) << table->Name();
        EXPECT_EQ(table->SaveToPacket(), builtin) << table->Name();
    }
}

TEST(Packet, AFileWithOtherColumnsIsRefused) {
    auto table = OpenTable({{"ID", FieldType::Integer, 0}});
    EXPECT_EQ(ErrorOf([&] { table->LoadFromPacket(kOneOption.data(), kOneOption.size()); }),
              "Les colonnes du fichier ne sont pas celles de la table cdsOption");
}

}  // namespace
}  // namespace offrel
