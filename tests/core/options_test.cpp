#include "app/options.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <fstream>

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
        {{"--card", "/no/such/folder"}, "--card: \"/no/such/folder\" is not a folder"},
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

TEST(Options, HelpNamesEveryOptionWithItsDefault) {
    EXPECT_TRUE(parseOptions({"--help", "--rack", "9=x"}).options.help);
    const std::string help = helpText("/home/u/card");
    for (const char* part : {"--rack SLOTS", "\"1=Lorvex,3=LorvexF,5=Quenby\"", "--rack-file FILE",
                             "--card DIR", "/home/u/card", "--help"}) {
        EXPECT_NE(help.find(part), std::string::npos) << part;
    }
}

}  // namespace
}  // namespace velmira
