// Benchmarks of the reading side on a film-length stream: 2000 blocks of
// full-frame (720x572) subtitle pictures, decoded to text with bitmaps, and
// described in an HTML page with bitmaps.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>
#include <string>

#include "decoder/text_export.h"
#include "frontend/command_line.h"
#include "htmlview/html_report.h"
#include "tools/sample_stream.h"

namespace {

namespace fs = std::filesystem;
constexpr int FilmBlocks = 2000;

// A folder with the film-length stream, made once for all benchmarks and
// removed when the program ends.
struct FilmStream {
    fs::path folder;
    FilmStream() {
        folder = fs::temp_directory_path() / ("ostrel_bench_" + std::to_string(std::random_device{}()));
        fs::create_directories(folder);
        ostrel::WriteSampleStream((folder / "film.sup").c_str(), FilmBlocks, true);
    }
    ~FilmStream() {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }
};

const fs::path& FilmFolder() {
    static const FilmStream stream;
    return stream.folder;
}

// Removes everything in the folder but the stream itself.
void RemoveOutputs(const fs::path& folder) {
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().filename() != "film.sup") fs::remove(entry.path());
}

ostrel::OptionList BitmapOption() {
    ostrel::OptionList options;
    options.entries.push_back("bitmap");
    return options;
}

void BM_DecodeFilmWithBitmaps(benchmark::State& state) {
    const fs::path& folder = FilmFolder();
    const std::string input = (folder / "film.sup").string();
    const ostrel::OptionList options = BitmapOption();
    for (auto _ : state) {
        state.PauseTiming();
        RemoveOutputs(folder);
        state.ResumeTiming();
        benchmark::DoNotOptimize(ostrel::DecodeToText(options, input.c_str(), "film.sup"));
    }
    state.counters["blocks/s"] = benchmark::Counter(FilmBlocks, benchmark::Counter::kIsIterationInvariantRate);
    RemoveOutputs(folder);
}
BENCHMARK(BM_DecodeFilmWithBitmaps)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_HtmlReportWithBitmaps(benchmark::State& state) {
    const fs::path& folder = FilmFolder();
    const std::string input = (folder / "film.sup").string();
    const ostrel::OptionList options = BitmapOption();
    for (auto _ : state)
        benchmark::DoNotOptimize(ostrel::WriteHtmlReport(options, input.c_str(), "film.sup"));
    state.counters["blocks/s"] = benchmark::Counter(FilmBlocks, benchmark::Counter::kIsIterationInvariantRate);
    RemoveOutputs(folder);
}
BENCHMARK(BM_HtmlReportWithBitmaps)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_HtmlReportText(benchmark::State& state) {
    const fs::path& folder = FilmFolder();
    const std::string input = (folder / "film.sup").string();
    const ostrel::OptionList options;
    for (auto _ : state)
        benchmark::DoNotOptimize(ostrel::WriteHtmlReport(options, input.c_str(), "film.sup"));
    state.counters["blocks/s"] = benchmark::Counter(FilmBlocks, benchmark::Counter::kIsIterationInvariantRate);
    RemoveOutputs(folder);
}
BENCHMARK(BM_HtmlReportText)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
