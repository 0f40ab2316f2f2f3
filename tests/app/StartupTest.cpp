#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTimer>
#include <QWidget>

#include "AppFixture.h"
#include "ModalHelper.h"
#include "TestMain.h"
#include "app/DataFolderLock.h"
#include "app/Forms.h"
#include "app/ProgramBlock.h"
#include "app/TForm1.h"
#include "app/TForm3.h"
#include "app/TForm4.h"
#include "base/Error.h"
#include "base/Windows1252.h"
#include "gui/ErrorReport.h"

namespace {

const QString kNoConnection =
    QStringLiteral("Vous devez être connecté à Internet pour mettre le Offrel Brivax à jour !!!");

// Throws from its event handler, like a command that fails.
class FailingReceiver : public QObject {
public:
    bool event(QEvent*) override { throw offrel::Error(offrel::W("Problème de lecture")); }
};

}  // namespace

class StartupTest : public QObject {
    Q_OBJECT

private slots:
    void errorBoxAppendsFullStopAfterCharactersAboveIt();
    void errorEscapingAHandlerIsShownAndTheLoopGoesOn();
    void startUpCreatesTheWindowsAndRefreshesTheCatalogue();
    void startWithoutNetworkAndNoCatalogueShowsTheMessageAndEnds();
    void startWithoutNetworkOpensWithTheLastGoodCatalogue();
    void badCatalogueAnswersLeaveTheLastGoodCatalogue();
    void aSecondCopyOnTheSameFolderSaysSoAndEnds();
    void normalRunShowsTheMainWindowAndEndsWhenItCloses();
    void unreadableSalesFileEndsTheStartSayingWhereItWasLeftUntouched();
    void aSaleAtTheTopOfTheMoneyRangeSurvivesARestart();
    void tableThatCannotBeWrittenIsReportedAndTheEndGoesOn();
    void wholeProgramIsBuiltAndEndedThroughItsOwner();

private:
    static QList<QByteArray> LastGoodCatalogue(AppFixture& fixture);
    static QList<QByteArray> CatalogueFiles(const AppFixture& fixture);
};

void StartupTest::errorBoxAppendsFullStopAfterCharactersAboveIt() {
    QCOMPARE(ErrorBoxText(QStringLiteral("Fichier introuvable")),
             QStringLiteral("Fichier introuvable."));
    QCOMPARE(ErrorBoxText(QStringLiteral("Fin.")), QStringLiteral("Fin."));
    QCOMPARE(ErrorBoxText(QStringLiteral("'abc' 12")), QStringLiteral("'abc' 12."));
    QCOMPARE(ErrorBoxText(QStringLiteral("Quoi ?")), QStringLiteral("Quoi ?."));
    // "!", ")" and "-" stand below "." and get nothing.
    QCOMPARE(ErrorBoxText(QStringLiteral("Attention !!!")), QStringLiteral("Attention !!!"));
    QCOMPARE(ErrorBoxText(QStringLiteral("(voir)")), QStringLiteral("(voir)"));
    QCOMPARE(ErrorBoxText(QStringLiteral("a -")), QStringLiteral("a -"));
    QCOMPARE(ErrorBoxText(QString()), QString());
}

void StartupTest::errorEscapingAHandlerIsShownAndTheLoopGoesOn() {
    AppFixture fixture;
    FailingReceiver receiver;
    QEvent event(QEvent::User);
    QCOMPARE(QCoreApplication::sendEvent(&receiver, &event), false);
    QCOMPARE(fixture.dialogs.errors, QStringList{QStringLiteral("Problème de lecture.")});

    bool ranLater = false;
    QTimer::singleShot(0, [&] { ranLater = true; });
    QTRY_VERIFY(ranLater);
}

