#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "base/Conversions.h"
#include "base/Error.h"
#include "base/Windows1252.h"
#include "import/SalesImport.h"
#include "tables/ApplicationTables.h"
#include "tables/Rows.h"
#include "tests/common/TempFolder.h"

using offrel::Money;
using offrel::W;
using ::testing::ElementsAre;

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
    // Each line passed over, or each note, as "line text".
    static std::vector<std::string> Passed(const offrel::SalesImportReport& report) {
        return Numbered(report.passedOver);
    }
    static std::vector<std::string> Notes(const offrel::SalesImportReport& report) {
        return Numbered(report.notes);
    }
    static std::vector<std::string> Numbered(const std::vector<offrel::PassedOverLine>& lines) {
        std::vector<std::string> numbered;
        for (const offrel::PassedOverLine& line : lines)
            numbered.push_back(std::to_string(line.line) + " " + line.reason);
        return numbered;
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

TEST_F(SalesImport, MarksCountOnlyAsAnExactYAndOtherTextsAreNoted) {
    const std::string p = photo_;
    const offrel::SalesImportReport report = Import(
        Line({"1", "a", "", "d", p, "", "", "1", "y", "3", "Y", "Y", " Y", "Yes", "Y", "", "Y",
              "Y"}) +
        Line({"1", "b", "", "d", p, "", "", "1", " Y", "10", "Oui", "", "", "", "", "Y", "X"}));
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
    EXPECT_TRUE(At(0, "Option6").IsNull());

    // Both sales came in; what each mark or code was read as is told, line by line.
    EXPECT_EQ(report.imported, 2);
    EXPECT_TRUE(report.passedOver.empty());
    EXPECT_THAT(Notes(report), ElementsAre("2 marque « y » : seul « Y » compte (prix net)",
                                           "2 marque «  Y » : seul « Y » compte (option 2)",
                                           "2 marque « Yes » : seul « Y » compte (option 3)",
                                           "3 marque «  Y » : seul « Y » compte (prix net)",
                                           "3 durée 10 : lue comme 7 jours",
                                           "3 marque « Oui » : seul « Y » compte (renouvellement)",
                                           "3 marque « X » : seul « Y » compte (option 6)"));
}

TEST_F(SalesImport, DurationsOtherThanThreeFiveOrSevenAreReadAsSevenDaysAndSaidSo) {
    const offrel::SalesImportReport report =
        Import(Line({"1", "a", "", "d", photo_, "", "", "1", "", "4"}) +
               Line({"1", "b", "", "d", photo_, "", "", "1", "", "5"}) +
               Line({"1", "c", "", "d", photo_, "", "", "1", "", "0"}));
    EXPECT_EQ(Titles(), (std::vector<std::string>{"c", "b", "a"}));
    for (const int row : {0, 2}) EXPECT_EQ(At(row, "DureeTypeVente").AsInteger(), 3);
    EXPECT_EQ(At(1, "DureeTypeVente").AsInteger(), 2);
    EXPECT_THAT(Notes(report),
                ElementsAre("2 durée 4 : lue comme 7 jours", "4 durée 0 : lue comme 7 jours"));
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
        Line({"1", "t", "", "d", p, "", "", "abc", "", "abc"}) +      // before the duration
        Sale("last"));
    EXPECT_EQ(Titles(), (std::vector<std::string>{"last", "first"}));
    EXPECT_EQ(report.imported, 2);
    EXPECT_FALSE(report.stop);
    EXPECT_THAT(
        Passed(report),
        ElementsAre("5 la catégorie est vide", "6 le titre est vide", "7 la description est vide",
                    "8 la première photo est vide", "9 le prix est vide", "10 la durée est vide",
                    "11 la catégorie « 0 » est inférieure à 1",
                    "12 la catégorie « -3 » est inférieure à 1",
                    "13 la photo « " + missing + " » est introuvable",
                    "14 la photo « " + folder_.Path().string() + " » est introuvable",
                    "15 le prix « 0 » n'est pas supérieur à zéro",
                    "16 le prix « -5 » n'est pas supérieur à zéro",
                    "17 la photo « " + missing + " » est introuvable", "18 la durée est vide",
                    "19 le prix « abc » ne se lit pas comme un montant"));
    EXPECT_TRUE(report.notes.empty());
}

