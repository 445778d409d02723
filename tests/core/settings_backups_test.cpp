#include "settings/settings_backups.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <cstdlib>
#include <ctime>

#include "settings/settings_file.h"
#include "support/scripted_boxes.h"
#include "support/small_card.h"

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
    static void write(const QString& path, const QByteArray& content) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_EQ(f.write(content), content.size());
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
    SaveResult save(int n, int keep = kDefaultBackups) {
        return saveSettings(version(n), CardFiles(dir.path()), boxes, keep);
    }
    // The versions the backups hold, oldest first; -1 for another content.
    std::vector<int> backedUp() {
        std::vector<int> versions;
        for (const QString& b : listBackups(file())) {
            int found = -1;
            for (int n = 0; n < 20 && found < 0; ++n) found = read(b) == bytes(version(n)) ? n : -1;
            versions.push_back(found);
        }
        return versions;
    }

    QTemporaryDir dir;
    test::ScriptedBoxes boxes;
};

TEST_F(SettingsBackups, TheFiveNewestEarlierFilesAreKeptInOrder) {
    for (int n = 1; n <= 7; ++n) {
        const SaveResult saved = save(n);
        ASSERT_EQ(saved.status, 0);
        EXPECT_EQ(saved.backupSkipped, "");
        EXPECT_EQ(saved.pruned.size(), n == 7 ? 1u : 0u) << n;
    }
    EXPECT_EQ(backedUp(), (std::vector<int>{2, 3, 4, 5, 6}))
        << "the first save had nothing to keep; the seventh removed the oldest";
    for (const QString& b : listBackups(file())) EXPECT_EQ(backupOwner(b), file());
    EXPECT_EQ(read(file()), bytes(version(7)));
}

// Sets TZ for as long as it lives.
class Zone {
  public:
    explicit Zone(const char* tz) {
        if (const char* old = std::getenv("TZ")) old_ = old;
        set(tz);
    }
    ~Zone() { set(old_ ? old_->c_str() : nullptr); }

  private:
    static void set(const char* tz) {
        tz ? ::setenv("TZ", tz, 1) : ::unsetenv("TZ");
        ::tzset();
    }
    std::optional<std::string> old_;
};

// Clocks step back (daylight saving's end, a controller whose clock restarted
// in 2000, a time server) and zones change: the backups keep the order of the
// saves, and the one a save has just made is never the one removed.
TEST_F(SettingsBackups, TheOrderIsThatOfTheSavesWhateverTheClockOrTheZone) {
    ASSERT_TRUE(QDir(dir.path()).mkpath("Pelmoran/Orvo"));
    const QDateTime now = QDateTime::currentDateTime();
    const QDateTime clock[] = {now,
                               now,  // within one second
                               now.addSecs(-3600),
                               QDateTime(QDate(2000, 1, 1), QTime(0, 0)),
                               now.addDays(1),
                               now.addSecs(-30),
                               now.addSecs(-30)};
    int n = 0;
    for (const QDateTime& when : clock) {
        const QByteArray content = bytes(version(n++));
        const Replaced r = replaceKeepingBackup(
            file(), 5,
            [&](AtomicFile& f) {
                return f.write(content.constData(), static_cast<std::size_t>(content.size()));
            },
            when);
        ASSERT_EQ(r.error, 0);
        ASSERT_EQ(r.backupSkipped, "");
    }
    EXPECT_EQ(backedUp(), (std::vector<int>{1, 2, 3, 4, 5}));

    // The program's own clock, from a zone far east to one far west and back.
    for (const char* tz : {"EAST-14", "WEST12", "UTC0", "WEST12", "EAST-14", "WEST12"}) {
        const Zone zone(tz);
        ASSERT_EQ(save(n++).status, 0) << tz;
    }
    EXPECT_EQ(backedUp(), (std::vector<int>{7, 8, 9, 10, 11})) << "each save's backup kept";
    EXPECT_EQ(read(file()), bytes(version(12)));
}

