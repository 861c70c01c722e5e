// Raw file access: open, create, positioned reads and writes, size, close.
// The only place where the toolkit and the programs touch file descriptors.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ostrel::platform {

using FileHandle = int;
constexpr FileHandle InvalidFile = -1;

// Opens an existing file; for writing when `forWriting` (without truncating).
// Returns InvalidFile when it cannot be opened or is not a regular file
// (a directory, a FIFO, a device).
FileHandle OpenExistingFile(const char* path, bool forWriting);

// Creates a file for reading and writing, truncating an existing one.
// Returns InvalidFile when it cannot, or when the path is not a regular file.
FileHandle CreateTruncatedFile(const char* path);

// Reads up to `count` bytes at `offset`. Returns the number read (0 at the end),
// or -1 on an error. Retries interrupted and partial reads.
std::int64_t ReadFileAt(FileHandle file, std::int64_t offset, void* buffer, std::size_t count);

// Writes `count` bytes at `offset`. Returns the number written, or -1.
std::int64_t WriteFileAt(FileHandle file, std::int64_t offset, const void* buffer, std::size_t count);

// Size of the open file in bytes, or -1.
std::int64_t FileSizeOf(FileHandle file);

// Releases the handle; InvalidFile is ignored.
void CloseFile(FileHandle file);

// True when `path` names something that can be opened for reading.
bool CanOpenForReading(const char* path);

}  // namespace ostrel::platform
