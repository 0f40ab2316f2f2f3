#include <QCheckBox>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QtTest>

#include "base/Error.h"
#include "tests/editor/EditorFixture.h"
#include "tests/editor/Suites.h"

namespace {

const QString kHeader = "Votre saisie est incorrecte : \r\n";

// A sale that passes every check: title, description, price, category 10, photo slot 1.
void FillValidSale(EditorFixture& f, TForm2* form) {
    Child<QLineEdit>(form, "LabeledEditLibelle")->setText("Vélo");
    Child<QPlainTextEdit>(form, "MemoDescription")->setPlainText("Bon état\nRouge");
    Child<QLineEdit>(form, "EditPrix")->setText("25.5");
    Choose(form, "CatCbx0", 1);
    Choose(form, "CatCbx1", 0);
    Click(form, "ButtonAjoutCategorie");
    f.dialogs.fileAnswers = {f.Picture("velo.jpg", 10, 10, "JPEG")};
    Click(form, "ButtonImage1");
}

class ValidationTest : public QObject {
    Q_OBJECT

private slots:
    void EmptySaleListsEveryFailedCheckInOrder() {
        EditorFixture f;
        auto form = f.Open(false);
        Click(form.get(), "ButtonValidation");
        QCOMPARE(f.dialogs.messages,
                 QStringList({kHeader + "- Le titre de la vente est requis\r\n"
                                        "- La description de la vente est requise\r\n"
                                        "- Indiquer le prix de départ - Utiliser le point comme "
                                        "délimiteur décimal\r\n"
                                        "- Au moins une catégorie est requise\r\n"
                                        "- Au moins une image est requise\r\n"}));
        QCOMPARE(f.tables.cdsVente.RecordCount(), 0);
        QCOMPARE(form->result(), 0);
    }

    void QuantityChecks() {
        EditorFixture f;
        f.AddCategoryTree();
        auto form = f.Open(false);
        FillValidSale(f, form.get());
        Child<QRadioButton>(form.get(), "RadioPrixNet")->setChecked(true);
        QLineEdit* quantite = Child<QLineEdit>(form.get(), "EditQuantite");
        QVERIFY(quantite->isEnabled());
        QCOMPARE(quantite->text(), QString("1"));
        quantite->setText("0");
        Click(form.get(), "ButtonValidation");
        QCOMPARE(f.dialogs.messages, QStringList({kHeader + "- La quantité est incorrecte\r\n"}));
        // Not a whole number: the conversion message alone, whatever else is wrong.
        quantite->setText("abc");
        Child<QLineEdit>(form.get(), "LabeledEditLibelle")->clear();
        try {
            form->ButtonValidationClick();
            QFAIL("the validation went on");
        } catch (const offrel::Error& error) {
            QCOMPARE(FromW1252(error.what()),
                     QString("'abc' n'est pas une valeur entière correcte"));
        }
        QCOMPARE(f.dialogs.messages.size(), 1);
        // Back to an auction: the quantity becomes 1 again and is saved so.
        quantite->setText("5");
        Child<QRadioButton>(form.get(), "RadioEncheres")->setChecked(true);
        QCOMPARE(quantite->text(), QString("1"));
        QVERIFY(!quantite->isEnabled());
    }

    void NewSaleIsInsertedBeforeTheFirstRow() {
        EditorFixture f;
        f.AddCategoryTree();
        f.AddOption("A", "1");
        f.AddOption("B", "2");
        f.AddSale([](offrel::Table& t) {
            t.FieldByName("Libelle").SetAsString("Ancienne");
            t.FieldByName("TypeVente").SetAsInteger(1);
        });
        auto form = f.Open(false);
        FillValidSale(f, form.get());
        Child<QCheckBox>(form.get(), "CheckBox2")->setChecked(true);
        Child<QComboBox>(form.get(), "ComboBoxDuree")->setCurrentIndex(1);
        Click(form.get(), "ButtonValidation");
        QVERIFY(f.dialogs.messages.isEmpty());
        QCOMPARE(form->result(), int(QDialog::Accepted));
        offrel::Table& t = f.tables.cdsVente;
        QCOMPARE(t.RecordCount(), 2);
        QCOMPARE(t.RecNo(), 0);
        QCOMPARE(FromW1252(t.FieldByName("Libelle").AsString()), QString("Vélo"));
        QCOMPARE(t.FieldByName("Description").AsString(), ToW1252("Bon état\r\nRouge"));
        QCOMPARE(t.FieldByName("Prix").AsCurrency(), offrel::StrToCurr("25.5"));
        QVERIFY(t.FieldByName("Option2").AsBoolean());
        QVERIFY(!t.FieldByName("Option1").AsBoolean());
        QCOMPARE(t.FieldByName("TypeVente").AsInteger(), 1);
        QCOMPARE(t.FieldByName("Quantite").AsInteger(), 1);
        QCOMPARE(t.FieldByName("DureeTypeVente").AsInteger(), 2);
        QVERIFY(!t.FieldByName("Renouvelable").AsBoolean());  // copied from the first row
        QCOMPARE(t.FieldByName("Categorie1").AsInteger(), 10);
        QVERIFY(t.FieldByName("Categorie2").IsNull());
        QVERIFY(!t.FieldByName("Photo1").IsNull());
        QVERIFY(t.FieldByName("Photo2").IsNull());
        QVERIFY(t.FieldByName("ID").IsNull());
        t.Next();
        QCOMPARE(t.FieldByName("Libelle").AsString(), std::string("Ancienne"));

        // The next new sale copies it, but not its title, price, options or photos.
        auto next = f.Open(false);
        QCOMPARE(Entries(next.get()), QStringList({"Cuisine (#10)"}));
        QCOMPARE(Child<QPlainTextEdit>(next.get(), "MemoDescription")->toPlainText(),
                 QString("Bon état\nRouge"));
        QCOMPARE(Text(next.get(), "LabeledEditLibelle"), QString());
        QVERIFY(f.state.FichiersPhoto[0].empty());
    }

