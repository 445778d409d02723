#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
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
    QFile f(QString::fromStdString(text));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("not a library");
    f.close();

    Options o;
    o.rack = kDefaultRack;
    o.backplaneLib = "/no/such/libslots.so";
    EXPECT_EQ(HardwareSetup::create(o).error(),
              "--backplane-lib: /no/such/libslots.so: no such file or folder");
    o.backplaneLib = text;
    EXPECT_EQ(HardwareSetup::create(o).error().rfind(
                  "--backplane-lib: " + text + ": cannot be loaded: ", 0),
              0u);
    o.backplaneLib = dir.path().toStdString();
    EXPECT_EQ(HardwareSetup::create(o).error(),
              "--backplane-lib: " + o.backplaneLib + ": is a folder, not a file");
    // A bare name is a file in no folder we search: it must exist as given.
    o.backplaneLib = "libc.so.6";
    EXPECT_EQ(HardwareSetup::create(o).error(),
              "--backplane-lib: libc.so.6: no such file or folder");
    // The system's own reason: a name too long is not a missing file.
    o.backplaneLib = "/" + std::string(5000, 'x') + ".so";
    const std::string tooLong = HardwareSetup::create(o).error();
    EXPECT_NE(tooLong.find(": file name too long"), std::string::npos) << tooLong.substr(0, 300);
    EXPECT_LT(tooLong.size(), 300u) << "the path is shortened in the message";
}

struct TraceLine {
    long long micros = -1;
    std::string call;
    std::string result;
};

TraceLine parseTraceLine(const std::string& line) {
    TraceLine t;
    std::istringstream in(line);
    std::string arrow;
    in >> t.micros >> t.call >> arrow >> t.result;
    if (arrow != "->") t.micros = -1;
    return t;
}

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
    for (std::size_t i = 0; i < trace.size(); ++i) {
        const TraceLine t = parseTraceLine(trace[i]);
        EXPECT_EQ(t.call, seen[i]);
        EXPECT_GE(t.micros, previous) << trace[i];
        previous = t.micros;
    }
    EXPECT_EQ(parseTraceLine(trace[1]).result, "82");
    EXPECT_EQ(parseTraceLine(trace[3]).call, "quenbyMF_SET_AO(5,1,4464)");
    EXPECT_EQ(parseTraceLine(trace[4]).result, "-1234");
}

}  // namespace
}  // namespace velmira