TEST_F(SalesImport, AFirstLineThatReadsAsASaleIsToldItWasTakenForTheHeader) {
    const offrel::SalesImportReport empty =
        offrel::ReadVentesFromCSV(sales_, folder_.Write("a.csv", ""));
    EXPECT_TRUE(empty.Complete());
    const offrel::SalesImportReport header =
        offrel::ReadVentesFromCSV(sales_, folder_.Write("b.csv", kHeader));
    EXPECT_TRUE(header.Complete());
    // A first line that lacks a value, or does not convert, was a header of some kind.
    const std::string p = photo_;
    EXPECT_TRUE(
        offrel::ReadVentesFromCSV(
            sales_, folder_.Write("c.csv", Line({"12", "t", "", "d", p, "", "", "", "", "7"})))
            .Complete());
    EXPECT_TRUE(offrel::ReadVentesFromCSV(
                    sales_, folder_.Write("d.csv", Line({"Catégorie", "Titre", "", "d", p, "", "",
                                                         "10", "", "7"})))
                    .Complete());

    const offrel::SalesImportReport noHeader =
        offrel::ReadVentesFromCSV(sales_, folder_.Write("e.csv", Sale("lost") + Sale("kept")));
    EXPECT_EQ(Titles(), std::vector<std::string>{"kept"});
    EXPECT_EQ(noHeader.imported, 1);
    EXPECT_THAT(Passed(noHeader),
                ElementsAre("1 cette ligne se lit comme une vente entière : elle a été prise pour "
                            "la ligne d'en-tête et n'a pas été importée"));
}

TEST_F(SalesImport, CategoriesAndDurationsThatDoNotConvertStopTheImportNamingTheirTextAndLine) {
    const std::string p = photo_;
    EXPECT_EQ(Failure(Sale("a") + Line({"abc", "t", "", "d", p, "", "", "1", "", "3"}) + Sale("b")),
              "3: 'abc' n'est pas une valeur entière correcte");
    EXPECT_EQ(Failure(Line({"1", "t", "", "d", p, "", "", "1", "", "sept"}) + Sale("c")),
              "2: 'sept' n'est pas une valeur entière correcte");
    // The cell shows as the file holds it, a UTF-8 one as well as a Windows-1252 one.
    EXPECT_EQ(Failure(Line({"1", "t", "", "d", p, "", "", "1", "", "7 jours été"})),
              "2: '7 jours été' n'est pas une valeur entière correcte");
    EXPECT_EQ(Failure(Line({"1", "t", "", "d", p, "", "", "1", "", W("7 jours été")})),
              "2: '7 jours été' n'est pas une valeur entière correcte");
    // Only the lines before each stop were imported, and nothing is left half-filled.
    EXPECT_EQ(Titles(), std::vector<std::string>{"a"});
    EXPECT_EQ(sales_.State(), offrel::TableState::Browse);
}

