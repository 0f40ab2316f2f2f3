// The seller's password: sent to the site, kept nowhere, and never on the network unencrypted
// without a word.
#include <QDirIterator>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <memory>

#include "AppFixture.h"
#include "TestMain.h"
#include "app/Forms.h"
#include "app/TForm5.h"
#include "server/PostToServer.h"

namespace {

const QString kPassword = QStringLiteral("Sésame-Ouvre-Toi-42");

// The files of the folder, and of its folders, that hold the bytes.
QStringList FilesHolding(const QString& folder, const QByteArray& bytes) {
    QStringList holding;
    QDirIterator files(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        QFile file(files.next());
        if (file.open(QIODevice::ReadOnly) && file.readAll().contains(bytes))
            holding << file.fileName();
    }
    return holding;
}

}  // namespace

class PasswordTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        fixture_ = std::make_unique<AppFixture>();
        offrel::SetPostTimeouts({std::chrono::seconds(1), std::chrono::seconds(1)});
    }
    void cleanup() {
        fixture_.reset();
        offrel::SetPostTimeouts({});
    }

    // Through a refusal, a send cut short (noted in the journal) and the end of the program,
    // the password is in no file of the data folder, in neither of its encodings.
    void thePasswordIsWrittenNowhere() {
        fixture_->Start();
        AddSale(fixture_->Sales(), "Lampe");
        AddSale(fixture_->Sales(), "Vase");
        for (int attempt = 0; attempt < 2; ++attempt)
            fixture_->site.QueuePutVenteAnswer("Identifiant ou mot de passe incorrect");
        Send();
        fixture_->site.QueueSilentPutVente();
        Send();
        QCOMPARE(fixture_->site.PutVenteTitles(),
                 (std::vector<std::string>{"Lampe", "Lampe", "Lampe"}));
        fixture_->program.reset();  // writes the tables

        // The files are read: the table holds the sales, the journal the send cut short.
        QVERIFY(!FilesHolding(fixture_->Folder(), "Lampe").isEmpty());
        QVERIFY(!FilesHolding(fixture_->Folder(), "envoi ").isEmpty());
        QCOMPARE(FilesHolding(fixture_->Folder(), kPassword.toUtf8()), QStringList());
        QCOMPARE(FilesHolding(fixture_->Folder(), kPassword.toLatin1()), QStringList());
        for (const QString& message : fixture_->dialogs.messages)
            QVERIFY2(!message.contains(kPassword), qPrintable(message));
    }

    void theSendWindowSaysWhenThePasswordWouldTravelInClear() {
        fixture_->Start();
        QLabel* warning = Form5->findChild<QLabel*>(QStringLiteral("LabelEnClair"));
        const auto shownFor = [&](const QByteArray& url) {
            qputenv("OFFREL_SERVER_URL", url);
            Form5->show();
            const bool shown = warning->isVisible();
            Form5->hide();
            return shown;
        };
        QVERIFY(shownFor("http://brivax.example/offrel.php"));
        QCOMPARE(warning->text(),
                 QStringLiteral("Adresse http : le mot de passe voyagera en clair."));
        QVERIFY(warning->geometry().bottom() < Form5->height());
        QVERIFY(!shownFor("https://brivax.example/offrel.php"));
        QVERIFY(!shownFor(fixture_->site.Url().toLatin1()));
        QVERIFY(!shownFor("ftp://brivax.example/"));  // told at "Démarrer"
    }

private:
    void Send() {
        Form5->show();
        Form5->findChild<QLineEdit*>(QStringLiteral("EditLogin"))
            ->setText(QStringLiteral("vendeur"));
        Form5->findChild<QLineEdit*>(QStringLiteral("EditPassword"))->setText(kPassword);
        QTest::mouseClick(Form5->findChild<QPushButton*>(QStringLiteral("ButtonEnvoi")),
                          Qt::LeftButton);
    }

    std::unique_ptr<AppFixture> fixture_;
};

OFFREL_TEST_MAIN(PasswordTest)

#include "PasswordTest.moc"
