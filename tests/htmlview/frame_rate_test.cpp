// The rate options and the tick/frame arithmetic of the reading programs.
#include "htmlview/frame_rate.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace ostrel {
namespace {

OptionList Options(const std::vector<std::string>& entries) {
    OptionList options;
    options.entries = entries;
    return options;
}

struct RateCase {
    std::vector<std::string> options;
    double rate;
    std::int32_t frameLength;
    std::uint32_t wholeRate;
};

TEST(FrameRate, OptionsGiveRateFrameLengthAndWholeRate) {
    const RateCase cases[] = {
        {{}, 25.0, 3600, 25},
        {{"ntsc"}, 29.97, 3003, 30},
        {{"ntsc", "fr:30"}, 29.97, 3003, 30},
        {{"fr:30"}, 30.0, 3000, 30},
        {{"pal", "ntsc"}, 25.0, 3600, 25},
        {{"fr:0"}, 25.0, 3600, 25},
        {{"fr:-5"}, 25.0, 3600, 25},
        {{"fr:abc"}, 25.0, 3600, 25},
        {{"fr:nan"}, 25.0, 3600, 25},
        {{"fr:"}, 25.0, 3600, 25},
        {{"FR:23.976"}, 23.976, 3754, 24},
        {{"fr:24", "fr:30"}, 24.0, 3750, 24},
        {{"fr:0.2"}, 0.2, 450000, 1},
        {{"fr:180000"}, 180000.0, 1, 180000},
        {{"fr:1000000"}, MaxFrameRate, 1, 180000},
        {{"fr:1e999"}, MaxFrameRate, 1, 180000},
        {{"fr:1e-300"}, 1e-300, std::numeric_limits<std::int32_t>::max(), 1},
    };
    for (const RateCase& c : cases) {
        const double rate = ReadFrameRate(Options(c.options));
        SCOPED_TRACE(c.options.empty() ? std::string("(none)") : c.options[0]);
        EXPECT_DOUBLE_EQ(rate, c.rate);
        EXPECT_EQ(FrameLengthOf(rate), c.frameLength);
        EXPECT_EQ(WholeFrameRate(rate), c.wholeRate);
    }
}

TEST(FrameRate, FrameLengthNeverZero) {
    EXPECT_EQ(FrameLengthOf(180001.0), 1);
    EXPECT_EQ(FrameLengthOf(1e12), 1);
    EXPECT_EQ(WholeFrameRate(0.3), 1u);
}

TEST(FrameRate, FramesFromTicksRoundsHalvesUpOverTheWholeRange) {
    EXPECT_EQ(FramesFromTicks(900000, 3600), 250u);
    EXPECT_EQ(FramesFromTicks(1799, 3600), 0u);
    EXPECT_EQ(FramesFromTicks(1800, 3600), 1u);  // a half rounds up
    EXPECT_EQ(FramesFromTicks(180224, 3600), 50u);
    EXPECT_EQ(FramesFromTicks(0xFFFFFFFFu, 3600), 1193046u);  // 1193046.47
    EXPECT_EQ(FramesFromTicks(0xFFFFFFFFu, 2), 2147483648u);  // 2147483647.5 rounds up
    EXPECT_EQ(FramesFromTicks(0xFFFFFFFFu, 1), 0xFFFFFFFFu);
    EXPECT_EQ(FramesFromTicks(5, 0), 5u);  // a frame length below 1 counts as 1
}

}  // namespace
}  // namespace ostrel
