#include <QImageWriter>
#include <QThreadPool>
#include <QtTest>

#include "base/Windows1252.h"
#include "tests/editor/EditorFixture.h"
#include "tests/editor/Suites.h"

namespace {

QLabel* Image(QWidget* form, int slot) {
    return Child<QLabel>(form, qPrintable(QString("Image%1").arg(slot)));
}

// A progressive JPEG file, as cameras and phones write them, of a plain colour.
QString ProgressivePhoto(EditorFixture& f, const QString& name, QSize size, QColor colour) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    const QString path = f.folder.filePath(name);
    QImageWriter writer(path, "jpeg");
    writer.setProgressiveScanWrite(true);
    if (!writer.write(image)) qFatal("cannot write %s", qPrintable(path));
    return path;
}

// A sale in the list with these photos, the editor about to change it.
void SaleWithPhotos(EditorFixture& f, const QStringList& photos) {
    f.AddCategoryTree();
    f.AddSale([&](offrel::Table& t) {
        t.FieldByName("Libelle").SetAsString("Appareil");
        t.FieldByName("Description").SetAsString("Complet");
        t.FieldByName("Prix").SetAsCurrency(offrel::StrToCurr("30"));
        t.FieldByName("TypeVente").SetAsInteger(2);
        t.FieldByName("Quantite").SetAsInteger(1);
        t.FieldByName("Categorie1").SetAsInteger(10);
        for (int k = 0; k < photos.size(); ++k)
            t.FieldByName("Photo" + std::to_string(k + 1)).SetAsString(ToW1252(photos[k]));
    });
    f.state.ModeModification = true;
}

bool IsPlaceholder(const QLabel* image) {
    const QImage shown = image->pixmap().toImage();
    return shown.size() == image->size() &&
           shown.pixelColor(shown.rect().center()) == QColor(0xE4, 0xE4, 0xE4);
}

class PreviewDecodingTest : public QObject {
    Q_OBJECT

private slots:
    // The editor is up, its slots holding their photos and a placeholder each, before any
    // preview is decoded; the previews then come in, each in its own slot.
    void TheEditorShowsBeforeItsPreviews() {
        EditorFixture f;
        const QList<QColor> colours = {Qt::red,  Qt::green,   Qt::blue,    Qt::yellow,
                                       Qt::cyan, Qt::magenta, Qt::darkRed, Qt::darkBlue};
        QStringList photos;
        for (int k = 0; k < 8; ++k)
            photos.append(ProgressivePhoto(f, QString("photo%1.jpg").arg(k + 1),
                                           QSize(1600 + 100 * k, 1200), colours[k]));
        SaleWithPhotos(f, photos);
        TForm2 form(f.tables, f.state, f.Folder());
        form.show();  // which opens it, without a turn of the event loop
        QVERIFY(form.isVisible());
        for (int slot = 1; slot <= 8; ++slot) {
            QCOMPARE(f.state.FichiersPhoto[slot - 1], ToW1252(photos[slot - 1]));
            QVERIFY2(IsPlaceholder(Image(&form, slot)), qPrintable(QString::number(slot)));
        }
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QVERIFY(PreviewsIn(&form));
        for (int slot = 1; slot <= 8; ++slot) {
            const QImage shown = Image(&form, slot)->pixmap().toImage();
            QCOMPARE(shown.size(), QSize(75, 1200 * 75 / (1600 + 100 * (slot - 1))));
            const QColor centre = shown.pixelColor(shown.rect().center());
            const QColor expected = colours[slot - 1];
            QVERIFY2(std::abs(centre.red() - expected.red()) < 12 &&
                         std::abs(centre.green() - expected.green()) < 12 &&
                         std::abs(centre.blue() - expected.blue()) < 12,
                     qPrintable(QString("slot %1: %2").arg(slot).arg(centre.name())));
        }
        QVERIFY(f.dialogs.messages.isEmpty());
    }

