// Uploads to the stand-in site on loopback: one sale with eight photos of 25 MB against curl -F
// sending the same files in the same run, the uploading process's peak memory above its idle
// size, and 1,000 sales with one small photo each (the median time per sale is the counter
// median_sale_ms). Then one sale with eight photos of 5 MB over a line of 2 MB a second
// (offrel-site --throttle 2048), as the application sends it, its thread turning an event loop,
// against the same request blocking its thread; the longest gap between two turns of the loop is
// printed at the end. Last, a batch of 20 sales with 4 phone photos each (about 4 MB, 12 MP) over
// a line of 1 MB a second (--throttle 1024), with the photos reduced against as they are, and the
// longest gap of the event loop during the reduced batch.
#include <benchmark/benchmark.h>

#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "bench/common/Medians.h"
#include "gui/EventLoopWait.h"
#include "server/MultipartBody.h"
#include "server/PostToServer.h"
#include "server/RequestWait.h"
#include "server/SaleRequest.h"
#include "server/SalesUpload.h"
#include "server/TransferAmounts.h"
#include "tables/ApplicationTables.h"
#include "tables/Rows.h"
#include "tests/photo/TestPhotos.h"
#include "tests/site/SiteProcess.h"

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kPhotoSize = 25u << 20;
constexpr std::size_t kLinePhotoSize = 5u << 20;
constexpr int kCategory = 19872;  // in the shipped catalogue
constexpr int kBatchSales = 20;

std::string MakeTemporaryFolder(const fs::path& parent, const char* prefix) {
    std::string pattern = (parent / (std::string(prefix) + "XXXXXX")).string();
    return ::mkdtemp(pattern.data());
}

// A stand-in site on loopback with its store in memory when it can: its own syncs to disk are not
// the upload's time.
struct StandIn {
    fs::path store;
    std::unique_ptr<SiteProcess> site;
    std::string url;

    StandIn(const fs::path& folder, std::vector<std::string> options) {
        store = MakeTemporaryFolder(fs::exists("/dev/shm") ? fs::path("/dev/shm") : folder,
                                    "offrel-store-");
        site = std::make_unique<SiteProcess>(store, std::move(options));
        url = "http://127.0.0.1:" + std::to_string(site->Port()) + "/offrel.php";
    }
    ~StandIn() {
        site.reset();
        fs::remove_all(store);
    }
    // The sales received so far; the folder itself stays, the site writes in it.
    void ClearStore() {
        for (const fs::directory_entry& sale : fs::directory_iterator(store))
            fs::remove_all(sale.path());
    }
};

std::vector<std::string> WritePhotos(const fs::path& folder, const char* name, std::size_t size) {
    std::string jpeg(size, '\0');
    for (std::size_t i = 0; i < jpeg.size(); ++i) jpeg[i] = static_cast<char>(i * 31 % 251);
    jpeg.replace(0, 4, "\xff\xd8\xff\xe0");
    jpeg.replace(jpeg.size() - 2, 2, "\xff\xd9");
    std::vector<std::string> photos;
    for (int k = 1; k <= 8; ++k) {
        photos.push_back((folder / (name + std::to_string(k) + ".jpg")).string());
        std::ofstream(photos.back(), std::ios::binary) << jpeg;
    }
    return photos;
}

struct Bench {
    fs::path folder;
    std::vector<std::string> photos;
    std::vector<std::string> linePhotos;
    std::string smallPhoto;
    std::unique_ptr<StandIn> loopback;
    std::unique_ptr<StandIn> line;  // 2 MB a second
    std::vector<std::string> phonePhotos;
    std::unique_ptr<StandIn> homeLine;  // 1 MB a second

    Bench() {
        folder = MakeTemporaryFolder(fs::temp_directory_path(), "offrel-bench-");
        photos = WritePhotos(folder, "photo", kPhotoSize);
        linePhotos = WritePhotos(folder, "ligne", kLinePhotoSize);
        smallPhoto = (folder / "petite.jpg").string();
        std::ofstream(smallPhoto, std::ios::binary)
            << ReadFirstBytes(photos.front(), 2000) << "\xff\xd9";
        loopback = std::make_unique<StandIn>(folder, std::vector<std::string>{});
        line = std::make_unique<StandIn>(folder, std::vector<std::string>{"--throttle", "2048"});
        homeLine =
            std::make_unique<StandIn>(folder, std::vector<std::string>{"--throttle", "1024"});
        offrel::testing::JpegOptions camera;
        camera.quality = 92;
        for (int k = 1; k <= 4; ++k) {
            phonePhotos.push_back((folder / ("telephone" + std::to_string(k) + ".jpg")).string());
            // Each its own picture: the scene moved by a few pixels.
            offrel::testing::WriteJpeg(
                phonePhotos.back(), 4032, 3024,
                [k](int x, int y) { return offrel::testing::PhoneLike(x + 7 * k, y); }, camera);
        }
        ::setenv("OFFREL_SERVER_URL", loopback->url.c_str(), 1);
    }
    ~Bench() {
        loopback.reset();
        line.reset();
        homeLine.reset();
        fs::remove_all(folder);
    }

