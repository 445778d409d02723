#include "tool/config_tool.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

#include "config/configuration_dlg.h"
#include "settings/settings_backups.h"
#include "settings/settings_image.h"
#include "settings/settings_words.h"
#include "support/recorded_bench.h"
#include "support/screen_driver.h"
#include "support/small_card.h"

namespace velmira {
namespace {

using test::fileBytes;
using test::writeBytes;

struct ToolRun {
    int status = -1;
    std::string out;
    std::string err;
};

// velmira-config in process, as a shell would run it.
ToolRun runTool(const QStringList& args) {
    QString out, err;
    QTextStream outStream(&out), errStream(&err);
    const int status = runConfigTool(args, outStream, errStream);
    return {status, out.toStdString(), err.toStdString()};
}

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
    QStringList setArgs(const QString& file, const char* card = "3", const char* axis = "X") const {
        return {"set", file, "--card", card, "--axis", axis};
    }
    ToolRun set(const QStringList& more) { return runTool(setArgs(path()) + more); }
};

// Bad arguments and files that cannot be used: status 2 and one line.
TEST_F(ConfigTool, RefusalsAreOneLineNamingWhatIsWrong) {
    ASSERT_EQ(runTool({"new", path()}).status, 0);
    ASSERT_EQ(::mkfifo(QFile::encodeName(path("fifo")).constData(), 0600), 0);
    ASSERT_EQ(::symlink("self.ini", QFile::encodeName(path("self.ini")).constData()), 0);
    const QStringList set = setArgs(path()), entry{"--entry", "maxV"};
    const QStringList maxV = entry + QStringList{"--first", "9000"};
    const std::pair<QStringList, std::string> cases[] = {
        {{"dumpp", path()}, "unknown verb \"dumpp\""},
        {{"dump"}, "needs FILE"},
        {{"dump", path(), "--bogus"}, "unknown option \"--bogus\""},
        {{"diff", path()}, "needs B"},
        {set + QStringList{"--entry"}, "--entry needs a value (see"},
        {set + QStringList{"--entry", "--first", "1"}, "--entry needs a value (see"},
        {set + QStringList{"--entry", "MaxV", "--first", "9000"}, "is none of pulseMode, maxV"},
        {setArgs(path(), "9") + maxV, "--card: \"9\" is not a card row from 0 to 8"},
        {setArgs(path(), "3", "W") + maxV, "--axis: \"W\" is not X, Y, Z or U"},
        {set + entry, "nothing to set"},
        {set + QStringList{"--first", "9000"}, "--card, --axis and --entry are all needed"},
        {set + entry + QStringList{"--first", "9e3"}, "--first: \"9e3\" is not a whole"},
        {set + entry + QStringList{"--enabled", "256"}, "from 0 to 255"},
        // A name that is no text for the terminal is quoted escaped.
        {{"dump", "--x\x1b[2J"}, "\"--x\\x1B[2J\""},
        {{"dump", "--", "--all"}, "\"--all\": no such file or folder"},  // "--" ends the options
        {{"check", folder()}, "is a folder, not a file"},
        {setArgs(path("missing.ini")) + maxV, "velmira-config new makes a file"},
        {{"new", path("no/such/folder.ini")}, "folder.ini\": no such file"},
        {{"new", folder(), "--force"}, "a folder"},
        {{"dump", path("fifo")}, "a pipe"},  // refused, never waited on
        {setArgs(path("self.ini")) + maxV, "self.ini\": the symbolic links lead round in a circle"},
        // What the Configuration screen could not have stored.
        {set + entry + QStringList{"--enabled", "1", "--first", "7999"},
         "card 3 Axis_X maxV: first value 7999 is outside 8000 to 4000000: the "
         "Configuration screen could not store that (--force writes it)"},
        {set + QStringList{"--entry", "hardLimit", "--enabled", "1", "--first", "1"},
         "first and second differ"},
        {setArgs(path(), "8", "U") + maxV, "card 8 is no slot"},
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
    const auto check = [&](const QString& name, const QByteArray& bytes, int status,
                           std::initializer_list<std::string> parts) {
        SCOPED_TRACE(bytes.size());
        ASSERT_TRUE(writeBytes(path(name), bytes));
        const ToolRun r = runTool({"check", path(name)});
        EXPECT_EQ(r.status, status);
        for (const std::string& part : parts)
            EXPECT_TRUE(has(r.out, part)) << part << "\n" << r.out;
    };
    check("lorvex_Config.ini", image, 0,
          {"7488 bytes, the size of an image: a load reads it whole."});
    // Records 0 to 3 whole, then 10 entries and 8 bytes of record 4.
    check("lorvex_Config.ini", image.left(1000), 1,
          {"1000 bytes, 6488 short of the 7488 of an image.",
           "records 0 to 3 (card 0 Axis_X to card 0 Axis_U) whole, and of record 4 (card 1 Axis_X) "
           "pulseMode to inPos whole and 8 of the 16 bytes of filter.",
           "Everything after that keeps the values the program already holds", "1 problem found."});
    check("lorvex_Config.ini", image + QByteArray(512, 'x'), 1,
          {"A load reads the first 7488 bytes and ignores the 512 after them; a save replaces the "
           "first 7488 and keeps the 512 after them."});
    check("other.ini", bytesOf(odd), 1,
          {"card 0 Axis_Y: card 0 is no slot (the slots are 1 to 7)",
           "card 3 Axis_X maxV: first value 7999 is outside 8000 to 4000000",
           "card 5 Axis_Z hardLimit: first and second differ", "3 problems found.",
           "The program loads only a file named lorvex_Config.ini"});
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

    // Sizes count as well.
    ASSERT_TRUE(writeBytes(path("short.ini"), bytesOf(a).left(100)));
    r = runTool({"diff", path("a.ini"), path("short.ini")});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(has(r.out, "size: 7488 bytes -> 100 bytes")) << r.out;
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

// Forced, the tool writes what the screen could not store (the refusals are
// above), and a whole image over a short file.
TEST_F(ConfigTool, SetWritesWhatTheScreenCouldNotStoreOnlyWhenForced) {
    SettingsImage expected = withMaxV(9000);
    expected.record(2, 1).servoOn.enabled = 1;  // kept from the short file
    ASSERT_TRUE(writeBytes(path(), bytesOf(expected).left(3000)));
    expectError(set({"--entry", "avtri", "--enabled", "1"}),
                "3000 bytes, shorter than the 7488 of an image");
    EXPECT_EQ(fileBytes(path()).size(), 3000);
    ToolRun r = set({"--entry", "maxV", "--enabled", "1", "--first", "7999", "--force"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(has(r.out, "Written with --force although first value 7999")) << r.out;
    // An entry that was already odd may still be changed in what the screen can store.
    EXPECT_EQ(set({"--entry", "maxV", "--enabled", "0"}).status, 0);
    expected.record(3, 0).maxV = {0, {}, 7999, 0, 0};
    EXPECT_EQ(fileBytes(path()), bytesOf(expected));
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
    ASSERT_TRUE(QFile::link(after[0], path() + ".20250101-000001.bak"));
    expectError(runTool({"restore", path() + ".20250101-000001.bak"}), "is a link, not a backup");

    // new --force, too, keeps what it replaces.
    ASSERT_EQ(runTool({"new", "--force", path()}).status, 0);
    EXPECT_EQ(fileBytes(path()).left(7488), bytesOf(SettingsImage{}));
    EXPECT_EQ(fileBytes(listBackups(path()).back()), bytesOf(withMaxV(9000)) + "old tail");
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

// The tool on files the Configuration screen itself saved: its words are the
// screen's, and it finds nothing the screen could not have written.
class ScreenFile : public ::testing::Test,
                   protected test::RecordedBench,
                   protected test::ScreenDriver<CConfigurationDlg> {
  protected:
    void SetUp() override {
        ids[3] = 83;  // LorvexF in slot 3
        ids[5] = 82;  // Quenby in slot 5
        log.setResult("lorvexMF_REGISTRATION", 1);
        log.setResult("quenbyMF_REGISTRATION", 1);
        screen = std::make_unique<CConfigurationDlg>(ctx, CarriedValues{});
        screen->initDialog();
        screen->show();
    }

    QString file() const { return card.path() + "/Pelmoran/Orvo/lorvex_Config.ini"; }

    // A set-up touching every kind of control, saved by the screen: a click,
    // or a list item chosen, or a text typed.
    void saveKnownSettings() {
        struct Step {
            int id;
            int choice = -1;
            const char* text = nullptr;
        };
        const auto act = [this](std::initializer_list<Step> steps) {
            for (const Step& s : steps) {
                s.text ? type(s.id, s.text) : s.choice < 0 ? click(s.id) : choose(s.id, s.choice);
            }
        };
        select(1001, "LorvexF in Slot:3");
        act({{1002, 3}});  // all four axes: PULSE (Falling Edge) / Dir +
        select(1001, "LorvexF in Slot:3", "Axis_Y");
        act({{1005, 1}, {1183}, {1182}, {1123, -1, "1500000"}, {1181}, {1020}, {1023}, {1033, 2}});
        select(1001, "Quenby in Slot:5", "Axis_X");
        act({{1003, 3}, {1007, 1}, {1015}, {1018, 1}, {1013}, {1016, 1}, {1177}});
        act({{1179, -1, "20000"}, {1008}, {1178}, {1073, 1}, {1004, 1}, {1006, 1}, {1036}});
        ASSERT_EQ(boxes.texts(), std::vector<std::string>{"All of the settings saved !!"});
    }
};

TEST_F(ScreenFile, DumpMatchesTheGoldenTextJsonTheStoredValuesAndCheckFindsNothing) {
    saveKnownSettings();
    const ToolRun run = runTool({"dump", file()});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    QString text = QString::fromStdString(run.out);
    text.replace(file(), QStringLiteral("lorvex_Config.ini"));

    const QString golden = QStringLiteral(VELMIRA_TOOL_GOLDEN);
    if (qEnvironmentVariableIsSet("VELMIRA_UPDATE_GOLDEN")) {
        ASSERT_TRUE(writeBytes(golden, text.toUtf8()));
    }
    EXPECT_EQ(text.toStdString(), fileBytes(golden).toStdString())
        << "VELMIRA_UPDATE_GOLDEN=1 rewrites " << golden.toStdString();

    // Nothing the screen could not have written.
    const ToolRun check = runTool({"check", file()});
    EXPECT_EQ(check.status, 0) << check.out;
    EXPECT_NE(check.out.find("No problems found"), std::string::npos) << check.out;

    // The JSON holds the values the program stored.
    const ToolRun json = runTool({"dump", "--json", file()});
    ASSERT_EQ(json.status, 0) << json.err;
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(json.out), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    const QJsonObject top = doc.object();
    EXPECT_EQ(top["schema"].toString(), "velmira-config/1");
    const QJsonArray records = top["records"].toArray();
    ASSERT_EQ(records.size(), 5) << "the four axes of card 3 and Axis_X of card 5";

    // Every value in the JSON is the one in the program's image.
    for (const QJsonValue& r : records) {
        const QJsonObject record = r.toObject();
        EXPECT_EQ(record["card"].toInt() * 4 + QString("XYZU").indexOf(record["axis"].toString()),
                  record["record"].toInt());
        const AxisSettings& stored =
            state.settings.records.at(static_cast<std::size_t>(record["record"].toInt()));
        const QJsonArray es = record["entries"].toArray();
        ASSERT_EQ(es.size(), 13);
        for (int i = 0; i < 13; ++i) {
            const SettingEntry& e = stored.*kSettingEntries[static_cast<std::size_t>(i)];
            const QJsonObject j = es[i].toObject();
            EXPECT_EQ(j["enabled"].toInt(), e.enabled);
            EXPECT_EQ(j["first"].toInteger(), e.first);
            EXPECT_EQ(j["second"].toInteger(), e.second);
        }
    }
    const ToolRun all = runTool({"dump", file(), "--json", "--all"});
    EXPECT_EQ(
        QJsonDocument::fromJson(QByteArray::fromStdString(all.out))["records"].toArray().size(),
        36);
}

}  // namespace
}  // namespace velmira