TEST_F(SalesImport, PricesReadAsTheSpreadsheetShowsThemAndAnUnreadableOneOnlyLosesItsLine) {
    const std::string p = photo_;
    const offrel::SalesImportReport report =
        Import(Line({"1", "a", "", "d", p, "", "",
                     "1\xC2\xA0"
                     "200,00\xC2\xA0\xE2\x82\xAC",
                     "", "3"}) +
               Line({"1", "b", "", "d", p, "", "",
                     "1\xA0"
                     "200,00 \x80",
                     "", "3"}) +
               Line({"1", "c", "", "d", p, "", "", "12,50 €", "", "3"}) +
               Line({"1", "d", "", "d", p, "", "", "1.200,00", "", "3"}) +
               Line({"1", "e", "", "d", p, "", "", "douze €", "", "3"}) +
               Line({"1", "f", "", "d", p, "", "",
                     "1\xE2\x80\xAF"
                     "234\xE2\x80\xAF"
                     "567,89 €",
                     "", "3"}) +
               Line({"1", "g", "", "d", p, "", "", "1 2,5", "", "3"}) + Sale("h"));
    EXPECT_EQ(Titles(), (std::vector<std::string>{"h", "f", "d", "c", "b", "a"}));
    EXPECT_EQ(At(5, "Prix").AsCurrency(), Money::FromTicks(12000000));
    EXPECT_EQ(At(4, "Prix").AsCurrency(), Money::FromTicks(12000000));
    EXPECT_EQ(At(3, "Prix").AsCurrency(), Money::FromTicks(125000));
    EXPECT_EQ(At(2, "Prix").AsCurrency(), Money::FromTicks(12000000));
    EXPECT_EQ(At(1, "Prix").AsCurrency(), Money::FromTicks(12345678900));
    EXPECT_FALSE(report.stop);
    EXPECT_THAT(Passed(report), ElementsAre("6 le prix « douze € » ne se lit pas comme un montant",
                                            "8 le prix « 1 2,5 » ne se lit pas comme un montant"));
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

TEST_F(SalesImport, TextsAreDecodedFromUtf8WhenTheyCanBeAndFromWindows1252Otherwise) {
    const std::string utf8 = "Théière émaillée";  // the source is UTF-8
    const std::string latin = W("RÉF-é1");
    Import(Line({"1", utf8, utf8, utf8, photo_, "", "", "1", "", "3"}) +
           Line({"1", latin, latin, latin, photo_, "", "", "1", "", "3"}));
    EXPECT_EQ(At(1, "Libelle").AsString(), W(utf8));
    EXPECT_EQ(At(1, "Reference").AsString(), W(utf8));
    EXPECT_EQ(At(1, "Description").AsString(), W(utf8));
    EXPECT_EQ(At(0, "Libelle").AsString(), latin);
    EXPECT_EQ(At(0, "Reference").AsString(), latin);  // a reference is decoded as the title is
    EXPECT_EQ(At(0, "Description").AsString(), latin);
}

TEST_F(SalesImport, CharactersTheSiteCannotReceiveBecomeQuestionMarksAndAreNamed) {
    const offrel::SalesImportReport report = Import(
        Line({"1", "Vélo enfant 🚲 état neuf", "中", "✓ révisé ✓ 🚲", photo_, "", "", "1", "", "3"}) +
        Line({"1", "Cœur à 20 €", "", "d", photo_, "", "", "1", "", "3"}));
    EXPECT_EQ(At(1, "Libelle").AsString(), W("Vélo enfant ? état neuf"));
    EXPECT_EQ(At(1, "Reference").AsString(), "?");
    EXPECT_EQ(At(1, "Description").AsString(), W("? révisé ? ?"));
    EXPECT_EQ(At(0, "Libelle").AsString(), W("Cœur à 20 €"));
    const std::string replaced =
        " contient des caractères que le site ne peut pas recevoir, remplacés par « ? » : ";
    EXPECT_THAT(Notes(report),
                ElementsAre("2 le titre" + replaced + "🚲", "2 la référence" + replaced + "中",
                            "2 la description" + replaced + "✓ 🚲"));
}

TEST_F(SalesImport, LongTextsAreCutSayingSoAndShortLinesLeaveTheRestEmpty) {
    const offrel::SalesImportReport report =
        Import(Line({"1", std::string(300, 't'), std::string(256, 'r'), std::string(119548, 'd'),
                     photo_, "", "", "1", "", "3"}) +
               Line({"1", std::string(255, 't'), "", std::string(4096, 'd'), photo_, "", "", "1",
                     "", "3"}));
    EXPECT_EQ(At(1, "Libelle").AsString(), std::string(255, 't'));
    EXPECT_EQ(At(1, "Reference").AsString(), std::string(255, 'r'));
    EXPECT_EQ(At(1, "Description").AsString(), std::string(4096, 'd'));
    EXPECT_TRUE(At(1, "Renouvelable").IsNull());
    EXPECT_TRUE(At(1, "Option7").IsNull());
    EXPECT_EQ(At(0, "Description").AsString(), std::string(4096, 'd'));
    EXPECT_THAT(Notes(report),
                ElementsAre("2 le titre a 300 caractères : seuls les 255 premiers sont gardés",
                            "2 la référence a 256 caractères : seuls les 255 premiers sont gardés",
                            "2 la description a 119548 caractères : seuls les 4096 premiers sont "
                            "gardés"));
}

TEST_F(SalesImport, MissingSecondAndThirdPhotosAreLeftOutSayingSo) {
    const std::string second = folder_.Write("b.jpg", "x");
    const offrel::SalesImportReport report =
        Import(Line({"1", "t", "", "d", photo_, folder_ / "absent.jpg", second, "1", "", "3"}) +
               Line({"1", "u", "", "d", photo_, second, folder_ / "partie.jpg", "1", "", "3"}));
    ASSERT_EQ(sales_.RecordCount(), 2);
    EXPECT_TRUE(At(1, "Photo2").IsNull());
    EXPECT_EQ(At(1, "Photo3").AsString(), second);
    EXPECT_EQ(At(0, "Photo2").AsString(), second);
    EXPECT_TRUE(At(0, "Photo3").IsNull());
    EXPECT_THAT(Notes(report),
                ElementsAre("2 la photo 2 « " + (folder_ / "absent.jpg") +
                                " » est introuvable ; la vente est importée sans elle",
                            "3 la photo 3 « " + (folder_ / "partie.jpg") +
                                " » est introuvable ; la vente est importée sans elle"));
}

TEST_F(SalesImport, RelativePhotoPathsAreTakenFromTheSheetsFolderAndStoredWhole) {
    std::filesystem::create_directories(folder_.Path() / "Ventes" / "Images");
    const std::string photo = folder_.Write("Ventes/Images/vélo.jpg", "JPEG");
    const std::string sheet =
        folder_.Write("Ventes/ventes.csv",
                      kHeader + Line({"1", "r", "", "d", "Images/vélo.jpg", "./Images/vélo.jpg",
                                      "../Ventes/Images/vélo.jpg", "1", "", "3"}));
    // The working directory plays no part.
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path("/");
    const offrel::SalesImportReport report = offrel::ReadVentesFromCSV(sales_, sheet);
    std::filesystem::current_path(before);
    EXPECT_TRUE(report.Complete());
    ASSERT_EQ(sales_.RecordCount(), 1);
    for (const char* field : {"Photo1", "Photo2", "Photo3"})
        EXPECT_EQ(At(0, field).AsString(), W(photo)) << field;
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
    const std::string cannot =
        " » contient des caractères que l'application ne sait pas enregistrer";
    EXPECT_THAT(Passed(report), ElementsAre("2 le chemin de la photo « " + cyrillic + cannot));
    // A second photo of that kind is left out like a missing one.
    ASSERT_EQ(Titles(), std::vector<std::string>{"u"});
    EXPECT_TRUE(At(0, "Photo2").IsNull());
    EXPECT_THAT(Notes(report), ElementsAre("3 le chemin de la photo 2 « " + cyrillic + cannot +
                                           " ; la vente est importée sans elle"));
}

TEST_F(SalesImport, TheFurtherColumnsOfAnExportedSheetFillTheRestOfTheSale) {
    const std::string photo4 = folder_.Write("photo 4.jpg", "JPEG");
    std::vector<std::string> eighteen = {"12", "t", "", "d", photo_, "", "", "10", "",
                                         "7",  "",  "", "",  "",     "", "", "",   ""};
    auto further = eighteen;
    further.insert(further.end(),
                   {"34", "56", photo4, "", "", "", photo_, "3", "12,5", "Y", "après la fin"});
    // Empty further columns leave the sale as the 18 columns make it.
    auto empty = eighteen;
    empty.insert(empty.end(), 10, "");
    std::string lines;
    for (const auto* columns : {&eighteen, &empty, &further}) {
        std::string line;
        for (const std::string& column : *columns) line += column + ";";
        lines += line + "\r\n";
    }
    const offrel::SalesImportReport report = Import(lines);
    EXPECT_TRUE(report.Complete()) << offrel::ReportText(report);
    ASSERT_EQ(sales_.RecordCount(), 3);

    offrel::Sale full = offrel::ReadSale(sales_, 0);
    EXPECT_EQ(full.categorie, (std::array<std::optional<std::int32_t>, 3>{12, 34, 56}));
    EXPECT_EQ(full.photo[3], photo4);
    EXPECT_FALSE(full.photo[4] || full.photo[5] || full.photo[6]);
    EXPECT_EQ(full.photo[7], photo_);
    EXPECT_EQ(full.quantite, 3);
    EXPECT_EQ(full.prixBoutique, Money::FromTicks(125000));
    EXPECT_EQ(full.option[7], true);

    const offrel::Sale plain = offrel::ReadSale(sales_, 2);
    EXPECT_EQ(offrel::ReadSale(sales_, 1), plain);
    EXPECT_EQ(plain.quantite, 1);
    EXPECT_FALSE(plain.categorie[1] || plain.categorie[2] || plain.photo[3] || plain.photo[7] ||
                 plain.prixBoutique || plain.option[7]);
    // Only the further columns differ.
    full.categorie = plain.categorie;
    full.photo = plain.photo;
    full.quantite = plain.quantite;
    full.prixBoutique = plain.prixBoutique;
    full.option[7] = plain.option[7];
    EXPECT_EQ(full, plain);
}

TEST_F(SalesImport, FurtherColumnsThatDoNotReadAreLeftOutSayingSoAndNeverStopTheImport) {
    const offrel::SalesImportReport report = Import(
        Line({"12", "t", "", "d",  photo_,     "", "", "10",  "",  "7", "",
              "",   "",  "", "",   "",         "", "", "abc", "0", "",  folder_ / "absente.jpg",
              "",   "",  "", "-2", "beaucoup", "y"}) +
        Line({"12", "u", "", "d", photo_, "", "", "10", "", "7", "", "", "",
              "",   "",  "", "",  "",     "", "", "",   "", "",  "", "", "2,5"}) +
        Sale("suivante"));
    EXPECT_THAT(
        Notes(report),
        ElementsAre("2 la catégorie 2 « abc » n'est pas un nombre entier d'au moins 1 ; la vente "
                    "est importée sans elle",
                    "2 la catégorie 3 « 0 » n'est pas un nombre entier d'au moins 1 ; la vente "
                    "est importée sans elle",
                    "2 la photo 5 « " + (folder_ / "absente.jpg") +
                        " » est introuvable ; la vente est importée sans elle",
                    "2 la quantité « -2 » n'est pas un nombre entier d'au moins 1 ; elle est lue "
                    "comme 1",
                    "2 le prix boutique « beaucoup » ne se lit pas comme un montant ; il est "
                    "laissé vide",
                    "2 marque « y » : seul « Y » compte (option 8)",
                    "3 la quantité « 2,5 » n'est pas un nombre entier d'au moins 1 ; elle est lue "
                    "comme 1"));
    EXPECT_FALSE(report.stop);
    ASSERT_EQ(Titles(), (std::vector<std::string>{"suivante", "u", "t"}));
    const offrel::Sale sale = offrel::ReadSale(sales_, 2);
    EXPECT_FALSE(sale.categorie[1] || sale.categorie[2] || sale.photo[4] || sale.prixBoutique ||
                 sale.option[7]);
    EXPECT_EQ(sale.quantite, 1);
}

TEST(SalesImportReport, SaysHowManySalesCameInEachLineThatDidNotAndWhatChanged) {
    offrel::SalesImportReport report;
    report.imported = 1;
    EXPECT_EQ(offrel::ReportText(report), "1 vente importée.");
    report.imported = 0;
    report.passedOver = {{5, "le prix est vide"}};
    EXPECT_EQ(offrel::ReportText(report),
              "0 vente importée, 1 ligne non importée :\n\nLigne 5 : le prix est vide");
    report.imported = 3;
    report.stop = offrel::PassedOverLine{12, "'abc' n'est pas une valeur entière correcte"};
    report.notes = {{2, "durée 4 : lue comme 7 jours"}, {3, "le titre a 300 caractères"}};
    EXPECT_EQ(offrel::ReportText(report),
              "3 ventes importées, 2 lignes non importées :\n\nLigne 5 : le prix est vide\n"
              "Ligne 12 : 'abc' n'est pas une valeur entière correcte\n\nL'import s'est arrêté à "
              "la ligne 12 ; les lignes suivantes n'ont pas été lues.\n\n"
              "Remarques sur les ventes importées :\n\nLigne 2 : durée 4 : lue comme 7 jours\n"
              "Ligne 3 : le titre a 300 caractères");
    report.passedOver.clear();
    report.stop.reset();
    EXPECT_EQ(offrel::ReportText(report),
              "3 ventes importées.\n\nRemarques sur les ventes importées :\n\n"
              "Ligne 2 : durée 4 : lue comme 7 jours\nLigne 3 : le titre a 300 caractères");
}

namespace {

// A seller's sheet saved by a spreadsheet (see data/README.md), imported from the folder that
// holds its photos, whatever the working directory.
class SpreadsheetImport : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        for (const char* photo :
             {"Images/Été 2026/vélo.jpg", "Images/Été 2026/vélo détail.jpg",
              "Images/Été 2026/cœur.jpg", "Images/Maison/lampe.jpg", "Images/Maison/affiche.jpg"}) {
            std::filesystem::create_directories((folder_.Path() / photo).parent_path());
            folder_.Write(photo, "\xFF\xD8\xFF");
        }
        sales_.Open();
    }

    // The sheet named by the test's parameter ("file:variant"), imported from the photos' folder.
    offrel::SalesImportReport ImportSheet() {
        const std::string param = GetParam();
        const std::string file = param.substr(0, param.find(':'));
        const std::string variant = param.substr(param.find(':') + 1);
        return offrel::ReadVentesFromCSV(
            sales_, folder_.Write("ventes.csv", AsSaved(Sheet(file.c_str()), variant)));
    }
    bool Utf8() const { return std::string(GetParam()).find("utf8") != std::string::npos; }
    // A photo path of the sheet as stored: whole, in Windows-1252.
    std::string Stored(const char* relative) const { return W(folder_ / relative); }

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

    // As the spreadsheet saved it, as a Windows editor would keep it (CR LF), and with a UTF-8
    // byte-order mark in front.
    static std::string AsSaved(const std::string& sheet, const std::string& variant) {
        if (variant == "crlf") {
            std::string crlf;
            for (const char c : sheet) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
            return crlf;
        }
        if (variant == "bom") return "\xEF\xBB\xBF" + sheet;
        return sheet;
    }

    offrel::testing::TempFolder folder_;
    offrel::ApplicationTables tables_;
    offrel::Table& sales_ = tables_.cdsVente;
};

}  // namespace