    static std::string ReadFirstBytes(const std::string& path, std::size_t count) {
        std::string bytes(count, '\0');
        std::ifstream(path, std::ios::binary)
            .read(bytes.data(), static_cast<std::streamsize>(count));
        return bytes;
    }

    static Bench& Get() {
        static Bench bench;
        return bench;
    }
};

// The application's wait: its thread turns an event loop while the request runs on its own.
EventLoopWait& ApplicationWait() {
    static EventLoopWait wait;
    return wait;
}

// The turns of the event loop, timed by a 5 ms timer.
class LoopTurns {
public:
    LoopTurns() {
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] { Turn(); });
    }
    void Start() {
        clock_.start();
        last_ = 0;
        longest_ = 0;
        timer_.start();
    }
    // The longest gap in milliseconds, up to now.
    double Stop() {
        timer_.stop();
        Turn();
        return static_cast<double>(longest_) / 1e6;
    }

private:
    void Turn() {
        const qint64 now = clock_.nsecsElapsed();
        longest_ = std::max(longest_, now - last_);
        last_ = now;
    }
    QTimer timer_;
    QElapsedTimer clock_;
    qint64 last_ = 0;
    qint64 longest_ = 0;
};

std::vector<double> g_longestGapsMs;  // of each upload over the slow line

void AppendSale(offrel::Table& cdsVente, const std::vector<std::string>& photos) {
    offrel::Sale sale;
    sale.libelle = "Lot de photos";
    sale.description = "Une description";
    sale.prix = offrel::Money::FromTicks(125000);
    sale.quantite = 1;
    sale.dureeTypeVente = offrel::Duration::ThreeDays;
    sale.typeVente = offrel::SaleType::Auction;
    sale.categorie[0] = kCategory;
    for (std::size_t k = 0; k < photos.size(); ++k) sale.photo[k] = photos[k];
    cdsVente.Append();
    offrel::WriteSale(cdsVente, sale);
    cdsVente.Post();
}

// The request of the application for a sale with eight photos, to the site at url, its progress
// shown as the send window shows it; the thread waits through `wait`, or blocks in the request
// when there is none.
std::string PostEightPhotos(const std::vector<std::string>& photos, const std::string& url,
                            offrel::RequestWait* wait, LoopTurns* turns = nullptr) {
    ::setenv("OFFREL_SERVER_URL", url.c_str(), 1);
    offrel::ApplicationTables tables;
    tables.cdsVente.Open();
    AppendSale(tables.cdsVente, photos);
    offrel::TMultipartBody body;
    offrel::AddSaleFields(body, offrel::ReadSale(tables.cdsVente, 0), "demo", "demo");
    if (!wait) return offrel::PostToServer(body);
    if (turns) turns->Start();
    std::string answer =
        offrel::PostAndWait(body, *wait, [](const offrel::TransferProgress& progress) {
            benchmark::DoNotOptimize(offrel::TransferAmounts(progress.sent, progress.toSend));
        });
    if (turns) g_longestGapsMs.push_back(turns->Stop());
    return answer;
}

// One sale per iteration, the site's store emptied between them.
void UploadEightPhotos(benchmark::State& state, const std::vector<std::string>& photos,
                       StandIn& site, offrel::RequestWait* wait, LoopTurns* turns = nullptr) {
    for (auto _ : state) {
        const std::string answer = PostEightPhotos(photos, site.url, wait, turns);
        if (answer != "OK") {
            state.SkipWithError(("the site refused the sale: " + answer).c_str());
            break;
        }
        state.PauseTiming();
        site.ClearStore();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * 8 *
                            static_cast<std::int64_t>(fs::file_size(photos.front())));
}

void BM_UploadEightPhotos(benchmark::State& state) {
    Bench& bench = Bench::Get();
    UploadEightPhotos(state, bench.photos, *bench.loopback, &ApplicationWait());
}

void BM_SlowLineWhileTurning(benchmark::State& state) {
    Bench& bench = Bench::Get();
    LoopTurns turns;
    UploadEightPhotos(state, bench.linePhotos, *bench.line, &ApplicationWait(), &turns);
}

void BM_SlowLineBlocking(benchmark::State& state) {
    Bench& bench = Bench::Get();
    UploadEightPhotos(state, bench.linePhotos, *bench.line, nullptr);
}

