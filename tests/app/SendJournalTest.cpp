// The send journal as the seller meets it: the marked sale in the list and the question before
// it goes again.
#include <QDir>
#include <QFile>
#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTextDocumentFragment>
#include <QToolTip>
#include <memory>
#include <optional>

#include "AppFixture.h"
#include "ModalHelper.h"
#include "TestMain.h"
#include "app/Forms.h"
#include "app/ProgramBlock.h"
#include "app/SalesGrid.h"
#include "app/TForm1.h"
#include "app/TForm5.h"
#include "gui/QtText.h"
#include "history/SalesHistory.h"
#include "server/PostToServer.h"
#include "server/SendJournal.h"
#include "tables/ApplicationTables.h"
#include "tables/Rows.h"

namespace {

const QString kSuccess = QStringLiteral("L'envoi de vos ventes est réussi !");

}  // namespace

class SendJournalTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void aSaleTheSiteKeptWithoutAnsweringIsMarkedAndAskedAbout();
    void aSendInterruptedInAnEarlierRunIsMarkedFromTheStart();
    void aMarkedSaleStaysMarkedThroughAChangeAndAReturn();
    void messagesShowTheSitesTextAsWritten();
    void theQuestionAnswersNoToReturnAndEscape();
    void acceptedSalesAreKeptInTheHistory();
    void aHistoryThatFailsIsSaidOnceAndTheSalesStillGo();

private:
    offrel::Table& Sales() const { return fixture_->Sales(); }
    QAbstractItemModel* List() const {
        return Form1->findChild<SalesGrid*>(QStringLiteral("DBGridVente"))->model();
    }
    bool Italic(int row) const {
        return List()->index(row, 0).data(Qt::FontRole).value<QFont>().italic();
    }
    QString RichTip(int row) const {
        return List()->index(row, 1).data(Qt::ToolTipRole).toString();
    }
    QString Tip(int row) const {
        return QTextDocumentFragment::fromHtml(RichTip(row)).toPlainText();
    }
    static QWidget* VisibleToolTip() {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (widget->inherits("QTipLabel") && widget->isVisible()) return widget;
        return nullptr;
    }
    void StartUpload();

    std::unique_ptr<AppFixture> fixture_;
};

void SendJournalTest::init() {
    fixture_ = std::make_unique<AppFixture>();
    offrel::SetPostTimeouts({std::chrono::seconds(1), std::chrono::seconds(1)});
}

void SendJournalTest::cleanup() {
    fixture_.reset();
    offrel::SetPostTimeouts({});
}

void SendJournalTest::StartUpload() {
    Form5->show();
    Form5->findChild<QLineEdit*>(QStringLiteral("EditLogin"))->setText(QStringLiteral("vendeur"));
    Form5->findChild<QLineEdit*>(QStringLiteral("EditPassword"))->setText(QStringLiteral("secret"));
    QTest::mouseClick(Form5->findChild<QPushButton*>(QStringLiteral("ButtonEnvoi")),
                      Qt::LeftButton);
}

void SendJournalTest::aSaleTheSiteKeptWithoutAnsweringIsMarkedAndAskedAbout() {
    fixture_->Start();
    AddSale(Sales(), "Lampe");
    AddSale(Sales(), "Vase");
    QVERIFY(!Italic(0));
    QVERIFY(Tip(0).isEmpty());
    fixture_->site.QueueSilentPutVente();
    StartUpload();
    // The site was reached: the closing message alone tells the time-out.
    QCOMPARE(fixture_->dialogs.messages.size(), 1);
    QCOMPARE(Sales().RecordCount(), 2);
    QVERIFY(Italic(0));
    QVERIFY2(Tip(0).startsWith(QStringLiteral("L'envoi de cette vente a été interrompu le ")),
             qPrintable(Tip(0)));
    QVERIFY(!Italic(1));

    // "Non": Lampe stays, marked; Vase goes.
    fixture_->dialogs.messages.clear();
    fixture_->dialogs.confirmAnswers = {false};
    StartUpload();
    QCOMPARE(fixture_->dialogs.questionsDefaultNo.size(), 1);
    const QString question = fixture_->dialogs.questionsDefaultNo.front();
    QVERIFY2(question.startsWith(QStringLiteral(
                 "La vente « Lampe » était en cours d'envoi quand l'envoi s'est interrompu (le ")),
             qPrintable(question));
    QVERIFY(question.endsWith(
        QStringLiteral(") : le site l'a peut-être déjà reçue. L'envoyer quand même ?")));
    QCOMPARE(fixture_->site.PutVenteTitles(), (std::vector<std::string>{"Lampe", "Vase"}));
    QCOMPARE(fixture_->SalesInFile(), QStringList{QStringLiteral("Lampe")});
    QVERIFY(Italic(0));

    // "Oui": it goes, and the mark with it.
    fixture_->dialogs.messages.clear();
    fixture_->dialogs.confirmAnswers = {true};
    StartUpload();
    QCOMPARE(fixture_->dialogs.questionsDefaultNo.size(), 2);
    QCOMPARE(fixture_->dialogs.messages, QStringList{kSuccess});
    QCOMPARE(fixture_->site.PutVenteTitles(), (std::vector<std::string>{"Lampe", "Vase", "Lampe"}));
    QCOMPARE(Sales().RecordCount(), 0);
}

