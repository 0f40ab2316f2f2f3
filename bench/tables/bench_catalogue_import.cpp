// Categories.csv of the generated catalogue read and imported into cdsCategorie; the median
// of the repetitions is the figure to watch (target: under 10 ms).
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "tables/ApplicationTables.h"
#include "tables/CatalogueGenerator.h"
#include "tables/CatalogueImport.h"

namespace {

void BM_ImportCategories(benchmark::State& state) {
    char folder[] = "/tmp/offrel-bench-XXXXXX";
    if (::mkdtemp(folder) == nullptr) {
        state.SkipWithError("no temporary folder");
        return;
    }
    offrel::WriteCatalogueFiles(folder);
    const std::string path = std::string(folder) + "/Categories.csv";
    offrel::ApplicationTables tables;
    tables.cdsCategorie.SetFileName(std::string(folder) + "/Categories.cds");
    tables.cdsCategorie.Open();
    for (auto _ : state) {
        state.PauseTiming();
        tables.cdsCategorie.EmptyDataSet();
        state.ResumeTiming();
        offrel::ReadCategoriesFromCSV(tables.cdsCategorie, path);
    }
    state.counters["rows"] = tables.cdsCategorie.RecordCount();
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_ImportCategories)->Unit(benchmark::kMillisecond)->Repetitions(15);

}  // namespace

BENCHMARK_MAIN();
