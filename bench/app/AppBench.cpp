// The application's timings with the main window on screen: start-up against a site serving the
// full generated catalogue (and the refresh's share of it), importing sales with the grid
// following every row (plain lines, and a spreadsheet's quoted two-line descriptions), deleting
// selected sales, opening the list of sent sales, and reading the grid's cells.
#include <benchmark/benchmark.h>

#include <QAbstractItemView>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QWindow>
#include <memory>
#include <string>

#include "ScriptedSite.h"
#include "app/Forms.h"
#include "app/OffrelApplication.h"
#include "app/ProgramBlock.h"
#include "app/SalesGrid.h"
#include "app/SentSalesWindow.h"
#include "app/TForm1.h"
#include "bench/common/BenchHistory.h"
#include "server/CatalogueRefresh.h"
#include "tables/CatalogueGenerator.h"
#include "tests/common/ScriptedDialogs.h"

namespace {

class SilentRefreshView : public offrel::RefreshView {
public:
    void Show() override {}
    void Hide() override {}
    void SetStepText(const std::string&) override {}
    void StepProgress() override {}
    void ShowDownload(std::uint64_t, std::uint64_t) override {}
    void Repaint() override {}
    void ProcessPendingEvents() override {}
    void ShowMessage(const std::string&) override {}
    void CloseMainWindow() override {}
    offrel::RequestWait& Waiting() override { return wait; }
    offrel::BlockingWait wait;
};

void ShowAndWait(QWidget* window) {
    window->show();
    while (!window->windowHandle() || !window->windowHandle()->isExposed())
        QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

void ShowMainWindow() {
    ShowAndWait(Form1);
}

SalesGrid* Grid() {
    return Form1->findChild<SalesGrid*>(QStringLiteral("DBGridVente"));
}

enum class Descriptions { Plain, QuotedOnTwoLines };

// A sales file of `count` lines after its header, each naming an existing photo; or the same as
// a spreadsheet saves it when each description spans two lines and holds quotes and a ";".
QString WriteSalesFile(const QTemporaryDir& dir, int count,
                       Descriptions descriptions = Descriptions::Plain) {
    const QString photo = dir.filePath(QStringLiteral("photo.jpg"));
    QFile(photo).open(QIODevice::WriteOnly);
    const std::string photoPath = QFile::encodeName(photo).toStdString();
    const bool quoted = descriptions == Descriptions::QuotedOnTwoLines;
    const std::string description =
        quoted ? "\"Une description \"\"soignée\"\"\r\nsur deux lignes ; avec détails\""
               : "Une description";
    const char* lineEnd = quoted ? "\r\n" : "\n";
    std::string text = std::string("categorie;titre;ref;description;photo1") + lineEnd;
    for (int i = 0; i < count; ++i)
        text += std::to_string(1 + i % 500) + ";Vente " + std::to_string(i) + ";R" +
                std::to_string(i) + ";" + description + ";" + photoPath + ";;;" +
                std::to_string(1 + i % 90) + ",50;Y;5;Y;Y" + lineEnd;
    const QString path = dir.filePath(QStringLiteral("ventes.csv"));
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(text.data(), static_cast<qint64>(text.size()));
    return path;
}

void BM_StartUpToMainWindowShown(benchmark::State& state) {
    ScriptedDialogs dialogs;
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir;
        state.ResumeTiming();
        auto program = std::make_unique<ProgramBlock>(dir.path());
        ShowMainWindow();
        state.PauseTiming();
        program.reset();
        state.ResumeTiming();
    }
}

void BM_CatalogueRefresh(benchmark::State& state) {
    SilentRefreshView view;
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir;
        auto tables = std::make_unique<offrel::ApplicationTables>();
        const std::string folder = QFile::encodeName(dir.path() + QLatin1Char('/')).toStdString();
        state.ResumeTiming();
        offrel::RunCatalogueRefresh(*tables, folder, view);
        state.counters["categories"] = tables->cdsCategorie.RecordCount();
        state.PauseTiming();
        tables.reset();
        state.ResumeTiming();
    }
}

