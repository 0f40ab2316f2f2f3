// Inserting rows one by one before the current row, at the first position, as the sales import
// does: the time per row must not grow with the table.
#include <benchmark/benchmark.h>

#include <memory>

#include "tables/ApplicationTables.h"

namespace offrel {
namespace {

void BM_InsertAtFirstPosition(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        auto tables = std::make_unique<ApplicationTables>();
        Table& sales = tables->cdsVente;
        sales.Open();
        state.ResumeTiming();
        for (int n = 0; n < count; ++n) {
            sales.First();
            sales.Insert();
            sales.FieldByName("Libelle").SetAsString("Vente " + std::to_string(n));
            sales.FieldByName("Quantite").SetAsInteger(1);
            sales.FieldByName("Photo1").SetAsString("/home/vendeur/photo.jpg");
            sales.Post();
        }
        benchmark::DoNotOptimize(sales.RecordCount());
        state.PauseTiming();
        tables.reset();
        state.ResumeTiming();
    }
    state.counters["ns_per_row"] = benchmark::Counter(
        static_cast<double>(count),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

BENCHMARK(BM_InsertAtFirstPosition)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace offrel

BENCHMARK_MAIN();