    // What the seller removed while changing a sale does not come back at the next opening.
    void ChangedSaleHoldsExactlyWhatTheEditorShows() {
        EditorFixture f;
        f.AddCategoryTree();
        const QString photo1 = f.Picture("un.jpg", 10, 10, "JPEG");
        const QString photo3 = f.Picture("trois.jpg", 10, 10, "JPEG");
        f.AddSale([](offrel::Table& t) { t.FieldByName("Libelle").SetAsString("Autre"); });
        f.AddSale([&](offrel::Table& t) {
            t.FieldByName("Libelle").SetAsString("Vase");
            t.FieldByName("Description").SetAsString("Bleu");
            t.FieldByName("Prix").SetAsCurrency(offrel::StrToCurr("3"));
            t.FieldByName("TypeVente").SetAsInteger(2);
            t.FieldByName("Quantite").SetAsInteger(3);
            t.FieldByName("Categorie1").SetAsInteger(10);
            t.FieldByName("Categorie3").SetAsInteger(50);
            t.FieldByName("Photo1").SetAsString(ToW1252(photo1));
            t.FieldByName("Photo3").SetAsString(ToW1252(photo3));
        });
        f.tables.cdsVente.Last();
        auto form = f.Open(true);
        Child<QListWidget>(form.get(), "ListBoxSelected")->setCurrentRow(0);  // Cuisine
        Click(form.get(), "ButtonSupprimerCategorie");
        Click(form.get(), "DelPhoto1");
        Click(form.get(), "ButtonValidation");
        QVERIFY(f.dialogs.messages.isEmpty());
        offrel::Table& t = f.tables.cdsVente;
        QCOMPARE(t.RecordCount(), 2);
        QCOMPARE(t.RecNo(), 1);
        QCOMPARE(t.FieldByName("Quantite").AsInteger(), 3);
        QCOMPARE(t.FieldByName("TypeVente").AsInteger(), 2);
        QVERIFY(t.FieldByName("Categorie1").IsNull());
        QCOMPARE(t.FieldByName("Categorie3").AsInteger(), 50);
        QVERIFY(t.FieldByName("Photo1").IsNull());
        QCOMPARE(t.FieldByName("Photo3").AsString(), ToW1252(photo3));
        auto again = f.Open(true);
        QCOMPARE(Entries(again.get()), QStringList({"Outils (#50)"}));
        QVERIFY(f.state.FichiersPhoto[0].empty());
    }

    // A character that Windows-1252 lacks would reach the site as "?": nothing is saved until
    // the seller removes it, and the message shows it as typed, each once.
    void CharactersTheSiteCannotReceiveAreListed() {
        EditorFixture f;
        f.AddCategoryTree();
        auto form = f.Open(false);
        FillValidSale(f, form.get());
        QLineEdit* title = Child<QLineEdit>(form.get(), "LabeledEditLibelle");
        title->setText("Vélo 🚲 enfant 🚲 ✓");
        Child<QPlainTextEdit>(form.get(), "MemoDescription")->setPlainText("Prêt ✓\nœuvre €");
        Child<QLineEdit>(form.get(), "EditReference")->setText("R-𝔸");
        Click(form.get(), "ButtonValidation");
        QCOMPARE(f.dialogs.messages,
                 QStringList({kHeader +
                              "- Le titre contient des caractères que le site ne peut pas "
                              "recevoir : 🚲 ✓\r\n"
                              "- La description contient des caractères que le site ne peut pas "
                              "recevoir : ✓\r\n"
                              "- La référence contient des caractères que le site ne peut pas "
                              "recevoir : 𝔸\r\n"}));
        QCOMPARE(f.tables.cdsVente.RecordCount(), 0);
        QCOMPARE(form->result(), 0);

        // Removed, the sale is saved with its other accents (œ and € are Windows-1252's).
        f.dialogs.messages.clear();
        title->setText("Vélo enfant");
        Child<QPlainTextEdit>(form.get(), "MemoDescription")->setPlainText("Prêt\nœuvre €");
        Child<QLineEdit>(form.get(), "EditReference")->setText("R-A");
        Click(form.get(), "ButtonValidation");
        QVERIFY(f.dialogs.messages.isEmpty());
        QCOMPARE(FromW1252(f.tables.cdsVente.FieldByName("Description").AsString()),
                 QString("Prêt\r\nœuvre €"));
    }
};

}  // namespace

int RunValidationTests(int argc, char** argv) {
    ValidationTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "ValidationTest.moc"
