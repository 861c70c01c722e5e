// Benchmark of the whole encoder on a film-length source text: 1500
// two-line subtitles in a 720x576 frame with Contour 2, through both passes.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "encoder/encoder_driver.h"
#include "frontend/command_line.h"

namespace {

namespace fs = std::filesystem;
constexpr int FilmSubtitles = 1500;

const char* const FirstLines[] = {
    "Where were you when the lights went out?",
    "I told you, I was at the station all night.",
    "Nobody leaves this room until we know.",
    "The train to Lyon leaves at half past nine.",
};
const char* const SecondLines[] = {
    "Don't lie to me, not again.",
    "Ask the porter, he saw me there.",
    "Sit down, all of you.",
    "We still have time for a coffee.",
};

// A folder with the source text and an empty profile, removed at the end.
struct FilmText {
    fs::path folder;
    FilmText() {
        folder = fs::temp_directory_path() / ("ostrel_encbench_" + std::to_string(std::random_device{}()));
        fs::create_directories(folder);
        setenv("USERPROFILE", folder.c_str(), 1);
        std::ofstream text(folder / "film.txt", std::ios::binary);
        text << "; film-length benchmark text\nContour=2\n";
        for (int i = 0; i < FilmSubtitles; ++i) {
            const int from = 25 + 100 * i;
            text << '{' << from << "}{" << from + 75 << '}' << FirstLines[i % 4] << '|' << SecondLines[(i / 4) % 4]
                 << '\n';
        }
    }
    ~FilmText() {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }
};

void BM_EncodeFilm(benchmark::State& state) {
    static const FilmText film;
    const std::string source = (film.folder / "film.txt").string();
    const ostrel::OptionList options;
    for (auto _ : state) {
        const int status = ostrel::EncodeSourceFile(options, source.c_str(), "film.txt");
        if (status != 0) state.SkipWithError("encoding reported problems");
    }
    state.counters["subtitles/s"] =
        benchmark::Counter(FilmSubtitles, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_EncodeFilm)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
