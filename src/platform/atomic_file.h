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

    // The new file is made like `model` (by default the file it replaces).
    explicit AtomicFile(QString path, QString model = {});
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // A new file gets 0644 less the umask; one made like an existing file
    // takes its mode, and its owner and group. When the owner and group of
    // the file it replaces cannot be kept (only root may give a file away),
    // open() fails with kNotTheOwner; a copy of another file keeps what it can.
    int open();
    int write(const void* data, std::size_t size);
    // Writes what is left to read of `fd`, in chunks, so a file of any size
    // costs a fixed amount of memory.
    int writeRestOf(int fd);
    // With `replace` false, a file that has come to the path meanwhile is kept
    // and commit() fails with EEXIST.
    int commit(bool replace = true);

    // Removes what interrupted saves of this file left beside it: regular
    // files of exactly the temporary-file pattern, nothing else. Only for a
    // caller that holds the folder's lock (FolderLock), or it may take a live
    // writer's file.
    static void removeLeftovers(const QString& path);

  private:
    void discard();

    int takeModeAndOwner();

    QString path_;
    QString model_;
    QByteArray tempPath_;
    int fd_ = -1;
    int failed_ = 0;
};

}  // namespace velmira
