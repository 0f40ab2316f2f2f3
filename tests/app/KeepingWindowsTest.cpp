#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <filesystem>
#include <memory>

#include "AppFixture.h"
#include "ListDriver.h"
#include "ModalHelper.h"
#include "TestMain.h"
#include "app/Forms.h"
#include "app/SalesGrid.h"
#include "app/SentSalesWindow.h"
#include "app/TForm1.h"
#include "gui/QtText.h"
#include "history/SalesHistory.h"
#include "tables/Rows.h"
#include "tables/SalesBackups.h"
#include "tests/common/RandomSales.h"

using offrel::Sale;

// The windows of the sent sales and of the backups, and the export of the main list, driven
// through the main window's commands.
class KeepingWindowsTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void relistSaysMissingPhotosOnceThenAddsEverySaleAsSent();
    void deleteFromHistoryOnlyAfterYes();
    void exportOfSearchedAndSelectedSentSales();
    void searchAfterADeletionStillLooksAtDescriptions();
    void aFailedReadingOfTheSearchTextsIsSaidOnce();
    void restoreAsksThenLoadsTheBackupAndKeepsTheCurrentFile();
    void exportFromMainListTakesSelectionOrAll();

private:
    offrel::Table& Sales() const { return fixture_->Sales(); }
    // Keeps the sales in the history as the site's answers would, one second apart.
    void Sent(const std::vector<Sale>& sales);
    // Runs the command, acting on the window it opens.
    template <typename Window>
    void InWindow(void (TForm1::*command)(), std::function<void(Window*)> act);
    QString SheetText(const QString& path) const;

    std::unique_ptr<AppFixture> fixture_;
    std::unique_ptr<offrel::testing::TempFolder> photos_;
};

void KeepingWindowsTest::init() {
    fixture_ = std::make_unique<AppFixture>();
    fixture_->Start();
    photos_ = std::make_unique<offrel::testing::TempFolder>();
}

void KeepingWindowsTest::cleanup() {
    fixture_.reset();
    photos_.reset();
}

void KeepingWindowsTest::Sent(const std::vector<Sale>& sales) {
    offrel::SalesHistory history(offrel::SalesHistoryPath(Sales().FileName()));
    std::int64_t at = 1'800'000'000;
    for (const Sale& sale : sales) history.Add(sale, at++, "vendeur");
}

template <typename Window>
void KeepingWindowsTest::InWindow(void (TForm1::*command)(), std::function<void(Window*)> act) {
    bool acted = false;
    OnNextModal([&](QDialog* dialog) {
        auto* window = qobject_cast<Window*>(dialog);
        if (window) {
            act(window);
            acted = true;
        }
        dialog->reject();
    });
    (Form1->*command)();
    QVERIFY(acted);
}

QString KeepingWindowsTest::SheetText(const QString& path) const {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return QString();
    return QString::fromUtf8(file.readAll());
}

void KeepingWindowsTest::relistSaysMissingPhotosOnceThenAddsEverySaleAsSent() {
    const std::vector<std::string> photos = offrel::testing::MakePhotoFiles(*photos_, 8);
    std::vector<Sale> sent = offrel::testing::RandomSales(3, 21, photos);
    // Two sales lost the same photo since they were sent; the third has all of its own.
    const std::string gone = photos_->Path().string() + "/disparue.jpg";
    sent[0].photo[2] = gone;
    sent[1].photo[0] = gone;
    Sent(sent);
    AddSale(Sales(), "Déjà là");

    int countWhenTold = -1;
    fixture_->dialogs.onShown = [&](const QString&) { countWhenTold = Sales().RecordCount(); };
    InWindow<QDialog>(&TForm1::ActionVentesEnvoyeesExecute, [](QDialog* window) {
        window->findChild<QTableView*>("ListeVentes")->selectAll();
        window->findChild<QPushButton*>("ButtonRemettre")->click();
    });

    QCOMPARE(fixture_->dialogs.reports.size(), 1);
    QVERIFY(fixture_->dialogs.reports[0].contains(FromW1252(gone)));
    QVERIFY(!fixture_->dialogs.reports[0].contains(FromW1252(photos[0])));
    QCOMPARE(fixture_->dialogs.reports[0].count(QStringLiteral("disparue.jpg")), 1);
    QCOMPARE(countWhenTold, 1);  // said before anything was added
    QVERIFY(fixture_->dialogs.errors.isEmpty());
    // Latest first, as the list shows them, after the sale already there.
    QCOMPARE(Sales().RecordCount(), 4);
    for (int k = 0; k < 3; ++k) QCOMPARE(offrel::ReadSale(Sales(), 1 + k), sent[2 - k]);
    QCOMPARE(fixture_->SalesInFile().size(), 4);
}

