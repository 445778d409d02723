#include "settings/settings_backups.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace velmira
