// Photos as a phone or an editing program leaves them: an Exif orientation, CMYK, grey or
// progressive JPEG. Made in the set-up with ImageMagick and exiftool; what ImageMagick itself
// shows for each is the reference the preview is held to.
#include <QColor>
#include <QPointer>
#include <QProcess>
#include <QtTest>

#include "base/Error.h"
#include "editor/PhotoPreview.h"
#include "editor/PhotoViewer.h"
#include "photo/JpegPreview.h"
#include "photo/PhotoOrientation.h"
#include "tests/editor/EditorFixture.h"
#include "tests/editor/Suites.h"

using offrel::DecodeJpegPreview;
using offrel::ExifOrientation;
using offrel::RgbImage;

namespace {

void Run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        qFatal("%s %s failed: %s (scripts/install-deps installs it)", qPrintable(program),
               qPrintable(arguments.join(' ')), process.readAllStandardError().constData());
    }
}

// Four blocks of colours far apart, so that JPEG's losses never confuse them.
QString Quadrants(const QTemporaryDir& folder, int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    const QColor colours[] = {Qt::red, Qt::green, Qt::blue, Qt::white};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixelColor(x, y, colours[(y >= height / 2) * 2 + (x >= width / 2)]);
    const QString path = folder.filePath(QStringLiteral("quadrants.png"));
    image.save(path);
    return path;
}

// The colour at the centre of each quarter of the picture.
QList<QColor> Centres(const QImage& image) {
    QList<QColor> colours;
    for (int row = 0; row < 2; ++row)
        for (int column = 0; column < 2; ++column)
            colours.append(image.pixelColor((2 * column + 1) * image.width() / 4,
                                            (2 * row + 1) * image.height() / 4));
    return colours;
}

bool Near(const QColor& a, const QColor& b) {
    constexpr int kTolerance = 48;
    return std::abs(a.red() - b.red()) < kTolerance &&
           std::abs(a.green() - b.green()) < kTolerance &&
           std::abs(a.blue() - b.blue()) < kTolerance;
}

QImage Reference(const QTemporaryDir& folder, const QString& jpeg, const QStringList& options) {
    const QString png = folder.filePath(QStringLiteral("reference.png"));
    Run(QStringLiteral("convert"), QStringList{jpeg} + options + QStringList{png});
    return QImage(png).convertToFormat(QImage::Format_RGB32);
}

void CompareWithReference(const QImage& preview, const QImage& reference, const QString& what) {
    QCOMPARE(preview.size(), reference.size());
    const QList<QColor> shown = Centres(preview);
    const QList<QColor> expected = Centres(reference);
    for (int k = 0; k < 4; ++k)
        QVERIFY2(Near(shown[k], expected[k]),
                 qPrintable(QStringLiteral("%1, quarter %2: %3 instead of %4")
                                .arg(what)
                                .arg(k)
                                .arg(shown[k].name(), expected[k].name())));
}

class PhonePhotoTest : public QObject {
    Q_OBJECT

private slots:
    void everyExifOrientationPreviewsUpright() {
        QTemporaryDir folder;
        const QString source = Quadrants(folder, 64, 32);
        for (int orientation = 1; orientation <= 8; ++orientation) {
            const QString jpeg = folder.filePath(QStringLiteral("o%1.jpg").arg(orientation));
            Run(QStringLiteral("convert"),
                {source, QStringLiteral("-quality"), QStringLiteral("95"), jpeg});
            Run(QStringLiteral("exiftool"), {QStringLiteral("-q"), QStringLiteral("-n"),
                                             QStringLiteral("-Orientation=%1").arg(orientation),
                                             QStringLiteral("-overwrite_original"), jpeg});
            CompareWithReference(LoadPhotoPreview(jpeg, QSize(75, 75)),
                                 Reference(folder, jpeg, {QStringLiteral("-auto-orient")}),
                                 QStringLiteral("orientation %1").arg(orientation));
        }
    }

