#include "tool/config_tool.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>

#include "settings/settings_backups.h"
#include "settings/settings_image.h"
#include "support/small_card.h"
#include "tool/tool_run.h"

namespace velmira {
namespace {

using test::fileBytes;
using test::runTool;
using test::ToolRun;
using test::writeBytes;

bool has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class ConfigTool : public test::CardFolder {
  protected:
    QString path(const QString& name = "lorvex_Config.ini") const { return folder() + "/" + name; }
    static SettingsImage withMaxV(std::int32_t v) {
        SettingsImage image;
        image.record(3, 0).maxV = {1, {}, v, 0, 0};
        return image;
    }
    // An error: status 2 and one line on stderr that says `part`.
    static void expectError(const ToolRun& r, const std::string& part) {
        EXPECT_EQ(r.status, 2) << r.out;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_TRUE(has(r.err, part)) << r.err;
    }
    ToolRun set(const QStringList& more) {
        return runTool(QStringList{"set", path(), "--card", "3", "--axis", "X"} + more);
    }
};

TEST_F(ConfigTool, HelpNamesEveryVerbAndEachVerbHasItsOwn) {
    const ToolRun help = runTool({"--help"});
    EXPECT_EQ(help.status, 0);
    for (const char* verb : {"dump", "diff", "set", "new", "check", "backups", "restore"}) {
        EXPECT_TRUE(has(help.out, std::string("  ") + verb + " ")) << verb;
        const ToolRun own = runTool({verb, "--help"});
        EXPECT_EQ(own.status, 0) << verb;
        EXPECT_TRUE(has(own.out, std::string("Usage: velmira-config ") + verb + " ")) << verb;
    }
    EXPECT_TRUE(has(runTool({"--version"}).out, "velmira-config 0."));
}

// Bad arguments and files that cannot be used: status 2 and one line.
TEST_F(ConfigTool, RefusalsAreOneLineNamingWhatIsWrong) {
    ASSERT_EQ(runTool({"new", path()}).status, 0);
    ASSERT_EQ(::mkfifo(QFile::encodeName(path("fifo")).constData(), 0600), 0);
    ASSERT_EQ(::symlink("self.ini", QFile::encodeName(path("self.ini")).constData()), 0);
    const QStringList set{"set", path(), "--card", "3", "--axis", "X"};
    const QStringList entry{"--entry", "maxV"};
    const std::pair<QStringList, std::string> cases[] = {
        {{}, "no verb given"},
        {{"dumpp", path()}, "unknown verb \"dumpp\""},
        {{"dump"}, "needs FILE"},
        {{"dump", path(), path()}, "one argument too many"},
        {{"dump", path(), "--bogus"}, "unknown option \"--bogus\""},
        {{"dump", path(), "--all", "--all"}, "--all is given twice"},
        {{"dump", path(), "--all=1"}, "--all takes no value"},
        {{"dump", ""}, "an empty path"},
        {{"diff", path()}, "needs B"},
        {set + QStringList{"--entry"}, "--entry needs a value (see"},
        {set + QStringList{"--entry", "--first", "1"}, "--entry needs a value (see"},
        {set + QStringList{"--entry", "MaxV", "--first", "9000"}, "is none of pulseMode, maxV"},
        {{"set", path(), "--card", "9", "--axis", "X", "--entry", "maxV", "--first", "9000"},
         "--card: \"9\" is not a card row from 0 to 8"},
        {{"set", path(), "--card", "3", "--axis", "W", "--entry", "maxV", "--first", "9000"},
         "--axis: \"W\" is not X, Y, Z or U"},
        {set + entry, "nothing to set"},
        {set + QStringList{"--first", "9000"}, "--card, --axis and --entry are all needed"},
        {set + entry + QStringList{"--first", "9e3"}, "--first: \"9e3\" is not a whole"},
        {set + entry + QStringList{"--first", "2147483648"}, "-2147483648 to 2147483647"},
        {set + entry + QStringList{"--enabled", "256"}, "from 0 to 255"},
        {{"new", path("x"), "--backups", "100"}, "from 0 to 99"},
        // A name that is no text for the terminal is quoted escaped.
        {{"dump", "--x\x1b[2J"}, "\"--x\\x1B[2J\""},
        {{"dump", path("missing.ini")}, "missing.ini\": no such file or folder"},
        {{"dump", "--", "--all"}, "\"--all\": no such file or folder"},  // "--" ends the options
        {{"check", folder()}, "is a folder, not a file"},
        {{"diff", folder(), path("missing.ini")}, "a folder"},
        {{"set", path("missing.ini"), "--card", "3", "--axis", "X", "--entry", "maxV", "--first",
          "9000"},
         "velmira-config new makes a file"},
        {{"new", path("no/such/folder.ini")}, "folder.ini\": no such file"},
        {{"new", folder(), "--force"}, "a folder"},
        {{"backups", path("missing")}, "no such file or folder"},
        {{"dump", path("fifo")}, "a pipe"},  // refused, never waited on
        {{"set", path("self.ini"), "--card", "3", "--axis", "X", "--entry", "avtri", "--enabled",
          "1"},
         "self.ini\": the symbolic links lead round in a circle"},
        // What the Configuration screen could not have stored.
        {set + entry + QStringList{"--enabled", "1", "--first", "7999"},
         "card 3 Axis_X maxV: first value 7999 is outside 8000 to 4000000: the "
         "Configuration screen could not store that (--force writes it)"},
        {set + QStringList{"--entry", "hardLimit", "--enabled", "1", "--first", "1"},
         "first and second differ"},
        {set + QStringList{"--entry", "servoOn", "--enabled", "2"}, "enabled is 2, not 0 or 1"},
        {{"set", path(), "--card", "8", "--axis", "U", "--entry", "avtri", "--enabled", "1"},
         "card 8 is no slot"},
        {{"new", path()}, "is already there (--force replaces it"},
    };
    for (const auto& [args, part] : cases) {
        SCOPED_TRACE(args.join(' ').toStdString());
        expectError(runTool(args), part);
    }
    EXPECT_EQ(fileBytes(path()), bytesOf(SettingsImage{})) << "no refusal touched the file";
    EXPECT_TRUE(listBackups(path()).empty()) << "nor kept a backup";
}

// What check says of each file a load may meet; status 1 for any problem.
TEST_F(ConfigTool, CheckSaysWhatALoadDoesWithTheFile) {
    const QByteArray image = bytesOf(withMaxV(9000));
    SettingsImage odd = withMaxV(7999);
    odd.record(0, 1).servoOn.enabled = 1;  // card 0 is no slot
    odd.record(5, 2).hardLimit = {1, {}, 1, 0, 0};
    const struct {
        const char* name;
        QByteArray bytes;
        int status;
        std::vector<std::string> parts;
    } cases[] = {
        {"lorvex_Config.ini",
         image,
         0,
         {"7488 bytes, the size of an image: a load reads it whole."}},
        // Records 0 to 3 whole, then 10 entries and 8 bytes of record 4.
        {"lorvex_Config.ini",
         image.left(1000),
         1,
         {"1000 bytes, 6488 short of the 7488 of an image.",
          "records 0 to 3 (card 0 Axis_X to card 0 Axis_U) whole, and of record 4 (card 1 Axis_X) "
          "pulseMode to inPos whole and 8 of the 16 bytes of filter.",
          "Everything after that keeps the values the program already holds", "1 problem found."}},
        {"lorvex_Config.ini", {}, 1, {"A load replaces nothing."}},
        {"lorvex_Config.ini",
         image + QByteArray(512, 'x'),
         1,
         {"A load reads the first 7488 bytes and ignores the 512 after them; a save replaces the "
          "first 7488 and keeps the 512 after them."}},
        {"other.ini",
         bytesOf(odd),
         1,
         {"card 0 Axis_Y: card 0 is no slot (the slots are 1 to 7)",
          "card 3 Axis_X maxV: first value 7999 is outside 8000 to 4000000",
          "card 5 Axis_Z hardLimit: first and second differ", "3 problems found.",
          "The program loads only a file named lorvex_Config.ini"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes.size());
        ASSERT_TRUE(writeBytes(path(c.name), c.bytes));
        const ToolRun r = runTool({"check", path(c.name)});
        EXPECT_EQ(r.status, c.status);
        for (const std::string& part : c.parts)
            EXPECT_TRUE(has(r.out, part)) << part << "\n" << r.out;
    }
}

TEST_F(ConfigTool, DiffNamesEachEntryAndItsExitSaysWhetherTheyDiffer) {
    SettingsImage a = withMaxV(9000);
    SettingsImage b = a;
    b.record(3, 0).maxV.first = 9500;
    b.record(7, 3).pulseMode = {1, {}, 1, 0, 0};
    b.record(1, 1).avtri.padding = {0, 7, 0};  // the same words, other bytes
    ASSERT_TRUE(writeBytes(path("a.ini"), bytesOf(a)));
    ASSERT_TRUE(writeBytes(path("b.ini"), bytesOf(b)));

    ToolRun r = runTool({"diff", path("a.ini"), path("a.ini")});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(has(r.out, "hold the same settings.")) << r.out;

    r = runTool({"diff", path("a.ini"), path("b.ini")});
    EXPECT_EQ(r.status, 1);
    const std::string expected =
        "card 1 Axis_Y avtri: [0; 0 0 0] -> [0; 0 0 0; padding 00 07 00]\n"
        "card 3 Axis_X maxV: Enable MaxV checked, MaxV 9000 Pulse -> Enable MaxV checked, MaxV "
        "9500 Pulse\n"
        "card 7 Axis_U pulseMode: Output Pulse Mode : CW (not set) -> Output Pulse Mode : CCW\n"
        "3 differences between ";
    EXPECT_EQ(r.out.substr(0, expected.size()), expected);

    // Sizes and the bytes kept after the image count as well.
    ASSERT_TRUE(writeBytes(path("short.ini"), bytesOf(a).left(100)));
    r = runTool({"diff", path("a.ini"), path("short.ini")});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(has(r.out, "size: 7488 bytes -> 100 bytes")) << r.out;
    ASSERT_TRUE(writeBytes(path("long1.ini"), bytesOf(a) + "tail one"));
    ASSERT_TRUE(writeBytes(path("long2.ini"), bytesOf(a) + "tail two"));
    r = runTool({"diff", path("long1.ini"), path("long2.ini")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out.substr(0, 34), "the bytes after the image differ\n1");
    EXPECT_EQ(runTool({"diff", path("long1.ini"), path("long1.ini")}).status, 0);
}

TEST_F(ConfigTool, SetChangesOneEntryAndKeepsTheRest) {
    SettingsImage start = withMaxV(9000);
    start.record(3, 0).maxV.padding = {1, 2, 3};  // unusual bytes elsewhere stay
    start.record(6, 1).filter = {1, {}, 5, 3, 0};
    ASSERT_TRUE(writeBytes(path(), bytesOf(start) + "kept tail"));
    const ToolRun r =
        set({"--entry", "hardLimit", "--enabled", "1", "--first", "1", "--second", "1"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(has(r.out,
                    "card 3 Axis_X hardLimit: LIMIT+/- (Logic) Low (not set) -> LIMIT+/- "
                    "(Logic) High"))
        << r.out;
    EXPECT_TRUE(has(r.out, "The 9 bytes after the image are kept."));
    SettingsImage expected = start;
    expected.record(3, 0).hardLimit = {1, {}, 1, 1, 0};
    EXPECT_EQ(fileBytes(path()), bytesOf(expected) + "kept tail");
    const std::vector<QString> backups = listBackups(path());
    ASSERT_EQ(backups.size(), 1u);
    EXPECT_EQ(fileBytes(backups[0]), bytesOf(start) + "kept tail");

    const ToolRun again = set({"--entry", "hardLimit", "--first", "1"});
    EXPECT_EQ(again.status, 0);
    EXPECT_TRUE(has(again.out, "nothing written")) << again.out;
    EXPECT_EQ(listBackups(path()).size(), 1u);
}

// Forced, the tool writes what the screen could not store (the refusals are above).
TEST_F(ConfigTool, SetWritesWhatTheScreenCouldNotStoreOnlyWhenForced) {
    ASSERT_EQ(runTool({"new", path()}).status, 0);
    ToolRun r = set({"--entry", "maxV", "--enabled", "1", "--first", "7999", "--force"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(has(r.out, "Written with --force although first value 7999")) << r.out;
    // An entry that was already odd may still be changed in what the screen can store.
    EXPECT_EQ(set({"--entry", "maxV", "--enabled", "0"}).status, 0);
    r = runTool({"set", path(), "--card", "0", "--axis", "x", "--entry", "avtri", "--enabled", "1",
                 "--force"});
    EXPECT_EQ(r.status, 0) << r.err;
    SettingsImage expected;
    expected.record(3, 0).maxV = {0, {}, 7999, 0, 0};
    expected.record(0, 0).avtri.enabled = 1;
    EXPECT_EQ(fileBytes(path()), bytesOf(expected));
}

TEST_F(ConfigTool, SetOnAShortFileNeedsForceAndThenWritesAWholeImage) {
    ASSERT_TRUE(writeBytes(path(), bytesOf(withMaxV(9000)).left(3000)));
    expectError(set({"--entry", "avtri", "--enabled", "1"}),
                "3000 bytes, shorter than the 7488 of an image");
    EXPECT_EQ(fileBytes(path()).size(), 3000);
    ASSERT_EQ(set({"--entry", "avtri", "--enabled", "1", "--force"}).status, 0);
    SettingsImage expected = withMaxV(9000);
    expected.record(3, 0).avtri.enabled = 1;
    EXPECT_EQ(fileBytes(path()), bytesOf(expected));
}

TEST_F(ConfigTool, SetThroughALinkReplacesTheFileItNames) {
    ASSERT_TRUE(QDir(folder()).mkdir("real"));
    const QString real = path("real/lorvex_Config.ini");
    ASSERT_TRUE(writeBytes(real, bytesOf(SettingsImage{})));
    ASSERT_TRUE(QFile::link(real, path()));
    ASSERT_EQ(set({"--entry", "avtri", "--enabled", "1"}).status, 0);
    EXPECT_TRUE(QFileInfo(path()).isSymLink()) << "the link stays a link";
    EXPECT_EQ(fileBytes(real)[static_cast<qsizetype>(208 * 12 + 192)], 1);
    EXPECT_EQ(listBackups(real).size(), 1u);
}

TEST_F(ConfigTool, NewForceReplacesAnExistingFileKeepingABackup) {
    ASSERT_TRUE(writeBytes(path(), bytesOf(withMaxV(9000))));
    const ToolRun r = runTool({"new", "--force", path()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(fileBytes(path()), bytesOf(SettingsImage{}));
    ASSERT_EQ(listBackups(path()).size(), 1u);
    EXPECT_EQ(fileBytes(listBackups(path())[0]), bytesOf(withMaxV(9000)));
}

TEST_F(ConfigTool, BackupsRotateAndAreListedNewestFirstWithTheirChanges) {
    ASSERT_EQ(runTool({"new", path()}).status, 0);
    for (int n = 1; n <= 7; ++n) {
        ASSERT_EQ(
            set({"--entry", "maxV", "--enabled", "1", "--first", QString::number(8000 + n)}).status,
            0);
    }
    ASSERT_EQ(listBackups(path()).size(), 5u) << "the five newest are kept";
    ASSERT_TRUE(writeBytes(path("notes.txt.bak"), "not a backup"));
    const ToolRun r = runTool({"backups", folder()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(has(r.out, "lorvex_Config.ini: 5 backups, newest first.")) << r.out;
    // Newest first: the backup holding 8006 was followed by the file holding 8007.
    for (std::size_t n = 7, at = 0; n >= 3; --n) {
        const std::string change = "MaxV " + std::to_string(7999 + n) +
                                   " Pulse -> Enable MaxV checked, MaxV " +
                                   std::to_string(8000 + n) + " Pulse";
        ASSERT_NE(at = r.out.find(change, at), std::string::npos) << change << "\n" << r.out;
    }
    EXPECT_TRUE(has(r.out, "; then the current file:"));
    EXPECT_FALSE(has(r.out, "notes")) << r.out;

    EXPECT_EQ(runTool({"backups", path()}).out, r.out) << "the file itself names the same";
    EXPECT_TRUE(has(runTool({"backups", path("real")}).err, "no such file"));
    QDir(folder()).mkdir("empty");
    EXPECT_TRUE(has(runTool({"backups", path("empty")}).out, "No configuration file"));

    const ToolRun none = set({"--entry", "maxV", "--first", "9000", "--backups", "0"});
    EXPECT_EQ(none.status, 0) << none.err;
    EXPECT_TRUE(has(none.out, "No backup kept (--backups 0).\nRemoved 5 backups: ")) << none.out;
    EXPECT_TRUE(listBackups(path()).empty());
}

TEST_F(ConfigTool, RestorePutsTheOlderImageBackByteForByteAndKeepsTheNewer) {
    ASSERT_TRUE(writeBytes(path(), bytesOf(withMaxV(9000)) + "old tail"));
    ASSERT_EQ(set({"--entry", "maxV", "--first", "9500"}).status, 0);
    const QByteArray newer = fileBytes(path());
    const std::vector<QString> backups = listBackups(path());
    ASSERT_EQ(backups.size(), 1u);

    const ToolRun r = runTool({"restore", backups[0]});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(fileBytes(path()), bytesOf(withMaxV(9000)) + "old tail");
    EXPECT_TRUE(has(r.out,
                    "card 3 Axis_X maxV: Enable MaxV checked, MaxV 9500 Pulse -> Enable "
                    "MaxV checked, MaxV 9000 Pulse"))
        << r.out;
    const std::vector<QString> after = listBackups(path());
    ASSERT_EQ(after.size(), 2u);
    EXPECT_EQ(fileBytes(after[1]), newer) << "what was replaced is a backup itself";
    EXPECT_TRUE(has(r.out, "The previous file is kept as " + after[1].toStdString()));

    expectError(runTool({"restore", path()}), "is no backup's name");
    expectError(runTool({"restore", path() + ".20250101-000000.bak"}), "no such file");
    ASSERT_TRUE(QFile::link(after[0], path() + ".20250101-000001.bak"));
    expectError(runTool({"restore", path() + ".20250101-000001.bak"}), "is a link, not a backup");
}

// On a card with room for one more file, a restore or a new --force that
// cannot keep what it replaces leaves it as it was, unless told otherwise.
TEST_F(ConfigTool, WhatCannotBeKeptIsNotReplaced) {
    const QString card = path("card");
    ASSERT_TRUE(QDir().mkpath(card));
    const QString file = card + "/lorvex_Config.ini";
    const QString backup = file + ".20261208-080533.bak";
    const auto report = test::onSmallCard(
        card,
        [&] {
            // Six pages: the file and the backup two each, and two for the new file.
            if (!writeBytes(file, bytesOf(withMaxV(9000))) ||
                !writeBytes(backup, bytesOf(withMaxV(8000)))) {
                return std::string("no files");
            }
            std::string out;
            for (const QStringList& args :
                 {QStringList{"restore", backup}, QStringList{"new", file, "--force"},
                  QStringList{"restore", backup, "--no-backup"}}) {
                const ToolRun r = runTool(args);
                const bool old = fileBytes(file) == bytesOf(withMaxV(9000));
                out += std::to_string(r.status) + (old ? " kept: " : " replaced: ") + r.err;
            }
            return out;
        },
        "24k");
    if (!report) GTEST_SKIP() << "no private tmpfs can be mounted here";
    const std::string refused = "\"" + file.toStdString() +
                                "\": its backup could not be made (the disk is full), so it was "
                                "left as it was (--no-backup ";
    EXPECT_EQ(*report, "2 kept: velmira-config restore: " + refused + "restores without one)\n" +
                           "2 kept: velmira-config new: " + refused + "replaces it without one)\n" +
                           "0 replaced: ");
}

// Output that cannot be written (a full disk) is an error, but never with the
// status of nothing done once the file has changed.
TEST_F(ConfigTool, AChangeWhoseReportIsLostHasAStatusOfItsOwn) {
    QFile full("/dev/full");
    if (!full.open(QIODevice::WriteOnly)) GTEST_SKIP() << "no /dev/full";
    const auto toFull = [&](const QStringList& args) {
        QString err;
        QTextStream out(&full), errors(&err);
        const int status = runConfigTool(args, out, errors);
        EXPECT_EQ(status == kToolChangedUnreported,
                  has(err.toStdString(),
                      "the file was changed, but the output saying how could "
                      "not be written\n"))
            << err.toStdString();
        return status;
    };
    EXPECT_EQ(toFull({"new", path()}), kToolChangedUnreported);
    EXPECT_EQ(fileBytes(path()), bytesOf(SettingsImage{}));
    const QStringList set{"set",     path(), "--card",    "3", "--axis",  "X",
                          "--entry", "maxV", "--enabled", "1", "--first", "9000"};
    EXPECT_EQ(toFull(set), kToolChangedUnreported);
    EXPECT_EQ(fileBytes(path()), bytesOf(withMaxV(9000)));
    EXPECT_NE(toFull(set), kToolChangedUnreported) << "nothing written the second time";
    EXPECT_EQ(toFull({"restore", listBackups(path())[0]}), kToolChangedUnreported);
    EXPECT_EQ(fileBytes(path()), bytesOf(SettingsImage{}));
    EXPECT_EQ(toFull({"new", path(), "--force"}), kToolChangedUnreported);
}

}  // namespace
}  // namespace velmira
