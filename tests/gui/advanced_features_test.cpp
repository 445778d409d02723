#include <gtest/gtest.h>

#include <QComboBox>
#include <QImage>
#include <QPointer>
#include <QTest>
#include <QTreeWidget>

#include "advanced/advanced_features_dlg.h"
#include "advanced/advanced_features_ids.h"
#include "advanced/profile_dlg.h"
#include "hw/discovery.h"
#include "platform/panel.h"
#include "support/modal.h"
#include "support/recorded_bench.h"
#include "support/screen_driver.h"
#include "ui/command_list.h"

namespace velmira {
namespace {

using namespace advanced_ids;
using Texts = std::vector<std::string>;

// A Lorvex in slots 1 and 3 and a Quenby in slot 5, registered; the Lorvex in
// slot 3 chosen on another screen.
class AdvancedFeatures : public ::testing::Test,
                         protected test::RecordedBench,
                         protected test::ScreenDriver<CAdvancedFeaturesDlg> {
  protected:
    void SetUp() override {
        ids[1] = 69;
        ids[3] = 69;
        ids[5] = 82;
        registerModules();
        state.selectedModuleLabel = "Lorvex in Slot:3";
        state.currentKind = ModuleKind::Lorvex;
        state.currentCard = 3;
    }
    CAdvancedFeaturesDlg& make() {
        screen = std::make_unique<CAdvancedFeaturesDlg>(ctx);
        return *screen;
    }
    CAdvancedFeaturesDlg& open() {
        make().initDialog();
        screen->show();
        log.clear();
        boxes.clear();
        return *screen;
    }

    Texts calls(const std::string& part) const {
        Texts out;
        for (const Call& c : log.calls()) {
            if (c.function.find(part) != std::string::npos) out.push_back(c.text());
        }
        return out;
    }
    // Which of the seven parameter edits take input: VSV VV VA VD VK VL VAO.
    std::string parameters() {
        std::string s;
        for (int id : {kVsv, kVv, kVa, kVd, kVk, kVl, kVao}) s += on(id) ? '1' : '0';
        return s;
    }
    const AxisRunParams& block() { return state.moduleRunParams[3]; }
};

TEST_F(AdvancedFeatures, AFreshModuleShowsTheDefaultsWithOnlyVVToType) {
    open();
    EXPECT_TRUE(checked(kLinear2D) && checked(kConst) && checked(kSym) && checked(kCW));
    EXPECT_EQ(std::tuple(state.advAxis1Mask, state.advAxis2Mask, state.advAxis3Mask),
              std::tuple(1, 2, 4))
        << "X, Y and Z in the lists";
    EXPECT_EQ(state.currentAxisMask, 15u);
    EXPECT_EQ(block().advVV, 2000) << "the module's own block";

    // Zeroing VSV to VL makes the block fresh again: the next refresh restores it.
    click(kTCurve);
    click(kAsym);
    for (int id : {kVsv, kVv, kVa, kVd}) type(id, "0");
    click(kSCurve);
    type(kVk, "0");
    type(kVl, "0");
    type(kFp1, "77");
    click(kClear);
    EXPECT_EQ(text(kVv), "2000");
    EXPECT_EQ(text(kFp1), "10000");
    EXPECT_TRUE(checked(kConst));
}

// Values typed for a module stay with it, whichever axis another screen left selected.
TEST_F(AdvancedFeatures, AModuleKeepsItsValuesWhateverAxisAnotherScreenLeft) {
    state.currentAxisIndex = 1;
    open();
    type(kVv, "3500");
    click(kTCurve);
    state.currentAxisIndex = 3;  // Basic Operation chose Axis_U meanwhile
    open();
    EXPECT_EQ(text(kVv), "3500");
    EXPECT_TRUE(checked(kTCurve));
    for (const AxisRunParams& b : state.axisRunParams) EXPECT_EQ(b.advVV, 0);
    get<QTreeWidget>(kTree)->setCurrentItem(get<QTreeWidget>(kTree)->topLevelItem(0));
    EXPECT_EQ(state.currentCard, 1);
    EXPECT_EQ(text(kVv), "2000") << "the module in slot 1 has its own values";
    EXPECT_EQ(state.selectedModuleLabel, "Lorvex in Slot:1");
}

TEST_F(AdvancedFeatures, TheDispositionWarnsOfTwoEqualAxesFromTheLaterLists) {
    open();
    choose(kAxis1, 1);  // Y, as Axis2: Axis1 compares with nothing
    EXPECT_TRUE(boxes.shown().empty());
    choose(kAxis2, 1);
    ASSERT_EQ(boxes.texts(), Texts{kClashText});
    EXPECT_EQ(boxes.shown()[0].icon, BoxIcon::Stop);
    EXPECT_EQ(get<QComboBox>(kAxis2)->currentIndex(), 1) << "the choice stays";
    EXPECT_EQ(state.advAxis2Mask, 2);
    EXPECT_EQ(block().advAxis2Index, 1);
}

TEST_F(AdvancedFeatures, Linear3DTakesZAndEnablesTheThirdAxisEvenOnOpening) {
    open();
    choose(kAxis1, 2);  // Z on the first axis
    click(kLinear3D);
    EXPECT_EQ(get<QComboBox>(kAxis3)->currentIndex(), 2) << "Z even where it clashes";
    EXPECT_TRUE(on(kAxis3));
    EXPECT_TRUE(on(kFp3)) << "the third finish point can be typed";
    open();
    EXPECT_TRUE(checked(kLinear3D));
    EXPECT_TRUE(on(kAxis3) && on(kFp3)) << "a module left in Linear 3D opens ready for it";
    click(kLinear2D);
    EXPECT_FALSE(on(kAxis3) || on(kFp3));
}

TEST_F(AdvancedFeatures, CircularTurnsTheButtonsIntoCwAndCcwOnATCurve) {
    open();
    click(kCircular);
    for (bool reopened : {false, true}) {
        if (reopened) open();
        EXPECT_TRUE(checked(kCircular)) << reopened;
        EXPECT_EQ(std::tuple(caption(kForward), caption(kBackward), picture(kForwardPicture),
                             picture(kBackwardPicture)),
                  std::tuple(QString("CW"), QString("CCW"), 257, 253))
            << reopened;
        EXPECT_TRUE(on(kCW) && on(kCCW) && on(kCp1) && on(kCp2)) << reopened;
    }
    click(kCircular);
    EXPECT_TRUE(checked(kTCurve));
    EXPECT_FALSE(on(kConst) || on(kTCurve) || on(kSCurve));
    EXPECT_EQ(block().advProfile, Profile::Constant) << "the block keeps the linear modes' profile";
    click(kLinear2D);
    EXPECT_EQ(std::pair(caption(kForward), picture(kForwardPicture)),
              std::pair(QString("      Forward"), 260));
}

TEST_F(AdvancedFeatures, ModesAndProfilesEnableTheParametersTheyUse) {
    open();
    const std::pair<int, const char*> presses[] = {
        {kTCurve, "1110001"}, {kAsym, "1111001"},     {kSCurve, "1100111"},   {kSym, "1100101"},
        {kConst, "0100000"},  {kLinear3D, "1100000"}, {kCircular, "1110001"}, {kAsym, "1111001"}};
    for (const auto& [id, enabled] : presses) {
        click(id);
        EXPECT_EQ(parameters(), enabled) << id;
        if (id == kConst) {
            EXPECT_FALSE(on(kSym) || on(kAsym)) << "no symmetry at a constant speed";
        }
    }
    EXPECT_EQ(block().advProfile, Profile::Constant);

    // The S-curve's VK and VL reach the run each as itself.
    click(kLinear2D);
    log.clear();
    click(kSCurve);
    click(kAsym);
    type(kVk, "111");
    type(kVl, "222");
    EXPECT_TRUE(log.calls().empty()) << "the profile buttons call nothing";
    click(kForward);
    EXPECT_EQ(calls("SET_V"),
              (Texts{"lorvexMF_SET_VV(3,2000)", "lorvexMF_SET_VSV(3,500)", "lorvexMF_SET_VK(3,111)",
                     "lorvexMF_SET_VL(3,222)", "lorvexMF_SET_VAO(3,20)"}));
}

// Each mode switches off the servos it runs on, says so, and offers what it uses.
TEST_F(AdvancedFeatures, EachModeSwitchesItsAxesOffAndEnablesWhatItUses) {
    open();
    choose(kAxis2, 3);  // X, U and Z
    const std::tuple<int, const char*, bool> modes[] = {
        {kCircular, "lorvexMF_SERVO_OFF(3,13)", true},
        {kLinear2D, "lorvexMF_SERVO_OFF(3,15)", false},
        {kLinear3D, "lorvexMF_SERVO_OFF(3,13)", false}};
    for (const auto& [mode, off, arc] : modes) {
        click(kServo);
        log.clear();
        click(mode);
        EXPECT_EQ(calls("SERVO_OFF"), Texts{off}) << mode;
        EXPECT_EQ(std::pair(caption(kServo), picture(kServoPicture)),
                  std::pair(QString("      Servo ON"), 197))
            << mode;
        for (int id : {kCp1, kCp2, kCW, kCCW}) EXPECT_EQ(on(id), arc) << mode << " " << id;
    }
    log.clear();
    click(kServoPicture);
    EXPECT_EQ(log.texts(), Texts{"lorvexMF_SERVO_ON(3,13)"});
    open();
    EXPECT_EQ(caption(kServo), "      Servo OFF") << "reopened with the servos on";
}

TEST_F(AdvancedFeatures, AClashRefusesTheRunButRestartsTheTimer) {
    open();
    choose(kAxis3, 0);  // X, as Axis1; Linear 2D does not even use it
    boxes.clear();
    log.clear();
    click(kForward);
    EXPECT_EQ(boxes.texts(), (Texts{kClashText, kClashText})) << "the list's and the run's";
    for (const Call& c : log.calls())
        EXPECT_EQ(c.function.rfind("lorvexMF_GET_", 0), 0u) << c.text();
    EXPECT_EQ(rows().rowCount(), 0);
    EXPECT_TRUE(screen->timerRunning(CAdvancedFeaturesDlg::kPositionTimer));
}

TEST_F(AdvancedFeatures, APressWithAFieldThatHoldsNoNumberRunsNothing) {
    open();
    type(kFp2, "-");
    click(kForward);
    EXPECT_EQ(boxes.texts(), Texts{"FP2: enter a whole number from -2147483648 to 2147483647."});
    EXPECT_TRUE(log.calls().empty());
    EXPECT_FALSE(screen->timerRunning(CAdvancedFeaturesDlg::kPositionTimer));
    type(kFp2, "x12");
    EXPECT_EQ(text(kFp2), "12") << "letters are not taken";
    EXPECT_EQ(block().advFP2, 12);

    // Fields the run does not pass, greyed or not, never stop it: VSV on a
    // constant speed in two axes, the centre of a line, FP3 after Linear 3D.
    click(kLinear3D);
    type(kFp3, "");
    click(kLinear2D);
    for (int id : {kVsv, kCp1, kCp2}) type(id, "");
    boxes.clear();
    log.clear();
    click(kForward);
    EXPECT_TRUE(boxes.shown().empty());
    EXPECT_EQ(calls("LINE"), Texts{"lorvexMF_LINE_2D(3,10000,12)"});
}

TEST_F(AdvancedFeatures, StopStopsTheModuleAndThePolling) {
    log.setResult("lorvexMF_GET_LP", 42);
    open();
    click(kForward);
    EXPECT_TRUE(screen->timerRunning(CAdvancedFeaturesDlg::kPositionTimer));
    log.clear();
    click(kStopPicture);
    EXPECT_EQ(log.texts(), (Texts{"lorvexMF_STOP_SLOWLY(3,15)", "lorvexMF_CLEAR_STOP(3)"}));
    // The axes brake on: their positions are shown until they stand.
    for (int lp : {60, 70, 75, 75}) {
        EXPECT_TRUE(screen->timerRunning(CAdvancedFeaturesDlg::kPositionTimer)) << lp;
        log.setResult("lorvexMF_GET_LP", lp);
        screen->deliverTimer(CAdvancedFeaturesDlg::kPositionTimer);
    }
    EXPECT_FALSE(screen->timerRunning(CAdvancedFeaturesDlg::kPositionTimer))
        << "one tick standing still ends the polling";
    EXPECT_EQ(text(kLp1), "75") << "where the axes really stopped";
    log.clear();
    click(kStop);
    EXPECT_EQ(log.calls().size(), 2u) << "also with nothing moving, and no polling starts";
    EXPECT_FALSE(screen->timerRunning(CAdvancedFeaturesDlg::kPositionTimer));
}

// The lists of one module, the masks of another: Clear would zero an axis
// the user never chose.
TEST_F(AdvancedFeatures, TheDispositionMasksFollowTheListsShown) {
    open();
    choose(kAxis1, 3);  // U on slot 3
    QTreeWidget* tree = get<QTreeWidget>(kTree);
    tree->setCurrentItem(tree->topLevelItem(0));  // slot 1: a fresh module, X Y Z
    state.moduleRunParams[1].advAxis1Index = 0;
    tree->setCurrentItem(tree->topLevelItem(1));
    tree->setCurrentItem(tree->topLevelItem(0));  // slot 1 again, not fresh now
    ASSERT_EQ(get<QComboBox>(kAxis1)->currentIndex(), 0);
    state.advAxis1Mask = 8;  // as slot 3's U left it
    screen->RefreshAdvancedView();
    log.clear();
    boxes.clear();
    click(kClear);
    EXPECT_EQ(calls("SET_LP").front(), "lorvexMF_SET_LP(1,1,0)") << "X, as the list says";
    EXPECT_TRUE(boxes.shown().empty());
}

// Leaving, by either closing control, with a path under way stops it as Stop
// would; a path that has ended is left alone.
TEST_F(AdvancedFeatures, LeavingStopsAPathStillUnderWay) {
    std::int64_t speed = 2000;
    log.setResponder("lorvexMF_GET_CV", [&](const Call&) { return speed; });
    for (const bool moving : {true, false}) {
        speed = moving ? 2000 : 0;
        make();
        const int result = test::execActive(*screen, [&] {
            click(kForward);
            log.clear();
            click(moving ? kExit : kExitPicture);
        });
        EXPECT_EQ(result, moving ? kResultReturn : kResultPicture);
        Texts stops;
        for (const std::string& t : log.texts()) {
            if (t.find("GET_") == std::string::npos) stops.push_back(t);
        }
        const Texts stopped{"lorvexMF_STOP_SLOWLY(3,15)", "lorvexMF_CLEAR_STOP(3)"};
        EXPECT_EQ(stops, moving ? stopped : Texts()) << moving;
    }
}

// A run echoes the chosen block on top and polls the axes it moves.
TEST_F(AdvancedFeatures, ARunEchoesItsBlockAndPollsTheAxesItUses) {
    log.setResponder("lorvexMF_GET_LP", [](const Call& c) { return 100 * c.args[1]; });
    log.setResponder("lorvexMF_GET_EP", [](const Call& c) { return -c.args[1]; });
    open();
    click(kTCurve);
    click(kBackward);
    click(kForwardPicture);
    EXPECT_EQ(std::pair(rows().rowCount(), rows().command(6)),
              std::pair(14, QString("lorvexMF_LINE_2D(3,10000,5000)")));
    EXPECT_TRUE(screen->timerRunning(CAdvancedFeaturesDlg::kPositionTimer));
    log.clear();
    screen->deliverTimer(CAdvancedFeaturesDlg::kPositionTimer);
    EXPECT_EQ(log.texts(), (Texts{"lorvexMF_GET_LP(3,1)", "lorvexMF_GET_LP(3,2)",
                                  "lorvexMF_GET_EP(3,1)", "lorvexMF_GET_EP(3,2)"}));
    EXPECT_EQ(std::pair(text(kLp2), text(kEp1)), std::pair(QString("200"), QString("-1")));
    // In Linear 3D, Clear zeroes the third axis too, and writes no rows.
    click(kLinear3D);
    log.clear();
    click(kClear);
    EXPECT_EQ(calls("SET_"), (Texts{"lorvexMF_SET_LP(3,1,0)", "lorvexMF_SET_LP(3,2,0)",
                                    "lorvexMF_SET_EP(3,1,0)", "lorvexMF_SET_EP(3,2,0)",
                                    "lorvexMF_SET_LP(3,4,0)", "lorvexMF_SET_EP(3,4,0)"}));
    EXPECT_EQ(rows().rowCount(), 14) << "only the runs wrote rows";
}

// The profile window stands beside the screen without blocking it: a circle
// is stopped with the window open, by a click through the window system.
TEST_F(AdvancedFeatures, TheProfileWindowLeavesStopInReachAndClosesWithTheScreen) {
    make();
    QPointer<CProfileDlg> window;
    const int result = test::execActive(*screen, [&] {
        click(kForward);
        QTest::keyClick(screen.get(), Qt::Key_Return);  // Enter, the default button
        window = screen->profileWindow();
        if (!window) {  // an ASSERT here would leave the screen open for ever
            ADD_FAILURE() << "Enter opened no profile window";
            return QTest::keyClick(screen.get(), Qt::Key_Escape);
        }
        EXPECT_EQ(window->windowModality(), Qt::NonModal);
        EXPECT_EQ(QApplication::activeModalWidget(), screen.get()) << "nothing above the screen";
        window->close();
        QTest::qWait(20);  // whatever closing leaves to the event loop
        click(kProfile);   // and a finger opens it again, from its visible button
        EXPECT_EQ(screen->profileWindow(), window.data());
        EXPECT_TRUE(window && window->isVisible());
        log.clear();
        const QWidget* stop = screen->control(kStop);
        QTest::mouseClick(screen->windowHandle(), Qt::LeftButton, {},
                          stop->mapTo(screen.get(), stop->rect().center()));
        EXPECT_EQ(log.texts(), (Texts{"lorvexMF_STOP_SLOWLY(3,15)", "lorvexMF_CLEAR_STOP(3)"}));
        QTest::keyClick(screen.get(), Qt::Key_Escape);
    });
    EXPECT_EQ(result, kResultReturn);
    EXPECT_TRUE(!window || !window->isVisible()) << "closed with its screen";
    EXPECT_EQ(screen->profile().plan().back(), (PlanePoint{10000, 5000}));
}

// A panel has no window frame: the window brings its own close button.
TEST_F(AdvancedFeatures, OnAPanelTheProfileWindowClosesByFinger) {
    setPanelMode(true);
    open();
    click(kProfile);
    CProfileDlg* window = screen->profileWindow();
    ASSERT_NE(window, nullptr);
    QWidget* close = window->control(CProfileDlg::kClose);
    ASSERT_NE(close, nullptr);
    EXPECT_TRUE(close->isVisible());
    QPointer<CProfileDlg> gone = window;
    QTest::mouseClick(close, Qt::LeftButton);
    EXPECT_TRUE(!gone || !gone->isVisible());
    setPanelMode(false);
}

// What the window draws never happened elsewhere: the plan starts where the
// axes stand at the press, and the trace starts anew on another plane.
TEST_F(AdvancedFeatures, ThePathsStartWhereTheAxesStandAndNeverJoinTwoPlanes) {
    std::int64_t x = 700;
    log.setResponder("lorvexMF_GET_LP", [&](const Call& c) { return c.args[1] == 1 ? x : 0; });
    open();  // a tick's stale reading: 700
    x = 900;
    click(kForward);
    EXPECT_EQ(screen->profile().plan().front(), (PlanePoint{900, 0}));
    screen->deliverTimer(CAdvancedFeaturesDlg::kPositionTimer);
    choose(kAxis1, 3);  // U reads 0
    choose(kAxis2, 2);
    screen->deliverTimer(CAdvancedFeaturesDlg::kPositionTimer);
    EXPECT_EQ(screen->profile().trace(), (std::vector<PlanePoint>{{0, 0}})) << "a new trace";
    EXPECT_TRUE(screen->profile().plan().empty());
}

TEST(ProfileWindow, ItsPixelsShowThePlannedAndTracedPaths) {
    test::ScriptedBoxes boxes;
    ProfileModel model;
    model.startRun({{0, 0}, {10000, 0}}, {0, 0});
    model.addPosition({0, 4000});  // off the plan: the trace is its own line
    CProfileDlg window(boxes, model);
    window.show();
    ProfileView& view = window.view();
    const QImage image = view.grab().toImage();
    const auto near = [&](QPointF at, QRgb colour) {  // within 2 pixels, each channel within 40
        for (int dx = -2; dx <= 2; ++dx) {
            for (int dy = -2; dy <= 2; ++dy) {
                const QRgb c = image.pixel(at.toPoint() + QPoint(dx, dy));
                const auto off = [&](int (*channel)(QRgb)) {
                    return std::abs(channel(c) - channel(colour));
                };
                if (std::max({off(qRed), off(qGreen), off(qBlue)}) < 40) return true;
            }
        }
        return false;
    };
    // The dashes leave gaps: some points along the plan show its colour.
    int planned = 0;
    for (int x = 1000; x <= 9000; x += 500)
        planned += near(view.toWidget({double(x), 0}), ProfileView::kPlannedColour);
    EXPECT_GE(planned, 8);
    EXPECT_TRUE(near(view.toWidget({0, 2000}), ProfileView::kTracedColour));
    EXPECT_FALSE(near(view.toWidget({5000, 3000}), ProfileView::kTracedColour))
        << "nothing elsewhere";
}

}  // namespace
}  // namespace velmira
