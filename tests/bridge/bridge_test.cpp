#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <fstream>
#include <sstream>

#include "app/hardware_setup.h"
#include "support/testlib_run.h"

namespace velmira {
namespace {

using test::readLines;
using test::TestLibRun;

Options allRoles(const std::string& lib) {
    Options o;
    o.rack = "";
    o.lorvexLib = o.quenbyLib = o.backplaneLib = lib;
    return o;
}

TEST(Bridge, PassesEveryArgumentInItsCWidth) {
    TestLibRun run;
    run.script("lorvexMF_REGISTRATION 257\nquenbyMF_GET_ERROR_CODE -1\nIoReadByte(4096) 69\n");
    auto setup = HardwareSetup::create(allRoles(VELMIRA_TESTLIB));
    ASSERT_TRUE(setup.ok()) << setup.error();
    const Hardware& hw = (*setup)->hardware();

    EXPECT_EQ(hw.lorvex->REGISTRATION(259, 3), 1) << "an 8-bit result";
    hw.lorvex->SET_AO(1, 2, 70000);
    hw.lorvex->SET_V(1, 0x10002, -20000);
    hw.quenby->SET_SLMT(7, 3, 2147483647, -2147483647 - 1, 1);
    hw.lorvex->ARC_CW(1, -5, 6, -7, 8);
    hw.quenby->AUTO_HOME(2, 1, 1, 2, 0, 1, 120000, 50000, 3000, 6000);
    EXPECT_EQ(hw.quenby->GET_ERROR_CODE(2, 1), 0xFFFFFFFFu);
    EXPECT_EQ(hw.backplane->GetSlotAddr(1), 0u);
    EXPECT_EQ(hw.backplane->IoReadByte(4096), 69u);

    EXPECT_EQ(run.calls(), (std::vector<std::string>{
                               "lorvexMF_REGISTRATION(3,3)",
                               "lorvexMF_SET_AO(1,2,4464)",
                               "lorvexMF_SET_V(1,2,-20000)",
                               "quenbyMF_SET_SLMT(7,3,2147483647,-2147483648,1)",
                               "lorvexMF_ARC_CW(1,-5,6,-7,8)",
                               "quenbyMF_AUTO_HOME(2,1,1,2,0,1,120000,50000,3000,6000)",
                               "quenbyMF_GET_ERROR_CODE(2,1)",
                               "GetSlotAddr(1)",
                               "IoReadByte(4096)",
                           }));
}

TEST(Bridge, RefusesALibraryLackingAFunctionAndNamesIt) {
    Options o;
    o.rack = kDefaultRack;
    o.lorvexLib = VELMIRA_TESTLIB_LACKING;
    auto setup = HardwareSetup::create(o);
    EXPECT_FALSE(setup.ok());
    EXPECT_EQ(setup.error(),
              std::string("--lorvex-lib: ") + VELMIRA_TESTLIB_LACKING + ": lacks lorvexMF_SET_V");

    // Every missing function is named, not only the first.
    o.lorvexLib = VELMIRA_TESTLIB_LACKING_TWO;
    EXPECT_EQ(HardwareSetup::create(o).error(), std::string("--lorvex-lib: ") +
                                                    VELMIRA_TESTLIB_LACKING_TWO +
                                                    ": lacks lorvexMF_SET_V, lorvexMF_HOME_WAIT");

    // The two-axis role needs no four-axis function, so the same file serves there.
    o.lorvexLib.clear();
    o.quenbyLib = VELMIRA_TESTLIB_LACKING;
    EXPECT_TRUE(HardwareSetup::create(o).ok());
}

TEST(Bridge, RefusesPathsThatAreNoLibrary) {
    QTemporaryDir dir;
    const std::string text = (dir.path() + "/notes.so").toStdString();
    std::ofstream(text) << "not a library";
    const std::pair<std::string, std::string> cases[] = {
        {"/no/such/libslots.so", "no such file or folder"},
        {text, "cannot be loaded: "},  // and the loader's reason
        {dir.path().toStdString(), "is a folder, not a file"},
        // A bare name is a file in no folder we search: it must exist as given.
        {"libc.so.6", "no such file or folder"},
    };
    Options o;
    o.rack = kDefaultRack;
    for (const auto& [path, reason] : cases) {
        o.backplaneLib = path;
        const std::string error = HardwareSetup::create(o).error();
        const std::string expected = "--backplane-lib: " + path + ": " + reason;
        EXPECT_EQ(reason.ends_with(' ') ? error.substr(0, expected.size()) : error, expected);
    }
    // The system's own reason: a name too long is not a missing file.
    o.backplaneLib = "/" + std::string(5000, 'x') + ".so";
    const std::string tooLong = HardwareSetup::create(o).error();
    EXPECT_NE(tooLong.find(": file name too long"), std::string::npos) << tooLong.substr(0, 300);
    EXPECT_LT(tooLong.size(), 300u) << "the path is shortened in the message";
}

// Each line: the microseconds since start, never going back, the call as the
// library saw it, "->" and its result.
TEST(Trace, MatchesTheCallsTheLibrarySawLineForLine) {
    TestLibRun run;
    run.script("quenbyMF_GET_LP -1234\nIoReadByte 82\n");
    Options o = allRoles(VELMIRA_TESTLIB);
    o.trace = run.path("trace.txt");
    {
        auto setup = HardwareSetup::create(o);
        ASSERT_TRUE(setup.ok()) << setup.error();
        const Hardware& hw = (*setup)->hardware();
        hw.backplane->GetSlotAddr(5);
        hw.backplane->IoReadByte(0x50000);
        hw.quenby->REGISTRATION(5, 5);
        hw.quenby->SET_AO(5, 1, 70000);
        hw.quenby->GET_LP(5, 1);
        hw.lorvex->SERVO_OFF(1, 15);
    }  // the end of the run flushes the trace

    const std::vector<std::string> seen = run.calls();
    const std::vector<std::string> trace = readLines(o.trace);
    ASSERT_EQ(trace.size(), seen.size());
    long long previous = 0;
    std::vector<std::string> results;
    for (std::size_t i = 0; i < trace.size(); ++i) {
        long long micros = -1;
        std::string call, arrow, result;
        std::istringstream(trace[i]) >> micros >> call >> arrow >> result;
        EXPECT_EQ(call, seen[i]);
        EXPECT_EQ(arrow, "->") << trace[i];
        EXPECT_GE(micros, previous) << trace[i];
        previous = micros;
        results.push_back(result);
    }
    EXPECT_EQ(results[1], "82");
    EXPECT_EQ(results[4], "-1234");
}

}  // namespace
}  // namespace velmira