void SendJournalTest::aSendInterruptedInAnEarlierRunIsMarkedFromTheStart() {
    {
        offrel::ApplicationTables tables;
        offrel::OpenTables(tables, QFile::encodeName(fixture_->Folder()).toStdString());
        AddSale(tables.cdsVente, "Lampe");
        AddSale(tables.cdsVente, "Vase");
        tables.cdsVente.Save();
        offrel::SendJournal(offrel::SendJournalPath(tables.cdsVente.FileName()))
            .Record(offrel::SaleNoteKey(tables.cdsVente, 1), 1700000000);
    }
    fixture_->Start();
    QCOMPARE(List()->index(1, 0).data().toString(), QStringLiteral("Vase"));
    QVERIFY(!Italic(0));
    QVERIFY(Italic(1));
    QCOMPARE(Tip(1), FromW1252(offrel::InterruptedSendTip(1700000000)));
    QVERIFY(Tip(0).isEmpty());
    // The tooltip wraps its lines rather than running across the screen.
    Form1->show();
    QVERIFY(QTest::qWaitForWindowExposed(Form1));
    QToolTip::showText(Form1->geometry().center(), RichTip(1), Form1);
    QWidget* tip = nullptr;
    QTRY_VERIFY((tip = VisibleToolTip()) != nullptr);
    QVERIFY2(tip->width() < 500, qPrintable(QString::number(tip->width())));
    QVERIFY(tip->height() > 2 * tip->fontMetrics().height());
    QToolTip::hideText();

    // Escape, Return and no answer at all say no: nothing but Lampe is sent.
    StartUpload();
    QCOMPARE(fixture_->site.PutVenteTitles(), std::vector<std::string>{"Lampe"});
    QCOMPARE(fixture_->dialogs.messages,
             QStringList{QStringLiteral("1 vente envoyée sur 2. La vente « Vase » n'a pas été "
                                        "envoyée.")});
    QVERIFY(Italic(0));
}

void SendJournalTest::acceptedSalesAreKeptInTheHistory() {
    fixture_->Start();
    AddSale(Sales(), "Lampe");
    AddSale(Sales(), "Vase");
    StartUpload();
    QCOMPARE(fixture_->dialogs.messages, QStringList{kSuccess});
    QCOMPARE(Sales().RecordCount(), 0);
    offrel::SalesHistory history(offrel::SalesHistoryPath(Sales().FileName()));
    const offrel::SentSalesList list = history.List();
    QCOMPARE(list.size(), std::size_t{2});
    QCOMPARE(std::string(list[0].libelle), std::string("Vase"));
    QCOMPARE(std::string(list[1].libelle), std::string("Lampe"));
    QCOMPARE(std::string(list[0].login), std::string("vendeur"));
    const std::vector<offrel::SentSale> sent = history.Read({list[1].id});
    QCOMPARE(sent.size(), std::size_t{1});
    QVERIFY(sent[0].sale.prix == offrel::Money::FromTicks(100000));
}

