#include <QDropEvent>
#include <QFile>
#include <QHeaderView>
#include <QMimeData>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QUrl>
#include <memory>

#include "AppFixture.h"
#include "ModalHelper.h"
#include "TestMain.h"
#include "app/Forms.h"
#include "app/MoneyText.h"
#include "app/ProgramBlock.h"
#include "app/SalesGrid.h"
#include "app/TForm1.h"
#include "app/TForm4.h"
#include "app/TForm5.h"
#include "base/Conversions.h"
#include "editor/TForm2.h"

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void gridShowsTitleAndPriceReadOnlyWithoutRowIndicator();
    void priceUsesTheLocaleMoneyFormatWithTheApplicationSeparator();
    void clickAndCtrlClickSelectRows();
    void arrowsMoveAndClearShiftArrowsExtendRowByRow();
    void shiftArrowsExtendFromTheRowClickedLast();
    void otherButtonsAndDragsChangeNeitherCurrentRowNorSelection();
    void currentRowIsTheTablesBothWays();
    void deleteRemovesEverySelectedSaleAndSavesAtOnce();
    void modifyNeedsASelectionAndOpensAFreshEditorOnTheCurrentRow();
    void newSaleOpensAFreshEditorAndASavedSaleIsInTheFileAtOnce();
    void importCancelledDoesNothing();
    void importShowsEachRowAtOnceAndSaves();
    void importStoppedByAnErrorKeepsEarlierRowsAndSavesThem();
    void importReportsTheLinesItPassedOver();
    void importOfAMissingFileIsReported();
    void aSalesFileDroppedOnTheListIsImported();
    void sendButtonOpensTheSendWindowAndQuitClosesTheMainWindow();
    void ctrlShiftDShowsTheDebugWindow();
    void aWindowThatWasNotCreatedIsSaidMissing();

private:
    SalesGrid* Grid() const { return Form1->findChild<SalesGrid*>(QStringLiteral("DBGridVente")); }
    QPushButton* Button(const char* name) const {
        return Form1->findChild<QPushButton*>(QLatin1String(name));
    }
    offrel::Table& Sales() const { return fixture_->Sales(); }
    void AddSales(const QStringList& titles);
    void Click(int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    QList<int> Selected() const { return Grid()->SelectedRows(); }
    QStringList TitlesInTable() const;
    std::string Photo() const;

    std::unique_ptr<AppFixture> fixture_;
};

void MainWindowTest::init() {
    fixture_ = std::make_unique<AppFixture>();
    fixture_->Start();
    Form1->show();
    QVERIFY(QTest::qWaitForWindowExposed(Form1));
}

void MainWindowTest::cleanup() {
    fixture_.reset();
}

void MainWindowTest::AddSales(const QStringList& titles) {
    for (const QString& title : titles) AddSale(Sales(), title.toStdString());
}

void MainWindowTest::Click(int row, Qt::KeyboardModifiers modifiers) {
    const QRect cell = Grid()->visualRect(Grid()->model()->index(row, 0));
    QTest::mouseClick(Grid()->viewport(), Qt::LeftButton, modifiers, cell.center());
}

QStringList MainWindowTest::TitlesInTable() const {
    QStringList titles;
    for (int row = 0; row < Grid()->model()->rowCount(); ++row)
        titles.append(Grid()->model()->index(row, 0).data().toString());
    return titles;
}

std::string MainWindowTest::Photo() const {
    const QString path = fixture_->FilePath("photo.jpg");
    fixture_->WriteFile("photo.jpg", "\xFF\xD8\xFF\xD9");
    return QFile::encodeName(path).toStdString();
}

