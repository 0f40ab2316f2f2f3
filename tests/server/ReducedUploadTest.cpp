// The upload with "Réduire les photos" ticked, against the stand-in site: what the site stores is
// what the seller's buyers will see.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "base/Windows1252.h"
#include "server/SalesUpload.h"
#include "tables/ApplicationTables.h"
#include "tables/Rows.h"
#include "tests/common/TempFolder.h"
#include "tests/photo/TestPhotos.h"
#include "tests/server/RawServer.h"
#include "tests/server/RecordingViews.h"
#include "tests/site/SiteProcess.h"

namespace fs = std::filesystem;

namespace offrel {
namespace {

constexpr int kCategory = 19872;  // in the site's shipped catalogue

class ReducedUploadTest : public ::testing::Test {
protected:
    ReducedUploadTest() {
        tables.cdsVente.Open();
        tables.cdsVente.SetFileName(folder / "Ventes.cds");
    }

    // title: empty for a sale that the site refuses.
    void AddSale(const std::vector<std::string>& photos,
                 const std::string& title = "Appareil photo") {
        Sale sale;
        sale.libelle = title;
        sale.description = "Comme neuf";
        sale.prix = Money::FromTicks(125000);
        sale.quantite = 1;
        sale.dureeTypeVente = Duration::ThreeDays;
        sale.typeVente = SaleType::Auction;
        sale.categorie[0] = kCategory;
        for (std::size_t k = 0; k < photos.size(); ++k) sale.photo[k] = photos[k];
        tables.cdsVente.Append();
        WriteSale(tables.cdsVente, sale);
        tables.cdsVente.Post();
    }

    // A phone's photo stored on its side: the Exif orientation says how it shows upright.
    std::string PhonePhoto(const std::string& name, int width, int height, int orientation) {
        const std::string path = folder / name;
        testing::WriteJpeg(path, width, height, testing::Quadrants(width, height));
        testing::SetExifOrientations({{path, orientation}});
        return path;
    }

    // The stored file of the photo sent in the part, in the sale folder of that number.
    fs::path Received(int sale, int photo) const {
        char number[8];
        std::snprintf(number, sizeof number, "%06d", sale);
        return store / number / ("photo" + std::to_string(photo) + ".jpg");
    }

    void Run(bool reduce) {
        UploadChoices choices;
        choices.reducePhotos = reduce;
        RunSalesUpload(tables.cdsVente, tables.cdsCategorie, "demo", "demo", view, std::nullopt,
                       choices);
        ASSERT_EQ(view.messages.back(), W("L'envoi de vos ventes est réussi !"));
        ASSERT_EQ(tables.cdsVente.RecordCount(), 0);
    }

    testing::TempFolder folder;
    fs::path store = folder.Path() / "site";
    SiteProcess site{store};
    ScopedServerUrl url{"http://127.0.0.1:" + std::to_string(site.Port()) + "/offrel.php"};
    ApplicationTables tables;
    RecordingUploadView view;
};

TEST_F(ReducedUploadTest, LargePhotosArriveUprightAt2048PixelsOthersByteForByte) {
    const std::string turned = PhonePhoto("tourne.jpg", 3000, 2000, 6);
    const std::string mirrored = PhonePhoto("miroir.jpg", 2600, 1800, 4);
    const std::string small = PhonePhoto("petite.jpg", 800, 600, 8);
    // Over 2 MB but no picture that can be decoded: the site decides. It ends as a JPEG file
    // does, which is all the check before the upload asks of it.
    const std::string broken =
        folder.Write("abimee.jpg", std::string("\xFF\xD8\xFF\xE0", 4) +
                                       std::string(2200000, '\x5A') + std::string("\xFF\xD9", 2));
    AddSale({turned, small});
    AddSale({broken, mirrored});  // prepared while the first sale uploads
    Run(true);

    const std::vector<std::string> sent = {Received(1, 1), turned, Received(2, 2), mirrored};
    const std::vector<testing::Pixels> views = testing::ImageMagickViews(sent, "-auto-orient");
    EXPECT_EQ(views[0].width, 1365);
    EXPECT_EQ(views[0].height, 2048);
    EXPECT_EQ(views[2].width, 2048);
    EXPECT_EQ(views[2].height, 1418);
    for (std::size_t k = 0; k < sent.size(); k += 2) {
        SCOPED_TRACE(sent[k + 1]);
        // Upright in the pixels themselves: a site that ignores Exif shows it the same.
        const testing::Pixels plain = testing::ImageMagickView(sent[k], "");
        const std::vector<testing::Rgb> got = testing::QuarterCentres(plain);
        const std::vector<testing::Rgb> upright = testing::QuarterCentres(views[k + 1]);
        for (std::size_t quarter = 0; quarter < 4; ++quarter)
            EXPECT_TRUE(testing::Near(got[quarter], upright[quarter])) << "quarter " << quarter;
    }
    EXPECT_EQ(testing::FileContents(Received(1, 2)), testing::FileContents(small));
    EXPECT_EQ(testing::FileContents(Received(2, 1)), testing::FileContents(broken));
    // The seller's files are only read.
    EXPECT_EQ(testing::ImageMagickView(turned, "").width, 3000);
}

// The same photo chosen in two slots is reduced once and arrives whole in both.
TEST_F(ReducedUploadTest, APhotoInTwoSlotsArrivesReducedInBoth) {
    const std::string photo = PhonePhoto("deux-fois.jpg", 3000, 2000, 1);
    AddSale({photo, photo});
    Run(true);
    const std::string first = testing::FileContents(Received(1, 1));
    EXPECT_EQ(testing::ImageMagickView(Received(1, 1), "").width, 2048);
    EXPECT_EQ(testing::FileContents(Received(1, 2)), first);
}

// The run ends at a refused sale while the next one's photos are being reduced: that work is
// given up, and nothing of it is sent or left running.
TEST_F(ReducedUploadTest, ARunThatEndsEarlyGivesUpThePreparedPhotos) {
    const std::string large = PhonePhoto("grande.jpg", 4000, 3000, 1);
    AddSale({large}, "");
    AddSale({large, large, large, large});
    UploadChoices choices;
    choices.reducePhotos = true;
    RunSalesUpload(tables.cdsVente, tables.cdsCategorie, "demo", "demo", view, std::nullopt,
                   choices);
    EXPECT_EQ(tables.cdsVente.RecordCount(), 2);
    EXPECT_EQ(view.messages.back().rfind(W("0 vente envoyée sur 2. Le site a refusé"), 0), 0u)
        << view.messages.back();
    EXPECT_FALSE(fs::exists(store / "000001"));
}

TEST_F(ReducedUploadTest, UntickedEveryPhotoGoesAsItIs) {
    const std::string turned = PhonePhoto("tourne.jpg", 3000, 2000, 6);
    AddSale({turned});
    Run(false);
    EXPECT_EQ(testing::FileContents(Received(1, 1)), testing::FileContents(turned));
}

}  // namespace
}  // namespace offrel
