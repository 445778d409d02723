#include "app/stop_on_signal.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <csignal>
#include <future>
#include <thread>

#include "hw/stop_modules.h"
#include "platform/unix_signals.h"
#include "support/call_log.h"

namespace velmira {
namespace {

void needEventLoop() {
    static int argc = 1;
    static char name[] = "core_tests";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
}

bool runEventsUntil(const std::function<bool()>& done, int ms = 5000) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return done();
}

// Registered: a four-axis module in 2 and 6, a two-axis one in 5. Slot 3 holds
// a module whose registration failed.
SlotTable rack() {
    SlotTable t;
    t.entries[2] = {512, kIdLorvexF, ModuleKind::Lorvex};
    t.entries[3] = {768, kIdLorvex, ModuleKind::None};
    t.entries[5] = {1280, kIdQuenby, ModuleKind::Quenby};
    t.entries[6] = {1536, kIdLorvex, ModuleKind::Lorvex};
    return t;
}

const std::vector<std::string> kStops{"lorvexMF_STOP_SLOWLY(2,15)", "lorvexMF_CLEAR_STOP(2)",
                                      "quenbyMF_STOP_SLOWLY(5,3)",  "quenbyMF_CLEAR_STOP(5)",
                                      "lorvexMF_STOP_SLOWLY(6,15)", "lorvexMF_CLEAR_STOP(6)"};

struct Libraries {
    Libraries() { needEventLoop(); }
    const SlotTable table = rack();
    CallLog log;
    RecordingMotionLibrary lorvex{ModuleKind::Lorvex, log};
    RecordingMotionLibrary quenby{ModuleKind::Quenby, log};
    Hardware hw{&lorvex, &quenby, nullptr};
};

TEST(StopRegisteredModules, StopsEveryAxisOfEachRegisteredModuleInSlotOrder) {
    Libraries libs;
    stopRegisteredModules(libs.table, libs.hw);
    EXPECT_EQ(libs.log.texts(), kStops);
}

// A call that blocks on a worker thread until released, as a two-axis home
// search does.
class BlockingCall {
  public:
    BlockingCall() {
        worker_ =
            std::thread([this] { lib_.AUTO_HOME(5, 1, 2, 2, 0, 0, 120000, 50000, 5000, 6000); });
        while (!MotionLibrary::callInFlight()) std::this_thread::yield();
    }
    ~BlockingCall() { release(); }
    void release() {
        if (!worker_.joinable()) return;
        release_.set_value();
        worker_.join();
    }

  private:
    class Lib final : public MotionLibrary {
      public:
        explicit Lib(std::shared_future<void> released)
            : MotionLibrary(ModuleKind::Quenby), released_(std::move(released)) {}
        std::int64_t dispatch(MotionOp, std::span<const std::int64_t>) override {
            released_.wait();
            return 0;
        }

      private:
        std::shared_future<void> released_;
    };
    std::promise<void> release_;
    Lib lib_{release_.get_future().share()};
    std::thread worker_;
};

TEST(StopOnSignal, WaitsForACallUnderWayOnAnotherThread) {
    Libraries libs;
    int ended = 0;
    StopOnSignal stop(libs.table, libs.hw, nullptr, [&](int signo) { ended = signo; });
    BlockingCall call;

    testing::internal::CaptureStderr();
    stop.onSignal(SIGINT);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("SIGINT: stopping the axes and ending as soon as the library's running "
                        "call returns"),
              std::string::npos)
        << said;
    runEventsUntil([] { return false; }, 4 * StopOnSignal::kPollMs);
    EXPECT_EQ(ended, 0);
    EXPECT_TRUE(libs.log.texts().empty());

    call.release();
    EXPECT_TRUE(runEventsUntil([&] { return ended != 0; }));
    EXPECT_EQ(ended, SIGINT);
    EXPECT_EQ(libs.log.texts(), kStops);
}

TEST(StopOnSignal, ASecondSignalWhileWaitingEndsAtOnceWithoutACall) {
    Libraries libs;
    std::vector<int> ended;
    StopOnSignal stop(libs.table, libs.hw, nullptr, [&](int signo) { ended.push_back(signo); });
    {
        BlockingCall call;
        testing::internal::CaptureStderr();
        stop.onSignal(SIGTERM);
        stop.onSignal(SIGHUP);
        testing::internal::GetCapturedStderr();
        EXPECT_EQ(ended, std::vector<int>{SIGHUP});
    }
    runEventsUntil([] { return false; }, 4 * StopOnSignal::kPollMs);
    EXPECT_EQ(ended, std::vector<int>{SIGHUP});
    EXPECT_TRUE(libs.log.texts().empty());
}

TEST(UnixSignals, LeavesAnIgnoredSignalIgnoredAndDisarmReturnsOneNotHandedOn) {
    needEventLoop();
    std::signal(SIGUSR2, SIG_IGN);
    std::vector<int> received;
    UnixSignals caught({SIGUSR1, SIGUSR2}, [&](int signo) { received.push_back(signo); });
    std::raise(SIGUSR2);
    std::raise(SIGUSR1);
    EXPECT_EQ(caught.disarm(), SIGUSR1);
    runEventsUntil([] { return false; }, 50);
    EXPECT_TRUE(received.empty());
    struct sigaction now {};
    sigaction(SIGUSR1, nullptr, &now);
    EXPECT_EQ(now.sa_handler, SIG_DFL);
    std::signal(SIGUSR2, SIG_DFL);
}

TEST(UnixSignals, EndBySignalEndsTheProcessByItEvenWhileCaughtAndBlocked) {
    needEventLoop();
    EXPECT_EXIT(
        {
            UnixSignals caught({SIGTERM}, [](int) {});
            sigset_t blocked;
            sigemptyset(&blocked);
            sigaddset(&blocked, SIGTERM);
            sigprocmask(SIG_BLOCK, &blocked, nullptr);
            UnixSignals::endBySignal(SIGTERM);
        },
        testing::KilledBySignal(SIGTERM), "");
}

}  // namespace
}  // namespace velmira
