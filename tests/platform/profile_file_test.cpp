// Tests of the profile file reader: sections, keys, comments, quotes, the
// first match winning, integer values and the room cut of strings.
#include "platform/profile_file.h"

#include <gtest/gtest.h>

#include "support/program_run.h"

namespace ostrel::platform {
namespace {

const char* const SampleProfile =
    "\xEF\xBB\xBF"
    "orphan=before any section\r\n"
    "[Default]\r\n"
    "  FrameRate = 29.97  \r\n"
    "; FontName=Commented\r\n"
    "fontname = \"  Quoted Face  \"\r\n"
    "FontName=Second Face\r\n"
    "Single='single quoted'\n"
    "Mismatched=\"open only\n"
    "Empty=\n"
    "no equals sign here\n"
    "[ named ]\n"
    "FontSize=30\n"
    "[DEFAULT]\n"
    "Delay=99\n";

ProfileFile Sample() {
    ProfileFile profile;
    ParseProfileText(SampleProfile, &profile);
    return profile;
}

TEST(ProfileFile, LooksUpStringsAsWritten) {
    const ProfileFile profile = Sample();
    struct Case {
        const char* section;
        const char* key;
        const char* expected;
    };
    const Case cases[] = {
        {"Default", "FrameRate", "29.97"},
        {"default", "FRAMERATE", "29.97"},
        {"Default", "FontName", "  Quoted Face  "},  // first match wins, quotes removed
        {"Default", "Single", "single quoted"},
        {"Default", "Mismatched", "\"open only"},
        {"Default", "Empty", ""},
        {"Named", "fontsize", "30"},
        {"Default", "Delay", "fallback"},           // only the first [Default] counts
        {"Default", "orphan", "fallback"},          // keys before any section belong to none
        {"Default", "no equals sign here", "fallback"},
        {"Missing", "FrameRate", "fallback"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ProfileString(profile, c.section, c.key, "fallback", 254), c.expected)
            << c.section << "/" << c.key;
    }
}

TEST(ProfileFile, StringsAreCutToTheirRoom) {
    ProfileFile profile;
    ParseProfileText("[s]\nname=" + std::string(40, 'x') + "\n", &profile);
    EXPECT_EQ(ProfileString(profile, "s", "name", "", 30), std::string(29, 'x'));
    EXPECT_EQ(ProfileString(profile, "s", "missing", std::string(40, 'd'), 30), std::string(29, 'd'));
    EXPECT_EQ(ProfileString(profile, "s", "name", "", 0), "");
}

TEST(ProfileFile, ReadsIntegers) {
    struct Case {
        const char* value;
        std::int32_t expected;
    };
    const Case cases[] = {
        {"12", 12}, {"-5", -5}, {"+7", 7}, {"12abc", 12}, {"abc", 0}, {"- 3", 0}, {"\"42\"", 42}, {"", 77},
    };
    for (const Case& c : cases) {
        ProfileFile profile;
        ParseProfileText(std::string("[s]\nkey=") + c.value + "\n", &profile);
        EXPECT_EQ(ProfileInteger(profile, "s", "key", 77), c.expected) << c.value;
    }
    EXPECT_EQ(ProfileInteger(Sample(), "s", "missing", -9), -9);
    EXPECT_EQ(ParseProfileInteger("99999999999"), static_cast<std::int32_t>(99999999999LL & 0xFFFFFFFF));
}

TEST(ProfileFile, MissingFileGivesDefaults) {
    fixture::TempFolder folder;
    ProfileFile profile;
    EXPECT_FALSE(LoadProfileFile((folder.path / "absent.ini").string(), &profile));
    EXPECT_EQ(ProfileString(profile, "Default", "FontName", "Arial", 30), "Arial");
    EXPECT_EQ(ProfileInteger(profile, "Default", "FrameW", 720), 720);
}

TEST(ProfileFile, LoadsAFile) {
    fixture::TempFolder folder;
    const auto path = folder.path / "profile.ini";
    const std::string text = "[Default]\nFrameW=704\n";
    fixture::WriteFileBytes(path, std::vector<std::uint8_t>(text.begin(), text.end()));
    ProfileFile profile;
    ASSERT_TRUE(LoadProfileFile(path.string(), &profile));
    EXPECT_EQ(ProfileInteger(profile, "default", "framew", 720), 704);
}

}  // namespace
}  // namespace ostrel::platform