void MainWindowTest::gridShowsTitleAndPriceReadOnlyWithoutRowIndicator() {
    AddSales({QStringLiteral("Lampe à huile")});
    SalesGrid* grid = Grid();
    // The designed two; the columns the seller may add are hidden at first.
    QCOMPARE(grid->model()->columnCount(), 8);
    for (int column = 2; column < 8; ++column) QVERIFY(grid->isColumnHidden(column));
    QCOMPARE(grid->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Libelle"));
    QCOMPARE(grid->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Prix"));
    QCOMPARE(grid->columnWidth(0), 535);
    QCOMPARE(grid->columnWidth(1), 135);
    QVERIFY(grid->verticalHeader()->isHidden());
    QCOMPARE(grid->editTriggers(), QAbstractItemView::NoEditTriggers);
    QCOMPARE(grid->selectionBehavior(), QAbstractItemView::SelectRows);
    QCOMPARE(grid->horizontalHeader()->sectionResizeMode(0), QHeaderView::Interactive);
    QCOMPARE(TitlesInTable(), QStringList{QStringLiteral("Lampe à huile")});
    QVERIFY(!(grid->model()->flags(grid->model()->index(0, 0)) & Qt::ItemIsEditable));
    QCOMPARE(Form1->size(), QSize(694, 528));
    QCOMPARE(Form1->minimumSize(), Form1->maximumSize());
    QVERIFY(!Button("ButtonDebug")->isVisible());
}

void MainWindowTest::priceUsesTheLocaleMoneyFormatWithTheApplicationSeparator() {
    const char separator = offrel::DecimalSeparator();
    const offrel::Money amount = offrel::Money::FromTicks(125000);  // 12.50
    offrel::SetDecimalSeparator('.');
    const QString french = MoneyText(amount, QLocale(QLocale::French, QLocale::France));
    QVERIFY2(french.startsWith(QStringLiteral("12.50")) && french.endsWith(QStringLiteral("€")),
             qPrintable(french));
    const QString american = MoneyText(amount, QLocale(QLocale::English, QLocale::UnitedStates));
    QCOMPARE(american, QStringLiteral("$12.50"));
    offrel::SetDecimalSeparator(',');
    QCOMPARE(MoneyText(amount, QLocale(QLocale::English, QLocale::UnitedStates)),
             QStringLiteral("$12,50"));
    // Thousands keep the locale's group separator; only the decimal point is the application's.
    QCOMPARE(MoneyText(offrel::Money::FromTicks(12345000000),
                       QLocale(QLocale::English, QLocale::UnitedStates)),
             QStringLiteral("$1,234,500,00"));
    offrel::SetDecimalSeparator(separator);

    AddSale(Sales(), "Lampe", amount);
    QCOMPARE(Grid()->model()->index(0, 1).data().toString(), MoneyText(amount));
}

void MainWindowTest::clickAndCtrlClickSelectRows() {
    AddSales({"A", "B", "C", "D", "E"});
    Click(1);
    QCOMPARE(Selected(), QList<int>{1});
    QCOMPARE(Sales().RecNo(), 1);
    Click(3);
    QCOMPARE(Selected(), QList<int>{3});
    Click(1, Qt::ControlModifier);
    QCOMPARE(Selected(), (QList<int>{1, 3}));
    QCOMPARE(Sales().RecNo(), 1);
    // Ctrl+click on a selected row removes it and still makes it current.
    Click(3, Qt::ControlModifier);
    QCOMPARE(Selected(), QList<int>{1});
    QCOMPARE(Sales().RecNo(), 3);
    Click(4);
    QCOMPARE(Selected(), QList<int>{4});
}

void MainWindowTest::arrowsMoveAndClearShiftArrowsExtendRowByRow() {
    AddSales({"A", "B", "C", "D", "E", "F"});
    Click(1);
    QTest::keyClick(Grid(), Qt::Key_Down);
    QVERIFY(Selected().isEmpty());
    QCOMPARE(Sales().RecNo(), 2);

    QTest::keyClick(Grid(), Qt::Key_Down, Qt::ShiftModifier);
    QCOMPARE(Selected(), (QList<int>{2, 3}));
    QTest::keyClick(Grid(), Qt::Key_Down, Qt::ShiftModifier);
    QCOMPARE(Selected(), (QList<int>{2, 3, 4}));
    QCOMPARE(Sales().RecNo(), 4);
    // Back towards where the extension started gives up the row left.
    QTest::keyClick(Grid(), Qt::Key_Up, Qt::ShiftModifier);
    QCOMPARE(Selected(), (QList<int>{2, 3}));
    QTest::keyClick(Grid(), Qt::Key_Up);
    QVERIFY(Selected().isEmpty());
    QCOMPARE(Sales().RecNo(), 2);
    // A new extension starts from the current row.
    QTest::keyClick(Grid(), Qt::Key_Up, Qt::ShiftModifier);
    QCOMPARE(Selected(), (QList<int>{1, 2}));
}

void MainWindowTest::shiftArrowsExtendFromTheRowClickedLast() {
    AddSales({"A", "B", "C", "D", "E", "F"});
    Click(1);
    QTest::keyClick(Grid(), Qt::Key_Down, Qt::ShiftModifier);
    QCOMPARE(Selected(), (QList<int>{1, 2}));
    Click(4);
    QTest::keyClick(Grid(), Qt::Key_Up, Qt::ShiftModifier);
    QCOMPARE(Selected(), (QList<int>{3, 4}));
    Click(0, Qt::ControlModifier);
    QTest::keyClick(Grid(), Qt::Key_Down, Qt::ShiftModifier);
    QCOMPARE(Selected(), (QList<int>{0, 1, 3, 4}));
    QCOMPARE(Sales().RecNo(), 1);
}

void MainWindowTest::otherButtonsAndDragsChangeNeitherCurrentRowNorSelection() {
    AddSales({"A", "B", "C", "D"});
    Click(1);
    const auto centre = [this](int row) {
        return Grid()->visualRect(Grid()->model()->index(row, 0)).center();
    };
    for (Qt::MouseButton button : {Qt::RightButton, Qt::MiddleButton}) {
        QTest::mouseClick(Grid()->viewport(), button, Qt::NoModifier, centre(3));
        QCOMPARE(Selected(), QList<int>{1});
        QCOMPARE(Sales().RecNo(), 1);
    }
    // Pressed on a row, dragged over two more and let go there.
    QTest::mousePress(Grid()->viewport(), Qt::LeftButton, Qt::NoModifier, centre(1));
    for (int row : {2, 3}) {
        QMouseEvent move(QEvent::MouseMove, centre(row),
                         Grid()->viewport()->mapToGlobal(centre(row)), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(Grid()->viewport(), &move);
    }
    QTest::mouseRelease(Grid()->viewport(), Qt::LeftButton, Qt::NoModifier, centre(3));
    QCOMPARE(Selected(), QList<int>{1});
    QCOMPARE(Sales().RecNo(), 1);
    QCOMPARE(Grid()->currentIndex().row(), 1);
}

void MainWindowTest::currentRowIsTheTablesBothWays() {
    AddSales({"A", "B", "C"});
    Sales().MoveTo(1);
    QTRY_COMPARE(Grid()->currentIndex().row(), 1);
    Click(2);
    QCOMPARE(Sales().RecNo(), 2);  // at once
    Sales().First();
    QTRY_COMPARE(Grid()->currentIndex().row(), 0);
    // Only the last of many moves reaches the grid.
    Sales().Last();
    Sales().MoveTo(1);
    QTRY_COMPARE(Grid()->currentIndex().row(), 1);
}

void MainWindowTest::deleteRemovesEverySelectedSaleAndSavesAtOnce() {
    AddSales({"A", "B", "C", "D", "E"});
    QTest::mouseClick(Button("Button3"), Qt::LeftButton);  // nothing selected: nothing happens
    QCOMPARE(Sales().RecordCount(), 5);

    Click(1);
    Click(3, Qt::ControlModifier);
    Click(4, Qt::ControlModifier);
    QTest::mouseClick(Button("Button3"), Qt::LeftButton);

    QCOMPARE(TitlesInTable(), (QStringList{"A", "C"}));
    QVERIFY(Selected().isEmpty());
    QVERIFY(!Sales().ControlsDisabled());
    QVERIFY(fixture_->dialogs.questions.isEmpty());
    // Written at once: a kill now loses nothing.
    QCOMPARE(fixture_->SalesInFile(), (QStringList{"A", "C"}));
}

void MainWindowTest::modifyNeedsASelectionAndOpensAFreshEditorOnTheCurrentRow() {
    AddSales({"A", "B", "C"});
    QPointer<TForm2> startupEditor = Form2;
    Click(0);
    QTest::keyClick(Grid(), Qt::Key_Down);  // moves, and no row is selected any more
    QTest::mouseClick(Button("Button4"), Qt::LeftButton);
    QCOMPARE(Form2, startupEditor.data());

    Click(0);
    Click(2, Qt::ControlModifier);
    Click(2, Qt::ControlModifier);  // current, though no longer selected
    bool modeSeen = false;
    int rowSeen = -1;
    OnNextModal([&](QDialog* dialog) {
        modeSeen = fixture_->program->Editor().ModeModification;
        rowSeen = Sales().RecNo();
        QCOMPARE(dialog, static_cast<QDialog*>(Form2));
        dialog->reject();
    });
    QTest::mouseClick(Button("Button4"), Qt::LeftButton);
    QVERIFY(modeSeen);
    QCOMPARE(rowSeen, 2);
    QVERIFY(startupEditor.isNull());
}

void MainWindowTest::newSaleOpensAFreshEditorAndASavedSaleIsInTheFileAtOnce() {
    fixture_->program->Editor().ModeModification = true;
    QPointer<TForm2> previous = Form2;
    bool modeSeen = true;
    OnNextModal([&](QDialog* dialog) {
        modeSeen = fixture_->program->Editor().ModeModification;
        AddSale(Sales(), "Vase");  // what "Valider la vente" stores
        dialog->accept();
    });
    QTest::mouseClick(Button("Button1"), Qt::LeftButton);
    QVERIFY(!modeSeen);
    QVERIFY(previous.isNull());
    QVERIFY(Form2);
    QCOMPARE(fixture_->SalesInFile(), QStringList{"Vase"});
}

void MainWindowTest::importCancelledDoesNothing() {
    QTest::mouseClick(Button("Button5"), Qt::LeftButton);
    QCOMPARE(fixture_->dialogs.filters, QStringList{"Fichiers CSV (*.csv)|*.csv"});
    QCOMPARE(Sales().RecordCount(), 0);
    QVERIFY(fixture_->dialogs.errors.isEmpty());
    QVERIFY(fixture_->dialogs.messages.isEmpty());
}

void MainWindowTest::importShowsEachRowAtOnceAndSaves() {
    const std::string photo = Photo();
    fixture_->WriteFile("ventes.csv", "entete\n12;Lampe;R1;Une lampe;" + photo +
                                          ";;;10,5;Y;5\n3;Vase;;Un vase;" + photo + ";;;4;;7\n");
    fixture_->dialogs.fileAnswers.push_back(fixture_->FilePath("ventes.csv"));
    QSignalSpy inserted(Grid()->model(), &QAbstractItemModel::rowsInserted);
    QSignalSpy reset(Grid()->model(), &QAbstractItemModel::modelReset);

    QTest::mouseClick(Button("Button5"), Qt::LeftButton);

    QVERIFY(fixture_->dialogs.errors.isEmpty());
    QVERIFY(fixture_->dialogs.reports.isEmpty());  // every line was imported: nothing to say
    QCOMPARE(inserted.count(), 2);  // each row as it is posted, not one refresh at the end
    QCOMPARE(reset.count(), 0);
    QCOMPARE(Sales().RecordCount(), 2);
    QStringList titles = TitlesInTable();
    titles.sort();
    QCOMPARE(titles, (QStringList{"Lampe", "Vase"}));
    QStringList inFile = fixture_->SalesInFile();
    inFile.sort();
    QCOMPARE(inFile, titles);
}

void MainWindowTest::importStoppedByAnErrorKeepsEarlierRowsAndSavesThem() {
    const std::string photo = Photo();
    fixture_->WriteFile("ventes.csv", "entete\n12;Lampe;;Une lampe;" + photo +
                                          ";;;10;;5\nabc;Vase;;Un vase;" + photo +
                                          ";;;4;;7\n5;Livre;;Un livre;" + photo + ";;;4;;7\n");
    fixture_->dialogs.fileAnswers.push_back(fixture_->FilePath("ventes.csv"));

    QTest::mouseClick(Button("Button5"), Qt::LeftButton);

    QVERIFY(fixture_->dialogs.errors.isEmpty());
    QCOMPARE(fixture_->dialogs.reports,
             QStringList{QStringLiteral(
                 "1 vente importée, 1 ligne non importée :\n\n"
                 "Ligne 3 : 'abc' n'est pas une valeur entière correcte\n\n"
                 "L'import s'est arrêté à la ligne 3 ; les lignes suivantes n'ont pas été lues.")});
    QCOMPARE(TitlesInTable(), QStringList{"Lampe"});
    QCOMPARE(fixture_->SalesInFile(), QStringList{"Lampe"});
    QCOMPARE(Sales().State(), offrel::TableState::Browse);
    // The window stays usable.
    QVERIFY(Form1->isVisible());
    QVERIFY(!Form1->CloseRequested());
}

void MainWindowTest::importReportsTheLinesItPassedOver() {
    const std::string photo = Photo();
    fixture_->WriteFile("ventes.csv", "entete\n12;Lampe;;\"Une lampe\nde bureau\";" + photo +
                                          ";;;10;;5\n3;Vase;;Un vase;absente.jpg;;;4;;7\n"
                                          "5;Livre;;Un livre;" +
                                          photo + ";;;;;7\n");
    fixture_->dialogs.fileAnswers.push_back(fixture_->FilePath("ventes.csv"));

    QTest::mouseClick(Button("Button5"), Qt::LeftButton);

    QCOMPARE(fixture_->dialogs.reports,
             QStringList{QStringLiteral("1 vente importée, 2 lignes non importées :\n\n"
                                        "Ligne 3 : la photo « absente.jpg » est introuvable\n"
                                        "Ligne 4 : le prix est vide")});
    QCOMPARE(TitlesInTable(), QStringList{"Lampe"});
    QCOMPARE(fixture_->SalesInFile(), QStringList{"Lampe"});
}

// The drag and the drop as the file manager sends them to the list; whether each was taken.
static std::pair<bool, bool> DragAndDrop(QWidget* target, const QList<QUrl>& urls) {
    QMimeData data;
    data.setUrls(urls);
    const QPoint middle = target->rect().center();
    QDragEnterEvent enter(middle, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    if (!enter.isAccepted()) return {false, false};
    QDropEvent drop(QPointF(middle), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    return {true, drop.isAccepted()};
}

void MainWindowTest::aSalesFileDroppedOnTheListIsImported() {
    const std::string photo = Photo();
    fixture_->WriteFile("Ventes du mois.CSV", "entete\n12;Lampe;R1;Une lampe;" + photo +
                                                  ";;;10,5;Y;5\n3;Vase;;Un vase;" + photo +
                                                  ";;;4;;7\n");
    const QUrl file = QUrl::fromLocalFile(fixture_->FilePath("Ventes du mois.CSV"));
    QWidget* list = Grid()->viewport();

    // Not a sales file, two of them, or a file that is not on this computer: not taken.
    const QUrl photoUrl = QUrl::fromLocalFile(QString::fromStdString(photo));
    QCOMPARE(DragAndDrop(list, {photoUrl}), std::make_pair(false, false));
    QCOMPARE(DragAndDrop(list, {file, file}), std::make_pair(false, false));
    QCOMPARE(DragAndDrop(list, {QUrl(QStringLiteral("https://exemple.fr/ventes.csv"))}),
             std::make_pair(false, false));
    QCOMPARE(Sales().RecordCount(), 0);

    QCOMPARE(DragAndDrop(list, {file}), std::make_pair(true, true));
    QVERIFY(fixture_->dialogs.errors.isEmpty());
    QVERIFY(fixture_->dialogs.filters.isEmpty());  // no file dialog
    QStringList titles = TitlesInTable();
    titles.sort();
    QCOMPARE(titles, (QStringList{"Lampe", "Vase"}));
}

void MainWindowTest::importOfAMissingFileIsReported() {
    fixture_->dialogs.fileAnswers.push_back(fixture_->FilePath("absent.csv"));
    QTest::mouseClick(Button("Button5"), Qt::LeftButton);
    QCOMPARE(fixture_->dialogs.errors.size(), 1);
    QVERIFY2(fixture_->dialogs.errors.front().contains(QStringLiteral("absent.csv")),
             qPrintable(fixture_->dialogs.errors.front()));
    QCOMPARE(Sales().RecordCount(), 0);
}

void MainWindowTest::sendButtonOpensTheSendWindowAndQuitClosesTheMainWindow() {
    QDialog* opened = nullptr;
    OnNextModal([&](QDialog* dialog) {
        opened = dialog;
        dialog->reject();
    });
    QTest::mouseClick(Button("Button2"), Qt::LeftButton);
    QCOMPARE(opened, static_cast<QDialog*>(Form5));

    QSignalSpy closed(Form1, &TForm1::closed);
    QTest::mouseClick(Button("ButtonQuitter"), Qt::LeftButton);
    QCOMPARE(closed.count(), 1);
    QVERIFY(Form1->CloseRequested());
    QVERIFY(!Form1->isVisible());
}

void MainWindowTest::ctrlShiftDShowsTheDebugWindow() {
    QVERIFY(!Form4->isVisible());
    Form1->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(Form1));
    QTest::keyClick(Form1, Qt::Key_D, Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY(Form4->isVisible());
    QVERIFY(!Form4->isModal());
}

void MainWindowTest::aWindowThatWasNotCreatedIsSaidMissing() {
    // As after a creation that failed at start-up: the reference stays empty.
    delete Form5;
    Form5 = nullptr;
    delete Form4;
    Form4 = nullptr;
    QTest::mouseClick(Button("Button2"), Qt::LeftButton);
    Form1->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(Form1));
    QTest::keyClick(Form1, Qt::Key_D, Qt::ControlModifier | Qt::ShiftModifier);
    const QStringList& errors = fixture_->dialogs.errors;
    QCOMPARE(errors.size(), 2);
    QVERIFY2(errors[0].startsWith(QStringLiteral(
                 "La fenêtre « Offrel Brivax - Envoi des ventes » n'a pas pu être créée")),
             qPrintable(errors[0]));
    QVERIFY2(errors[1].contains(QStringLiteral("« Brivax Offrel - Debug Window »")),
             qPrintable(errors[1]));
    QVERIFY(Form1->isVisible());
}

OFFREL_TEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
