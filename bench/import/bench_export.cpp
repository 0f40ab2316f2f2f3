// The export of 100,000 sales to a sheet, written to the disk (target under 1 s).
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>

#include "bench/common/BenchSales.h"
#include "import/SalesSheet.h"
#include "tables/ApplicationTables.h"
#include "tables/Rows.h"

namespace offrel {
namespace {

void BM_ExportSales(benchmark::State& state) {
    char folder[] = "/tmp/offrel-bench-XXXXXX";
    if (::mkdtemp(folder) == nullptr) {
        state.SkipWithError("no temporary folder");
        return;
    }
    ApplicationTables tables;
    tables.cdsVente.Open();
    for (const Sale& sale : bench::BenchSales(static_cast<int>(state.range(0)))) {
        tables.cdsVente.Append();
        WriteSale(tables.cdsVente, sale);
        tables.cdsVente.Post();
    }
    const std::string path = std::string(folder) + "/ventes.csv";
    for (auto _ : state) ExportSales(tables.cdsVente, {}, path);
    state.counters["MB"] = static_cast<double>(std::filesystem::file_size(path)) / 1e6;
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_ExportSales)->Arg(100000)->Unit(benchmark::kMillisecond)->Repetitions(5);

}  // namespace
}  // namespace offrel

BENCHMARK_MAIN();
