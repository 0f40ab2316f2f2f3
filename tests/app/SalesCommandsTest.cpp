// The commands that work on many sales at once, each driven by its shortcut and by a menu:
// duplicate, delete, send the selection, and undo and redo of every kind of change.
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <cmath>
#include <memory>
#include <string>

#include "AppFixture.h"
#include "ListDriver.h"
#include "ModalHelper.h"
#include "TestMain.h"
#include "app/TForm5.h"
#include "editor/TForm2.h"
#include "gui/QtText.h"
#include "tables/Rows.h"

namespace {

// A sale with every field set, its title in UTF-8.
offrel::Sale FullSale(const std::string& title) {
    offrel::Sale sale;
    sale.libelle = offrel::W(title);
    sale.description = offrel::W("Description de " + title + "\r\nDeuxième ligne");
    sale.reference = "R-" + title;
    sale.prix = offrel::Money::FromTicks(125000);
    sale.typeVente = offrel::SaleType::FixedPrice;
    sale.quantite = 3;
    sale.dureeTypeVente = offrel::Duration::FiveDays;
    sale.renouvelable = false;
    sale.categorie = {2, std::nullopt, 3};
    sale.option[1] = true;
    sale.option[7] = true;
    sale.photo[0] = "/photos/" + title + ".jpg";
    sale.photo[5] = "/photos/" + title + "-6.jpg";
    return sale;
}

// Titles in alphabetical order: the table file keeps the sales in the order they were written
// (a row inserted among others, or put back, reads back after them), so the list of a later run
// holds the same sales in another order.
QStringList Sorted(QStringList titles) {
    titles.sort();
    return titles;
}

void AppendSale(offrel::Table& sales, const offrel::Sale& sale) {
    sales.Append();
    offrel::WriteSale(sales, sale);
    sales.Post();
}

}  // namespace

class SalesCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void theMenuButtonListsEveryNewCommandWithItsShortcut();
    void duplicatePlacesEachCopyAfterItsOriginalWithEveryField();
    void duplicateFromTheMenusActsOnTheSelectionWithoutChangingIt();
    void deleteKeyDeletesTheSelectionAndUndoBringsItBack();
    void undoAndRedoEachKindOfChange();
    void historyIsOfTheRunAndTheFileIsWhatWasLastSaved();
    void sendTheSelectionOnlyByShortcutAndByMenu();
    void anUploadsDeletionsAreNotUndoneAndASentSaleNeverComesBack();
    void bulkPriceChangeInEachModeShowsTheRangeAndIsOneUndoStep();
    void bulkDescriptionLineIsAddedThenTakenAway();
    void aBulkChangeThatOneSaleFailsChangesNothing();

private:
    offrel::Table& Sales() const { return fixture_->Sales(); }
    void AddSales(const QStringList& titles) {
        for (const QString& title : titles) AddSale(Sales(), title.toStdString());
    }
    QStringList TitlesInTable() const;
    void Restart();
    void Send(const QString& keysOrCommand, bool byMenu);
    // Four complete sales, all selected, their prices 10.00, 12.50, 0.99 and 200.00.
    void SelectFourPricedSales();
    std::vector<offrel::Money> Prices() const;

    std::unique_ptr<AppFixture> fixture_;
};

void SalesCommandsTest::init() {
    fixture_ = std::make_unique<AppFixture>();
    fixture_->Start();
    Form1->show();
    QVERIFY(QTest::qWaitForWindowExposed(Form1));
}

void SalesCommandsTest::cleanup() {
    fixture_.reset();
}

QStringList SalesCommandsTest::TitlesInTable() const {
    QStringList titles;
    for (int row = 0; row < Sales().RecordCount(); ++row)
        titles.append(FromW1252(offrel::ReadSale(Sales(), row).libelle.value_or("")));
    return titles;
}

void SalesCommandsTest::Restart() {
    fixture_->program.reset();
    fixture_->Start();
    Form1->show();
    QVERIFY(QTest::qWaitForWindowExposed(Form1));
}