// Backups named after their time alone, by the program before the numbers,
// may carry any stamp, even one in the future: they are listed and restored
// as before, and count as older than every numbered one.
TEST_F(SettingsBackups, BackupsStampedInTheFutureGoBeforeTheNewOnes) {
    ASSERT_EQ(save(0).status, 0);
    const QStringList stamped{"20990101-120000", "20990101-120000-2", "20990102-000000",
                              "20990103-000000", "20990104-000000"};
    for (int k = 0; k < stamped.size(); ++k) {
        write(file() + "." + stamped[k] + ".bak", bytes(version(10 + k)));
    }
    const SaveResult saved = save(1);
    ASSERT_EQ(saved.status, 0);
    EXPECT_EQ(backedUp(), (std::vector<int>{11, 12, 13, 14, 0}))
        << "the previous file is the newest backup";
    EXPECT_EQ(backupNotes(saved),
              "Removed the oldest backup, lorvex_Config.ini.20990101-120000.bak (5 are kept).");
    EXPECT_EQ(backupOwner(file() + ".20990101-120000-2.bak"), file());
    const QString newest = listBackups(file()).back();
    EXPECT_EQ(backupOwner(newest), file());
    EXPECT_TRUE(QRegularExpression("/lorvex_Config\\.ini\\.000001-\\d{8}-\\d{6}\\.bak$")
                    .match(newest)
                    .hasMatch())
        << newest.toStdString();
}

TEST_F(SettingsBackups, ZeroKeepsNoneAndSaysWhatItRemovedAndOnlyBackupNamesCount) {
    for (int n = 1; n <= 3; ++n) ASSERT_EQ(save(n).status, 0);
    ASSERT_EQ(listBackups(file()).size(), 2u);
    const QStringList others{".old.bak", ".20261208-0315.bak", ".bak", ".1-20261208-031500.bak"};
    for (const QString& other : others) write(file() + other, "not a backup");
    const SaveResult saved = save(4, 0);
    ASSERT_EQ(saved.status, 0);
    EXPECT_TRUE(listBackups(file()).empty());
    EXPECT_EQ(saved.pruned.size(), 2u);
    EXPECT_EQ(backupNotes(saved).substr(0, 20), "Removed 2 backups: l") << backupNotes(saved);
    for (const QString& other : others) EXPECT_TRUE(QFile::exists(file() + other));
    EXPECT_EQ(backupOwner(file() + ".bak"), std::nullopt);
    EXPECT_EQ(backupOwner(file() + ".1-20261208-031500.bak"), std::nullopt)
        << "six digits at least";
}

TEST_F(SettingsBackups, AFullCardSavesTheFileAndSaysTheBackupWasSkipped) {
    // The card holds four pages: the file (two) and the new image beside it (two)
    // fill it, so the copy of the previous file finds no room.
    const QString card = dir.path() + "/card";
    ASSERT_TRUE(QDir().mkpath(card));
    const auto report = test::onSmallCard(card, [&] {
        const QString target = card + "/Pelmoran/Orvo/lorvex_Config.ini";
        if (saveSettings(version(1), CardFiles(card), boxes).status != 0)
            return std::string("first");
        const SaveResult second = saveSettings(version(2), CardFiles(card), boxes);
        std::string out = "status " + std::to_string(second.status);
        out += read(target) == bytes(version(2)) ? " new" : " old";
        out += " backups " + std::to_string(listBackups(target).size());
        out += " leftovers " + std::to_string(QDir(card + "/Pelmoran/Orvo").count() - 3);
        out += " boxes " + std::to_string(boxes.shown().size());
        return out + "\n" + backupNotes(second);
    });
    if (!report) GTEST_SKIP() << "no private tmpfs can be mounted here";
    EXPECT_EQ(*report,
              "status 0 new backups 0 leftovers 0 boxes 0\n"
              "The backup of the previous file was skipped: the card is full");
}

}  // namespace
}  // namespace velmira
