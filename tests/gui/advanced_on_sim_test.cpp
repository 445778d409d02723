// Advanced Features on the simulated rack: the paths the screen asks for are
// the paths its position fields then show.
#include <gtest/gtest.h>

#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>

#include "advanced/advanced_features_dlg.h"
#include "advanced/advanced_features_ids.h"
#include "hw/discovery.h"
#include "sim/sim_rack.h"
#include "support/scripted_boxes.h"

namespace velmira {
namespace {

using namespace advanced_ids;

class AdvancedOnSim : public ::testing::Test {
  protected:
    AdvancedOnSim() {
        std::uint8_t card = 0;
        probeAndRegister(state.slotTable, ctx.hw, card);
        state.selectedModuleLabel = "Lorvex in Slot:1";
        state.currentKind = ModuleKind::Lorvex;
        state.currentCard = 1;
        screen.initDialog();
        screen.show();
    }
    void click(int id) { QTest::mouseClick(screen.control(id), Qt::LeftButton); }
    PlanePoint shown() {
        return {screen.controlAs<QLineEdit>(kLp1)->text().toDouble(),
                screen.controlAs<QLineEdit>(kLp2)->text().toDouble()};
    }
    // 50 ms polls, as the screen's timer gives them, until the path ends.
    std::vector<PlanePoint> follow(double limitMs = 30000) {
        std::vector<PlanePoint> seen{shown()};
        for (double t = 0; t < limitMs; t += 50) {
            clock.advanceMs(50);
            screen.deliverTimer(CAdvancedFeaturesDlg::kPositionTimer);
            seen.push_back(shown());
            if (lorvex.GET_DI(1, 1, 0) == 0 && lorvex.GET_DI(1, 2, 0) == 0 && t > 100) break;
        }
        return seen;
    }

    ManualSimClock clock;
    SimRack rack{*parseSlotList("1=Lorvex").ids, {}, clock};
    SimMotionLibrary lorvex{ModuleKind::Lorvex, rack};
    SimMotionLibrary quenby{ModuleKind::Quenby, rack};
    SimBackplane backplane{rack};
    QTemporaryDir card;
    AppState state;
    test::ScriptedBoxes boxes;
    AppContext ctx{state, Hardware{&lorvex, &quenby, &backplane}, boxes, CardFiles(card.path())};
    CAdvancedFeaturesDlg screen{ctx};
};

TEST_F(AdvancedOnSim, ALineEndsOnItsFinishPointAndACircleReturnsToItsStart) {
    click(kServo);
    click(kForward);  // Linear 2D, Const: 10000, 5000
    std::vector<PlanePoint> seen = follow();
    EXPECT_EQ(seen.back(), (PlanePoint{10000, 5000}));
    for (const PlanePoint& p : seen) {
        EXPECT_NEAR(p.y * 2, p.x, 2.5) << "on the line, within a pulse";
    }
    EXPECT_EQ(screen.controlAs<QLineEdit>(kEp1)->text(), "10000");

    click(kCircular);  // switches the servos off
    click(kServo);
    click(kAsym);  // a full circle around CP 300, 0
    click(kForward);
    seen = follow();
    const PlanePoint start{10000, 5000};
    EXPECT_EQ(seen.back(), start);
    double farthest = 0;
    for (const PlanePoint& p : seen) {
        farthest = std::max(farthest, std::hypot(p.x - start.x, p.y - start.y));
        EXPECT_NEAR(std::hypot(p.x - 10300, p.y - 5000), 300, 1.5);
    }
    EXPECT_NEAR(farthest, 600, 2) << "through the point opposite the start";
    // The profile window's model saw the same: its trace ends at the start.
    EXPECT_EQ(*screen.profile().current(), start);
    EXPECT_NEAR(std::hypot(screen.profile().plan()[screen.profile().plan().size() / 2].x - 10600,
                           screen.profile().plan()[screen.profile().plan().size() / 2].y - 5000),
                0, 1e-6);
}

}  // namespace
}  // namespace velmira
