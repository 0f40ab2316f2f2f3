// The windows against a slow site: the event loop keeps turning through every request, the send
// window shows each sale going and stops after the current one on "Arrêter".
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <set>

#include "AppFixture.h"
#include "TestMain.h"
#include "app/Forms.h"
#include "app/ProgramBlock.h"
#include "app/TForm1.h"
#include "app/TForm3.h"
#include "app/TForm5.h"
#include "tables/Table.h"
#include "tests/site/SiteProcess.h"

namespace fs = std::filesystem;

namespace {

constexpr int kCategory = 19872;  // in the shipped catalogue

// A repeating timer that notes when the event loop turns, and acts at each turn.
class LoopTurns {
public:
    explicit LoopTurns(std::function<void()> act = {}) : act_(std::move(act)) {
        timer_.setInterval(20);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            const qint64 now = clock_.elapsed();
            longestGap_ = std::max(longestGap_, now - last_);
            last_ = now;
            ++count_;
            if (act_) act_();
        });
        clock_.start();
        timer_.start();
    }
    // The gap up to now counts too: a loop that stopped turning at the end is seen.
    void Stop() {
        timer_.stop();
        longestGap_ = std::max(longestGap_, clock_.elapsed() - last_);
        span_ = clock_.elapsed();
    }
    int Count() const { return count_; }
    qint64 LongestGap() const { return longestGap_; }
    qint64 Span() const { return span_; }

private:
    std::function<void()> act_;
    QTimer timer_;
    QElapsedTimer clock_;
    qint64 last_ = 0;
    qint64 longestGap_ = 0;
    qint64 span_ = 0;
    int count_ = 0;
};

// The loop turned all along: many turns, and no gap near the length of a request. The figures
// leave room for a loaded machine; the tight one belongs to the benchmark.
void VerifyKeptTurning(const LoopTurns& turns, qint64 atLeastMs) {
    QVERIFY2(turns.Span() >= atLeastMs, qPrintable(QString::number(turns.Span())));
    QVERIFY2(turns.Count() >= 20, qPrintable(QString::number(turns.Count())));
    QVERIFY2(turns.LongestGap() < turns.Span() / 4,
             qPrintable(QStringLiteral("%1 ms of %2").arg(turns.LongestGap()).arg(turns.Span())));
}

fs::path ToPath(const QString& path) {
    return fs::path(QFile::encodeName(path).toStdString());
}

// Starts offrel-site with the shipped catalogue and points the application at it.
std::unique_ptr<SiteProcess> StartSlowSite(const AppFixture& fixture,
                                           std::vector<std::string> pace) {
    pace.insert(pace.end(), {"--catalogue", OFFREL_SITE_CATALOGUE});
    auto site = std::make_unique<SiteProcess>(ToPath(fixture.FilePath("store")), pace);
    qputenv("OFFREL_SERVER_URL",
            QStringLiteral("http://127.0.0.1:%1/offrel.php").arg(site->Port()).toLatin1());
    return site;
}

// A sale that the site accepts, with one photo.
void AddSiteSale(offrel::Table& cdsVente, const std::string& title, const QString& photo) {
    AddSale(cdsVente, title);
    cdsVente.Edit();
    cdsVente.FieldByName("Description").SetAsString("Une description");
    cdsVente.FieldByName("DureeTypeVente").SetAsInteger(1);
    cdsVente.FieldByName("TypeVente").SetAsInteger(1);
    cdsVente.FieldByName("Categorie1").SetAsInteger(kCategory);
    cdsVente.FieldByName("Photo1").SetAsString(QFile::encodeName(photo).toStdString());
    cdsVente.Post();
}

std::string ReadBytes(const fs::path& path) {
    QFile file(QString::fromStdString(path.string()));
    if (!file.open(QIODevice::ReadOnly)) return "<missing>";
    return file.readAll().toStdString();
}

}  // namespace

class ResponsiveTest : public QObject {
    Q_OBJECT

private slots:
    void uploadToASlowSiteKeepsTheWindowAliveAndStopsAfterTheCurrentSale();
    void refreshFromASlowSiteKeepsTheWindowAliveAndMovesTheBar();
};

