// A seller's table of 100,000 sales: a keystroke in the search, a sort by title or price, a copy
// of 1,000 sales, a change in bulk of 10,000 and the undo of a deletion of 10,000, each with the
// history recording as the main window records it, before the table is saved. The medians are
// the figures to watch (targets: 16 ms for a keystroke, 150 ms for a sort, 200 ms for the rest);
// "history/table" tells the memory the history of such a run holds beside the table's (target:
// under 2).
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "base/Windows1252.h"
#include "sale/BulkChange.h"
#include "sale/SaleCopies.h"
#include "sale/SalesFinder.h"
#include "tables/ApplicationTables.h"
#include "tables/ControlsSuspended.h"
#include "tables/Rows.h"
#include "tables/TableHistory.h"

namespace offrel {
namespace {

constexpr int kSales = 100000;

const char* const kThings[] = {"Lampe", "Vase", "Livre", "Chaise", "Théière", "Miroir", "Tapis"};
const char* const kColours[] = {"bleu", "rouge", "vert", "doré", "noir", "blanc", "ivoire"};

Sale SaleNumber(int n) {
    Sale sale;
    const std::string thing = W(kThings[n % 7]);
    const std::string colour = W(kColours[(n / 7) % 7]);
    sale.libelle = thing + " " + colour + " " + std::to_string(n);
    sale.reference = "R" + std::to_string(n);
    sale.description = W("Belle pièce en bon état, ") + colour +
                       W(", envoi soigné.\r\nFrais de port à la charge de l'acheteur.");
    sale.prix = Money::FromTicks(10000 + (n * 7919) % 9990000);
    sale.typeVente = SaleType::Auction;
    sale.quantite = 1;
    sale.dureeTypeVente = Duration::SevenDays;
    sale.renouvelable = true;
    sale.categorie[0] = 1 + n % 500;
    sale.photo[0] = "/photos/vente" + std::to_string(n) + ".jpg";
    for (int box = 0; box < 7; ++box) sale.option[box] = box == n % 7;
    return sale;
}

// The tables with 100,000 sales; built once, shared by the benchmarks, each of which leaves the
// sales as it found them.
struct Seller {
    Seller() {
        Table& sales = tables.cdsVente;
        sales.Open();
        ControlsSuspended suspended(sales);
        for (int n = 0; n < kSales; ++n) {
            sales.Append();
            WriteSale(sales, SaleNumber(n));
            sales.Post();
        }
    }
    ApplicationTables tables;
    SaleListCells cells{tables.cdsCategorie, tables.cdsOption};
    TableHistory history{tables.cdsVente};
};

Seller& TheSeller() {
    static Seller seller;
    return seller;
}

// count positions spread evenly over the sales.
std::vector<int> Spread(const Table& sales, int count) {
    std::vector<int> positions;
    const int step = sales.RecordCount() / count;
    for (int k = 0; k < count; ++k) positions.push_back(k * step);
    return positions;
}

// A keystroke that is no narrowing of the one before, so each looks through every sale.
void BM_SearchKeystroke(benchmark::State& state) {
    Seller& seller = TheSeller();
    SalesFinder finder(seller.tables.cdsVente, seller.cells);
    finder.Shown("lampe", std::nullopt);  // the first keystroke reads the sales
    const std::vector<std::string> words = {W("théière doré"), "vase bleu", "frais 4242", "r99"};
    std::size_t k = 0;
    std::size_t found = 0;
    for (auto _ : state) {
        found = finder.Shown(words[k++ % words.size()], std::nullopt).size();
        benchmark::DoNotOptimize(found);
    }
}
BENCHMARK(BM_SearchKeystroke)->Unit(benchmark::kMillisecond)->Repetitions(9);

// The first sort after a change of the table: what the list reads of the sales is read anew.
void SortBy(benchmark::State& state, ListColumn column) {
    Seller& seller = TheSeller();
    SalesFinder finder(seller.tables.cdsVente, seller.cells);
    for (auto _ : state) {
        finder.Forget();
        benchmark::DoNotOptimize(finder.Shown("", ListSort{column, false}).size());
    }
}
void BM_SortByTitle(benchmark::State& state) {
    SortBy(state, ListColumn::Libelle);
}
void BM_SortByPrice(benchmark::State& state) {
    SortBy(state, ListColumn::Prix);
}
BENCHMARK(BM_SortByTitle)->Unit(benchmark::kMillisecond)->Repetitions(9);
BENCHMARK(BM_SortByPrice)->Unit(benchmark::kMillisecond)->Repetitions(9);

void BM_Duplicate1000(benchmark::State& state) {
    Seller& seller = TheSeller();
    const std::vector<int> originals = Spread(seller.tables.cdsVente, 1000);
    for (auto _ : state) {
        seller.history.BeginStep();
        DuplicateSales(seller.tables.cdsVente, originals);
        seller.history.EndStep("Copie");
        state.PauseTiming();
        seller.history.Undo();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Duplicate1000)->Unit(benchmark::kMillisecond)->Repetitions(9);

void BM_BulkChange10000(benchmark::State& state) {
    Seller& seller = TheSeller();
    const std::vector<int> sales = Spread(seller.tables.cdsVente, 10000);
    BulkChange change;
    change.price = PriceChange{PriceRule::RaiseByPercent, Money::FromTicks(50000)};
    change.description = DescriptionChange{true, "Envoi en colissimo suivi."};
    for (auto _ : state) {
        seller.history.BeginStep();
        const BulkOutcome outcome = ApplyBulkChange(seller.tables.cdsVente, sales, change);
        seller.history.EndStep("Modification");
        state.PauseTiming();
        if (outcome.changed != 10000) state.SkipWithError("the sales did not all change");
        seller.history.Undo();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_BulkChange10000)->Unit(benchmark::kMillisecond)->Repetitions(9);

// 10,000 sales spread over the table.
void DeleteSpread(Table& sales) {
    const std::vector<int> positions = Spread(sales, 10000);
    ControlsSuspended suspended(sales);
    for (auto position = positions.rbegin(); position != positions.rend(); ++position) {
        sales.MoveTo(*position);
        sales.Delete();
    }
}

void BM_UndoDeletionOf10000(benchmark::State& state) {
    Seller& seller = TheSeller();
    for (auto _ : state) {
        state.PauseTiming();
        seller.history.BeginStep();
        DeleteSpread(seller.tables.cdsVente);
        seller.history.EndStep("Suppression");
        state.ResumeTiming();
        seller.history.Undo();
    }
    if (seller.tables.cdsVente.RecordCount() != kSales) state.SkipWithError("sales lost");
}
BENCHMARK(BM_UndoDeletionOf10000)->Unit(benchmark::kMillisecond)->Repetitions(9);

// A run of such changes, each kept: the history beside the table, both in bytes.
void BM_HistoryOfARun(benchmark::State& state) {
    for (auto _ : state) {
        Seller seller;
        BulkChange change;
        change.price = PriceChange{PriceRule::RaiseByPercent, Money::FromTicks(50000)};
        for (int round = 0; round < 3; ++round) {
            seller.history.BeginStep();
            DuplicateSales(seller.tables.cdsVente, Spread(seller.tables.cdsVente, 1000));
            seller.history.EndStep("Copie");
            seller.history.BeginStep();
            ApplyBulkChange(seller.tables.cdsVente, Spread(seller.tables.cdsVente, 10000), change);
            seller.history.EndStep("Modification");
            seller.history.BeginStep();
            DeleteSpread(seller.tables.cdsVente);
            seller.history.EndStep("Suppression");
        }
        const double table = static_cast<double>(seller.tables.cdsVente.SaveToPacket().size());
        state.counters["history/table"] = static_cast<double>(seller.history.MemoryUsed()) / table;
    }
}
BENCHMARK(BM_HistoryOfARun)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace offrel

BENCHMARK_MAIN();
