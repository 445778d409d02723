#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/result.h"

namespace velmira {

// Our own error codes beside errno's (which are all positive).
// The path names a FIFO, a device, a socket or a folder where a regular file was wanted.
inline constexpr int kNotRegularFile = -1;
// The file belongs to a user or group that a replacement by this user could not keep.
inline constexpr int kNotTheOwner = -2;
// A symbolic link on the card leads to a file elsewhere.
inline constexpr int kOffTheCard = -3;

// Where the file lies, for the words of a full device.
enum class FileOn { Disk, Card };

// Why a file could not be used, in plain words for a message: "the disk is
// full" ("the card is full" for a file on the card), "the folder is
// read-only", "no permission", "not a regular file (a pipe)"... `path` is
// looked at to say what kind of non-regular file it is, or whose it is.
std::string fileErrorText(int error, const std::string& path = {}, FileOn on = FileOn::Disk);

// A file descriptor, closed with the object.
class FileDescriptor {
  public:
    FileDescriptor() = default;
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor();
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(other.release()) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept;
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    int release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }

  private:
    int fd_ = -1;
};

struct OpenedFile {
    FileDescriptor fd;
    int error = 0;  // errno, or kNotRegularFile
};

// Opens an existing file for reading without ever waiting on it: a FIFO, a
// device, a socket or a folder is refused before anything is read.
OpenedFile openForReading(const std::string& path);

// Opens a file for appending, created (0666 less the umask) when absent: a
// regular file, or a terminal when `terminalToo`.
OpenedFile openForAppending(const std::string& path, bool terminalToo);

// Opens an existing regular file for writing in place (no truncation),
// refusing anything else as openForReading does.
OpenedFile openForWriting(const std::string& path);

// Writes all of `size` bytes, or says why not (errno; a short write that makes
// no progress counts as a full card).
int writeAll(int fd, const void* data, std::size_t size);

// Reads until `size` bytes or the end of the file, going on after a signal.
struct ReadUpTo {
    std::size_t bytes = 0;  // read, also when `error` stopped it
    int error = 0;          // errno
};
ReadUpTo readUpTo(int fd, void* data, std::size_t size);

// The first bytes of a regular file, at most `most` of them, and the file's
// own size (that read, when it shrank under the read). A failure says why in
// fileErrorText's words.
struct FileStart {
    std::vector<std::uint8_t> bytes;
    std::int64_t size = 0;
};
Result<FileStart> readFileStart(const std::string& path, std::size_t most);

}  // namespace velmira