// "Importer" with the main window shown: every row is posted and shown, then Ventes.cds saved.
void ImportSales(benchmark::State& state, Descriptions descriptions) {
    ScriptedDialogs dialogs;
    QTemporaryDir dir;
    const QString file = WriteSalesFile(dir, static_cast<int>(state.range(0)), descriptions);
    ProgramBlock program(dir.path());
    ShowMainWindow();
    for (auto _ : state) {
        state.PauseTiming();
        program.Tables().cdsVente.EmptyDataSet();
        QCoreApplication::processEvents();
        state.ResumeTiming();
        Form1->ReadVentesFromCSV(file);
        QCoreApplication::processEvents();
    }
    state.counters["rows"] = static_cast<double>(program.Tables().cdsVente.RecordCount());
}

void BM_ImportSales(benchmark::State& state) {
    ImportSales(state, Descriptions::Plain);
}

void BM_ImportSpreadsheetSales(benchmark::State& state) {
    ImportSales(state, Descriptions::QuotedOnTwoLines);
}

// "Supprimer cette vente" on every sale of the list, selected, then Ventes.cds saved.
void BM_DeleteSelectedSales(benchmark::State& state) {
    ScriptedDialogs dialogs;
    QTemporaryDir dir;
    const QString file = WriteSalesFile(dir, static_cast<int>(state.range(0)));
    ProgramBlock program(dir.path());
    ShowMainWindow();
    for (auto _ : state) {
        state.PauseTiming();
        Form1->ReadVentesFromCSV(file);
        Grid()->selectAll();
        QCoreApplication::processEvents();
        state.ResumeTiming();
        Form1->Button3Click();
        QCoreApplication::processEvents();
    }
}

// One cell of the list, far apart rows: the time must not grow with the number of sales.
void BM_ReadGridCell(benchmark::State& state) {
    ScriptedDialogs dialogs;
    QTemporaryDir dir;
    const int rows = static_cast<int>(state.range(0));
    ProgramBlock program(dir.path());
    Form1->ReadVentesFromCSV(WriteSalesFile(dir, rows));
    const QAbstractItemModel* model = Grid()->model();
    int row = 0;
    for (auto _ : state) {
        row = (row + 7919) % rows;
        benchmark::DoNotOptimize(model->index(row, 0).data());
        benchmark::DoNotOptimize(model->index(row, 1).data());
    }
}

// "Ventes envoyées" on a history of that many sales, the catalogue's categories named for its
// search: from the command to the list on screen; with typed, the first key typed at once too,
// before the texts that the search reads beside the window have come.
void OpenSentSalesWindow(benchmark::State& state, const char* typed) {
    ScriptedDialogs dialogs;
    QTemporaryDir dir;
    offrel::SalesHistory history(offrel::bench::FilledHistory(
        QFile::encodeName(dir.filePath(QStringLiteral("Ventes.cds"))).toStdString(),
        static_cast<int>(state.range(0))));
    ProgramBlock program(dir.path());
    ShowMainWindow();
    const SalesChange change = [](const std::function<void()>& relist) { relist(); };
    for (auto _ : state) {
        auto window = std::make_unique<SentSalesWindow>(
            history, program.Tables().cdsVente, program.Tables().cdsCategorie, change, Form1);
        ShowAndWait(window.get());
        if (*typed) window->findChild<QLineEdit*>("EditRecherche")->setText(typed);
        state.PauseTiming();
        window.reset();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}

void BM_OpenSentSalesWindow(benchmark::State& state) {
    OpenSentSalesWindow(state, "");
}

void BM_OpenSentSalesWindowAndTypeAtOnce(benchmark::State& state) {
    OpenSentSalesWindow(state, "v");
}

}  // namespace

BENCHMARK(BM_StartUpToMainWindowShown)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_CatalogueRefresh)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_ImportSales)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ImportSpreadsheetSales)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK(BM_DeleteSelectedSales)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_OpenSentSalesWindow)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_OpenSentSalesWindowAndTypeAtOnce)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);
BENCHMARK(BM_ReadGridCell)->Arg(1000)->Arg(100000)->Unit(benchmark::kNanosecond);

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    OffrelApplication application(argc, argv);
    ScriptedSite catalogueSite;
    catalogueSite.SetCatalogue(offrel::GenerateOptionsCsv(), offrel::GenerateCategoriesCsv());
    qputenv("OFFREL_SERVER_URL", catalogueSite.Url().toLatin1());
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
