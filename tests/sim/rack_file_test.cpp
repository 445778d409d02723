#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QTemporaryDir>
#include <filesystem>
#include <fstream>

#include "sim/rack_description.h"
#include "support/ordinary_user.h"

namespace velmira {

namespace {

RackDescription parsed(std::string_view text) {
    const RackFileResult r = parseRackFile(text);
    EXPECT_TRUE(r.ok) << r.error;
    return r.rack;
}

TEST(RackFile, EmptyOrCommentOnlyFileIsTheBuiltInMachine) {
    for (const char* text : {"", "# nothing here\n\n", "[axis]\n[slot.4]\n[slot.4.axis.U]\n"}) {
        const RackDescription rack = parsed(text);
        for (int slot = kFirstSlot; slot <= kLastSlot; ++slot) {
            EXPECT_FALSE(rack.bySlot[slot].registrationFails) << text;
            for (const AxisMachine& axis : rack.bySlot[slot].axes) EXPECT_EQ(axis, AxisMachine{});
        }
    }
}

TEST(RackFile, EveryKeyReachesItsOwnFieldUpToTheEdgesOfItsRange) {
    const RackDescription rack = parsed(R"(
        [slot.2.axis.U]
        start = 7
        limit_minus = -11
        limit_plus = 13
        near_home = [-9, 9]
        home = [-3, 4]
        index_spacing = 50
        index_phase = 49
        active_high = true
        emergency_stop = true
        alarm = true
        ready = false
        pulser = -250
        [slot.1.axis.X]       # the edges of every range
        limit_minus = -2147483648
        limit_plus = 2147483647
        start = 2147483646
        home = [5, 5]
        index_spacing = 0
        index_phase = -7      # no index pulse: the phase means nothing
        [slot.1.axis.Y]
        index_spacing = 1
        index_phase = 0
    )");
    const AxisMachine expected{7, -11, 13, {-9, 9}, {-3, 4}, 50, 49, true, true, true, false, -250};
    EXPECT_EQ(rack.bySlot[2].axes[3], expected);
    EXPECT_EQ(rack.bySlot[2].axes[2], AxisMachine{}) << "only U was described";
    EXPECT_EQ(rack.bySlot[1].axes[0].limitMinus, std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(rack.bySlot[1].axes[1].indexSpacing, 1);
}

TEST(RackFile, MoreSpecificLevelsWinKeyByKey) {
    // Dotted keys and inline tables are the same tables as headers.
    const RackDescription rack = parsed(R"(
        slot.6.axis.Z.home = [-1, 1]
        slot.6.registration = "succeeds"
        slot.7 = { axis = { X = { ready = false } } }
        [axis]
        limit_plus = 90000
        alarm = true
        [slot.3]
        registration = "fails"
        [slot.3.axis]
        limit_plus = 80000
        pulser = 100
        [slot.3.axis.Y]
        limit_plus = 70000
    )");
    const auto& slot3 = rack.bySlot[3].axes;
    EXPECT_EQ(slot3[1].limitPlus, 70000);
    EXPECT_EQ(slot3[1].pulserRate, 100) << "Y keeps what its slot says about other keys";
    EXPECT_TRUE(slot3[1].alarm) << "and what the top level says";
    EXPECT_EQ(slot3[0].limitPlus, 80000);
    EXPECT_EQ(slot3[0].limitMinus, AxisMachine{}.limitMinus) << "no level sets it";
    EXPECT_EQ(rack.bySlot[1].axes[0].limitPlus, 90000);
    EXPECT_TRUE(rack.bySlot[3].registrationFails);
    EXPECT_FALSE(rack.bySlot[6].registrationFails);
    EXPECT_EQ(rack.bySlot[6].axes[2].home, (SignalZone{-1, 1}));
    EXPECT_FALSE(rack.bySlot[7].axes[0].ready);
}

TEST(RackFile, RefusesWithTheLineColumnAndKeyPath) {
    const std::pair<const char*, const char*> cases[] = {
        {"[axis]\nlimt_plus = 5", "2:1: axis.limt_plus: unknown key"},
        {"[axes]", "1:2: axes: unknown key; the file has [axis] and [slot.N] tables"},
        {"[slot.3]\nregistraton = \"fails\"",
         "2:1: slot.3.registraton: unknown key; a slot has registration and [slot.3.axis] tables"},
        {"[slot.8]", "1:7: slot.8: unknown slot; the slots are 1 to 7"},
        {"[slot.3.axis.W]", "1:14: slot.3.axis.W: unknown axis; the axes are X, Y, Z and U"},
        {"[axis.Y]\nhome = [1, 2]", "1:7: axis.Y: unknown key; one axis is set in [slot.N.axis.Y]"},
        {"\"a\\nb\" = 1", "1:1: \"a\\x0Ab\": unknown key; the file has [axis] and [slot.N] tables"},
        {"[axis]\nlimit_plus = \"5\"", "2:14: axis.limit_plus: must be an integer, not a string"},
        {"[axis]\nalarm = 1", "2:9: axis.alarm: must be true or false, not an integer"},
        {"[axis]\nhome = [1]", "2:8: axis.home: must be [from, to], two integers, not 1 value"},
        {"[slot.3.axis.Y]\nhome = [1, \"2\"]",
         "2:12: slot.3.axis.Y.home: to must be an integer, not a string"},
        {"[slot.3]\nregistration = \"fail\"",
         "2:16: slot.3.registration: must be \"fails\" or \"succeeds\", not \"fail\""},
        {"[[slot]]", "1:1: slot: must be a table, not an array"},
        {"[axis]\nlimit_plus = 2147483648",
         "2:14: axis.limit_plus: must be from -2147483648 to 2147483647, not 2147483648"},
        {"[axis]\nindex_spacing = -1",
         "2:17: axis.index_spacing: must be from 0 to 2147483647, not -1"},
        {"[axis]\nhome = [5, 3]", "2:8: axis.home: from (5) must not be above to (3)"},
        // Inconsistent once merged: the most specific value is named.
        {"[axis]\nlimit_plus = 10\n[slot.4.axis.X]\nlimit_minus = 20",
         "4:15: slot.4.axis.X.limit_minus: limit_minus (20) must be below limit_plus (10)"},
        {"[slot.2.axis.Z]\nstart = 100000",
         "2:9: slot.2.axis.Z.start: start (100000) must be below limit_plus (100000), or the axis "
         "starts on the plus limit switch"},
        {"[axis]\nindex_phase = 3000\n[slot.5.axis.U]\nindex_spacing = 3000",
         "4:17: slot.5.axis.U.index_spacing: index_phase (3000) must be from 0 to 2999 for "
         "index_spacing 3000"},
        // Defined twice: the key as the file writes it.
        {"[slot.\"3\"]\n[slot . \"3\" ] # again",
         "2:1: Error while parsing table header: cannot redefine existing table 'slot . \"3\"'"},
        // The first fault in the file is reported, whatever the order of the keys.
        {"[slot.5]\nzzz = 1\n[axis]\naaa = 2",
         "2:1: slot.5.zzz: unknown key; a slot has "
         "registration and [slot.5.axis] tables"},
    };
    for (const auto& [text, message] : cases) {
        const RackFileResult r = parseRackFile(text);
        EXPECT_FALSE(r.ok) << text;
        EXPECT_EQ(r.error, message) << text;
    }
}

TEST(RackFile, SyntaxErrorsCarryTheParsersPositionOnOneLine) {
    const std::pair<std::string, const char*> cases[] = {
        {"[axis\n", "1:6: "},
        {"a = \"\xff\"\n", "1:"},
        {std::string("a = 1\0x", 7), "1:"},
        {"a = " + std::string(5000, '[') + std::string(5000, ']'), "1:"},
    };
    for (const auto& [text, start] : cases) {
        const RackFileResult r = parseRackFile(text);
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.error.rfind(start, 0), 0u) << r.error;
        EXPECT_EQ(r.error.find('\n'), std::string::npos) << r.error;
        EXPECT_GT(r.error.size(), std::string_view(start).size() + 5) << "says what is wrong";
    }
}

// Tens of thousands of levels would exhaust the parser's stack: such files are
// refused before it reads them, where they go too deep or too wide.
TEST(RackFile, DeepOrWideFilesAreRefusedBeforeParsing) {
    std::string dotted;
    for (int i = 0; i < 40000; ++i) dotted += "a.";
    const std::pair<std::string, std::string> refused[] = {
        {dotted + "a = 1\n", "1:32: key nested deeper than 16 levels"},
        {"[axis]\n[" + dotted + "a]\n", "2:33: key nested deeper than 16 levels"},
        {"x = { y = " + std::string(20000, '{'), "1:26: arrays or tables nested deeper than 16"},
        {"[axis]\nlimit_plus = 5 # " + std::string(70000, '#') + "\n",
         "2:65537: line longer than 65536 characters"},
    };
    for (const auto& [text, start] : refused) {
        const RackFileResult r = parseRackFile(text);
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.error.rfind(start, 0), 0u) << r.error.substr(0, 200);
    }
    // What real files hold: dots and brackets in strings and comments, arrays
    // of tables, the deepest key there is, a long comment within bounds.
    const std::string fine[] = {
        "[slot.1.axis.U] # a.b.c.d.e.f.g.h.i.j.k.l.m.n.o.p.q.r.s.t [[[[[[[[[[[[[[[[[[\n"
        "pulser = 500\n",
        "[axis]\nlimit_plus = 90000 # " + std::string(65000, '.') + "\n",
    };
    for (const std::string& text : fine) EXPECT_TRUE(parseRackFile(text).ok) << text.substr(0, 60);
    const RackFileResult quoted = parseRackFile("\"a.b.c.d.e.f.g.h.i.j.k.l.m.n.o.p.q\" = 1\n");
    EXPECT_NE(quoted.error.find("unknown key"), std::string::npos)
        << "dots in quotes are no levels";
    std::string sixteen = "a";
    for (int i = 1; i < 16; ++i) sixteen += ".a";
    EXPECT_NE(parseRackFile(sixteen + " = 1\n").error.find("unknown key"), std::string::npos);
    EXPECT_NE(parseRackFile(sixteen + ".a = 1\n").error.find("deeper than 16"), std::string::npos);
}

std::string write(const QTemporaryDir& dir, const char* name, const std::string& bytes) {
    const std::string path = dir.filePath(name).toStdString();
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

TEST(RackFile, FileErrorsStartWithThePath) {
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString();
    const std::string missing = folder + "/missing.toml";
    const std::string large = write(dir, "large.toml", std::string(1024 * 1024 + 1, '\n'));
    const std::string broken = write(dir, "broken.toml", "[axis]\nlimt_plus = 1\n");
    // A pipe nobody writes to would block the program in open() for ever.
    const std::string fifo = folder + "/pipe.toml";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::pair<std::string, std::string> cases[] = {
        {missing, missing + ": no such file"},
        {folder, folder + ": is a folder, not a file"},
        {large, large + ": is larger than 1 MiB, too large for a rack file"},
        {"/dev/zero", "/dev/zero: not a regular file (a device)"},
        {fifo, fifo + ": not a regular file (a pipe)"},
        {broken, broken + ":2:1: axis.limt_plus: unknown key"},
        {"", "the rack file name is empty"},
    };
    for (const auto& [path, message] : cases) {
        const RackFileResult r = readRackFile(path);
        EXPECT_FALSE(r.ok) << path;
        EXPECT_EQ(r.error, message);
    }
    EXPECT_TRUE(readRackFile(write(dir, "full.toml", std::string(1024 * 1024, '\n'))).ok)
        << "exactly 1 MiB is still read";
}

TEST(RackFile, UnreadableFileIsRefused) {
    QTemporaryDir dir;
    const std::string secret = write(dir, "secret.toml", "");
    std::filesystem::permissions(secret, std::filesystem::perms::none);
    std::filesystem::permissions(dir.path().toStdString(), std::filesystem::perms::all);
    // Root reads every file: the reading is done as an ordinary user.
    const std::string expected = secret + ": not readable (permission denied)";
    EXPECT_EQ(test::asOrdinaryUser([&] { return readRackFile(secret).error == expected ? 0 : 1; }),
              0);
}

TEST(RackFile, TheExampleInTheDocsIsValidAndDiffersAsItSays) {
    const RackFileResult r = readRackFile(VELMIRA_EXAMPLE_RACK);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_TRUE(r.rack.bySlot[3].registrationFails);
    const AxisMachine& y5 = r.rack.bySlot[5].axes[1];
    EXPECT_TRUE(y5.alarm);
    EXPECT_GT(y5.home.from, 0) << "home near the plus end";
    EXPECT_TRUE(y5.nearHome.contains(y5.home.from) && y5.nearHome.contains(y5.home.to));
}

}  // namespace
}  // namespace velmira
