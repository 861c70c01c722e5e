// The command-line driver with recording hooks over a temporary folder, and
// the option lookups.
#include "frontend/command_line.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "support/program_run.h"

namespace ostrel {
namespace {

namespace fs = std::filesystem;

OptionList ListOf(std::vector<std::string> entries) {
    return OptionList{std::move(entries)};
}

// ---- option arguments and the option list ----

TEST(OptionArgumentTest, SortsArgumentsIntoOptionsPatternsAndIgnoredOnes) {
    struct Case {
        const char* argument;
        bool option;
        bool ignored;
    };
    const std::vector<Case> cases = {
        {"-bitmap", true, false},   {"--help", true, false},     {"---x", true, false},
        {"/bitmap", true, false},   {"/FR:29.97", true, false},  {"/tmp", false, false},
        {"/a/b.sup", false, false}, {"/*.sup", true, false},     {"a.sup", false, false},
        {"*.sup", false, false},    {"-", false, true},          {"/", false, true},
        {"--", false, true},        {"", false, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsOptionArgument(c.argument), c.option) << c.argument;
        EXPECT_EQ(IsIgnoredArgument(c.argument), c.ignored) << c.argument;
    }
}

TEST(OptionListTest, KeepsOptionsInOrderWithoutTheirMark) {
    std::vector<std::string> arguments = {"prog", "-Fr:29.97", "a.sup", "--help", "-", "/x",
                                          "/",    "--",        "-fr:1", "-Fr:29.97"};
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    const OptionList options = BuildOptionList(static_cast<int>(argv.size()), argv.data());
    EXPECT_EQ(options.entries, (std::vector<std::string>{"Fr:29.97", "help", "x", "fr:1", "Fr:29.97"}));
}

TEST(HasOptionTest, FindsAWholeEntryWithoutRegardToAsciiCase) {
    for (const char* entry : {"BITMAP", "bitmap", "Bitmap"}) {
        const OptionList options = ListOf({"fr:25", entry});
        for (const char* name : {"bitmap", "-bitmap", "/BITMAP", "BitMap"}) {
            EXPECT_EQ(HasOption(&options, name), 1) << entry << " / " << name;
        }
    }
}

TEST(HasOptionTest, RejectsPartialEntriesEmptyNamesAndNulls) {
    const OptionList options = ListOf({"bitmapx", "fr:25", "\xC4", "nolog"});
    const std::vector<const char*> misses = {"bitmap", "fr", "fr:", "\xE4", "-", "/", "", "--nolog", "nolo"};
    for (const char* name : misses) EXPECT_EQ(HasOption(&options, name), 0) << name;
    EXPECT_EQ(HasOption(&options, "\xC4"), 1);
    EXPECT_EQ(HasOption(nullptr, "nolog"), 0);
    EXPECT_EQ(HasOption(&options, nullptr), 0);
    const OptionList none;
    EXPECT_EQ(HasOption(&none, "nolog"), 0);
}

TEST(GetOptionValueTest, TakesTheRestOfTheFirstMatchingEntry) {
    struct Case {
        std::vector<std::string> entries;
        const char* prefix;
        const char* expected;
    };
    const std::vector<Case> cases = {
        {{"FR:29.97"}, "fr:", "29.97"},
        {{"bitmap", "fr:25", "fr:30"}, "-fr:", "25"},
        {{"fr:"}, "/fr:", ""},
        {{"p:MyProfile"}, "P:", "MyProfile"},
        {{"frame"}, "fr", "ame"},
    };
    for (const Case& c : cases) {
        const OptionList options = ListOf(c.entries);
        std::string value = "old";
        EXPECT_EQ(GetOptionValue(&options, c.prefix, &value), 1) << c.prefix;
        EXPECT_EQ(value, c.expected) << c.prefix;
    }
}

TEST(GetOptionValueTest, LeavesTheValueUntouchedWhenNothingMatches) {
    const OptionList options = ListOf({"f", "bitmap"});
    std::string value = "old";
    for (const char* prefix : {"fr:", "-", "", "bitmapx"}) {
        EXPECT_EQ(GetOptionValue(&options, prefix, &value), 0) << prefix;
        EXPECT_EQ(value, "old");
    }
    EXPECT_EQ(GetOptionValue(nullptr, "fr:", &value), 0);
    EXPECT_EQ(GetOptionValue(&options, nullptr, &value), 0);
    EXPECT_EQ(GetOptionValue(&options, "f", nullptr), 0);
}

TEST(GetOptionValueTest, CutsTheValueToTheBufferSizeLessOne) {
    const std::string longValue(300, 'v');
    const OptionList options = ListOf({"p:" + longValue});
    std::string value;
    ASSERT_EQ(GetOptionValue(&options, "p:", &value), 1);
    EXPECT_EQ(value, std::string(255, 'v'));
    ASSERT_EQ(GetOptionValue(&options, "p:", &value, 4), 1);
    EXPECT_EQ(value, "vvv");
    ASSERT_EQ(GetOptionValue(&options, "p:", &value, 1), 1);
    EXPECT_EQ(value, "");
    ASSERT_EQ(GetOptionValue(&options, "p:", &value, 0), 1);
    EXPECT_EQ(value, "");
}

// ---- the driver end to end ----

// What the recording hooks saw during one run.
struct HookLog {
    int banners = 0;
    int usages = 0;
    std::vector<OptionList> helpCalls;
    std::vector<std::string> fullPaths;
    std::vector<std::string> names;
    std::vector<std::vector<std::string>> handlerOptions;
    std::set<std::string> failingNames;  // the handler returns FailResult for these
};

constexpr int FailResult = 7;
HookLog* activeLog = nullptr;

void RecordBanner() { ++activeLog->banners; }
void RecordUsage() { ++activeLog->usages; }
void RecordHelp(const OptionList& options) { activeLog->helpCalls.push_back(options); }

int RecordFile(const OptionList& options, const char* fullPath, const char* fileName) {
    activeLog->fullPaths.push_back(fullPath);
    activeLog->names.push_back(fileName);
    activeLog->handlerOptions.push_back(options.entries);
    return activeLog->failingNames.count(fileName) != 0 ? FailResult : 0;
}

// A folder with a.sup, b.sup, a subfolder c.sup and a subfolder pair holding
// x1.sup, x2.sup, y1.sup and y2.sup; the run starts in that folder.
class DriverTest : public testing::Test {
protected:
    void SetUp() override {
        fixture::WriteFileBytes(folder.path / "a.sup", {0});
        fixture::WriteFileBytes(folder.path / "b.sup", {0});
        fs::create_directory(folder.path / "c.sup");
        fs::create_directory(folder.path / "pair");
        for (const char* name : {"x1.sup", "x2.sup", "y1.sup", "y2.sup"}) {
            fixture::WriteFileBytes(folder.path / "pair" / name, {0});
        }
        previousFolder = fs::current_path();
        fs::current_path(folder.path);
        activeLog = &log;
    }

