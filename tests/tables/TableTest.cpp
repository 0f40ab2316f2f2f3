#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>

#include "base/Conversions.h"
#include "base/Error.h"
#include "base/Windows1252.h"
#include "tables/ApplicationTables.h"
#include "tables/RowOrder.h"
#include "tables/Rows.h"
#include "tests/common/DecimalSeparator.h"
#include "tests/tables/TableTestSupport.h"

namespace offrel {
namespace {

using testing::AppendRow;
using ::testing::ElementsAre;
using testing::ErrorOf;
using testing::Ids;
using ::testing::InSequence;
using testing::OptionColumns;
using ::testing::StrictMock;

class TableTest : public ::testing::Test {
protected:
    void SetUp() override { table.Open(); }
    Table table{"cdsOption", OptionColumns(), {}};
};

TEST_F(TableTest, WalksRowsWithEndAndBeginningTests) {
    EXPECT_EQ(table.RecNo(), -1);
    EXPECT_FALSE(table.FindFirst());
    EXPECT_TRUE(table.Eof());
    for (int id = 1; id <= 3; ++id) AppendRow(table, id, "r" + std::to_string(id));
    EXPECT_EQ(table.RecordCount(), 3);
    EXPECT_EQ(table.RecNo(), 2);

    table.First();
    EXPECT_TRUE(table.Bof());
    EXPECT_FALSE(table.Eof());
    std::vector<int> walked;
    while (!table.Eof()) {
        walked.push_back(table.FieldByName("ID").AsInteger());
        table.Next();
    }
    EXPECT_THAT(walked, ElementsAre(1, 2, 3));
    EXPECT_EQ(table.RecNo(), 2);  // Next past the last row stays on it

    table.Last();
    EXPECT_TRUE(table.Eof());
    table.Prior();
    EXPECT_EQ(table.FieldByName("ID").AsInteger(), 2);
    EXPECT_FALSE(table.Eof());
    table.Prior();
    table.Prior();
    EXPECT_TRUE(table.Bof());
    EXPECT_EQ(table.RecNo(), 0);

    table.MoveTo(2);
    EXPECT_EQ(table.FieldByName("Libelle").AsString(), "r3");
    EXPECT_THROW(table.MoveTo(3), Error);

    ASSERT_TRUE(table.FindFirst());
    std::vector<int> found{table.FieldByName("ID").AsInteger()};
    while (table.FindNext()) found.push_back(table.FieldByName("ID").AsInteger());
    EXPECT_THAT(found, ElementsAre(1, 2, 3));
}

TEST_F(TableTest, InsertsBeforeTheCurrentRow) {
    table.Insert();  // into an empty table: the first row
    table.FieldByName("ID").SetAsInteger(1);
    table.Post();
    AppendRow(table, 2, "b");
    table.First();
    table.Next();
    // The sales import inserts every row at the same place.
    for (int id = 10; id <= 12; ++id) {
        table.Insert();
        table.FieldByName("ID").SetAsInteger(id);
        table.Post();
        EXPECT_EQ(table.RecNo(), 1);
    }
    EXPECT_THAT(Ids(table), ElementsAre(1, 12, 11, 10, 2));
}

TEST_F(TableTest, DeleteMakesTheNextOrNewLastRowCurrent) {
    EXPECT_EQ(ErrorOf([&] { table.Delete(); }), W("Opération impossible sur une table vide"));
    for (int id = 1; id <= 4; ++id) AppendRow(table, id, "");
    table.MoveTo(1);
    table.Delete();
    EXPECT_EQ(table.FieldByName("ID").AsInteger(), 3);
    table.Last();
    table.Delete();
    EXPECT_EQ(table.FieldByName("ID").AsInteger(), 3);
    EXPECT_THAT(Ids(table), ElementsAre(1, 3));
    table.Delete();
    table.Delete();
    EXPECT_EQ(table.RecNo(), -1);
    EXPECT_TRUE(table.Eof());

    // Deleting a row being inserted only drops it.
    table.Append();
    table.FieldByName("ID").SetAsInteger(9);
    table.Delete();
    EXPECT_EQ(table.RecordCount(), 0);
    EXPECT_EQ(table.State(), TableState::Browse);
}

TEST_F(TableTest, ValuesReadAsTheirKindAndEmptyValuesAsZeroFalseOrNothing) {
    Table sales("cdsVente", ApplicationTables().cdsVente.Columns(), {});
    sales.Open();
    sales.Append();
    sales.FieldByName("Libelle").SetAsString(std::string(300, 'a'));
    sales.FieldByName("Reference").SetAsString("ref  ");
    sales.FieldByName("Description").SetAsString("   ");
    sales.FieldByName("Prix").SetAsCurrency(Money::FromTicks(12345));
    sales.FieldByName("Renouvelable").SetAsBoolean(true);
    sales.FieldByName("Categorie1").SetAsInteger(-42);
    sales.FieldByName("Photo1").SetAsString("C:\\photo.jpg  ");
    sales.FieldByName("Quantite").SetAsInteger(5);
    EXPECT_EQ(sales.FieldByName("Reference").AsString(), "ref  ");  // kept until stored
    sales.FieldByName("Quantite").Clear();
    sales.Post();

    EXPECT_EQ(sales.FieldByName("Libelle").AsString(), std::string(255, 'a'));
    EXPECT_EQ(sales.FieldByName("Reference").AsString(), "ref");
    EXPECT_EQ(sales.FieldByName("Description").AsString(), "");
    EXPECT_FALSE(sales.FieldByName("Description").IsNull());  // set, though empty
    EXPECT_EQ(sales.FieldByName("Prix").AsCurrency(), Money::FromTicks(12345));
    EXPECT_TRUE(sales.FieldByName("Renouvelable").AsBoolean());
    EXPECT_EQ(sales.FieldByName("Categorie1").AsString(), "-42");
    EXPECT_EQ(sales.FieldByName("Photo1").AsString(), "C:\\photo.jpg  ");  // a blob as it is

    EXPECT_TRUE(sales.FieldByName("Quantite").IsNull());
    EXPECT_EQ(sales.FieldByName("Categorie2").AsInteger(), 0);
    EXPECT_EQ(sales.FieldByName("PrixBoutique").AsCurrency(), Money());
    EXPECT_FALSE(sales.FieldByName("Option1").AsBoolean());
    EXPECT_EQ(sales.FieldByName("Photo2").AsString(), "");
    EXPECT_EQ(sales.FieldByName("ID").DataType(), FieldType::Integer);
}

TEST_F(TableTest, MisuseFailsWithAFrenchMessage) {
    AppendRow(table, 1, "a");
    EXPECT_EQ(ErrorOf([&] { table.FieldByName("ID").SetAsInteger(2); }),
              W("La table cdsOption n'est pas en mode édition ou insertion"));
    EXPECT_EQ(ErrorOf([&] { table.FieldByName("Nom"); }), W("Champ 'Nom' non trouvé"));
    EXPECT_EQ(ErrorOf([&] { table.FieldByIndex(4); }), W("Champ '4' non trouvé"));
    table.Edit();
    EXPECT_EQ(ErrorOf([&] { table.FieldByName("Prix").SetAsBoolean(true); }),
              "Type incompatible pour le champ 'Prix'");
    EXPECT_EQ(ErrorOf([&] { table.FieldByName("ID").SetAsString("12a"); }),
              W("'12a' n'est pas une valeur entière correcte"));
    // Numbers as text go through the conversions of the whole application.
    const testing::DecimalSeparatorSet point('.');
    table.FieldByName("ID").SetAsString(" 42");
    table.FieldByName("Prix").SetAsString("2.5");
    EXPECT_EQ(table.FieldByName("ID").AsInteger(), 42);
    EXPECT_EQ(table.FieldByName("Prix").AsString(), "2.5");
    table.Cancel();
    table.Close();
    EXPECT_EQ(ErrorOf([&] { table.Append(); }), W("La table cdsOption est fermée"));
}

TEST_F(TableTest, EditPostAndCancelWithTheChangeCounter) {
    AppendRow(table, 1, "a");
    EXPECT_EQ(table.ChangeCount(), 1);
    table.Edit();
    table.FieldByName("Libelle").SetAsString("b");
    EXPECT_EQ(table.FieldByName("Libelle").AsString(), "b");
    table.Cancel();
    EXPECT_EQ(table.FieldByName("Libelle").AsString(), "a");
    table.Edit();
    table.Post();  // nothing changed
    EXPECT_EQ(table.ChangeCount(), 1);
    table.Edit();
    table.FieldByName("Libelle").SetAsString("c");
    table.Post();
    EXPECT_EQ(table.FieldByName("Libelle").AsString(), "c");
    EXPECT_EQ(table.FieldByName("ID").AsInteger(), 1);
    EXPECT_EQ(table.ChangeCount(), 2);
    table.Delete();
    EXPECT_EQ(table.ChangeCount(), 3);
    table.Close();
    table.Open();
    EXPECT_EQ(table.ChangeCount(), 0);
}

TEST_F(TableTest, AMoveOrEmptyingStoresAPendingRowOnlyWhenAValueWasSet) {
    AppendRow(table, 1, "a");
    table.Append();
    table.First();  // nothing set: dropped
    EXPECT_EQ(table.RecordCount(), 1);
    table.Append();
    table.FieldByName("ID").SetAsInteger(2);
    table.First();  // stored, then the move
    EXPECT_THAT(Ids(table), ElementsAre(1, 2));
    EXPECT_EQ(table.RecNo(), 0);
    table.Edit();
    table.FieldByName("ID").SetAsInteger(5);
    table.Next();
    EXPECT_THAT(Ids(table), ElementsAre(5, 2));

    table.Append();
    table.FieldByName("ID").SetAsInteger(3);
    const int before = table.ChangeCount();
    table.EmptyDataSet();
    EXPECT_EQ(table.RecordCount(), 0);
    EXPECT_EQ(table.ChangeCount(), before + 2);  // the stored row, then the emptying
    EXPECT_EQ(table.State(), TableState::Browse);
}

TEST_F(TableTest, ValueAtReadsAnyRowWithoutMovingTheCurrentOne) {
    for (int id = 1; id <= 3; ++id) AppendRow(table, id, "r" + std::to_string(id));
    table.MoveTo(1);
    EXPECT_EQ(std::get<std::string>(table.ValueAt(2, 1)), "r3");
    EXPECT_TRUE(std::holds_alternative<std::monostate>(table.ValueAt(0, 2)));
    EXPECT_EQ(table.RecNo(), 1);
    EXPECT_THROW(table.ValueAt(3, 0), Error);
}

// A row's origin names it through its changes, in memory and in its file; a copy, or a row put
// back after a deletion, is another row.
TEST_F(TableTest, ARowKeepsItsOriginThroughChangesAndItsFile) {
    for (int id = 1; id <= 3; ++id) AppendRow(table, id, "r" + std::to_string(id));
    EXPECT_THAT(
        (std::vector<std::uint32_t>{table.RowOrigin(0), table.RowOrigin(1), table.RowOrigin(2)}),
        ElementsAre(1u, 2u, 3u));
    for (int change = 0; change < 3; ++change) {
        table.MoveTo(1);
        table.Edit();
        table.FieldByName("ID").SetAsInteger(20 + change);
        table.Post();
    }
    table.First();
    table.Delete();
    AppendRow(table, 1, "r1");  // put back: a new row
    // The origin of each row, by its ID.
    const auto origins = [](const Table& t) {
        std::map<int, std::uint32_t> byId;
        for (int row = 0; row < t.RecordCount(); ++row)
            byId[std::get<std::int32_t>(t.ValueAt(row, 0))] = t.RowOrigin(row);
        return byId;
    };
    const std::map<int, std::uint32_t> expected = {{22, 2u}, {3, 3u}, {1, 7u}};
    EXPECT_EQ(origins(table), expected);
    EXPECT_THROW(table.RowOrigin(3), Error);

    const std::vector<std::uint8_t> packet = table.SaveToPacket();
    Table reread("cdsOption", OptionColumns(), {});
    reread.LoadFromPacket(packet.data(), packet.size());
    EXPECT_EQ(origins(reread), expected);
    for (int row = 0; row < reread.RecordCount(); ++row) {
        reread.MoveTo(row);
        reread.Edit();
        reread.FieldByName("Prix").SetAsCurrency(Money::FromTicks(5));
        reread.Post();
    }
    EXPECT_EQ(origins(reread), expected);
}

TEST_F(TableTest, TakingTheRowsOfAnotherTableIsEmptyingAndRefilling) {
    AppendRow(table, 1, "old");
    const std::vector<std::uint8_t> old = table.SaveToPacket();
    table.LoadFromPacket(old.data(), old.size());  // as read from its file: unchanged
    Table fresh("cdsOption", OptionColumns(), {});
    fresh.Open();
    AppendRow(fresh, 7, "new 1");
    AppendRow(fresh, 8, "new 2");
    const std::vector<std::uint8_t> expected = fresh.SaveToPacket();
    ASSERT_EQ(table.ChangeCount(), 0);
    table.TakeRowsOf(fresh);
    EXPECT_EQ(table.SaveToPacket(), expected);
    EXPECT_THAT(Ids(table), ElementsAre(7, 8));
    EXPECT_EQ(table.RecNo(), 0);
    EXPECT_GT(table.ChangeCount(), 0);  // written at closing
    EXPECT_EQ(fresh.RecordCount(), 0);
    Table categories("cdsCategorie", CategoryColumns(), {});
    categories.Open();
    EXPECT_EQ(ErrorOf([&] { table.TakeRowsOf(categories); }),
              W("La table cdsCategorie n'a pas les colonnes de la table cdsOption"));
}

class MockListener : public TableListener {
public:
    MOCK_METHOD(void, RowAboutToBeInserted, (int), (override));
    MOCK_METHOD(void, RowInserted, (int), (override));
    MOCK_METHOD(void, RowAboutToBeDeleted, (int), (override));
    MOCK_METHOD(void, RowDeleted, (int), (override));
    MOCK_METHOD(void, RowChanged, (int), (override));
    MOCK_METHOD(void, AboutToReset, (), (override));
    MOCK_METHOD(void, Reset, (), (override));
    MOCK_METHOD(void, CurrentRowChanged, (int), (override));
    MOCK_METHOD(void, ControlsDisabled, (), (override));
    MOCK_METHOD(void, ControlsEnabled, (), (override));
};

TEST_F(TableTest, TellsListenersOfEveryChangeUnlessControlsAreDisabled) {
    AppendRow(table, 1, "a");
    AppendRow(table, 2, "b");
    StrictMock<MockListener> listener;
    table.AddListener(&listener);
    {
        InSequence order;
        EXPECT_CALL(listener, RowAboutToBeInserted(1));
        EXPECT_CALL(listener, RowInserted(1));
        EXPECT_CALL(listener, CurrentRowChanged(1));
        EXPECT_CALL(listener, RowChanged(1));
        EXPECT_CALL(listener, RowAboutToBeDeleted(1));
        EXPECT_CALL(listener, RowDeleted(1));
        EXPECT_CALL(listener, CurrentRowChanged(1));
        EXPECT_CALL(listener, ControlsDisabled());
        EXPECT_CALL(listener, ControlsEnabled());
        EXPECT_CALL(listener, AboutToReset());
        EXPECT_CALL(listener, Reset());
    }
    table.Insert();  // before row 1, the current one
    table.FieldByName("ID").SetAsInteger(3);
    table.Post();
    table.Edit();
    table.FieldByName("ID").SetAsInteger(4);
    table.Post();
    table.Delete();

    table.DisableControls();
    table.DisableControls();
    EXPECT_TRUE(table.ControlsDisabled());
    table.First();
    table.Delete();
    AppendRow(table, 5, "e");
    table.EnableControls();
    table.EnableControls();  // the outermost one
    EXPECT_FALSE(table.ControlsDisabled());
    table.EmptyDataSet();
    table.RemoveListener(&listener);
    AppendRow(table, 6, "f");
}

TEST(ApplicationTables, HaveTheirSchemasAndBareFileNames) {
    ApplicationTables tables;
    const auto& sale = tables.cdsVente.Columns();
    ASSERT_EQ(sale.size(), 29u);
    std::vector<std::string> names;
    for (const ColumnDef& c : sale) names.push_back(c.name);
    EXPECT_THAT(names, ElementsAre("ID", "Libelle", "Description", "DureeTypeVente", "TypeVente",
                                   "Quantite", "Prix", "PrixBoutique", "Renouvelable", "Reference",
                                   "Categorie1", "Categorie2", "Categorie3", "Option1", "Option2",
                                   "Option3", "Option4", "Option5", "Option6", "Option7", "Option8",
                                   "Photo1", "Photo2", "Photo3", "Photo4", "Photo5", "Photo6",
                                   "Photo7", "Photo8"));
    EXPECT_EQ(sale[1].size, 255);
    EXPECT_EQ(sale[2].size, 4096);
    EXPECT_EQ(sale[9].size, 255);
    EXPECT_EQ(sale[6].type, FieldType::Currency);
    EXPECT_EQ(sale[8].type, FieldType::Boolean);
    EXPECT_EQ(sale[20].type, FieldType::Boolean);
    EXPECT_EQ(sale[28].type, FieldType::Graphic);
    EXPECT_EQ(tables.cdsVente.FileName(), "Ventes.cds");

    const auto& option = tables.cdsOption.Columns();
    ASSERT_EQ(option.size(), 4u);
    EXPECT_EQ(option[1].name, "Libelle");
    EXPECT_EQ(option[1].size, 100);
    EXPECT_EQ(option[3].type, FieldType::Currency);
    EXPECT_EQ(tables.cdsOption.FileName(), "Options.cds");

    std::vector<std::string> categoryNames;
    for (const ColumnDef& c : tables.cdsCategorie.Columns()) categoryNames.push_back(c.name);
    EXPECT_THAT(categoryNames,
                ElementsAre("ID", "ParentID", "Libelle", "Prix", "PrixBoutique", "DisplayID"));
    EXPECT_EQ(tables.cdsCategorie.Columns()[2].size, 100);
    EXPECT_EQ(tables.cdsCategorie.FileName(), "Categories.cds");
    EXPECT_EQ(tables.cdsCategorie.Name(), "cdsCategorie");
}

TEST(RowOrder, MatchesAPlainListUnderInsertionsAndErasures) {
    RowOrder order;
    std::vector<std::uint32_t> reference;
    std::uint32_t next = 0;
    unsigned seed = 7;
    for (int step = 0; step < 5000; ++step) {
        seed = seed * 1103515245u + 12345u;
        const int size = static_cast<int>(reference.size());
        const int position = size == 0 ? 0 : static_cast<int>((seed >> 8) % (size + 1));
        if (size > 0 && (seed >> 4) % 3 == 0) {
            const int at = position == size ? size - 1 : position;
            order.Erase(at);
            reference.erase(reference.begin() + at);
        } else {
            order.Insert(position, next);
            reference.insert(reference.begin() + position, next++);
        }
    }
    ASSERT_EQ(order.Size(), static_cast<int>(reference.size()));
    for (int p = 0; p < order.Size(); ++p) ASSERT_EQ(order.At(p), reference[p]) << p;
}

}  // namespace
}  // namespace offrel
