// Tests of the encoder's settings: built-in defaults, the profile layers,
// the in-text commands with their fallbacks and cuts, and the help and
// version screens.
#include "encoder/settings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "encoder/help_text.h"
#include "support/program_run.h"

namespace ostrel {
namespace {

std::string FaceName(const EncoderSettings& settings) {
    const char* name = settings.Font.lfFaceName;
    return std::string(name, std::find(name, name + FaceNameSize, '\0'));
}

// A profile file in a temporary folder.
struct ProfileFixture {
    fixture::TempFolder folder;
    std::string path = (folder.path / "OstrelEncode.ini").string();

    explicit ProfileFixture(const std::string& text) {
        fixture::WriteFileBytes(path, std::vector<std::uint8_t>(text.begin(), text.end()));
    }
};

// Loads "Default" and then `named` when given, as each pass does.
EncoderSettings LoadLayers(const std::string& path, const char* named = nullptr) {
    const EncoderSettings builtIn = BuiltInSettings();
    EncoderSettings current = builtIn;
    LoadProfileSection(&current, path, "Default", builtIn);
    if (named != nullptr) LoadProfileSection(&current, path, named, builtIn);
    return current;
}

void ExpectBuiltInValues(const EncoderSettings& s, std::uint8_t quality) {
    EXPECT_EQ(s.FrameW, 720);
    EXPECT_EQ(s.FrameH, 576);
    EXPECT_EQ(s.FrameRate, 25.0);
    EXPECT_EQ(s.Delay, 0);
    EXPECT_EQ(s.OnTop, 0);
    EXPECT_EQ(s.Indent, 40);
    EXPECT_EQ(s.DynamicSize, 0);
    EXPECT_EQ(s.RightToLeft, 0);
    EXPECT_EQ(s.Contour, 2);
    EXPECT_EQ(s.ShowBitmap, 0);
    EXPECT_EQ(s.Palette, 0x3210);
    EXPECT_EQ(s.Alpha, 0xFFF0);
    EXPECT_EQ(FaceName(s), "Arial");
    EXPECT_EQ(s.Font.lfCharSet, 238);
    EXPECT_EQ(s.Font.lfHeight, -30);
    EXPECT_EQ(s.Font.lfWeight, 400);
    EXPECT_EQ(s.Font.lfItalic, 0);
    EXPECT_EQ(s.Font.lfUnderline, 0);
    EXPECT_EQ(s.Font.lfStrikeOut, 0);
    EXPECT_EQ(s.Font.lfQuality, quality);
}

TEST(EncoderSettings, BuiltInDefaults) {
    ExpectBuiltInValues(BuiltInSettings(), 0);
}

TEST(EncoderSettings, MissingProfileGivesBuiltInValues) {
    fixture::TempFolder folder;
    ExpectBuiltInValues(LoadLayers((folder.path / "absent.ini").string(), "named"), 3);
}

TEST(EncoderSettings, DefaultSectionSetsEveryKey) {
    ProfileFixture profile(
        "[default]\n"
        "FrameW=704\nFrameH=480\nFrameRate=29.97\nDelay=-3\nOnTop=1\nIndent=20\nDynamicSize=1\n"
        "RightToLeft=1\nContour=-1\nShowBitmap=1\nPalette=0123\nAlpha=\"0FFF\"\n"
        "FontName=Liberation Serif\nFontCharSet=136\nFontSize=24\nFontStyle=underline Strikeout\n");
    const EncoderSettings s = LoadLayers(profile.path);
    EXPECT_EQ(s.FrameW, 704);
    EXPECT_EQ(s.FrameH, 480);
    EXPECT_DOUBLE_EQ(s.FrameRate, 29.97);
    EXPECT_EQ(s.Delay, -3);
    EXPECT_EQ(s.OnTop, 1);
    EXPECT_EQ(s.Indent, 20);
    EXPECT_EQ(s.DynamicSize, 1);
    EXPECT_EQ(s.RightToLeft, 1);
    EXPECT_EQ(s.Contour, -1);
    EXPECT_EQ(s.ShowBitmap, 1);
    EXPECT_EQ(s.Palette, 0x0123);
    EXPECT_EQ(s.Alpha, 0x0FFF);
    EXPECT_EQ(FaceName(s), "Liberation Serif");
    EXPECT_EQ(s.Font.lfCharSet, 136);
    EXPECT_EQ(s.Font.lfHeight, -32);
    EXPECT_EQ(s.Font.lfWeight, 400);
    EXPECT_EQ(s.Font.lfUnderline, 1);
    EXPECT_EQ(s.Font.lfStrikeOut, 1);
    EXPECT_EQ(s.Font.lfQuality, 3);
}

TEST(EncoderSettings, NamedProfileReplacesDefaultSection) {
    ProfileFixture profile("[Default]\nFrameRate=29.97\nContour=5\n[Big]\nFontSize=30\n");
    const EncoderSettings s = LoadLayers(profile.path, "big");
    EXPECT_EQ(s.FrameRate, 25.0);
    EXPECT_EQ(s.Font.lfHeight, -40);
    EXPECT_EQ(s.Contour, 2);
    ExpectBuiltInValues(LoadLayers(profile.path, ""), 3);  // "-p:" with an empty name
}

TEST(EncoderSettings, ProfileFallbacksAndConversions) {
    struct Case {
        const char* line;
        std::optional<double> rate;
        std::int32_t frameW, indent, height;
        std::uint16_t palette;
    };
    const Case cases[] = {
        {"FontSize=23", 25.0, 720, 40, -30, 0x3210},
        {"FontSize=25", 25.0, 720, 40, -33, 0x3210},
        {"FontSize=20", 25.0, 720, 40, -26, 0x3210},
        {"FrameW=0", 25.0, 720, 40, -30, 0x3210},
        {"FrameW=-704", 25.0, 720, 40, -30, 0x3210},
        {"Indent=0", 25.0, 720, 40, -30, 0x3210},
        {"Indent=x", 25.0, 720, 40, -30, 0x3210},
        {"FrameRate=0", 25.0, 720, 40, -30, 0x3210},
        {"FrameRate=-5", 25.0, 720, 40, -30, 0x3210},
        {"FrameRate=abc", 25.0, 720, 40, -30, 0x3210},
        {"FrameRate=nan", 25.0, 720, 40, -30, 0x3210},
        {"FrameRate=inf", 25.0, 720, 40, -30, 0x3210},
        {"FrameRate=23.976fps", 23.976, 720, 40, -30, 0x3210},
        {"Palette=0x1234", 25.0, 720, 40, -30, 0x1234},
        {"Palette=zz", 25.0, 720, 40, -30, 0x3210},
    };
    for (const Case& c : cases) {
        ProfileFixture profile(std::string("[Default]\n") + c.line + "\n");
        const EncoderSettings s = LoadLayers(profile.path);
        EXPECT_DOUBLE_EQ(s.FrameRate, *c.rate) << c.line;
        EXPECT_EQ(s.FrameW, c.frameW) << c.line;
        EXPECT_EQ(s.Indent, c.indent) << c.line;
        EXPECT_EQ(s.Font.lfHeight, c.height) << c.line;
        EXPECT_EQ(s.Palette, c.palette) << c.line;
    }
}

TEST(EncoderSettings, UnusableProfileRateNeverLeavesZero) {
    ProfileFixture profile("[Default]\nFrameRate=abc\n");
    EncoderSettings zeroed;
    LoadProfileSection(&zeroed, profile.path, "Default", BuiltInSettings());
    EXPECT_EQ(zeroed.FrameRate, 25.0);
}

TEST(EncoderSettings, UnparsableProfileValuesKeepTheEarlierLayer) {
    ProfileFixture profile("[Default]\nFrameRate=29.97\nPalette=1111\n[Bad]\nFrameRate=fast\nPalette=zz\n");
    const EncoderSettings s = LoadLayers(profile.path, "Bad");
    EXPECT_DOUBLE_EQ(s.FrameRate, 29.97);
    EXPECT_EQ(s.Palette, 0x1111);
}

TEST(EncoderSettings, ProfileStylesAndFaceNameCut) {
    ProfileFixture profile("[Default]\nFontStyle=bold italic\nFontName=" + std::string(40, 'F') + "\n");
    const EncoderSettings s = LoadLayers(profile.path);
    EXPECT_EQ(s.Font.lfWeight, 700);
    EXPECT_EQ(s.Font.lfItalic, 1);
    EXPECT_EQ(FaceName(s), std::string(30, 'F'));
}

TEST(EncoderSettings, ProfilePathFollowsTheEnvironment) {
    const char* savedProfile = std::getenv("USERPROFILE");
    const char* savedHome = std::getenv("HOME");
    const std::string keptProfile = savedProfile ? savedProfile : "";
    const std::string keptHome = savedHome ? savedHome : "";

    setenv("USERPROFILE", "/users/me", 1);
    EXPECT_EQ(ProfilePath(), "/users/me/OstrelEncode.ini");
    setenv("USERPROFILE", "", 1);
    setenv("HOME", "/home/me/", 1);
    EXPECT_EQ(ProfilePath(), "/home/me/OstrelEncode.ini");
    unsetenv("USERPROFILE");
    unsetenv("HOME");
    EXPECT_EQ(ProfilePath(), "OstrelEncode.ini");

    if (savedProfile) setenv("USERPROFILE", keptProfile.c_str(), 1);
    if (savedHome) setenv("HOME", keptHome.c_str(), 1);
}

// Applies `lines` in order to the built-in record, the subtitle count given.
EncoderSettings Apply(std::initializer_list<const char*> lines, std::int32_t subtitleCount = 0) {
    const EncoderSettings builtIn = BuiltInSettings();
    EncoderSettings current = builtIn;
    for (const char* line : lines) ApplyCommand(&current, line, builtIn, subtitleCount);
    return current;
}

TEST(ApplyCommand, FrameKeysAndTheirFallbacks) {
    struct Case {
        const char* line;
        std::int32_t frameW, frameH, delay;
        double rate;
    };
    const Case cases[] = {
        {"FrameW=704", 704, 576, 0, 25.0},
        {"FrameW=abc", 720, 576, 0, 25.0},
        {"FrameW=-5", 720, 576, 0, 25.0},
        {"  frameh =  480 ", 720, 480, 0, 25.0},
        {"FRAMEH=480x", 720, 480, 0, 25.0},
        {"Delay=-10", 720, 576, -10, 25.0},
        {"FrameRate=29.97", 720, 576, 0, 29.97},
        {"FrameRate=0", 720, 576, 0, 25.0},
        {"FrameRate=-1", 720, 576, 0, 25.0},
        {"FrameRate=1e300", 720, 576, 0, 25.0},
    };
    for (const Case& c : cases) {
        const EncoderSettings s = Apply({c.line});
        EXPECT_EQ(s.FrameW, c.frameW) << c.line;
        EXPECT_EQ(s.FrameH, c.frameH) << c.line;
        EXPECT_EQ(s.Delay, c.delay) << c.line;
        EXPECT_DOUBLE_EQ(s.FrameRate, c.rate) << c.line;
    }
    EXPECT_DOUBLE_EQ(Apply({"FrameRate=29.97", "FrameRate=abc"}).FrameRate, 29.97);
}

TEST(ApplyCommand, FrameKeysLockAfterTheFirstSubtitle) {
    const EncoderSettings s = Apply({"  frameh =  480 ", "FrameW=704", "FrameRate=30", "Delay=5", "OnTop=1"}, 1);
    EXPECT_EQ(s.FrameH, 576);
    EXPECT_EQ(s.FrameW, 720);
    EXPECT_EQ(s.FrameRate, 25.0);
    EXPECT_EQ(s.Delay, 0);
    EXPECT_EQ(s.OnTop, 1);
}

TEST(ApplyCommand, PlainKeys) {
    EXPECT_EQ(Apply({"Contour"}).Contour, 0);
    EXPECT_EQ(Apply({"contour=-3"}).Contour, -3);
    EXPECT_EQ(Apply({"Indent=0"}).Indent, 40);
    EXPECT_EQ(Apply({"Indent=12"}).Indent, 12);
    EXPECT_EQ(Apply({"ShowBitmap=1"}).ShowBitmap, 1);
    EXPECT_EQ(Apply({"DynamicSize=2"}).DynamicSize, 2);
    EXPECT_EQ(Apply({"RightToLeft=1"}).RightToLeft, 1);
    EXPECT_EQ(Apply({"Palette=0x1234"}).Palette, 0x1234);
    EXPECT_EQ(Apply({"Palette=1234"}).Palette, 0x1234);
    EXPECT_EQ(Apply({"Palette=zz"}).Palette, 0x3210);
    EXPECT_EQ(Apply({"Alpha= f0f0"}).Alpha, 0xF0F0);
    EXPECT_EQ(Apply({"Alpha=12345"}).Alpha, 0x2345);
    const EncoderSettings unknown = Apply({"Colour=7", "=5", ""});
    const EncoderSettings builtIn = BuiltInSettings();
    EXPECT_EQ(std::memcmp(&unknown.Font, &builtIn.Font, sizeof builtIn.Font), 0);
    EXPECT_EQ(unknown.Contour, builtIn.Contour);
}

TEST(ApplyCommand, FontKeys) {
    EXPECT_EQ(Apply({"FontSize=24"}).Font.lfHeight, -32);
    EXPECT_EQ(Apply({"FontSize=0"}).Font.lfHeight, 0);
    EXPECT_EQ(Apply({"FontCharSet=392"}).Font.lfCharSet, 136);
    EXPECT_EQ(FaceName(Apply({"FontName= DejaVu Sans "})), "DejaVu Sans");

    const EncoderSettings styled = Apply({"FontStyle=bold italic"});
    EXPECT_EQ(styled.Font.lfWeight, 700);
    EXPECT_EQ(styled.Font.lfItalic, 1);
    const EncoderSettings reset = Apply({"FontStyle=Bold Italic Underline StrikeOut", "FontStyle=REGULAR"});
    EXPECT_EQ(reset.Font.lfWeight, 400);
    EXPECT_EQ(reset.Font.lfItalic, 0);
    EXPECT_EQ(reset.Font.lfUnderline, 0);
    EXPECT_EQ(reset.Font.lfStrikeOut, 0);
}

TEST(ApplyCommand, TextIsCutWithoutOverrun) {
    const std::string longName = "FontName=" + std::string(40, 'N');
    const EncoderSettings s = Apply({longName.c_str()});
    EXPECT_EQ(FaceName(s), std::string(CommandFaceNameLength, 'N'));
    EXPECT_EQ(s.Font.lfFaceName[FaceNameSize - 1], '\0');

    std::string key;
    std::string value;
    SplitKeyValue((std::string(300, 'k') + "=" + std::string(300, 'v')).c_str(), &key, &value);
    EXPECT_EQ(key, std::string(CommandFieldLength, 'k'));
    EXPECT_EQ(value, std::string(CommandFieldLength, 'v'));
    SplitKeyValue(std::string(300, 'w').c_str(), &key, &value);
    EXPECT_EQ(key, std::string(CommandFieldLength, 'w'));
    EXPECT_EQ(value, "");
    SplitKeyValue("\tkey = a = b \r", &key, &value);
    EXPECT_EQ(key, "key");
    EXPECT_EQ(value, "a = b");
}

TEST(DecimalValue, ReadsLikeTheCommands) {
    const std::pair<const char*, std::int32_t> cases[] = {
        {"42", 42}, {"  -7x", -7}, {"+3", 3}, {"abc", 0}, {"", 0}, {"1.9", 1}, {"\t 12 34", 12},
    };
    for (const auto& [text, value] : cases) EXPECT_EQ(DecimalValue(text), value) << text;
}

std::string CaptureOutput(void (*print)()) {
    testing::internal::CaptureStdout();
    print();
    return testing::internal::GetCapturedStdout();
}

std::string FirstLine(const std::string& text) {
    return text.substr(0, text.find('\n') + 1);
}

TEST(HelpText, HelpScreenStartsWithUsageAndEndsWithColours) {
    const std::string help = CaptureOutput(PrintEncoderHelp);
    EXPECT_EQ(FirstLine(help), "Usage:  OstrelEncode  [-options] subtitle1.txt [subtitle2.txt ...]\n");
    EXPECT_EQ(help.substr(0, CaptureOutput(PrintEncoderUsage).size()), CaptureOutput(PrintEncoderUsage));
    const std::string ending = "        [000000b1]  Color 3 Y Cr CB      235 128 128    [eb 80 80 ]\n\n";
    ASSERT_GE(help.size(), ending.size());
    EXPECT_EQ(help.substr(help.size() - ending.size()), ending);
}

TEST(HelpText, HelpScreenColumns) {
    const std::string help = CaptureOutput(PrintEncoderHelp);
    const char* const lines[] = {
        "\nFrameW=n                  frame width (720, 704)\n",
        "\nFontStyle=styles          subtitle font style\n",
        "\n                            (REGULAR, BOLD, ITALIC, UNDERLINE)\n",
        "\nOnTop=0|1                 subtitles are created on the top of the screen\n",
        "\nDelay=n                   subtitle delay (in frames)\n"
        "(previous commands can be specified only at the beginning of source text)\n\n"
        "FontName=name             subtitle font name\n",
        "\nare taken from C:\\Documents and Settings\\<user>\\OstrelEncode.ini,\n"
        "section [Default], and are predefined as follows:\n\nFrameW=720\n",
        "\nContour=1\n",
        "\n{frame_from}{frame_to}{d:\\my_pictures\\file_name_1.bmp}\n",
        "\n                -p:profile    load setting from profile (in OstrelEncode.ini)\n",
    };
    for (const char* line : lines) EXPECT_NE(help.find(line), std::string::npos) << line;
}

TEST(HelpText, VersionScreenAndBanner) {
    const std::string version = CaptureOutput(PrintEncoderVersion);
    EXPECT_NE(version.find("\n\n2003-10-10      1.5 text indentation, bi-directional support\n"), std::string::npos);
    const std::string ending = "2003-04-27      1.0 main release.\n\n";
    EXPECT_EQ(version.substr(version.size() - ending.size()), ending);
    const std::string banner = CaptureOutput(PrintEncoderBanner);
    EXPECT_EQ(FirstLine(banner), "OstrelEncode version 1.5 (2003-10-10) - DVD subtitle encoder.\n");
    EXPECT_EQ(banner.substr(banner.size() - 2), "\n\n");
}

TEST(HelpText, OptionsChooseTheScreens) {
    const std::string help = CaptureOutput(PrintEncoderHelp);
    const std::string version = CaptureOutput(PrintEncoderVersion);
    struct Case {
        std::vector<std::string> options;
        std::string expected;
    };
    const Case cases[] = {
        {{}, ""},
        {{"force"}, ""},
        {{"h"}, help},
        {{"HELP"}, help},
        {{"version"}, version},
        {{"version", "help"}, help + version},
    };
    for (const Case& c : cases) {
        OptionList options{c.options};
        testing::internal::CaptureStdout();
        ShowEncoderHelpAndVersion(options);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), c.expected);
    }
}

}  // namespace
}  // namespace ostrel