void SalesCommandsTest::theMenuButtonListsEveryNewCommandWithItsShortcut() {
    QStringList entries;
    OnNextPopup([&entries](QMenu* menu) {
        for (QAction* action : menu->actions())
            entries.append(action->text() + QLatin1Char('\t') +
                           action->shortcut().toString(QKeySequence::PortableText));
        menu->close();
    });
    QTest::mouseClick(Form1->findChild<QToolButton*>(QStringLiteral("ButtonCommandes")),
                      Qt::LeftButton);
    QCOMPARE(entries,
             (QStringList{
                 QStringLiteral("Rechercher dans les ventes\tCtrl+F"),
                 QStringLiteral("Dupliquer\tCtrl+D"), QStringLiteral("Modifier en lot…\tCtrl+E"),
                 QStringLiteral("Envoyer la sélection…\tCtrl+Shift+T"),
                 QStringLiteral("Supprimer la sélection\tDel"), QStringLiteral("Annuler\tCtrl+Z"),
                 QStringLiteral("Rétablir\tCtrl+Y"), QStringLiteral("Ventes envoyées…\tCtrl+H"),
                 QStringLiteral("Restaurer une sauvegarde…\tCtrl+Shift+B"),
                 QStringLiteral("Exporter…\tCtrl+Shift+E")}));
    // The list's context menu offers the same.
    QCOMPARE(Grid()->actions().size(), 10);
}

void SalesCommandsTest::duplicatePlacesEachCopyAfterItsOriginalWithEveryField() {
    for (const char* title : {"Lampe", "Vase", "Livre", "Table"})
        AppendSale(Sales(), FullSale(title));
    ClickRow(1);
    ClickRow(3, Qt::ControlModifier);
    PressKeys(QKeySequence(QStringLiteral("Ctrl+D")));

    QCOMPARE(TitlesInTable(), (QStringList{"Lampe", "Vase", "Vase", "Livre", "Table", "Table"}));
    QCOMPARE(offrel::ReadSale(Sales(), 2), FullSale("Vase"));
    QCOMPARE(offrel::ReadSale(Sales(), 5), FullSale("Table"));
    // The copies are the selection, the first one the current row: "Modifier une vente" opens it.
    QCOMPARE(Grid()->SelectedSales(), (std::vector<int>{2, 5}));
    QCOMPARE(Sales().RecNo(), 2);
    QCOMPARE(Sorted(fixture_->SalesInFile()), Sorted(TitlesInTable()));
    int edited = -1;
    OnNextModal([&](QDialog* dialog) {
        edited = Sales().RecNo();
        dialog->reject();
    });
    QTest::mouseClick(Form1->findChild<QPushButton*>(QStringLiteral("Button4")), Qt::LeftButton);
    QCOMPARE(edited, 2);
}

void SalesCommandsTest::duplicateFromTheMenusActsOnTheSelectionWithoutChangingIt() {
    AddSales({"A", "B", "C"});
    ClickRow(0);
    // Opened over another row, the list's menu copies the selected sale, not that row.
    ChooseInListMenu(2, QStringLiteral("Dupliquer"));
    QCOMPARE(TitlesInTable(), (QStringList{"A", "A", "B", "C"}));
    QCOMPARE(Grid()->SelectedSales(), std::vector<int>{1});
    ChooseCommand(QStringLiteral("Dupliquer"));
    QCOMPARE(TitlesInTable(), (QStringList{"A", "A", "A", "B", "C"}));
    QCOMPARE(Grid()->SelectedSales(), std::vector<int>{2});
}

void SalesCommandsTest::deleteKeyDeletesTheSelectionAndUndoBringsItBack() {
    for (const char* title : {"Lampe", "Vase", "Livre", "Table"})
        AppendSale(Sales(), FullSale(title));
    ClickRow(0);
    ClickRow(2, Qt::ControlModifier);
    PressKeys(QKeySequence(Qt::Key_Delete));
    QCOMPARE(TitlesInTable(), (QStringList{"Vase", "Table"}));
    QVERIFY(fixture_->dialogs.questions.isEmpty());
    QCOMPARE(Sorted(fixture_->SalesInFile()), (QStringList{"Table", "Vase"}));

    PressKeys(QKeySequence(QStringLiteral("Ctrl+Z")));
    QCOMPARE(TitlesInTable(), (QStringList{"Lampe", "Vase", "Livre", "Table"}));
    QCOMPARE(offrel::ReadSale(Sales(), 2), FullSale("Livre"));
    QCOMPARE(LabelText("LabelHistorique"), QStringLiteral("Suppression de 2 ventes annulée"));
    QCOMPARE(Sorted(fixture_->SalesInFile()), Sorted(TitlesInTable()));

    ChooseCommand(QStringLiteral("Rétablir"));
    QCOMPARE(TitlesInTable(), (QStringList{"Vase", "Table"}));
    QCOMPARE(LabelText("LabelHistorique"), QStringLiteral("Suppression de 2 ventes rétablie"));
    QCOMPARE(Sorted(fixture_->SalesInFile()), Sorted(TitlesInTable()));
}

