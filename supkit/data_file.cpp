// Big-endian access to ".sup" files, buffered: reads come from a window of
// the file refilled with one positioned read, writes gather in a pending
// buffer that is written out when the position moves away from its end, when
// something is read, and when the file is closed.
#include "supkit/data_file.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace ostrel {
namespace {

constexpr std::size_t ReadWindowSize = 64 * 1024;
constexpr std::size_t WriteFlushSize = 64 * 1024;
constexpr std::int64_t MaxPosition = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t AccessModeBits = 0x3;  // OfRead, OfWrite, OfReadWrite; the rest are share flags
constexpr std::int32_t SeekFromStart = 0;
constexpr std::int32_t SeekFromCurrent = 1;
constexpr std::int32_t SeekFromEnd = 2;
constexpr unsigned BitsPerByte = 8;
constexpr std::uint32_t ByteMask = 0xFF;

void FlushPendingWrite(DataFile* file) {
    if (file->pendingWrite.empty()) return;
    const std::int64_t written = platform::WriteFileAt(file->handle, file->writeStart,
                                                       file->pendingWrite.data(), file->pendingWrite.size());
    if (written != static_cast<std::int64_t>(file->pendingWrite.size())) file->writeFailed = true;
    file->pendingWrite.clear();
}

std::int64_t PendingWriteEnd(const DataFile* file) {
    return file->writeStart + static_cast<std::int64_t>(file->pendingWrite.size());
}

// Copies what the read window holds at the position; returns the bytes copied.
std::size_t CopyFromWindow(DataFile* file, std::uint8_t* out, std::size_t count) {
    const std::int64_t into = file->position - file->cacheStart;
    if (into < 0 || into >= static_cast<std::int64_t>(file->readCache.size())) return 0;
    const std::size_t available = file->readCache.size() - static_cast<std::size_t>(into);
    const std::size_t taken = std::min(count, available);
    std::memcpy(out, file->readCache.data() + into, taken);
    file->position += static_cast<std::int64_t>(taken);
    return taken;
}

// Loads the window that starts at the position; false when the file has no byte there.
bool RefillWindow(DataFile* file) {
    file->readCache.resize(ReadWindowSize);
    const std::int64_t got =
        platform::ReadFileAt(file->handle, file->position, file->readCache.data(), ReadWindowSize);
    file->readCache.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    file->cacheStart = file->position;
    return got > 0;
}

// Reads straight into `out`, bypassing the window; returns the bytes the file supplied.
std::size_t ReadDirect(DataFile* file, std::uint8_t* out, std::size_t count) {
    const std::int64_t got = platform::ReadFileAt(file->handle, file->position, out, count);
    if (got <= 0) return 0;
    file->position += got;
    return static_cast<std::size_t>(got);
}

// Fills `out` from the position; bytes the file cannot supply become 0.
std::uint32_t ReadInto(DataFile* file, std::uint8_t* out, std::uint32_t count) {
    FlushPendingWrite(file);
    std::size_t done = 0;
    while (done < count) {
        const std::size_t copied = CopyFromWindow(file, out + done, count - done);
        done += copied;
        if (copied > 0) continue;
        if (count - done >= ReadWindowSize) {
            done += ReadDirect(file, out + done, count - done);
            break;
        }
        if (!RefillWindow(file)) break;
    }
    std::memset(out + done, 0, count - done);
    file->readShort = done < count;
    return static_cast<std::uint32_t>(done);
}

void WriteFrom(DataFile* file, const std::uint8_t* bytes, std::uint32_t count) {
    if (!file->pendingWrite.empty() && file->position != PendingWriteEnd(file))
        FlushPendingWrite(file);
    if (file->pendingWrite.empty()) file->writeStart = file->position;
    file->readCache.clear();
    file->pendingWrite.insert(file->pendingWrite.end(), bytes, bytes + count);
    file->position += count;
    if (file->pendingWrite.size() >= WriteFlushSize) FlushPendingWrite(file);
}

void ResetDataFile(DataFile* file) {
    file->handle = platform::InvalidFile;
    file->position = 0;
    file->readCache.clear();
    file->cacheStart = 0;
    file->pendingWrite.clear();
    file->writeStart = 0;
    file->readShort = false;
}

}  // namespace

DataFile::~DataFile() { CloseDataFile(this); }

bool IsDataFileOpen(const DataFile* file) {
    return file != nullptr && file->handle != platform::InvalidFile;
}

void OpenDataFile(DataFile* file, const char* path, std::int32_t mode) {
    if (file == nullptr) return;
    CloseDataFile(file);
    file->writeFailed = false;
    const bool readOnly = (mode & AccessModeBits) == OfRead;
    file->handle = readOnly ? platform::OpenExistingFile(path, false)
                            : platform::CreateTruncatedFile(path);
}

void CloseDataFile(DataFile* file) {
    if (!IsDataFileOpen(file)) return;
    FlushPendingWrite(file);
    platform::CloseFile(file->handle);
    ResetDataFile(file);
}

bool DataFileWriteFailed(const DataFile* file) { return file != nullptr && file->writeFailed; }

std::int32_t SeekDataFile(DataFile* file, std::int32_t offset, std::int32_t origin) {
    if (!IsDataFileOpen(file)) return 0;
    std::int64_t base = 0;
    switch (origin) {
        case SeekFromStart: base = 0; break;
        case SeekFromCurrent: base = file->position; break;
        case SeekFromEnd: base = DataFileSize(file); break;
        default: return -1;
    }
    const std::int64_t target = base + offset;
    if (target < 0 || target > MaxPosition) return -1;
    if (target != file->position) FlushPendingWrite(file);
    file->position = target;
    return static_cast<std::int32_t>(target);
}

std::int64_t DataFileSize(DataFile* file) {
    if (!IsDataFileOpen(file)) return 0;
    std::int64_t size = std::max<std::int64_t>(platform::FileSizeOf(file->handle), 0);
    if (!file->pendingWrite.empty()) size = std::max(size, PendingWriteEnd(file));
    return size;
}

std::uint8_t ReadByte(DataFile* file) {
    std::uint8_t value = 0;
    ReadBytes(file, &value, 1);
    return value;
}

std::uint16_t ReadWord(DataFile* file) {
    std::uint8_t bytes[2] = {0, 0};
    ReadBytes(file, bytes, 2);
    return static_cast<std::uint16_t>(bytes[0] << BitsPerByte | bytes[1]);
}

std::uint32_t ReadBytes(DataFile* file, void* buffer, std::uint32_t count) {
    if (!IsDataFileOpen(file) || buffer == nullptr || count == 0) return 0;
    return ReadInto(file, static_cast<std::uint8_t*>(buffer), count);
}

void WriteByte(DataFile* file, std::uint32_t value) {
    const std::uint8_t byte = static_cast<std::uint8_t>(value & ByteMask);
    WriteBytes(file, &byte, 1);
}

void WriteWord(DataFile* file, std::uint32_t value) {
    // Big-endian: bits 15..8, then bits 7..0.
    const std::uint8_t bytes[2] = {static_cast<std::uint8_t>(value >> BitsPerByte & ByteMask),
                                   static_cast<std::uint8_t>(value & ByteMask)};
    WriteBytes(file, bytes, 2);
}

void WriteBytes(DataFile* file, const void* buffer, std::uint32_t count) {
    if (!IsDataFileOpen(file) || buffer == nullptr || count == 0) return;
    WriteFrom(file, static_cast<const std::uint8_t*>(buffer), count);
}

}  // namespace ostrel
