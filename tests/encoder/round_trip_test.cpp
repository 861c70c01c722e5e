// A stream encoded from text, decoded to bitmaps and text, and encoded again
// from that text keeps its pictures and its times.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "supkit/data_file.h"
#include "supkit/rle_codec.h"
#include "supkit/subtitle_block.h"
#include "support/encoder_fixture.h"
#include "support/program_run.h"

namespace ostrel {
namespace {

namespace fs = std::filesystem;
using namespace fixture;

// A 24-bit bitmap of four vertical bands, one per colour index: grey 0, 100,
// 170 and 255.
void WriteBandBitmap(const fs::path& path, int width, int height) {
    static const std::uint8_t Greys[] = {0, 100, 170, 255};
    WriteGreyBitmap(path, width, height, [&](int x, int) { return Greys[4 * x / width]; });
}

std::set<std::uint8_t> ColoursOf(const IndexedBitmap& picture) {
    return std::set<std::uint8_t>(picture.pixels.begin(), picture.pixels.end());
}

TEST(RoundTrip, EncodeDecodeEncodeKeepsPicturesAndTimes) {
    TempFolder folder;
    ProfileScope profile(folder.path);
    fs::create_directories(folder.path / "source");
    fs::create_directories(folder.path / "decoded");
    WriteBandBitmap(folder.path / "source" / "bands.bmp", 200, 40);
    const std::string text =
        "; several kinds of subtitle\n"
        "FontName=DejaVu Sans\n"
        "{100}{150}First line|Second line\n"
        "{200}{260}Caf\xC3\xA9 \xC3\xA0 la cr\xC3\xA8me, \xC3\x86r\xC3\xB8sk\xC3\xB8" "bing\n"
        "RightToLeft=1\n"
        "{300}{350}\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D \xD7\xA2\xD7\x95\xD7\x9C\xD7\x9D\n"
        "RightToLeft=0\n"
        "{400}{450}{bands.bmp}\n";
    WriteFileBytes(folder.path / "source" / "movie.txt", std::vector<std::uint8_t>(text.begin(), text.end()));

    const ProgramRun first = RunProgram(OSTREL_ENCODE_PROGRAM, {"movie.txt"}, folder.path / "source");
    ASSERT_EQ(first.exitStatus, 0) << first.standardOutput << first.standardError;
    fs::copy_file(folder.path / "source" / "movie.sup", folder.path / "decoded" / "movie.sup");
    const ProgramRun decode = RunProgram(OSTREL_DECODE_PROGRAM, {"-bitmap", "movie.sup"}, folder.path / "decoded");
    ASSERT_EQ(decode.exitStatus, 0) << decode.standardOutput << decode.standardError;
    const std::string decodedText = ReadFileText(folder.path / "decoded" / "movie.txt");
    EXPECT_NE(decodedText.find("{400}{450}{movie_000004.bmp}"), std::string::npos) << decodedText;
    // Encoded again from another folder: the bitmap names are found beside the text.
    const ProgramRun second = RunProgram(OSTREL_ENCODE_PROGRAM, {"decoded/movie.txt"}, folder.path);
    ASSERT_EQ(second.exitStatus, 0) << second.standardOutput << second.standardError;

    const auto original = ReadAllBlocks(folder.path / "source" / "movie.sup");
    const auto again = ReadAllBlocks(folder.path / "decoded" / "movie.sup");
    ASSERT_EQ(original.size(), 4u);
    ASSERT_EQ(again.size(), original.size());
    const std::set<std::uint8_t> textColours = {0, 1, 3};  // background, contour, text
    const std::set<std::uint8_t> expectedColours[] = {textColours, textColours, textColours, {0, 1, 2, 3}};
    for (std::size_t i = 0; i < original.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(again[i].startTime, original[i].startTime);
        ASSERT_EQ(again[i].headerCount, 2);
        EXPECT_EQ(again[i].headers[1].delay, original[i].headers[1].delay);
        IndexedBitmap before;
        IndexedBitmap after;
        DecodeSubPicture(original[i].headers[0], &before);
        DecodeSubPicture(again[i].headers[0], &after);
        EXPECT_EQ(ColoursOf(before), expectedColours[i]);
        EXPECT_EQ(after.header.biWidth, before.header.biWidth);
        EXPECT_EQ(after.header.biHeight, before.header.biHeight);
        EXPECT_TRUE(after.pixels == before.pixels);
    }
    EXPECT_EQ(original[0].startTime, 100u * 3600);
    EXPECT_EQ(original[3].headers[1].delay, 176 * DelayUnit);  // 50 frames: 180000 ticks
}

}  // namespace
}  // namespace ostrel
