// The command-line driver shared by the three programs, and the option
// lookups. Options begin with "-" or "/" ("--" reads like "-"); every other
// argument is a file pattern whose matches are handed to the program's
// FileHandler one by one.
#pragma once

#include <string>
#include <vector>

namespace ostrel {

// The options of one run, in command-line order, each without its leading
// "-" or "/" and with its case kept.
struct OptionList {
    std::vector<std::string> entries;
};

// Per-file hook: options, the file's absolute path, its bare name. Returns 0
// to go on, non-zero to stop expanding the current argument.
using FileHandler = int (*)(const OptionList& options, const char* fullPath, const char* fileName);

// The four hooks each program supplies.
struct ProgramHooks {
    void (*PrintBanner)() = nullptr;
    void (*PrintUsage)() = nullptr;
    void (*ShowHelpAndVersion)(const OptionList& options) = nullptr;
    FileHandler fileHandler = nullptr;
};

// Runs one program: banner, usage when there are no arguments, options,
// help and version, then the handler for every matching file. Returns the
// last handler's result (0 when no file was processed).
int RunCommandLine(int argc, char** argv, const ProgramHooks& hooks);

// Builds the OptionList from the arguments (argv[0] is skipped).
OptionList BuildOptionList(int argc, char** argv);

// True when the argument is an option, false when it is a file pattern.
// A lone "-" or "/" is neither (see IsIgnoredArgument).
bool IsOptionArgument(const char* argument);

// True for an argument that is neither option nor pattern: a lone "-" or
// "/", a lone "--", or an empty argument.
bool IsIgnoredArgument(const char* argument);

// 1 when `name` (with or without a leading "-" or "/") stands in the list,
// compared without regard to ASCII case; else 0.
int HasOption(const OptionList* options, const char* name);

// 1 and the rest of the first entry that begins with `prefix` (cut to
// size - 1 bytes) in `value`; else 0 with `value` untouched.
int GetOptionValue(const OptionList* options, const char* prefix, std::string* value,
                   std::size_t size = 256);

}  // namespace ostrel
