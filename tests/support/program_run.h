// Test helpers around files and programs: a temporary folder, whole-file
// reads and writes, and running a program with its output captured.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace ostrel::fixture {

// A fresh folder under the system's temporary folder, removed with all it
// holds when the object goes.
struct TempFolder {
    std::filesystem::path path;

    TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    ~TempFolder();
};

void WriteFileBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);
std::vector<std::uint8_t> ReadFileBytes(const std::filesystem::path& path);
// The file's bytes as a string (empty when it cannot be read).
std::string ReadFileText(const std::filesystem::path& path);

// What a program run left behind.
struct ProgramRun {
    int exitStatus = -1;
    std::string standardOutput;
    std::string standardError;
};

// Runs `program` with `arguments` in the folder `workingFolder`, standard
// input empty, and captures both outputs and the exit status.
ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                      const std::filesystem::path& workingFolder);

}  // namespace ostrel::fixture