void SalesCommandsTest::undoAndRedoEachKindOfChange() {
    // An import.
    const QString photo = fixture_->FilePath("photo.jpg");
    fixture_->WriteFile("photo.jpg", "\xFF\xD8\xFF\xD9");
    const std::string path = QFile::encodeName(photo).toStdString();
    fixture_->WriteFile("ventes.csv", "entete\n2;Lampe;;Une lampe;" + path +
                                          ";;;10;;5\n2;Vase;;Un "
                                          "vase;" +
                                          path + ";;;4;;7\n");
    fixture_->dialogs.fileAnswers.push_back(fixture_->FilePath("ventes.csv"));
    QTest::mouseClick(Form1->findChild<QPushButton*>(QStringLiteral("Button5")), Qt::LeftButton);
    const QStringList imported = TitlesInTable();
    QCOMPARE(imported.size(), 2);
    // A sale saved by the editor.
    OnNextModal([this](QDialog* dialog) {
        AddSale(Sales(), "Saisie");  // what "Valider la vente" stores
        dialog->accept();
    });
    QTest::mouseClick(Form1->findChild<QPushButton*>(QStringLiteral("Button1")), Qt::LeftButton);
    const QStringList entered = TitlesInTable();
    // A copy, then a change in bulk, then a deletion.
    ClickRow(0);
    ChooseCommand(QStringLiteral("Dupliquer"));
    const QStringList copied = TitlesInTable();
    ClickRow(0);
    ClickRow(1, Qt::ControlModifier);
    OnNextModal([](QDialog* dialog) {
        dialog->findChild<QGroupBox*>(QStringLiteral("GroupBoxDuree"))->setChecked(true);
        dialog->findChild<QComboBox*>(QStringLiteral("ComboBoxDuree"))->setCurrentIndex(0);
        QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("ButtonAppliquer")),
                          Qt::LeftButton);
    });
    PressKeys(QKeySequence(QStringLiteral("Ctrl+E")));
    QCOMPARE(offrel::ReadSale(Sales(), 1).dureeTypeVente, offrel::Duration::ThreeDays);
    ClickRow(3);
    PressKeys(QKeySequence(Qt::Key_Delete));
    const QStringList last = TitlesInTable();

    const QStringList undone = {
        QStringLiteral("Suppression d'une vente annulée"),
        QStringLiteral("Modification de 2 ventes annulée"),
        QStringLiteral("Copie d'une vente annulée"),
        QStringLiteral("Saisie d'une vente annulée"),
        QStringLiteral("Importation de 2 ventes annulée"),
    };
    const QList<QStringList> states = {copied, copied, entered, imported, {}};
    for (int step = 0; step < undone.size(); ++step) {
        PressKeys(QKeySequence(QStringLiteral("Ctrl+Z")));
        QCOMPARE(LabelText("LabelHistorique"), undone[step]);
        QCOMPARE(TitlesInTable(), states[step]);
        QCOMPARE(Sorted(fixture_->SalesInFile()), Sorted(states[step]));
        // The change in bulk undone: the two sales have their imported duration back.
        if (step == 1)
            QCOMPARE(offrel::ReadSale(Sales(), 1).dureeTypeVente, offrel::Duration::SevenDays);
    }
    QVERIFY(!Form1->findChild<QAction*>(QStringLiteral("ActionAnnuler"))->isEnabled());
    for (int step = 0; step < undone.size(); ++step)
        PressKeys(QKeySequence(QStringLiteral("Ctrl+Y")));
    QCOMPARE(LabelText("LabelHistorique"), QStringLiteral("Suppression d'une vente rétablie"));
    QCOMPARE(TitlesInTable(), last);
    QCOMPARE(offrel::ReadSale(Sales(), 1).dureeTypeVente, offrel::Duration::ThreeDays);
    QCOMPARE(Sorted(fixture_->SalesInFile()), Sorted(last));
}

