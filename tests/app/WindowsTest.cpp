#include <QClipboard>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <memory>

#include "AppFixture.h"
#include "ModalHelper.h"
#include "TestMain.h"
#include "app/DebugGrid.h"
#include "app/Forms.h"
#include "app/ProgramBlock.h"
#include "app/TForm1.h"
#include "app/TForm4.h"
#include "app/TForm5.h"
#include "base/Windows1252.h"
#include "gui/QtText.h"

namespace {

const QString kSuccess = QStringLiteral("L'envoi de vos ventes est réussi !");
const QString kNothingSent = QStringLiteral("Aucune vente a envoyer...");

}  // namespace

class WindowsTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void debugGridsShowEveryColumnAndEditInPlace();
    void debugEditThatDoesNotConvertLeavesTheRowUnchanged();
    void debugDeleteAsksFirstAndSaves();
    void sendWindowEnablesPasswordThenStartAndKeepsThem();
    void uploadOfEverySaleEndsWithSuccessAndNothingIsSentAgain();
    void uploadStopsAtARefusalAndShowsTheSitesText();
    void uploadOfAnEmptyTableSaysSo();
    void failedSecondAttemptIsToldBeforeTheSendWindowCloses();
    void progressCarriesOverFromRunToRunAndNeverTurnsBusy();
    void onlyTheCloseBoxClosesTheSendWindow();
    void longTitleShowsFromItsStartShortOneCentred();
    void reportWindowScrollsAndCopiesItsText();
    void sendWindowShowsTheBatchAndItsCostAtEachOpening();
    void photoProblemsAreToldBeforeTheFirstRequest();
    void listQuestionAnswersReturnAndEscape();

private:
    offrel::Table& Sales() const { return fixture_->Sales(); }
    DebugGrid* DebugSales() const {
        return Form4->findChild<DebugGrid*>(QStringLiteral("DBGrid3"));
    }
    template <typename W>
    W* InSendWindow(const char* name) const {
        return Form5->findChild<W*>(QLatin1String(name));
    }
    void StartUpload(const QString& login, const QString& password);
    void AddSaleWithPhoto(const char* title, const QString& photo);
    QString BatchLine();

    std::unique_ptr<AppFixture> fixture_;
};

void WindowsTest::init() {
    fixture_ = std::make_unique<AppFixture>();
    fixture_->Start();
}

void WindowsTest::cleanup() {
    fixture_.reset();
}

void WindowsTest::debugGridsShowEveryColumnAndEditInPlace() {
    AddSale(Sales(), "Lampe");
    Form4->show();
    QVERIFY(QTest::qWaitForWindowExposed(Form4));
    QCOMPARE(Form4->size(), QSize(736, 678));
    for (const char* name : {"DBGrid1", "DBGrid2"}) QVERIFY(Form4->findChild<DebugGrid*>(name));
    QCOMPARE(Form4->findChild<DebugGrid*>("DBGrid1")->model()->rowCount(), 3);  // categories
    QCOMPARE(Form4->findChild<DebugGrid*>("DBGrid2")->model()->rowCount(), 3);  // options

    DebugGrid* grid = DebugSales();
    QAbstractItemModel* model = grid->model();
    QCOMPARE(model->columnCount(), static_cast<int>(Sales().Columns().size()));
    const int libelle = Sales().ColumnIndex("Libelle");
    QCOMPARE(model->headerData(libelle, Qt::Horizontal).toString(), QStringLiteral("Libelle"));

    // Written in the cell's editor and confirmed with Enter, as the seller would.
    const QModelIndex cell = model->index(0, libelle);
    grid->setFocus();
    grid->setCurrentIndex(cell);
    grid->edit(cell);
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    QVERIFY(editor);
    editor->setText(QStringLiteral("Lampe à pétrole"));
    QTest::keyClick(editor, Qt::Key_Return);

    QTRY_COMPARE(Sales().FieldByName("Libelle").AsString(), offrel::W("Lampe à pétrole"));
    QCOMPARE(fixture_->SalesInFile(), QStringList{QStringLiteral("Lampe à pétrole")});
    // The main window's list follows the change.
    QCOMPARE(Form1->findChild<QAbstractItemView*>("DBGridVente")->model()->index(0, 0).data(),
             QVariant(QStringLiteral("Lampe à pétrole")));

    const int quantite = Sales().ColumnIndex("Quantite");
    QVERIFY(model->setData(model->index(0, quantite), QStringLiteral("4")));
    QCOMPARE(Sales().FieldByName("Quantite").AsInteger(), 4);
    const int renouvelable = Sales().ColumnIndex("Renouvelable");
    QVERIFY(model->setData(model->index(0, renouvelable), QStringLiteral("True")));
    QCOMPARE(model->index(0, renouvelable).data().toString(), QStringLiteral("True"));
    QVERIFY(model->setData(model->index(0, quantite), QString()));
    QVERIFY(Sales().FieldByName("Quantite").IsNull());
}

