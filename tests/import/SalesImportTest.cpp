#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <initializer_list>
#include <string>
#include <vector>

#include "import/SalesImport.h"
#include "tables/ApplicationTables.h"
#include "tables/Conversions.h"
#include "tables/Error.h"
#include "tables/Windows1252.h"
#include "tests/common/TempFolder.h"

using offrel::Money;
using offrel::W;

namespace {

constexpr char kHeader[] =
    "cat;titre;ref;desc;photo1;photo2;photo3;prix;net;duree;renouv;o1;o2;o3;o5;o4;o6;o7\n";

class SalesImport : public ::testing::Test {
protected:
    void SetUp() override {
        sales_.SetFileName(folder_ / "Ventes.cds");
        sales_.Open();
        photo_ = folder_.Write("photo.jpg", "\xFF\xD8\xFF");
        offrel::SetDecimalSeparator(',');
    }

    // A sale line: the columns given, in order, joined by ";".
    static std::string Line(std::initializer_list<std::string> columns) {
        std::string line;
        for (const std::string& column : columns) line += (line.empty() ? "" : ";") + column;
        return line + "\r\n";
    }
    // A line accepted as it stands, with the given title.
    std::string Sale(const std::string& title) {
        return Line({"12", title, "", "desc", photo_, "", "", "10", "", "7"});
    }

    void Import(const std::string& lines) {
        offrel::ReadVentesFromCSV(sales_, folder_.Write("ventes.csv", kHeader + lines));
    }
    // The message that stopped the import, or "" when it ran to the end.
    std::string Failure(const std::string& lines) {
        try {
            Import(lines);
        } catch (const offrel::Error& error) {
            return error.what();
        }
        return "";
    }

    // Field of the sale at a position; the table's current row is moved there.
    offrel::Field At(int position, const char* field) {
        sales_.MoveTo(position);
        return sales_.FieldByName(field);
    }
    std::vector<std::string> Titles() {
        std::vector<std::string> titles;
        for (int r = 0; r < sales_.RecordCount(); ++r)
            titles.push_back(At(r, "Libelle").AsString());
        return titles;
    }

    offrel::testing::TempFolder folder_;
    offrel::ApplicationTables tables_;
    offrel::Table& sales_ = tables_.cdsVente;
    std::string photo_;
};

}  // namespace

TEST_F(SalesImport, ALineBecomesASaleWithItsCodesAndMarks) {
    Import(Line({"12", "Vase", "", "Un vase ancien", photo_, "", "", "10,5", "Y", "5", "", "Y"}));
    ASSERT_EQ(sales_.RecordCount(), 1);
    EXPECT_EQ(At(0, "Categorie1").AsInteger(), 12);
    EXPECT_EQ(At(0, "Libelle").AsString(), "Vase");
    EXPECT_EQ(At(0, "Description").AsString(), "Un vase ancien");
    EXPECT_FALSE(At(0, "Reference").IsNull());
    EXPECT_EQ(At(0, "Reference").AsString(), "");
    EXPECT_EQ(At(0, "Photo1").AsString(), photo_);
    EXPECT_TRUE(At(0, "Photo2").IsNull());
    EXPECT_EQ(At(0, "Prix").AsCurrency(), Money::FromTicks(105000));
    EXPECT_EQ(At(0, "TypeVente").AsInteger(), 2);
    EXPECT_EQ(At(0, "DureeTypeVente").AsInteger(), 2);
    EXPECT_TRUE(At(0, "Renouvelable").IsNull());
    EXPECT_TRUE(At(0, "Option1").AsBoolean());
    for (const char* option : {"Option2", "Option3", "Option4", "Option5", "Option6", "Option7",
                               "Option8", "PrixBoutique", "Categorie2", "Categorie3", "Photo4"}) {
        EXPECT_TRUE(At(0, option).IsNull()) << option;
    }
    EXPECT_EQ(At(0, "Quantite").AsInteger(), 1);
    EXPECT_EQ(offrel::DecimalSeparator(), '.');
}

