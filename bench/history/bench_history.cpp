// The history of sent sales holding 100,000 sales: adding one at an upload, flushed to the disk
// (median of 1,000; target under 2 ms), reading its list (the window's opening, target under
// 300 ms, is in the application's benchmarks) and its search texts, and searching it a keystroke
// at a time with the catalogue's names (target under 50 ms).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>

#include "base/Windows1252.h"
#include "bench/common/BenchHistory.h"
#include "bench/common/Medians.h"
#include "bench/common/RunFolder.h"
#include "history/SalesHistory.h"
#include "history/SentSalesSearch.h"
#include "tables/ApplicationTables.h"
#include "tables/CatalogueGenerator.h"
#include "tables/CatalogueImport.h"

namespace offrel {
namespace {

using Clock = std::chrono::steady_clock;
constexpr int kHistorySales = 100000;

const std::string& FullHistory() {
    static const std::string path =
        bench::FilledHistory((bench::RunFolder() / "Ventes.cds").string(), kHistorySales);
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
    const std::string path = (bench::RunFolder() / "flush").string();
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

// The lines of the list, which the window shows as it opens.
void BM_ListAHistoryOf100000(benchmark::State& state) {
    SalesHistory history(FullHistory());
    for (auto _ : state) {
        const SentSalesList list = history.List();
        benchmark::DoNotOptimize(list.size());
        state.counters["sales"] = static_cast<double>(list.size());
    }
}
BENCHMARK(BM_ListAHistoryOf100000)->Unit(benchmark::kMillisecond)->Repetitions(5);

// The texts of the search, which the window reads beside itself once it shows.
void BM_SearchTextsOfAHistoryOf100000(benchmark::State& state) {
    SalesHistory history(FullHistory());
    SentSalesList list = history.List();
    for (auto _ : state) list.SetSearchTexts(SalesHistory::ReadSearchTexts(FullHistory()));
}
BENCHMARK(BM_SearchTextsOfAHistoryOf100000)->Unit(benchmark::kMillisecond)->Repetitions(5);

// The list with its texts, and the names of the 11,048 categories.
const SentSalesList& SearchableHistory() {
    static const SentSalesList list = [] {
        SentSalesList sent = SalesHistory(FullHistory()).List();
        sent.SetSearchTexts(SalesHistory::ReadSearchTexts(FullHistory()));
        WriteCatalogueFiles(bench::RunFolder().string());
        ApplicationTables tables;
        tables.cdsCategorie.Open();
        tables.cdsCategorie.EmptyDataSet();
        ReadCategoriesFromCSV(tables.cdsCategorie,
                              (bench::RunFolder() / "Categories.csv").string());
        sent.SetCategoryNames(tables.cdsCategorie);
        return sent;
    }();
    return list;
}

// The search as the seller types "vélo noël".
void BM_SearchAHistoryOf100000(benchmark::State& state, const char* typed) {
    const SentSalesList& list = SearchableHistory();
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

// The seller types "vélo noël" a key at a time in the window's search, then rubs it out: the
// median and the slowest keystroke, the first one (a search of every sale) included.
void BM_TypeInAHistoryOf100000(benchmark::State& state) {
    const SentSalesList& list = SearchableHistory();
    const std::string sentence = W("vélo noël");
    std::vector<std::string> typed;
    for (std::size_t k = 1; k <= sentence.size(); ++k) typed.push_back(sentence.substr(0, k));
    for (std::size_t k = sentence.size(); k-- > 0;) typed.push_back(sentence.substr(0, k));
    // The processor's time too: on a loaded machine the wall time is mostly waiting for it.
    const auto cpuNow = [] {
        timespec now{};
        ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
        return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
    };
    std::vector<double> times, cpuTimes;
    for (auto _ : state) {
        SentSalesSearch search(list);
        for (const std::string& text : typed) {
            const auto start = Clock::now();
            const double cpuStart = cpuNow();
            benchmark::DoNotOptimize(search.Find(text).size());
            cpuTimes.push_back(cpuNow() - cpuStart);
            times.push_back(
                std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        }
    }
    state.counters["median_key_ms"] = bench::MedianOf(times);
    state.counters["slowest_key_ms"] = *std::max_element(times.begin(), times.end());
    state.counters["slowest_key_cpu_ms"] = *std::max_element(cpuTimes.begin(), cpuTimes.end());
}
BENCHMARK(BM_TypeInAHistoryOf100000)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
}  // namespace offrel
