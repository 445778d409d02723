#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "hw/motion_library.h"
#include "platform/card_files.h"
#include "platform/folder_lock.h"
#include "platform/host_file.h"
#include "platform/result.h"
#include "settings/settings_backups.h"
#include "settings/settings_image.h"

namespace velmira {

inline constexpr char kConfigFolder[] = "\\CompactFlash\\Pelmoran\\Orvo";
inline constexpr char kConfigFile[] = "\\CompactFlash\\Pelmoran\\Orvo\\lorvex_Config.ini";
inline constexpr char kWriteFailedText[] = "Can not write the Configuration INI File";
inline constexpr char kOpenFailedText[] = "Can not open the Configuration INI File";

// A file with more than this after the image is refused by every save: a
// save copies those bytes into the new file, and its backup copies them
// again, so a huge (even sparse) file would fill the card and hold up the
// screen. A backup made is always the whole file.
inline constexpr std::int64_t kMostBytesAfterImage = 1 << 20;

// How long the screens wait for a save of another process to end before they
// say so; the file tool waits longer.
inline constexpr std::chrono::milliseconds kScreenLockWait{1000};

// What a save did with the backups, for the message that says it saved.
struct SavedBackups {
    std::string backupSkipped;  // why the previous file has no backup, when it has none
    std::vector<QString> pruned;
    int backups = kDefaultBackups;
};
// A failure is the whole message for the user: kWriteFailedText, then the
// reason on its own line.
using SaveResult = Result<SavedBackups>;

// Writes the whole image. The file is replaced in one step (a temporary file
// beside it, flushed, then renamed over it), so it is never torn; bytes after
// the image in a longer existing file are kept, and the previous file is kept
// as one of `backups` backups beside it. The folders it needs on the card
// (Pelmoran/Orvo) are made, never the card itself.
SaveResult saveSettings(const SettingsImage& image, const CardFiles& card,
                        int backups = kDefaultBackups,
                        std::chrono::milliseconds lockWait = kScreenLockWait);

// The line that tells the user a save went without its backup.
std::string backupSkippedText(const std::string& reason);

// What a save's message adds about its backups, one line each; empty when
// nothing (or when the save failed).
std::string backupNotes(const SaveResult& saved);

// Why a file of this size is not saved over, or nothing when it may be.
std::optional<std::string> tooLongToSave(std::int64_t size);

// Why the folder's lock could not be had in time.
inline constexpr char kLockedText[] =
    "another save of it is under way (by this program or velmira-config); try again";

struct ImageWritten {
    std::string backupSkipped;
    QString backup;  // the backup made, if any
    std::vector<QString> pruned;
};
// How the failure of a required backup begins: nothing was replaced.
inline constexpr char kBackupNotMadeText[] = "its backup could not be made (";

struct ImageWriteRules {
    int backups = kDefaultBackups;
    BackupMode mode = BackupMode::SkipWhenImpossible;
    FileOn on = FileOn::Disk;
};

// The save itself, on any host path: what the program and the file tool share.
// The caller holds `lock`, the exclusive lock of the target's folder, from
// before it read the file; without it, no leftovers are removed.
// A failure says why nothing was written.
Result<ImageWritten> writeImageFile(const SettingsImage& image, const QString& target,
                                    const FolderLock& lock, const ImageWriteRules& rules);

// Removes what saves interrupted by a crash or a kill left beside the file,
// when no other save is under way (the program does so at start).
void removeSaveLeftovers(const CardFiles& card);

// Reads the file into the image (a short file replaces only what it holds) and
// applies the records of the card to the module of the given kind. A failure
// (kOpenFailedText, then the reason on its own line) leaves the image
// unchanged and applies nothing.
Result<> loadAndApplySettings(SettingsImage& image, std::uint8_t card, ModuleKind kind,
                              const Hardware& hw, const CardFiles& files,
                              std::chrono::milliseconds lockWait = kScreenLockWait);

// Sends one card's stored settings to its module: one round per axis.
void applyCardSettings(const SettingsImage& image, std::uint8_t card, ModuleKind kind,
                       const Hardware& hw);

}  // namespace velmira