void StartupTest::startUpCreatesTheWindowsAndRefreshesTheCatalogue() {
    AppFixture fixture;
    fixture.Start();

    QVERIFY(Form1 && Form2 && Form3 && Form4 && Form5 && Form6);
    QVERIFY(fixture.dialogs.messages.isEmpty());
    QVERIFY(fixture.dialogs.errors.isEmpty());
    const std::vector<std::string> expected{"getOptions", "getOptions", "getCategories"};
    QCOMPARE(fixture.site.Actions(), expected);
    QCOMPARE(fixture.ReadFile("Options.csv"), AppFixture::kOptions);
    QCOMPARE(fixture.ReadFile("Categories.csv"), AppFixture::kCategories);
    QCOMPARE(fixture.program->Tables().cdsOption.RecordCount(), 3);
    QCOMPARE(fixture.program->Tables().cdsCategorie.RecordCount(), 3);
    QVERIFY(!Form3->isVisible());
    QVERIFY(!Form1->CloseRequested());
    QVERIFY(Form3->windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(Form3->size(), QSize(300, 69));

    // The tables are written in the data folder, the same one they were read from.
    QCOMPARE(fixture.Sales().FileName(),
             QFile::encodeName(fixture.FilePath("Ventes.cds")).toStdString());
}

void StartupTest::startWithoutNetworkAndNoCatalogueShowsTheMessageAndEnds() {
    AppFixture fixture;
    qputenv("OFFREL_SERVER_URL", ScriptedSite::UnreachableUrl().toLatin1());
    fixture.WriteFile("Options.csv", "9;1;1;ancienne option\n");
    // The message comes from the update window's creation: the main window exists, the later
    // windows do not yet.
    bool orderSeen = false;
    fixture.dialogs.onShown = [&](const QString& text) {
        if (text == kNoConnection) orderSeen = Form1 && Form3 && !Form2 && !Form4 && !Form5;
    };

    QCOMPARE(RunProgram(), 0);

    QVERIFY(orderSeen);
    QCOMPARE(fixture.dialogs.messages, QStringList{kNoConnection});
    // No second request after the failed test, no error box, and nothing downloaded is written.
    QVERIFY(fixture.dialogs.errors.isEmpty());
    QCOMPARE(fixture.ReadFile("Options.csv"), std::string("9;1;1;ancienne option\n"));
    QCOMPARE(fixture.ReadFile("Categories.csv"), std::string("<missing>"));
    QVERIFY(!Form1);
    QVERIFY(fixture.SalesInFile().isEmpty());
}

void StartupTest::startWithoutNetworkOpensWithTheLastGoodCatalogue() {
    AppFixture fixture;
    const QList<QByteArray> lastGood = LastGoodCatalogue(fixture);
    QCOMPARE(lastGood.at(2), QByteArray::fromStdString(AppFixture::kOptions));
    QCOMPARE(lastGood.at(3), QByteArray::fromStdString(AppFixture::kCategories));

    qputenv("OFFREL_SERVER_URL", ScriptedSite::UnreachableUrl().toLatin1());
    fixture.Start();
    QCOMPARE(fixture.dialogs.messages, QStringList{kNoConnection});
    QVERIFY(fixture.dialogs.errors.isEmpty());
    // The main window opens, with the catalogue of the last start; the update window is gone.
    QVERIFY(!Form1->CloseRequested());
    QVERIFY(!Form3->isVisible());
    QCOMPARE(fixture.program->Tables().cdsOption.RecordCount(), 3);
    QCOMPARE(fixture.program->Tables().cdsCategorie.RecordCount(), 3);
    QCOMPARE(fixture.Sales().RecordCount(), 1);
    fixture.program.reset();
    QCOMPARE(CatalogueFiles(fixture), lastGood);
}

// A site that answers anything but a catalogue: one message, the update window gone, the main
// window open on the last good catalogue, whose files are left as they were.
void StartupTest::badCatalogueAnswersLeaveTheLastGoodCatalogue() {
    AppFixture fixture;
    const QList<QByteArray> lastGood = LastGoodCatalogue(fixture);
    std::string noise;
    for (int i = 0; i < 4000; ++i) noise.push_back(static_cast<char>((i * 7919 + 13) % 256));
    const std::string html = "<html><body><h1>Maintenance</h1></body></html>";
    const auto ok = [](const std::string& body) {
        return "HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" +
               body;
    };
    const std::vector<std::pair<std::string, std::string>> answers = {
        {"getCategories", ok("")},
        {"getCategories", ok(noise)},
        {"getCategories", ok(html)},
        {"getCategories", "HTTP/1.0 200 OK\r\nContent-Length: 900\r\n\r\n1;0;0;0;Mai"},
        {"getCategories", "HTTP/1.0 500 Internal Server Error\r\nContent-Length: 6\r\n\r\n<html>"},
        {"getCategories", ""},
        {"getOptions", ok(html)},
        {"getOptions", "HTTP/1.0 503 Service Unavailable\r\n\r\n"},
    };
    for (const auto& [action, response] : answers) {
        ScriptedSite site;
        site.SetCatalogue(AppFixture::kOptions, AppFixture::kCategories);
        site.SetRawResponse(action, response);
        qputenv("OFFREL_SERVER_URL", site.Url().toLatin1());
        fixture.dialogs.messages.clear();
        fixture.Start();
        QCOMPARE(fixture.dialogs.messages.size(), 1);
        QVERIFY2(fixture.dialogs.messages.front().startsWith(QStringLiteral(
                     "La liste des catégories et des options n'a pas pu être mise à jour. ")),
                 qPrintable(fixture.dialogs.messages.front()));
        QVERIFY(fixture.dialogs.errors.isEmpty());
        QVERIFY(!Form1->CloseRequested());
        QVERIFY(!Form3->isVisible());
        QCOMPARE(fixture.program->Tables().cdsOption.RecordCount(), 3);
        QCOMPARE(fixture.program->Tables().cdsCategorie.RecordCount(), 3);
        fixture.program.reset();
        QCOMPARE(CatalogueFiles(fixture), lastGood);
    }
}

// Two copies on one data folder would send the same sales twice: the second one says so and
// ends; the lock of a copy that was killed is taken over.
void StartupTest::aSecondCopyOnTheSameFolderSaysSoAndEnds() {
    AppFixture fixture;
    {
        const DataFolderLock first(fixture.Folder());
        QVERIFY(!first.OpenElsewhere());
        QCOMPARE(RunProgram(), 1);
        QCOMPARE(fixture.dialogs.messages, QStringList{AlreadyOpenMessage(fixture.Folder())});
        QVERIFY(fixture.dialogs.messages.front().contains(fixture.Folder()));
        QVERIFY(fixture.site.Actions().empty());
        QVERIFY(!QFile::exists(fixture.FilePath("Ventes.cds")));
    }

    fixture.dialogs.messages.clear();
    QCOMPARE(
        QProcess::execute(QStringLiteral(OFFREL_LOCK_HOLDER), {fixture.FilePath("Offrel.lock")}),
        -1);  // killed while it held the lock
    QVERIFY(QFile::exists(fixture.FilePath("Offrel.lock")));
    bool anotherRefused = false;
    QTimer quitWhenShown;
    quitWhenShown.setInterval(5);
    connect(&quitWhenShown, &QTimer::timeout, [&] {
        if (!Form1 || !Form1->isVisible()) return;
        quitWhenShown.stop();
        anotherRefused = DataFolderLock(fixture.Folder()).OpenElsewhere();
        Form1->ButtonQuitterClick();
    });
    quitWhenShown.start();
    QCOMPARE(RunProgram(), 0);
    QVERIFY(!quitWhenShown.isActive());
    QVERIFY(anotherRefused);  // while this copy ran
    QVERIFY(fixture.dialogs.messages.isEmpty());
    QVERIFY(QFile::exists(fixture.FilePath("Ventes.cds")));

    // A lock file that names nobody, cut short when its writer was killed, holds nothing.
    fixture.WriteFile("Offrel.lock", "");
    QVERIFY(!DataFolderLock(fixture.Folder()).OpenElsewhere());
}

// The catalogue files of a first, good start, byte for byte.
QList<QByteArray> StartupTest::LastGoodCatalogue(AppFixture& fixture) {
    fixture.Start();
    AddSale(fixture.Sales(), "Lampe");
    fixture.program.reset();
    return CatalogueFiles(fixture);
}

QList<QByteArray> StartupTest::CatalogueFiles(const AppFixture& fixture) {
    QList<QByteArray> files;
    for (const char* name : {"Options.cds", "Categories.cds", "Options.csv", "Categories.csv"})
        files.append(QByteArray::fromStdString(fixture.ReadFile(name)));
    return files;
}

void StartupTest::normalRunShowsTheMainWindowAndEndsWhenItCloses() {
    AppFixture fixture;
    // The refresh processes pending events too: act only once the main window is on screen.
    QTimer quitWhenShown;
    quitWhenShown.setInterval(5);
    connect(&quitWhenShown, &QTimer::timeout, [&] {
        if (!Form1 || !Form1->isVisible()) return;
        quitWhenShown.stop();
        Form4->show();  // another window open does not keep the run alive
        Form1->ButtonQuitterClick();
    });
    quitWhenShown.start();
    QCOMPARE(RunProgram(), 0);
    QVERIFY(!quitWhenShown.isActive());
    QVERIFY(fixture.dialogs.errors.isEmpty());
    QVERIFY(QFile::exists(fixture.FilePath("Ventes.cds")));
    QVERIFY(QFile(fixture.FilePath("Options.cds")).size() > 0);
}

void StartupTest::unreadableSalesFileEndsTheStartSayingWhereItWasLeftUntouched() {
    AppFixture fixture;
    const QString folder = QDir(fixture.Folder()).filePath(QStringLiteral("Données été"));
    QVERIFY(QDir().mkpath(folder));
    const QString sales = QDir(folder).filePath(QStringLiteral("Ventes.cds"));
    const QByteArray garbage("ceci n'est pas une table");
    QFile file(sales);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(garbage);
    file.close();

    qputenv("OFFREL_DATA_DIR", QFile::encodeName(folder));
    QCOMPARE(RunProgram(), 1);

    QVERIFY(!Form1);
    QCOMPARE(fixture.dialogs.errors,
             QStringList{QStringLiteral("Les ventes enregistrées ne peuvent pas être lues : "
                                        "Mismatch in datapacket.\n\nLe fichier a été laissé "
                                        "intact, sans aucune modification. "
                                        "Vous pouvez l'envoyer au support ; il se trouve ici :\n") +
                         sales + QStringLiteral("\n\nLe programme va s'arrêter.")});
    QVERIFY(fixture.site.Actions().empty());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), garbage);
}

