#include <gtest/gtest.h>

#include <string>
#include <variant>
#include <vector>

#include "base/Conversions.h"
#include "base/Error.h"
#include "base/Windows1252.h"
#include "tables/ApplicationTables.h"
#include "tables/CatalogueImport.h"
#include "tests/common/TempFolder.h"

using offrel::Money;
using offrel::W;

namespace {

// The catalogue tables as the refresh leaves them before the import: open and emptied.
class CatalogueImport : public ::testing::Test {
protected:
    void SetUp() override {
        tables_.cdsOption.SetFileName(folder_ / "Options.cds");
        tables_.cdsCategorie.SetFileName(folder_ / "Categories.cds");
        for (offrel::Table* table : {&tables_.cdsOption, &tables_.cdsCategorie}) {
            table->Open();
            table->EmptyDataSet();
        }
        offrel::SetDecimalSeparator(',');
    }

    void ImportOptions(const std::string& bytes) {
        offrel::ReadOptionsFromCSV(tables_.cdsOption, folder_.Write("Options.csv", bytes));
    }
    void ImportCategories(const std::string& bytes) {
        offrel::ReadCategoriesFromCSV(tables_.cdsCategorie, folder_.Write("Categories.csv", bytes));
    }
    // The message of the failed import, or "" when it succeeded.
    std::string OptionsFailure(const std::string& bytes) {
        try {
            ImportOptions(bytes);
        } catch (const offrel::Error& error) {
            return error.what();
        }
        return "";
    }

    // A row as text: each column's value, "-" for an empty one.
    static std::vector<std::string> RowText(const offrel::Table& table, int position) {
        std::vector<std::string> row;
        for (std::size_t c = 0; c < table.Columns().size(); ++c) {
            const offrel::Value value = table.ValueAt(position, static_cast<int>(c));
            if (const auto* number = std::get_if<std::int32_t>(&value)) {
                row.push_back(std::to_string(*number));
            } else if (const auto* money = std::get_if<Money>(&value)) {
                row.push_back(offrel::CurrToStr(*money));
            } else if (const auto* text = std::get_if<std::string>(&value)) {
                row.push_back(*text);
            } else {
                row.push_back("-");
            }
        }
        return row;
    }

    offrel::testing::TempFolder folder_;
    offrel::ApplicationTables tables_;
};

using Row = std::vector<std::string>;

}  // namespace

TEST_F(CatalogueImport, OptionsBecomeRowsInFileOrderAndThePointIsTheSeparator) {
    ImportOptions("3;0.50;0.4;Gras\r\n1;  12.50  ;+1e1;Sous-titre;ignored\n$1F;.;0;\n0x10;1;2\n");
    const offrel::Table& options = tables_.cdsOption;
    ASSERT_EQ(options.RecordCount(), 4);
    // Columns: ID, Libelle, Prix, PrixBoutique.
    EXPECT_EQ(RowText(options, 0), (Row{"3", "Gras", "0.5", "0.4"}));
    EXPECT_EQ(RowText(options, 1), (Row{"1", "Sous-titre", "12.5", "10"}));
    EXPECT_EQ(RowText(options, 2), (Row{"31", "", "0", "0"}));
    EXPECT_EQ(RowText(options, 3), (Row{"16", "", "1", "2"}));
    EXPECT_EQ(offrel::DecimalSeparator(), '.');
    EXPECT_EQ(options.State(), offrel::TableState::Browse);

    // The table is not emptied: a second import adds its lines again.
    ImportOptions("8;0;0;Huit\n");
    EXPECT_EQ(options.RecordCount(), 5);
}

TEST_F(CatalogueImport, CategoriesKeepTheirLabelsByteForByteCutTo100) {
    const std::string utf8Label = "Vêtements d'été";  // as the source spells it: UTF-8
    const std::string longLabel(120, 'L');
    ImportCategories(
        "1;0;0;0;Maison\n"
        "2;1;0;0;" +
        utf8Label +
        "\n"
        "3;1;1.5;1;" +
        longLabel + W("\n4;0;0;0;Café  \n5;-1;0;0\n"));
    const offrel::Table& categories = tables_.cdsCategorie;
    ASSERT_EQ(categories.RecordCount(), 5);
    // Columns: ID, ParentID, Libelle, Prix, PrixBoutique, DisplayID.
    EXPECT_EQ(RowText(categories, 0), (Row{"1", "0", "Maison", "0", "0", "-"}));
    EXPECT_EQ(RowText(categories, 1), (Row{"2", "1", utf8Label, "0", "0", "-"}));
    EXPECT_EQ(RowText(categories, 2), (Row{"3", "1", std::string(100, 'L'), "1.5", "1", "-"}));
    EXPECT_EQ(RowText(categories, 3), (Row{"4", "0", W("Café"), "0", "0", "-"}));
    EXPECT_EQ(RowText(categories, 4), (Row{"5", "-1", "", "0", "0", "-"}));
}

