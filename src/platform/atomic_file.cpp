#include "platform/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFileInfo>
#include <cerrno>
#include <cstdio>

namespace velmira {

AtomicFile::AtomicFile(QString path) : path_(std::move(path)) {}

AtomicFile::~AtomicFile() {
    discard();
}

bool AtomicFile::open() {
    tempPath_ = QFile::encodeName(path_) + ".XXXXXX";
    fd_ = ::mkstemp(tempPath_.data());
    if (fd_ < 0) {
        tempPath_.clear();
        return false;
    }
    // Keep the old file's permissions; a new file gets the usual ones.
    struct stat old {};
    const mode_t mode =
        ::stat(QFile::encodeName(path_).constData(), &old) == 0 ? (old.st_mode & 07777) : 0644;
    ::fchmod(fd_, mode);
    return true;
}

bool AtomicFile::write(const void* data, std::size_t size) {
    if (fd_ < 0 || failed_) return false;
    const char* p = static_cast<const char*>(data);
    // A full card shows as a short write followed by an error; both count.
    while (size > 0) {
        const ssize_t n = ::write(fd_, p, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            failed_ = true;
            return false;
        }
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool AtomicFile::commit() {
    if (fd_ < 0 || failed_) return false;
    const bool flushed = ::fsync(fd_) == 0;
    const bool closed = ::close(fd_) == 0;
    fd_ = -1;
    if (!flushed || !closed ||
        ::rename(tempPath_.constData(), QFile::encodeName(path_).constData()) != 0) {
        discard();
        return false;
    }
    tempPath_.clear();
    // Make the rename itself durable.
    const QByteArray folder = QFile::encodeName(QFileInfo(path_).absolutePath());
    if (const int dir = ::open(folder.constData(), O_RDONLY | O_DIRECTORY); dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

void AtomicFile::discard() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!tempPath_.isEmpty()) ::unlink(tempPath_.constData());
    tempPath_.clear();
}

}  // namespace velmira