void StartupTest::aSaleAtTheTopOfTheMoneyRangeSurvivesARestart() {
    AppFixture fixture;
    const auto price = offrel::Money::FromTicks(9'100'000'000'000'000'000);  // 910 000 000 000 000
    fixture.Start();
    AddSale(fixture.Sales(), "Yacht", price);
    fixture.program.reset();

    fixture.Start();
    QVERIFY(fixture.dialogs.errors.isEmpty());
    offrel::Table& sales = fixture.Sales();
    QCOMPARE(sales.RecordCount(), 1);
    sales.First();
    QCOMPARE(sales.FieldByName("Prix").AsCurrency(), price);
}

void StartupTest::tableThatCannotBeWrittenIsReportedAndTheEndGoesOn() {
    AppFixture fixture;
    fixture.Start();
    const QString unwritable = fixture.FilePath("absent/Ventes.cds");
    fixture.Sales().SetFileName(QFile::encodeName(unwritable).toStdString());
    AddSale(fixture.Sales(), "Lampe");
    // The tables are closed once every window is gone.
    bool windowsGone = false;
    fixture.dialogs.onShown = [&](const QString&) {
        windowsGone = !Form1 && !Form2 && !Form3 && !Form4 && !Form5 && !Form6;
    };

    fixture.program.reset();

    QVERIFY(windowsGone);
    QCOMPARE(fixture.dialogs.errors.size(), 1);
    QVERIFY2(fixture.dialogs.errors.front().contains(unwritable),
             qPrintable(fixture.dialogs.errors.front()));
    // The other tables were still written.
    QVERIFY(QFile(fixture.FilePath("Options.cds")).size() > 0);
    QVERIFY(QFile(fixture.FilePath("Categories.cds")).size() > 0);
}

// Every window and model in use when the program ends: under AddressSanitizer a model or a
// window that outlived the tables it shows would fault here.
void StartupTest::wholeProgramIsBuiltAndEndedThroughItsOwner() {
    AppFixture fixture;
    fixture.Start();
    Form1->show();
    QVERIFY(QTest::qWaitForWindowExposed(Form1));
    AddSale(fixture.Sales(), "Lampe");
    Form4->show();
    QVERIFY(QTest::qWaitForWindowExposed(Form4));
    OnNextModal([](QDialog* dialog) { dialog->reject(); });
    Form1->Button1Click();  // the editor is replaced by a fresh one

    fixture.program.reset();

    QVERIFY(!Form1 && !Form2 && !Form3 && !Form4 && !Form5 && !Form6);
    QVERIFY(fixture.dialogs.errors.isEmpty());
    QCOMPARE(fixture.SalesInFile(), QStringList{"Lampe"});
}

OFFREL_TEST_MAIN(StartupTest)
#include "StartupTest.moc"
