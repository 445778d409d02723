#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QTreeWidget>
#include <atomic>
#include <map>

#include "basic/basic_operation_dlg.h"
#include "basic/basic_operation_ids.h"
#include "hw/discovery.h"
#include "platform/picture_control.h"
#include "support/eventually.h"
#include "support/modal.h"
#include "support/recorded_bench.h"
#include "support/screen_driver.h"
#include "ui/command_list.h"

namespace velmira {
namespace {

using namespace basic_ids;
using Texts = std::vector<std::string>;

using test::eventually;

// A Lorvex in slots 1 and 2 and a Quenby in slot 5, registered.
class BasicOperation : public ::testing::Test,
                       protected test::RecordedBench,
                       protected test::ScreenDriver<CBasicOperationDlg> {
  protected:
    void SetUp() override {
        ids[1] = 69;
        ids[2] = 83;
        ids[5] = 82;
        registerModules();
        remember("Lorvex in Slot:1", "Axis_Y");
    }
    CBasicOperationDlg& make() {
        screen = std::make_unique<CBasicOperationDlg>(ctx, CarriedValues{});
        return *screen;
    }
    CBasicOperationDlg& open() {
        make().initDialog();
        screen->show();
        log.clear();
        return *screen;
    }

    void select(const QString& module, const QString& axis = {}) {
        ScreenDriver::select(kTree, module, axis);
    }
    Texts moves() const {
        Texts out;
        for (const Call& c : log.calls()) {
            if (c.function.find("MOVE") != std::string::npos ||
                c.function.find("EXD_MP") != std::string::npos) {
                out.push_back(c.text());
            }
        }
        return out;
    }
    int currentMode() { return get<QComboBox>(kHomeModeList)->currentIndex(); }
};

TEST_F(BasicOperation, AFirstVisitShowsTheDefaultsAndKeepsThemInTheBlock) {
    open();
    const std::pair<int, const char*> values[] = {{kSv, "20000"}, {kV, "20000"}, {kA, "100000"},
                                                  {kD, "500"},    {kK, "500"},   {kL, "300"},
                                                  {kP, "10000"},  {kAo, "9"},    {kHv, "5000"}};
    for (const auto& [id, value] : values) EXPECT_EQ(text(id), value) << id;
    EXPECT_EQ(currentMode(), 6);
    EXPECT_TRUE(checked(kTCurve) && checked(kPointToPointRadio) && checked(kSym));
    EXPECT_EQ(state.runParams(1, 1).offsetPulse, 9);

    // What the user types is kept for the axis.
    type(kV, "35000");
    EXPECT_EQ(state.runParams(1, 1).driveVelocity, 35000);
    select("Lorvex in Slot:1", "Axis_X");
    EXPECT_EQ(text(kV), "20000");
    select("Lorvex in Slot:1", "Axis_Y");
    EXPECT_EQ(text(kV), "35000");
}

TEST_F(BasicOperation, ProfileAndSymmetryEnableTheParametersTheyUse) {
    open();
    // SV V onV A onA D K L P onP AO, for the profiles whose rows leave nothing unchanged.
    using Row = std::array<bool, 11>;
    const int controls[] = {kSv, kV, kOnFlyV, kA, kOnFlyA, kD, kK, kL, kP, kOnFlyP, kAo};
    const auto enabled = [&] {
        Row r;
        for (int i = 0; i < 11; ++i) r[i] = on(controls[i]);
        return r;
    };
    click(kSCurve);
    click(kAsym);
    EXPECT_EQ(enabled(), (Row{1, 1, 1, 0, 0, 0, 1, 1, 1, 1, 1})) << "S, Asym, four-axis";
    click(kTCurve);
    click(kSym);
    EXPECT_EQ(enabled(), (Row{1, 1, 1, 1, 1, 0, 0, 0, 1, 1, 1})) << "T, Sym";
    EXPECT_TRUE(log.calls().empty()) << "the profile buttons call nothing";

    select("Quenby in Slot:5", "Axis_X");
    EXPECT_FALSE(on(kAsym));
    select("LorvexF in Slot:2", "Axis_X");
    EXPECT_TRUE(on(kAsym));
}

// HOME turns STOP into a search of the mode and speed on the screen; the axis
// shows its mode, list item and enabling again.
TEST_F(BasicOperation, HomeTurnsStopIntoTheChosenSearchAndBack) {
    log.setResult("lorvexMF_HOME_WAIT", 1);
    open();
    click(kHomeRadio);
    EXPECT_EQ(std::pair(caption(kStopHome), picture(kStopHomePicture)),
              std::pair(QString("       HOME"), 177));
    EXPECT_FALSE(on(kForward) || on(kBackward));
    EXPECT_EQ(log.texts(), Texts{"lorvexMF_EXD_DISABLE(1,15)"}) << "the pulser off for the card";
    choose(kHomeModeList, 3);
    type(kHv, "4000");
    click(kStopHome);
    ASSERT_EQ(rows().rowCount(), 10);
    EXPECT_EQ(
        std::tuple(commands()[5], commands()[6]),
        std::tuple("lorvexMF_SET_HV(1,2,4000)", "lorvexMF_SET_HOME_MODE(1,2,0,2,2,0,120000)"));
    EXPECT_FALSE(screen->homing());

    select("Lorvex in Slot:1", "Axis_X");
    EXPECT_EQ(std::pair(caption(kStopHome), currentMode()), std::pair(QString("       STOP"), 6));
    select("Lorvex in Slot:1", "Axis_Y");
    EXPECT_EQ(std::pair(caption(kStopHome), currentMode()), std::pair(QString("       HOME"), 3));

    log.clear();
    select("Quenby in Slot:5", "Axis_Y");
    click(kManualPulsarRadio);
    EXPECT_EQ(log.textsOf("quenbyMF_EXD_DISABLE"), Texts{"quenbyMF_EXD_DISABLE(5,3)"});
}

// Each jog writes its block on top of the older ones.
TEST_F(BasicOperation, EachJogWritesItsOwnBlockOnTopAndRestartsTheTimer) {
    open();
    click(kBackward);
    ASSERT_EQ(rows().rowCount(), 7);
    EXPECT_EQ(rows().command(6), "lorvexMF_FIXED_MOVE(1,2,-10000)");
    EXPECT_TRUE(screen->timerRunning(CBasicOperationDlg::kStatusTimer));
    click(kSCurve);
    click(kForwardPicture);  // the picture acts as Forward
    ASSERT_EQ(rows().rowCount(), 14);
    EXPECT_EQ(rows().command(6), "lorvexMF_FIXED_MOVE(1,2,10000)");
    EXPECT_EQ(rows().command(13), "lorvexMF_FIXED_MOVE(1,2,-10000)") << "the older block below";
}

// What a jog runs is what the axis kept, however the screen came to show it.
TEST_F(BasicOperation, AStoredModeAndProfileAreWhatTheNextJogRuns) {
    open();
    click(kContinuousRadio);
    click(kSCurve);
    for (bool reopen : {false, true}) {
        select("Lorvex in Slot:1", "Axis_X");
        if (reopen) open();
        select("Lorvex in Slot:1", "Axis_Y");
        EXPECT_TRUE(checked(kContinuousRadio) && checked(kSCurve));
        log.clear();
        click(kForward);
        EXPECT_EQ(moves(), Texts{"lorvexMF_CONTINUE_MOVE(1,2,10000)"}) << reopen;
        EXPECT_EQ(log.textsOf("lorvexMF_SET_K"), Texts{"lorvexMF_SET_K(1,2,500)"}) << reopen;
    }
}

TEST_F(BasicOperation, AModuleNodeJogsAndReadsWithItsWholeMask) {
    remember("Lorvex in Slot:1");
    open();
    click(kForward);
    EXPECT_EQ(rows().command(6), "lorvexMF_FIXED_MOVE(1,15,10000)");
    log.clear();
    screen->RefreshAxisView();
    for (const Call& c : log.calls()) EXPECT_EQ(c.args[1], 15) << c.text();
    EXPECT_EQ(log.calls().size(), 12u) << "three values, eight inputs, one error code";
}

TEST_F(BasicOperation, TheServoCaptionAlwaysOffersWhatTheNextPressDoes) {
    open();
    EXPECT_EQ(caption(kServo), "        Servo ON");
    const std::pair<const char*, const char*> presses[] = {
        {"        Servo OFF", "lorvexMF_SERVO_ON(1,2)"},
        {"       Servo ON", "lorvexMF_SERVO_OFF(1,2)"}};
    for (const auto& [text, call] : presses) {
        log.clear();
        click(kServoPicture);
        EXPECT_EQ(caption(kServo), text);
        EXPECT_EQ(log.texts(), Texts{call});
    }
    EXPECT_EQ(rows().rowCount(), 0);

    // A module node is on only when all its axes are; switching it sets them all.
    select("Lorvex in Slot:1");
    EXPECT_EQ(caption(kServo), "        Servo ON");
    click(kServo);
    select("Lorvex in Slot:1", "Axis_U");
    EXPECT_EQ(caption(kServo), "        Servo OFF");

    // Reopened with the servo still on, the screen says so: the first press switches it off.
    remember("Lorvex in Slot:1", "Axis_Y");
    open();
    EXPECT_EQ(caption(kServo), "        Servo OFF");
    click(kServo);
    EXPECT_EQ(log.texts(), Texts{"lorvexMF_SERVO_OFF(1,2)"});
}

// Polled from the opening, before any jog. Each lamp is lit by its own input
// of GET_DI, or by its bit of the error code.
TEST_F(BasicOperation, StatusFieldsAndLampsFollowTheModule) {
    struct Lamp {
        const char* name;
        int id;
        int input;     // of GET_DI, or -1
        int errorBit;  // of GET_ERROR_CODE, or -1
    };
    const Lamp lamps[] = {{"DRV", 1130, 0, -1},  {"LMT+", 1136, 1, -1}, {"LMT-", 1133, 2, -1},
                          {"EMG", 1058, 3, -1},  {"ALM", 1132, 4, -1},  {"ORG", 1135, 5, -1},
                          {"SD", 1056, 6, -1},   {"RDY", 1131, 8, -1},  {"SLMT+", 1057, -1, 0},
                          {"SLMT-", 1134, -1, 1}};
    int input = 0;                 // DRV; ORG reads 2 otherwise
    std::int64_t errorCode = 0x2;  // SLMT-
    log.setResponder("lorvexMF_GET_DI", [&](const Call& c) -> std::int64_t {
        return c.args[2] == input ? 1 : c.args[2] == 5 ? 2 : 0;
    });
    log.setResponder("lorvexMF_GET_ERROR_CODE", [&](const Call&) { return errorCode; });
    log.setResult("lorvexMF_GET_LP", 100);
    log.setResult("lorvexMF_GET_EP", 150);
    log.setResult("lorvexMF_GET_CV", 20000);
    open();
    EXPECT_EQ(
        std::tuple(text(kLogicPosition), text(kEncoderPosition), text(kError), text(kCurrentSpeed)),
        std::tuple("100", "150", "-50", "20000"))
        << "the error is negative when the encoder is ahead";
    EXPECT_EQ(std::pair(picture(1130), picture(1135)), std::pair(186, 185)) << "only 1 is active";
    EXPECT_EQ(text(kStopCause), "") << "no stop bit among 2";

    const qint64 drv = get<PictureControl>(1130)->pixmap().cacheKey();
    log.setResult("lorvexMF_GET_LP", 9000);
    EXPECT_TRUE(eventually([&] { return text(kLogicPosition) == "9000"; }));
    EXPECT_EQ(get<PictureControl>(1130)->pixmap().cacheKey(), drv)
        << "a steady lamp is not redrawn";
    for (const Lamp& lit : lamps) {
        input = lit.input;
        errorCode = lit.errorBit < 0 ? 0 : 1 << lit.errorBit;
        screen->RefreshAxisView();
        for (const Lamp& l : lamps)
            EXPECT_EQ(picture(l.id), l.id == lit.id ? 186 : 185) << lit.name << " lit; " << l.name;
    }

    // Why the axis stopped, until the next move starts.
    errorCode = 0x4 | 0x40;
    EXPECT_TRUE(
        eventually([&] { return text(kStopCause) == "stopped by LMT+, home search failed"; }));
    click(kForward);
    EXPECT_EQ(text(kStopCause), "") << "cleared as the move starts";
    input = 0;
    open();
    open();  // DRV is still active: every opening draws it so, none leaves it grey
    EXPECT_EQ(picture(1130), 186);
}

TEST_F(BasicOperation, APressWithAFieldThatHoldsNoNumberSendsNothing) {
    open();
    screen->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(screen.get()));
    type(kP, "-");
    click(kForward);
    EXPECT_EQ(boxes.texts(),
              Texts{"Output Pulse (P): enter a whole number from -2147483648 to 2147483647."});
    EXPECT_TRUE(log.calls().empty());
    EXPECT_EQ(QApplication::focusWidget(), screen->control(kP));
    type(kP, "1234");

