#include "basic/homing_sequence.h"

#include <gtest/gtest.h>

#include "support/call_log.h"

namespace velmira {
namespace {

using Texts = std::vector<std::string>;

// Stands in for the screen: records each row with the number of calls made
// before it, the sleeps, the message pumping, and may ask to leave.
class Host final : public HomingHost {
  public:
    explicit Host(const CallLog& log) : log_(log) {}
    void writeRow(int position, const std::string& command) override {
        if (position == 0) blockStart_ = rows.size();
        EXPECT_EQ(position, static_cast<int>(rows.size() - blockStart_)) << "rows come in order";
        rows.push_back(command);
        callsBeforeRow.push_back(log_.calls().size());
    }
    void sleepMs(int ms) override { sleeps.push_back(ms); }
    void doEvents() override {
        ++pumped;
        if (onPump) onPump();
    }
    bool abandon() override { return leave; }
    void callAside(const std::function<void()>& call) override {
        const std::size_t before = log_.calls().size();
        call();
        for (std::size_t i = before; i < log_.calls().size(); ++i) {
            aside.push_back(log_.calls()[i].text());
        }
    }

    Texts rows;
    Texts aside;  // the calls made aside, off the screen's thread
    std::vector<std::size_t> callsBeforeRow;
    std::vector<int> sleeps;
    int pumped = 0;
    bool leave = false;
    std::function<void()> onPump;

  private:
    const CallLog& log_;
    std::size_t blockStart_ = 0;
};

class Homing : public ::testing::Test {
  protected:
    HomingOutcome run(ModuleKind kind, int card, std::uint32_t mask, int index, int modeIndex,
                      std::int32_t hv = 5000) {
        HomingRequest r{{kind, static_cast<std::uint8_t>(card), mask, index}, hv, modeIndex};
        return RunHomingSequence(kind == ModuleKind::Lorvex ? lorvex : quenby, r, settings, host);
    }
    // The search ends after `rounds` polls that say it is still running.
    void searchLasts(int rounds) {
        log.setResponder("lorvexMF_HOME_WAIT",
                         [this, rounds](const Call&) { return ++waits > rounds ? 1 : 0; });
    }

    CallLog log;
    RecordingMotionLibrary lorvex{ModuleKind::Lorvex, log};
    RecordingMotionLibrary quenby{ModuleKind::Quenby, log};
    SettingsImage settings;
    Host host{log};
    int waits = 0;
};

TEST_F(Homing, FourAxisProgramsStartsWaitsThenClearsThePositions) {
    settings.record(1, 2).maxV.first = 800000;
    searchLasts(3);
    const HomingOutcome out = run(ModuleKind::Lorvex, 1, 4, 2, 3, 4500);
    const Texts rows{"lorvexMF_SET_MAX_V(1,4,800000)", "lorvexMF_NORMAL_SPEED(1,4,0)",
                     "lorvexMF_SET_V(1,4,50000)",      "lorvexMF_SET_A(1,4,100000)",
                     "lorvexMF_SET_HV(1,4,4500)",      "lorvexMF_SET_HOME_MODE(1,4,0,2,2,0,120000)",
                     "lorvexMF_HOME_START(1,4)",       "lorvexMF_SET_LP(1,4,0)",
                     "lorvexMF_SET_EP(1,4,0)"};
    EXPECT_EQ(out.rows, rows);
    EXPECT_FALSE(out.abandoned);
    Texts calls = rows;
    calls.insert(calls.begin() + 7, 4, "lorvexMF_HOME_WAIT(1,4)");
    EXPECT_EQ(log.texts(), calls);

    // Row 0 first; each row after its call; rows 0 to 7 stand before the wait.
    ASSERT_EQ(host.rows.size(), 10u);
    EXPECT_EQ(host.rows[0], "");
    const std::vector<std::size_t> callsBefore{0, 1, 2, 3, 4, 5, 6, 7, 12, 13};
    EXPECT_EQ(host.callsBeforeRow, callsBefore);
    EXPECT_EQ(host.pumped, 3) << "messages run between the polls";
    EXPECT_TRUE(host.aside.empty()) << "the four-axis search waits on this thread";
    EXPECT_EQ(host.sleeps, (std::vector<int>{100, 1, 1, 1, 500}));
}

TEST_F(Homing, ModeItemsAndNoSelectionPassTheirCodesOnBothKinds) {
    const std::pair<int, const char*> items[] = {
        {0, "2,0,0,0"}, {3, "0,2,2,0"}, {6, "2,2,1,1"}, {-1, "2,2,2,2"}};
    searchLasts(0);
    for (const auto& [index, codes] : items) {
        log.clear();
        run(ModuleKind::Lorvex, 3, 15, 4, index);
        EXPECT_EQ(log.textsOf("lorvexMF_SET_HOME_MODE"),
                  Texts{"lorvexMF_SET_HOME_MODE(3,15," + std::string(codes) + ",120000)"});
        log.clear();
        run(ModuleKind::Quenby, 5, 3, 2, index, 6000);
        EXPECT_EQ(
            log.textsOf("quenbyMF_AUTO_HOME"),
            Texts{"quenbyMF_AUTO_HOME(5,3," + std::string(codes) + ",120000,50000,6000,6000)"});
    }
}

TEST_F(Homing, TwoAxisHomesInOneCallWhoseRowComesFirst) {
    const HomingOutcome out = run(ModuleKind::Quenby, 5, 2, 1, 6, 3000);
    EXPECT_EQ(out.rows, (Texts{"quenbyMF_SET_MAX_V(5,2,2000000)", "quenbyMF_SET_A(5,2,100000)",
                               "quenbyMF_SET_SV(5,2,1000)",
                               "quenbyMF_AUTO_HOME(5,2,2,2,1,1,120000,50000,3000,6000)",
                               "quenbyMF_SET_LP(5,2,0)", "quenbyMF_SET_EP(5,2,0)"}));
    EXPECT_EQ(log.texts(), out.rows);
    // AUTO_HOME is call 3 (from 0): its row (4) is written when three calls were made.
    EXPECT_EQ(host.callsBeforeRow, (std::vector<std::size_t>{0, 1, 2, 3, 3, 5, 6}));
    EXPECT_EQ(host.sleeps, std::vector<int>{100});
    EXPECT_EQ(host.aside, Texts{out.rows[3]}) << "the one blocking call, and only it";
}

TEST_F(Homing, LeavingDuringTheWaitStopsTheSearchAndKeepsThePositions) {
    searchLasts(1000);
    host.onPump = [this] {
        if (host.pumped == 2) host.leave = true;
    };
    const HomingOutcome out = run(ModuleKind::Lorvex, 1, 1, 0, 6);
    EXPECT_TRUE(out.abandoned);
    EXPECT_EQ(out.rows.size(), 7u) << "the block ends with HOME_START";
    const Texts calls = log.texts();
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(Texts(calls.end() - 2, calls.end()),
              (Texts{"lorvexMF_STOP_SLOWLY(1,1)", "lorvexMF_CLEAR_STOP(1)"}));
    EXPECT_TRUE(log.textsOf("lorvexMF_SET_LP").empty());
    EXPECT_EQ(waits, 2);
}

}  // namespace
}  // namespace velmira