    void TearDown() override {
        fs::current_path(previousFolder);
        activeLog = nullptr;
    }

    // Runs the driver with argv[0] = "/usr/bin/OstrelDecode"; keeps standard error.
    int Run(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), "/usr/bin/OstrelDecode");
        std::vector<char*> argv;
        for (std::string& argument : arguments) argv.push_back(argument.data());
        argv.push_back(nullptr);
        ProgramHooks hooks;
        hooks.PrintBanner = RecordBanner;
        hooks.PrintUsage = RecordUsage;
        hooks.ShowHelpAndVersion = RecordHelp;
        hooks.fileHandler = RecordFile;
        testing::internal::CaptureStderr();
        const int result = RunCommandLine(static_cast<int>(arguments.size()), argv.data(), hooks);
        standardError = testing::internal::GetCapturedStderr();
        return result;
    }

    std::string PathOf(const std::string& relative) const {
        return (folder.path / relative).lexically_normal().string();
    }

    fixture::TempFolder folder;
    fs::path previousFolder;
    HookLog log;
    std::string standardError;
};

TEST_F(DriverTest, NoArgumentsPrintBannerAndUsageOnly) {
    EXPECT_EQ(Run({}), 0);
    EXPECT_EQ(log.banners, 1);
    EXPECT_EQ(log.usages, 1);
    EXPECT_TRUE(log.helpCalls.empty());
    EXPECT_TRUE(log.names.empty());
}

TEST_F(DriverTest, OnlyOptionsCallTheHelpHookOnceAndNoHandler) {
    for (const char* help : {"-help", "--help", "/help"}) {
        log = HookLog{};
        EXPECT_EQ(Run({help, "-version"}), 0) << help;
        EXPECT_EQ(log.banners, 1);
        EXPECT_EQ(log.usages, 0);
        ASSERT_EQ(log.helpCalls.size(), 1u);
        EXPECT_EQ(log.helpCalls[0].entries, (std::vector<std::string>{"help", "version"}));
        EXPECT_TRUE(log.names.empty());
        EXPECT_EQ(standardError, "");
    }
}

