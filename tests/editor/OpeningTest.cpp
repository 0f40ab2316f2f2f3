#include <QCheckBox>
#include <QDesktopServices>
#include <QGroupBox>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QtTest>

#include "tests/editor/EditorFixture.h"
#include "tests/editor/Suites.h"

namespace {

void FillSale(offrel::Table& t) {
    t.FieldByName("Libelle").SetAsString("Lampe");
    t.FieldByName("Description").SetAsString("Ligne 1\r\nLigne 2");
    t.FieldByName("Reference").SetAsString("REF-7");
    t.FieldByName("TypeVente").SetAsInteger(2);
    t.FieldByName("Quantite").SetAsInteger(4);
    t.FieldByName("Prix").SetAsCurrency(offrel::StrToCurr("12.5"));
    t.FieldByName("Renouvelable").SetAsBoolean(false);
    t.FieldByName("DureeTypeVente").SetAsInteger(2);
    t.FieldByName("Categorie1").SetAsInteger(10);
    t.FieldByName("Option2").SetAsBoolean(true);
    t.FieldByName("Option5").SetAsBoolean(true);
}

// Receives the help page instead of the desktop shell.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void Open(const QUrl& url) { urls.append(url); }
};

class OpeningTest : public QObject {
    Q_OBJECT

private slots:
    void NewSaleOnAnEmptyTableShowsTheInitialState() {
        EditorFixture f;
        f.AddCategoryTree();
        f.state.FichiersPhoto[2] = "ancienne.jpg";
        f.state.CatChoisies = {10, 0, 20};
        auto form = f.Open(false);
        QCOMPARE(f.state.FichiersPhoto, (std::array<std::string, 8>{}));
        QCOMPARE(f.state.CatChoisies, (std::array<std::int32_t, 3>{-1, -1, -1}));
        QVERIFY(Child<QRadioButton>(form.get(), "RadioEncheres")->isChecked());
        QLineEdit* quantite = Child<QLineEdit>(form.get(), "EditQuantite");
        QCOMPARE(quantite->text(), QString("1"));
        QVERIFY(!quantite->isEnabled());
        QCOMPARE(Child<QComboBox>(form.get(), "ComboBoxDuree")->currentText(), QString("7 jours"));
        QVERIFY(Child<QCheckBox>(form.get(), "CheckBoxRenouvellement")->isChecked());
        QCOMPARE(Text(form.get(), "EditReference"), QString());
        QCOMPARE(Text(form.get(), "LabelCout"), QString("0.00"));
        QVERIFY(Entries(form.get()).isEmpty());
        QCOMPARE(Child<QTabWidget>(form.get(), "PageControlVente")->currentIndex(), 0);
        QVERIFY(Child<QPlainTextEdit>(form.get(), "InfosCat")
                    ->toPlainText()
                    .startsWith("Vous pouvez mettre une même vente"));
    }

    void NewSaleCopiesTheFirstRowExceptTitlePriceOptionsAndPhotos() {
        EditorFixture f;
        f.AddCategoryTree();
        f.AddOption("A", "1");
        f.AddSale(FillSale);
        f.AddSale([](offrel::Table& t) { t.FieldByName("Reference").SetAsString("AUTRE"); });
        f.tables.cdsVente.Last();
        auto form = f.Open(false);
        QCOMPARE(f.tables.cdsVente.RecNo(), 0);
        QCOMPARE(Text(form.get(), "EditReference"), QString("REF-7"));
        QCOMPARE(Child<QPlainTextEdit>(form.get(), "MemoDescription")->toPlainText(),
                 QString("Ligne 1\nLigne 2"));
        QVERIFY(Child<QRadioButton>(form.get(), "RadioPrixNet")->isChecked());
        QCOMPARE(Text(form.get(), "EditQuantite"), QString("4"));
        QVERIFY(Child<QLineEdit>(form.get(), "EditQuantite")->isEnabled());
        QVERIFY(!Child<QCheckBox>(form.get(), "CheckBoxRenouvellement")->isChecked());
        QCOMPARE(Child<QComboBox>(form.get(), "ComboBoxDuree")->currentText(), QString("5 jours"));
        QCOMPARE(Entries(form.get()), QStringList({"Cuisine (#10)"}));
        QCOMPARE(Text(form.get(), "LabeledEditLibelle"), QString());
        QCOMPARE(Text(form.get(), "EditPrix"), QString());
        QVERIFY(!Child<QCheckBox>(form.get(), "CheckBox2")->isChecked());
        QCOMPARE(Text(form.get(), "LabelCout"), QString("0.00"));
    }

