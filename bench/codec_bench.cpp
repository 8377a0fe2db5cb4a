// Codec speed: parsing and writing a real-size script (about 5 KB, 20 levels)
// and one near the 64 KB table limits, in MB/s of file bytes; and a complete
// save to disk (build, write, flush, rename) for comparison with the window's.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench_table.h"
#include "codec/check.h"
#include "codec/levels.h"
#include "codec/script_file.h"
#include "tests/samples/sample_scripts.h"

namespace {

namespace samples = vellumark::samples;

const std::vector<std::uint8_t>& file_of(int which) {
    static const std::vector<std::uint8_t> real = samples::real_size_bytes();
    static const std::vector<std::uint8_t> near = samples::near_limit_bytes();
    return which == 0 ? real : near;
}

const char* label(int which) { return which == 0 ? "real_size" : "near_limit"; }

void BM_Parse(benchmark::State& state) {
    const auto& file = file_of(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        vellumark::Ttombpcdat doc = vellumark::parse_script(file);
        benchmark::DoNotOptimize(doc);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(file.size()));
    state.SetLabel(label(static_cast<int>(state.range(0))));
}

// Checks, normalises and builds the image.
void BM_Write(benchmark::State& state) {
    const auto& file = file_of(static_cast<int>(state.range(0)));
    vellumark::Ttombpcdat doc = vellumark::parse_script(file);
    std::size_t written = 0;
    for (auto _ : state) {
        std::vector<std::uint8_t> image = vellumark::write_script_file(doc);
        written = image.size();
        benchmark::DoNotOptimize(image);
    }
    if (written != file.size()) state.SkipWithError("the image differs in size from the file");
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(file.size()));
    state.SetLabel(label(static_cast<int>(state.range(0))));
}

void BM_SaveToDisk(benchmark::State& state) {
    const auto& file = file_of(static_cast<int>(state.range(0)));
    vellumark::Ttombpcdat doc = vellumark::parse_script(file);
    const auto path = std::filesystem::temp_directory_path() /
                      ("vellumark-bench-" + std::to_string(::getpid()) + ".DAT");
    for (auto _ : state) vellumark::save_script_file(path.string(), doc);
    std::filesystem::remove(path);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(file.size()));
    state.SetLabel(label(static_cast<int>(state.range(0))));
}

// Every problem of the script, as the Problems panel checks after each edit.
void BM_Check(benchmark::State& state) {
    const vellumark::Ttombpcdat doc = vellumark::parse_script(file_of(static_cast<int>(state.range(0))));
    for (auto _ : state) benchmark::DoNotOptimize(vellumark::check_script(doc));
    state.SetLabel(label(static_cast<int>(state.range(0))));
}

// The first level moved last: every table moves and every slot is renumbered.
void BM_MoveLevel(benchmark::State& state) {
    vellumark::Ttombpcdat doc = vellumark::parse_script(file_of(static_cast<int>(state.range(0))));
    const int last = static_cast<int>(doc.level_names.strings.size()) - 1;
    for (auto _ : state) vellumark::move_level(doc, 0, last);
    state.SetLabel(label(static_cast<int>(state.range(0))));
}

BENCHMARK(BM_Check)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MoveLevel)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Parse)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Write)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SaveToDisk)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    std::printf("real-size script: %zu bytes; near-limit script: %zu bytes\n", file_of(0).size(),
                file_of(1).size());
    bench::keeping_reporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    const auto size_kb = [](int which) { return std::to_string((file_of(which).size() + 512) / 1024) + " KB"; };
    for (int which : {0, 1}) {
        const std::string name = which == 0 ? "real-size" : "near-limit";
        std::string arg(1, '/');  // appended: g++ 12 warns falsely (-Wrestrict) about "/" + ...
        arg += std::to_string(which);
        const auto parse = reporter.runs.find("BM_Parse" + arg);
        const auto write = reporter.runs.find("BM_Write" + arg);
        const auto save = reporter.runs.find("BM_SaveToDisk" + arg);
        if (parse != reporter.runs.end())
            bench::result("codec parse, " + name + " (" + size_kb(which) + ")", parse->second.mb_per_second, "MB/s",
                          ">= 200 MB/s", parse->second.mb_per_second >= 200);
        if (write != reporter.runs.end())
            bench::result("codec write, " + name + " (" + size_kb(which) + ")", write->second.mb_per_second, "MB/s",
                          ">= 200 MB/s", write->second.mb_per_second >= 200);
        if (save != reporter.runs.end())
            std::printf("@@ codec save to disk with fsync, %s | %.2f ms | (information) | -\n", name.c_str(),
                        save->second.ms_per_iteration);
    }
    if (const auto check = reporter.runs.find("BM_Check/1"); check != reporter.runs.end())
        bench::result("full check of the near-limit script", check->second.ms_per_iteration, "ms", "< 10 ms",
                      check->second.ms_per_iteration < 10);
    if (const auto move = reporter.runs.find("BM_MoveLevel/1"); move != reporter.runs.end())
        bench::result("codec level move, first to last, near-limit script", move->second.ms_per_iteration, "ms",
                      "< 16 ms", move->second.ms_per_iteration < 16);
    return 0;
}
