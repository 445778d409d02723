#include "settings/settings_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <optional>

#include "platform/atomic_file.h"
#include "platform/host_file.h"
#include "settings/encoder_table.h"
#include "settings/settings_backups.h"

namespace velmira {
namespace {

constexpr qint64 kImageBytes = static_cast<qint64>(SettingsImage::kBytes);

std::string encoded(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

// Copies whatever follows the image in the old file. Returns errno, 0 for success.
int copyTail(const QString& oldPath, AtomicFile& out) {
    OpenedFile old = openForReading(encoded(oldPath));
    if (!old.fd.valid()) return old.error == ENOENT ? 0 : old.error;
    if (::lseek(old.fd.get(), kImageBytes, SEEK_SET) < 0) return errno;
    return out.writeRestOf(old.fd.get());
}

// The controller's own save: the image over the first bytes of the file,
// every byte checked, for a writable file in a folder that takes no new file.
int writeInPlace(const SettingsImage::Bytes& bytes, const QString& path) {
    OpenedFile file = openForWriting(encoded(path));
    if (!file.fd.valid()) return file.error;
    if (const int error = writeAll(file.fd.get(), bytes.data(), bytes.size())) return error;
    return ::fsync(file.fd.get()) == 0 ? 0 : errno;
}

}  // namespace

std::optional<std::string> tooLongToSave(std::int64_t size) {
    if (size <= kImageBytes + kMostBytesAfterImage) return std::nullopt;
    return "is " + std::to_string(size) + " bytes long, more than the " +
           std::to_string(kImageBytes) +
           " of the image and the 1 MiB after it that a save keeps: move it aside to save";
}

Result<ImageWritten> writeImageFile(const SettingsImage& image, const QString& target,
                                    const FolderLock& lock, const ImageWriteRules& rules) {
    const auto text = [&](int error) { return fileErrorText(error, encoded(target), rules.on); };
    const auto failed = [&](int error) { return Failure{text(error)}; };
    const auto noBackup = [&](int error) {
        return Failure{kBackupNotMadeText + text(error) + "), so it was left as it was"};
    };
    const std::string targetName = encoded(target);
    struct stat st {};
    const bool exists = ::stat(targetName.c_str(), &st) == 0;
    if (exists && !S_ISREG(st.st_mode)) return failed(kNotRegularFile);
    // A file the user may not write is not replaced behind its back.
    if (exists && ::access(targetName.c_str(), W_OK) != 0) {
        return failed(errno);
    }
    const std::optional<std::string> tooLong = exists ? tooLongToSave(st.st_size) : std::nullopt;
    if (tooLong) return Failure{*tooLong};
    if (lock.held()) {
        AtomicFile::removeLeftovers(target);
        removeBackupLeftovers(target);
    }

    const SettingsImage::Bytes bytes = image.toBytes();
    // On any failure the temporary file is discarded and the old file stays.
    const Replaced replaced = replaceKeepingBackup(
        target, rules.backups,
        [&](AtomicFile& file) {
            const int error = file.write(bytes.data(), bytes.size());
            return error ? error : copyTail(target, file);
        },
        QDateTime::currentDateTime(), rules.mode);
    const bool backupDue = exists && rules.backups > 0 && rules.mode != BackupMode::None;
    if (replaced.openFailed) {
        const int error = replaced.error;
        const bool noNewFile = error == EACCES || error == EPERM || error == EROFS;
        if (!exists || !noNewFile) return failed(error);
        // A folder that takes no new file takes no backup either.
        if (backupDue && rules.mode == BackupMode::Required) return noBackup(error);
        if (const int inPlace = writeInPlace(bytes, target)) return failed(inPlace);
        ImageWritten written;
        if (backupDue) written.backupSkipped = text(error);
        return written;
    }
    if (replaced.backupFailed) return noBackup(replaced.backupError);
    if (replaced.error) return failed(replaced.error);
    ImageWritten written;
    if (replaced.backupError) written.backupSkipped = text(replaced.backupError);
    written.backup = replaced.backup;
    written.pruned = replaced.pruned;
    return written;
}

namespace {

// The folders the file needs on the card, outermost first. The card folder
// itself is never made: one missing is a card that is not there.
constexpr const char* kCardFolders[] = {"\\CompactFlash\\Pelmoran", kConfigFolder};

std::string cardText(int error) {
    return fileErrorText(error, {}, FileOn::Card);
}

// Writes the image onto the card; a failure says why, for the line under
// kWriteFailedText.
Result<ImageWritten> writeImage(const SettingsImage& image, const CardFiles& card,
                                const QString& path, int backups,
                                std::chrono::milliseconds lockWait) {
    for (const char* controllerFolder : kCardFolders) {
        const std::optional<QString> folder = card.hostPath(controllerFolder);
        if (!folder) return Failure{cardText(kOffTheCard)};
        if (!QFileInfo(*folder).isDir() && ::mkdir(encoded(*folder).c_str(), 0777) != 0) {
            return Failure{cardText(errno == EEXIST ? ENOTDIR : errno)};  // a file stands there
        }
    }
    // A link is followed: the file it names is replaced, in its own folder.
    const CardFiles::LinkEnd followed = card.followLinks(path);
    if (followed.error) return Failure{cardText(followed.error)};
    const FolderLock lock(followed.path, FolderLock::Mode::Exclusive, lockWait);
    if (lock.busy()) return Failure{kLockedText};
    return writeImageFile(image, followed.path, lock,
                          {backups, BackupMode::SkipWhenImpossible, FileOn::Card});
}

void applyRecord(MotionLibrary& lib, std::uint8_t card, std::uint16_t mask, const AxisSettings& r) {
    const auto low8 = [](std::int32_t v) { return static_cast<std::uint8_t>(v); };
    if (r.pulseMode.enabled) lib.SET_PULSE_MODE(card, mask, low8(r.pulseMode.first));
    if (r.maxV.enabled) lib.SET_MAX_V(card, mask, r.maxV.first);
    if (r.hardLimit.enabled) {
        lib.SET_HLMT(card, mask, low8(r.hardLimit.first), low8(r.hardLimit.second));
    }
    if (r.limitStopMode.enabled) lib.LIMITSTOP_MODE(card, mask, low8(r.limitStopMode.first));
    if (r.nearHome.enabled) lib.SET_NHOME(card, mask, low8(r.nearHome.first));
    if (r.homeEdge.enabled) lib.SET_HOME_EDGE(card, mask, low8(r.homeEdge.first));
    if (r.encoder.enabled) {
        const EncoderSetting e = encoderSettingFor(r.encoder.first);
        lib.SET_ENCODER(card, mask, e.mode, e.division, low8(r.encoder.second));
    }
    if (r.servoOn.enabled) {
        lib.SERVO_ON(card, mask);
    } else {
        lib.SERVO_OFF(card, mask);
    }
    if (r.alarm.enabled) lib.SET_ALARM(card, mask, 1, low8(r.alarm.first));
    if (r.inPos.enabled) lib.SET_INPOS(card, mask, 1, low8(r.inPos.first));
    if (r.filter.enabled) {
        lib.SET_FILTER(card, mask, static_cast<std::uint16_t>(r.filter.first),
                       static_cast<std::uint16_t>(r.filter.second));
    }
    if (r.vring.enabled) lib.VRING_ENABLE(card, mask, r.vring.first);
    if (r.avtri.enabled) {
        lib.AVTRI_ENABLE(card, mask);
    } else {
        lib.AVTRI_DISABLE(card, mask);
    }
}

}  // namespace

void removeSaveLeftovers(const CardFiles& card) {
    const auto path = card.hostPath(kConfigFile);
    if (!path) return;
    const CardFiles::LinkEnd target = card.followLinks(*path);
    if (target.error) return;
    // A save under way holds the lock: what it made is its own, and the next
    // save removes what is left.
    const FolderLock lock(target.path, FolderLock::Mode::Exclusive, std::chrono::milliseconds(0));
    if (!lock.held()) return;
    AtomicFile::removeLeftovers(target.path);
    removeBackupLeftovers(target.path);
}

SaveResult saveSettings(const SettingsImage& image, const CardFiles& card, int backups,
                        std::chrono::milliseconds lockWait) {
    const auto path = card.hostPath(kConfigFile);
    const Result<ImageWritten> written =
        path ? writeImage(image, card, *path, backups, lockWait) : Failure{cardText(kOffTheCard)};
    // The message stays what users know; the reason follows on its own line.
    if (!written.ok()) return Failure{std::string(kWriteFailedText) + "\n" + written.error()};
    return SavedBackups{written->backupSkipped, written->pruned, backups};
}

std::string backupSkippedText(const std::string& reason) {
    return "The backup of the previous file was skipped: " + reason;
}

std::string backupNotes(const SaveResult& saved) {
    if (!saved.ok()) return {};
    std::string notes;
    if (!saved->backupSkipped.empty()) notes = backupSkippedText(saved->backupSkipped);
    if (const std::string pruned = prunedText(saved->pruned, saved->backups); !pruned.empty()) {
        notes += (notes.empty() ? "" : "\n") + pruned;
    }
    return notes;
}

Result<> loadAndApplySettings(SettingsImage& image, std::uint8_t card, ModuleKind kind,
                              const Hardware& hw, const CardFiles& files,
                              std::chrono::milliseconds lockWait) {
    const auto path = files.hostPath(kConfigFile);
    const CardFiles::LinkEnd target =
        path ? files.followLinks(*path) : CardFiles::LinkEnd{{}, kOffTheCard};
    const Result<FileStart> read = [&]() -> Result<FileStart> {
        if (target.error) return Failure{cardText(target.error)};
        const FolderLock lock(target.path, FolderLock::Mode::Shared, lockWait);
        if (lock.busy()) return Failure{kLockedText};
        return readFileStart(encoded(target.path), SettingsImage::kBytes);
    }();
    if (!read.ok()) return Failure{std::string(kOpenFailedText) + "\n" + read.error()};
    image.assignPrefix(read->bytes);
    applyCardSettings(image, card, kind, hw);
    return {};
}

void applyCardSettings(const SettingsImage& image, std::uint8_t card, ModuleKind kind,
                       const Hardware& hw) {
    MotionLibrary* lib = hw.library(kind);
    if (!lib || card >= kCardRows) return;
    for (int axis = 0; axis < axisCount(kind); ++axis) {
        applyRecord(*lib, card, static_cast<std::uint16_t>(1u << axis), image.record(card, axis));
    }
}

}  // namespace velmira