void WindowsTest::debugEditThatDoesNotConvertLeavesTheRowUnchanged() {
    AddSale(Sales(), "Lampe");
    QAbstractItemModel* model = DebugSales()->model();
    const int quantite = Sales().ColumnIndex("Quantite");
    QVERIFY(!model->setData(model->index(0, quantite), QStringLiteral("abc")));
    QCOMPARE(fixture_->dialogs.errors,
             QStringList{QStringLiteral("'abc' n'est pas une valeur entière correcte.")});
    QCOMPARE(Sales().State(), offrel::TableState::Browse);
    QCOMPARE(Sales().FieldByName("Quantite").AsInteger(), 1);
}

void WindowsTest::debugDeleteAsksFirstAndSaves() {
    AddSale(Sales(), "A");
    AddSale(Sales(), "B");
    Form4->show();
    QVERIFY(QTest::qWaitForWindowExposed(Form4));
    DebugGrid* grid = DebugSales();
    grid->setFocus();
    grid->setCurrentIndex(grid->model()->index(0, 1));

    fixture_->dialogs.confirmAnswers = {false};
    QTest::keyClick(grid, Qt::Key_Delete);
    QCOMPARE(fixture_->dialogs.questions,
             QStringList{QStringLiteral("Supprimer l'enregistrement ?")});
    QCOMPARE(Sales().RecordCount(), 2);

    fixture_->dialogs.confirmAnswers = {true};
    QTest::keyClick(grid, Qt::Key_Delete);
    QCOMPARE(Sales().RecordCount(), 1);
    QCOMPARE(fixture_->SalesInFile(), QStringList{"B"});
}

void WindowsTest::sendWindowEnablesPasswordThenStartAndKeepsThem() {
    auto* login = InSendWindow<QLineEdit>("EditLogin");
    auto* password = InSendWindow<QLineEdit>("EditPassword");
    auto* start = InSendWindow<QPushButton>("ButtonEnvoi");
    QVERIFY(!password->isEnabled());
    QVERIFY(!start->isEnabled());
    QCOMPARE(start->text(), QStringLiteral("Démarrer"));

    QTest::keyClicks(login, QStringLiteral("vendeur"));
    QVERIFY(password->isEnabled());
    QVERIFY(!start->isEnabled());
    QTest::keyClicks(password, QStringLiteral("secret"));
    QVERIFY(start->isEnabled());
    QCOMPARE(password->displayText(), QStringLiteral("******"));

    login->clear();
    password->clear();
    QVERIFY(password->isEnabled());
    QVERIFY(start->isEnabled());
}

void WindowsTest::StartUpload(const QString& login, const QString& password) {
    Form5->show();
    QTest::keyClicks(InSendWindow<QLineEdit>("EditLogin"), login);
    QTest::keyClicks(InSendWindow<QLineEdit>("EditPassword"), password);
    QTest::mouseClick(InSendWindow<QPushButton>("ButtonEnvoi"), Qt::LeftButton);
}

void WindowsTest::uploadOfEverySaleEndsWithSuccessAndNothingIsSentAgain() {
    for (const char* title : {"A", "B", "C"}) AddSale(Sales(), title);
    StartUpload(QStringLiteral("vendeur"), QStringLiteral("secret"));

    QCOMPARE(fixture_->dialogs.messages, QStringList{kSuccess});
    QCOMPARE(fixture_->site.PutVenteTitles(), (std::vector<std::string>{"A", "B", "C"}));
    QCOMPARE(Sales().RecordCount(), 0);
    QVERIFY(!Form5->isVisible());
    // The accepted sales are out of the file: the next start does not send them again.
    QVERIFY(fixture_->SalesInFile().isEmpty());
    // The window is kept as it was left for the next opening.
    QCOMPARE(InSendWindow<QLineEdit>("EditLogin")->text(), QStringLiteral("vendeur"));
    QVERIFY(InSendWindow<QPushButton>("ButtonEnvoi")->isEnabled());
}

