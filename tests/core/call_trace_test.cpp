#include "hw/call_trace.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QTemporaryDir>
#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>
#include <thread>

#include "platform/printable.h"

namespace velmira {
namespace {

TEST(CallTraceOpen, RefusesWhatCouldBlockOrSwallowTheTrace) {
    QTemporaryDir dir;
    const std::string fifo = dir.filePath("pipe").toStdString();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string folder = dir.path().toStdString();
    // A dangling link would create its target, wherever it points.
    const std::string dangling = folder + "/dangling";
    const std::string target = folder + "/elsewhere";
    ASSERT_EQ(symlink(target.c_str(), dangling.c_str()), 0);
    const std::string odd = folder + "/\x1b]0;title\x07" + std::string(5000, 'x');
    const std::pair<std::string, std::string> refused[] = {
        {fifo, fifo + ": not a regular file (a pipe)"},  // open() would wait for a reader
        {folder, folder + ": is a folder, not a file"},
        {folder + "/no/such/folder/trace",
         folder + "/no/such/folder/trace: no such file or folder"},
        {dangling, dangling + ": a link to a file that is not there"},
        {odd + "/trace", printable(odd + "/trace") + ": file name too long"},
    };
    for (const auto& [path, message] : refused) {
        const auto r = CallTrace::open(path);
        EXPECT_FALSE(r.ok()) << path;
        EXPECT_EQ(r.error(), message);
    }
    EXPECT_NE(access(target.c_str(), F_OK), 0) << "the link's target was created";
    EXPECT_LT(CallTrace::open(odd + "/trace").error().size(), 300u);
    EXPECT_TRUE(CallTrace::open(dir.filePath("trace").toStdString()).ok());
}

std::string contents(const std::string& file) {
    std::ifstream in(file);
    return {std::istreambuf_iterator<char>(in), {}};
}

bool matches(const std::string& text, const char* pattern) {
    return std::regex_match(text, std::regex(pattern));
}

// A call writes out lines that have waited a flush period, so the trace never lags
// far behind even without the timer; the timer writes out a run still under way.
TEST(CallTrace, ACallWritesOutLinesThatHaveWaitedAFlushPeriod) {
    QTemporaryDir dir;
    const std::string file = dir.filePath("trace").toStdString();
    auto opened = CallTrace::open(file);
    ASSERT_TRUE(opened.ok());
    (*opened)->record("lorvexMF_GET_LP(1,1)", 0);
    (*opened)->record("lorvexMF_GET_LP(1,1)", 0);
    EXPECT_EQ(contents(file), "") << "buffered";
    std::this_thread::sleep_for(CallTrace::kFlushPeriod + std::chrono::milliseconds(20));
    (*opened)->record("lorvexMF_GET_EP(1,1)", 0);
    EXPECT_TRUE(matches(contents(file),
                        "[0-9]+ lorvexMF_GET_LP\\(1,1\\) -> 0 x2 over [0-9]+ us\n"
                        "[0-9]+ lorvexMF_GET_EP\\(1,1\\) -> 0\n"))
        << "written by the call once the period had passed: " << contents(file);
    (*opened)->record("lorvexMF_GET_EP(1,1)", 0);
    std::this_thread::sleep_for(CallTrace::kFlushPeriod + std::chrono::milliseconds(20));
    (*opened)->flushIfDue();
    const std::string written = contents(file);
    EXPECT_EQ(std::count(written.begin(), written.end(), '\n'), 3)
        << "a run is not held back: " << written;
}

// A home search polls HOME_WAIT every millisecond for minutes: each run of
// the same call and result is one line, and every call is still counted.
TEST(CallTrace, ARunOfTheSameCallIsOneLineWithItsCountAndSpan) {
    QTemporaryDir dir;
    const std::string file = dir.filePath("trace").toStdString();
    {
        auto opened = CallTrace::open(file);
        ASSERT_TRUE(opened.ok());
        CallTrace& trace = **opened;
        trace.record("lorvexMF_HOME_START(1,1)", 0);
        for (int i = 0; i < 1500; ++i) trace.record("lorvexMF_HOME_WAIT(1,1)", 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        trace.record("lorvexMF_HOME_WAIT(1,1)", 0);
        trace.record("lorvexMF_HOME_WAIT(1,1)", 1);
        trace.record("lorvexMF_HOME_WAIT(1,2)", 1);
        trace.record("lorvexMF_HOME_WAIT(1,2)", 1);
        trace.flush();  // as a signal's stop does
        trace.record("lorvexMF_HOME_WAIT(1,2)", 1);
    }
    std::istringstream lines(contents(file));
    std::vector<std::string> rest;
    long long last = 0;
    for (std::string line; std::getline(lines, line); last = std::stoll(line)) {
        EXPECT_GE(std::stoll(line), last) << "in time order";
        rest.push_back(line.substr(line.find(' ')));
    }
    ASSERT_EQ(rest.size(), 5u) << contents(file);
    EXPECT_EQ(rest[0], " lorvexMF_HOME_START(1,1) -> 0");
    EXPECT_TRUE(matches(rest[1], " lorvexMF_HOME_WAIT\\(1,1\\) -> 0 x1501 over [0-9]+ us"))
        << rest[1];
    EXPECT_GE(std::stoll(rest[1].substr(rest[1].find("over ") + 5)), 5000) << "first to last";
    EXPECT_EQ(rest[2], " lorvexMF_HOME_WAIT(1,1) -> 1") << "another result, another line";
    EXPECT_TRUE(matches(rest[3], " lorvexMF_HOME_WAIT\\(1,2\\) -> 1 x2 over [0-9]+ us")) << rest[3];
    EXPECT_EQ(rest[4], " lorvexMF_HOME_WAIT(1,2) -> 1") << "written at the end";
}

// A trace on a card that fills up: the first failed write is said once, on
// standard error, and the trace knows it is incomplete.
TEST(CallTraceDeathTest, AFullCardIsSaidOnceAndLeavesTheTraceIncomplete) {
    QTemporaryDir dir;
    const std::string file = dir.filePath("trace\x1b").toStdString();
    const auto fillTheCard = [&file] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit small{2000, 2000};
        setrlimit(RLIMIT_FSIZE, &small);
        auto opened = CallTrace::open(file);
        for (int i = 0; i < 500; ++i) (*opened)->record("lorvexMF_GET_LP(1,1)", i);
        (*opened)->flush();
        for (int i = 0; i < 500; ++i) (*opened)->record("lorvexMF_GET_EP(1,1)", i);
        (*opened)->flush();
        std::_Exit((*opened)->complete() ? 0 : 3);
    };
    EXPECT_EXIT(fillTheCard(), ::testing::ExitedWithCode(3),
                "^velmira: --trace: [^\n]*/trace\\\\x1B: no room for the file [^\n]*; the trace is "
                "incomplete\n$");
}

}  // namespace
}  // namespace velmira