void KeepingWindowsTest::deleteFromHistoryOnlyAfterYes() {
    Sent(offrel::testing::RandomSales(3, 7, offrel::testing::MakePhotoFiles(*photos_, 8)));
    const auto deleteFirst = [&](bool answer) {
        fixture_->dialogs.confirmAnswers = {answer};
        InWindow<QDialog>(&TForm1::ActionVentesEnvoyeesExecute, [](QDialog* window) {
            window->findChild<QTableView*>("ListeVentes")->selectRow(0);
            window->findChild<QPushButton*>("ButtonSupprimer")->click();
        });
    };
    const auto kept = [&] {
        offrel::SalesHistory history(offrel::SalesHistoryPath(Sales().FileName()));
        return history.List().size();
    };
    deleteFirst(false);
    QCOMPARE(fixture_->dialogs.questions.size(), 1);
    QCOMPARE(kept(), std::size_t(3));
    deleteFirst(true);
    QCOMPARE(fixture_->dialogs.questions.size(), 2);
    QCOMPARE(kept(), std::size_t(2));
    // The latest one went: the two first sent stay.
    offrel::SalesHistory history(offrel::SalesHistoryPath(Sales().FileName()));
    const offrel::SentSalesList left = history.List();
    QCOMPARE(left[0].answeredAt, 1'800'000'001);
    QCOMPARE(left[1].answeredAt, 1'800'000'000);
    QCOMPARE(Sales().RecordCount(), 0);  // the sales table never changes
}

void KeepingWindowsTest::exportOfSearchedAndSelectedSentSales() {
    std::vector<Sale> sent(3);
    sent[0].libelle = offrel::W("Vélo rouge");
    sent[1].libelle = offrel::W("Lampe; bleue");
    sent[2].libelle = offrel::W("Vélo bleu");
    Sent(sent);
    fixture_->dialogs.saveAnswers = {fixture_->FilePath("envoyées")};
    InWindow<QDialog>(&TForm1::ActionVentesEnvoyeesExecute, [](QDialog* window) {
        auto* list = window->findChild<QTableView*>("ListeVentes");
        QVERIFY(!window->findChild<QPushButton*>("ButtonExporter")->isEnabled());
        window->findChild<QLineEdit*>("EditRecherche")->setText(QStringLiteral("velo"));
        QCOMPARE(list->model()->rowCount(), 2);
        list->selectAll();
        window->findChild<QPushButton*>("ButtonExporter")->click();
    });
    // The extension is added to the name typed without one.
    const QString sheet = SheetText(fixture_->FilePath("envoyées.csv"));
    QVERIFY(sheet.contains(QStringLiteral("Vélo rouge")));
    QVERIFY(sheet.contains(QStringLiteral("Vélo bleu")));
    QVERIFY(!sheet.contains(QStringLiteral("Lampe")));
    QCOMPARE(sheet.count(QStringLiteral("\r\n")), 3);  // the header and two sales
    QCOMPARE(fixture_->dialogs.saveFilters.size(), 1);
}

void KeepingWindowsTest::searchAfterADeletionStillLooksAtDescriptions() {
    std::vector<Sale> sent(3);
    for (Sale& sale : sent) sale.description = offrel::W("Verre soufflé");
    sent[0].libelle = "Vase";
    sent[1].libelle = "Carafe";
    sent[2].libelle = "Coupe";
    sent[1].description = "Faience";
    Sent(sent);
    fixture_->dialogs.confirmAnswers = {true};
    InWindow<QDialog>(&TForm1::ActionVentesEnvoyeesExecute, [](QDialog* window) {
        auto* list = window->findChild<QTableView*>("ListeVentes");
        auto* search = window->findChild<QLineEdit*>("EditRecherche");
        search->setText(QStringLiteral("souffle"));
        QCOMPARE(list->model()->rowCount(), 2);
        list->selectRow(0);  // the latest: "Coupe"
        window->findChild<QPushButton*>("ButtonSupprimer")->click();
        QCOMPARE(list->model()->rowCount(), 1);
        search->setText(QStringLiteral("verre"));
        QCOMPARE(list->model()->rowCount(), 1);
        search->clear();
        QCOMPARE(list->model()->rowCount(), 2);
    });
    QVERIFY(fixture_->dialogs.errors.isEmpty());
}

void KeepingWindowsTest::aFailedReadingOfTheSearchTextsIsSaidOnce() {
    Sent(std::vector<Sale>(3));
    const std::string path = offrel::SalesHistoryPath(Sales().FileName());
    offrel::SalesHistory history(path);
    std::filesystem::remove(path);  // read still through the open connection, not anew
    SentSalesWindow window(history, Sales(), fixture_->program->Tables().cdsCategorie,
                           [](const std::function<void()>& change) { change(); });
    auto* list = window.findChild<QTableView*>("ListeVentes");
    auto* search = window.findChild<QLineEdit*>("EditRecherche");
    QCOMPARE(list->model()->rowCount(), 3);
    search->setText(QStringLiteral("velo"));
    QCOMPARE(fixture_->dialogs.errors.size(), 1);
    QVERIFY(fixture_->dialogs.errors[0].contains(
        QStringLiteral("Impossible de lire l'historique des ventes envoyées")));
    QCOMPARE(list->model()->rowCount(), 0);
    search->setText(QStringLiteral("vel"));
    search->clear();
    QCOMPARE(list->model()->rowCount(), 3);
    QCOMPARE(fixture_->dialogs.errors.size(), 1);
}

void KeepingWindowsTest::restoreAsksThenLoadsTheBackupAndKeepsTheCurrentFile() {
    AddSale(Sales(), "Ancienne");
    Sales().Save();
    AddSale(Sales(), "Nouvelle");
    Sales().Save();  // the run's first save over a file keeps it
    const auto listed = [&] { return offrel::SalesBackups(Sales().FileName()).List(); };
    QCOMPARE(listed().size(), std::size_t(1));

    const auto restoreLatest = [&](bool answer) {
        fixture_->dialogs.confirmAnswers = {answer};
        InWindow<QDialog>(&TForm1::ActionRestaurerSauvegardeExecute, [](QDialog* window) {
            auto* list = window->findChild<QTableWidget*>("ListeSauvegardes");
            QCOMPARE(list->rowCount(), 1);
            QCOMPARE(list->item(0, 1)->text(), QStringLiteral("1"));
            window->findChild<QPushButton*>("ButtonRestaurer")->click();
        });
    };
    restoreLatest(false);
    QCOMPARE(fixture_->dialogs.questions.size(), 1);
    QCOMPARE(fixture_->SalesInFile(), (QStringList{"Ancienne", "Nouvelle"}));
    QCOMPARE(listed().size(), std::size_t(1));

    restoreLatest(true);
    QVERIFY(fixture_->dialogs.errors.isEmpty());
    QCOMPARE(Sales().RecordCount(), 1);
    QCOMPARE(fixture_->SalesInFile(), QStringList{"Ancienne"});
    // The file it replaced is now the latest backup.
    const std::vector<offrel::SalesBackup> after = listed();
    QCOMPARE(after.size(), std::size_t(2));
    QCOMPARE(after[0].saleCount.value_or(0), 2u);

    // The restoring is one step of the history: Ctrl+Z brings the list and its file back.
    Form1->show();
    QVERIFY(QTest::qWaitForWindowExposed(Form1));
    PressKeys(QKeySequence(QStringLiteral("Ctrl+Z")));
    QCOMPARE(TitlesShown(), (QStringList{"Ancienne", "Nouvelle"}));
    QCOMPARE(fixture_->SalesInFile(), (QStringList{"Ancienne", "Nouvelle"}));
    QCOMPARE(LabelText("LabelHistorique"), QStringLiteral("Restauration d'une sauvegarde annulée"));
    PressKeys(QKeySequence(QStringLiteral("Ctrl+Y")));
    QCOMPARE(TitlesShown(), QStringList{"Ancienne"});
    QCOMPARE(fixture_->SalesInFile(), QStringList{"Ancienne"});
}

void KeepingWindowsTest::exportFromMainListTakesSelectionOrAll() {
    for (const char* title : {"Un", "Deux", "Trois"}) AddSale(Sales(), title);
    auto& dialogs = fixture_->dialogs;
    dialogs.saveAnswers = {fixture_->FilePath("toutes"), fixture_->FilePath("choix.txt"),
                           QString()};
    Form1->ActionExporterExecute();
    QCOMPARE(SheetText(fixture_->FilePath("toutes.csv")).count(QStringLiteral("\r\n")), 4);

    auto* grid = Form1->findChild<SalesGrid*>("DBGridVente");
    grid->selectionModel()->select(grid->model()->index(2, 0),
                                   QItemSelectionModel::Select | QItemSelectionModel::Rows);
    Form1->ActionExporterExecute();
    // A name with an extension of its own keeps it.
    const QString chosen = SheetText(fixture_->FilePath("choix.txt"));
    QCOMPARE(chosen.count(QStringLiteral("\r\n")), 2);
    QVERIFY(chosen.contains(QStringLiteral("Trois")));
    QVERIFY(!chosen.contains(QStringLiteral("Deux")));

    // Cancelled: nothing written, nothing said.
    const int told = dialogs.messages.size();
    Form1->ActionExporterExecute();
    QCOMPARE(dialogs.messages.size(), told);
    QVERIFY(dialogs.errors.isEmpty());
}

OFFREL_TEST_MAIN(KeepingWindowsTest)
#include "KeepingWindowsTest.moc"