// A damaged history is set aside and said once; one that cannot be opened at all is said once a
// run of the upload, and the accepted sales leave the list all the same.
void SendJournalTest::aHistoryThatFailsIsSaidOnceAndTheSalesStillGo() {
    fixture_->WriteFile("Historique.sqlite", std::string(8192, 'x'));
    fixture_->Start();
    AddSale(Sales(), "Lampe");
    StartUpload();
    QCOMPARE(fixture_->dialogs.messages.size(), 2);
    QCOMPARE(fixture_->dialogs.messages[0], kSuccess);
    QVERIFY2(fixture_->dialogs.messages[1].contains(QStringLiteral("était abîmé")),
             qPrintable(fixture_->dialogs.messages[1]));
    AddSale(Sales(), "Vase");
    fixture_->dialogs.messages.clear();
    StartUpload();
    QCOMPARE(fixture_->dialogs.messages, QStringList{kSuccess});

    // A folder in the history's place.
    fixture_.reset();
    fixture_ = std::make_unique<AppFixture>();
    QVERIFY(QDir(fixture_->Folder()).mkdir(QStringLiteral("Historique.sqlite")));
    fixture_->Start();
    AddSale(Sales(), "Lampe");
    AddSale(Sales(), "Vase");
    StartUpload();
    QCOMPARE(Sales().RecordCount(), 0);
    QCOMPARE(fixture_->SalesInFile(), QStringList());
    QCOMPARE(fixture_->dialogs.messages.size(), 2);
    QCOMPARE(fixture_->dialogs.messages[0], kSuccess);
    QVERIFY2(fixture_->dialogs.messages[1].startsWith(
                 QStringLiteral("Les ventes acceptées par le site ont quitté la liste, mais elles "
                                "ne sont pas toutes dans les ventes envoyées : Impossible "
                                "d'ouvrir l'historique des ventes envoyées")),
             qPrintable(fixture_->dialogs.messages[1]));
}

// The note is the sale's: a change in the list keeps it, and so does a deletion undone by
// putting the sale back.
void SendJournalTest::aMarkedSaleStaysMarkedThroughAChangeAndAReturn() {
    fixture_->Start();
    AddSale(Sales(), "Lampe");
    AddSale(Sales(), "Vase");
    fixture_->site.QueueSilentPutVente();
    StartUpload();
    QVERIFY(Italic(0));
    Sales().First();
    Sales().Edit();
    Sales().FieldByName("Libelle").SetAsString("Lampe de bureau");
    Sales().Post();
    QVERIFY(Italic(0));
    const offrel::Sale changed = offrel::ReadSale(Sales(), 0);
    Sales().Append();  // a copy is another sale
    offrel::WriteSale(Sales(), changed);
    Sales().Post();
    QVERIFY(Italic(0));
    QVERIFY(!Italic(2));
    Sales().First();
    Sales().Delete();
    QVERIFY(Italic(1));  // while the sale is gone, a sale with its fields may be it
    Sales().Insert();
    offrel::WriteSale(Sales(), changed);
    Sales().Post();
    // Put back, the sale is found by its fields: the first row that has them.
    QVERIFY(Italic(0));
    QVERIFY(!Italic(2));
}

// A message box shows a text as it is written: a site's HTML page is not drawn as a page.
void SendJournalTest::messagesShowTheSitesTextAsWritten() {
    fixture_.reset();  // the real boxes, not the scripted ones
    const QString page = QStringLiteral("<html><body><h1>Maintenance</h1></body></html>");
    std::optional<Qt::TextFormat> format;
    OnNextModal([&](QDialog* dialog) {
        for (QLabel* label : dialog->findChildren<QLabel*>())
            if (label->text() == page) format = label->textFormat();
        dialog->accept();
    });
    Dialogs::Get().Message(nullptr, page);
    QCOMPARE(format, std::optional<Qt::TextFormat>(Qt::PlainText));
}

void SendJournalTest::theQuestionAnswersNoToReturnAndEscape() {
    fixture_.reset();  // the real boxes, not the scripted ones
    const auto ask = [](std::function<void(QMessageBox*)> act) {
        OnNextModal([act](QDialog* dialog) { act(qobject_cast<QMessageBox*>(dialog)); });
        return Dialogs::Get().ConfirmDefaultNo(nullptr, QStringLiteral("L'envoyer quand même ?"));
    };
    QStringList buttons;
    QString caption;
    QVERIFY(!ask([&](QMessageBox* box) {
        caption = box->windowTitle();
        for (QAbstractButton* button : box->buttons()) buttons.append(button->text());
        QTest::keyClick(box, Qt::Key_Return);
    }));
    QCOMPARE(caption, QStringLiteral("Offrel Brivax"));
    buttons.sort();
    QCOMPARE(buttons, (QStringList{QStringLiteral("Non"), QStringLiteral("Oui")}));
    QVERIFY(!ask([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); }));
    // From the keyboard, "Oui" takes a move away from "Non" first.
    // The box's own focus: the application's is empty until the desktop activates the box,
    // which a busy machine may not have done yet.
    QVERIFY(ask([](QMessageBox* box) {
        QTest::keyClick(box->focusWidget(), Qt::Key_Tab);
        QTest::keyClick(box->focusWidget(), Qt::Key_Space);
    }));
    QVERIFY(ask([](QMessageBox* box) {
        for (QAbstractButton* button : box->buttons())
            if (button->text() == QStringLiteral("Oui")) button->click();
    }));
}

OFFREL_TEST_MAIN(SendJournalTest)
#include "SendJournalTest.moc"
