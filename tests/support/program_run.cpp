// Temporary folders, file contents and program runs for tests.
#include "support/program_run.h"

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>

namespace ostrel::fixture {

namespace fs = std::filesystem;

namespace {

// The text in single quotes for the shell, inner quotes written as '\''.
std::string ShellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text) {
        if (c == '\'') quoted += "'\\''";
        else quoted += c;
    }
    return quoted + "'";
}

}  // namespace

TempFolder::TempFolder() {
    static std::atomic<int> counter{0};
    std::random_device random;
    path = fs::temp_directory_path() /
           ("ostrel_test_" + std::to_string(random()) + "_" + std::to_string(counter++));
    fs::create_directories(path);
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    fs::remove_all(path, ignored);
}

void WriteFileBytes(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::uint8_t> ReadFileBytes(const fs::path& path) {
    const std::string text = ReadFileText(path);
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

std::string ReadFileText(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                      const fs::path& workingFolder) {
    TempFolder capture;
    const fs::path out = capture.path / "stdout";
    const fs::path err = capture.path / "stderr";
    const fs::path status = capture.path / "status";
    std::string command = "cd " + ShellQuoted(workingFolder.string()) + " && " + ShellQuoted(program);
    for (const std::string& argument : arguments) command += " " + ShellQuoted(argument);
    command += " </dev/null >" + ShellQuoted(out.string()) + " 2>" + ShellQuoted(err.string());
    command += "; echo $? >" + ShellQuoted(status.string());
    ProgramRun run;
    if (std::system(command.c_str()) == -1) return run;
    run.standardOutput = ReadFileText(out);
    run.standardError = ReadFileText(err);
    std::istringstream(ReadFileText(status)) >> run.exitStatus;
    return run;
}

}  // namespace ostrel::fixture
