// Big-endian access to ".sup" files: open, close, seek, and the reading and
// writing of bytes, 16-bit big-endian words and runs of bytes as they stand.
// Reads past the end of the file give 0 bytes. Access is buffered, so no
// primitive costs a system call of its own.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/file_io.h"

namespace ostrel {

constexpr std::int32_t OfRead = 0;
constexpr std::int32_t OfWrite = 1;
constexpr std::int32_t OfReadWrite = 2;

// One file opened for big-endian reading or writing. Not open while `handle`
// is platform::InvalidFile. Closing (or destroying) it flushes pending writes.
struct DataFile {
    platform::FileHandle handle = platform::InvalidFile;
    std::int64_t position = 0;             // logical file position
    std::vector<std::uint8_t> readCache;   // bytes of the file from cacheStart
    std::int64_t cacheStart = 0;
    std::vector<std::uint8_t> pendingWrite;  // bytes to be written at writeStart
    std::int64_t writeStart = 0;
    bool readShort = false;                // the last read could not be filled
    bool writeFailed = false;              // a write was lost since opening (kept after closing)

    DataFile() = default;
    DataFile(const DataFile&) = delete;
    DataFile& operator=(const DataFile&) = delete;
    ~DataFile();
};

// True when the file is open.
bool IsDataFileOpen(const DataFile* file);

// Opens `path`. With OfRead the file must exist; with OfWrite or OfReadWrite an
// existing file is truncated to length 0 and a missing one is created.
void OpenDataFile(DataFile* file, const char* path, std::int32_t mode);

// Flushes and closes the file; does nothing when it is not open.
void CloseDataFile(DataFile* file);

// True when a write since the last opening could not be completed (a full
// disk, an I/O error); still answers after CloseDataFile, whose flush counts.
bool DataFileWriteFailed(const DataFile* file);

// Moves the position (origin 0 start, 1 current, 2 end). Returns the new
// position; -1, leaving the position, when it would be negative or beyond
// 32 bits or the origin is unknown; 0 when the file is not open.
std::int32_t SeekDataFile(DataFile* file, std::int32_t offset, std::int32_t origin);

// Size of the file in bytes, pending writes included; 0 when not open.
std::int64_t DataFileSize(DataFile* file);

// Reads one byte; 0 when the file has none at the position.
std::uint8_t ReadByte(DataFile* file);
// The first byte read is the high byte.
std::uint16_t ReadWord(DataFile* file);
// Reads `count` bytes as they stand; bytes past the end are set to 0.
// Returns the number of bytes the file supplied.
std::uint32_t ReadBytes(DataFile* file, void* buffer, std::uint32_t count);

// Writes the low 8 bits of `value`.
void WriteByte(DataFile* file, std::uint32_t value);
// Writes bits 15..8, then bits 7..0.
void WriteWord(DataFile* file, std::uint32_t value);
// Writes `count` bytes as they stand.
void WriteBytes(DataFile* file, const void* buffer, std::uint32_t count);

}  // namespace ostrel
