// The axis scope: opened from Basic Operation on the simulated rack it
// records a jog from the screen's own status reads, and its plot answers the
// mouse and a finger.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPointingDevice>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include "basic/basic_operation_dlg.h"
#include "basic/basic_operation_ids.h"
#include "basic/scope_window.h"
#include "hw/discovery.h"
#include "sim/sim_rack.h"
#include "support/eventually.h"
#include "support/modal.h"
#include "support/scripted_boxes.h"
#include "ui/command_list.h"

namespace velmira {
namespace {

using namespace basic_ids;
using test::eventually;

class ScopeOnSim : public ::testing::Test {
  protected:
    ScopeOnSim() {
        std::uint8_t number = 0;
        probeAndRegister(state.slotTable, ctx.hw, number);
        state.selectedModuleLabel = "Lorvex in Slot:1";
        state.selectedAxisLabel = "Axis_X";
        state.moduleNodeSelected = 0;
    }
    void click(int id) { QTest::mouseClick(screen.control(id), Qt::LeftButton); }
    ScopeWindow& scope() { return *screen.scope(); }
    std::int32_t speed() { return lorvex.GET_CV(1, 1); }

    SteadySimClock clock;
    SimRack rack{*parseSlotList("1=Lorvex").ids, {}, clock};
    SimMotionLibrary lorvex{ModuleKind::Lorvex, rack};
    SimMotionLibrary quenby{ModuleKind::Quenby, rack};
    SimBackplane backplane{rack};
    QTemporaryDir card;
    AppState state;
    test::ScriptedBoxes boxes;
    AppContext ctx{state, Hardware{&lorvex, &quenby, &backplane}, boxes, CardFiles(card.path())};
    CBasicOperationDlg screen{ctx, CarriedValues{}};
};

TEST_F(ScopeOnSim, AJogIsRecordedWithItsMarkerAndStopStaysInReach) {
    test::execActive(screen, [&] {
        click(kServo);
        click(kScope);
        ASSERT_TRUE(screen.scope() && scope().isVisible() && !scope().isModal());
        EXPECT_TRUE(scope().samples().empty()) << "it waits for a move";

        click(kForward);  // point to point, 10000 pulses
        EXPECT_TRUE(eventually([&] { return speed() > 0; }));
        EXPECT_TRUE(eventually([&] { return speed() == 0; }, 5000));
        EXPECT_TRUE(eventually([&] {
            const ScopeRecording& r = scope().samples();
            return !r.empty() && r.at(r.size() - 1).logicPosition == 10000;
        }));
        const ScopeRecording& r = scope().samples();
        ASSERT_EQ(r.markers().size(), 1u);
        EXPECT_EQ(r.markers()[0].label, "Forward");
        EXPECT_EQ(r.markers()[0].block, screen.commandList().rows().blockCount() - 1);
        // The position rises; the speed goes up to the drive speed and back.
        std::int32_t top = 0;
        for (std::size_t i = 1; i < r.size(); ++i) {
            EXPECT_GE(r.at(i).logicPosition, r.at(i - 1).logicPosition);
            EXPECT_GT(r.at(i).seconds, r.at(i - 1).seconds);
            top = std::max(top, r.at(i).currentSpeed);
        }
        EXPECT_EQ(top, 20000);
        EXPECT_LT(r.at(r.size() - 1).seconds - r.at(0).seconds, r.size() * 0.04)
            << "a sample about every 20 ms";

        // STOP on the screen still stops a continuous move.
        click(kContinuousRadio);
        click(kForward);
        EXPECT_TRUE(eventually([&] { return speed() > 0; }));
        click(kStopHome);
        EXPECT_TRUE(eventually([&] { return speed() == 0; }, 5000));
        EXPECT_EQ(r.markers().size(), 2u);

        // Another axis is another recording.
        auto* tree = screen.controlAs<QTreeWidget>(kTree);
        tree->setCurrentItem(tree->topLevelItem(0)->child(1));
        EXPECT_TRUE(scope().samples().empty() && scope().samples().markers().empty());
        click(kReturn);
    });
    EXPECT_FALSE(screen.scope()->isVisible()) << "it closes with its screen";
}

// A minute of a made-up move, ten samples a second.
class ScopePlot : public ::testing::Test {
  protected:
    ScopePlot() {
        for (int i = 0; i <= 600; ++i) {
            recording.append({i / 10.0, i * 100, i * 100 - i % 3, i % 3, 1000});
        }
        view.resize(662, 300);  // a plot area 538 pixels wide
        view.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&view));
    }
    double middle() const { return view.plotArea().center().x(); }
    QPoint at(double x) const { return {static_cast<int>(x), 100}; }

    ScopeRecording recording{1000};
    ScopeView view{recording};
};

