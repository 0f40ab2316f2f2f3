#include <gtest/gtest.h>

#include "base/Windows1252.h"
#include "tables/ApplicationTables.h"
#include "tables/Rows.h"

namespace offrel {
namespace {

class RowsTest : public ::testing::Test {
protected:
    RowsTest() {
        tables.cdsVente.Open();
        tables.cdsVente.EmptyDataSet();
    }

    // Writes the sale into a new row and reads it back.
    Sale RoundTrip(const Sale& sale) {
        Table& vente = tables.cdsVente;
        vente.Append();
        WriteSale(vente, sale);
        vente.Post();
        return ReadSale(vente, vente.RecNo());
    }

    std::vector<Value> Cells(int position) const {
        std::vector<Value> cells;
        for (std::size_t column = 0; column < tables.cdsVente.Columns().size(); ++column)
            cells.push_back(tables.cdsVente.ValueAt(position, static_cast<int>(column)));
        return cells;
    }

    ApplicationTables tables;
};

Sale EveryFieldSet() {
    Sale sale;
    sale.id = 7;
    sale.libelle = W("Vélo enfant");
    sale.description = W("Première ligne\r\nseconde ligne ; « guillemets »");
    sale.dureeTypeVente = Duration::FiveDays;
    sale.typeVente = SaleType::FixedPrice;
    sale.quantite = 3;
    sale.prix = Money::FromTicks(125000);
    sale.prixBoutique = Money::FromTicks(99);
    sale.renouvelable = false;
    sale.reference = W("RÉF-1");
    sale.categorie = {11, 20, 60};
    for (int k = 0; k < 8; ++k) {
        sale.option[k] = k % 2 == 0;
        sale.photo[k] = W("/photos/été/") + std::to_string(k + 1) + ".jpg";
    }
    return sale;
}

TEST_F(RowsTest, EveryFieldGoesToItsColumnAndComesBack) {
    const Sale sale = EveryFieldSet();
    EXPECT_EQ(RoundTrip(sale), sale);
    // Each field lands in the column of its name, codes as the table holds them.
    Table& vente = tables.cdsVente;
    EXPECT_EQ(vente.FieldByName("Libelle").AsString(), W("Vélo enfant"));
    EXPECT_EQ(vente.FieldByName("DureeTypeVente").AsInteger(), 2);
    EXPECT_EQ(vente.FieldByName("TypeVente").AsInteger(), 2);
    EXPECT_EQ(vente.FieldByName("Quantite").AsInteger(), 3);
    EXPECT_EQ(vente.FieldByName("Prix").AsCurrency(), Money::FromTicks(125000));
    EXPECT_EQ(vente.FieldByName("PrixBoutique").AsCurrency(), Money::FromTicks(99));
    EXPECT_EQ(vente.FieldByName("Reference").AsString(), W("RÉF-1"));
    EXPECT_EQ(vente.FieldByName("Categorie3").AsInteger(), 60);
    EXPECT_TRUE(vente.FieldByName("Option7").AsBoolean());
    EXPECT_FALSE(vente.FieldByName("Option8").AsBoolean());
    EXPECT_FALSE(vente.FieldByName("Option8").IsNull());
    EXPECT_EQ(vente.FieldByName("Photo8").AsString(), W("/photos/été/8.jpg"));
}

TEST_F(RowsTest, EmptyColumnsStayEmptyAndDifferFromZero) {
    // A row as the import leaves it: most marks empty, not false.
    Table& vente = tables.cdsVente;
    vente.Append();
    vente.FieldByName("Libelle").SetAsString("Lampe");
    vente.FieldByName("Option2").SetAsBoolean(true);
    vente.FieldByName("Categorie1").SetAsInteger(0);
    vente.Post();
    const std::vector<Value> before = Cells(0);

    const Sale sale = ReadSale(vente, 0);
    EXPECT_FALSE(sale.id);
    EXPECT_FALSE(sale.option[0]);
    EXPECT_EQ(sale.option[1], true);
    EXPECT_EQ(sale.categorie[0], 0);
    EXPECT_FALSE(sale.categorie[1]);
    vente.Edit();
    WriteSale(vente, sale);
    vente.Post();
    EXPECT_EQ(Cells(0), before);

    // A sale with nothing at all writes a row with nothing at all.
    EXPECT_EQ(RoundTrip(Sale()), Sale());
    for (const Value& cell : Cells(vente.RecNo()))
        EXPECT_TRUE(std::holds_alternative<std::monostate>(cell));
}

TEST_F(RowsTest, CodesOutsideTheListsAndLongTextsAreKeptAsTheTableKeepsThem) {
    Sale sale;
    sale.typeVente = static_cast<SaleType>(7);
    sale.dureeTypeVente = static_cast<Duration>(-4);
    sale.libelle = std::string(300, 'x');
    const Sale back = RoundTrip(sale);
    EXPECT_EQ(back.typeVente, static_cast<SaleType>(7));
    EXPECT_EQ(back.dureeTypeVente, static_cast<Duration>(-4));
    EXPECT_EQ(back.libelle, std::string(255, 'x'));  // the column's size
}

TEST_F(RowsTest, CatalogueRowsGoToTheirColumns) {
    Table& options = tables.cdsOption;
    options.Open();
    options.EmptyDataSet();
    options.Append();
    WriteOption(options, {4, "Gras", Money::FromTicks(2000), std::nullopt});
    options.Post();
    const OptionRow option = ReadOption(options, 0);
    EXPECT_EQ(options.FieldByName("Prix").AsCurrency(), Money::FromTicks(2000));
    EXPECT_EQ(option.libelle, "Gras");
    EXPECT_FALSE(option.prixBoutique);

    Table& categories = tables.cdsCategorie;
    categories.Open();
    categories.EmptyDataSet();
    categories.Append();
    WriteCategory(categories, {12, 3, "Jardin", std::nullopt, std::nullopt, std::nullopt});
    categories.Post();
    EXPECT_EQ(categories.FieldByName("ParentID").AsInteger(), 3);
    EXPECT_EQ(ValueAs<std::string>(categories.ValueAt(0, CategoryColumn::kLibelle)), "Jardin");
    EXPECT_EQ(ReadCategory(categories, 0).id, 12);
}

}  // namespace
}  // namespace offrel