void WindowsTest::uploadStopsAtARefusalAndShowsTheSitesText() {
    for (const char* title : {"A", "B", "C"}) AddSale(Sales(), title);
    fixture_->site.QueuePutVenteAnswer("OK");
    fixture_->site.QueuePutVenteAnswer("Titre refuse");
    fixture_->site.QueuePutVenteAnswer("Titre refuse");
    StartUpload(QStringLiteral("vendeur"), QStringLiteral("secret"));

    // The closing message carries the site's refusal text as received.
    QCOMPARE(fixture_->dialogs.messages.size(), 1);
    QVERIFY2(fixture_->dialogs.messages.front().endsWith(QStringLiteral("Titre refuse")),
             qPrintable(fixture_->dialogs.messages.front()));
    QCOMPARE(fixture_->site.PutVenteTitles(), (std::vector<std::string>{"A", "B", "B"}));
    QCOMPARE(fixture_->SalesInFile(), (QStringList{"B", "C"}));
    QCOMPARE(Sales().RecordCount(), 2);
}

void WindowsTest::uploadOfAnEmptyTableSaysSo() {
    StartUpload(QStringLiteral("vendeur"), QStringLiteral("secret"));
    QCOMPARE(fixture_->dialogs.messages, QStringList{kNothingSent});
    QVERIFY(fixture_->site.PutVenteTitles().empty());
    QVERIFY(InSendWindow<QPushButton>("ButtonEnvoi")->isEnabled());
}

// A server error is an answer the upload does not understand: told in the closing message,
// while the window is open, and not as a lost connection.
void WindowsTest::failedSecondAttemptIsToldBeforeTheSendWindowCloses() {
    for (const char* title : {"A", "B"}) AddSale(Sales(), title);
    fixture_->site.QueuePutVenteAnswer("OK");
    fixture_->site.QueuePutVenteAnswer("Refus");
    fixture_->site.QueuePutVenteFailure();
    QStringList shownWhileOpen;
    fixture_->dialogs.onShown = [&](const QString& text) {
        if (Form5->isVisible()) shownWhileOpen.append(text);
    };
    StartUpload(QStringLiteral("vendeur"), QStringLiteral("secret"));
    QCOMPARE(shownWhileOpen,
             QStringList{QStringLiteral(
                 "1 vente envoyée sur 2. La réponse du site à la vente « B » n'a pas été "
                 "comprise : la vente reste dans la liste, et le prochain envoi vous demandera "
                 "s'il faut l'envoyer à nouveau. Le site a répondu par l'erreur 500 (Panne).")});
    QVERIFY(fixture_->dialogs.errors.isEmpty());
    QVERIFY(!Form5->isVisible());
    QCOMPARE(fixture_->SalesInFile(), QStringList{"B"});
}

void WindowsTest::progressCarriesOverFromRunToRunAndNeverTurnsBusy() {
    auto* bar = InSendWindow<QProgressBar>("ProgressBarEnvoi");
    const auto run = [&](const QStringList& titles) {
        for (const QString& title : titles) AddSale(Sales(), title.toStdString());
        Form5->show();
        QTest::mouseClick(InSendWindow<QPushButton>("ButtonEnvoi"), Qt::LeftButton);
    };
    QTest::keyClicks(InSendWindow<QLineEdit>("EditLogin"), QStringLiteral("vendeur"));
    QTest::keyClicks(InSendWindow<QLineEdit>("EditPassword"), QStringLiteral("secret"));
    run({"A"});
    QCOMPARE(bar->value(), 1);
    QCOMPARE(bar->maximum(), 1);
    // Three more steps from 1: 2, 3, then round to 1.
    run({"B", "C", "D"});
    QCOMPARE(bar->value(), 1);
    QCOMPARE(bar->maximum(), 3);
    // No sale to send (its photo is missing): an empty bar, not a busy one, at the next opening
    // too.
    AddSaleWithPhoto("E", QDir(fixture_->Folder()).filePath(QStringLiteral("absente.jpg")));
    fixture_->dialogs.listAnswers = {true};
    run({});
    Form5->show();
    QCOMPARE(bar->minimum(), 0);
    QVERIFY(bar->maximum() > 0);
    QCOMPARE(bar->value(), 0);
    QCOMPARE(Sales().RecordCount(), 1);
}

