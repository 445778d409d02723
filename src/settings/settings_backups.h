#pragma once

#include <QDateTime>
#include <QString>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/atomic_file.h"
#include "settings/backup_policy.h"

namespace velmira {

// Backups are named <file>.NNNNNN-YYYYMMDD-HHMMSS.bak: a number one above the
// highest before it, which alone orders them, and the local time it was taken
// at, for people (clocks step back, and zones change). Backups made before
// the numbers, <file>.YYYYMMDD-HHMMSS[-N].bak, are still found and restored;
// they count as older than every numbered one.
QString backupName(const QString& file, long long number, const QDateTime& when);

// The backups of `file` found beside it, oldest first.
std::vector<QString> listBackups(const QString& file);

// The file a backup belongs to, or nothing when the name is no backup's.
std::optional<QString> backupOwner(const QString& backup);

// Removes the oldest backups of `file` until `keep` remain, never `spare` (the
// backup just made); returns those removed.
std::vector<QString> pruneBackups(const QString& file, int keep, const QString& spare = {});

// Removes temporary files that interrupted backups left beside `file`. Only
// with the folder's lock held (FolderLock).
void removeBackupLeftovers(const QString& file);

enum class BackupMode {
    SkipWhenImpossible,  // a backup that cannot be made is skipped and said
    Required,            // a backup that cannot be made stops the replacement
    None,                // no backup is made, and none removed
};

struct Replaced {
    int error = 0;              // errno; 0 when the file was replaced
    bool openFailed = false;    // no temporary file could be made beside it
    bool backupFailed = false;  // a required backup could not be made: nothing replaced
    std::string backupSkipped;  // why a backup that was due is missing
    int backupError = 0;        // the same as errno
    QString backup;             // the backup made, if any
    std::vector<QString> pruned;
};

// Replaces `target` in one step with what `write` puts into the temporary file.
// When the target exists and `keep` is above zero, a copy of it is kept as a
// backup first; a backup that cannot be made (a full card) is skipped and the
// replacement goes on, unless it is required. The backup is taken after the new
// content is on the card, so a card with room for one more file keeps the new
// file. Then the oldest backups are removed down to `keep` (with `keep` 0 all
// of them), but only when a backup was made or none is wanted. The caller
// holds the folder's lock.
Replaced replaceKeepingBackup(const QString& target, int keep,
                              const std::function<int(AtomicFile&)>& write,
                              const QDateTime& now = QDateTime::currentDateTime(),
                              BackupMode mode = BackupMode::SkipWhenImpossible);

// Appends all of `source` to `out`, in chunks. Returns errno, 0 for success.
int copyInto(const QString& source, AtomicFile& out);

// "Removed the oldest backup, NAME (5 are kept)." and the like; empty when
// nothing was removed.
std::string prunedText(const std::vector<QString>& pruned, int keep);

}  // namespace velmira
