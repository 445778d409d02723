#include "hw/call_trace.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <QTemporaryDir>
#include <csignal>
#include <cstdlib>
#include <thread>

namespace velmira {
namespace {

TEST(CallTraceOpen, RefusesWhatCouldBlockOrSwallowTheTrace) {
    QTemporaryDir dir;
    const std::string fifo = dir.filePath("pipe").toStdString();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string folder = dir.path().toStdString();
    const std::pair<std::string, std::string> refused[] = {
        {fifo, fifo + ": not a regular file (a pipe)"},  // open() would wait for a reader
        {"/dev/full", "/dev/full: not a regular file (a device)"},
        {folder, folder + ": is a folder, not a file"},
        {folder + "/no/such/folder/trace",
         folder + "/no/such/folder/trace: no such file or folder"},
    };
    for (const auto& [path, message] : refused) {
        const CallTrace::OpenResult r = CallTrace::open(path);
        EXPECT_EQ(r.trace, nullptr) << path;
        EXPECT_EQ(r.error, message);
    }
    const std::string file = dir.filePath("trace").toStdString();
    EXPECT_NE(CallTrace::open(file).trace, nullptr);
    struct stat st {};
    ASSERT_EQ(stat(file.c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
}

// Polling only calls: the calls themselves write out lines that have waited
// a flush period, so a trace never lags far behind even without the timer.
TEST(CallTrace, ACallWritesOutLinesThatHaveWaitedAFlushPeriod) {
    QTemporaryDir dir;
    const std::string file = dir.filePath("trace").toStdString();
    auto opened = CallTrace::open(file);
    ASSERT_NE(opened.trace, nullptr);
    const auto size = [&file] {
        struct stat st {};
        return ::stat(file.c_str(), &st) == 0 ? st.st_size : -1;
    };
    opened.trace->record("lorvexMF_GET_LP(1,1)", 0);
    EXPECT_EQ(size(), 0) << "buffered";
    std::this_thread::sleep_for(CallTrace::kFlushPeriod + std::chrono::milliseconds(20));
    opened.trace->record("lorvexMF_GET_EP(1,1)", 0);
    EXPECT_GT(size(), 0) << "written by the call once the period had passed";
}

// A trace on a card that fills up: the first failed write is said once, on
// standard error, and the trace knows it is incomplete.
TEST(CallTraceDeathTest, AFullCardIsSaidOnceAndLeavesTheTraceIncomplete) {
    QTemporaryDir dir;
    const std::string file = dir.filePath("trace").toStdString();
    const auto fillTheCard = [&file] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit small{2000, 2000};
        setrlimit(RLIMIT_FSIZE, &small);
        auto opened = CallTrace::open(file);
        for (int i = 0; i < 500; ++i) opened.trace->record("lorvexMF_GET_LP(1,1)", i);
        opened.trace->flush();
        for (int i = 0; i < 500; ++i) opened.trace->record("lorvexMF_GET_EP(1,1)", i);
        opened.trace->flush();
        std::_Exit(opened.trace->complete() ? 0 : 3);
    };
    EXPECT_EXIT(fillTheCard(), ::testing::ExitedWithCode(3),
                "^velmira: --trace: [^\n]*/trace: no room for the file [^\n]*; the trace is "
                "incomplete\n$");
}

}  // namespace
}  // namespace velmira
