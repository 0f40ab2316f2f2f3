#include <QCheckBox>
#include <QTabWidget>
#include <QtTest>

#include "tests/editor/EditorFixture.h"
#include "tests/editor/Suites.h"

namespace {

QCheckBox* Box(QWidget* form, int n) {
    return Child<QCheckBox>(form, qPrintable(QString("CheckBox%1").arg(n)));
}

class CostTest : public QObject {
    Q_OBJECT

private slots:
    void CaptionsShowBothTariffsWithTwoDecimals() {
        EditorFixture f;
        f.AddOption("Titre en gras", "0.2", "0.1");
        f.AddOption("Photo", "0.125", "0.135");
        for (const char* name : {"C", "D", "Cinq"}) f.AddOption(name, "1");
        auto form = f.Open(false);
        QCOMPARE(Box(form.get(), 1)->text(), QString("Titre en gras : 0.20 € (0.10 € **)"));
        QCOMPARE(Box(form.get(), 2)->text(), QString("Photo : 0.12 € (0.14 € **)"));
        // Fewer than seven rows: the last one repeats, and its price is added.
        QCOMPARE(Box(form.get(), 6)->text(), Box(form.get(), 5)->text());
        QCOMPARE(Box(form.get(), 7)->text(), QString("Cinq : 1.00 € (0.10 € **)"));
        Box(form.get(), 7)->setChecked(true);
        QCOMPARE(Text(form.get(), "LabelCout"), QString("1.00"));
    }

    void TotalIsRoundedAtEveryStep() {
        EditorFixture f;
        f.AddOption("A", "0.006");
        f.AddOption("B", "0.006");
        f.AddOption("C", "0.2");
        f.AddOption("D", "1");
        auto form = f.Open(false);
        Box(form.get(), 1)->setChecked(true);
        QCOMPARE(Text(form.get(), "LabelCout"), QString("0.01"));
        Box(form.get(), 2)->setChecked(true);
        QCOMPARE(Text(form.get(), "LabelCout"), QString("0.02"));
        // Ticking and unticking returns to the former text with two-decimal prices.
        Box(form.get(), 3)->setChecked(true);
        Box(form.get(), 4)->setChecked(true);
        QCOMPARE(Text(form.get(), "LabelCout"), QString("1.22"));
        Box(form.get(), 4)->setChecked(false);
        QCOMPARE(Text(form.get(), "LabelCout"), QString("0.22"));
    }

    void AnOptionWithoutPriceStopsTheClick() {
        EditorFixture f;
        f.AddOption("A", "0.5");
        f.AddOption("Sans prix", "");
        auto form = f.Open(false);
        Box(form.get(), 1)->setChecked(true);
        Box(form.get(), 2)->setChecked(true);
        QCOMPARE(f.dialogs.errors,
                 QStringList{"'+' n'est pas une valeur en virgule flottante correcte."});
        QVERIFY(Box(form.get(), 2)->isChecked());
        QCOMPARE(Text(form.get(), "LabelCout"), QString("0.50"));
    }

    // The price that stops a click is reported when a sale is opened for a change, and the
    // opening goes on: the window stays usable.
    void ChangingASaleWithAnOptionWithoutPrice() {
        EditorFixture f;
        f.AddCategoryTree();
        f.AddOption("A", "0.5");
        f.AddOption("Sans prix", "");
        f.AddOption("C", "2");
        const QString photo = f.Picture("vase.jpg", 10, 10, "JPEG");
        f.AddSale([&](offrel::Table& t) {
            t.FieldByName("Libelle").SetAsString("Vase");
            t.FieldByName("Description").SetAsString("Bleu");
            t.FieldByName("Prix").SetAsCurrency(offrel::StrToCurr("3"));
            t.FieldByName("TypeVente").SetAsInteger(1);
            t.FieldByName("Reference").SetAsString("R9");
            t.FieldByName("Categorie1").SetAsInteger(50);
            t.FieldByName("Photo1").SetAsString(ToW1252(photo));
            for (const char* option : {"Option1", "Option2", "Option3"})
                t.FieldByName(option).SetAsBoolean(true);
        });
        auto form = f.Open(true);
        QCOMPARE(f.dialogs.messages,
                 QStringList{"'+' n'est pas une valeur en virgule flottante correcte"});
        QVERIFY(f.dialogs.errors.isEmpty());
        for (int n = 1; n <= 3; ++n) QVERIFY(Box(form.get(), n)->isChecked());
        QCOMPARE(Text(form.get(), "LabelCout"), QString("2.50"));
        QCOMPARE(Text(form.get(), "EditReference"), QString("R9"));
        QCOMPARE(Entries(form.get()), QStringList({"Outils (#50)"}));
        QCOMPARE(Child<QComboBox>(form.get(), "CatCbx0")->count(), 3);
        QCOMPARE(Child<QTabWidget>(form.get(), "PageControlVente")->currentIndex(), 0);
        Click(form.get(), "ButtonValidation");
        QCOMPARE(f.dialogs.messages.size(), 1);
        QCOMPARE(form->result(), int(QDialog::Accepted));
    }

    void NoOptionRowAtAll() {
        EditorFixture f;
        auto form = f.Open(false);
        QCOMPARE(Box(form.get(), 3)->text(), QString(" : 0.00 € (0.00 € **)"));
        Box(form.get(), 1)->setChecked(true);
        QCOMPARE(f.dialogs.errors.size(), 1);
        QCOMPARE(Text(form.get(), "LabelCout"), QString("0.00"));
    }
};

}  // namespace

int RunCostTests(int argc, char** argv) {
    CostTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "CostTest.moc"
