// The check that "Démarrer" runs before the first request: 1,000 sales with one small JPEG and
// one category each, every file already in the page cache, against a catalogue of 20,000
// categories.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench/common/Medians.h"
#include "server/Preflight.h"
#include "tables/ApplicationTables.h"

namespace fs = std::filesystem;

namespace {

constexpr int kSales = 1000;
constexpr int kCategories = 20000;

void BM_PhotoCheckOfThousandSales(benchmark::State& state) {
    std::string pattern = (fs::temp_directory_path() / "offrel-bench-XXXXXX").string();
    const fs::path folder = ::mkdtemp(pattern.data());
    offrel::ApplicationTables tables;
    offrel::Table& sales = tables.cdsVente;
    sales.Open();
    offrel::Table& categories = tables.cdsCategorie;
    categories.Open();
    for (int id = 1; id <= kCategories; ++id) {
        categories.Append();
        categories.FieldByName("ID").SetAsInteger(id);
        categories.Post();
    }
    for (int k = 0; k < kSales; ++k) {
        const std::string photo = (folder / ("photo" + std::to_string(k) + ".jpg")).string();
        std::ofstream(photo, std::ios::binary)
            << "\xff\xd8\xff\xe0" << std::string(4000, 'x') << "\xff\xd9";
        sales.Append();
        sales.FieldByName("Libelle").SetAsString("Vente " + std::to_string(k));
        sales.FieldByName("Photo1").SetAsString(photo);
        sales.FieldByName("Categorie1").SetAsInteger(1 + k * 17 % kCategories);
        sales.Post();
    }
    if (!offrel::CheckBeforeSending(sales, categories).Empty())
        state.SkipWithError("a sale was refused");
    for (auto _ : state)
        benchmark::DoNotOptimize(offrel::CheckBeforeSending(sales, categories).Empty());
    fs::remove_all(folder);
}

}  // namespace

BENCHMARK(BM_PhotoCheckOfThousandSales)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    offrel::bench::MedianReporter reporter;
    offrel::bench::RunInterleaved(argc, argv, 9, reporter);
    if (const auto median = reporter.Median("BM_PhotoCheckOfThousandSales"))
        std::printf(
            "Check of 1,000 sales before sending, one photo and one category each, warm cache: "
            "median %.1f ms (target under 100 ms)\n",
            *median);
    return 0;
}
