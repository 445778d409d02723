#include "settings/settings_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "platform/atomic_file.h"
#include "settings/encoder_table.h"

namespace velmira {
namespace {

constexpr qint64 kImageBytes = static_cast<qint64>(SettingsImage::kBytes);

// Copies whatever follows the image in the old file, in chunks, so a file of
// any size costs a fixed amount of memory.
bool copyTail(const QString& oldPath, AtomicFile& out) {
    QFile old(oldPath);
    if (!old.exists() || old.size() <= kImageBytes) return true;
    if (!old.open(QIODevice::ReadOnly) || !old.seek(kImageBytes)) return false;
    char chunk[64 * 1024];
    for (;;) {
        const qint64 n = old.read(chunk, sizeof chunk);
        if (n < 0) return false;
        if (n == 0) return true;
        if (!out.write(chunk, static_cast<std::size_t>(n))) return false;
    }
}

bool writeImage(const SettingsImage& image, const QString& folder, const QString& path) {
    // Like the controller, create the last folder level only: its parent must exist.
    if (!QFileInfo(folder).isDir() && !QDir().mkdir(folder)) return false;
    AtomicFile file(path);
    const SettingsImage::Bytes bytes = image.toBytes();
    // On any failure the temporary file is discarded and the old file stays.
    return file.open() && file.write(bytes.data(), bytes.size()) && copyTail(path, file) &&
           file.commit();
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

int saveSettings(const SettingsImage& image, const CardFiles& card, MessageBoxes& boxes) {
    const auto folder = card.hostPath(kConfigFolder);
    const auto path = card.hostPath(kConfigFile);
    if (!folder || !path || !writeImage(image, *folder, *path)) {
        boxes.error(kWriteFailedText);
        return -1;
    }
    return 0;
}

int loadAndApplySettings(SettingsImage& image, std::uint8_t card, ModuleKind kind,
                         const Hardware& hw, const CardFiles& files, MessageBoxes& boxes) {
    const auto path = files.hostPath(kConfigFile);
    QFile file(path.value_or(QString()));
    QByteArray bytes;
    if (path && file.open(QIODevice::ReadOnly)) bytes = file.read(kImageBytes);
    if (!file.isOpen() || file.error() != QFileDevice::NoError) {
        boxes.error(kOpenFailedText);
        return -1;
    }
    image.assignPrefix({reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                        static_cast<std::size_t>(bytes.size())});
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
