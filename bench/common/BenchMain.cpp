// The main of the benchmarks that keep their files in the run's folder.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <optional>
#include <stdexcept>

#include "bench/common/RunFolder.h"

namespace offrel::bench {

namespace {

std::optional<std::filesystem::path>& MadeFolder() {
    static std::optional<std::filesystem::path> folder;
    return folder;
}

}  // namespace

const std::filesystem::path& RunFolder() {
    std::optional<std::filesystem::path>& folder = MadeFolder();
    if (!folder) {
        char pattern[] = "/tmp/offrel-bench-XXXXXX";
        if (::mkdtemp(pattern) == nullptr) throw std::runtime_error("no temporary folder");
        folder = pattern;
    }
    return *folder;
}

}  // namespace offrel::bench

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (const auto& folder = offrel::bench::MadeFolder()) {
        std::error_code ignored;
        std::filesystem::remove_all(*folder, ignored);
    }
}
