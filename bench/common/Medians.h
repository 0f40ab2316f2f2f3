#pragma once

// Benchmarks compared with each other in one run: their repetitions are interleaved, so that a
// change in the machine's speed during the run falls on all of them alike, and the median time of
// each is kept for the ratios printed at the end.
#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

namespace offrel::bench {

class MedianReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration || run.aggregate_name == "median")
                medians_[run.run_name.function_name] = run.GetAdjustedRealTime();
        }
    }

    // Whether both ran; then their median times.
    bool Both(const std::string& first, const std::string& second, double& firstTime,
              double& secondTime) const {
        const auto a = medians_.find(first);
        const auto b = medians_.find(second);
        if (a == medians_.end() || b == medians_.end()) return false;
        firstTime = a->second;
        secondTime = b->second;
        return true;
    }

private:
    std::map<std::string, double> medians_;
};

// Initialises the library with interleaved repetitions; flags on the command line win.
inline void InitializeWithInterleavedRepetitions(int& argc, char** argv, int repetitions) {
    static std::string count = "--benchmark_repetitions=" + std::to_string(repetitions);
    static char interleaving[] = "--benchmark_enable_random_interleaving=true";
    static char aggregatesOnly[] = "--benchmark_report_aggregates_only=true";
    static std::vector<char*> args;
    args.assign(argv, argv + argc);
    args.insert(args.begin() + 1, {count.data(), interleaving, aggregatesOnly});
    int size = static_cast<int>(args.size());
    benchmark::Initialize(&size, args.data());
    argc = size;
}

}  // namespace offrel::bench
