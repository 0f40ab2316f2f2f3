// Writing and reading table packets, against memcpy of the same bytes in the same run.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "tables/ApplicationTables.h"
#include "tables/CatalogueGenerator.h"
#include "tables/CatalogueImport.h"

namespace offrel {
namespace {

using Clock = std::chrono::steady_clock;

void SetSale(Table& sales, int n) {
    sales.FieldByName("Libelle").SetAsString("Lot de " + std::to_string(n) +
                                             " assiettes anciennes");
    std::string description(1000 + n % 500, ' ');
    for (std::size_t k = 0; k < description.size(); ++k)
        description[k] = static_cast<char>('a' + (k * 7 + n) % 26);
    sales.FieldByName("Description").SetAsString(description);
    sales.FieldByName("DureeTypeVente").SetAsInteger(1 + n % 3);
    sales.FieldByName("TypeVente").SetAsInteger(1 + n % 2);
    sales.FieldByName("Quantite").SetAsInteger(1 + n % 5);
    sales.FieldByName("Prix").SetAsCurrency(Money::FromTicks(10000LL * (n % 900 + 1)));
    sales.FieldByName("Renouvelable").SetAsBoolean(n % 2 == 0);
    sales.FieldByName("Reference").SetAsString("REF-" + std::to_string(n));
    sales.FieldByName("Categorie1").SetAsInteger(n % 11000 + 1);
    for (int k = 1; k <= 7; ++k)
        sales.FieldByName("Option" + std::to_string(k)).SetAsBoolean((n >> k) & 1);
    sales.FieldByName("Photo1").SetAsString("/home/vendeur/photos/vente" + std::to_string(n) +
                                            ".jpg");
}

// 100,000 live sales with long descriptions and a log of 300,000 entries: 150,000 insertions,
// 50,000 deletions and 100,000 modifications.
ApplicationTables& SalesWithLog() {
    static ApplicationTables* tables = [] {
        auto* t = new ApplicationTables;
        Table& sales = t->cdsVente;
        sales.Open();
        for (int n = 0; n < 150000; ++n) {
            sales.Append();
            SetSale(sales, n);
            sales.Post();
        }
        for (int r = 0; r < 50000; ++r) {
            sales.MoveTo(r);
            sales.Delete();
        }
        for (int r = 0; r < 100000; ++r) {
            sales.MoveTo(r);
            sales.Edit();
            sales.FieldByName("Quantite").SetAsInteger(r % 7 + 1);
            sales.Post();
        }
        return t;
    }();
    return *tables;
}

// Times one operation and a memcpy of `bytes` bytes in every iteration; memcpy_ratio is the
// operation's speed as a share of memcpy's.
template <class Operation>
void AgainstMemcpy(benchmark::State& state, std::size_t bytes, Operation operation) {
    std::vector<std::uint8_t> from(bytes, 1);
    std::vector<std::uint8_t> to(bytes, 0);
    double operationSeconds = 0;
    double memcpySeconds = 0;
    for (auto _ : state) {
        auto start = Clock::now();
        operation();
        auto middle = Clock::now();
        std::memcpy(to.data(), from.data(), bytes);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
        auto end = Clock::now();
        operationSeconds += std::chrono::duration<double>(middle - start).count();
        memcpySeconds += std::chrono::duration<double>(end - middle).count();
    }
    state.counters["memcpy_ratio"] = memcpySeconds / operationSeconds;
    state.counters["MB"] = static_cast<double>(bytes) / 1e6;
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}

void BM_SalesPacketWrite(benchmark::State& state) {
    Table& sales = SalesWithLog().cdsVente;
    const std::size_t size = sales.SaveToPacket().size();
    AgainstMemcpy(state, size, [&] { benchmark::DoNotOptimize(sales.SaveToPacket()); });
}

void BM_SalesPacketRead(benchmark::State& state) {
    const std::vector<std::uint8_t> packet = SalesWithLog().cdsVente.SaveToPacket();
    ApplicationTables target;
    AgainstMemcpy(state, packet.size(),
                  [&] { target.cdsVente.LoadFromPacket(packet.data(), packet.size()); });
}

// The categories as big as the built-in ones, from the catalogue generator.
Table& Categories() {
    static ApplicationTables* tables = [] {
        auto* t = new ApplicationTables;
        const auto folder = std::filesystem::temp_directory_path() / "offrel-bench-categories";
        std::filesystem::create_directories(folder);
        WriteCatalogueFiles(folder.string());
        t->cdsCategorie.Open();
        t->cdsCategorie.EmptyDataSet();
        ReadCategoriesFromCSV(t->cdsCategorie, (folder / "Categories.csv").string());
        std::filesystem::remove_all(folder);
        return t;
    }();
    return tables->cdsCategorie;
}

void BM_CategoriesPacketWrite(benchmark::State& state) {
    Table& categories = Categories();
    for (auto _ : state) benchmark::DoNotOptimize(categories.SaveToPacket());
    state.counters["rows"] = categories.RecordCount();
}

void BM_CategoriesPacketRead(benchmark::State& state) {
    const std::vector<std::uint8_t> packet = Categories().SaveToPacket();
    ApplicationTables target;
    for (auto _ : state) target.cdsCategorie.LoadFromPacket(packet.data(), packet.size());
    state.counters["bytes"] = static_cast<double>(packet.size());
}

BENCHMARK(BM_SalesPacketWrite)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SalesPacketRead)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CategoriesPacketWrite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CategoriesPacketRead)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace offrel

BENCHMARK_MAIN();
