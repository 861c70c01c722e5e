// The command-line driver: banner, usage, the option list, help and version,
// then every file argument expanded as a wildcard pattern and handed match by
// match to the program's FileHandler.
#include "frontend/command_line.h"

#include <cstdio>
#include <cstring>

#include "frontend/path_text.h"
#include "platform/file_search.h"

namespace ostrel {
namespace {

constexpr char DashMark = '-';
constexpr char SlashMark = '/';
constexpr std::size_t SingleMarkLength = 1;
constexpr std::size_t DoubleDashLength = 2;
constexpr const char* FallbackProgramName = "Ostrel";

bool BeginsWithMark(const char* text) {
    return text != nullptr && (text[0] == DashMark || text[0] == SlashMark);
}

bool BeginsWithDoubleDash(const char* text) {
    return text[0] == DashMark && text[1] == DashMark;
}

// The option's entry: the argument without its "-", "--" or "/".
std::string OptionEntry(const char* argument) {
    return std::string(argument + (BeginsWithDoubleDash(argument) ? DoubleDashLength : SingleMarkLength));
}

// A name or prefix as the lookups take it: one leading "-" or "/" dropped.
const char* WithoutMark(const char* name) {
    return BeginsWithMark(name) ? name + 1 : name;
}

char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// True when `text` begins with the `length` bytes of `prefix`, ASCII case folded.
bool BeginsWithIgnoringCase(const std::string& text, const char* prefix, std::size_t length) {
    if (text.size() < length) return false;
    for (std::size_t i = 0; i < length; ++i) {
        if (AsciiLower(text[i]) != AsciiLower(prefix[i])) return false;
    }
    return true;
}

bool IsFilePattern(const char* argument) {
    return argument != nullptr && !IsIgnoredArgument(argument) && !IsOptionArgument(argument);
}

std::string ProgramName(int argc, char** argv) {
    if (argc < 1 || argv == nullptr || argv[0] == nullptr || argv[0][0] == '\0') return FallbackProgramName;
    const std::string name = FileNamePart(argv[0]);
    return name.empty() ? FallbackProgramName : name;
}

// Hands every match of one pattern to the handler until one returns non-zero.
// Returns true when at least one file matched; `result` gets each handler's result.
bool ExpandPattern(const char* pattern, const OptionList& options, const ProgramHooks& hooks, int* result) {
    const std::vector<platform::FoundFile> matches = platform::FindMatchingFiles(pattern);
    for (const platform::FoundFile& match : matches) {
        if (hooks.fileHandler == nullptr) break;
        *result = hooks.fileHandler(options, match.fullPath.c_str(), match.name.c_str());
        if (*result != 0) break;
    }
    return !matches.empty();
}

}  // namespace

bool IsIgnoredArgument(const char* argument) {
    if (argument == nullptr || argument[0] == '\0') return true;
    if (argument[1] == '\0') return BeginsWithMark(argument);
    return BeginsWithDoubleDash(argument) && argument[2] == '\0';
}

bool IsOptionArgument(const char* argument) {
    if (IsIgnoredArgument(argument) || !BeginsWithMark(argument)) return false;
    if (argument[0] == DashMark) return true;
    // An absolute path begins with "/" as well: it holds a second "/" or names
    // something that exists.
    if (std::strchr(argument + 1, SlashMark) != nullptr) return false;
    return !platform::PathExists(argument);
}

OptionList BuildOptionList(int argc, char** argv) {
    OptionList options;
    if (argv == nullptr) return options;
    for (int i = 1; i < argc; ++i) {
        if (IsOptionArgument(argv[i])) options.entries.push_back(OptionEntry(argv[i]));
    }
    return options;
}

int RunCommandLine(int argc, char** argv, const ProgramHooks& hooks) {
    if (hooks.PrintBanner != nullptr) hooks.PrintBanner();
    if (argc < 2 || argv == nullptr) {
        if (hooks.PrintUsage != nullptr) hooks.PrintUsage();
        return 0;
    }
    const OptionList options = BuildOptionList(argc, argv);
    int result = 0;
    if (hooks.ShowHelpAndVersion != nullptr) hooks.ShowHelpAndVersion(options);
    const std::string programName = ProgramName(argc, argv);
    for (int i = 1; i < argc; ++i) {
        if (!IsFilePattern(argv[i])) continue;
        if (!ExpandPattern(argv[i], options, hooks, &result)) {
            std::fflush(stdout);
            std::fprintf(stderr, "%s: no file matches \"%s\"\n", programName.c_str(), argv[i]);
        }
    }
    return result;
}

int HasOption(const OptionList* options, const char* name) {
    if (options == nullptr || name == nullptr) return 0;
    const char* bare = WithoutMark(name);
    const std::size_t length = std::strlen(bare);
    if (length == 0) return 0;
    for (const std::string& entry : options->entries) {
        if (entry.size() == length && BeginsWithIgnoringCase(entry, bare, length)) return 1;
    }
    return 0;
}

int GetOptionValue(const OptionList* options, const char* prefix, std::string* value, std::size_t size) {
    if (options == nullptr || prefix == nullptr || value == nullptr) return 0;
    const char* bare = WithoutMark(prefix);
    const std::size_t length = std::strlen(bare);
    if (length == 0) return 0;
    for (const std::string& entry : options->entries) {
        if (!BeginsWithIgnoringCase(entry, bare, length)) continue;
        // The value keeps room for the terminating NUL of a buffer of `size` bytes.
        const std::size_t room = size == 0 ? 0 : size - 1;
        *value = entry.substr(length, room);
        return 1;
    }
    return 0;
}

}  // namespace ostrel