void WindowsTest::onlyTheCloseBoxClosesTheSendWindow() {
    Form5->show();
    QVERIFY(QTest::qWaitForWindowExposed(Form5));
    auto* login = InSendWindow<QLineEdit>("EditLogin");
    login->setFocus();
    QTest::keyClick(login, Qt::Key_Escape);
    QTest::keyClick(Form5, Qt::Key_Escape);
    QVERIFY(Form5->isVisible());
    QVERIFY(Form5->close());
    QVERIFY(!Form5->isVisible());
}

void WindowsTest::longTitleShowsFromItsStartShortOneCentred() {
    Form5->show();
    auto* label = InSendWindow<QLabel>("LabelEnvoi");
    Form5->SetStatusText("Envoi de la vente : Lampe...");
    QCOMPARE(label->text(), QStringLiteral("Envoi de la vente : Lampe..."));
    QCOMPARE(label->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    const std::string title = "Grande lampe de bureau en laiton massif, abat-jour vert, 1950";
    for (const char* amounts : {"", "3,0 Mo / 7,1 Mo"}) {
        Form5->SetStatusText("Envoi de la vente : " + title + title + "...");
        if (*amounts) Form5->SetSaleProgress(amounts);
        QVERIFY2(label->text().startsWith(QStringLiteral("Envoi de la vente : Grande")),
                 qPrintable(label->text()));
        QVERIFY(label->text().endsWith(QString::fromUtf8(*amounts ? amounts : "…")));
        QCOMPARE(label->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
    }
}

// The real report window, as the import shows it: a long report scrolls, "Copier" puts the whole
// text on the clipboard, OK closes the window.
void WindowsTest::reportWindowScrollsAndCopiesItsText() {
    QString report = QStringLiteral("0 vente importée, 300 lignes non importées :\n");
    for (int line = 2; line <= 301; ++line)
        report += QStringLiteral("\nLigne %1 : le prix est vide").arg(line);
    QString title;
    QString copied;
    bool scrolls = false;
    OnNextModal([&](QDialog* dialog) {
        title = dialog->windowTitle();
        auto* memo = dialog->findChild<QPlainTextEdit*>();
        scrolls = memo->verticalScrollBar()->maximum() > 0;
        QApplication::clipboard()->clear();
        QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("ButtonCopier")),
                          Qt::LeftButton);
        copied = QApplication::clipboard()->text();
        QTest::mouseClick(dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok),
                          Qt::LeftButton);
    });
    Dialogs::Set(nullptr);
    Dialogs::Get().Report(Form1, report);
    Dialogs::Set(&fixture_->dialogs);
    QCOMPARE(title, QStringLiteral("Offrel Brivax"));
    QVERIFY(scrolls);
    QCOMPARE(copied, report);
}

void WindowsTest::AddSaleWithPhoto(const char* title, const QString& photo) {
    AddSale(Sales(), title);
    Sales().Last();
    Sales().Edit();
    Sales().FieldByName("Photo1").SetAsString(ToW1252(photo));
    Sales().Post();
}

// The batch line of the send window as an opening shows it.
QString WindowsTest::BatchLine() {
    Form5->show();
    const QString line = InSendWindow<QLabel>("LabelLot")->text();
    Form5->hide();
    return line;
}

void WindowsTest::sendWindowShowsTheBatchAndItsCostAtEachOpening() {
    // The options of the fixture's catalogue cost 1.50, 2.00 and 3.00.
    QCOMPARE(BatchLine(), QStringLiteral("0 vente — options : 0.00 €"));
    AddSale(Sales(), "A");
    QCOMPARE(BatchLine(), QStringLiteral("1 vente — options : 0.00 €"));
    for (int k = 0; k < 11; ++k) {
        AddSale(Sales(), "B");
        Sales().Edit();
        Sales().FieldByName("Option1").SetAsBoolean(true);
        Sales().FieldByName("Option3").SetAsBoolean(k % 2 == 0);
        Sales().Post();
    }
    QCOMPARE(BatchLine(), QStringLiteral("12 ventes — options : 34.50 €"));
}