// The same sale as a browser-like form from curl.
void BM_CurlFormEightPhotos(benchmark::State& state) {
    Bench& bench = Bench::Get();
    std::string command = "curl -sf -o /dev/null -H 'Expect:'";
    for (const char* field :
         {"action=putVente", "login=demo", "password=demo", "libelle=Lot de photos",
          "description=Une description", "prix=12.5", "quantite=1", "renouvelable=0",
          "dureetypevente=1", "typevente=1", "reference="})
        command += std::string(" -F '") + field + "'";
    command += " -F 'categorie1=" + std::to_string(kCategory) + "'";
    for (int k = 0; k < 8; ++k)
        command += " -F 'photo" + std::to_string(k + 1) + "=@" + bench.photos[k] + "'";
    command += " '" + bench.loopback->url + "'";
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError("curl failed");
            break;
        }
        state.PauseTiming();
        bench.loopback->ClearStore();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * 8 * static_cast<std::int64_t>(kPhotoSize));
}

long StatusKiB(const std::string& key) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(key, 0) == 0) return std::stol(line.substr(key.size()));
    return -1;
}

// In a child process, so that the photos written by the benchmark do not count: the peak
// resident size while posting, above the resident size just before.
void BM_PeakMemoryOfEightPhotos(benchmark::State& state) {
    Bench::Get();  // the photos and the site come from the parent, whichever benchmark runs first
    long aboveIdle = -1;
    for (auto _ : state) {
        int result[2];
        if (::pipe(result) != 0) std::abort();
        const pid_t child = ::fork();
        if (child == 0) {
            std::ofstream("/proc/self/clear_refs") << "5";  // resets the peak to the current size
            const long idle = StatusKiB("VmRSS:");
            offrel::BlockingWait wait;  // the request's own thread counts, Qt's loop not
            Bench& bench = Bench::Get();
            const bool accepted = PostEightPhotos(bench.photos, bench.loopback->url, &wait) == "OK";
            const long above = accepted ? StatusKiB("VmHWM:") - idle : -1;
            [[maybe_unused]] auto written = ::write(result[1], &above, sizeof above);
            ::_exit(0);
        }
        ::close(result[1]);
        if (::read(result[0], &aboveIdle, sizeof aboveIdle) != sizeof aboveIdle) aboveIdle = -1;
        ::close(result[0]);
        ::waitpid(child, nullptr, 0);
        Bench::Get().loopback->ClearStore();
        if (aboveIdle < 0) {
            state.SkipWithError("the site refused the sale");
            break;
        }
    }
    state.counters["peak_above_idle_MiB"] = static_cast<double>(aboveIdle) / 1024.0;
}

// Notes when each sale begins, for the median time per sale.
class SilentView : public offrel::UploadView {
public:
    std::string message;
    std::vector<std::chrono::steady_clock::time_point> starts;
    void SetStartEnabled(bool) override {}
    void SetProgressMax(int) override {}
    void StepProgress() override { starts.push_back(std::chrono::steady_clock::now()); }
    void SetStatusText(const std::string&) override {}
    void SetSaleProgress(const std::string&) override {}
    void SetStopEnabled(bool) override {}
    bool StopRequested() override { return false; }
    offrel::RequestWait& Waiting() override { return ApplicationWait(); }
    void Repaint() override {}
    void ProcessPendingEvents() override {}
    void ShowMessage(const std::string& text) override { message = text; }
    void ShowError(const std::string& text) override { message = text; }
    bool ConfirmSendAgain(const std::string&) override { return false; }
    void Close() override {}
    bool AskToSendOthers(const std::string&, const std::string&) override { return true; }
};

// Each sale's time runs from its start to the next one's: its request, the answer, the deletion
// and the table saved.
double MedianSaleMilliseconds(const std::vector<std::chrono::steady_clock::time_point>& starts) {
    std::vector<double> times;
    for (std::size_t k = 1; k < starts.size(); ++k)
        times.push_back(
            std::chrono::duration<double, std::milli>(starts[k] - starts[k - 1]).count());
    return offrel::bench::MedianOf(std::move(times));
}

void BM_ThousandSmallSales(benchmark::State& state) {
    constexpr int kSales = 1000;
    Bench& bench = Bench::Get();
    ::setenv("OFFREL_SERVER_URL", bench.loopback->url.c_str(), 1);
    double medianSale = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const fs::path dataDir = bench.folder / "donnees";
        fs::create_directories(dataDir);
        offrel::ApplicationTables tables;
        tables.cdsVente.SetFileName((dataDir / "Ventes.cds").string());
        tables.cdsVente.Open();
        for (int i = 0; i < kSales; ++i) AppendSale(tables.cdsVente, {bench.smallPhoto});
        SilentView view;
        state.ResumeTiming();
        offrel::RunSalesUpload(tables.cdsVente, tables.cdsCategorie, "demo", "demo", view);
        state.PauseTiming();
        const bool allSent = tables.cdsVente.RecordCount() == 0;
        medianSale = MedianSaleMilliseconds(view.starts);
        bench.loopback->ClearStore();
        fs::remove_all(dataDir);
        state.ResumeTiming();
        if (!allSent) {
            state.SkipWithError(("sales left: " + view.message).c_str());
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * kSales);
    state.counters["median_sale_ms"] = medianSale;
}