TEST_P(SpreadsheetImport, EveryGoodLineIsImportedAndTheOthersAreReported) {
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path("/");
    const offrel::SalesImportReport report = ImportSheet();
    std::filesystem::current_path(before);

    EXPECT_EQ(report.imported, 5);
    EXPECT_FALSE(report.stop);
    EXPECT_EQ(offrel::ReportText(report),
              "5 ventes importées, 3 lignes non importées :\n\n"
              "Ligne 5 : la photo « Images/absente.jpg » est introuvable\n"
              "Ligne 7 : le prix est vide\n"
              "Ligne 8 : la catégorie « 0 » est inférieure à 1");
    ASSERT_EQ(sales_.RecordCount(), 5);

    const std::string velo = W("Vélo de course");
    EXPECT_EQ(Text(velo, "Description"), W("Cadre alu, très bon état"));
    EXPECT_EQ(Text(velo, "Photo1"), Stored("Images/Été 2026/vélo.jpg"));
    EXPECT_EQ(Text(velo, "Photo2"), Stored("Images/Été 2026/vélo détail.jpg"));
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
    EXPECT_EQ(Text(coeur, "Photo1"), Stored("Images/Été 2026/cœur.jpg"));
    EXPECT_EQ(Sale(coeur).FieldByName("Prix").AsCurrency(), Money::FromTicks(12345000));
    // The reference is read as the title is, from either file.
    EXPECT_EQ(Text(coeur, "Reference"), W("CŒUR-5"));

    const std::string derniere = W("Dernière vente");
    EXPECT_EQ(Text(derniere, "Description"),
              "Description \"entre guillemets\"\r\net sur deux lignes");
    EXPECT_EQ(Text(derniere, "Photo3"), Stored("Images/Maison/affiche.jpg"));
    EXPECT_EQ(Sale(derniere).FieldByName("Prix").AsCurrency(), Money::FromTicks(9900));
}

