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

// Backups are named <file>.YYYYMMDD-HHMMSS.bak after the moment they were
// taken; a second one within the same second gets -2, -3, ... before ".bak".
QString backupName(const QString& file, const QDateTime& when, int sequence = 1);

// The backups of `file` found beside it, oldest first.
std::vector<QString> listBackups(const QString& file);

// The file a backup belongs to, or nothing when the name is no backup's.
std::optional<QString> backupOwner(const QString& backup);

// Removes the oldest backups of `file` until `keep` remain.
void pruneBackups(const QString& file, int keep);

// Removes temporary files that interrupted backups left beside `file`.
void removeBackupLeftovers(const QString& file);

struct Replaced {
    int error = 0;              // errno; 0 when the file was replaced
    bool openFailed = false;    // no temporary file could be made beside it
    std::string backupSkipped;  // why a backup that was due is missing
};

// Replaces `target` in one step with what `write` puts into the temporary file.
// When the target exists and `keep` is above zero, a copy of it is kept as a
// backup first; a backup that cannot be made (a full card) is skipped and the
// replacement goes on. The backup is taken after the new content is on the
// card, so a card with room for one more file keeps the new file.
Replaced replaceKeepingBackup(const QString& target, int keep,
                              const std::function<int(AtomicFile&)>& write,
                              const QDateTime& now = QDateTime::currentDateTime());

// Appends all of `source` to `out`, in chunks. Returns errno, 0 for success.
int copyInto(const QString& source, AtomicFile& out);

}  // namespace velmira