    // A greyed field the jog does not pass never stops it.
    click(kAsym);
    type(kD, "");
    click(kSym);
    boxes.clear();
    log.clear();
    click(kForward);
    EXPECT_TRUE(boxes.shown().empty());
    EXPECT_EQ(moves(), Texts{"lorvexMF_FIXED_MOVE(1,2,1234)"});
}

TEST_F(BasicOperation, TheStatusTickNeverOverwritesWhatIsBeingTyped) {
    open();
    click(kForward);
    type(kP, "-");
    log.setResult("lorvexMF_GET_LP", 77);
    EXPECT_TRUE(eventually([&] { return text(kLogicPosition) == "77"; }));
    QTest::qWait(120);
    EXPECT_EQ(text(kP), "-");
    QTest::keyClicks(get<QLineEdit>(kP), "250");
    click(kBackward);
    EXPECT_EQ(moves().back(), "lorvexMF_FIXED_MOVE(1,2,250)") << "-250 backwards";
}

TEST_F(BasicOperation, OnTheFlyStopAndClearCallWithoutRows) {
    open();
    click(kBackward);
    log.clear();
    type(kV, "40000");
    click(kOnFlyV);
    click(kOnFlyA);
    type(kP, "5000");
    click(kOnFlyP);
    click(kStopHomePicture);
    EXPECT_EQ(log.texts(), (Texts{"lorvexMF_SET_V(1,2,40000)", "lorvexMF_SET_A(1,2,100000)",
                                  "lorvexMF_FIXED_MOVE(1,2,5000)", "lorvexMF_STOP_SLOWLY(1,2)",
                                  "lorvexMF_CLEAR_STOP(1)"}));
    EXPECT_TRUE(screen->timerRunning(CBasicOperationDlg::kStatusTimer)) << "STOP keeps polling";
    log.clear();
    click(kClear);
    const Texts calls = log.texts();
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(Texts(calls.begin(), calls.begin() + 3),
              (Texts{"lorvexMF_SET_LP(1,2,0)", "lorvexMF_SET_EP(1,2,0)", "lorvexMF_GET_LP(1,2)"}));
    EXPECT_EQ(rows().rowCount(), 7) << "only the jog wrote rows";
}

TEST_F(BasicOperation, WithNothingSelectedNothingIsCalled) {
    state.selectedModuleLabel.clear();
    open();
    for (int id : {kForward, kBackward, kOnFlyV, kServo, kStopHome, kClear, kHomeRadio}) click(id);
    EXPECT_TRUE(log.calls().empty());
    EXPECT_EQ(rows().rowCount(), 0);
}

// During a four-axis search only the tree, the servo, STOP and the timer act;
// STOP stops the axis searched, whatever the tree shows; leaving stops it first.
TEST_F(BasicOperation, DuringTheHomeWaitOnlyTheTreeTheServoStopAndTheTimerAct) {
    remember("Lorvex in Slot:1", "Axis_X");
    int polls = 0;
    log.setResponder("lorvexMF_HOME_WAIT", [&](const Call&) -> std::int64_t {
        ++polls;
        if (polls == 3) {
            EXPECT_EQ(screen->commandList().rows().rowCount(), 8) << "rows 0 to 7 before the wait";
            EXPECT_EQ(caption(kStopHome), "       STOP") << "the button stops the search";
            click(kForwardPicture);
            click(kBackwardPicture);
            click(kOnFlyV);
            click(kClear);
            click(kServo);
            select("Lorvex in Slot:1", "Axis_Z");
        }
        if (polls == 5) click(kStopHome);
        if (polls == 1005) {
            QTest::keyClick(screen.get(), Qt::Key_Escape);
            EXPECT_TRUE(screen->isVisible()) << "the screen waits for the search to let go";
        }
        return 0;  // a search that never ends by itself
    });
    make();
    Texts afterStop;
    const int result = test::execActive(*screen, [&] {
        click(kHomeRadio);
        log.clear();
        click(kStopHome);
        EXPECT_EQ(polls, 5) << "STOP ended the wait";
        EXPECT_FALSE(screen->homing());
        EXPECT_EQ(caption(kStopHome), "       STOP") << "Z's own driving mode";
        afterStop = log.texts();
        select("Lorvex in Slot:1", "Axis_X");
        EXPECT_EQ(caption(kStopHome), "       HOME");
        polls = 1000;
        click(kStopHome);
    });
    EXPECT_EQ(result, kResultReturn);
    EXPECT_FALSE(screen->isVisible());
    EXPECT_EQ(std::count(afterStop.begin(), afterStop.end(), "lorvexMF_HOME_START(1,1)"), 1);
    EXPECT_TRUE(moves().empty());
    EXPECT_TRUE(log.textsOf("lorvexMF_SET_LP").empty()) << "no reset after a stopped search";
    EXPECT_EQ(log.textsOf("lorvexMF_SERVO_ON"), Texts{"lorvexMF_SERVO_ON(1,1)"});
    ASSERT_GE(afterStop.size(), 2u);
    EXPECT_EQ(Texts(afterStop.end() - 2, afterStop.end()),
              (Texts{"lorvexMF_STOP_SLOWLY(1,1)", "lorvexMF_CLEAR_STOP(1)"}))
        << "the search started on X is stopped on X, though Z is selected";
    const Texts calls = log.texts();
    EXPECT_EQ(Texts(calls.end() - 2, calls.end()),
              (Texts{"lorvexMF_STOP_SLOWLY(1,1)", "lorvexMF_CLEAR_STOP(1)"}))
        << "Escape stopped the second search";
}

// The two-axis search is one blocking call: it runs aside, the window stays alive
// and says why nothing else can be done, and no other call reaches the library.
TEST_F(BasicOperation, ATwoAxisSearchLeavesTheWindowAliveAndTheLibraryAlone) {
    remember("Quenby in Slot:5", "Axis_Y");
    std::atomic<bool> release{false};
    std::atomic<bool> onGuiThread{true};
    log.setResponder("quenbyMF_AUTO_HOME", [&](const Call&) -> std::int64_t {
        onGuiThread = QThread::currentThread() == qApp->thread();
        while (!release) QThread::msleep(5);
        return 0;
    });
    make();
    bool seenRunning = false;
    const int result = test::execActive(*screen, [&] {
        click(kHomeRadio);
        QTimer::singleShot(150, screen.get(), [&] {
            seenRunning = true;
            auto* notice = screen->findChild<QLabel*>(QString::number(kSearchNotice));
            EXPECT_TRUE(notice && notice->isVisible());
            EXPECT_TRUE(notice->text().contains("Home search running on Quenby in Slot:5, Axis_Y."))
                << notice->text().toStdString();
            EXPECT_TRUE(MotionLibrary::callInFlight());
            for (int id : {kTree, kStopHome, kServo, kHomeRadio, kClear, kReturn})
                EXPECT_FALSE(on(id)) << id;
            const std::size_t made = log.calls().size();
            QTest::qWait(200);  // four status ticks
            EXPECT_EQ(log.calls().size(), made) << "no call while the library is held";
            QTest::keyClick(screen.get(), Qt::Key_Escape);
            EXPECT_TRUE(screen->isVisible()) << "Escape waits for the search's end";
            release = true;
        });
        log.clear();
        click(kStopHome);
    });
    EXPECT_TRUE(seenRunning) << "the screen's timers ran during the call";
    EXPECT_FALSE(onGuiThread);
    EXPECT_EQ(result, kResultReturn);
    EXPECT_EQ(commands().back(), "quenbyMF_SET_EP(5,2,0)") << "the search's block ended";
}

// Leaving stops, as STOP does, what the visit set moving and what still moves;
// a move that has ended is left alone.
TEST_F(BasicOperation, LeavingStopsTheAxesStillMoving) {
    std::map<std::int64_t, std::int64_t> speeds{{1, 0}, {2, 20000}};  // by axis bit
    log.setResponder("lorvexMF_GET_CV", [&](const Call& c) { return speeds[c.args[1]]; });
    make();
    const int result = test::execActive(*screen, [&] {
        click(kContinuousRadio);
        click(kForward);  // Y runs on
        select("Lorvex in Slot:1", "Axis_X");
        click(kForward);  // X as well, but it stops at a limit
        select("Quenby in Slot:5", "Axis_X");
        click(kManualPulsarRadio);
        click(kForward);  // the pulser may turn at any time
        log.clear();
        QTest::keyClick(screen.get(), Qt::Key_Escape);
    });
    EXPECT_EQ(result, kResultReturn);
    Texts stops;
    for (const std::string& t : log.texts()) {
        if (t.find("GET_") == std::string::npos) stops.push_back(t);
    }
    EXPECT_EQ(stops, (Texts{"lorvexMF_STOP_SLOWLY(1,2)", "lorvexMF_CLEAR_STOP(1)",
                            "quenbyMF_STOP_SLOWLY(5,1)", "quenbyMF_CLEAR_STOP(5)"}));
}

TEST_F(BasicOperation, ARealModalVisitByKeyboardAndMouse) {
    remember("Lorvex in Slot:3");  // no such module: nothing is selected
    state.currentKind = ModuleKind::Quenby;
    state.currentCard = 5;
    state.currentAxisMask = 1;
    make();
    const int result = test::execActive(*screen, [&] {
        QTreeWidget* tree = get<QTreeWidget>(kTree);
        EXPECT_TRUE(tree->hasFocus());
        EXPECT_TRUE(tree->selectedItems().isEmpty()) << "the focus selects nothing";
        EXPECT_EQ(state.currentCard, 5);
        // A mnemonic presses its button as a short animated click.
        QTest::keyClick(screen.get(), Qt::Key_F, Qt::AltModifier);  // "&Forward"
        EXPECT_TRUE(eventually([&] { return !moves().empty(); }));
        EXPECT_EQ(moves(), Texts{"quenbyMF_FIXED_MOVE(5,1,10000)"});
        const QRect y = tree->visualItemRect(tree->topLevelItem(0)->child(1));
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, y.center());
        EXPECT_EQ(state.currentKind, ModuleKind::Lorvex);
        EXPECT_EQ(state.currentAxisMask, 2u);
        QTest::keyClick(screen.get(), Qt::Key_B, Qt::AltModifier);  // "&Backward"
        EXPECT_TRUE(eventually([&] { return moves().size() == 2; }));
        EXPECT_EQ(moves().back(), "lorvexMF_FIXED_MOVE(1,2,-10000)");
        QTest::keyClick(screen.get(), Qt::Key_Escape);
    });
    EXPECT_EQ(result, kResultReturn);
}

TEST_F(BasicOperation, ClosingControlsGiveTheirResults) {
    for (const auto& [id, result] :
         {std::pair{kSwitch, kResultSwitch}, std::pair{kSwitchPicture, kResultSwitch},
          std::pair{kReturn, kResultReturn}, std::pair{kReturnPicture, kResultPicture}}) {
        make();
        EXPECT_EQ(test::execActive(*screen, [&, id = id] { click(id); }), result) << id;
    }
}

}  // namespace
}  // namespace velmira
