// The list of sales as a seller with many of them uses it: the search field and its count, the
// sort by a column's title, the columns offered by the title row's menu, and what the settings
// file keeps of them from one run to the next.
#include <QFile>
#include <QLabel>
#include <memory>

#include "AppFixture.h"
#include "ListDriver.h"
#include "TestMain.h"
#include "base/Windows1252.h"
#include "gui/QtText.h"
#include "tables/Rows.h"

namespace {

// A sale with a description and a category of the fixture's catalogue (2: "Lampes",
// 3: "Livres"), its title in UTF-8.
void AddDescribedSale(offrel::Table& sales, const char* title, const char* description,
                      std::int32_t category, std::int64_t priceTicks) {
    AddSale(sales, title, offrel::Money::FromTicks(priceTicks));
    sales.Edit();
    sales.FieldByName("Description").SetAsString(offrel::W(description));
    sales.FieldByName("Categorie1").SetAsInteger(category);
    sales.FieldByName("Reference").SetAsString(std::string("REF-") + title[0]);
    sales.Post();
}

QAction* ColumnEntry(int column) {
    return Grid()->findChild<QAction*>(QStringLiteral("ActionColonne%1").arg(column));
}

}  // namespace

class SalesListTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void searchFindsEveryWordIgnoringCaseAndAccentsAndCountsTheSales();
    void escapeAndCtrlFWorkTheSearchField();
    void deletionWithASearchActiveTouchesOnlyTheShownSelection();
    void titleClicksSortUpDownThenBackToTheTablesOrder();
    void columnsWidthsAndSortAreRememberedAcrossRuns();
    void aDamagedSettingsFileGivesTheDefaultsSilently();

private:
    offrel::Table& Sales() const { return fixture_->Sales(); }
    void Restart();
    void AddFourSales();

    std::unique_ptr<AppFixture> fixture_;
};

void SalesListTest::init() {
    fixture_ = std::make_unique<AppFixture>();
    fixture_->Start();
    Form1->show();
    QVERIFY(QTest::qWaitForWindowExposed(Form1));
}

void SalesListTest::cleanup() {
    fixture_.reset();
}

void SalesListTest::Restart() {
    fixture_->program.reset();
    fixture_->Start();
    Form1->show();
    QVERIFY(QTest::qWaitForWindowExposed(Form1));
}

void SalesListTest::AddFourSales() {
    AddDescribedSale(Sales(), "Lampe à pétrole", "Verre gravé, mèche neuve", 2, 250000);
    AddDescribedSale(Sales(), "Théière", "Porcelaine de Limoges", 3, 90000);
    AddDescribedSale(Sales(), "Abat-jour", "Soie ÉCRUE, pour lampe", 2, 120000);
    AddDescribedSale(Sales(), "Zootrope", "Jouet optique", 3, 90000);
}

void SalesListTest::searchFindsEveryWordIgnoringCaseAndAccentsAndCountsTheSales() {
    AddFourSales();
    QCOMPARE(LabelText("LabelNombre"), QStringLiteral("4 ventes"));
    struct Search {
        const char* typed;
        QStringList shown;
    };
    const Search searches[] = {
        {"LAMPE", {"Lampe à pétrole", "Abat-jour"}},   // title, then description
        {"theiere", {"Théière"}},                      // accents ignored
        {"ecrue lampe", {"Abat-jour"}},                // every word
        {"lampes", {"Lampe à pétrole", "Abat-jour"}},  // the category's name
        {"ref-z", {"Zootrope"}},                       // the reference
        {"pétrole livres", {}},                        // no sale has both
    };
    for (const Search& search : searches) {
        SearchField()->setText(QString::fromUtf8(search.typed));
        QCOMPARE(TitlesShown(), search.shown);
        QCOMPARE(LabelText("LabelNombre"),
                 QStringLiteral("%1 / 4 ventes").arg(search.shown.size()));
    }
}

void SalesListTest::escapeAndCtrlFWorkTheSearchField() {
    AddFourSales();
    PressKeys(QKeySequence(QStringLiteral("Ctrl+F")));
    QTRY_COMPARE(Form1->focusWidget(), SearchField());
    QTest::keyClicks(SearchField(), QStringLiteral("jouet"));
    QCOMPARE(TitlesShown(), QStringList{"Zootrope"});
    QTest::keyClick(SearchField(), Qt::Key_Escape);
    QVERIFY(SearchField()->text().isEmpty());
    QCOMPARE(TitlesShown().size(), 4);
    QCOMPARE(LabelText("LabelNombre"), QStringLiteral("4 ventes"));
    // The command from the menu button goes to the field too.
    Grid()->setFocus();
    ChooseCommand(QStringLiteral("Rechercher dans les ventes"));
    QTRY_COMPARE(Form1->focusWidget(), SearchField());
}