TEST_F(SalesImport, MarksCountOnlyAsAnExactY) {
    const std::string p = photo_;
    Import(Line({"1", "a", "", "d", p, "", "", "1", "y", "3", "Y", "Y", " Y", "Yes", "Y", "", "Y",
                 "Y"}) +
           Line({"1", "b", "", "d", p, "", "", "1", " Y", "10", "y", "", "", "", "", "Y"}));
    ASSERT_EQ(sales_.RecordCount(), 2);
    // Each sale is inserted before the current row, the one posted last.
    EXPECT_EQ(Titles(), (std::vector<std::string>{"b", "a"}));
    EXPECT_EQ(At(1, "TypeVente").AsInteger(), 1);
    EXPECT_EQ(At(1, "DureeTypeVente").AsInteger(), 1);
    EXPECT_TRUE(At(1, "Renouvelable").AsBoolean());
    EXPECT_TRUE(At(1, "Option1").AsBoolean());
    EXPECT_TRUE(At(1, "Option2").IsNull());
    EXPECT_TRUE(At(1, "Option3").IsNull());
    EXPECT_TRUE(At(1, "Option5").AsBoolean());  // from column 14
    EXPECT_TRUE(At(1, "Option4").IsNull());
    EXPECT_TRUE(At(1, "Option6").AsBoolean());
    EXPECT_TRUE(At(1, "Option7").AsBoolean());

    EXPECT_EQ(At(0, "TypeVente").AsInteger(), 1);
    EXPECT_EQ(At(0, "DureeTypeVente").AsInteger(), 3);
    EXPECT_TRUE(At(0, "Renouvelable").IsNull());
    EXPECT_TRUE(At(0, "Option4").AsBoolean());  // from column 15
    EXPECT_TRUE(At(0, "Option5").IsNull());
}

TEST_F(SalesImport, LinesMissingARequiredValueArePassedOverSilently) {
    const std::string p = photo_;
    const std::string missing = folder_ / "absent.jpg";
    Import(Sale("first") + "\r\n" +                                    // blank
           Line({"", "t", "", "d", p, "", "", "1", "", "3"}) +         // category
           Line({"1", "", "", "d", p, "", "", "1", "", "3"}) +         // title
           Line({"1", "t", "", "", p, "", "", "1", "", "3"}) +         // description
           Line({"1", "t", "", "d", "", "", "", "1", "", "3"}) +       // photo
           Line({"1", "t", "", "d", p, "", "", "", "", "3"}) +         // price
           Line({"1", "t", "", "d", p, "", "", "1", "", ""}) +         // duration
           Line({"0", "t", "", "d", p, "", "", "1", "", "3"}) +        // category 0
           Line({"-3", "t", "", "d", p, "", "", "1", "", "3"}) +       // negative
           Line({"1", "t", "", "d", missing, "", "", "1", "", "3"}) +  // no photo
           Line({"1", "t", "", "d", folder_.Path().string(), "", "", "1", "", "3"}) +  // a folder
           Line({"1", "t", "", "d", p, "", "", "0", "", "3"}) +                        // free
           Line({"1", "t", "", "d", p, "", "", "-5", "", "3"}) +                       // negative
           Line({"1", "t", "", "d", missing, "", "", "abc", "", "3"}) +  // before the price
           Line({"abc", "t", "", "d", p, "", "", "1", "", ""}) +         // before the category
           Sale("last"));
    EXPECT_EQ(Titles(), (std::vector<std::string>{"last", "first"}));
}

TEST_F(SalesImport, TheFirstLineIsAlwaysTheHeader) {
    offrel::ReadVentesFromCSV(sales_, folder_.Write("a.csv", ""));
    offrel::ReadVentesFromCSV(sales_, folder_.Write("b.csv", kHeader));
    offrel::ReadVentesFromCSV(sales_, folder_.Write("c.csv", Sale("lost") + Sale("kept")));
    EXPECT_EQ(Titles(), std::vector<std::string>{"kept"});
}

TEST_F(SalesImport, NumbersThatDoNotConvertStopTheImportNamingTheirText) {
    const std::string p = photo_;
    EXPECT_EQ(Failure(Sale("a") + Line({"abc", "t", "", "d", p, "", "", "1", "", "3"}) + Sale("b")),
              W("'abc' n'est pas une valeur entière correcte"));
    EXPECT_EQ(Failure(Line({"1", "t", "", "d", p, "", "", "1 234,50", "", "3"})),
              "'1 234.50' n'est pas une valeur en virgule flottante correcte");
    EXPECT_EQ(Failure(Line({"1", "t", "", "d", p, "", "", "1", "", "abc"}) + Sale("c")),
              W("'abc' n'est pas une valeur entière correcte"));
    // Only the lines before each stop were imported, and the row begun for a bad duration is
    // dropped, not left half-filled in the table.
    EXPECT_EQ(Titles(), std::vector<std::string>{"a"});
    EXPECT_EQ(sales_.State(), offrel::TableState::Browse);
    sales_.First();
    sales_.Last();
    EXPECT_EQ(sales_.RecordCount(), 1);
}

