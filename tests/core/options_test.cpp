#include "app/options.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QTemporaryDir>
#include <fstream>
#include <functional>

#include "support/ordinary_user.h"

namespace velmira {
namespace {

// What each option sets, in both forms; what it is when not given.
TEST(Options, TakesValuesInBothForms) {
    QTemporaryDir card;
    const std::string dir = card.path().toStdString();
    using Field = std::function<std::string(const Options&)>;
    const auto text = [](std::string Options::*member) -> Field {
        return [member](const Options& o) { return o.*member; };
    };
    const auto flag = [](bool Options::*member) -> Field {
        return [member](const Options& o) { return o.*member ? "on" : "off"; };
    };
    const Field backups = [](const Options& o) { return std::to_string(o.backupCount); };
    const struct {
        std::vector<std::string> args;
        Field field;
        std::string expected;
    } cases[] = {
        {{}, text(&Options::rack), "1=Lorvex,3=LorvexF,5=Quenby"},
        {{}, text(&Options::card), ""},
        {{}, backups, "5"},
        {{}, text(&Options::platform), ""},  // QT_QPA_PLATFORM or Qt's choice
        {{}, flag(&Options::panel), "off"},
        {{}, flag(&Options::quitWhenShown), "off"},
        {{}, flag(&Options::help), "off"},
        {{"--rack=2=Quenby"}, text(&Options::rack), "2=Quenby"},
        {{"--rack", ""}, text(&Options::rack), ""},  // the empty rack
        {{"--card", dir}, text(&Options::card), dir},
        {{"--card=" + dir}, text(&Options::card), dir},
        {{"--backups=0"}, backups, "0"},
        {{"--backups", "99"}, backups, "99"},
        {{"--quit-when-shown", "--rack", "2=Quenby"}, text(&Options::rack), "2=Quenby"},
        {{"--quit-when-shown"}, flag(&Options::quitWhenShown), "on"},
        {{"--platform", "linuxfb:fb=/dev/fb1"}, text(&Options::platform), "linuxfb:fb=/dev/fb1"},
        {{"--platform=eglfs", "--panel"}, flag(&Options::panel), "on"},
        {{"--trace=--odd-name"}, text(&Options::trace), "--odd-name"},
        // Help and version are answered whatever the other values.
        {{"--help", "--rack", "9=x"}, flag(&Options::help), "on"},
        {{"--rack", "9=x", "-h"}, flag(&Options::help), "on"},
        {{"--rack", "9=x", "--version"}, flag(&Options::version), "on"},
    };
    for (const auto& c : cases) {
        const Result<Options> r = parseOptions(c.args);
        ASSERT_TRUE(r.ok()) << r.error();
        EXPECT_EQ(c.field(*r), c.expected) << testing::PrintToString(c.args);
    }
}

TEST(Options, RefusesMistakesWithOneClearMessage) {
    QTemporaryDir dir;
    const std::string file = dir.filePath("card").toStdString();
    std::ofstream(file) << "not a folder";
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--bogus"}, "unknown option \"--bogus\" (see --help)"},
        {{"-platform", "xcb"}, "unknown option \"-platform\" (see --help)"},
        {{"file"}, "unknown option \"file\" (see --help)"},
        {{"--help=1"}, "unknown option \"--help=1\" (see --help)"},
        {{"--rack"}, "--rack needs a value (see --help)"},
        {{"--rack", "8=Lorvex"}, "--rack: \"8=Lorvex\": the slot must be a number from 1 to 7"},
        {{"--rack", "1=Lorvex,"}, "--rack: \"1=Lorvex,\": an empty item, from a comma too many"},
        {{"--card", "/a\xff"}, "--card: \"/a\\xFF\" is not valid UTF-8, which every value must be"},
        {{"--card", "/no/such/folder"}, "--card: \"/no/such/folder\": no such file or folder"},
        {{"--card", file}, "--card: \"" + file + "\" is not a folder"},
        // A second value would win unchecked; an empty path would mean the default.
        {{"--card=/tmp", "--card", "/tmp"}, "--card is given twice (see --help)"},
        {{"--rack", "", "--rack=1=Lorvex"}, "--rack is given twice (see --help)"},
        {{"--trace", ""}, "--trace: the path is empty"},
        {{"--backups", "100"}, "--backups: \"100\" is not a number from 0 to 99"},
        {{"--backups=-1"}, "--backups: \"-1\" is not a number from 0 to 99"},
        {{"--backups="}, "--backups: \"\" is not a number from 0 to 99"},
        {{"--rack-file="}, "--rack-file: the path is empty"},
        {{"--trace", "--help"},
         "--trace needs a value; \"--help\" is an option (write --trace=--help for a file of "
         "that name)"},
        {{"--quit-when-shown", "--quit-when-shown"},
         "--quit-when-shown is given twice (see --help)"},
        {{"--quit-when-shown=1"}, "--quit-when-shown takes no value (see --help)"},
        {{"--platform", ""}, "--platform: the name is empty"},
        {{"--platform=xcb", "--platform", "xcb"}, "--platform is given twice (see --help)"},
        {{"--platform", "--panel"},
         "--platform needs a value; \"--panel\" is an option (see --help)"},
        {{"--panel", "--panel"}, "--panel is given twice (see --help)"},
        {{"--lorvex-lib", "--rack"},
         "--lorvex-lib needs a value; \"--rack\" is an option (write --lorvex-lib=--rack for a "
         "file of that name)"},
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
    const std::string broken = dir.filePath("broken.toml").toStdString();
    std::ofstream(good) << "[slot.3]\nregistration = \"fails\"\n";
    std::ofstream(broken) << "[axis]\nlimt_plus = 1\n";

