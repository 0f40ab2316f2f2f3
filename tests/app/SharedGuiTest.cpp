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
#include <QTemporaryDir>
#include <QtEndian>
#include <memory>

#include "AppFixture.h"
#include "ModalHelper.h"
#include "TestMain.h"
#include "gui/Dialogs.h"
#include "gui/Fonts.h"
#include "app/Forms.h"
#include "app/ProgramBlock.h"
#include "app/TForm1.h"
#include "editor/TForm2.h"

namespace {

// The ink of a text drawn black on white: the darkness of its pixels, summed.
double Ink(const QFont& font, const QString& text) {
    const QFontMetrics metrics(font);
    QImage image(metrics.horizontalAdvance(text) + 16, metrics.height() + 16,
                 QImage::Format_Grayscale8);
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

// A TrueType face holding only an OS/2 and a head table, marked bold the way Wine's Tahoma Bold
// is: weight class 700, fsSelection bold and "use typo metrics" bits, macStyle bold.
QByteArray BoldFace() {
    QByteArray face(12 + 2 * 16 + 96 + 54, '\0');
    char* bytes = face.data();
    qToBigEndian<quint16>(2, bytes + 4);
    const auto table = [&](int record, const char* tag, quint32 start, quint32 length) {
        memcpy(bytes + 12 + 16 * record, tag, 4);
        qToBigEndian<quint32>(start, bytes + 12 + 16 * record + 8);
        qToBigEndian<quint32>(length, bytes + 12 + 16 * record + 12);
    };
    table(0, "OS/2", 44, 96);
    table(1, "head", 140, 54);
    qToBigEndian<quint16>(700, bytes + 44 + 4);
    qToBigEndian<quint16>(0xa0, bytes + 44 + 62);
    qToBigEndian<quint16>(0x1, bytes + 140 + 44);
    return face;
}

}  // namespace

class SharedGuiTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { LoadFontsAndTranslations(); }

    void boldTextsRenderBoldWithTheBoldWidths();
    void semiboldMarkingChangesOnlyTheBoldMarksOfAWholeFace();
    void fileDialogShowsEachDescriptionOnceAndListsItsPatterns_data();
    void fileDialogShowsEachDescriptionOnceAndListsItsPatterns();
};

void SharedGuiTest::boldTextsRenderBoldWithTheBoldWidths() {
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
        // Bold strokes carry about half as much ink again; a bold face drawn with the regular
        // outlines carries the same.
        const double inkRatio = Ink(bold, Caption(widget)) / Ink(regular, Caption(widget));
        QVERIFY2(inkRatio > 1.25, qPrintable(name + QStringLiteral(" ink ratio %1").arg(inkRatio)));
        // The windows were laid out for Tahoma Bold's own, wider advances.
        const double widthRatio = double(QFontMetrics(bold).horizontalAdvance(Caption(widget))) /
                                  QFontMetrics(regular).horizontalAdvance(Caption(widget));
        QVERIFY2(widthRatio > 1.05,
                 qPrintable(name + QStringLiteral(" width ratio %1").arg(widthRatio)));
    }
}

void SharedGuiTest::semiboldMarkingChangesOnlyTheBoldMarksOfAWholeFace() {
    const QByteArray face = BoldFace();
    const QByteArray marked = MarkedSemibold(face);
    QCOMPARE(qFromBigEndian<quint16>(marked.constData() + 44 + 4), quint16(600));
    QCOMPARE(qFromBigEndian<quint16>(marked.constData() + 44 + 62), quint16(0x80));
    QCOMPARE(qFromBigEndian<quint16>(marked.constData() + 140 + 44), quint16(0));
    int changed = 0;
    for (qsizetype k = 0; k < face.size(); ++k) changed += face[k] != marked[k];
    QVERIFY(changed <= 4);

    // A face cut anywhere, or whose table lies past its end, is left as it is.
    for (qsizetype length = 0; length < face.size(); ++length)
        QCOMPARE(MarkedSemibold(face.left(length)), face.left(length));
    QByteArray astray = face;
    qToBigEndian<quint32>(0xfffffff0u, astray.data() + 12 + 16 + 8);
    QCOMPARE(MarkedSemibold(astray), astray);
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
