#pragma once

#include <QString>
#include <cstddef>

namespace velmira {

// Replaces a file in one step: everything goes to a temporary file beside it,
// every byte of every write is checked, and only a complete, flushed file is
// renamed over the old one. Until commit() succeeds the old file is untouched;
// a temporary file that is not committed is removed.
class AtomicFile {
  public:
    explicit AtomicFile(QString path);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    bool open();
    bool write(const void* data, std::size_t size);
    bool commit();

  private:
    void discard();

    QString path_;
    QByteArray tempPath_;
    int fd_ = -1;
    bool failed_ = false;
};

}  // namespace velmira
