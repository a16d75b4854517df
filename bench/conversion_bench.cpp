// End-to-end conversions, file to file, against the I/O floor measured in the same run: reading
// the input's bytes and writing a file of the output's size.
#include "convert/conversion.h"
#include "io/read_file.h"
#include "io/replace_file.h"
#include "motion/motion_file.h"
#include "tests/support/motion_generator.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <functional>

#include <filesystem>
#include <map>
#include <string>

namespace qlx::bench {

using test::generateMotion;
namespace {

namespace fs = std::filesystem;

// One folder of generated motions per size, made once per run: `<n>.qlx` and its `<n>.csv`.
fs::path motionFiles(std::size_t bones) {
    static std::map<std::size_t, fs::path> made;
    if (const auto found = made.find(bones); found != made.end()) {
        return found->second;
    }
    const fs::path folder = fs::temp_directory_path() / ("qlx-bench-" + std::to_string(bones));
    fs::create_directories(folder);
    motion::save(generateMotion(bones), folder / "source.qlx");
    fs::copy_file(folder / "source.qlx", folder / "take.qlx", fs::copy_options::overwrite_existing);
    convert::exportToCsv(folder / "take.qlx");
    fs::copy_file(folder / "take.csv", folder / "source.csv", fs::copy_options::overwrite_existing);
    made.emplace(bones, folder);
    return folder;
}

double keysIn(std::size_t bones) {
    return static_cast<double>(bones + bones / 10 + 2 * (bones / 100));
}

double secondsOf(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Each iteration times the I/O floor (read the input whole, write a file of the output's size)
// and then the conversion, so both see the same machine at the same moment.
void runConversion(benchmark::State& state, bool exporting) {
    const auto bones = static_cast<std::size_t>(state.range(0));
    const fs::path folder = motionFiles(bones);
    const fs::path input = folder / (exporting ? "source.qlx" : "source.csv");
    const fs::path output = folder / (exporting ? "source.csv" : "source.qlx");
    const fs::path work = folder / (exporting ? "work.qlx" : "work.csv");
    fs::copy_file(input, work, fs::copy_options::overwrite_existing);
    const std::string block(static_cast<std::size_t>(fs::file_size(output)), 'x');

    double floorSeconds = 0;
    double conversionSeconds = 0;
    for (auto _ : state) {
        floorSeconds += secondsOf([&] {
            const auto bytes = io::readFile(input);
            benchmark::DoNotOptimize(bytes);
            io::replaceFile(folder / "floor.out", [&](io::OutputSink& sink) { sink.write(block); });
        });
        const double seconds = secondsOf([&] {
            benchmark::DoNotOptimize(exporting ? convert::exportToCsv(work)
                                               : convert::importFromCsv(work));
        });
        conversionSeconds += seconds;
        state.SetIterationTime(seconds);
    }
    const auto iterations = static_cast<double>(state.iterations());
    state.counters["keys/s"] = benchmark::Counter(keysIn(bones) * iterations / conversionSeconds);
    state.counters["MB/s"] =
        benchmark::Counter(static_cast<double>(fs::file_size(input) + fs::file_size(output)) *
                           iterations / conversionSeconds / 1e6);
    state.counters["floor_ms"] = benchmark::Counter(floorSeconds / iterations * 1e3);
    state.counters["x_floor"] = benchmark::Counter(conversionSeconds / floorSeconds);
}

void Export(benchmark::State& state) {
    runConversion(state, true);
}
void Import(benchmark::State& state) {
    runConversion(state, false);
}

BENCHMARK(Export)->Arg(10'000)->Arg(100'000)->Arg(1'000'000)->UseManualTime()->Unit(
    benchmark::kMillisecond);
BENCHMARK(Import)->Arg(10'000)->Arg(100'000)->Arg(1'000'000)->UseManualTime()->Unit(
    benchmark::kMillisecond);

} // namespace
} // namespace qlx::bench
