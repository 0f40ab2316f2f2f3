#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>
#include <vector>

#include "base/Conversions.h"
#include "base/Error.h"
#include "base/Windows1252.h"
#include "import/SalesImport.h"
#include "tables/ApplicationTables.h"
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
        for (const std::string& column : columns) line += column + ";";
        line.back() = '\r';
        return line + "\n";
    }
    // A line accepted as it stands, with the given title.
    std::string Sale(const std::string& title) {
        return Line({"12", title, "", "desc", photo_, "", "", "10", "", "7"});
    }

    offrel::SalesImportReport Import(const std::string& lines) {
        return offrel::ReadVentesFromCSV(sales_, folder_.Write("ventes.csv", kHeader + lines));
    }
    // The line and the message that stopped the import, or "" when it ran to the end.
    std::string Failure(const std::string& lines) {
        const offrel::SalesImportReport report = Import(lines);
        if (!report.stop) return "";
        return std::to_string(report.stop->line) + ": " + report.stop->reason;
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
    const offrel::SalesImportReport report = Import(
        Line({"12", "Vase", "", "Un vase ancien", photo_, "", "", "10,5", "Y", "5", "", "Y"}));
    EXPECT_TRUE(report.Complete());
    EXPECT_EQ(report.imported, 1);
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

TEST_F(SalesImport, LinesMissingARequiredValueArePassedOverWithTheirReason) {
    const std::string p = photo_;
    const std::string missing = folder_ / "absent.jpg";
    const offrel::SalesImportReport report = Import(
        Sale("first") + "\r\n" + ";;;\r\n" +                        // no text: no sale
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
    EXPECT_EQ(report.imported, 2);
    EXPECT_FALSE(report.stop);
    const std::vector<std::pair<int, std::string>> expected = {
        {5, W("la catégorie est vide")},
        {6, "le titre est vide"},
        {7, "la description est vide"},
        {8, W("la première photo est vide")},
        {9, "le prix est vide"},
        {10, W("la durée est vide")},
        {11, W("la catégorie est inférieure à 1")},
        {12, W("la catégorie est inférieure à 1")},
        {13, W("la photo « ") + missing + W(" » est introuvable")},
        {14, W("la photo « ") + folder_.Path().string() + W(" » est introuvable")},
        {15, W("le prix n'est pas supérieur à zéro")},
        {16, W("le prix n'est pas supérieur à zéro")},
        {17, W("la photo « ") + missing + W(" » est introuvable")},
        {18, W("la durée est vide")},
    };
    std::vector<std::pair<int, std::string>> passed;
    for (const offrel::PassedOverLine& line : report.passedOver)
        passed.emplace_back(line.line, line.reason);
    EXPECT_EQ(passed, expected);
}

TEST_F(SalesImport, TheFirstLineIsAlwaysTheHeader) {
    offrel::ReadVentesFromCSV(sales_, folder_.Write("a.csv", ""));
    offrel::ReadVentesFromCSV(sales_, folder_.Write("b.csv", kHeader));
    offrel::ReadVentesFromCSV(sales_, folder_.Write("c.csv", Sale("lost") + Sale("kept")));
    EXPECT_EQ(Titles(), std::vector<std::string>{"kept"});
}

TEST_F(SalesImport, NumbersThatDoNotConvertStopTheImportNamingTheirTextAndLine) {
    const std::string p = photo_;
    EXPECT_EQ(Failure(Sale("a") + Line({"abc", "t", "", "d", p, "", "", "1", "", "3"}) + Sale("b")),
              W("3: 'abc' n'est pas une valeur entière correcte"));
    EXPECT_EQ(Failure(Line({"1", "t", "", "d", p, "", "", "1 234,50", "", "3"})),
              "2: '1 234.50' n'est pas une valeur en virgule flottante correcte");
    EXPECT_EQ(Failure(Line({"1", "t", "", "d", p, "", "", "1", "", "abc"}) + Sale("c")),
              W("2: 'abc' n'est pas une valeur entière correcte"));
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

TEST_F(SalesImport, APhotoPathReadsTheSameFromAUtf8AndAWindows1252File) {
    std::filesystem::create_directories(folder_.Path() / "Été 2026");
    const std::string utf8 = folder_.Write("Été 2026/vélo.jpg", "JPEG");
    const std::string stored = W(utf8);
    Import(Line({"1", "u", "", "d", utf8, utf8, "", "1", "", "3"}) +
           Line({"1", "w", "", "d", stored, "", stored, "1", "", "3"}));
    ASSERT_EQ(sales_.RecordCount(), 2);
    EXPECT_EQ(At(1, "Photo1").AsString(), stored);
    EXPECT_EQ(At(1, "Photo2").AsString(), stored);
    EXPECT_EQ(At(0, "Photo1").AsString(), stored);
    EXPECT_EQ(At(0, "Photo3").AsString(), stored);
}

TEST_F(SalesImport, APhotoPathThatWindows1252CannotWriteIsReportedNotStoredWithQuestionMarks) {
    const std::string cyrillic = folder_.Write("фото.jpg", "JPEG");
    const std::string second = folder_.Write("b.jpg", "x");
    const offrel::SalesImportReport report =
        Import(Line({"1", "t", "", "d", cyrillic, "", "", "1", "", "3"}) +
               Line({"1", "u", "", "d", second, cyrillic, "", "1", "", "3"}));
    ASSERT_EQ(report.passedOver.size(), 1u);
    EXPECT_EQ(report.passedOver[0].line, 2);
    EXPECT_EQ(report.passedOver[0].reason,
              W("le chemin de la photo « ") + folder_.Path().string() +
                  W("/????.jpg » contient des caractères que l'application ne sait pas "
                    "enregistrer"));
    // A second photo of that kind is left out like a missing one.
    ASSERT_EQ(Titles(), std::vector<std::string>{"u"});
    EXPECT_TRUE(At(0, "Photo2").IsNull());
}

TEST(SalesImportReport, SaysHowManySalesCameInAndEachLineThatDidNot) {
    offrel::SalesImportReport report;
    report.imported = 1;
    EXPECT_EQ(offrel::ReportText(report), W("1 vente importée."));
    report.imported = 0;
    report.passedOver = {{5, "le prix est vide"}};
    EXPECT_EQ(offrel::ReportText(report),
              W("0 vente importée, 1 ligne non importée :\n\nLigne 5 : le prix est vide"));
    report.imported = 3;
    report.stop = offrel::PassedOverLine{12, W("'abc' n'est pas une valeur entière correcte")};
    EXPECT_EQ(offrel::ReportText(report),
              W("3 ventes importées, 2 lignes non importées :\n\nLigne 5 : le prix est vide\n"
                "Ligne 12 : 'abc' n'est pas une valeur entière correcte\n\nL'import s'est arrêté à "
                "la ligne 12 ; les lignes suivantes n'ont pas été lues."));
}

namespace {

// The seller's sheet saved by LibreOffice Calc (see data/README.md), imported from a working
// directory that holds its photos.
class SpreadsheetImport : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        for (const char* photo :
             {"Images/Été 2026/vélo.jpg", "Images/Été 2026/vélo détail.jpg",
              "Images/Été 2026/cœur.jpg", "Images/Maison/lampe.jpg", "Images/Maison/affiche.jpg"}) {
            std::filesystem::create_directories((folder_.Path() / photo).parent_path());
            folder_.Write(photo, "\xFF\xD8\xFF");
        }
        before_ = std::filesystem::current_path();
        std::filesystem::current_path(folder_.Path());
        sales_.Open();
    }
    void TearDown() override { std::filesystem::current_path(before_); }

    static std::string Sheet(const char* name) {
        std::ifstream in(std::string(OFFREL_IMPORT_TEST_DATA) + "/" + name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    // The sale with that title, made current.
    offrel::Table& Sale(const std::string& title) {
        for (int r = 0; r < sales_.RecordCount(); ++r) {
            sales_.MoveTo(r);
            if (sales_.FieldByName("Libelle").AsString() == title) return sales_;
        }
        ADD_FAILURE() << "no sale " << title;
        return sales_;
    }
    std::string Text(const std::string& title, const char* field) {
        return Sale(title).FieldByName(field).AsString();
    }

    offrel::testing::TempFolder folder_;
    std::filesystem::path before_;
    offrel::ApplicationTables tables_;
    offrel::Table& sales_ = tables_.cdsVente;
};

// As Calc saved it, as a Windows editor would keep it (CR LF), and as Excel saves UTF-8 (with a
// byte-order mark).
std::string AsSaved(const std::string& sheet, const std::string& variant) {
    if (variant == "crlf") {
        std::string crlf;
        for (const char c : sheet) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
        return crlf;
    }
    if (variant == "bom") return "\xEF\xBB\xBF" + sheet;
    return sheet;
}

}  // namespace

TEST_P(SpreadsheetImport, EveryGoodLineIsImportedAndTheOthersAreReported) {
    const std::string param = GetParam();
    const std::string file = param.substr(0, param.find(':'));
    const std::string variant = param.substr(param.find(':') + 1);
    const bool utf8 = file.find("utf8") != std::string::npos;
    const offrel::SalesImportReport report = offrel::ReadVentesFromCSV(
        sales_, folder_.Write("ventes.csv", AsSaved(Sheet(file.c_str()), variant)));

    EXPECT_EQ(report.imported, 5);
    EXPECT_FALSE(report.stop);
    EXPECT_EQ(offrel::ReportText(report),
              W("5 ventes importées, 3 lignes non importées :\n\n"
                "Ligne 5 : la photo « Images/absente.jpg » est introuvable\n"
                "Ligne 7 : le prix est vide\n"
                "Ligne 8 : la catégorie est inférieure à 1"));
    ASSERT_EQ(sales_.RecordCount(), 5);

    const std::string velo = W("Vélo de course");
    EXPECT_EQ(Text(velo, "Description"), W("Cadre alu, très bon état"));
    EXPECT_EQ(Text(velo, "Photo1"), W("Images/Été 2026/vélo.jpg"));
    EXPECT_EQ(Text(velo, "Photo2"), W("Images/Été 2026/vélo détail.jpg"));
    EXPECT_EQ(Sale(velo).FieldByName("Prix").AsCurrency(), Money::FromTicks(1500000));
    EXPECT_EQ(Sale(velo).FieldByName("TypeVente").AsInteger(), 2);
    EXPECT_EQ(Sale(velo).FieldByName("DureeTypeVente").AsInteger(), 3);
    EXPECT_TRUE(Sale(velo).FieldByName("Renouvelable").AsBoolean());
    EXPECT_TRUE(Sale(velo).FieldByName("Option1").AsBoolean());

    EXPECT_EQ(Text("Lampe de bureau", "Description"), W("Lampe articulée\r\nAmpoule fournie"));
    EXPECT_EQ(Sale("Lampe de bureau").FieldByName("Prix").AsCurrency(), Money::FromTicks(125000));
    EXPECT_TRUE(Sale("Lampe de bureau").FieldByName("Option2").AsBoolean());

    const std::string affiche = "Affiche \"Le Grand Bleu\"";
    EXPECT_EQ(Text(affiche, "Description"), "Lot de 3 affiches ; format 40 x 60");
    EXPECT_EQ(Text(affiche, "Reference"), "AFF-003");
    EXPECT_EQ(Sale(affiche).FieldByName("Prix").AsCurrency(), Money::FromTicks(89000));

    const std::string coeur = W("Cœur en verre soufflé");
    EXPECT_EQ(Text(coeur, "Description"), W("Pièce unique à 20 €, signée « Marie »"));
    EXPECT_EQ(Text(coeur, "Photo1"), W("Images/Été 2026/cœur.jpg"));
    EXPECT_EQ(Sale(coeur).FieldByName("Prix").AsCurrency(), Money::FromTicks(12345000));
    // The reference is read as UTF-8 only: from the Windows-1252 file it stays empty.
    EXPECT_EQ(Text(coeur, "Reference"), utf8 ? W("CŒUR-5") : "");

    const std::string derniere = W("Dernière vente");
    EXPECT_EQ(Text(derniere, "Description"),
              "Description \"entre guillemets\"\r\net sur deux lignes");
    EXPECT_EQ(Text(derniere, "Photo3"), "Images/Maison/affiche.jpg");
    EXPECT_EQ(Sale(derniere).FieldByName("Prix").AsCurrency(), Money::FromTicks(9900));
}

INSTANTIATE_TEST_SUITE_P(CalcSheets, SpreadsheetImport,
                         ::testing::Values("ventes-calc-utf8.csv:lf", "ventes-calc-utf8.csv:crlf",
                                           "ventes-calc-utf8.csv:bom",
                                           "ventes-calc-windows1252.csv:lf",
                                           "ventes-calc-windows1252.csv:crlf"));
