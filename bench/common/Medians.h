#pragma once

// Benchmarks compared with each other in one run: their repetitions are interleaved, so that a
// change in the machine's speed during the run falls on all of them alike, and the median time of
// each is kept for the ratios printed at the end.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace offrel::bench {

// The median of figures a benchmark gathered itself (the upper one of an even count); 0 for none.
inline double MedianOf(std::vector<double> figures) {
    if (figures.empty()) return 0;
    const auto middle = figures.begin() + static_cast<std::ptrdiff_t>(figures.size() / 2);
    std::nth_element(figures.begin(), middle, figures.end());
    return *middle;
}

class MedianReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration || run.aggregate_name == "median")
                medians_[run.run_name.function_name] = run.GetAdjustedRealTime();
        }
    }

    // The median time of a benchmark that ran, by its function name.
    std::optional<double> Median(const std::string& name) const {
        const auto found = medians_.find(name);
        if (found == medians_.end()) return std::nullopt;
        return found->second;
    }

private:
    std::map<std::string, double> medians_;
};

// Runs the benchmarks of the command line with interleaved repetitions (flags given there win)
// and keeps their medians in the reporter.
inline void RunInterleaved(int argc, char** argv, int repetitions, MedianReporter& reporter) {
    std::string count = "--benchmark_repetitions=" + std::to_string(repetitions);
    char interleaving[] = "--benchmark_enable_random_interleaving=true";
    char aggregatesOnly[] = "--benchmark_report_aggregates_only=true";
    std::vector<char*> args(argv, argv + argc);
    args.insert(args.begin() + 1, {count.data(), interleaving, aggregatesOnly});
    int size = static_cast<int>(args.size());
    benchmark::Initialize(&size, args.data());
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
}

}  // namespace offrel::bench
