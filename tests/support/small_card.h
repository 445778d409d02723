#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <functional>
#include <optional>
#include <string>

#include "settings/settings_file.h"

namespace velmira::test {

// Writes `text` to a /proc file of this process; false when it cannot.
inline bool writeProc(const char* path, const std::string& text) {
    const int fd = ::open(path, O_WRONLY);
    const bool ok = fd >= 0 && ::write(fd, text.data(), text.size()) == ssize_t(text.size());
    if (fd >= 0) ::close(fd);
    return ok;
}

// Runs `body` in a child with a tmpfs of `size` mounted at `root` (private user and
// mount namespaces: no privilege needed); what it reported, or nothing when impossible.
inline std::optional<std::string> onSmallCard(const QString& root,
                                              const std::function<std::string()>& body,
                                              const char* size = "16k") {
    int pipe[2];
    if (::pipe(pipe) != 0) return std::nullopt;
    const uid_t uid = ::getuid();
    const gid_t gid = ::getgid();
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipe[0]);
        std::string report = "no card";
        if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) == 0 &&
            writeProc("/proc/self/setgroups", "deny") &&
            writeProc("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1") &&
            writeProc("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1") &&
            ::mount("card", root.toLocal8Bit().constData(), "tmpfs", 0,
                    (std::string("size=") + size).c_str()) == 0) {
            report = body();
        }
        [[maybe_unused]] const ssize_t n = ::write(pipe[1], report.data(), report.size());
        ::_exit(0);
    }
    ::close(pipe[1]);
    std::string report;
    char chunk[256];
    for (ssize_t n; (n = ::read(pipe[0], chunk, sizeof chunk)) > 0;) report.append(chunk, n);
    ::close(pipe[0]);
    ::waitpid(child, nullptr, 0);
    return report == "no card" ? std::nullopt : std::optional(report);
}

inline QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline bool writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// A card in a temporary folder, with the configuration file's folder on it:
// what the tests of card files share.
class CardFolder : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(QDir().mkpath(folder()));
    }
    QString folder() const { return root + "/Pelmoran/Orvo"; }
    QString file() const { return folder() + "/lorvex_Config.ini"; }

    static std::string local(const QString& path) { return QFile::encodeName(path).toStdString(); }
    static QByteArray read(const QString& path) { return fileBytes(path); }
    static void write(const QString& path, const QByteArray& bytes) {
        ASSERT_TRUE(writeBytes(path, bytes)) << path.toStdString();
    }
    static QByteArray bytesOf(const SettingsImage& image) {
        const auto b = image.toBytes();
        return {reinterpret_cast<const char*>(b.data()), static_cast<qsizetype>(b.size())};
    }
    // The names in a folder, sorted, on one line.
    static std::string entries(const QString& where) {
        QStringList names =
            QDir(where).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System);
        names.sort();
        return names.join(u' ').toStdString();
    }
    static mode_t modeOf(const QString& path) {
        struct stat st {};
        return ::stat(local(path).c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
    }

    SaveResult save(const SettingsImage& image, int backups = kDefaultBackups,
                    std::chrono::milliseconds wait = kScreenLockWait) const {
        return saveSettings(image, CardFiles(root), backups, wait);
    }
    Result<> load(SettingsImage& image, std::uint8_t card = 1, ModuleKind kind = ModuleKind::None,
                  const Hardware& hw = {}, std::chrono::milliseconds wait = kScreenLockWait) const {
        return loadAndApplySettings(image, card, kind, hw, CardFiles(root), wait);
    }

    QTemporaryDir dir;
    QString root = dir.path();
};

}  // namespace velmira::test
