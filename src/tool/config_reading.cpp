#include "tool/config_reading.h"

#include <unistd.h>

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/host_file.h"
#include "platform/printable.h"

namespace velmira {
namespace {

constexpr std::size_t kChunk = 64 * 1024;

// A file opened at the end of the image; a failure names it.
Result<OpenedFile> openAtTail(const QString& path) {
    const std::string name = QFile::encodeName(path).toStdString();
    const auto failed = [&](const std::string& why) {
        return Failure{quotedForMessage(name) + ": " + why};
    };
    OpenedFile file = openForReading(name);
    if (!file.fd.valid()) return failed(fileErrorText(file.error, name));
    if (::lseek(file.fd.get(), static_cast<off_t>(SettingsImage::kBytes), SEEK_SET) < 0) {
        return failed(fileErrorText(errno));
    }
    return file;
}

}  // namespace

Result<ConfigRead> readConfigFile(const QString& path) {
    const Result<FileStart> start =
        readFileStart(QFile::encodeName(path).toStdString(), SettingsImage::kBytes);
    if (!start.ok()) return Failure{start.error()};
    ConfigRead out;
    out.image.assignPrefix(start->bytes);
    out.size = start->size;
    return out;
}

Result<bool> compareTails(const QString& a, const QString& b) {
    Result<OpenedFile> fa = openAtTail(a);
    if (!fa.ok()) return Failure{fa.error()};
    Result<OpenedFile> fb = openAtTail(b);
    if (!fb.ok()) return Failure{fb.error()};
    std::vector<std::uint8_t> ca(kChunk), cb(kChunk);
    for (;;) {
        const ReadUpTo na = readUpTo(fa->fd.get(), ca.data(), kChunk);
        const ReadUpTo nb = readUpTo(fb->fd.get(), cb.data(), kChunk);
        if (na.error || nb.error) {
            const bool first = na.error != 0;
            return Failure{quotedForMessage(QFile::encodeName(first ? a : b).toStdString()) + ": " +
                           fileErrorText(first ? na.error : nb.error)};
        }
        if (na.bytes != nb.bytes || std::memcmp(ca.data(), cb.data(), na.bytes) != 0) return false;
        if (na.bytes == 0) return true;
    }
}

}  // namespace velmira
