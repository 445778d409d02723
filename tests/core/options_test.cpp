#include "app/options.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QTemporaryDir>
#include <fstream>

#include "support/ordinary_user.h"

namespace velmira {
namespace {

// What a parse set, on one line: rack|card|backups|platform|trace and the flags.
std::string summary(const Options& o) {
    return o.rack + "|" + o.card + "|" + std::to_string(o.backupCount) + "|" + o.platform + "|" +
           o.trace + (o.panel ? "|panel" : "") + (o.quitWhenShown ? "|quit" : "");
}

// What each option sets, in both forms; what it is when not given.
TEST(Options, TakesValuesInBothForms) {
    QTemporaryDir card;
    const std::string dir = card.path().toStdString();
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        // No card: the per-user one; no platform: QT_QPA_PLATFORM or Qt's choice.
        {{}, "1=Lorvex,3=LorvexF,5=Quenby||5||"},
        {{"--rack=2=Quenby", "--card", dir, "--backups=0"}, "2=Quenby|" + dir + "|0||"},
        {{"--rack", "", "--card=" + dir, "--backups", "99"}, "|" + dir + "|99||"},
        {{"--quit-when-shown", "--rack", "2=Quenby"}, "2=Quenby||5|||quit"},
        {{"--platform", "linuxfb:fb=/dev/fb1"},
         "1=Lorvex,3=LorvexF,5=Quenby||5|linuxfb:fb=/dev/fb1|"},
        {{"--platform=eglfs", "--panel", "--trace=--odd-name"},
         "1=Lorvex,3=LorvexF,5=Quenby||5|eglfs|--odd-name|panel"},
    };
    for (const auto& [args, expected] : cases) {
        const Result<Options> r = parseOptions(args);
        ASSERT_TRUE(r.ok()) << r.error();
        EXPECT_EQ(summary(*r), expected) << testing::PrintToString(args);
        EXPECT_FALSE(r->help || r->version);
    }
    // Help and version are answered whatever the other values.
    EXPECT_TRUE(parseOptions({"--help", "--rack", "9=x"})->help);
    EXPECT_TRUE(parseOptions({"--rack", "9=x", "--version"})->version);
}

TEST(Options, RefusesMistakesWithOneClearMessage) {
    QTemporaryDir dir;
    const std::string file = dir.filePath("card").toStdString();
    std::ofstream(file) << "not a folder";
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--bogus"}, "unknown option \"--bogus\" (see --help)"},
        {{"file"}, "unknown option \"file\" (see --help)"},
        {{"--rack"}, "--rack needs a value (see --help)"},
        {{"--rack", "8=Lorvex"}, "--rack: \"8=Lorvex\": the slot must be a number from 1 to 7"},
        {{"--rack", "0=Lorvex"}, "--rack: \"0=Lorvex\": the slot must be a number from 1 to 7"},
        {{"--rack", "1=Lorvex,"}, "--rack: \"1=Lorvex,\": an empty item, from a comma too many"},
        {{"--card", "/a\xff"}, "--card: \"/a\\xFF\" is not valid UTF-8, which every value must be"},
        {{"--card", "/no/such/folder"}, "--card: \"/no/such/folder\": no such file or folder"},
        {{"--card", file}, "--card: \"" + file + "\" is not a folder"},
        // A second value would win unchecked; an empty path would mean the default.
        {{"--card=/tmp", "--card", "/tmp"}, "--card is given twice (see --help)"},
        {{"--trace", ""}, "--trace: the path is empty"},
        {{"--backups", "100"}, "--backups: \"100\" is not a number from 0 to 99"},
        {{"--trace", "--help"},
         "--trace needs a value; \"--help\" is an option (write --trace=--help for a file of "
         "that name)"},
        {{"--quit-when-shown=1"}, "--quit-when-shown takes no value (see --help)"},
        {{"--platform", "--panel"},
         "--platform needs a value; \"--panel\" is an option (see --help)"},
        // Values in messages cannot forge lines or move the terminal.
        {{"--rack", "1=\x1b[2J\nfake\xe2\x80\xae"},
         "--rack: \"1=\\x1B[2J\\x0Afake\\u202E\": the module must be Lorvex, LorvexF, Quenby or "
         "an ID byte 0 to 255"},
    };
    for (const auto& [args, message] : cases) {
        EXPECT_EQ(parseOptions(args).error(), message);
    }
    const std::string huge = parseOptions({"--bogus" + std::string(1000000, 'x')}).error();
    EXPECT_LT(huge.size(), 300u);
    EXPECT_NE(huge.find("\xe2\x80\xa6"), std::string::npos) << "an ellipsis says there is more";
}

