#pragma once

#include <QString>
#include <chrono>

#include "platform/host_file.h"

namespace velmira {

// An advisory lock (flock) on the folder that holds a file. A writer holds it
// from reading the file to renaming its new version over it, so that the
// temporary files found by whoever holds it belong to no live writer, and two
// read-change-writes never interleave. The lock goes with the process: a
// killed writer leaves none behind.
class FolderLock {
  public:
    enum class Mode { Shared, Exclusive };

    FolderLock() = default;
    // Tries for up to `wait`.
    FolderLock(const QString& file, Mode mode, std::chrono::milliseconds wait);

    bool held() const { return fd_.valid(); }
    // Why it is not held: EWOULDBLOCK when another process kept it past the
    // wait, or why the folder could not be opened (errno).
    int error() const { return error_; }
    bool busy() const;

  private:
    FileDescriptor fd_;
    int error_ = 0;
};

}  // namespace velmira