    const Result<Options> r = parseOptions({"--rack-file=" + good});
    ASSERT_TRUE(r.ok()) << r.error();
    EXPECT_EQ(r->rackFile, good);
    EXPECT_TRUE(r->rackDescription.bySlot[3].registrationFails);
    EXPECT_FALSE(parseOptions({})->rackDescription.bySlot[3].registrationFails);

    EXPECT_EQ(parseOptions({"--rack-file", broken}).error(),
              "--rack-file: " + broken + ":2:1: axis.limt_plus: unknown key");
}

// Appending to a file the program reads would spoil it; Load Config would
// send trace text to a module as its settings.
TEST(Options, TheTraceNeverGoesIntoAFileTheProgramReads) {
    QTemporaryDir dir;
    const std::string root = dir.path().toStdString();
    const std::string card = root + "/card", orvo = card + "/Pelmoran/Orvo";
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(orvo)));
    const std::string config = orvo + "/lorvex_Config.ini";
    const auto refusal = [&](const std::vector<std::string>& more) {
        std::vector<std::string> args{"--card", card};
        args.insert(args.end(), more.begin(), more.end());
        return parseOptions(args).error();
    };
    const auto refused = [](const std::string& trace, const char* what) {
        return "--trace: \"" + trace + "\" is " + what + "; the trace needs a file of its own";
    };
    // Not there yet, the file a save would make is refused all the same.
    EXPECT_EQ(refusal({"--trace", config}), refused(config, "the configuration file"));
    std::ofstream(config) << "settings";
    const std::string spelt = card + "/Pelmoran/../Pelmoran/Orvo//lorvex_Config.ini";
    const std::string link = root + "/link", hard = root + "/hard";
    ASSERT_EQ(::symlink(config.c_str(), link.c_str()), 0);
    ASSERT_EQ(::link(config.c_str(), hard.c_str()), 0);
    for (const std::string& trace : {config, spelt, link, hard}) {
        EXPECT_EQ(refusal({"--trace", trace}), refused(trace, "the configuration file"));
    }
    const std::string backup = orvo + "/lorvex_Config.ini.20261208-080533.bak";
    std::ofstream(backup) << "settings";
    const std::string hardBackup = root + "/old";
    ASSERT_EQ(::link(backup.c_str(), hardBackup.c_str()), 0);
    for (const std::string& trace : {backup, orvo + "/lorvex_Config.ini.20261208-080534-2.bak",
                                     orvo + "/lorvex_Config.ini.tmp-Ab12Cd", hardBackup}) {
        EXPECT_EQ(refusal({"--trace", trace}),
                  refused(trace, "a backup or temporary file of the configuration file"));
    }
    const std::string rack = root + "/rack.toml", lib = root + "/lib.so";
    std::ofstream(rack) << "";
    std::ofstream(lib) << "";
    EXPECT_EQ(refusal({"--rack-file", rack, "--trace", rack}), refused(rack, "the rack file"));
    EXPECT_EQ(refusal({"--quenby-lib", link, "--trace", config}),
              refused(config, "the configuration file"));
    EXPECT_EQ(refusal({"--backplane-lib", lib, "--trace=" + root + "/./lib.so"}),
              refused(root + "/./lib.so", "the library of --backplane-lib"));
    for (const std::string& trace :
         {orvo + "/trace", orvo + "/lorvex_Config.ini.txt", root + "/t"}) {
        EXPECT_EQ(refusal({"--trace", trace, "--rack-file", rack}), "") << trace;
    }
    // The default card, when none is given.
    const QByteArray saved = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString(root + "/data"));
    const std::string defaultOrvo = root + "/data/velmira/CompactFlash/Pelmoran/Orvo";
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(defaultOrvo)));
    const std::string defaultConfig = defaultOrvo + "/lorvex_Config.ini";
    EXPECT_EQ(parseOptions({"--trace", defaultConfig}).error(),
              refused(defaultConfig, "the configuration file"));
    qputenv("XDG_DATA_HOME", saved);
}

TEST(Options, ACardFolderThatCannotBeWrittenIsRefusedAtOnce) {
    QTemporaryDir dir;
    ASSERT_EQ(::chmod(dir.path().toLocal8Bit().constData(), 0755),
              0);  // others may look, not write
    const std::string card = dir.path().toStdString();
    const std::string expected = "--card: \"" + card + "\": no permission";
    const int status = test::asOrdinaryUser([&] {
        return parseOptions({"--card", card}).error() == expected ? 0 : 1;
    });
    EXPECT_EQ(status, 0) << "the first save would have failed";
}

TEST(Options, HelpNamesEveryOptionWithItsDefault) {
    const std::string help = helpText("/home/u/card");
    for (const char* part : {"--rack SLOTS", "\"1=Lorvex,3=LorvexF,5=Quenby\"", "--rack-file FILE",
                             "--card DIR", "/home/u/card", "--platform NAME", "QT_QPA_PLATFORM",
                             "--panel", "--quit-when-shown", "--version", "--help", "-h"}) {
        EXPECT_NE(help.find(part), std::string::npos) << part;
    }
}

}  // namespace
}  // namespace velmira