TEST(Options, ReadsTheRackFileWhileCheckingTheOptions) {
    QTemporaryDir dir;
    const std::string good = dir.filePath("good.toml").toStdString();
    std::ofstream(good) << "[slot.3]\nregistration = \"fails\"\n";

    const Result<Options> r = parseOptions({"--rack-file=" + good});
    ASSERT_TRUE(r.ok()) << r.error();
    EXPECT_EQ(r->rackFile, good);
    EXPECT_TRUE(r->rackDescription.bySlot[3].registrationFails);
    EXPECT_FALSE(parseOptions({})->rackDescription.bySlot[3].registrationFails);
}

// Appending to a file the program reads would spoil it; Load Config would
// send trace text to a module as its settings.
TEST(Options, TheTraceNeverGoesIntoAFileTheProgramReads) {
    QTemporaryDir dir;
    const std::string root = dir.path().toStdString(), card = root + "/card";
    const std::string orvo = card + "/Pelmoran/Orvo", config = orvo + "/lorvex_Config.ini";
    const std::string backup = config + ".20261208-080533.bak", rack = root + "/rack.toml";
    const std::string link = root + "/link", hard = root + "/hard", hardBackup = root + "/old";
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(orvo)));
    const auto refusal = [&](const std::string& trace, std::vector<std::string> more = {}) {
        more.insert(more.begin(), {"--card", card, "--trace", trace});
        return parseOptions(more).error();
    };
    const auto refused = [](const std::string& trace, const char* what) {
        return "--trace: \"" + trace + "\" is " + what + "; the trace needs a file of its own";
    };
    const char* configFile = "the configuration file";
    const char* kin = "a backup or temporary file of the configuration file";
    // Not there yet, the file a save would make is refused all the same.
    EXPECT_EQ(refusal(config), refused(config, configFile));
    for (const std::string& f : {config, backup, rack, root + "/lib.so"}) std::ofstream(f) << "";
    ASSERT_EQ(::symlink(config.c_str(), link.c_str()), 0);
    ASSERT_EQ(::link(config.c_str(), hard.c_str()), 0);
    ASSERT_EQ(::link(backup.c_str(), hardBackup.c_str()), 0);
    const struct {
        std::string trace;
        std::vector<std::string> more;
        const char* what;  // nullptr: a file of its own
    } cases[] = {
        {card + "/Pelmoran/../Pelmoran/Orvo//lorvex_Config.ini", {}, configFile},
        {link, {}, configFile},
        {hard, {}, configFile},
        {config, {"--quenby-lib", link}, configFile},
        {backup, {}, kin},
        {config + ".tmp-Ab12Cd", {}, kin},
        {hardBackup, {}, kin},
        {rack, {"--rack-file", rack}, "the rack file"},
        {root + "/./lib.so",
         {"--backplane-lib", root + "/lib.so"},
         "the library of --backplane-lib"},
        {orvo + "/trace", {"--rack-file", rack}, nullptr},
        {config + ".txt", {}, nullptr},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(refusal(c.trace, c.more), c.what ? refused(c.trace, c.what) : "") << c.trace;
    }
    // The default card, when none is given.
    const QByteArray saved = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString(root + "/data"));
    const std::string defaultOrvo = root + "/data/velmira/CompactFlash/Pelmoran/Orvo";
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(defaultOrvo)));
    const std::string defaultConfig = defaultOrvo + "/lorvex_Config.ini";
    EXPECT_EQ(parseOptions({"--trace", defaultConfig}).error(), refused(defaultConfig, configFile));
    qputenv("XDG_DATA_HOME", saved);
}

TEST(Options, ACardFolderThatCannotBeWrittenIsRefusedAtOnce) {
    QTemporaryDir dir;
    // Others may look, not write.
    ASSERT_EQ(::chmod(dir.path().toLocal8Bit().constData(), 0755), 0);
    const std::string card = dir.path().toStdString();
    const std::string expected = "--card: \"" + card + "\": no permission";
    const int status = test::asOrdinaryUser([&] {
        return parseOptions({"--card", card}).error() == expected ? 0 : 1;
    });
    EXPECT_EQ(status, 0) << "the first save would have failed";
}

}  // namespace
}  // namespace velmira
