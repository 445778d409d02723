#pragma once

#include <QString>
#include <cstddef>

namespace velmira {

// Replaces a regular file in one step: everything goes to a temporary file
// beside it, every byte of every write is checked, and only a complete,
// flushed file is renamed over the old one. Until commit() succeeds the old
// file is untouched; a temporary file that is not committed is removed. The
// results are errno values, 0 for success.
class AtomicFile {
  public:
    // The temporary files are named <file>.tmp-XXXXXX, six letters or digits.
    static constexpr char kTempInfix[] = ".tmp-";

    explicit AtomicFile(QString path);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // A new file gets 0644 less the umask, an existing one keeps its mode.
    int open();
    int write(const void* data, std::size_t size);
    int commit();

    // Removes what interrupted saves of this file left beside it: regular
    // files of exactly the temporary-file pattern, nothing else.
    static void removeLeftovers(const QString& path);

  private:
    void discard();

    QString path_;
    QByteArray tempPath_;
    int fd_ = -1;
    int failed_ = 0;
};

}  // namespace velmira
