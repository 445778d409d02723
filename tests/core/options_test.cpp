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

TEST(Options, DefaultsToTheStandardRackAndTheUserCard) {
    const OptionsResult r = parseOptions({});
    EXPECT_TRUE(r.error.empty());
    EXPECT_EQ(r.options.rack, "1=Lorvex,3=LorvexF,5=Quenby");
    EXPECT_TRUE(r.options.card.empty());
    EXPECT_FALSE(r.options.help);
}

TEST(Options, TakesValuesInBothForms) {
    QTemporaryDir card;
    const std::string dir = card.path().toStdString();
    const OptionsResult r = parseOptions({"--rack=2=Quenby", "--card", dir});
    EXPECT_TRUE(r.error.empty()) << r.error;
    EXPECT_EQ(r.options.rack, "2=Quenby");
    EXPECT_EQ(r.options.card, dir);
    EXPECT_TRUE(parseOptions({"--rack", ""}).error.empty()) << "an empty rack is allowed";
    EXPECT_EQ(parseOptions({}).options.backupCount, 5);
    EXPECT_EQ(parseOptions({"--backups=0"}).options.backupCount, 0);
    EXPECT_EQ(parseOptions({"--backups", "99"}).options.backupCount, 99);
    EXPECT_FALSE(r.options.quitWhenShown);
    const OptionsResult measured = parseOptions({"--quit-when-shown", "--rack", "2=Quenby"});
    EXPECT_TRUE(measured.error.empty()) << measured.error;
    EXPECT_TRUE(measured.options.quitWhenShown);
    EXPECT_EQ(measured.options.rack, "2=Quenby") << "a flag takes no value from the next word";

    EXPECT_TRUE(r.options.platform.empty()) << "QT_QPA_PLATFORM or Qt's choice";
    EXPECT_FALSE(r.options.panel);
    const OptionsResult panel = parseOptions({"--platform", "linuxfb:fb=/dev/fb1", "--panel"});
    EXPECT_TRUE(panel.error.empty()) << panel.error;
    EXPECT_EQ(panel.options.platform, "linuxfb:fb=/dev/fb1") << "the plugin's options stay on";
    EXPECT_TRUE(panel.options.panel);
    EXPECT_EQ(parseOptions({"--platform=eglfs"}).options.platform, "eglfs");
}

TEST(Options, RefusesMistakesWithOneClearMessage) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--bogus"}, "unknown option \"--bogus\" (see --help)"},
        {{"-platform", "xcb"}, "unknown option \"-platform\" (see --help)"},
        {{"--rack"}, "--rack needs a value (see --help)"},
        {{"--rack", "8=Lorvex"}, "--rack: \"8=Lorvex\": the slot must be a number from 1 to 7"},
        {{"--rack", "1=Lorvex,1=Quenby"}, "--rack: \"1=Quenby\": slot 1 is given twice"},
        {{"--rack", "1=Lorvx"},
         "--rack: \"1=Lorvx\": the module must be Lorvex, LorvexF, Quenby or an ID byte 0 to 255"},
        {{"--rack", "1=256"},
         "--rack: \"1=256\": the module must be Lorvex, LorvexF, Quenby or an ID byte 0 to 255"},
        {{"--rack", "Lorvex"}, "--rack: \"Lorvex\" is not slot=module"},
        // A comma too many is a mistake, at the end as between two items.
        {{"--rack", "1=Lorvex,"}, "--rack: \"1=Lorvex,\": an empty item, from a comma too many"},
        {{"--rack", "1=Lorvex, ,2=Quenby"},
         "--rack: \"1=Lorvex, ,2=Quenby\": an empty item, from a comma too many"},
        {{"--rack", ",,,"}, "--rack: \",,,\": an empty item, from a comma too many"},
        {{"--card", "/a\xff"}, "--card: \"/a\\xFF\" is not valid UTF-8, which every value must be"},
        {{"--card", "/no/such/folder"}, "--card: \"/no/such/folder\": no such file or folder"},
        {{"--card", "/dev/null"}, "--card: \"/dev/null\" is not a folder"},
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
    };
    for (const auto& [args, message] : cases) {
        EXPECT_EQ(parseOptions(args).error, message);
    }
}