void SalesCommandsTest::historyIsOfTheRunAndTheFileIsWhatWasLastSaved() {
    AddSales({"A", "B", "C"});
    Sales().Save();
    ClickRow(1);
    PressKeys(QKeySequence(Qt::Key_Delete));
    ClickRow(0);
    PressKeys(QKeySequence(Qt::Key_Delete));
    PressKeys(QKeySequence(QStringLiteral("Ctrl+Z")));
    QCOMPARE(TitlesInTable(), (QStringList{"A", "C"}));

    Restart();
    QCOMPARE(Sorted(TitlesInTable()), (QStringList{"A", "C"}));
    QVERIFY(!Form1->findChild<QAction*>(QStringLiteral("ActionAnnuler"))->isEnabled());
    QVERIFY(!Form1->findChild<QAction*>(QStringLiteral("ActionRetablir"))->isEnabled());
    PressKeys(QKeySequence(QStringLiteral("Ctrl+Z")));
    QCOMPARE(Sorted(TitlesInTable()), (QStringList{"A", "C"}));
    QVERIFY(LabelText("LabelHistorique").isEmpty());
}

// Runs the send window on what it was opened for: login, password, "Démarrer".
void SalesCommandsTest::Send(const QString& keysOrCommand, bool byMenu) {
    OnNextModal([](QDialog* dialog) {
        dialog->findChild<QLineEdit*>(QStringLiteral("EditLogin"))->setText(QStringLiteral("v"));
        dialog->findChild<QLineEdit*>(QStringLiteral("EditPassword"))->setText(QStringLiteral("s"));
        QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("ButtonEnvoi")),
                          Qt::LeftButton);
    });
    if (byMenu)
        ChooseCommand(keysOrCommand);
    else
        PressKeys(QKeySequence(keysOrCommand));
}

void SalesCommandsTest::sendTheSelectionOnlyByShortcutAndByMenu() {
    AddSales({"A", "B", "C", "D", "E"});
    QString batch;
    fixture_->dialogs.onShown = [&batch](const QString&) {
        batch = Form5->findChild<QLabel*>(QStringLiteral("LabelLot"))->text();
    };
    ClickRow(0);
    ClickRow(2, Qt::ControlModifier);
    ClickRow(3, Qt::ControlModifier);
    Send(QStringLiteral("Ctrl+Shift+T"), false);
    QCOMPARE(batch, QStringLiteral("3 ventes sélectionnées — options : 0.00 €"));
    QCOMPARE(fixture_->site.PutVenteTitles(), (std::vector<std::string>{"A", "C", "D"}));
    QCOMPARE(fixture_->dialogs.messages.last(),
             QStringLiteral("L'envoi de vos ventes est réussi !"));
    QCOMPARE(TitlesInTable(), (QStringList{"B", "E"}));

    ClickRow(1);
    Send(QStringLiteral("Envoyer la sélection…"), true);
    QCOMPARE(batch, QStringLiteral("1 vente sélectionnée — options : 0.00 €"));
    QCOMPARE(fixture_->site.PutVenteTitles().size(), 4u);
    QCOMPARE(TitlesInTable(), QStringList{"B"});

    // "Télécharger mes ventes" still sends every sale.
    AddSales({"F"});
    OnNextModal([](QDialog* dialog) {
        QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("ButtonEnvoi")),
                          Qt::LeftButton);
    });
    QTest::mouseClick(Form1->findChild<QPushButton*>(QStringLiteral("Button2")), Qt::LeftButton);
    QCOMPARE(batch, QStringLiteral("2 ventes — options : 0.00 €"));
    QCOMPARE(fixture_->site.PutVenteTitles().size(), 6u);
    QVERIFY(TitlesInTable().isEmpty());
}

