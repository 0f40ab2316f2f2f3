#include <QDir>
#include <QFile>
#include <QMimeData>
#include <QtTest>

#include "base/Error.h"
#include "base/Windows1252.h"
#include "editor/PhotoPreview.h"
#include "tests/editor/EditorFixture.h"
#include "tests/editor/Suites.h"

namespace {

QLabel* Image(QWidget* form, int slot) {
    return Child<QLabel>(form, qPrintable(QString("Image%1").arg(slot)));
}

QSize Shown(QWidget* form, int slot) {
    const QPixmap pixmap = Image(form, slot)->pixmap();
    return pixmap.isNull() ? QSize() : pixmap.size();
}

// Files dropped on page 4 as the file manager drops them; whether the drop was taken.
bool Drop(QWidget* form, const QStringList& paths) {
    auto* page = Child<QWidget>(form, "TabSheet4");
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& path : paths) urls.append(QUrl::fromLocalFile(path));
    data.setUrls(urls);
    const QPoint inside(10, 10);
    QDragEnterEvent enter(inside, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(page, &enter);
    QDropEvent drop(QPointF(inside), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(page, &drop);
    return enter.isAccepted() && drop.isAccepted() && PreviewsIn(form);
}

QString LoadError(const QString& path) {
    try {
        LoadPhotoPreview(path, QSize(75, 75));
    } catch (const offrel::Error& error) {
        return FromW1252(error.what());
    }
    return QString();
}

class PhotoTest : public QObject {
    Q_OBJECT

private slots:
    void PreviewsFitTheirBoxes() {
        EditorFixture f;
        const QString large = f.Picture("grande.jpg", 800, 600, "JPEG");
        const QString small = f.Picture("petite.JPG", 50, 40, "JPEG");
        const QString tall = f.Picture("haute.bmp", 300, 600, "BMP");
        f.dialogs.fileAnswers = {large, small, tall, large};
        auto form = f.Open(false);
        Click(form.get(), "ButtonImage1");
        Click(form.get(), "ButtonImage3");
        Click(form.get(), "ButtonImage8");
        Click(form.get(), "ButtonImage2");  // 75 x 73
        QCOMPARE(Shown(form.get(), 1), QSize(75, 56));
        QCOMPARE(Shown(form.get(), 3), QSize(50, 40));
        QCOMPARE(Shown(form.get(), 8), QSize(37, 75));
        QCOMPARE(Shown(form.get(), 2), QSize(75, 56));
        QVERIFY(Image(form.get(), 1)->alignment() & Qt::AlignCenter);
        QCOMPARE(f.state.FichiersPhoto[2], ToW1252(small));
        // One filter for every slot; the dialog starts on the file chosen last.
        QCOMPARE(f.dialogs.filters[0], QString("Fichiers Images (*.jpg)|*.jpg;*.JPG"));
        QCOMPARE(f.dialogs.starts, QStringList({"", large, small, tall}));
        QVERIFY(f.dialogs.messages.isEmpty());
    }

    // The path is stored as Windows-1252 text and still names its file; one that Windows-1252
    // cannot write is refused, naming it, and the slot stays as it was.
    void AccentedPathsAreStoredAndOthersRefused() {
        EditorFixture f;
        QVERIFY(QDir(f.folder.path()).mkpath(QStringLiteral("Images/Été 2026")));
        const QString accented =
            f.Picture(QStringLiteral("Images/Été 2026/vélo.jpg"), 40, 30, "JPEG");
        const QString greek = f.Picture(QStringLiteral("Images/Ελλάδα.jpg"), 20, 20, "JPEG");
        f.dialogs.fileAnswers = {accented, greek};
        auto form = f.Open(false);
        Click(form.get(), "ButtonImage1");
        Click(form.get(), "ButtonImage1");
        QCOMPARE(f.state.FichiersPhoto[0], offrel::W(QFile::encodeName(accented).toStdString()));
        QCOMPARE(Shown(form.get(), 1), QSize(40, 30));
        QCOMPARE(f.dialogs.messages,
                 QStringList{QStringLiteral("Le chemin « %1 » contient des caractères que "
                                            "l'application ne sait pas enregistrer. Renommez le "
                                            "fichier ou son dossier, puis choisissez-le à nouveau.")
                                 .arg(greek)});
        // The refused file is still the one the dialog starts on.
        Click(form.get(), "ButtonImage2");
        QCOMPARE(f.dialogs.starts.back(), greek);
    }

    void ReplaceCancelAndRemove() {
        EditorFixture f;
        const QString first = f.Picture("a.jpg", 100, 100, "JPEG");
        const QString second = f.Picture("b.jpg", 60, 30, "JPEG");
        f.dialogs.fileAnswers = {first, second, QString(), first};
        auto form = f.Open(false);
        Click(form.get(), "ButtonImage4");
        Click(form.get(), "ButtonImage4");  // replaced
        QCOMPARE(Shown(form.get(), 4), QSize(60, 30));
        QCOMPARE(f.state.FichiersPhoto[3], ToW1252(second));
        Click(form.get(), "ButtonImage4");  // cancelled: nothing changes
        QCOMPARE(f.state.FichiersPhoto[3], ToW1252(second));
        QCOMPARE(Shown(form.get(), 4), QSize(60, 30));
        Click(form.get(), "DelPhoto4");
        QVERIFY(!Shown(form.get(), 4).isValid());
        QVERIFY(f.state.FichiersPhoto[3].empty());
        Click(form.get(), "DelPhoto5");  // an empty slot stays empty
        QVERIFY(f.state.FichiersPhoto[4].empty());
        Click(form.get(), "ButtonImage4");  // chosen again like a first choice
        QCOMPARE(Shown(form.get(), 4), QSize(75, 75));
    }

    // A file that cannot be shown would only stop the upload later: the slot keeps what it
    // held, its name and its preview both.
    void UnreadableFilesAreReportedAndLeaveTheSlotAsItWas() {
        EditorFixture f;
        const QString good = f.Picture("a.jpg", 20, 20, "JPEG");
        const QString missing = f.folder.filePath("absente.jpg");
        const QString unknown = f.folder.filePath("photo.gif");
        QFile(unknown).open(QIODevice::WriteOnly);
        const QString png = f.Picture("vraie.png", 30, 30, "PNG");
        const QString disguised = f.folder.filePath("deguisee.jpg");
        QFile::copy(png, disguised);
        const QString empty = f.folder.filePath("vide.jpg");
        QFile(empty).open(QIODevice::WriteOnly);
        f.dialogs.fileAnswers = {good, missing, disguised, empty, unknown};
        auto form = f.Open(false);
        for (const char* button :
             {"ButtonImage1", "ButtonImage1", "ButtonImage1", "ButtonImage1", "ButtonImage2"})
            Click(form.get(), button);
        QCOMPARE(f.dialogs.messages.size(), 4);
        QCOMPARE(f.dialogs.messages[0],
                 QString("Impossible d'ouvrir le fichier \"%1\". %2")
                     .arg(missing, QString::fromLocal8Bit(std::strerror(ENOENT))));
        QCOMPARE(f.dialogs.messages[3], QString("Extension de fichier image inconnue (.gif)"));
        QCOMPARE(f.state.FichiersPhoto[0], ToW1252(good));
        QCOMPARE(Shown(form.get(), 1), QSize(20, 20));
        QVERIFY(f.state.FichiersPhoto[1].empty());
        QCOMPARE(Shown(form.get(), 2), QSize());
    }

    void MessagesOfTheOtherFormats() {
        EditorFixture f;
        const QString emf = f.folder.filePath("dessin.EMF");
        QFile(emf).open(QIODevice::WriteOnly);
        QCOMPARE(LoadError(emf), QString("Format d'image non pris en charge (.EMF)"));
        const QString broken = f.folder.filePath("cassee.jpg");
        QFile file(broken);
        file.open(QIODevice::WriteOnly);
        file.write("pas une image");
        file.close();
        QVERIFY(LoadError(broken).startsWith(QString("Le fichier \"%1\" n'est pas").arg(broken)));
        QVERIFY(LoadError(f.folder.filePath("sans extension"))
                    .startsWith("Extension de fichier image inconnue (.)"));
        const QString ico = f.Picture("icone.ico", 16, 16, "ICO");
        QCOMPARE(LoadPhotoPreview(ico, QSize(75, 75)).size(), QSize(16, 16));
        // A "%s" in the path is the path's own, not a place for the reason.
        const QString odd = f.folder.filePath("remise 100%s.bmp");
        QVERIFY(
            LoadError(odd).startsWith(QString("Impossible d'ouvrir le fichier \"%1\". ").arg(odd)));
    }

    // One file fills the first free slot; the ones after it the next free ones, in order.
    void DroppedPhotosFillTheFreeSlotsInOrder() {
        EditorFixture f;
        const QString one = f.Picture("une.jpg", 800, 600, "JPEG");
        f.dialogs.fileAnswers = {one};
        auto form = f.Open(false);
        Click(form.get(), "ButtonImage2");
        QVERIFY(Drop(form.get(), {one}));
        QCOMPARE(f.state.FichiersPhoto[0], ToW1252(one));
        QCOMPARE(Shown(form.get(), 1), QSize(75, 56));

        QStringList seven;
        for (int k = 1; k <= 7; ++k)
            seven.append(f.Picture(QString("photo%1.JPEG").arg(k), 40 + k, 30, "JPEG"));
        Click(form.get(), "DelPhoto2");
        QVERIFY(Drop(form.get(), seven.mid(0, 6)));
        for (int slot = 2; slot <= 7; ++slot) {
            QCOMPARE(f.state.FichiersPhoto[slot - 1], ToW1252(seven[slot - 2]));
            QCOMPARE(Shown(form.get(), slot), QSize(40 + slot - 1, 30));
        }
        QVERIFY(f.state.FichiersPhoto[7].empty());
        QVERIFY(f.dialogs.messages.isEmpty());
    }

    // Beyond the eighth photo, and files that are no JPEG photo: one message each, naming them.
    void DroppedFilesThatDoNotGoAreNamedInOneMessage() {
        EditorFixture f;
        auto form = f.Open(false);
        QStringList ten;
        for (int k = 1; k <= 10; ++k)
            ten.append(f.Picture(QString("p%1.jpg").arg(k), 20, 20, "JPEG"));
        const QString bitmap = f.Picture("plan.bmp", 20, 20, "BMP");
        QVERIFY(Drop(form.get(), QStringList{bitmap} + ten));
        for (int slot = 1; slot <= 8; ++slot)
            QCOMPARE(f.state.FichiersPhoto[slot - 1], ToW1252(ten[slot - 1]));
        QCOMPARE(f.dialogs.messages,
                 QStringList({"Ces fichiers ne sont pas des photos JPEG (.jpg) et n'ont pas été "
                              "ajoutés : plan.bmp.",
                              "Une vente a huit photos au plus : ces fichiers n'ont pas été "
                              "ajoutés : p9.jpg, p10.jpg."}));
    }

    // A stored photo that cannot be shown is reported, and the opening goes on.
    void ChangingASaleWithAMissingPhoto() {
        EditorFixture f;
        f.AddCategoryTree();
        const QString missing = f.folder.filePath("partie.jpg");
        const QString later = f.Picture("reste.jpg", 40, 30, "JPEG");
        f.AddSale([&](offrel::Table& t) {
            t.FieldByName("Photo2").SetAsString(ToW1252(missing));
            t.FieldByName("Photo6").SetAsString(ToW1252(later));
            t.FieldByName("Reference").SetAsString("R1");
            t.FieldByName("TypeVente").SetAsInteger(1);
            t.FieldByName("Categorie1").SetAsInteger(50);
        });
        auto form = f.Open(true);
        QCOMPARE(f.dialogs.messages.size(), 1);
        QVERIFY(f.dialogs.messages[0].startsWith("Impossible d'ouvrir le fichier"));
        QCOMPARE(f.state.FichiersPhoto[1], ToW1252(missing));
        QCOMPARE(f.state.FichiersPhoto[5], ToW1252(later));
        QCOMPARE(Shown(form.get(), 6), QSize(40, 30));
        QCOMPARE(Text(form.get(), "EditReference"), QString("R1"));
        QCOMPARE(Entries(form.get()), QStringList({"Outils (#50)"}));
        QCOMPARE(Child<QComboBox>(form.get(), "CatCbx0")->count(), 3);
        QCOMPARE(Child<QTabWidget>(form.get(), "PageControlVente")->currentIndex(), 0);
        // The seller can remove it and choose another one.
        Click(form.get(), "DelPhoto2");
        QVERIFY(f.state.FichiersPhoto[1].empty());
    }
};

}  // namespace

int RunPhotoTests(int argc, char** argv) {
    PhotoTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "PhotoTest.moc"
