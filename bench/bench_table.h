// Shared by the benchmarks: a console reporter that also keeps each run's
// figures, and the result lines that run_benchmarks.sh gathers into a table.
#pragma once

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace bench {

struct figures {
    double ms_per_iteration = 0;
    double cpu_ms_per_iteration = 0;
    double mb_per_second = 0;  // 0 when the benchmark counts no bytes
};

class keeping_reporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, figures> runs;

    // Colours only on a terminal: the output is also kept in files.
    keeping_reporter() : ConsoleReporter(::isatty(STDOUT_FILENO) ? OO_Defaults : OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& reports) override {
        ConsoleReporter::ReportRuns(reports);
        for (const Run& r : reports) {
            if (r.run_type != Run::RT_Iteration || r.error_occurred) continue;
            figures f;
            f.ms_per_iteration = r.GetAdjustedRealTime() * to_ms(r.time_unit);
            f.cpu_ms_per_iteration = r.GetAdjustedCPUTime() * to_ms(r.time_unit);
            const auto bytes = r.counters.find("bytes_per_second");
            if (bytes != r.counters.end()) f.mb_per_second = bytes->second.value / 1e6;
            runs[r.benchmark_name()] = f;
        }
    }

private:
    static double to_ms(benchmark::TimeUnit unit) {
        switch (unit) {
        case benchmark::kNanosecond: return 1e-6;
        case benchmark::kMicrosecond: return 1e-3;
        case benchmark::kMillisecond: return 1.0;
        case benchmark::kSecond: return 1e3;
        }
        return 1.0;
    }
};

// One row of the summary table: what, the figure, the budget, the verdict.
inline void result(const std::string& what, double value, const char* unit, const std::string& budget, bool met) {
    std::printf("@@ %s | %.1f %s | %s | %s\n", what.c_str(), value, unit, budget.c_str(), met ? "met" : "MISSED");
}

}  // namespace bench