void SalesCommandsTest::anUploadsDeletionsAreNotUndoneAndASentSaleNeverComesBack() {
    AddSales({"A", "B", "C"});
    ClickRow(1);
    PressKeys(QKeySequence(Qt::Key_Delete));  // B
    ClickRow(0);
    PressKeys(QKeySequence(QStringLiteral("Ctrl+D")));  // a copy of A, selected
    Send(QStringLiteral("Ctrl+Shift+T"), false);
    QCOMPARE(fixture_->site.PutVenteTitles(), std::vector<std::string>{"A"});
    QCOMPARE(TitlesInTable(), (QStringList{"A", "C"}));
    // The copy went to the site: undoing it has nothing left to do, and the step before comes
    // next.
    PressKeys(QKeySequence(QStringLiteral("Ctrl+Z")));
    QCOMPARE(LabelText("LabelHistorique"), QStringLiteral("Suppression d'une vente annulée"));
    QCOMPARE(TitlesInTable(), (QStringList{"A", "B", "C"}));
    QVERIFY(!Form1->findChild<QAction*>(QStringLiteral("ActionAnnuler"))->isEnabled());
    PressKeys(QKeySequence(QStringLiteral("Ctrl+Y")));
    QCOMPARE(TitlesInTable(), (QStringList{"A", "C"}));
    QVERIFY(!Form1->findChild<QAction*>(QStringLiteral("ActionRetablir"))->isEnabled());
}

void SalesCommandsTest::SelectFourPricedSales() {
    const std::int64_t ticks[] = {100000, 125000, 9900, 2000000};
    for (int k = 0; k < 4; ++k) {
        offrel::Sale sale = FullSale("Vente " + std::to_string(k));
        sale.prix = offrel::Money::FromTicks(ticks[k]);
        AppendSale(Sales(), sale);
    }
    ClickRow(0);
    for (int row = 1; row < 4; ++row) ClickRow(row, Qt::ControlModifier);
}

std::vector<offrel::Money> SalesCommandsTest::Prices() const {
    std::vector<offrel::Money> prices;
    for (int row = 0; row < Sales().RecordCount(); ++row)
        prices.push_back(offrel::ReadSale(Sales(), row).prix.value_or(offrel::Money()));
    return prices;
}

namespace {

offrel::Money Euros(const char* amount) {
    return offrel::Money::FromTicks(
        static_cast<std::int64_t>(std::llround(std::stod(amount) * 10000)));
}

// The window's price frame ticked with a rule and a value.
void TickPrice(QDialog* window, int rule, const QString& value) {
    window->findChild<QGroupBox*>(QStringLiteral("GroupBoxPrix"))->setChecked(true);
    window->findChild<QComboBox*>(QStringLiteral("ComboBoxRegle"))->setCurrentIndex(rule);
    QLineEdit* edit = window->findChild<QLineEdit*>(QStringLiteral("EditValeur"));
    edit->clear();
    QTest::keyClicks(edit, value);
}

QString WindowLabel(QDialog* window, const char* name) {
    return window->findChild<QLabel*>(QLatin1String(name))->text();
}

void Apply(QDialog* window) {
    QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("ButtonAppliquer")),
                      Qt::LeftButton);
}

}  // namespace

void SalesCommandsTest::bulkPriceChangeInEachModeShowsTheRangeAndIsOneUndoStep() {
    SelectFourPricedSales();
    const std::vector<offrel::Money> start = Prices();
    struct Mode {
        int rule;
        const char* value;
        std::vector<const char*> prices;
        const char* after;
    };
    // Rounded to the cent, half away from zero: 12.50 + 5 % = 13.125 gives 13.13.
    const Mode modes[] = {
        {0, "15", {"15", "15", "15", "15"}, "Après : de 15.00 € à 15.00 €"},
        {1, "5", {"10.50", "13.13", "1.04", "210"}, "Après : de 1.04 € à 210.00 €"},
        {2, "10", {"9", "11.25", "0.89", "180"}, "Après : de 0.89 € à 180.00 €"},
        {3, "0.5", {"10.50", "13", "1.49", "200.50"}, "Après : de 1.49 € à 200.50 €"},
        {4, "0.98", {"9.02", "11.52", "0.01", "199.02"}, "Après : de 0.01 € à 199.02 €"},
    };
    for (const Mode& mode : modes) {
        QString before;
        QString after;
        OnNextModal([&](QDialog* window) {
            TickPrice(window, mode.rule, QString::fromLatin1(mode.value));
            before = WindowLabel(window, "LabelAvant");
            after = WindowLabel(window, "LabelApres");
            Apply(window);
        });
        // Half of the modes by the shortcut, half by the list's menu.
        if (mode.rule % 2 == 0)
            PressKeys(QKeySequence(QStringLiteral("Ctrl+E")));
        else
            ChooseInListMenu(mode.rule, QStringLiteral("Modifier en lot…"));
        QCOMPARE(before, QStringLiteral("Avant : de 0.99 € à 200.00 €"));
        QCOMPARE(after, QString::fromUtf8(mode.after));
        std::vector<offrel::Money> expected;
        for (const char* price : mode.prices) expected.push_back(Euros(price));
        QCOMPARE(Prices(), expected);
        // The same four stay selected, and one undo gives every price back.
        QCOMPARE(Grid()->SelectedSales(), (std::vector<int>{0, 1, 2, 3}));
        PressKeys(QKeySequence(QStringLiteral("Ctrl+Z")));
        QCOMPARE(Prices(), start);
        QCOMPARE(LabelText("LabelHistorique"), QStringLiteral("Modification de 4 ventes annulée"));
        ClickRow(0);
        for (int row = 1; row < 4; ++row) ClickRow(row, Qt::ControlModifier);
    }
}

