#include <QCheckBox>
#include <QtTest>

#include "editor/OptionCost.h"
#include "tables/Error.h"
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

    void StepTextsAndTheirSums() {
        EditorFixture f;
        f.AddOption("A", "0.2");
        f.AddOption("B", "1");
        f.AddOption("C", "");
        QCOMPARE(OptionCost::Step(f.tables.cdsOption, 1, true), std::string("+0.2"));
        QCOMPARE(OptionCost::Step(f.tables.cdsOption, 2, false), std::string("-1"));
        QCOMPARE(OptionCost::Step(f.tables.cdsOption, 3, true), std::string("+"));
        QCOMPARE(OptionCost::MajCoutTotal("0.00", "-0.004"), std::string("0.00"));
        QCOMPARE(OptionCost::MajCoutTotal("0.10", "-0.3"), std::string("-0.20"));
        QCOMPARE(OptionCost::MajCoutTotal("0.00", "+0.125"), std::string("0.12"));
        // Options priced at the top of the money range: the total says it cannot be shown.
        QCOMPARE(OptionCost::MajCoutTotal("500000000000000.00", "+410000000000000"),
                 std::string("910000000000000.00"));
        for (const char* amount : {"+922337203685477", "-922337203685477"}) {
            try {
                OptionCost::MajCoutTotal(amount[0] == '+' ? "1.00" : "-1.00", amount);
                QFAIL("no error");
            } catch (const offrel::Error& error) {
                QCOMPARE(FromW1252(error.what()),
                         QString("Le coût total dépasse le plus grand montant possible"));
            }
        }
    }

    void AnOptionWithoutPriceStopsTheClick() {
        EditorFixture f;
        f.AddOption("A", "0.5");
        f.AddOption("Sans prix", "");
        auto form = f.Open(false);
        Box(form.get(), 1)->setChecked(true);
        try {
            Box(form.get(), 2)->setChecked(true);
            QFAIL("the click step went through");
        } catch (const offrel::Error& error) {
            QCOMPARE(FromW1252(error.what()),
                     QString("'+' n'est pas une valeur en virgule flottante correcte"));
        }
        QVERIFY(Box(form.get(), 2)->isChecked());
        QCOMPARE(Text(form.get(), "LabelCout"), QString("0.50"));
    }

    void NoOptionRowAtAll() {
        EditorFixture f;
        auto form = f.Open(false);
        QCOMPARE(Box(form.get(), 3)->text(), QString(" : 0.00 € (0.00 € **)"));
        QVERIFY_THROWS_EXCEPTION(offrel::Error, Box(form.get(), 1)->setChecked(true));
    }
};

}  // namespace

int RunCostTests(int argc, char** argv) {
    CostTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "CostTest.moc"
