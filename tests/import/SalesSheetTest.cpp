// The export of sales to a sheet, read back through the import's own reading of the file.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>

#include "base/Error.h"
#include "base/Windows1252.h"
#include "import/SalesImport.h"
#include "import/SalesSheet.h"
#include "tables/ApplicationTables.h"
#include "tables/Rows.h"
#include "tests/common/RandomSales.h"
#include "tests/common/TempFolder.h"

namespace offrel {
namespace {

using ::testing::ElementsAre;
using ::testing::Field;
using namespace SalesSheetColumn;

constexpr char kHeader[] =
    "\xEF\xBB\xBF"
    "Catégorie;Titre;Référence;Description;Photo 1;Photo 2;Photo 3;Prix;Prix net (Y);"
    "Durée (jours);Renouvellement automatique (Y);Option 1 (Y);Option 2 (Y);Option 3 (Y);"
    "Option 5 (Y);Option 4 (Y);Option 6 (Y);Option 7 (Y);Catégorie 2;Catégorie 3;Photo 4;"
    "Photo 5;Photo 6;Photo 7;Photo 8;Quantité;Prix boutique;Option 8 (Y)\r\n";

std::string SheetOf(const std::vector<Sale>& sales) {
    SalesSheet sheet;
    for (const Sale& sale : sales) sheet.Add(sale);
    return std::string(sheet.Text());
}

// What the import makes of a sale: a mark that is not there leaves its field empty, which reads
// as false.
Sale ImportedForm(Sale sale) {
    for (auto* mark :
         {&sale.renouvelable, &sale.option[0], &sale.option[1], &sale.option[2], &sale.option[3],
          &sale.option[4], &sale.option[5], &sale.option[6], &sale.option[7]})
        if (*mark == false) mark->reset();
    return sale;
}

// Imports the sheet at path and checks that it gives back these sales, field for field, each
// found by its reference (unique in the batch).
void ExpectSameSales(const std::string& path, const std::vector<Sale>& sales) {
    ApplicationTables tables;
    tables.cdsVente.Open();
    const SalesImportReport report = ReadVentesFromCSV(tables.cdsVente, path);
    EXPECT_EQ(report.imported, static_cast<int>(sales.size()));
    EXPECT_TRUE(report.Complete()) << ReportText(report);
    std::map<std::string, Sale> imported;
    for (int row = 0; row < tables.cdsVente.RecordCount(); ++row) {
        Sale sale = ReadSale(tables.cdsVente, row);
        sale.id.reset();  // the table's own number, which a sheet does not carry
        imported[sale.reference.value_or("")] = std::move(sale);
    }
    ASSERT_EQ(imported.size(), sales.size());
    for (const Sale& sale : sales) EXPECT_EQ(imported[*sale.reference], ImportedForm(sale));
}

// The sheet at path opened in LibreOffice Calc as a French seller opens it (";" between fields,
// UTF-8, French locale, the columns of texts and photo paths typed "Texte" in its import dialog,
// since Calc would otherwise take a title such as "100%" for a number and write it back as
// "100.00%") and saved again as CSV with ";"; the path of the saved copy, or nothing without
// Calc.
std::optional<std::string> SavedByCalc(const testing::TempFolder& folder, const std::string& path) {
    if (std::system("command -v soffice >/dev/null 2>&1") != 0) return std::nullopt;
    const std::string options = "59,34,76,1";
    std::string textColumns;  // counted from 1
    for (const int column : {kLibelle, kReference, kDescription, kPhoto1, kPhoto1 + 1, kPhoto1 + 2,
                             kPhoto4, kPhoto4 + 1, kPhoto4 + 2, kPhoto4 + 3, kPhoto4 + 4})
        textColumns += "/" + std::to_string(column + 1) + "/2";
    // A profile of its own, so that no other Calc running at the same time holds it.
    const std::string command =
        "soffice -env:UserInstallation=file://" + (folder / "profil") +
        " --headless --infilter='Text - txt - csv (StarCalc):" + options + "," +
        textColumns.substr(1) + ",1036' --convert-to 'csv:Text - txt - csv (StarCalc):" + options +
        "' --outdir '" + (folder / "calc") + "' '" + path + "' >/dev/null 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    return (std::filesystem::path(folder / "calc") / std::filesystem::path(path).filename())
        .string();
}

TEST(SalesSheet, ASaleIsOneLineOfTwentyEightColumnsAfterTheHeader) {
    Sale sale;
    sale.categorie = {12, 34, 56};
    sale.libelle = W("Vélo \"course\"; rouge");
    sale.reference = "R-1";
    sale.description = "Ligne 1\r\nLigne 2";
    for (int k = 0; k < 8; ++k) sale.photo[k] = "/p/" + std::to_string(k + 1) + ".jpg";
    sale.prix = Money::FromTicks(125000);
    sale.typeVente = SaleType::FixedPrice;
    sale.dureeTypeVente = Duration::FiveDays;
    sale.renouvelable = true;
    sale.option[0] = sale.option[3] = sale.option[7] = true;  // Option4 goes to column 15
    sale.option[4] = false;
    sale.quantite = 3;
    sale.prixBoutique = Money::FromTicks(5);
    EXPECT_EQ(SheetOf({sale, Sale()}),
              std::string(kHeader) +
                  "12;\"Vélo \"\"course\"\"; rouge\";R-1;\"Ligne 1\r\nLigne 2\";/p/1.jpg;/p/2.jpg;"
                  "/p/3.jpg;12,50;Y;5;Y;Y;;;;Y;;;34;56;/p/4.jpg;/p/5.jpg;/p/6.jpg;/p/7.jpg;"
                  "/p/8.jpg;3;0,0005;Y\r\n" +
                  std::string(27, ';') + "\r\n");
}

TEST(SalesSheet, AmountsHaveADecimalCommaAndEveryDecimalTheyHold) {
    const std::pair<std::int64_t, const char*> cases[] = {
        {0, "0,00"},
        {125000, "12,50"},
        {5, "0,0005"},
        {-30000, "-3,00"},
        {123456789, "12345,6789"},
        {Money::Largest().Ticks(), "922337203685477,5807"},
        {-Money::Largest().Ticks(), "-922337203685477,5807"}};
    for (const auto& [ticks, text] : cases) {
        Sale sale;
        sale.prix = Money::FromTicks(ticks);
        const std::string line = SheetOf({sale}).substr(std::string(kHeader).size());
        EXPECT_EQ(line, std::string(7, ';') + text + std::string(20, ';') + "\r\n") << ticks;
    }
    // A code that has no number of days, or no kind of sale the sheet can mark, gives nothing.
    Sale odd;
    odd.dureeTypeVente = static_cast<Duration>(9);
    odd.typeVente = static_cast<SaleType>(7);
    EXPECT_EQ(SheetOf({odd}).substr(std::string(kHeader).size()), std::string(27, ';') + "\r\n");
}

TEST(SalesSheet, AThousandRandomSalesComeBackFieldForFieldThroughOurExportAndThroughCalc) {
    testing::TempFolder folder;
    const std::vector<Sale> sales =
        testing::RandomSales(1000, 21, testing::MakePhotoFiles(folder, 12));
    const std::string path = folder / "ventes.csv";
    SalesSheet sheet;
    for (const Sale& sale : sales) sheet.Add(sale);
    sheet.Save(path);
    {
        SCOPED_TRACE("our export");
        ExpectSameSales(path, sales);
    }
    const std::optional<std::string> calc = SavedByCalc(folder, path);
    if (!calc) GTEST_SKIP() << "LibreOffice (soffice) is not installed";
    SCOPED_TRACE("saved by Calc");
    ExpectSameSales(*calc, sales);
}

TEST(SalesSheet, ASaleTheImportPassesOverIsExportedAndTheReportSaysWhy) {
    testing::TempFolder folder;
    std::vector<Sale> sales = testing::RandomSales(3, 7, testing::MakePhotoFiles(folder, 1));
    sales[0].prix = Money();
    sales[1].photo[0] = "/nulle/part.jpg";
    sales[2].dureeTypeVente.reset();
    const std::string path = folder.Write("ventes.csv", SheetOf(sales));
    ApplicationTables tables;
    tables.cdsVente.Open();
    const SalesImportReport report = ReadVentesFromCSV(tables.cdsVente, path);
    EXPECT_EQ(report.imported, 0);
    EXPECT_THAT(
        report.passedOver,
        ElementsAre(Field(&PassedOverLine::reason, "le prix « 0,00 » n'est pas supérieur à zéro"),
                    Field(&PassedOverLine::reason, "la photo « /nulle/part.jpg » est introuvable"),
                    Field(&PassedOverLine::reason, "la durée est vide")));
}

TEST(SalesSheet, TheChosenSalesOfTheTableOrAllAreExported) {
    testing::TempFolder folder;
    ApplicationTables tables;
    Table& cdsVente = tables.cdsVente;
    cdsVente.Open();
    for (const char* title : {"A", "B", "C"}) {
        cdsVente.Append();
        cdsVente.FieldByName("Libelle").SetAsString(title);
        cdsVente.Post();
    }
    // The titles of the exported lines: their second cell.
    const auto titles = [&](const std::vector<int>& positions) {
        ExportSales(cdsVente, positions, folder / "export.csv");
        const std::string text = testing::FileContents(folder / "export.csv");
        std::vector<std::string> found;
        for (std::size_t line = text.find("\r\n") + 2; line < text.size();
             line = text.find("\r\n", line) + 2) {
            const std::size_t title = text.find(';', line) + 1;
            found.push_back(text.substr(title, text.find(';', title) - title));
        }
        return found;
    };
    EXPECT_THAT(titles({2, 0}), ElementsAre("C", "A"));
    EXPECT_THAT(titles({}), ElementsAre("A", "B", "C"));

    const std::string absent = (folder.Path() / "absent" / "export.csv").string();
    try {
        ExportSales(cdsVente, {}, absent);
        ADD_FAILURE() << "no error";
    } catch (const Error& error) {
        EXPECT_EQ(error.what(), W("Impossible de créer le fichier \"") + absent +
                                    "\". No such file or directory");
    }
    EXPECT_FALSE(std::filesystem::exists(folder / "absent"));
}

}  // namespace
}  // namespace offrel
