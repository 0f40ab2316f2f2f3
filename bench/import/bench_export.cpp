// The export of 100,000 sales to a sheet, written to the disk (target under 1 s), and the import
// of that sheet back into a table (target under 2 s).
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "bench/common/BenchSales.h"
#include "import/SalesImport.h"
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

// Each run reads the sheet into a new table. The photos exist, as the import checks each one.
void BM_ImportSales(benchmark::State& state) {
    char folder[] = "/tmp/offrel-bench-XXXXXX";
    if (::mkdtemp(folder) == nullptr) {
        state.SkipWithError("no temporary folder");
        return;
    }
    std::vector<std::string> photos;
    for (int k = 0; k < 8; ++k) {
        photos.push_back(std::string(folder) + "/vente " + std::to_string(k) + ".jpg");
        std::ofstream(photos.back()) << "JPEG";
    }
    const int count = static_cast<int>(state.range(0));
    SalesSheet sheet;
    for (Sale& sale : bench::BenchSales(count)) {
        for (std::size_t k = 0; k < sale.photo.size(); ++k) sale.photo[k] = photos[k];
        sheet.Add(sale);
    }
    const std::string path = std::string(folder) + "/ventes.csv";
    sheet.Save(path);
    for (auto _ : state) {
        state.PauseTiming();
        auto tables = std::make_unique<ApplicationTables>();
        tables->cdsVente.Open();
        state.ResumeTiming();
        if (ReadVentesFromCSV(tables->cdsVente, path).imported != count)
            state.SkipWithError("a sale was not imported");
        state.PauseTiming();
        tables.reset();
        state.ResumeTiming();
    }
    state.counters["MB"] = static_cast<double>(std::filesystem::file_size(path)) / 1e6;
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_ImportSales)->Arg(100000)->Unit(benchmark::kMillisecond)->Repetitions(5);

}  // namespace
}  // namespace offrel

BENCHMARK_MAIN();
