#include "platform/folder_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <thread>

namespace velmira {

FolderLock::FolderLock(const QString& file, Mode mode, std::chrono::milliseconds wait) {
    const QByteArray folder = QFile::encodeName(QFileInfo(file).absolutePath());
    FileDescriptor fd(::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd.valid()) {
        error_ = errno;
        return;
    }
    const int operation = (mode == Mode::Shared ? LOCK_SH : LOCK_EX) | LOCK_NB;
    const auto deadline = std::chrono::steady_clock::now() + wait;
    // Short naps: the holders are saves of a few milliseconds, and a writer
    // that comes back at once must not starve this one.
    auto nap = std::chrono::microseconds(500);
    for (;;) {
        if (::flock(fd.get(), operation) == 0) {
            fd_ = std::move(fd);
            error_ = 0;
            return;
        }
        if (errno == EINTR) continue;
        if (errno != EWOULDBLOCK) {
            error_ = errno;
            return;
        }
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline) {
            error_ = EWOULDBLOCK;
            return;
        }
        std::this_thread::sleep_for(
            std::min<std::chrono::steady_clock::duration>(nap, deadline - now));
        nap = std::min(nap * 2, std::chrono::microseconds(2000));
    }
}

bool FolderLock::busy() const {
    return error_ == EWOULDBLOCK;
}

}  // namespace velmira
