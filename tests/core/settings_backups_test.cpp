#include "settings/settings_backups.h"

#include <gtest/gtest.h>

#include "support/small_card.h"

namespace velmira {
namespace {

class SettingsBackups : public test::CardFolder {
  protected:
    static SettingsImage version(int n) {
        SettingsImage i;
        i.records[4].maxV = {1, {}, 8000 + n, 0, 0};
        return i;
    }
    SaveResult save(int n, int keep = kDefaultBackups) {
        return CardFolder::save(version(n), keep);
    }
    // The versions the backups hold, oldest first; -1 for another content.
    std::vector<int> backedUp() {
        std::vector<int> versions;
        for (const QString& b : listBackups(file())) {
            int found = -1;
            for (int n = 0; n < 20 && found < 0; ++n)
                found = read(b) == bytesOf(version(n)) ? n : -1;
            versions.push_back(found);
        }
        return versions;
    }
};

// Which backups go: the oldest by number, and those named by their time alone
// before every numbered one (by stamp, then sequence), never the one spared.
TEST_F(SettingsBackups, PruningRemovesTheOldestFirst) {
    const QString names[] = {".20990101-120000.bak", ".20990101-120000-2.bak",
                             ".000002-20000101-000000.bak", ".000010-19990101-000000.bak",
                             ".000011-20990101-000000.bak"};
    for (const QString& name : names) write(file() + name, "backup");
    const std::vector<QString> removed = pruneBackups(file(), 2, file() + names[2]);
    std::vector<QString> expected{file() + names[0], file() + names[1], file() + names[3]};
    EXPECT_EQ(removed, expected);
    EXPECT_EQ(listBackups(file()), (std::vector<QString>{file() + names[2], file() + names[4]}));
}

// The five newest are kept in the order of the saves though clocks step back (daylight
// saving, a controller restarted in 2000); a save never removes the backup it made.
TEST_F(SettingsBackups, TheFiveNewestAreKeptInTheOrderOfTheSavesWhateverTheClock) {
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
        const QByteArray content = bytesOf(version(n++));
        const Replaced r = replaceKeepingBackup(
            file(), 5,
            [&](AtomicFile& f) {
                return f.write(content.constData(), static_cast<std::size_t>(content.size()));
            },
            when);
        ASSERT_EQ(r.error, 0);
        ASSERT_EQ(r.backupSkipped, "");
        EXPECT_EQ(r.pruned.size(), n == 7 ? 1u : 0u) << n;
    }
    EXPECT_EQ(backedUp(), (std::vector<int>{1, 2, 3, 4, 5}))
        << "the first save had nothing to keep; the seventh removed the oldest";
    for (const QString& b : listBackups(file())) EXPECT_EQ(backupOwner(b), file());
    EXPECT_EQ(read(file()), bytesOf(version(6)));
}

// Backups named by their time alone (before the numbers) may carry any stamp, even a
// future one: they are still listed, and count as older than every numbered one.
TEST_F(SettingsBackups, BackupsStampedInTheFutureGoBeforeTheNewOnes) {
    ASSERT_TRUE(save(0).ok());
    const QStringList stamped{"20990101-120000", "20990101-120000-2", "20990102-000000",
                              "20990103-000000", "20990104-000000"};
    for (int k = 0; k < stamped.size(); ++k) {
        write(file() + "." + stamped[k] + ".bak", bytesOf(version(10 + k)));
    }
    const SaveResult saved = save(1);
    ASSERT_TRUE(saved.ok());
    EXPECT_EQ(backedUp(), (std::vector<int>{11, 12, 13, 14, 0}))
        << "the previous file is the newest backup";
    EXPECT_EQ(backupNotes(saved),
              "Removed the oldest backup, lorvex_Config.ini.20990101-120000.bak (5 are kept).");
    EXPECT_EQ(backupOwner(file() + ".20990101-120000-2.bak"), file());
}

TEST_F(SettingsBackups, ZeroKeepsNoneAndSaysWhatItRemovedAndOnlyBackupNamesCount) {
    for (int n = 1; n <= 3; ++n) ASSERT_TRUE(save(n).ok());
    ASSERT_EQ(listBackups(file()).size(), 2u);
    const QStringList others{".old.bak", ".20261208-0315.bak", ".bak", ".1-20261208-031500.bak"};
    for (const QString& other : others) write(file() + other, "not a backup");
    const SaveResult saved = save(4, 0);
    ASSERT_TRUE(saved.ok());
    EXPECT_TRUE(listBackups(file()).empty());
    EXPECT_EQ(saved->pruned.size(), 2u);
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
        if (!saveSettings(version(1), CardFiles(card)).ok()) return std::string("first");
        const SaveResult second = saveSettings(version(2), CardFiles(card));
        std::string out = second.ok() ? "saved" : second.error();
        out += read(target) == bytesOf(version(2)) ? " new" : " old";
        out += " backups " + std::to_string(listBackups(target).size());
        out += " leftovers " + std::to_string(QDir(card + "/Pelmoran/Orvo").count() - 3);
        return out + "\n" + backupNotes(second);
    });
    if (!report) GTEST_SKIP() << "no private tmpfs can be mounted here";
    EXPECT_EQ(*report,
              "saved new backups 0 leftovers 0\n"
              "The backup of the previous file was skipped: the card is full");
}

}  // namespace
}  // namespace velmira
