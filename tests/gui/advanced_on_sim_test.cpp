// Advanced Features on the simulated rack: the paths the screen asks for are
// the paths its position fields then show.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

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

TEST_F(AdvancedOnSim, ALineEndsOnItsFinishPoint) {
    click(kServo);
    click(kForward);  // Linear 2D, Const: 10000, 5000
    std::vector<PlanePoint> seen = follow();
    EXPECT_EQ(seen.back(), (PlanePoint{10000, 5000}));
    for (const PlanePoint& p : seen) {
        EXPECT_NEAR(p.y * 2, p.x, 2.5) << "on the line, within a pulse";
    }
    EXPECT_EQ(screen.controlAs<QLineEdit>(kEp1)->text(), "10000");
}

}  // namespace
}  // namespace velmira