TEST_F(SalesImport, NumbersAcceptBlanksInFrontAndBothDecimalMarks) {
    Import(Line({" 12", "t", "", "d", photo_, "", "", " 12.50 ", "", "+7"}) +
           Line({"$1F", "u", "", "d", photo_, "", "", "0,01", "", "3"}));
    EXPECT_EQ(At(1, "Categorie1").AsInteger(), 12);
    EXPECT_EQ(At(1, "Prix").AsCurrency(), Money::FromTicks(125000));
    EXPECT_EQ(At(1, "DureeTypeVente").AsInteger(), 3);
    EXPECT_EQ(At(0, "Categorie1").AsInteger(), 31);
    EXPECT_EQ(At(0, "Prix").AsCurrency(), Money::FromTicks(100));
}

TEST_F(SalesImport, TextsAreDecodedFromUtf8WhenTheyCanBe) {
    const std::string utf8 = "Théière émaillée";  // the source is UTF-8
    const std::string latin = W("Théière");
    Import(Line({"1", utf8, utf8, utf8, photo_, "", "", "1", "", "3"}) +
           Line({"1", latin, latin, latin, photo_, "", "", "1", "", "3"}) +
           Line({"1", "\xE2\x82\xAC \xE4\xB8\xAD", "\xE4\xB8\xAD", "d", photo_, "", "", "1", "",
                 "3"}));
    EXPECT_EQ(At(2, "Libelle").AsString(), W(utf8));
    EXPECT_EQ(At(2, "Reference").AsString(), W(utf8));
    EXPECT_EQ(At(2, "Description").AsString(), W(utf8));
    EXPECT_EQ(At(1, "Libelle").AsString(), latin);
    EXPECT_EQ(At(1, "Description").AsString(), latin);
    EXPECT_FALSE(At(1, "Reference").IsNull());
    EXPECT_EQ(At(1, "Reference").AsString(), "");
    EXPECT_EQ(At(0, "Libelle").AsString(), "\x80 ?");
    EXPECT_EQ(At(0, "Reference").AsString(), "?");
}

TEST_F(SalesImport, LongTextsAreCutAndShortLinesLeaveTheRestEmpty) {
    Import(Line({"1", std::string(300, 't'), std::string(300, 'r'), std::string(5000, 'd'), photo_,
                 "", "", "1", "", "3"}));
    EXPECT_EQ(At(0, "Libelle").AsString(), std::string(255, 't'));
    EXPECT_EQ(At(0, "Reference").AsString(), std::string(255, 'r'));
    EXPECT_EQ(At(0, "Description").AsString(), std::string(4096, 'd'));
    EXPECT_TRUE(At(0, "Renouvelable").IsNull());
    EXPECT_TRUE(At(0, "Option7").IsNull());
}

TEST_F(SalesImport, PhotosAreKeptOnlyWhenTheirFileExists) {
    const std::string second = folder_.Write("b.jpg", "x");
    Import(Line({"1", "t", "", "d", photo_, folder_ / "absent.jpg", second, "1", "", "3"}));
    ASSERT_EQ(sales_.RecordCount(), 1);
    EXPECT_TRUE(At(0, "Photo2").IsNull());
    EXPECT_EQ(At(0, "Photo3").AsString(), second);

    // A relative path is taken from the working directory and stored as written.
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(folder_.Path());
    const std::string relative = Line({"1", "r", "", "d", "photo.jpg", "", "", "1", "", "3"});
    EXPECT_NO_THROW(Import(relative));
    std::filesystem::current_path(before);
    ASSERT_EQ(sales_.RecordCount(), 2);
    EXPECT_EQ(At(0, "Photo1").AsString(), "photo.jpg");
}

TEST_F(SalesImport, AFileThatDoesNotExistIsToldAndImportsNothing) {
    const std::string path = folder_ / "absent.csv";
    try {
        offrel::ReadVentesFromCSV(sales_, path);
        FAIL() << "no error";
    } catch (const offrel::InOutError&) {
        FAIL() << "the reader was used unopened";
    } catch (const offrel::Error& error) {
        EXPECT_EQ(error.what(), "Le fichier \"" + path + "\" n'existe pas.");
    }
    EXPECT_EQ(sales_.RecordCount(), 0);
}
