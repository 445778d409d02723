#include "platform/host_file.h"

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace velmira {
namespace {

std::string kindOf(const std::string& path) {
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0) return {};
    if (S_ISFIFO(st.st_mode)) return " (a pipe)";
    if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode)) return " (a device)";
    if (S_ISSOCK(st.st_mode)) return " (a socket)";
    if (S_ISDIR(st.st_mode)) return " (a folder)";
    return {};
}

std::string userName(uid_t uid) {
    const passwd* p = ::getpwuid(uid);
    return p ? std::string(p->pw_name) + " (uid " + std::to_string(uid) + ")"
             : "uid " + std::to_string(uid);
}

std::string groupName(gid_t gid) {
    const group* g = ::getgrgid(gid);
    return g ? std::string(g->gr_name) : "gid " + std::to_string(gid);
}

std::string ownerText(const std::string& path) {
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0) {
        return "belongs to another user, and a save by " + userName(::geteuid()) +
               " would take it from them";
    }
    return "belongs to " + userName(st.st_uid) + ", group " + groupName(st.st_gid) +
           ", and a save by " + userName(::geteuid()) +
           " would take it from them (save it as its owner or as root)";
}

// Opening never waits (a FIFO without a writer would); once the file is known
// to be regular, reads and writes may wait as usual.
OpenedFile openChecked(const std::string& path, int flags, bool terminalToo) {
    OpenedFile r;
    // Pipes and sockets are refused unopened: even a non-blocking open of a
    // pipe for writing fails in its own way.
    struct stat before {};
    if (::stat(path.c_str(), &before) == 0 &&
        (S_ISFIFO(before.st_mode) || S_ISSOCK(before.st_mode))) {
        r.error = kNotRegularFile;
        return r;
    }
    const int fd = ::open(path.c_str(), flags | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd < 0) {
        r.error = errno == ENXIO ? kNotRegularFile : errno;
        return r;
    }
    r.fd = FileDescriptor(fd);
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        r.error = errno;
        r.fd = FileDescriptor();
        return r;
    }
    if (!S_ISREG(st.st_mode) && !(terminalToo && ::isatty(fd))) {
        r.error = kNotRegularFile;
        r.fd = FileDescriptor();
        return r;
    }
    const int status = ::fcntl(fd, F_GETFL);
    if (status >= 0) ::fcntl(fd, F_SETFL, status & ~O_NONBLOCK);
    return r;
}

}  // namespace

std::string fileErrorText(int error, const std::string& path, FileOn on) {
    switch (error) {
        case kNotRegularFile: {
            const std::string kind = kindOf(path);
            return kind == " (a folder)" ? "is a folder, not a file" : "not a regular file" + kind;
        }
        case kNotTheOwner:
            return ownerText(path);
        case kOffTheCard:
            return "the path leads out of the card";
        case ENOSPC:
        case EDQUOT:
            return on == FileOn::Card ? "the card is full" : "the disk is full";
        case EFBIG:
            return "no room for the file (it would exceed the file size allowed)";
        case EROFS:
            return "the folder is read-only";
        case EACCES:
        case EPERM:
            return "no permission";
        case ENOENT:
            return "no such file or folder";
        case ENOTDIR:
            return "a part of the path is not a folder";
        case EISDIR:
            return "is a folder, not a file";
        case ENAMETOOLONG:
            return "file name too long";
        case ELOOP:
            return "the symbolic links lead round in a circle (or too many follow each other)";
        default:
            return std::strerror(error);
    }
}

FileDescriptor::~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
}

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = other.release();
    }
    return *this;
}

OpenedFile openForReading(const std::string& path) {
    return openChecked(path, O_RDONLY, false);
}

OpenedFile openForAppending(const std::string& path, bool terminalToo) {
    return openChecked(path, O_WRONLY | O_APPEND | O_CREAT, terminalToo);
}

OpenedFile openForWriting(const std::string& path) {
    return openChecked(path, O_WRONLY, false);
}

int writeAll(int fd, const void* data, std::size_t size) {
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd, p, size);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return errno;
        if (n == 0) return ENOSPC;
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return 0;
}

ReadUpTo readUpTo(int fd, void* data, std::size_t size) {
    ReadUpTo r;
    char* p = static_cast<char*>(data);
    while (r.bytes < size) {
        const ssize_t n = ::read(fd, p + r.bytes, size - r.bytes);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            r.error = errno;
            break;
        }
        if (n == 0) break;
        r.bytes += static_cast<std::size_t>(n);
    }
    return r;
}

Result<FileStart> readFileStart(const std::string& path, std::size_t most) {
    OpenedFile file = openForReading(path);
    if (!file.fd.valid()) return Failure{fileErrorText(file.error, path)};
    struct stat st {};
    if (::fstat(file.fd.get(), &st) != 0) return Failure{fileErrorText(errno)};
    FileStart start;
    start.bytes.resize(most);
    const ReadUpTo read = readUpTo(file.fd.get(), start.bytes.data(), most);
    if (read.error) return Failure{fileErrorText(read.error)};
    start.bytes.resize(read.bytes);
    const auto n = static_cast<std::int64_t>(read.bytes);
    start.size = read.bytes < most ? n : std::max<std::int64_t>(st.st_size, n);
    return start;
}

}  // namespace velmira