void SalesListTest::deletionWithASearchActiveTouchesOnlyTheShownSelection() {
    AddFourSales();
    // Every sale selected, then a search hides two of them.
    ClickRow(0);
    for (int row = 1; row < 4; ++row) ClickRow(row, Qt::ControlModifier);
    SearchField()->setText(QStringLiteral("lampe"));
    QCOMPARE(Grid()->SelectedSales(), (std::vector<int>{0, 2}));
    PressKeys(QKeySequence(Qt::Key_Delete));
    QCOMPARE(TitlesShown(), QStringList());
    QCOMPARE(LabelText("LabelNombre"), QStringLiteral("0 / 2 ventes"));
    SearchField()->clear();
    QCOMPARE(TitlesShown(), (QStringList{"Théière", "Zootrope"}));
    QCOMPARE(fixture_->SalesInFile().size(), 2);
    // A click on a shown row after a search selects that row, not a hidden one.
    SearchField()->setText(QStringLiteral("jouet"));
    ClickRow(0);
    QCOMPARE(Grid()->SelectedSales(), std::vector<int>{1});
    QCOMPARE(Sales().RecNo(), 1);
}

void SalesListTest::titleClicksSortUpDownThenBackToTheTablesOrder() {
    AddFourSales();
    const QStringList tableOrder = {"Lampe à pétrole", "Théière", "Abat-jour", "Zootrope"};
    ClickTitle(0);
    QCOMPARE(TitlesShown(), (QStringList{"Abat-jour", "Lampe à pétrole", "Théière", "Zootrope"}));
    ClickTitle(0);
    QCOMPARE(TitlesShown(), (QStringList{"Zootrope", "Théière", "Lampe à pétrole", "Abat-jour"}));
    ClickTitle(0);
    QCOMPARE(TitlesShown(), tableOrder);
    // By price, equal prices in the table's order; the table itself never moves.
    ClickTitle(1);
    QCOMPARE(TitlesShown(), (QStringList{"Théière", "Zootrope", "Abat-jour", "Lampe à pétrole"}));
    for (int row = 0; row < 4; ++row)
        QCOMPARE(FromW1252(offrel::ReadSale(Sales(), row).libelle.value()), tableOrder[row]);
    // A sale added while sorted joins the list in its place.
    AddDescribedSale(Sales(), "Miroir", "Cadre doré", 2, 100000);
    QTRY_COMPARE(TitlesShown(),
                 (QStringList{"Théière", "Zootrope", "Miroir", "Abat-jour", "Lampe à pétrole"}));
}

void SalesListTest::columnsWidthsAndSortAreRememberedAcrossRuns() {
    AddFourSales();
    Sales().Save();
    // The further columns are hidden at first, offered by the title row's menu.
    for (int column = 2; column < 8; ++column) {
        QVERIFY(Grid()->isColumnHidden(column));
        QVERIFY(!ColumnEntry(column)->isChecked());
    }
    ColumnEntry(2)->trigger();  // Référence
    ColumnEntry(3)->trigger();  // Catégorie
    QVERIFY(!Grid()->isColumnHidden(2));
    QCOMPARE(Grid()->model()->index(0, 3).data().toString(), QStringLiteral("Lampes"));
    Grid()->setColumnWidth(0, 300);
    ClickTitle(1);
    ClickTitle(1);

    Restart();
    QVERIFY(!Grid()->isColumnHidden(2));
    QVERIFY(!Grid()->isColumnHidden(3));
    QVERIFY(Grid()->isColumnHidden(4));
    QVERIFY(ColumnEntry(2)->isChecked());
    QCOMPARE(Grid()->columnWidth(0), 300);
    QCOMPARE(Grid()->horizontalHeader()->sortIndicatorSection(), 1);
    QCOMPARE(Grid()->horizontalHeader()->sortIndicatorOrder(), Qt::DescendingOrder);
    QCOMPARE(TitlesShown().first(), QStringLiteral("Lampe à pétrole"));
    QVERIFY(QFile::exists(fixture_->FilePath("Offrel.ini")));
}

void SalesListTest::aDamagedSettingsFileGivesTheDefaultsSilently() {
    fixture_->program.reset();
    fixture_->WriteFile("Offrel.ini",
                        "[ListeDesVentes\nColonnes=\x01\x02\nLargeurs=-5, abc, 99999\nTri=Nulle\n");
    fixture_->Start();
    Form1->show();
    QVERIFY(QTest::qWaitForWindowExposed(Form1));
    QCOMPARE(Grid()->columnWidth(0), 535);
    QCOMPARE(Grid()->columnWidth(1), 135);
    for (int column = 2; column < 8; ++column) QVERIFY(Grid()->isColumnHidden(column));
    QCOMPARE(Grid()->horizontalHeader()->sortIndicatorSection(), -1);
    QVERIFY(fixture_->dialogs.errors.isEmpty());
}

OFFREL_TEST_MAIN(SalesListTest)
#include "SalesListTest.moc"
