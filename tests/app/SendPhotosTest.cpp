// "Réduire les photos" in the send window: remembered from one run to the next, and the weight of
// the batch's photos (those of the selection sent, when one is) on a line of its own, the reduced
// weight coming once it is known.
#include <QCheckBox>
#include <QFileInfo>
#include <QLabel>
#include <memory>

#include "AppFixture.h"
#include "TestMain.h"
#include "app/Forms.h"
#include "app/TForm5.h"
#include "gui/QtText.h"
#include "photo/PhotoReduction.h"
#include "tables/Table.h"
#include "tests/photo/TestPhotos.h"

class SendPhotosTest : public QObject {
    Q_OBJECT

private slots:
    void init() { fixture_ = std::make_unique<AppFixture>(); }
    void cleanup() { fixture_.reset(); }

    void theChoiceIsOffAtFirstAndRememberedAcrossARestart();
    void thePhotosLineWeighsThemAndTheirReducedWeightLater();
    void aSelectionSentWeighsOnlyItsPhotos();

private:
    QCheckBox* Box() const {
        return Form5->findChild<QCheckBox*>(QStringLiteral("CheckBoxReduirePhotos"));
    }
    // Alt+R in the shown window, once its box has shown the click.
    void PressAltR() {
        Form5->show();
        Form5->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(Form5));
        const bool was = Box()->isChecked();
        QTest::keyClick(Form5, Qt::Key_R, Qt::AltModifier);
        QTRY_VERIFY(Box()->isChecked() != was);
    }
    QString PhotosLine() const {
        return Form5->findChild<QLabel*>(QStringLiteral("LabelPhotos"))->text();
    }
    // A sale with the photos in slots 1, 2...
    void AddSaleWithPhotos(const char* title, const std::vector<QString>& photos) {
        AddSale(fixture_->Sales(), title);
        offrel::Table& sales = fixture_->Sales();
        sales.Last();
        sales.Edit();
        for (std::size_t k = 0; k < photos.size(); ++k)
            sales.FieldByName("Photo" + std::to_string(k + 1)).SetAsString(ToW1252(photos[k]));
        sales.Post();
    }

    std::unique_ptr<AppFixture> fixture_;
};

void SendPhotosTest::theChoiceIsOffAtFirstAndRememberedAcrossARestart() {
    fixture_->Start();
    QVERIFY(!Box()->isChecked());
    PressAltR();
    Form5->hide();

    fixture_->program.reset();
    fixture_->Start();
    QVERIFY(Box()->isChecked());
    PressAltR();
    fixture_->program.reset();
    fixture_->Start();
    QVERIFY(!Box()->isChecked());
}

void SendPhotosTest::thePhotosLineWeighsThemAndTheirReducedWeightLater() {
    fixture_->Start();
    const QString large = fixture_->FilePath("grande.jpg");
    const QString damaged = fixture_->FilePath("abimee.jpg");
    offrel::testing::WriteJpeg(ToW1252(large), 3000, 2000, offrel::testing::PhoneLike);
    // 3 Mo that no decoder reads: they go, and weigh, as they are.
    fixture_->WriteFile("abimee.jpg",
                        std::string("\xFF\xD8\xFF\xE0", 4) + std::string(3 * 1024 * 1024, '\x5A'));
    const qint64 largeBytes = QFileInfo(large).size();
    AddSaleWithPhotos("Lampe", {large, damaged});
    AddSaleWithPhotos("Vase", {large});

    Form5->show();
    const QString asTheyAre =
        QStringLiteral("photos : %1 Mo")
            .arg((2 * largeBytes + 3 * 1024 * 1024 + 512 * 1024) / (1024 * 1024));
    QTRY_COMPARE(PhotosLine(), asTheyAre);
    PressAltR();
    // The large photo counts as it goes, twice; the damaged one whole.
    const qint64 reduced =
        2 * static_cast<qint64>(offrel::ReducedPhoto(ToW1252(large)).value().size()) +
        3 * 1024 * 1024;
    QVERIFY(reduced < 2 * largeBytes + 3 * 1024 * 1024);
    QTRY_COMPARE(
        PhotosLine(),
        asTheyAre +
            QStringLiteral(" (réduites : %1 Mo)").arg((reduced + 512 * 1024) / (1024 * 1024)));
}

// The line weighs what "Démarrer" sends: the selected sales' photos, then every sale's again.
void SendPhotosTest::aSelectionSentWeighsOnlyItsPhotos() {
    fixture_->Start();
    const auto photo = [this](const char* name, int megabytes) {
        fixture_->WriteFile(name, std::string("\xFF\xD8", 2) +
                                      std::string(megabytes * 1024 * 1024 - 4, '\x5A') +
                                      std::string("\xFF\xD9", 2));
        return fixture_->FilePath(name);
    };
    AddSaleWithPhotos("Lampe", {photo("lampe.jpg", 3)});
    AddSaleWithPhotos("Vase", {photo("vase1.jpg", 5), photo("vase2.jpg", 2)});
    AddSaleWithPhotos("Table", {photo("table.jpg", 7)});

    Form5->SetSelection(std::vector<int>{0, 2});
    Form5->show();
    QTRY_COMPARE(PhotosLine(), QStringLiteral("photos : 10 Mo"));
    Form5->hide();
    Form5->SetSelection(std::vector<int>{1});
    Form5->show();
    QTRY_COMPARE(PhotosLine(), QStringLiteral("photos : 7 Mo"));
    Form5->hide();
    Form5->SetSelection(std::nullopt);
    Form5->show();
    QTRY_COMPARE(PhotosLine(), QStringLiteral("photos : 17 Mo"));
}

OFFREL_TEST_MAIN(SendPhotosTest)
#include "SendPhotosTest.moc"