TEST(Options, ReadsTheRackFileWhileCheckingTheOptions) {
    QTemporaryDir dir;
    const std::string good = dir.filePath("good.toml").toStdString();
    const std::string broken = dir.filePath("broken.toml").toStdString();
    std::ofstream(good) << "[slot.3]\nregistration = \"fails\"\n";
    std::ofstream(broken) << "[axis]\nlimt_plus = 1\n";

    const OptionsResult r = parseOptions({"--rack-file=" + good});
    EXPECT_TRUE(r.error.empty()) << r.error;
    EXPECT_EQ(r.options.rackFile, good);
    EXPECT_TRUE(r.options.rackDescription.bySlot[3].registrationFails);
    EXPECT_FALSE(parseOptions({}).options.rackDescription.bySlot[3].registrationFails);

    EXPECT_EQ(parseOptions({"--rack-file", broken}).error,
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
        return parseOptions(args).error;
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
    EXPECT_EQ(parseOptions({"--trace", defaultConfig}).error,
              refused(defaultConfig, "the configuration file"));
    qputenv("XDG_DATA_HOME", saved);
}

TEST(Options, ARegularFileIsNoCard) {
    QTemporaryDir dir;
    const std::string file = dir.filePath("card").toStdString();
    std::ofstream(file) << "not a folder";
    EXPECT_EQ(parseOptions({"--card", file}).error, "--card: \"" + file + "\" is not a folder");
    EXPECT_TRUE(parseOptions({"--card=" + dir.path().toStdString()}).error.empty());
    EXPECT_TRUE(parseOptions({"--trace=--odd-name"}).error.empty()) << "written with =";
}

TEST(Options, ACardFolderThatCannotBeWrittenIsRefusedAtOnce) {
    QTemporaryDir dir;
    ASSERT_EQ(::chmod(dir.path().toLocal8Bit().constData(), 0755),
              0);  // others may look, not write
    const std::string card = dir.path().toStdString();
    const std::string expected = "--card: \"" + card + "\": no permission";
    const int status = test::asOrdinaryUser([&] {
        return parseOptions({"--card", card}).error == expected ? 0 : 1;
    });
    EXPECT_EQ(status, 0) << "the first save would have failed";
}

TEST(Options, ValuesInMessagesCannotForgeLinesOrFloodTheTerminal) {
    const std::string message = parseOptions({"--rack", "1=\x1b[2J\nfake\xe2\x80\xae"}).error;
    EXPECT_EQ(message,
              "--rack: \"1=\\x1B[2J\\x0Afake\\u202E\": the module must be Lorvex, LorvexF, "
              "Quenby or an ID byte 0 to 255");
    const std::string huge = parseOptions({"--bogus" + std::string(1000000, 'x')}).error;
    EXPECT_LT(huge.size(), 300u);
    EXPECT_NE(huge.find("\xe2\x80\xa6"), std::string::npos) << "an ellipsis says there is more";
    const std::string c1 = parseOptions({"--card",
                                         "/a\xc2\x85"
                                         "b\xff"})
                               .error;
    EXPECT_EQ(c1.rfind("--card: \"/a\\u0085b\\xFF\"", 0), 0u) << c1;
}

TEST(Options, HelpNamesEveryOptionWithItsDefault) {
    const OptionsResult asked = parseOptions({"--help", "--rack", "9=x"});
    EXPECT_TRUE(asked.options.help);
    EXPECT_TRUE(asked.error.empty()) << "help is shown whatever the other values: " << asked.error;
    const OptionsResult version = parseOptions({"--rack", "9=x", "--version"});
    EXPECT_TRUE(version.options.version);
    EXPECT_TRUE(version.error.empty()) << version.error;
    const std::string help = helpText("/home/u/card");
    for (const char* part : {"--rack SLOTS", "\"1=Lorvex,3=LorvexF,5=Quenby\"", "--rack-file FILE",
                             "--card DIR", "/home/u/card", "--platform NAME", "QT_QPA_PLATFORM",
                             "--panel", "--quit-when-shown", "--version", "--help", "-h"}) {
        EXPECT_NE(help.find(part), std::string::npos) << part;
    }
}

}  // namespace
}  // namespace velmira
