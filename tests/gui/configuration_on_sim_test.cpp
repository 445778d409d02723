// The Configuration screen on the simulated rack: what the user sets is what
// the machine then does, as it would be with real modules.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "config/configuration_dlg.h"
#include "sim/axis_model.h"
#include "sim/sim_rack.h"
#include "state/app_context.h"
#include "support/screen_driver.h"
#include "support/scripted_boxes.h"

namespace velmira {
namespace {

class ConfigurationOnSim : public ::testing::Test, protected test::ScreenDriver<CConfigurationDlg> {
  protected:
    ConfigurationOnSim() {
        screen = std::make_unique<CConfigurationDlg>(ctx, CarriedValues{});
        screen->initDialog();
        screen->show();
    }
    ~ConfigurationOnSim() override { screen.reset(); }  // before the bench it uses

    ManualSimClock clock;
    SimRack rack{*parseSlotList("1=Lorvex,5=Quenby").ids, {}, clock};
    SimMotionLibrary lorvex{ModuleKind::Lorvex, rack};
    SimMotionLibrary quenby{ModuleKind::Quenby, rack};
    SimBackplane backplane{rack};
    QTemporaryDir card;
    AppState state;
    test::ScriptedBoxes boxes;
    AppContext ctx{state, Hardware{&lorvex, &quenby, &backplane}, boxes, CardFiles(card.path())};
};

TEST_F(ConfigurationOnSim, SoftLimitsSetOnTheScreenStopTheAxis) {
    select(1001, "Quenby in Slot:5", "Axis_X");
    click(1012);
    type(1009, "4000");
    type(1010, "-4000");
    choose(1011, 0);  // compare the logic position
    quenby.SET_V(5, 1, 20000);
    quenby.FIXED_MOVE(5, 1, 10000);
    for (int t = 0; t < 2000; t += 10) {
        clock.advanceMs(10);
        quenby.GET_LP(5, 1);
    }
    EXPECT_EQ(quenby.GET_LP(5, 1), 4000);
    EXPECT_EQ(quenby.GET_ERROR_CODE(5, 1) & 3u, axis_error::kSoftLimitPlus);
    click(1012);  // unchecked: the limits are cleared
    EXPECT_EQ(quenby.GET_ERROR_CODE(5, 1) & 3u, 0u);
}

}  // namespace
}  // namespace velmira