INSTANTIATE_TEST_SUITE_P(CalcSheets, SpreadsheetImport,
                         ::testing::Values("ventes-calc-utf8.csv:lf", "ventes-calc-utf8.csv:crlf",
                                           "ventes-calc-utf8.csv:bom",
                                           "ventes-calc-windows1252.csv:lf",
                                           "ventes-calc-windows1252.csv:crlf"));

// The sheet of what the import must not change without a word, as Calc and as Excel save it.
class RemarksSheet : public SpreadsheetImport {};

TEST_P(RemarksSheet, WhatASaleDoesNotKeepAsWrittenIsReportedLineByLine) {
    const offrel::SalesImportReport report = ImportSheet();
    const std::string replaced =
        " contient des caractères que le site ne peut pas recevoir, remplacés par « ? » : ";
    // The Windows-1252 files hold "?" already: the spreadsheet could not write those characters.
    const std::string lost = Utf8() ? "Ligne 2 : le titre" + replaced + "🚲\n" +
                                          "Ligne 2 : la description" + replaced + "✓\n"
                                    : "";
    EXPECT_EQ(offrel::ReportText(report),
              "3 ventes importées, 1 ligne non importée :\n\n"
              "Ligne 4 : le prix « douze euros » ne se lit pas comme un montant\n\n"
              "Remarques sur les ventes importées :\n\n" +
                  lost +
                  "Ligne 2 : la photo 2 « Images/Été 2026/absente.jpg » est introuvable ; la vente "
                  "est importée sans elle\n"
                  "Ligne 2 : marque « Oui » : seul « Y » compte (prix net)\n"
                  "Ligne 2 : durée 4 : lue comme 7 jours\n"
                  "Ligne 2 : marque « X » : seul « Y » compte (renouvellement)\n"
                  "Ligne 2 : marque « y » : seul « Y » compte (option 1)\n"
                  "Ligne 3 : la photo 3 « Images/Maison/manque.jpg » est introuvable ; la vente "
                  "est importée sans elle\n"
                  "Ligne 3 : durée 10 : lue comme 7 jours\n"
                  "Ligne 5 : le titre a 296 caractères : seuls les 255 premiers sont gardés");
    ASSERT_EQ(sales_.RecordCount(), 3);

    const std::string velo = W("Vélo enfant ? état neuf");
    EXPECT_EQ(Text(velo, "Reference"), W("RÉF-é1"));
    EXPECT_EQ(Text(velo, "Description"), W("Roues 16 pouces ? révisé"));
    EXPECT_EQ(Text(velo, "Photo1"), Stored("Images/Été 2026/vélo.jpg"));
    EXPECT_TRUE(Sale(velo).FieldByName("Photo2").IsNull());
    EXPECT_EQ(Sale(velo).FieldByName("Prix").AsCurrency(), Money::FromTicks(12000000));
    EXPECT_EQ(Sale(velo).FieldByName("TypeVente").AsInteger(), 1);
    EXPECT_EQ(Sale(velo).FieldByName("DureeTypeVente").AsInteger(), 3);
    EXPECT_TRUE(Sale(velo).FieldByName("Renouvelable").IsNull());
    EXPECT_TRUE(Sale(velo).FieldByName("Option1").IsNull());

    EXPECT_EQ(Text("Lampe de bureau", "Reference"), W("LAM-é2"));
    EXPECT_EQ(Sale("Lampe de bureau").FieldByName("Prix").AsCurrency(), Money::FromTicks(125000));
    EXPECT_TRUE(Sale("Lampe de bureau").FieldByName("Photo3").IsNull());

    for (int r = 0; r < sales_.RecordCount(); ++r) {
        sales_.MoveTo(r);
        if (!sales_.FieldByName("Libelle").AsString().starts_with(W("Cœur "))) continue;
        EXPECT_EQ(sales_.FieldByName("Libelle").AsString().size(), 255u);
        EXPECT_EQ(sales_.FieldByName("Prix").AsCurrency(), Money::FromTicks(12345675000));
        EXPECT_EQ(sales_.FieldByName("Reference").AsString(), W("CŒUR-5"));
    }
}

INSTANTIATE_TEST_SUITE_P(CalcAndExcelSheets, RemarksSheet,
                         ::testing::Values("remarques-calc-utf8.csv:lf",
                                           "remarques-calc-windows1252.csv:crlf",
                                           "remarques-excel-utf8.csv:as-saved",
                                           "remarques-excel-windows1252.csv:as-saved"));
