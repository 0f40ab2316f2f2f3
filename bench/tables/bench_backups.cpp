// Backups of a sales file of 100,000 sales: the backup taken at a save (a link; target under
// 1 ms), against the save itself, and a restore against opening the table (target: a restore
// costs less than an opening).
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>

#include "base/Files.h"
#include "bench/common/BenchSales.h"
#include "tables/ApplicationTables.h"
#include "tables/Rows.h"
#include "tables/SalesBackups.h"

namespace offrel {
namespace {

constexpr int kSales = 100000;

// A folder of the run's own holding Ventes.cds with 100,000 sales, removed at its end.
const std::string& SalesFile() {
    static const std::string file = [] {
        char pattern[] = "/tmp/offrel-bench-XXXXXX";
        if (::mkdtemp(pattern) == nullptr) throw std::runtime_error("no temporary folder");
        ApplicationTables tables;
        tables.cdsVente.SetFileName(std::string(pattern) + "/Ventes.cds");
        tables.cdsVente.Open();
        for (const Sale& sale : bench::BenchSales(kSales)) {
            tables.cdsVente.Append();
            WriteSale(tables.cdsVente, sale);
            tables.cdsVente.Post();
        }
        tables.cdsVente.Save();
        return tables.cdsVente.FileName();
    }();
    return file;
}

// The backup that the hook takes, due at every iteration (an hour later each time).
void BM_BackupAtASave(benchmark::State& state) {
    std::int64_t now = 1700000000;
    SalesBackups backups(SalesFile(), [&now] { return now; });
    for (auto _ : state) {
        now += SalesBackups::kInterval;
        backups.KeepReplaced(SalesFile());
    }
    if (backups.TakeFailure()) state.SkipWithError("the backup failed");
}
BENCHMARK(BM_BackupAtASave)->Unit(benchmark::kMillisecond)->Iterations(100)->Repetitions(5);

// The save that the backup goes with: the packet written, flushed and renamed.
void BM_SaveTheTable(benchmark::State& state) {
    ApplicationTables tables;
    tables.cdsVente.SetFileName(SalesFile());
    tables.cdsVente.Open();
    for (auto _ : state) tables.cdsVente.Save();
}
BENCHMARK(BM_SaveTheTable)->Unit(benchmark::kMillisecond)->Repetitions(5);

// What opening the application's sales table costs: the file read and its packet loaded.
void BM_OpenTheTable(benchmark::State& state) {
    ApplicationTables tables;
    tables.cdsVente.Open();
    for (auto _ : state) {
        const std::vector<std::uint8_t> bytes = ReadWholeFile(SalesFile());
        tables.cdsVente.LoadFromPacket(bytes.data(), bytes.size());
    }
    state.counters["sales"] = tables.cdsVente.RecordCount();
}
BENCHMARK(BM_OpenTheTable)->Unit(benchmark::kMillisecond)->Repetitions(5);

void BM_RestoreABackup(benchmark::State& state) {
    std::int64_t now = 1700000000;
    SalesBackups backups(SalesFile(), [&now] { return now; });
    backups.KeepReplaced(SalesFile());
    ApplicationTables tables;
    tables.cdsVente.SetFileName(SalesFile());
    tables.cdsVente.Open();
    for (auto _ : state) {
        state.PauseTiming();
        now += 1;
        const SalesBackup latest = backups.List().front();
        state.ResumeTiming();
        backups.Restore(tables.cdsVente, latest);
    }
    state.counters["sales"] = tables.cdsVente.RecordCount();
}
BENCHMARK(BM_RestoreABackup)->Unit(benchmark::kMillisecond)->Repetitions(5);

}  // namespace
}  // namespace offrel

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::path(offrel::SalesFile()).parent_path(), ignored);
}