    // A photo chosen shows the placeholder at once; a slot emptied or given another photo
    // before its preview came never shows the one that comes late.
    void APreviewThatComesLateIsDropped() {
        EditorFixture f;
        const QString first = ProgressivePhoto(f, "premiere.jpg", QSize(2400, 1600), Qt::red);
        const QString second = ProgressivePhoto(f, "seconde.jpg", QSize(800, 800), Qt::blue);
        f.dialogs.fileAnswers = {first, second, first};
        auto form = f.Open(false);
        QPushButton* choose = Child<QPushButton>(form.get(), "ButtonImage1");
        choose->click();
        QVERIFY(IsPlaceholder(Image(form.get(), 1)));
        choose->click();  // replaced before the first one came
        QVERIFY(PreviewsIn(form.get()));
        QCOMPARE(Image(form.get(), 1)->pixmap().size(), QSize(75, 75));
        QCOMPARE(f.state.FichiersPhoto[0], ToW1252(second));

        Child<QPushButton>(form.get(), "ButtonImage2")->click();
        Click(form.get(), "DelPhoto2");  // emptied before its preview came
        QVERIFY(PreviewsIn(form.get()));
        QVERIFY(Image(form.get(), 2)->pixmap().isNull());
        QVERIFY(f.state.FichiersPhoto[1].empty());
    }

    // A photo chosen that turns out unreadable gives the slot back what it held, name and
    // preview, once its decoding has failed; the message comes then.
    void AFailedPreviewGivesTheSlotBack() {
        EditorFixture f;
        const QString good = ProgressivePhoto(f, "bonne.jpg", QSize(300, 150), Qt::green);
        const QString broken = f.folder.filePath("cassee.jpg");
        QFile file(broken);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("pas une image");
        file.close();
        f.dialogs.fileAnswers = {good, broken};
        auto form = f.Open(false);
        Click(form.get(), "ButtonImage3");
        Child<QPushButton>(form.get(), "ButtonImage3")->click();
        QVERIFY(IsPlaceholder(Image(form.get(), 3)));
        QVERIFY(f.dialogs.messages.isEmpty());
        QVERIFY(PreviewsIn(form.get()));
        QCOMPARE(f.state.FichiersPhoto[2], ToW1252(good));
        QCOMPARE(Image(form.get(), 3)->pixmap().size(), QSize(75, 37));
        QCOMPARE(f.dialogs.messages.size(), 1);
        QVERIFY(
            f.dialogs.messages[0].startsWith(QString("Le fichier \"%1\" n'est pas").arg(broken)));
    }

    // A sale is not saved while a photo chosen may still prove unreadable: the seller is told,
    // and validates once the preview is in.
    void ValidationWaitsForThePhotosComing() {
        EditorFixture f;
        const QString photo = ProgressivePhoto(f, "p.jpg", QSize(2400, 1600), Qt::red);
        SaleWithPhotos(f, {});
        f.dialogs.fileAnswers = {photo};
        auto form = f.Open(true);
        Child<QPushButton>(form.get(), "ButtonImage1")->click();
        Child<QPushButton>(form.get(), "ButtonValidation")->click();
        QCOMPARE(f.dialogs.messages,
                 QStringList{QStringLiteral("Les photos choisies sont encore en cours de lecture : "
                                            "validez à nouveau dès que leurs aperçus sont "
                                            "affichés.")});
        QVERIFY(f.tables.cdsVente.FieldByName("Photo1").IsNull());
        QVERIFY(PreviewsIn(form.get()));
        Click(form.get(), "ButtonValidation");
        QCOMPARE(f.dialogs.messages.size(), 1);
        QCOMPARE(f.tables.cdsVente.FieldByName("Photo1").AsString(), ToW1252(photo));
    }

    // Closing the editor while its previews decode waits for none of them, and the decodes
    // still running end on their own without touching the closed window.
    void AClosedEditorLeavesItsDecodesBehind() {
        EditorFixture f;
        QStringList photos;
        for (int k = 0; k < 8; ++k)
            photos.append(ProgressivePhoto(f, QString("grande%1.jpg").arg(k + 1), QSize(3000, 2000),
                                           Qt::gray));
        SaleWithPhotos(f, photos);
        for (int round = 0; round < 3; ++round) {
            auto form = std::make_unique<TForm2>(f.tables, f.state, f.Folder());
            form->FormShow();
            QTest::qWait(round * 20);
            form.reset();
            QCoreApplication::processEvents();
        }
        QVERIFY(PreviewDecoding::Workers().waitForDone(30000));
        QCoreApplication::processEvents();
        QVERIFY(f.dialogs.messages.isEmpty());
    }
};

}  // namespace

int RunPreviewDecodingTests(int argc, char** argv) {
    PreviewDecodingTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "PreviewDecodingTest.moc"