void SalesCommandsTest::bulkDescriptionLineIsAddedThenTakenAway() {
    SelectFourPricedSales();
    const std::string shipping = offrel::W("Frais de port : 5 €");
    for (const int way : {0, 1}) {
        OnNextModal([way](QDialog* window) {
            window->findChild<QGroupBox*>(QStringLiteral("GroupBoxDescription"))->setChecked(true);
            window->findChild<QComboBox*>(QStringLiteral("ComboBoxDescription"))
                ->setCurrentIndex(way);
            window->findChild<QPlainTextEdit*>(QStringLiteral("MemoTexte"))
                ->setPlainText(QStringLiteral("Frais de port : 5 €"));
            Apply(window);
        });
        PressKeys(QKeySequence(QStringLiteral("Ctrl+E")));
        for (int row = 0; row < 4; ++row) {
            const std::string plain = FullSale("Vente " + std::to_string(row)).description.value();
            QCOMPARE(offrel::ReadSale(Sales(), row).description.value(),
                     way == 0 ? plain + "\r\n" + shipping : plain);
        }
    }
    QCOMPARE(fixture_->SalesInFile().size(), 4);
}

void SalesCommandsTest::aBulkChangeThatOneSaleFailsChangesNothing() {
    SelectFourPricedSales();
    // One description near its field's limit: the line added would not fit.
    Sales().MoveTo(2);
    Sales().Edit();
    Sales().FieldByName("Description").SetAsString(std::string(4090, 'x'));
    Sales().Post();
    Sales().Save();
    ClickRow(0);
    for (int row = 1; row < 4; ++row) ClickRow(row, Qt::ControlModifier);
    const std::vector<offrel::Sale> before = {
        offrel::ReadSale(Sales(), 0), offrel::ReadSale(Sales(), 1), offrel::ReadSale(Sales(), 2),
        offrel::ReadSale(Sales(), 3)};
    bool stayedOpen = false;
    OnNextModal([&stayedOpen](QDialog* window) {
        TickPrice(window, 1, QStringLiteral("5"));
        window->findChild<QGroupBox*>(QStringLiteral("GroupBoxDescription"))->setChecked(true);
        window->findChild<QPlainTextEdit*>(QStringLiteral("MemoTexte"))
            ->setPlainText(QStringLiteral("Envoi soigné"));
        Apply(window);
        stayedOpen = window->isVisible();
        window->reject();
    });
    ChooseInListMenu(1, QStringLiteral("Modifier en lot…"));
    QVERIFY(stayedOpen);
    for (int row = 0; row < 4; ++row) QCOMPARE(offrel::ReadSale(Sales(), row), before[row]);
    QCOMPARE(fixture_->dialogs.reports.size(), 1);
    const QString report = fixture_->dialogs.reports.last();
    QVERIFY2(report.startsWith(QStringLiteral("Aucune vente n'a été modifiée : 1 vente")),
             qPrintable(report));
    QVERIFY(report.contains(QStringLiteral("« Vente 2 »")));
    QVERIFY(report.contains(QStringLiteral("4096")));
    QVERIFY(!Form1->findChild<QAction*>(QStringLiteral("ActionAnnuler"))->isEnabled());
}

OFFREL_TEST_MAIN(SalesCommandsTest)
#include "SalesCommandsTest.moc"
