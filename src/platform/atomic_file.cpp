#include "platform/atomic_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFileInfo>
#include <cerrno>
#include <cstdio>  // renameat2
#include <cstring>

#include "platform/host_file.h"

namespace velmira {
namespace {

bool isTempName(const char* name, const QByteArray& base) {
    const QByteArray prefix = base + AtomicFile::kTempInfix;
    if (std::strlen(name) != static_cast<std::size_t>(prefix.size()) + 6) return false;
    if (std::strncmp(name, prefix.constData(), static_cast<std::size_t>(prefix.size())) != 0) {
        return false;
    }
    for (const char* c = name + prefix.size(); *c; ++c) {
        const bool alnum =
            (*c >= 'a' && *c <= 'z') || (*c >= 'A' && *c <= 'Z') || (*c >= '0' && *c <= '9');
        if (!alnum) return false;
    }
    return true;
}

mode_t newFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0644 & ~mask;
}

}  // namespace

AtomicFile::AtomicFile(QString path, QString model)
    : path_(std::move(path)), model_(std::move(model)) {}

AtomicFile::~AtomicFile() {
    discard();
}

int AtomicFile::open() {
    tempPath_ = QFile::encodeName(path_) + kTempInfix + "XXXXXX";
    fd_ = ::mkstemp(tempPath_.data());
    if (fd_ < 0) {
        const int error = errno;
        tempPath_.clear();
        return error;
    }
    if (const int error = takeModeAndOwner()) {
        discard();
        return error;
    }
    return 0;
}

int AtomicFile::takeModeAndOwner() {
    const bool replacing = model_.isEmpty();
    struct stat old {};
    const QByteArray model = QFile::encodeName(replacing ? path_ : model_);
    if (::stat(model.constData(), &old) != 0 || !S_ISREG(old.st_mode)) {
        ::fchmod(fd_, newFileMode());
        return 0;
    }
    struct stat made {};
    const bool differs =
        ::fstat(fd_, &made) != 0 || made.st_uid != old.st_uid || made.st_gid != old.st_gid;
    // Owner first: a change of owner may clear mode bits.
    if (differs && ::fchown(fd_, old.st_uid, old.st_gid) != 0 && replacing) return kNotTheOwner;
    ::fchmod(fd_, old.st_mode & 07777);
    return 0;
}

int AtomicFile::write(const void* data, std::size_t size) {
    if (fd_ < 0) return EBADF;
    if (failed_) return failed_;
    failed_ = writeAll(fd_, data, size);
    return failed_;
}

int AtomicFile::writeRestOf(int fd) {
    char chunk[64 * 1024];
    for (;;) {
        const ReadUpTo read = readUpTo(fd, chunk, sizeof chunk);
        if (const int error = write(chunk, read.bytes)) return error;
        if (read.error) return read.error;
        if (read.bytes < sizeof chunk) return 0;
    }
}

int AtomicFile::commit(bool replace) {
    if (fd_ < 0) return EBADF;
    if (failed_) return failed_;
    int error = ::fsync(fd_) == 0 ? 0 : errno;
    if (::close(fd_) != 0 && error == 0) error = errno;
    fd_ = -1;
    if (error == 0 &&
        ::renameat2(AT_FDCWD, tempPath_.constData(), AT_FDCWD, QFile::encodeName(path_).constData(),
                    replace ? 0 : RENAME_NOREPLACE) != 0) {
        error = errno;
    }
    if (error != 0) {
        discard();
        return error;
    }
    tempPath_.clear();
    // Make the rename itself durable.
    const QByteArray folder = QFile::encodeName(QFileInfo(path_).absolutePath());
    if (const int dir = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return 0;
}

void AtomicFile::removeLeftovers(const QString& path) {
    const QFileInfo info(path);
    const QByteArray folder = QFile::encodeName(info.absolutePath());
    const QByteArray base = QFile::encodeName(info.fileName());
    DIR* dir = ::opendir(folder.constData());
    if (!dir) return;
    while (const dirent* entry = ::readdir(dir)) {
        if (!isTempName(entry->d_name, base)) continue;
        const QByteArray leftover = folder + '/' + entry->d_name;
        struct stat st {};
        if (::lstat(leftover.constData(), &st) == 0 && S_ISREG(st.st_mode)) {
            ::unlink(leftover.constData());
        }
    }
    ::closedir(dir);
}

void AtomicFile::discard() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!tempPath_.isEmpty()) ::unlink(tempPath_.constData());
    tempPath_.clear();
}

}  // namespace velmira
