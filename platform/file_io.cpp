// Raw file access on POSIX file descriptors: open, create, positioned reads
// and writes, size, close.
#include "platform/file_io.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

namespace ostrel::platform {
namespace {

constexpr mode_t NewFilePermissions = 0666;  // narrowed by the umask

bool IsRegularFile(int descriptor) {
    struct stat info {};
    return fstat(descriptor, &info) == 0 && S_ISREG(info.st_mode);
}

// Opens without blocking, so that a FIFO without a writer cannot stall the
// open; keeps the descriptor only for a regular file, in blocking mode.
FileHandle OpenRegularFile(const char* path, int flags, mode_t permissions) {
    if (path == nullptr || *path == '\0') return InvalidFile;
    int descriptor;
    do {
        descriptor = open(path, flags | O_CLOEXEC | O_NONBLOCK, permissions);
    } while (descriptor < 0 && errno == EINTR);
    if (descriptor < 0) return InvalidFile;
    const int status = fcntl(descriptor, F_GETFL);
    if (!IsRegularFile(descriptor) || status < 0 || fcntl(descriptor, F_SETFL, status & ~O_NONBLOCK) != 0) {
        close(descriptor);
        return InvalidFile;
    }
    return descriptor;
}

}  // namespace

FileHandle OpenExistingFile(const char* path, bool forWriting) {
    return OpenRegularFile(path, forWriting ? O_RDWR : O_RDONLY, 0);
}

FileHandle CreateTruncatedFile(const char* path) {
    return OpenRegularFile(path, O_RDWR | O_CREAT | O_TRUNC, NewFilePermissions);
}

std::int64_t ReadFileAt(FileHandle file, std::int64_t offset, void* buffer, std::size_t count) {
    if (file == InvalidFile || offset < 0) return -1;
    auto* bytes = static_cast<unsigned char*>(buffer);
    std::size_t done = 0;
    while (done < count) {
        const ssize_t got = pread(file, bytes + done, count - done, static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return done > 0 ? static_cast<std::int64_t>(done) : -1;
        if (got == 0) break;
        done += static_cast<std::size_t>(got);
    }
    return static_cast<std::int64_t>(done);
}

std::int64_t WriteFileAt(FileHandle file, std::int64_t offset, const void* buffer, std::size_t count) {
    if (file == InvalidFile || offset < 0) return -1;
    const auto* bytes = static_cast<const unsigned char*>(buffer);
    std::size_t done = 0;
    while (done < count) {
        const ssize_t put = pwrite(file, bytes + done, count - done, static_cast<off_t>(offset + done));
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return done > 0 ? static_cast<std::int64_t>(done) : -1;
        done += static_cast<std::size_t>(put);
    }
    return static_cast<std::int64_t>(done);
}

std::int64_t FileSizeOf(FileHandle file) {
    struct stat info {};
    if (file == InvalidFile || fstat(file, &info) != 0) return -1;
    return static_cast<std::int64_t>(info.st_size);
}

void CloseFile(FileHandle file) {
    if (file != InvalidFile) close(file);
}

bool CanOpenForReading(const char* path) {
    const FileHandle file = OpenExistingFile(path, false);
    CloseFile(file);
    return file != InvalidFile;
}

}  // namespace ostrel::platform