    void ChangingASaleLoadsItsRow() {
        EditorFixture f;
        f.AddCategoryTree();
        for (const char* price : {"0.1", "0.25", "1", "2", "0.5", "3", "4"})
            f.AddOption("Option", price);
        f.AddSale(FillSale);
        const QString longTitle(90, QChar('T'));
        f.tables.cdsVente.Edit();
        f.tables.cdsVente.FieldByName("Libelle").SetAsString(ToW1252(longTitle));
        f.tables.cdsVente.Post();
        auto form = f.Open(true);
        QCOMPARE(Text(form.get(), "LabeledEditLibelle"), longTitle);  // the limit is for typing
        QCOMPARE(Text(form.get(), "EditPrix"), QString("12.5"));
        QVERIFY(Child<QCheckBox>(form.get(), "CheckBox2")->isChecked());
        QVERIFY(Child<QCheckBox>(form.get(), "CheckBox5")->isChecked());
        QVERIFY(!Child<QCheckBox>(form.get(), "CheckBox1")->isChecked());
        QCOMPARE(Text(form.get(), "LabelCout"), QString("0.75"));
        QCOMPARE(Text(form.get(), "EditQuantite"), QString("4"));
        QCOMPARE(Child<QComboBox>(form.get(), "ComboBoxDuree")->currentIndex(), 1);
        QCOMPARE(Entries(form.get()), QStringList({"Cuisine (#10)"}));
    }

    void SaleTypeAndDurationOutsideTheirCodes() {
        EditorFixture f;
        f.AddSale([](offrel::Table& t) {
            t.FieldByName("Prix").SetAsCurrency(offrel::StrToCurr("10"));
            t.FieldByName("DureeTypeVente").SetAsInteger(4);
        });
        auto form = f.Open(true);
        QVERIFY(Child<QRadioButton>(form.get(), "RadioPrixNet")->isChecked());
        QCOMPARE(Text(form.get(), "EditQuantite"), QString());
        QVERIFY(Child<QLineEdit>(form.get(), "EditQuantite")->isEnabled());
        QCOMPARE(Child<QComboBox>(form.get(), "ComboBoxDuree")->currentIndex(), -1);
        QCOMPARE(Text(form.get(), "EditPrix"), QString("10"));
        QVERIFY(!Child<QCheckBox>(form.get(), "CheckBoxRenouvellement")->isChecked());
    }

    void NavigationFollowsThePages() {
        EditorFixture f;
        TForm2 form(f.tables, f.state, f.Folder());
        QTabWidget* pages = Child<QTabWidget>(&form, "PageControlVente");
        QCOMPARE(pages->currentIndex(), 4);  // designed on the fifth page
        QCOMPARE(pages->tabText(0), QString("1. Titre && description"));
        QCOMPARE(pages->tabText(1), QString("2. Choix des Catégories"));
        form.FormShow();
        QCOMPARE(pages->currentIndex(), 0);
        QPushButton* previous = Child<QPushButton>(&form, "ButtonPagePrecedente");
        QPushButton* next = Child<QPushButton>(&form, "ButtonPageSuivante");
        QVERIFY(!previous->isEnabled());
        for (int page = 1; page <= 4; ++page) {
            form.ButtonPageSuivanteClick();
            QCOMPARE(pages->currentIndex(), page);
            QVERIFY(previous->isEnabled());
            QCOMPARE(next->isEnabled(), page < 4);
        }
        form.ButtonPageSuivanteClick();
        QCOMPARE(pages->currentIndex(), 4);
        form.ButtonPagePrecedenteClick();
        QCOMPARE(pages->currentIndex(), 3);
        QVERIFY(next->isEnabled());
        pages->setCurrentIndex(0);  // the seller picks the first tab
        QVERIFY(!previous->isEnabled());
        QVERIFY(next->isEnabled());
        pages->setCurrentIndex(4);
        QVERIFY(previous->isEnabled());
        QVERIFY(!next->isEnabled());
        pages->setCurrentIndex(2);
        QVERIFY(previous->isEnabled() && next->isEnabled());
    }

    void CancelAndEscapeCloseWithoutWriting() {
        EditorFixture f;
        auto form = f.Open(false);
        form->show();
        QTest::keyClick(form.get(), Qt::Key_Escape);
        QCOMPARE(form->result(), int(QDialog::Rejected));
        QVERIFY(form->isHidden());
        form = f.Open(false);
        form->show();
        Click(form.get(), "ButtonAnnuler");
        QVERIFY(form->isHidden());
        QCOMPARE(f.tables.cdsVente.RecordCount(), 0);
    }

    void HelpOpensThePageBesideTheExecutable() {
        EditorFixture f;
        auto form = f.Open(false);
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler("file", &catcher, "Open");
        QDir::setCurrent(QDir::tempPath());
        Click(form.get(), "Button1");
        QDesktopServices::unsetUrlHandler("file");
        QCOMPARE(catcher.urls.size(), 1);
        QCOMPARE(catcher.urls[0].toLocalFile(),
                 QCoreApplication::applicationDirPath() + "/aide.html");
    }
};

}  // namespace

int RunOpeningTests(int argc, char** argv) {
    OpeningTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "OpeningTest.moc"
