// The send journal as the seller meets it: the marked sale in the list and the question before
// it goes again.
#include <QFile>
#include <QFont>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <memory>

#include "AppFixture.h"
#include "ModalHelper.h"
#include "TestMain.h"
#include "app/Forms.h"
#include "app/ProgramBlock.h"
#include "app/SalesGrid.h"
#include "app/TForm1.h"
#include "app/TForm5.h"
#include "gui/QtText.h"
#include "server/PostToServer.h"
#include "server/SendJournal.h"
#include "tables/ApplicationTables.h"

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
    void theQuestionAnswersNoToReturnAndEscape();

private:
    offrel::Table& Sales() const { return fixture_->Sales(); }
    QAbstractItemModel* List() const {
        return Form1->findChild<SalesGrid*>(QStringLiteral("DBGridVente"))->model();
    }
    bool Italic(int row) const {
        return List()->index(row, 0).data(Qt::FontRole).value<QFont>().italic();
    }
    QString Tip(int row) const { return List()->index(row, 1).data(Qt::ToolTipRole).toString(); }
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
    QCOMPARE(fixture_->dialogs.messages.size(), 2);
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
            .Record(offrel::SaleDigest(tables.cdsVente, 1), 1700000000);
    }
    fixture_->Start();
    QCOMPARE(List()->index(1, 0).data().toString(), QStringLiteral("Vase"));
    QVERIFY(!Italic(0));
    QVERIFY(Italic(1));
    QCOMPARE(Tip(1), FromW1252(offrel::InterruptedSendTip(1700000000)));
    QVERIFY(Tip(0).isEmpty());

    // Escape, Return and no answer at all say no: nothing but Lampe is sent.
    StartUpload();
    QCOMPARE(fixture_->site.PutVenteTitles(), std::vector<std::string>{"Lampe"});
    QCOMPARE(fixture_->dialogs.messages,
             QStringList{QStringLiteral("1 vente envoyée sur 2. La vente « Vase » n'a pas été "
                                        "envoyée.")});
    QVERIFY(Italic(0));
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
