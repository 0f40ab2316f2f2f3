// Every window of the application, walked with short and with long values: no label, button,
// check box, radio button, tab or group caption may need more room than it has. Run at 100 % and
// at 200 % (QT_SCALE_FACTOR=2).
#include <QDialog>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QTabWidget>
#include <memory>

#include "AppFixture.h"
#include "CaptionRoom.h"
#include "ModalHelper.h"
#include "TestMain.h"
#include "app/BulkChangeWindow.h"
#include "app/Forms.h"
#include "app/TForm1.h"
#include "app/TForm3.h"
#include "app/TForm4.h"
#include "app/TForm5.h"
#include "base/Windows1252.h"
#include "editor/TForm2.h"
#include "gui/Dialogs.h"
#include "gui/Fonts.h"
#include "tables/Table.h"

namespace {

using offrel::W;

// Long values a seller may well have: a title of the 80 characters that typing allows, a long
// description, reference, price and quantity, options totalling 99 999.99.
const std::string kLongTitle =
    "WOW Grande lampe de bureau MAXIMUM en laiton massif, abat-jour vert, 1950 MMMWWW";
const char* const kLongOption = "Mise en avant dans la catégorie";

// Notes the cut captions of a window under a name, once each.
class CutCollector {
public:
    void Check(const QWidget* window, const QString& when) {
        for (const QString& cut : CutCaptions(window)) {
            const QString line = when + QStringLiteral(": ") + cut;
            if (!lines_.contains(line)) lines_.append(line);
        }
    }
    QString Report() const { return lines_.join(QLatin1Char('\n')); }
    bool Empty() const { return lines_.isEmpty(); }

private:
    QStringList lines_;
};

// The update window as the refresh drives it, checked at each of its repaints.
class CheckedRefreshView : public offrel::RefreshView {
public:
    CheckedRefreshView(TForm3& window, CutCollector& cut) : window_(window), cut_(cut) {}
    void Show() override { window_.Show(); }
    void Hide() override { window_.Hide(); }
    void SetStepText(const std::string& text) override { window_.SetStepText(text); }
    void StepProgress() override { window_.StepProgress(); }
    void ShowDownload(std::uint64_t received, std::uint64_t total) override {
        window_.ShowDownload(received, total);
    }
    void Repaint() override {
        window_.Repaint();
        cut_.Check(&window_, QStringLiteral("update window"));
    }
    void ProcessPendingEvents() override { window_.ProcessPendingEvents(); }
    void ShowMessage(const std::string& text) override { window_.ShowMessage(text); }
    void CloseMainWindow() override { window_.CloseMainWindow(); }
    offrel::RequestWait& Waiting() override { return window_.Waiting(); }

private:
    TForm3& window_;
    CutCollector& cut_;
};

// The send window as a run drives it, checked at each repaint and each step of a sale's transfer.
class CheckedUploadView : public offrel::UploadView {
public:
    CheckedUploadView(TForm5& window, CutCollector& cut) : window_(window), cut_(cut) {}
    void SetStartEnabled(bool enabled) override { window_.SetStartEnabled(enabled); }
    void SetProgressMax(int maximum) override { window_.SetProgressMax(maximum); }
    void StepProgress() override { window_.StepProgress(); }
    void SetStatusText(const std::string& text) override { window_.SetStatusText(text); }
    void SetSaleProgress(const std::string& amounts) override {
        window_.SetSaleProgress(amounts);
        cut_.Check(&window_, QStringLiteral("send window during a sale"));
    }
    void SetStopEnabled(bool enabled) override { window_.SetStopEnabled(enabled); }
    bool StopRequested() override { return window_.StopRequested(); }
    offrel::RequestWait& Waiting() override { return window_.Waiting(); }
    void Repaint() override {
        window_.Repaint();
        cut_.Check(&window_, QStringLiteral("send window at a sale's start"));
    }
    void ProcessPendingEvents() override { window_.ProcessPendingEvents(); }
    void ShowMessage(const std::string& text) override { window_.ShowMessage(text); }
    void ShowError(const std::string& text) override { window_.ShowError(text); }
    bool ConfirmSendAgain(const std::string& question) override {
        return window_.ConfirmSendAgain(question);
    }
    void Close() override { window_.Close(); }
    bool AskToSendOthers(const std::string& text, const std::string& list) override {
        return window_.AskToSendOthers(text, list);
    }

private:
    TForm5& window_;
    CutCollector& cut_;
};

}  // namespace

class CaptionsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { LoadFontsAndTranslations(); }
    void init();
    void cleanup();

    void mainAndDebugWindows();
    void updateWindowAtEveryStep();
    void editorPagesWithShortValues();
    void editorPagesWithLongValues();
    void sendWindowBeforeDuringAndAfterRuns();
    void bulkChangeWindowWithLongValues();
    void reportAndQuestionBoxes();

private:
    offrel::Table& Sales() const { return fixture_->Sales(); }
    void AddLongSale();
    void WalkEditor(bool modification, const QString& values);
    void Show(QWidget* window);

    std::unique_ptr<AppFixture> fixture_;
    CutCollector cut_;
};

void CaptionsTest::init() {
    fixture_ = std::make_unique<AppFixture>();
    fixture_->Start();
    cut_ = CutCollector();
}

void CaptionsTest::cleanup() {
    fixture_.reset();
}

void CaptionsTest::Show(QWidget* window) {
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
}

// A sale of long values, every option ticked, the options priced so that they total 99 999.99.
void CaptionsTest::AddLongSale() {
    offrel::Table& options = fixture_->program->Tables().cdsOption;
    const std::int64_t prices[] = {333333300, 333333300, 333333300};  // in ten-thousandths
    options.First();
    for (std::int64_t price : prices) {
        options.Edit();
        options.FieldByName("Libelle").SetAsString(W(kLongOption));
        options.FieldByName("Prix").SetAsCurrency(offrel::Money::FromTicks(price));
        options.FieldByName("PrixBoutique").SetAsCurrency(offrel::Money::FromTicks(price / 2));
        options.Post();
        options.Next();
    }
    offrel::Table& sales = Sales();
    sales.Append();
    sales.FieldByName("Libelle").SetAsString(kLongTitle);
    sales.FieldByName("Description").SetAsString(W(std::string(40, 'e') + "é\r\nDeuxième ligne"));
    sales.FieldByName("Reference").SetAsString(std::string(40, 'R'));
    sales.FieldByName("Prix").SetAsCurrency(offrel::Money::FromTicks(999999900));
    sales.FieldByName("TypeVente").SetAsInteger(2);
    sales.FieldByName("Quantite").SetAsInteger(99999);
    sales.FieldByName("DureeTypeVente").SetAsInteger(1);
    sales.FieldByName("Categorie1").SetAsInteger(2);
    for (const char* option : {"Option1", "Option2", "Option3"})
        sales.FieldByName(option).SetAsBoolean(true);
    sales.Post();
}

void CaptionsTest::mainAndDebugWindows() {
    AddSale(Sales(), kLongTitle);
    Show(Form1);
    cut_.Check(Form1, QStringLiteral("main window"));
    Show(Form4);
    cut_.Check(Form4, QStringLiteral("debug window"));
    QVERIFY2(cut_.Empty(), qPrintable(cut_.Report()));
}

// Two sales of the longest price and options, every frame ticked, the price raised so that the
// range after the change is the widest it can be.
void CaptionsTest::bulkChangeWindowWithLongValues() {
    AddLongSale();
    AddLongSale();
    BulkChangeWindow window(
        fixture_->program->Tables(), {0, 1}, {},
        [](const offrel::BulkChange&) { return offrel::BulkOutcome{}; }, Form1);
    for (QGroupBox* frame : window.findChildren<QGroupBox*>()) frame->setChecked(true);
    window.findChild<QLineEdit*>(QStringLiteral("EditValeur"))->setText(QStringLiteral("99.99"));
    window.PriceChange();
    Show(&window);
    cut_.Check(&window, QStringLiteral("bulk change window"));
    QVERIFY2(cut_.Empty(), qPrintable(cut_.Report()));
}

void CaptionsTest::updateWindowAtEveryStep() {
    CheckedRefreshView view(*Form3, cut_);
    offrel::RunCatalogueRefresh(fixture_->program->Tables(),
                                QFile::encodeName(fixture_->Folder() + '/').toStdString(), view);
    QVERIFY(fixture_->dialogs.errors.isEmpty());
    QVERIFY2(cut_.Empty(), qPrintable(cut_.Report()));
}

