#include "settings/settings_backups.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "settings/settings_file.h"
#include "support/scripted_boxes.h"

namespace velmira {
namespace {

class SettingsBackups : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(QDir(dir.path()).mkdir("Pelmoran"));
    }
    QString file() const { return dir.path() + "/Pelmoran/Orvo/lorvex_Config.ini"; }
    static QByteArray read(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    SettingsImage version(int n) {
        SettingsImage i;
        i.records[4].maxV = {1, {}, 8000 + n, 0, 0};
        return i;
    }
    static QByteArray bytes(const SettingsImage& i) {
        const auto b = i.toBytes();
        return {reinterpret_cast<const char*>(b.data()), static_cast<qsizetype>(b.size())};
    }

    QTemporaryDir dir;
    test::ScriptedBoxes boxes;
};

TEST_F(SettingsBackups, TheFiveNewestEarlierFilesAreKeptInOrder) {
    for (int n = 1; n <= 7; ++n) {
        const SaveResult saved = saveSettings(version(n), CardFiles(dir.path()), boxes);
        ASSERT_EQ(saved.status, 0);
        EXPECT_EQ(saved.backupSkipped, "");
    }
    const std::vector<QString> backups = listBackups(file());
    ASSERT_EQ(backups.size(), 5u) << "the first save had nothing to keep; the sixth pruned one";
    for (std::size_t k = 0; k < backups.size(); ++k) {
        EXPECT_EQ(read(backups[k]), bytes(version(static_cast<int>(k) + 2))) << k;
        EXPECT_EQ(backupOwner(backups[k]), file());
    }
    EXPECT_EQ(read(file()), bytes(version(7)));
}

// Saves faster than the clock's second: the numbers after the stamp keep the
// order, also once pruning has freed the lowest of them.
TEST_F(SettingsBackups, ManySavesWithinOneSecondKeepTheFiveNewest) {
    ASSERT_TRUE(QDir(dir.path()).mkpath("Pelmoran/Orvo"));
    const QDateTime second = QDateTime::currentDateTime();
    for (int n = 0; n <= 8; ++n) {
        const QByteArray content = bytes(version(n));
        const Replaced r = replaceKeepingBackup(
            file(), 5,
            [&](AtomicFile& f) {
                return f.write(content.constData(), static_cast<std::size_t>(content.size()));
            },
            second);
        ASSERT_EQ(r.error, 0);
        ASSERT_EQ(r.backupSkipped, "");
    }
    const std::vector<QString> backups = listBackups(file());
    ASSERT_EQ(backups.size(), 5u);
    for (std::size_t k = 0; k < backups.size(); ++k) {
        EXPECT_EQ(read(backups[k]), bytes(version(static_cast<int>(k) + 3)))
            << backups[k].toStdString();
    }
}

TEST_F(SettingsBackups, NoneAreKeptWithZeroAndOnlyBackupNamesCount) {
    ASSERT_EQ(saveSettings(version(1), CardFiles(dir.path()), boxes, 0).status, 0);
    ASSERT_EQ(saveSettings(version(2), CardFiles(dir.path()), boxes, 0).status, 0);
    EXPECT_TRUE(listBackups(file()).empty());
    QFile(file() + ".old.bak").open(QIODevice::WriteOnly);
    QFile(file() + ".20261208-0315.bak").open(QIODevice::WriteOnly);
    EXPECT_TRUE(listBackups(file()).empty());
    EXPECT_EQ(backupOwner(file() + ".20261208-031500-2.bak"), file());
    EXPECT_EQ(backupOwner(file() + ".bak"), std::nullopt);
}

// Writes `text` to a /proc file of this process; false when it cannot.
bool writeProc(const char* path, const std::string& text) {
    const int fd = ::open(path, O_WRONLY);
    if (fd < 0) return false;
    const bool ok = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    ::close(fd);
    return ok;
}

// Runs `body` in a child process that has a 16 KiB card of its own mounted at
// `root` (a tmpfs in a private user and mount namespace, so no privilege is
// needed). Returns what the body reported, or nothing when no such card can
// be made here.
std::optional<std::string> onSmallCard(const QString& root,
                                       const std::function<std::string()>& body) {
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
            ::mount("card", root.toLocal8Bit().constData(), "tmpfs", 0, "size=16k") == 0) {
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
    int status = 0;
    ::waitpid(child, &status, 0);
    if (report == "no card") return std::nullopt;
    return report;
}

TEST_F(SettingsBackups, AFullCardSavesTheFileAndSaysTheBackupWasSkipped) {
    // The card holds four pages: the file (two) and the new image beside it (two)
    // fill it, so the copy of the previous file finds no room.
    const QString card = dir.path() + "/card";
    ASSERT_TRUE(QDir().mkpath(card));
    const auto report = onSmallCard(card, [&] {
        if (!QDir(card).mkdir("Pelmoran")) return std::string("no folder");
        const QString target = card + "/Pelmoran/Orvo/lorvex_Config.ini";
        if (saveSettings(version(1), CardFiles(card), boxes).status != 0)
            return std::string("first");
        const SaveResult second = saveSettings(version(2), CardFiles(card), boxes);
        std::string out = "status " + std::to_string(second.status);
        out += read(target) == bytes(version(2)) ? " new" : " old";
        out += " backups " + std::to_string(listBackups(target).size());
        out += " leftovers " + std::to_string(QDir(card + "/Pelmoran/Orvo").count() - 3);
        out += " boxes " + std::to_string(boxes.shown().size());
        return out + "\n" + backupSkippedText(second.backupSkipped);
    });
    if (!report) GTEST_SKIP() << "no private tmpfs can be mounted here";
    EXPECT_EQ(*report,
              "status 0 new backups 0 leftovers 0 boxes 0\n"
              "The backup of the previous file was skipped: the card is full");
}

}  // namespace
}  // namespace velmira