TEST_F(ScopePlot, WheelAndPinchZoomAboutThePointerDragAndFingerPanATapReads) {
    EXPECT_DOUBLE_EQ(view.start(), 50) << "it follows the newest samples";
    const double x = view.plotArea().left() + 100;
    const double under = view.timeAt(x);
    QWheelEvent wheel(at(x), view.mapToGlobal(at(x)), {}, {0, 240}, Qt::NoButton, {},
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(&view, &wheel);
    EXPECT_NEAR(view.span(), 10 / 1.5625, 1e-9);
    EXPECT_NEAR(view.timeAt(x), under, 1e-9) << "the time under the pointer stays";
    EXPECT_FALSE(view.following());

    const double start = view.start();
    QTest::mousePress(&view, Qt::LeftButton, {}, at(middle()));
    QTest::mouseMove(&view, at(middle() + 60));
    QTest::mouseMove(&view, at(middle() + 120));
    QTest::mouseRelease(&view, Qt::LeftButton, {}, at(middle() + 120));
    EXPECT_NEAR(view.start(), start - 120 / view.plotArea().width() * view.span(), 1e-9);
    EXPECT_FALSE(view.cursorSample()) << "a drag is no click";

    // Two fingers moving apart to twice their distance: half the span.
    static QPointingDevice* const finger = QTest::createTouchDevice();
    const double span = view.span();
    QTest::touchEvent(&view, finger).press(0, at(middle() - 20)).press(1, at(middle() + 20));
    QTest::touchEvent(&view, finger).move(0, at(middle() - 40)).move(1, at(middle() + 40));
    QTest::touchEvent(&view, finger).release(0, at(middle() - 40)).release(1, at(middle() + 40));
    EXPECT_NEAR(view.span(), span / 2, 1e-9);

    const double before = view.start();
    QTest::touchEvent(&view, finger).press(0, at(middle()));
    QTest::touchEvent(&view, finger).move(0, at(middle() - 30));
    QTest::touchEvent(&view, finger).move(0, at(middle() - 90));
    QTest::touchEvent(&view, finger).release(0, at(middle() - 90));
    EXPECT_NEAR(view.start(), before + 90 / view.plotArea().width() * view.span(), 1e-9);

    const double t = view.timeAt(middle());
    QTest::touchEvent(&view, finger).press(0, at(middle()));
    QTest::touchEvent(&view, finger).release(0, at(middle()));
    ASSERT_TRUE(view.cursorSample());
    EXPECT_NEAR(recording.at(*view.cursorSample()).seconds, t, 0.05) << "the nearest sample";

    view.follow();
    EXPECT_TRUE(view.following());
    EXPECT_DOUBLE_EQ(view.start(), 50);
}

// The window fed by hand: pause holds the recording, Save CSV writes it onto
// the card or says why not.
TEST(ScopeWindowTest, PauseHoldsAndSaveCsvWritesTheSamplesOrSaysWhy) {
    QTemporaryDir temp;
    const QString card = temp.path() + "/card", folder = card + "/Pelmoran";
    QDir().mkpath(folder);
    test::ScriptedBoxes boxes;
    const CardFiles files(card);
    ScopeWindow scope(boxes, files);
    scope.follow(1, 0, "Lorvex in Slot:1, Axis_X");
    scope.addSample({5, 5, 0, 0});
    EXPECT_TRUE(scope.samples().empty()) << "nothing before a move";
    scope.markMove("Forward", 0);
    scope.addSample({1, 1, 0, 100});
    scope.addSample({2, 1, 1, 200});
    QTest::mouseClick(scope.control(ScopeWindow::kPause), Qt::LeftButton);
    scope.addSample({3, 2, 1, 300});
    scope.markMove("Backward", 1);
    EXPECT_EQ(std::pair(scope.samples().size(), scope.samples().markers().size()),
              std::pair(2ul, 1ul));
    QTest::mouseClick(scope.control(ScopeWindow::kPause), Qt::LeftButton);
    scope.addSample({4, 3, 1, 400});
    EXPECT_EQ(scope.samples().size(), 3u);

    QTest::mouseClick(scope.control(ScopeWindow::kSaveCsv), Qt::LeftButton);
    const QStringList saved = QDir(folder).entryList({"*.csv"});
    ASSERT_EQ(saved.size(), 1);
    EXPECT_TRUE(boxes.shown().empty()) << "no box holds Stop out of reach";
    EXPECT_TRUE(scope.controlAs<QLabel>(ScopeWindow::kStateNote)->text().endsWith(saved[0]));
    QFile file(folder + "/" + saved[0]);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().trimmed().split('\n');
    ASSERT_EQ(lines.size(), 4);
    EXPECT_TRUE(lines[0].startsWith("time (s),"));
    EXPECT_TRUE(lines[3].endsWith(",4,3,1,400"));

    // The card taken out.
    QDir(card).removeRecursively();
    QTest::mouseClick(scope.control(ScopeWindow::kSaveCsv), Qt::LeftButton);
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown().back().caption, "Error");
    EXPECT_TRUE(boxes.texts().back().starts_with("The samples were not saved: "));
    EXPECT_FALSE(QDir(card).exists()) << "the card itself is never made";
}

}  // namespace
}  // namespace velmira