std::vector<double> g_batchGapsMs;  // of each reduced batch

// The batch as the send window runs it, its thread turning the event loop.
void UploadPhoneBatch(benchmark::State& state, bool reduce) {
    Bench& bench = Bench::Get();
    ::setenv("OFFREL_SERVER_URL", bench.homeLine->url.c_str(), 1);
    LoopTurns turns;
    for (auto _ : state) {
        state.PauseTiming();
        // The table's file and its send journal in a folder of their own, as in the application.
        const fs::path dataDir = bench.folder / "lot";
        fs::create_directories(dataDir);
        offrel::ApplicationTables tables;
        tables.cdsVente.SetFileName((dataDir / "Ventes.cds").string());
        tables.cdsVente.Open();
        for (int i = 0; i < kBatchSales; ++i) AppendSale(tables.cdsVente, bench.phonePhotos);
        SilentView view;
        offrel::UploadChoices choices;
        choices.reducePhotos = reduce;
        if (reduce) turns.Start();
        state.ResumeTiming();
        offrel::RunSalesUpload(tables.cdsVente, tables.cdsCategorie, "demo", "demo", view,
                               std::nullopt, choices);
        state.PauseTiming();
        if (reduce) g_batchGapsMs.push_back(turns.Stop());
        bench.homeLine->ClearStore();
        fs::remove_all(dataDir);
        state.ResumeTiming();
        if (tables.cdsVente.RecordCount() != 0) {
            state.SkipWithError(("sales left: " + view.message).c_str());
            break;
        }
    }
}

void BM_PhoneBatchAsItIs(benchmark::State& state) {
    UploadPhoneBatch(state, false);
}

void BM_PhoneBatchReduced(benchmark::State& state) {
    UploadPhoneBatch(state, true);
}

}  // namespace

BENCHMARK(BM_UploadEightPhotos)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();
BENCHMARK(BM_CurlFormEightPhotos)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();
BENCHMARK(BM_PeakMemoryOfEightPhotos)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_ThousandSmallSales)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
// About 20 s each: three repetitions.
BENCHMARK(BM_SlowLineWhileTurning)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3)
    ->UseRealTime();
BENCHMARK(BM_SlowLineBlocking)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3)
    ->UseRealTime();

// About 5 minutes as they are, one run each.
BENCHMARK(BM_PhoneBatchAsItIs)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(1)
    ->UseRealTime();
BENCHMARK(BM_PhoneBatchReduced)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(1)
    ->UseRealTime();

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);  // the event loop that the application turns
    offrel::bench::MedianReporter reporter;
    offrel::bench::RunInterleaved(argc, argv, 5, reporter);
    const auto ours = reporter.Median("BM_UploadEightPhotos");
    const auto curl = reporter.Median("BM_CurlFormEightPhotos");
    if (ours && curl) {
        std::printf(
            "8 x 25 MB upload throughput / curl -F throughput, medians: %.2f (target at least "
            "0.80)\n",
            *curl / *ours);
    }
    const auto turning = reporter.Median("BM_SlowLineWhileTurning");
    const auto blocking = reporter.Median("BM_SlowLineBlocking");
    if (turning && blocking && !g_longestGapsMs.empty()) {
        const std::vector<double>& gaps = g_longestGapsMs;
        std::printf(
            "8 x 5 MB at 2 MB/s, throughput while the event loop turns / blocking, medians: %.3f "
            "(target at least 0.95)\n"
            "Longest gap between two turns of the event loop in each of those uploads: median "
            "%.1f ms, worst %.1f ms (target under 50 ms)\n",
            *blocking / *turning, offrel::bench::MedianOf(gaps),
            *std::max_element(gaps.begin(), gaps.end()));
    }
    const auto asItIs = reporter.Median("BM_PhoneBatchAsItIs");
    const auto reduced = reporter.Median("BM_PhoneBatchReduced");
    if (asItIs && reduced && !g_batchGapsMs.empty()) {
        std::printf(
            "20 sales x 4 phone photos at 1 MB/s, time reduced / as they are: %.3f (target under "
            "0.20); longest gap of the event loop while reduced: %.1f ms (target under 50 ms)\n",
            *reduced / *asItIs, *std::max_element(g_batchGapsMs.begin(), g_batchGapsMs.end()));
    }
    return 0;
}
