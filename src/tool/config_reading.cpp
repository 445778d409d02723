#include "tool/config_reading.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/host_file.h"

namespace velmira {
namespace {

constexpr std::size_t kChunk = 64 * 1024;

// Reads up to `size` bytes; the count read, or -errno.
ssize_t readUpTo(int fd, std::uint8_t* data, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::read(fd, data + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return -errno;
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    return static_cast<ssize_t>(done);
}

struct Opened {
    OpenedFile file;
    std::optional<std::string> failed;
};

Opened openAtTail(const QString& path) {
    const std::string name = QFile::encodeName(path).toStdString();
    Opened o{openForReading(name), std::nullopt};
    if (!o.file.fd.valid()) {
        o.failed = fileErrorText(o.file.error, name);
    } else if (::lseek(o.file.fd.get(), static_cast<off_t>(SettingsImage::kBytes), SEEK_SET) < 0) {
        o.failed = fileErrorText(errno);
    }
    return o;
}

}  // namespace

ConfigRead readConfigFile(const QString& path) {
    ConfigRead out;
    const std::string name = QFile::encodeName(path).toStdString();
    OpenedFile file = openForReading(name);
    if (!file.fd.valid()) {
        out.failed = fileErrorText(file.error, name);
        return out;
    }
    struct stat st {};
    if (::fstat(file.fd.get(), &st) != 0) {
        out.failed = fileErrorText(errno);
        return out;
    }
    std::vector<std::uint8_t> bytes(SettingsImage::kBytes);
    const ssize_t n = readUpTo(file.fd.get(), bytes.data(), bytes.size());
    if (n < 0) {
        out.failed = fileErrorText(static_cast<int>(-n));
        return out;
    }
    bytes.resize(static_cast<std::size_t>(n));
    out.image.assignPrefix(bytes);
    // A file that shrinks while it is read counts with what was read.
    out.size = static_cast<std::size_t>(n) < SettingsImage::kBytes
                   ? n
                   : std::max<std::int64_t>(st.st_size, n);
    return out;
}

TailCompare compareTails(const QString& a, const QString& b) {
    TailCompare out;
    Opened fa = openAtTail(a);
    if (fa.failed) {
        out.failed = fa.failed;
        out.failedPath = a;
        return out;
    }
    Opened fb = openAtTail(b);
    if (fb.failed) {
        out.failed = fb.failed;
        out.failedPath = b;
        return out;
    }
    std::vector<std::uint8_t> ca(kChunk), cb(kChunk);
    for (;;) {
        const ssize_t na = readUpTo(fa.file.fd.get(), ca.data(), kChunk);
        const ssize_t nb = readUpTo(fb.file.fd.get(), cb.data(), kChunk);
        if (na < 0 || nb < 0) {
            const bool first = na < 0;
            out.failed = fileErrorText(static_cast<int>(first ? -na : -nb));
            out.failedPath = first ? a : b;
            return out;
        }
        if (na != nb || std::memcmp(ca.data(), cb.data(), static_cast<std::size_t>(na)) != 0) {
            out.same = false;
            return out;
        }
        if (na == 0) return out;
    }
}

}  // namespace velmira