void CaptionsTest::WalkEditor(bool modification, const QString& values) {
    offrel::EditorState& state = fixture_->program->Editor();
    state.ModeModification = modification;
    TForm2 editor(fixture_->program->Tables(), state,
                  QFile::encodeName(fixture_->Folder()).toStdString());
    Show(&editor);
    auto* pages = editor.findChild<QTabWidget*>(QStringLiteral("PageControlVente"));
    for (int page = 0; page < pages->count(); ++page) {
        pages->setCurrentIndex(page);
        cut_.Check(&editor, QStringLiteral("editor page %1, %2").arg(page + 1).arg(values));
    }
}

void CaptionsTest::editorPagesWithShortValues() {
    WalkEditor(false, QStringLiteral("new sale"));
    QVERIFY2(cut_.Empty(), qPrintable(cut_.Report()));
}

void CaptionsTest::editorPagesWithLongValues() {
    AddLongSale();
    WalkEditor(true, QStringLiteral("long values"));
    QVERIFY2(fixture_->dialogs.messages.isEmpty(),
             qPrintable(fixture_->dialogs.messages.join('\n')));
    QVERIFY2(cut_.Empty(), qPrintable(cut_.Report()));
}

void CaptionsTest::sendWindowBeforeDuringAndAfterRuns() {
    Show(Form5);
    cut_.Check(Form5, QStringLiteral("send window, empty table"));
    AddSale(Sales(), "Lampe");
    AddLongSale();
    Form5->hide();
    Show(Form5);  // the batch line of a long total
    cut_.Check(Form5, QStringLiteral("send window, two sales"));
    CheckedUploadView view(*Form5, cut_);
    offrel::RunSalesUpload(Sales(), fixture_->program->Tables().cdsCategorie, "vendeur", "secret",
                           view);
    QCOMPARE(Sales().RecordCount(), 0);
    // The amounts of a large sale, after a long title.
    Show(Form5);
    Form5->SetStatusText("Envoi de la vente : " + kLongTitle + "...");
    Form5->SetSaleProgress("1023,9 Mo / 1024,0 Mo");
    cut_.Check(Form5, QStringLiteral("send window, a large sale"));
    QVERIFY2(cut_.Empty(), qPrintable(cut_.Report()));
}

void CaptionsTest::reportAndQuestionBoxes() {
    const QString longText =
        QStringLiteral(
            "2 ventes envoyées sur 5. Ventes laissées dans la liste pour leurs "
            "photos : « %1 », « %1 », « %1 ». Le site a refusé la vente « %1 » : %2")
            .arg(QString::fromStdString(kLongTitle),
                 QStringLiteral("La description contient des mots interdits. ").repeated(8));
    const QList<std::pair<QString, std::function<void(const QString&)>>> boxes = {
        {QStringLiteral("message"),
         [](const QString& text) { Dialogs::Get().Message(Form1, text); }},
        {QStringLiteral("error box"),
         [](const QString& text) { Dialogs::Get().Error(Form1, text); }},
        {QStringLiteral("question"),
         [](const QString& text) { Dialogs::Get().Confirm(Form1, text); }},
        {QStringLiteral("report"), [](const QString& text) { Dialogs::Get().Report(Form1, text); }},
        {QStringLiteral("list question"),
         [](const QString& text) {
             Dialogs::Get().ConfirmList(Form5, text, text,
                                        QStringLiteral("Envoyer les autres ventes"),
                                        QStringLiteral("Annuler"));
         }},
    };
    Dialogs::Set(nullptr);  // the real boxes
    for (const auto& [kind, show] : boxes) {
        for (const QString& text : {QStringLiteral("Aucune vente a envoyer..."), longText}) {
            OnNextModal([&](QDialog* box) {
                cut_.Check(box,
                           kind + (text.size() > 40 ? QStringLiteral(", long text") : QString()));
                box->done(QDialog::Rejected);
            });
            show(text);
        }
    }
    Dialogs::Set(&fixture_->dialogs);
    QVERIFY2(cut_.Empty(), qPrintable(cut_.Report()));
}

OFFREL_TEST_MAIN(CaptionsTest)
#include "CaptionsTest.moc"