TEST_F(CatalogueImport, AFieldThatDoesNotConvertStopsTheImportAndDropsItsRow) {
    EXPECT_EQ(OptionsFailure("1;1;1;Un\n2;12,50;1;Deux\n3;1;1;Trois\n"),
              "'12,50' n'est pas une valeur en virgule flottante correcte");
    ASSERT_EQ(tables_.cdsOption.RecordCount(), 1);
    EXPECT_EQ(RowText(tables_.cdsOption, 0), (Row{"1", "Un", "1", "1"}));
    EXPECT_EQ(tables_.cdsOption.State(), offrel::TableState::Browse);

    // The dropped row is not stored by a later move through the table, nor by emptying it.
    tables_.cdsOption.First();
    tables_.cdsOption.Last();
    EXPECT_EQ(tables_.cdsOption.RecordCount(), 1);

    // The second field fails after the first was converted: the row is still dropped.
    EXPECT_EQ(OptionsFailure("7;x;1;Sept\n"),
              "'x' n'est pas une valeur en virgule flottante correcte");
    EXPECT_EQ(tables_.cdsOption.RecordCount(), 1);
}

TEST_F(CatalogueImport, ConversionFailuresNameTheFieldAsWritten) {
    const std::string notInteger = W("' n'est pas une valeur entière correcte");
    const std::string notMoney = "' n'est pas une valeur en virgule flottante correcte";
    EXPECT_EQ(OptionsFailure("1 ;1;1;Un\n"), "'1 " + notInteger);
    EXPECT_EQ(OptionsFailure("ID;Prix;PrixBoutique;Libelle\n1;1;1;Un\n"), "'ID" + notInteger);
    EXPECT_EQ(OptionsFailure("\xEF\xBB\xBF"
                             "1;1;1;Un\n"),
              "'\xEF\xBB\xBF"
              "1" +
                  notInteger);
    EXPECT_EQ(OptionsFailure("1;;1;Un\n"), "'" + notMoney);
    EXPECT_EQ(OptionsFailure("1\n"), "'" + notMoney);
    EXPECT_EQ(OptionsFailure("99999999999;1;1;Un\n"), "'99999999999" + notInteger);
    EXPECT_EQ(tables_.cdsOption.RecordCount(), 0);
}

TEST_F(CatalogueImport, ABlankLastLineFailsAfterTheRealLinesAreStored) {
    const std::string notInteger = W("'' n'est pas une valeur entière correcte");
    EXPECT_EQ(OptionsFailure("1;1;1;Un\n2;2;2;Deux\n\n"), notInteger);
    EXPECT_EQ(tables_.cdsOption.RecordCount(), 2);
    // A final line feed alone is no blank line.
    EXPECT_EQ(OptionsFailure("3;3;3;Trois\n"), "");
    EXPECT_EQ(tables_.cdsOption.RecordCount(), 3);
}

TEST_F(CatalogueImport, AnEmptyFileAddsNothingAndAMissingOneFailsWithError104) {
    EXPECT_EQ(OptionsFailure(""), "");
    EXPECT_EQ(tables_.cdsOption.RecordCount(), 0);

    try {
        offrel::ReadCategoriesFromCSV(tables_.cdsCategorie, folder_ / "absent.csv");
        FAIL() << "no error";
    } catch (const offrel::InOutError& error) {
        EXPECT_EQ(error.Code(), 104);
        EXPECT_STREQ(error.what(), "Erreur E/S 104");
    }
    EXPECT_EQ(tables_.cdsCategorie.RecordCount(), 0);
    EXPECT_EQ(offrel::DecimalSeparator(), '.');
}