void ResponsiveTest::uploadToASlowSiteKeepsTheWindowAliveAndStopsAfterTheCurrentSale() {
    AppFixture fixture;
    // The catalogue at start-up knows the category that the slow site takes.
    fixture.site.SetCatalogue(
        AppFixture::kOptions,
        AppFixture::kCategories + std::to_string(kCategory) + ";0;0;0;Lampes de bureau\n");
    fixture.Start();
    // 2.5 MB at 1 MB a second: each sale takes some seconds to go.
    const auto site = StartSlowSite(fixture, {"--throttle", "1024", "--delay", "200"});
    const std::string photoBytes =
        "\xFF\xD8\xFF\xE0" + std::string((5 << 19) - 2, '\x5A') + "\xFF\xD9";
    fixture.WriteFile("photo.jpg", photoBytes);
    offrel::Table& sales = fixture.program->Tables().cdsVente;
    for (const char* title : {"A", "B", "C"})
        AddSiteSale(sales, title, fixture.FilePath("photo.jpg"));

    auto* label = Form5->findChild<QLabel*>(QStringLiteral("LabelEnvoi"));
    auto* login = Form5->findChild<QLineEdit*>(QStringLiteral("EditLogin"));
    auto* start = Form5->findChild<QPushButton*>(QStringLiteral("ButtonEnvoi"));
    auto* stop = Form5->findChild<QPushButton*>(QStringLiteral("ButtonArreter"));
    QVERIFY(stop && !stop->isVisible());
    const QRegularExpression going(
        QStringLiteral("^Envoi de la vente : A\\.\\.\\. (\\d+,\\d) Mo / 2,5 Mo$"));
    std::set<QString> amountsSeen;
    bool stopPressed = false;
    bool openThroughout = true;
    LoopTurns turns([&] {
        openThroughout = openThroughout && Form5->isVisible();
        const QRegularExpressionMatch match = going.match(label->text());
        if (!match.hasMatch()) return;
        amountsSeen.insert(match.captured(1));
        if (stopPressed || match.captured(1) == QStringLiteral("0,0")) return;
        // The seller tries the other controls first: they take nothing during the run.
        QTest::keyClicks(login, QStringLiteral("xyz"));
        QTest::keyClick(Form5, Qt::Key_Escape);
        QVERIFY(stop->isVisible() && stop->isEnabled());
        QTest::mouseClick(stop, Qt::LeftButton);
        stopPressed = true;
    });

    Form5->show();
    QTest::keyClicks(login, QStringLiteral("demo"));
    QTest::keyClicks(Form5->findChild<QLineEdit*>(QStringLiteral("EditPassword")),
                     QStringLiteral("demo"));
    QTest::mouseClick(start, Qt::LeftButton);  // returns at the end of the run
    turns.Stop();

    VerifyKeptTurning(turns, 2000);
    if (QTest::currentTestFailed()) return;
    QVERIFY(stopPressed);
    QVERIFY(openThroughout);
    QCOMPARE(fixture.dialogs.messages,
             QStringList{QStringLiteral("1 vente envoyée sur 3. Vous avez arrêté l'envoi.")});
    QCOMPARE(fixture.SalesInFile(), (QStringList{"B", "C"}));
    // The sale went byte by byte, and the window followed it.
    QVERIFY2(amountsSeen.size() >= 3, qPrintable(QString::number(amountsSeen.size())));
    QVERIFY(amountsSeen.count(QStringLiteral("2,5")) == 1);
    QCOMPARE(login->text(), QStringLiteral("demo"));
    QVERIFY(!stop->isVisible());
    QVERIFY(start->isEnabled());
    // Only the sale under way when "Arrêter" was pressed went, whole.
    const fs::path store = ToPath(fixture.FilePath("store"));
    QVERIFY(fs::exists(store / "000001"));
    QVERIFY(!fs::exists(store / "000002"));
    QVERIFY(ReadBytes(store / "000001" / "photo1.jpg") == photoBytes);
}

void ResponsiveTest::refreshFromASlowSiteKeepsTheWindowAliveAndMovesTheBar() {
    AppFixture fixture;
    // Each answer waits 400 ms; the category tree (11 KB) comes at 16 KB a second.
    const auto site = StartSlowSite(fixture, {"--delay", "400", "--throttle", "16"});
    bool withinAStep = false;
    LoopTurns turns([&] {
        if (!Form3) return;
        const auto* bar = Form3->findChild<QProgressBar*>(QStringLiteral("ProgressBarMAJ"));
        withinAStep = withinAStep || bar->value() % (bar->maximum() / 4) != 0;
    });
    fixture.Start();
    turns.Stop();

    VerifyKeptTurning(turns, 1900);
    if (QTest::currentTestFailed()) return;
    QVERIFY(withinAStep);
    QVERIFY(fixture.dialogs.errors.isEmpty());
    QVERIFY(!Form3->isVisible());
    const std::string tree = ReadBytes(fs::path(OFFREL_SITE_CATALOGUE) / "Categories.csv");
    QVERIFY(fixture.ReadFile("Categories.csv") == tree);
    QVERIFY(fixture.program->Tables().cdsCategorie.RecordCount() > 200);
}

OFFREL_TEST_MAIN(ResponsiveTest)
#include "ResponsiveTest.moc"