TEST_F(DriverTest, PatternCallsTheHandlerForEveryFileSkippingFolders) {
    EXPECT_EQ(Run({"*.sup"}), 0);
    EXPECT_EQ(log.names, (std::vector<std::string>{"a.sup", "b.sup"}));
    EXPECT_EQ(log.fullPaths, (std::vector<std::string>{PathOf("a.sup"), PathOf("b.sup")}));
    EXPECT_EQ(log.helpCalls.size(), 1u);
    EXPECT_EQ(standardError, "");
}

TEST_F(DriverTest, PatternsMatchWithoutRegardToCase) {
    const std::vector<std::pair<const char*, std::vector<std::string>>> cases = {
        {"A.SUP", {"a.sup"}},
        {"*.SuP", {"a.sup", "b.sup"}},
        {"?.sup", {"a.sup", "b.sup"}},
        {"pair/?1.SUP", {"x1.sup", "y1.sup"}},
        {"PAIR/x1.sup", {}},
    };
    for (const auto& [pattern, expected] : cases) {
        log = HookLog{};
        Run({pattern});
        EXPECT_EQ(log.names, expected) << pattern;
    }
}

TEST_F(DriverTest, AbsolutePathsAreFilePatternsNotOptions) {
    const std::string absolutePattern = folder.path.string() + "/pair/y*.sup";
    const std::string absoluteFile = folder.path.string() + "/b.sup";
    EXPECT_EQ(Run({absolutePattern, absoluteFile}), 0);
    EXPECT_TRUE(log.helpCalls.at(0).entries.empty());
    EXPECT_EQ(log.fullPaths, (std::vector<std::string>{PathOf("pair/y1.sup"), PathOf("pair/y2.sup"), PathOf("b.sup")}));
}

TEST_F(DriverTest, HelpTogetherWithFilesShowsHelpThenProcessesTheFiles) {
    EXPECT_EQ(Run({"a.sup", "--help", "-fr:25"}), 0);
    ASSERT_EQ(log.helpCalls.size(), 1u);
    EXPECT_EQ(log.names, std::vector<std::string>{"a.sup"});
    EXPECT_EQ(log.handlerOptions.at(0), (std::vector<std::string>{"help", "fr:25"}));
}

TEST_F(DriverTest, LoneMarksAreIgnored) {
    EXPECT_EQ(Run({"-", "b.sup", "/", "--"}), 0);
    EXPECT_TRUE(log.helpCalls.at(0).entries.empty());
    EXPECT_EQ(log.names, std::vector<std::string>{"b.sup"});
    EXPECT_EQ(standardError, "");
}

TEST_F(DriverTest, FailureStopsOnlyItsOwnPatternAndTheLastResultIsReturned) {
    log.failingNames = {"x1.sup"};
    EXPECT_EQ(Run({"pair/x*.sup", "pair/y*.sup"}), 0);
    EXPECT_EQ(log.names, (std::vector<std::string>{"x1.sup", "y1.sup", "y2.sup"}));

    log = HookLog{};
    log.failingNames = {"y2.sup"};
    EXPECT_EQ(Run({"pair/x*.sup", "pair/y*.sup"}), FailResult);
    EXPECT_EQ(log.names, (std::vector<std::string>{"x1.sup", "x2.sup", "y1.sup", "y2.sup"}));
}

TEST_F(DriverTest, PatternWithoutFilesWarnsAndLeavesTheResultAlone) {
    log.failingNames = {"a.sup"};
    EXPECT_EQ(Run({"a.sup", "none*.sup", "c.sup"}), FailResult);
    EXPECT_EQ(log.names, std::vector<std::string>{"a.sup"});
    EXPECT_EQ(standardError,
              "OstrelDecode: no file matches \"none*.sup\"\n"
              "OstrelDecode: no file matches \"c.sup\"\n");
}

TEST_F(DriverTest, LongPathsHaveNoLimit) {
    fs::path deep = folder.path;
    for (int level = 0; level < 12; ++level) deep /= std::string(100, static_cast<char>('d' + level % 10));
    fs::create_directories(deep);
    fixture::WriteFileBytes(deep / "long.sup", {0});
    const std::string pattern = deep.string() + "/*.sup";
    ASSERT_GT(pattern.size(), 1040u);
    EXPECT_EQ(Run({pattern}), 0);
    EXPECT_EQ(log.fullPaths, std::vector<std::string>{(deep / "long.sup").string()});
}

}  // namespace
}  // namespace ostrel
