#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QRawFont>
#include <QTemporaryDir>
#include <QtEndian>
#include <memory>

#include "AppFixture.h"
#include "ModalHelper.h"
#include "TestMain.h"
#include "app/Forms.h"
#include "app/ProgramBlock.h"
#include "app/TForm1.h"
#include "editor/TForm2.h"
#include "gui/BoldOutlines.h"
#include "gui/Dialogs.h"
#include "gui/Fonts.h"

namespace {

// The ink of a text drawn black on white on a screen of that scale: the darkness of its pixels,
// summed.
double Ink(const QFont& font, const QString& text, int scale) {
    const QFontMetrics metrics(font);
    QImage image((metrics.horizontalAdvance(text) + 16) * scale, (metrics.height() + 16) * scale,
                 QImage::Format_Grayscale8);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(8, 8 + metrics.ascent(), text);
    painter.end();
    double ink = 0;
    for (int y = 0; y < image.height(); ++y) {
        const uchar* line = image.constScanLine(y);
        for (int x = 0; x < image.width(); ++x) ink += 255 - line[x];
    }
    return ink / 255;
}

QString Caption(const QWidget* widget) {
    if (auto* label = qobject_cast<const QLabel*>(widget)) return label->text();
    return qobject_cast<const QAbstractButton*>(widget)->text();
}

// Wine's Tahoma Bold, as the system has it.
QByteArray BoldFace() {
    QFile file(QStringLiteral("/usr/share/wine/fonts/tahomabd.ttf"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class SharedGuiTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { LoadFontsAndTranslations(); }

    void boldTextsRenderBoldWithTheBoldWidthsAtEveryScale();
    void thickenedOutlinesKeepAdvancesBaselineAndLeftSide();
    void faceThatCannotBeReadWholeIsLeftAsItIs();
    void fileDialogShowsEachDescriptionOnceAndListsItsPatterns_data();
    void fileDialogShowsEachDescriptionOnceAndListsItsPatterns();
};

void SharedGuiTest::boldTextsRenderBoldWithTheBoldWidthsAtEveryScale() {
    AppFixture fixture;
    fixture.Start();
    const QList<const QWidget*> boldTexts = {
        Form1->findChild<QLabel*>("StaticText1"), Form1->findChild<QLabel*>("StaticText2"),
        Form1->findChild<QWidget*>("Button2"),    Form2->findChild<QWidget*>("Button1"),
        Form2->findChild<QLabel*>("LabelCout"),   Form2->findChild<QLabel*>("EuroLabel")};
    for (const QWidget* widget : boldTexts) {
        QVERIFY(widget);
        const QString name = widget->objectName();
        const QFont bold = widget->font();
        QFont regular = bold;
        regular.setBold(false);
        QCOMPARE(QFontInfo(bold).family(), QStringLiteral("Tahoma"));
        // Bold strokes carry about half as much ink again, on a screen at 100 % as at 200 %; a
        // bold face drawn with the regular outlines carries the same.
        for (int scale : {1, 2}) {
            const double inkRatio =
                Ink(bold, Caption(widget), scale) / Ink(regular, Caption(widget), scale);
            QVERIFY2(
                inkRatio > 1.4,
                qPrintable(name + QStringLiteral(" at %1: ink ratio %2").arg(scale).arg(inkRatio)));
        }
        // The windows were laid out for Tahoma Bold's own, wider advances.
        const double widthRatio = double(QFontMetrics(bold).horizontalAdvance(Caption(widget))) /
                                  QFontMetrics(regular).horizontalAdvance(Caption(widget));
        QVERIFY2(widthRatio > 1.05,
                 qPrintable(name + QStringLiteral(" width ratio %1").arg(widthRatio)));
    }
}

void SharedGuiTest::thickenedOutlinesKeepAdvancesBaselineAndLeftSide() {
    const QByteArray face = BoldFace();
    QVERIFY(!face.isEmpty());
    constexpr double kStrength = 0.05;
    // At one pixel per unit of Tahoma's em, the outlines as the face holds them.
    const QRawFont before(face, 2048), after(ThickenedOutlines(face, kStrength), 2048);
    QVERIFY(after.isValid());
    const double grown = kStrength * 2048;
    for (const QChar letter : QStringLiteral("Hoé")) {
        const quint32 glyph = before.glyphIndexesForString(letter).front();
        QCOMPARE(after.glyphIndexesForString(letter).front(), glyph);
        QCOMPARE(after.advancesForGlyphIndexes({glyph}), before.advancesForGlyphIndexes({glyph}));
        const QRectF was = before.pathForGlyph(glyph).boundingRect();
        const QRectF is = after.pathForGlyph(glyph).boundingRect();
        const QString shapes = QStringLiteral("%1: (%2, %3, %4 x %5) became (%6, %7, %8 x %9)")
                                   .arg(letter)
                                   .arg(was.left())
                                   .arg(was.bottom())
                                   .arg(was.width())
                                   .arg(was.height())
                                   .arg(is.left())
                                   .arg(is.bottom())
                                   .arg(is.width())
                                   .arg(is.height());
        // Wider and taller by the strength, on the same left side and baseline.
        QVERIFY2(std::abs(is.width() - was.width() - grown) <= 2, qPrintable(shapes));
        QVERIFY2(std::abs(is.height() - was.height() - grown) <= 2, qPrintable(shapes));
        QVERIFY2(std::abs(is.left() - was.left()) <= 1, qPrintable(shapes));
        QVERIFY2(std::abs(is.bottom() - was.bottom()) <= 1, qPrintable(shapes));
    }
}

void SharedGuiTest::faceThatCannotBeReadWholeIsLeftAsItIs() {
    const QByteArray face = BoldFace();
    QVERIFY(!face.isEmpty());
    for (qsizetype length : {qsizetype(0), qsizetype(11), qsizetype(100), face.size() - 1})
        QCOMPARE(ThickenedOutlines(face.left(length), 0.05), face.left(length));
    // A glyph table said shorter than its glyphs reach.
    QByteArray cut = face;
    const qsizetype record = cut.indexOf("glyf");
    QVERIFY(record > 0 && record < 12 + 16 * 40);
    qToBigEndian<quint32>(16, cut.data() + record + 12);
    QCOMPARE(ThickenedOutlines(cut, 0.05), cut);
}

void SharedGuiTest::fileDialogShowsEachDescriptionOnceAndListsItsPatterns_data() {
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QStringList>("listed");
    QTest::newRow("photos") << QStringLiteral("Fichiers Images (*.jpg)|*.jpg;*.JPG")
                            << QStringLiteral("Fichiers Images (*.jpg)")
                            << QStringList{"a.jpg", "b.JPG"};
    QTest::newRow("import") << QStringLiteral("Fichiers CSV (*.csv)|*.csv")
                            << QStringLiteral("Fichiers CSV (*.csv)") << QStringList{"ventes.csv"};
}

void SharedGuiTest::fileDialogShowsEachDescriptionOnceAndListsItsPatterns() {
    QFETCH(QString, filter);
    QFETCH(QString, shown);
    QFETCH(QStringList, listed);
    QTemporaryDir dir;
    for (const char* name : {"a.jpg", "b.JPG", "c.png", "ventes.csv"}) {
        QFile file(QDir(dir.path()).filePath(QLatin1String(name)));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    const QString chosen = QDir(dir.path()).filePath(listed.last());

    QStringList choices, files;
    OnNextModal([&](QDialog* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        for (int k = 0; k < types->count(); ++k) choices << types->itemText(k);
        auto* model = dialog->findChild<QFileSystemModel*>();
        const auto shownFiles = [&] {
            QStringList names;
            const QModelIndex folder = model->index(dir.path());
            for (int row = 0; row < model->rowCount(folder); ++row)
                names << model->index(row, 0, folder).data().toString();
            names.sort();
            return names;
        };
        // The folder is read in the background; a wrong list shows after the wait.
        (void)QTest::qWaitFor([&] { return shownFiles() == listed; }, 5000);
        files = shownFiles();
        // Typed as the seller would; a dialog that refuses the name is cancelled.
        dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(listed.last());
        modal->accept();
        if (modal->isVisible()) modal->reject();
    });
    const QString answer = Dialogs::Get().OpenFile(nullptr, filter, dir.path() + QDir::separator());

    QCOMPARE(choices, QStringList{shown});
    QCOMPARE(files, listed);
    QCOMPARE(answer, chosen);
}

OFFREL_TEST_MAIN(SharedGuiTest)
#include "SharedGuiTest.moc"