    // A portrait photo as a phone stores it: landscape pixels, orientation 6. It is decoded to
    // its upright size in the preview, the box's sides exchanged for the stored pixels.
    void aPortraitPhonePhotoIsDecodedSmallAndShownUpright() {
        QTemporaryDir folder;
        const QString jpeg = folder.filePath(QStringLiteral("portrait.jpg"));
        Run(QStringLiteral("convert"), {Quadrants(folder, 800, 600), jpeg});
        Run(QStringLiteral("exiftool"),
            {QStringLiteral("-q"), QStringLiteral("-n"), QStringLiteral("-Orientation=6"),
             QStringLiteral("-overwrite_original"), jpeg});
        const RgbImage decoded = DecodeJpegPreview(ToW1252(jpeg), 75, 75);
        QCOMPARE(decoded.width, 56);
        QCOMPARE(decoded.height, 75);
        EditorFixture f;
        f.dialogs.fileAnswers = {jpeg};
        auto form = f.Open(false);
        Click(form.get(), "ButtonImage1");
        QCOMPARE(Child<QLabel>(form.get(), "Image1")->pixmap().size(), QSize(56, 75));
    }

    // The large view on every orientation: the sale's eight photos, opened on the first by a
    // double click and walked with Right and Left, each upright at its own size (the screen's
    // box is larger) with its upright size; Escape closes it.
    void everyExifOrientationSeenLargeUpright() {
        EditorFixture f;
        const QString source = Quadrants(f.folder, 64, 32);
        QStringList photos;
        for (int orientation = 1; orientation <= 8; ++orientation) {
            const QString jpeg = f.folder.filePath(QStringLiteral("o%1.jpg").arg(orientation));
            Run(QStringLiteral("convert"),
                {source, QStringLiteral("-quality"), QStringLiteral("95"), jpeg});
            Run(QStringLiteral("exiftool"), {QStringLiteral("-q"), QStringLiteral("-n"),
                                             QStringLiteral("-Orientation=%1").arg(orientation),
                                             QStringLiteral("-overwrite_original"), jpeg});
            photos.append(jpeg);
        }
        f.dialogs.fileAnswers.assign(photos.begin(), photos.end());
        auto form = f.Open(false);
        for (int slot = 1; slot <= 8; ++slot)
            Click(form.get(), qPrintable(QStringLiteral("ButtonImage%1").arg(slot)));
        QLabel* first = Child<QLabel>(form.get(), "Image1");
        const QPointF inside(30, 30);
        QMouseEvent twice(QEvent::MouseButtonDblClick, inside, first->mapToGlobal(inside),
                          Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(first, &twice);
        const QPointer<PhotoViewer> viewer = form->findChild<PhotoViewer*>();
        QVERIFY(viewer && viewer->isVisible());
        for (int orientation = 1; orientation <= 8; ++orientation) {
            const QString what = QStringLiteral("orientation %1").arg(orientation);
            CompareWithReference(
                Child<QLabel>(viewer, "ImagePhoto")->pixmap().toImage(),
                Reference(f.folder, photos[orientation - 1], {QStringLiteral("-auto-orient")}),
                what);
            const QString size = orientation <= 4 ? "64 × 32" : "32 × 64";
            // The weight's wording is the caption's own test.
            QVERIFY2(Text(viewer, "LabelTaillePhoto").startsWith(size + " pixels — "),
                     qPrintable(what));
            QTest::keyClick(viewer, Qt::Key_Right);
        }
        // Past the last photo, Right stays on it; Left goes back.
        QCOMPARE(viewer->windowTitle(), QStringLiteral("Photo 8 sur 8"));
        QTest::keyClick(viewer, Qt::Key_Left);
        QCOMPARE(viewer->windowTitle(), QStringLiteral("Photo 7 sur 8"));
        QTest::keyClick(viewer, Qt::Key_Escape);
        QVERIFY(!viewer || !viewer->isVisible());
    }

    // Return on a focused preview opens it; a photo gone since it was chosen says so in the view,
    // and the sale's others still open from there.
    void aPhotoGoneSinceChosenIsToldInTheLargeView() {
        EditorFixture f;
        const QString gone = f.Picture("partie.jpg", 40, 30, "JPEG");
        const QString kept = f.Picture("reste.jpg", 40, 30, "JPEG");
        f.dialogs.fileAnswers = {gone, kept};
        auto form = f.Open(false);
        Click(form.get(), "ButtonImage2");
        Click(form.get(), "ButtonImage5");
        QFile::remove(gone);
        QTest::keyClick(Child<QLabel>(form.get(), "Image2"), Qt::Key_Return);
        auto* viewer = form->findChild<PhotoViewer*>();
        QVERIFY(viewer);
        QVERIFY(Text(viewer, "ImagePhoto")
                    .startsWith(QStringLiteral("Impossible d'ouvrir le fichier \"%1\"").arg(gone)));
        QCOMPARE(Text(viewer, "LabelTaillePhoto"), QString());
        QTest::keyClick(viewer, Qt::Key_Right);
        QCOMPARE(Child<QLabel>(viewer, "ImagePhoto")->pixmap().size(), QSize(40, 30));
        QCOMPARE(viewer->windowTitle(), QStringLiteral("Photo 2 sur 2"));
    }

    void cmykGreyAndProgressivePicturesPreview() {
        QTemporaryDir folder;
        const QString source = Quadrants(folder, 64, 48);
        const struct {
            const char* name;
            QStringList options;  // how the picture is written
            QStringList shownAs;  // how ImageMagick shows it
        } kinds[] = {
            {"cmyk.jpg", {"-colorspace", "CMYK"}, {"-colorspace", "sRGB"}},
            {"gris.jpg", {"-colorspace", "Gray"}, {}},
            {"progressive.jpg", {"-interlace", "JPEG"}, {}},
        };
        for (const auto& kind : kinds) {
            const QString jpeg = folder.filePath(QLatin1String(kind.name));
            Run(QStringLiteral("convert"), QStringList{source} + kind.options + QStringList{jpeg});
            CompareWithReference(LoadPhotoPreview(jpeg, QSize(75, 75)),
                                 Reference(folder, jpeg, kind.shownAs), QLatin1String(kind.name));
        }
    }

    void aFileThatIsNoJpegIsToldInFrench() {
        QTemporaryDir folder;
        const QString png = folder.filePath(QStringLiteral("photo.jpg"));
        QImage(10, 10, QImage::Format_RGB32).save(png, "PNG");
        const QString empty = folder.filePath(QStringLiteral("vide.jpg"));
        QFile(empty).open(QIODevice::WriteOnly);
        const QString cut = folder.filePath(QStringLiteral("coupee.jpg"));
        QFile file(cut);
        file.open(QIODevice::WriteOnly);
        file.write("\xFF\xD8\xFF\xE0 pas la suite");
        file.close();
        for (const QString& path : {png, empty}) {
            try {
                LoadPhotoPreview(path, QSize(75, 75));
                QFAIL("no error");
            } catch (const offrel::Error& error) {
                QCOMPARE(FromW1252(error.what()),
                         QStringLiteral("Le fichier \"%1\" n'est pas une image JPEG.").arg(path));
            }
        }
        try {
            LoadPhotoPreview(cut, QSize(75, 75));
            QFAIL("no error");
        } catch (const offrel::Error& error) {
            QCOMPARE(FromW1252(error.what()),
                     QStringLiteral("Le fichier \"%1\" est une image JPEG abîmée, qui ne peut pas "
                                    "être lue.")
                         .arg(cut));
        }
    }

    // Exif blocks that say nothing readable leave the picture as stored.
    void aDamagedExifBlockMeansUpright() {
        const auto orientation = [](const QByteArray& segment) {
            return ExifOrientation(reinterpret_cast<const std::uint8_t*>(segment.constData()),
                                   static_cast<std::size_t>(segment.size()));
        };
        // "Exif", then a little-endian TIFF header and one entry: the orientation, 6.
        const QByteArray good =
            QByteArray("Exif\0\0II*\0\x08\0\0\0\x01\0\x12\x01\x03\0\x01\0\0\0\x06\0\0\0", 28);
        QCOMPARE(orientation(good), 6);
        QCOMPARE(orientation(good.left(27)), 1);                            // cut inside the entry
        QCOMPARE(orientation(QByteArray(good).replace(24, 1, "\x09")), 1);  // no orientation 9
        QCOMPARE(orientation(QByteArray(good).replace(6, 2, "XX")), 1);     // no byte order
        QCOMPARE(orientation(QByteArray(good).replace(10, 1, "\x7F")), 1);  // directory outside
        QCOMPARE(orientation(QByteArray("JFIF\0\0", 6)), 1);
    }
};

}  // namespace

int RunPhonePhotoTests(int argc, char** argv) {
    PhonePhotoTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "PhonePhotoTest.moc"
