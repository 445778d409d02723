#include "settings/settings_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <optional>
#include <vector>

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

// Copies whatever follows the image in the old file, in chunks, so a file of
// any size costs a fixed amount of memory. Returns errno, 0 for success.
int copyTail(const QString& oldPath, AtomicFile& out) {
    OpenedFile old = openForReading(encoded(oldPath));
    if (!old.fd.valid()) return old.error == ENOENT ? 0 : old.error;
    if (::lseek(old.fd.get(), kImageBytes, SEEK_SET) < 0) return errno;
    char chunk[64 * 1024];
    for (;;) {
        const ssize_t n = ::read(old.fd.get(), chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return errno;
        if (n == 0) return 0;
        if (const int error = out.write(chunk, static_cast<std::size_t>(n))) return error;
    }
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

ImageWrite writeImageFile(const SettingsImage& image, const QString& target, const FolderLock& lock,
                          const ImageWriteRules& rules) {
    ImageWrite out;
    const auto text = [&](int error) { return fileErrorText(error, encoded(target), rules.on); };
    const auto noBackup = [&](int error) {
        out.failed = "its backup could not be made (" + text(error) + "), so it was left as it was";
        out.backupFailed = true;
    };
    const std::string targetName = encoded(target);
    struct stat st {};
    const bool exists = ::stat(targetName.c_str(), &st) == 0;
    if (exists && !S_ISREG(st.st_mode)) {
        out.failed = text(kNotRegularFile);
        return out;
    }
    // A file the user may not write is not replaced behind its back.
    if (exists && ::access(targetName.c_str(), W_OK) != 0) {
        out.failed = text(errno);
        return out;
    }
    if (exists) out.failed = tooLongToSave(st.st_size);
    if (out.failed) return out;
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
        if (exists && noNewFile) {
            // A folder that takes no new file takes no backup either.
            if (backupDue && rules.mode == BackupMode::Required) {
                noBackup(error);
            } else if (const int inPlace = writeInPlace(bytes, target)) {
                out.failed = text(inPlace);
            } else if (backupDue) {
                out.backupSkipped = text(error);
            }
            return out;
        }
        out.failed = text(error);
        return out;
    }
    if (replaced.backupFailed) {
        noBackup(replaced.backupError);
        return out;
    }
    if (replaced.error) {
        out.failed = text(replaced.error);
        return out;
    }
    if (replaced.backupError) out.backupSkipped = text(replaced.backupError);
    out.backup = replaced.backup;
    out.pruned = replaced.pruned;
    return out;
}

namespace {

// The folders the file needs on the card, outermost first. The card folder
// itself is never made: one missing is a card that is not there.
constexpr const char* kCardFolders[] = {"\\CompactFlash\\Pelmoran", kConfigFolder};

std::string cardText(int error) {
    return fileErrorText(error, {}, FileOn::Card);
}

// Writes the image onto the card; returns the reason it could not, or nothing.
ImageWrite writeImage(const SettingsImage& image, const CardFiles& card, const QString& path,
                      int backups, std::chrono::milliseconds lockWait) {
    ImageWrite out;
    for (const char* controllerFolder : kCardFolders) {
        const std::optional<QString> folder = card.hostPath(controllerFolder);
        if (!folder) {
            out.failed = cardText(kOffTheCard);
            return out;
        }
        if (!QFileInfo(*folder).isDir() && ::mkdir(encoded(*folder).c_str(), 0777) != 0) {
            out.failed = cardText(errno == EEXIST ? ENOTDIR : errno);  // a file stands there
            return out;
        }
    }
    // A link is followed: the file it names is replaced, in its own folder.
    const CardFiles::LinkEnd followed = card.followLinks(path);
    if (followed.error) {
        out.failed = cardText(followed.error);
        return out;
    }
    const FolderLock lock(followed.path, FolderLock::Mode::Exclusive, lockWait);
    if (lock.busy()) {
        out.failed = kLockedText;
        return out;
    }
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

SaveResult saveSettings(const SettingsImage& image, const CardFiles& card, MessageBoxes& boxes,
                        int backups, std::chrono::milliseconds lockWait) {
    const auto path = card.hostPath(kConfigFile);
    ImageWrite written;
    if (path) {
        written = writeImage(image, card, *path, backups, lockWait);
    } else {
        written.failed = cardText(kOffTheCard);
    }
    if (written.failed) {
        // The message stays what users know; the reason follows on its own line.
        boxes.error(std::string(kWriteFailedText) + "\n" + *written.failed);
        return {-1, {}, {}, backups};
    }
    return {0, written.backupSkipped, written.pruned, backups};
}

std::string backupSkippedText(const std::string& reason) {
    return "The backup of the previous file was skipped: " + reason;
}

std::string backupNotes(const SaveResult& saved) {
    std::string notes;
    if (!saved.backupSkipped.empty()) notes = backupSkippedText(saved.backupSkipped);
    if (const std::string pruned = prunedText(saved.pruned, saved.backups); !pruned.empty()) {
        notes += (notes.empty() ? "" : "\n") + pruned;
    }
    return notes;
}

namespace {

// Reads up to the image's size; the reason it could not, or nothing.
std::optional<std::string> readImage(const QString& path, std::vector<std::uint8_t>& bytes) {
    const std::string name = encoded(path);
    OpenedFile file = openForReading(name);
    if (!file.fd.valid()) return fileErrorText(file.error, name);
    bytes.resize(SettingsImage::kBytes);
    std::size_t size = 0;
    while (size < bytes.size()) {
        const ssize_t n = ::read(file.fd.get(), bytes.data() + size, bytes.size() - size);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return fileErrorText(errno);
        if (n == 0) break;
        size += static_cast<std::size_t>(n);
    }
    bytes.resize(size);
    return std::nullopt;
}

}  // namespace

int loadAndApplySettings(SettingsImage& image, std::uint8_t card, ModuleKind kind,
                         const Hardware& hw, const CardFiles& files, MessageBoxes& boxes,
                         std::chrono::milliseconds lockWait) {
    const auto path = files.hostPath(kConfigFile);
    std::vector<std::uint8_t> bytes;
    const CardFiles::LinkEnd target =
        path ? files.followLinks(*path) : CardFiles::LinkEnd{{}, kOffTheCard};
    std::optional<std::string> failed;
    if (target.error) {
        failed = cardText(target.error);
    } else if (const FolderLock lock(target.path, FolderLock::Mode::Shared, lockWait);
               lock.busy()) {
        failed = kLockedText;
    } else {
        failed = readImage(target.path, bytes);
    }
    if (failed) {
        boxes.error(std::string(kOpenFailedText) + "\n" + *failed);
        return -1;
    }
    image.assignPrefix(bytes);
    applyCardSettings(image, card, kind, hw);
    return 0;
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
