// The history of sent sales holding 100,000 sales: adding one at an upload, flushed to the disk
// (median of 1,000; target under 2 ms), opening its list (target under 300 ms), and searching it
// a keystroke at a time with the catalogue's names (target under 50 ms).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>

#include "base/Windows1252.h"
#include "bench/common/BenchSales.h"
#include "bench/common/Medians.h"
#include "history/SaleRecord.h"
#include "history/SalesHistory.h"
#include "history/Sqlite.h"
#include "tables/ApplicationTables.h"
#include "tables/CatalogueGenerator.h"
#include "tables/CatalogueImport.h"

namespace offrel {
namespace {

using Clock = std::chrono::steady_clock;
constexpr int kHistorySales = 100000;

// A folder of the run's own, removed at its end.
const std::filesystem::path& Folder() {
    static const std::filesystem::path folder = [] {
        char pattern[] = "/tmp/offrel-bench-XXXXXX";
        if (::mkdtemp(pattern) == nullptr) throw std::runtime_error("no temporary folder");
        return std::filesystem::path(pattern);
    }();
    return folder;
}

// A history of 100,000 sales, filled in one transaction (an upload adds them one at a time).
const std::string& FullHistory() {
    static const std::string path = [] {
        const std::string file = SalesHistoryPath((Folder() / "Ventes.cds").string());
        SalesHistory{file};  // the file and its table
        SqliteDatabase db(file);
        std::string values = "?, ?, ?";
        for (int k = 0; k < SaleRecordColumnCount(); ++k) values += ", ?";
        SqliteStatement insert(db,
                               "INSERT INTO VentesEnvoyees (DateReponse, Identifiant, Recherche, " +
                                   SaleRecordColumns() + ") VALUES (" + values + ")");
        const std::vector<Sale> sales = bench::BenchSales(kHistorySales);
        SqliteTransaction transaction(db);
        for (int n = 0; n < kHistorySales; ++n) {
            insert.Reset();
            insert.BindNumber(0, 1700000000 + n);
            const Sale& sale = sales[static_cast<std::size_t>(n)];
            insert.BindBytes(1, "vendeur");
            insert.BindBytes(2,
                             FoldedSearchText(*sale.libelle, *sale.reference, *sale.description));
            BindSaleRecord(insert, 3, sale);
            insert.Step();
        }
        transaction.Commit();
        return file;
    }();
    return path;
}

void BM_AddToAHistoryOf100000(benchmark::State& state) {
    SalesHistory history(FullHistory());
    const std::vector<Sale> sales = bench::BenchSales(16);
    std::vector<double> times;
    std::int64_t n = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        history.Add(sales[static_cast<std::size_t>(n % 16)], 1800000000 + n, "vendeur");
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        ++n;
    }
    state.counters["median_ms"] = bench::MedianOf(std::move(times));
}
BENCHMARK(BM_AddToAHistoryOf100000)->Iterations(1000)->Unit(benchmark::kMillisecond);

// What the disk alone takes to flush one page written at the end of a file, as the add does with
// its log: the floor under the add's figure on this machine.
void BM_FlushOfOnePage(benchmark::State& state) {
    const std::string path = (Folder() / "flush").string();
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const std::string page(16384, 'p');
    std::vector<double> times;
    for (auto _ : state) {
        const auto start = Clock::now();
        if (::write(fd, page.data(), page.size()) != static_cast<ssize_t>(page.size()) ||
            ::fdatasync(fd) != 0)
            state.SkipWithError("the flush failed");
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    ::close(fd);
    state.counters["median_ms"] = bench::MedianOf(std::move(times));
}
BENCHMARK(BM_FlushOfOnePage)->Iterations(1000)->Unit(benchmark::kMillisecond);

void BM_ListAHistoryOf100000(benchmark::State& state) {
    SalesHistory history(FullHistory());
    for (auto _ : state) {
        const SentSalesList list = history.List();
        benchmark::DoNotOptimize(list.size());
        state.counters["sales"] = static_cast<double>(list.size());
    }
}
BENCHMARK(BM_ListAHistoryOf100000)->Unit(benchmark::kMillisecond)->Repetitions(5);

// The search as the seller types "vélo noël", with the names of the 11,048 categories.
void BM_SearchAHistoryOf100000(benchmark::State& state, const char* typed) {
    static const SentSalesList list = [] {
        SentSalesList sent = SalesHistory(FullHistory()).List();
        WriteCatalogueFiles(Folder().string());
        ApplicationTables tables;
        tables.cdsCategorie.Open();
        tables.cdsCategorie.EmptyDataSet();
        ReadCategoriesFromCSV(tables.cdsCategorie, (Folder() / "Categories.csv").string());
        sent.SetCategoryNames(tables.cdsCategorie);
        return sent;
    }();
    std::size_t found = 0;
    for (auto _ : state) {
        found = list.Find(W(typed)).size();
        benchmark::DoNotOptimize(found);
    }
    state.counters["found"] = static_cast<double>(found);
}
BENCHMARK_CAPTURE(BM_SearchAHistoryOf100000, v, "v")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SearchAHistoryOf100000, velo, "vélo")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SearchAHistoryOf100000, velo_n, "vélo n")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SearchAHistoryOf100000, velo_noel, "vélo noël")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SearchAHistoryOf100000, nothing_found, "introuvable")
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace offrel

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ignored;
    std::filesystem::remove_all(offrel::Folder(), ignored);
}
