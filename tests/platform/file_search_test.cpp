// Wildcard file search: which names a pattern matches, in which order, and
// the absolute paths it reports.
#include "platform/file_search.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/program_run.h"

namespace ostrel::platform {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> NamesOf(const std::vector<FoundFile>& files) {
    std::vector<std::string> names;
    for (const FoundFile& file : files) names.push_back(file.name);
    return names;
}

class FileSearchTest : public testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"a.sup", "b.sup", "B2.SUP", "note.txt", "noext", "Same.txt", "same.txt"}) {
            fixture::WriteFileBytes(folder.path / name, {0});
        }
        fs::create_directory(folder.path / "c.sup");
        fs::create_directory(folder.path / "sub");
        fixture::WriteFileBytes(folder.path / "sub" / "inner.sup", {0});
    }

    std::vector<std::string> Names(const std::string& pattern) const {
        return NamesOf(FindMatchingFiles((folder.path / pattern).string()));
    }

    fixture::TempFolder folder;
};

struct PatternCase {
    const char* pattern;
    std::vector<std::string> expected;
};

TEST_F(FileSearchTest, PatternsMatchWithoutRegardToCaseInByteOrderSkippingFolders) {
    const std::vector<PatternCase> cases = {
        {"*.sup", {"B2.SUP", "a.sup", "b.sup"}},
        {"*.SUP", {"B2.SUP", "a.sup", "b.sup"}},
        {"?.sup", {"a.sup", "b.sup"}},
        {"??.sup", {"B2.SUP"}},
        {"b*", {"B2.SUP", "b.sup"}},
        {"*o*e*", {"noext", "note.txt"}},
        {"*", {"B2.SUP", "Same.txt", "a.sup", "b.sup", "noext", "note.txt", "same.txt"}},
        {"*.*", {"B2.SUP", "Same.txt", "a.sup", "b.sup", "noext", "note.txt", "same.txt"}},
        {"noext.*", {"noext"}},
        {"x*.sup", {}},
        {"c.sup", {}},
        {"c.*", {}},
        {"sub/*", {"inner.sup"}},
        {"s*/inner.sup", {}},
        {"missing/*.sup", {}},
    };
    for (const PatternCase& c : cases) EXPECT_EQ(Names(c.pattern), c.expected) << c.pattern;
}

TEST_F(FileSearchTest, NameWithoutWildcardsPrefersTheExactFileThenACaseVariant) {
    const std::vector<PatternCase> cases = {
        {"a.sup", {"a.sup"}},       {"A.SUP", {"a.sup"}},       {"b2.sup", {"B2.SUP"}},
        {"same.txt", {"same.txt"}}, {"Same.txt", {"Same.txt"}}, {"SAME.TXT", {"Same.txt"}},
        {"a.su", {}},
    };
    for (const PatternCase& c : cases) EXPECT_EQ(Names(c.pattern), c.expected) << c.pattern;
}

TEST_F(FileSearchTest, ReportsAbsoluteNormalisedPaths) {
    const std::vector<FoundFile> files = FindMatchingFiles((folder.path / "sub" / ".." / "A.sup").string());
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].fullPath, (folder.path / "a.sup").lexically_normal().string());
    EXPECT_EQ(files[0].name, "a.sup");
}

TEST_F(FileSearchTest, RelativePatternsResolveAgainstTheCurrentFolder) {
    const fs::path previous = fs::current_path();
    fs::current_path(folder.path / "sub");
    const std::vector<FoundFile> here = FindMatchingFiles("*.sup");
    const std::vector<FoundFile> above = FindMatchingFiles("../?.sup");
    fs::current_path(previous);

    ASSERT_EQ(NamesOf(here), std::vector<std::string>{"inner.sup"});
    EXPECT_EQ(here[0].fullPath, (folder.path / "sub" / "inner.sup").string());
    ASSERT_EQ(NamesOf(above), (std::vector<std::string>{"a.sup", "b.sup"}));
    EXPECT_EQ(above[1].fullPath, (folder.path / "b.sup").string());
}

TEST_F(FileSearchTest, EmptyAndFolderOnlyPatternsMatchNothing) {
    EXPECT_TRUE(FindMatchingFiles("").empty());
    EXPECT_TRUE(FindMatchingFiles(folder.path.string() + "/").empty());
    EXPECT_TRUE(FindMatchingFiles("/").empty());
}

TEST_F(FileSearchTest, ManyStarsAgainstALongName) {
    const std::string name(200, 'a');
    fixture::WriteFileBytes(folder.path / name, {0});
    EXPECT_EQ(Names("*a*a*a*a*a*a*a*a*a*a*a*b"), std::vector<std::string>{});
    EXPECT_EQ(Names("*a*a*a*a*a*a*a*a*a*a*a*a"), std::vector<std::string>{name});
}

TEST_F(FileSearchTest, PathExistsForFilesAndFoldersOnly) {
    EXPECT_TRUE(PathExists((folder.path / "a.sup").string()));
    EXPECT_TRUE(PathExists((folder.path / "c.sup").string()));
    EXPECT_FALSE(PathExists((folder.path / "none.sup").string()));
    EXPECT_FALSE(PathExists(""));
}

}  // namespace
}  // namespace ostrel::platform