void WindowsTest::photoProblemsAreToldBeforeTheFirstRequest() {
    QDir folder(fixture_->Folder());
    const auto write = [&](const char* name, const QByteArray& bytes) {
        QFile file(folder.filePath(QLatin1String(name)));
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
        return file.fileName();
    };
    const QString good = write("bonne.jpg", QByteArray("\xff\xd8\xff\xd9", 4));
    QVERIFY(folder.mkdir(QStringLiteral("dossier.jpg")));
    AddSaleWithPhoto("A", good);
    AddSaleWithPhoto("B", folder.filePath(QStringLiteral("absente.jpg")));
    AddSaleWithPhoto("C", folder.filePath(QStringLiteral("dossier.jpg")));
    AddSaleWithPhoto("D", write("texte.jpg", "Bonjour"));
    AddSaleWithPhoto("E", good);

    fixture_->dialogs.listAnswers = {false};  // "Annuler"
    StartUpload(QStringLiteral("demo"), QStringLiteral("demo"));
    QCOMPARE(fixture_->dialogs.listQuestions.size(), 1);
    const ScriptedDialogs::ListQuestion& box = fixture_->dialogs.listQuestions.front();
    QCOMPARE(box.accept, QStringLiteral("Envoyer les autres ventes"));
    QCOMPARE(box.reject, QStringLiteral("Annuler"));
    QCOMPARE(box.list, QStringLiteral("« B »\n    photo 1 : %1 — fichier introuvable\n\n"
                                      "« C »\n    photo 1 : %2 — ce n'est pas un fichier\n\n"
                                      "« D »\n    photo 1 : %3 — ce n'est pas une image JPEG\n")
                           .arg(folder.filePath("absente.jpg"), folder.filePath("dossier.jpg"),
                                folder.filePath("texte.jpg")));
    QVERIFY(fixture_->site.PutVenteTitles().empty());
    QCOMPARE(Sales().RecordCount(), 5);
    QVERIFY(fixture_->dialogs.messages.isEmpty());
    QVERIFY(Form5->isVisible());
    QVERIFY(InSendWindow<QPushButton>("ButtonEnvoi")->isEnabled());

    fixture_->dialogs.listAnswers = {true};  // "Envoyer les autres ventes"
    QTest::mouseClick(InSendWindow<QPushButton>("ButtonEnvoi"), Qt::LeftButton);
    QCOMPARE(fixture_->site.PutVenteTitles(), (std::vector<std::string>{"A", "E"}));
    QCOMPARE(fixture_->SalesInFile(), (QStringList{"B", "C", "D"}));
    QCOMPARE(fixture_->dialogs.messages,
             QStringList{QStringLiteral("2 ventes envoyées sur 5. Ventes laissées dans la liste "
                                        "pour être corrigées : « B », « C », « D ».")});
    QVERIFY(!Form5->isVisible());
}

void WindowsTest::listQuestionAnswersReturnAndEscape() {
    Dialogs::Set(nullptr);  // the real box
    QStringList seen;
    for (int key : {Qt::Key_Return, Qt::Key_Escape}) {
        OnNextModal([&seen, key](QDialog* box) {
            seen.append(box->windowTitle());
            QTest::keyClick(box, static_cast<Qt::Key>(key));
        });
        const bool answer = Dialogs::Get().ConfirmList(
            Form5, QStringLiteral("Texte"), QStringLiteral("Liste"),
            QStringLiteral("Envoyer les autres ventes"), QStringLiteral("Annuler"));
        QCOMPARE(answer, key == Qt::Key_Return);
    }
    Dialogs::Set(&fixture_->dialogs);
    QCOMPARE(seen, (QStringList{"Offrel Brivax", "Offrel Brivax"}));
}

OFFREL_TEST_MAIN(WindowsTest)
#include "WindowsTest.moc"
