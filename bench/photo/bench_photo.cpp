// What a seller's photos cost: one phone photo reduced for sending, the large view of a
// 24-megapixel photo, the previews of a sale's eight progressive 24-megapixel photos (time and
// peak memory above idle), the refusal of a progressive 12000 x 9000 one, and a photo's facts.
// Each runs on the benchmark's one thread, as on the worker that will run it; "CPU" is that
// thread's own time, which other programs on the machine do not lengthen.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "base/Error.h"
#include "bench/common/Medians.h"
#include "photo/JpegPreview.h"
#include "photo/PhotoReduction.h"
#include "tests/common/TempFolder.h"
#include "tests/photo/TestPhotos.h"

namespace offrel {
namespace {

using testing::JpegOptions;
using testing::Rgb;

constexpr double kMegabyte = 1024.0 * 1024.0;

struct Photos {
    testing::TempFolder folder;
    std::string phone = folder / "telephone.jpg";           // 4032 x 3024, baseline
    std::string large = folder / "appareil.jpg";            // 6000 x 4000, baseline
    std::string progressive = folder / "progressive.jpg";   // 6000 x 4000, progressive
    std::string huge = folder / "immense-progressive.jpg";  // 12000 x 9000, progressive

    Photos() {
        JpegOptions camera;
        camera.quality = 92;
        testing::WriteJpeg(phone, 4032, 3024, testing::PhoneLike, camera);
        testing::WriteJpeg(large, 6000, 4000, testing::PhoneLike, camera);
        camera.progressive = true;
        testing::WriteJpeg(progressive, 6000, 4000, testing::PhoneLike, camera);
        testing::WriteJpeg(huge, 12000, 9000, testing::PhotoLike, camera);
    }

    static Photos& Get() {
        static Photos photos;
        return photos;
    }
};

double Megabytes(std::uint64_t bytes) {
    return static_cast<double>(bytes) / kMegabyte;
}

void BM_ReducePhonePhoto(benchmark::State& bench) {
    const std::string& path = Photos::Get().phone;
    std::size_t sent = 0;
    for (auto _ : bench) sent = ReducedPhoto(path).value().size();
    bench.counters["file_MB"] = Megabytes(testing::FileContents(path).size());
    bench.counters["sent_MB"] = Megabytes(sent);
}

// The large view fitted to a full-HD screen, and to a 4K one (a screen at 200 %).
void BM_LargeView24MP(benchmark::State& bench) {
    const std::string& path = Photos::Get().large;
    const int width = static_cast<int>(bench.range(0));
    const int height = static_cast<int>(bench.range(1));
    for (auto _ : bench)
        benchmark::DoNotOptimize(DecodeJpegToBox(path, width, height).picture.width);
}

// A sale's eight previews decoded one after the other by one worker (this thread), or shared
// by two.
void BM_EightProgressivePreviews(benchmark::State& bench) {
    const std::string& path = Photos::Get().progressive;
    const int workers = static_cast<int>(bench.range(0));
    const auto decode = [&path, workers] {
        for (int k = 0; k < 8 / workers; ++k)
            benchmark::DoNotOptimize(DecodeJpegPreview(path, 75, 75).width);
    };
    std::uint64_t above = 0;
    for (auto _ : bench) {
        testing::ResetPeakMemory();
        const std::uint64_t idle = testing::PeakMemory();
        std::vector<std::thread> others;
        for (int w = 1; w < workers; ++w) others.emplace_back(decode);
        decode();
        for (std::thread& other : others) other.join();
        above = std::max(above, testing::PeakMemory() - idle);
    }
    bench.counters["peak_above_idle_MB"] = Megabytes(above);
}

void BM_RefuseProgressive12000x9000(benchmark::State& bench) {
    const std::string& path = Photos::Get().huge;
    std::uint64_t above = 0;
    for (auto _ : bench) {
        testing::ResetPeakMemory();
        const std::uint64_t idle = testing::PeakMemory();
        try {
            DecodeJpegPreview(path, 1920, 1080);
            bench.SkipWithError("the picture was not refused");
        } catch (const Error&) {
        }
        above = std::max(above, testing::PeakMemory() - idle);
    }
    bench.counters["peak_above_idle_MB"] = Megabytes(above);
}

void BM_PhotoFacts(benchmark::State& bench) {
    const std::string& path = Photos::Get().phone;
    for (auto _ : bench) benchmark::DoNotOptimize(ReadPhotoFacts(path).bytes);
}

}  // namespace
}  // namespace offrel

BENCHMARK(offrel::BM_ReducePhonePhoto)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(offrel::BM_LargeView24MP)
    ->Args({1920, 1080})
    ->Args({3840, 2160})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);
BENCHMARK(offrel::BM_EightProgressivePreviews)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);
BENCHMARK(offrel::BM_RefuseProgressive12000x9000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(offrel::BM_PhotoFacts)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
    offrel::bench::MedianReporter reporter;
    offrel::bench::RunInterleaved(argc, argv, 5, reporter);
    return 0;
}
