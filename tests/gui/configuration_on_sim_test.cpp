// The Configuration screen on the simulated rack: what the user sets is what
// the machine then does, as it would be with real modules.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include "config/configuration_dlg.h"
#include "sim/axis_model.h"
#include "sim/sim_rack.h"
#include "state/app_context.h"
#include "support/scripted_boxes.h"

namespace velmira {
namespace {

class ConfigurationOnSim : public ::testing::Test {
  protected:
    ConfigurationOnSim() { QDir(card.path()).mkdir("Pelmoran"); }

    void open() {
        screen = std::make_unique<CConfigurationDlg>(ctx, CarriedValues{});
        screen->initDialog();
        screen->show();
    }
    void select(const QString& module, const QString& axis) {
        auto* tree = screen->controlAs<QTreeWidget>(1001);
        for (int i = 0; i < tree->topLevelItemCount(); ++i) {
            QTreeWidgetItem* top = tree->topLevelItem(i);
            for (int c = 0; c < top->childCount(); ++c) {
                if (top->text(0) == module && top->child(c)->text(0) == axis) {
                    return tree->setCurrentItem(top->child(c));
                }
            }
        }
        ADD_FAILURE() << "no " << module.toStdString() << " / " << axis.toStdString();
    }
    void choose(int id, int index) {
        auto* combo = screen->controlAs<QComboBox>(id);
        combo->setCurrentIndex(index);
        emit combo->activated(index);
    }
    void click(int id) { QTest::mouseClick(screen->control(id), Qt::LeftButton); }
    void type(int id, const QString& text) { screen->controlAs<QLineEdit>(id)->setText(text); }
    void runMs(int ms) {
        for (int t = 0; t < ms; t += 10) {
            clock.advanceMs(10);
            lorvex.GET_LP(1, 1);
        }
    }

    ManualSimClock clock;
    SimRack rack{*parseSlotList("1=Lorvex,5=Quenby").ids, {}, clock};
    SimMotionLibrary lorvex{ModuleKind::Lorvex, rack};
    SimMotionLibrary quenby{ModuleKind::Quenby, rack};
    SimBackplane backplane{rack};
    QTemporaryDir card;
    AppState state;
    test::ScriptedBoxes boxes;
    AppContext ctx{state, Hardware{&lorvex, &quenby, &backplane}, boxes, CardFiles(card.path())};
    std::unique_ptr<CConfigurationDlg> screen;
};

TEST_F(ConfigurationOnSim, LimitLogicThatDoesNotMatchTheWiringBlocksTheAxis) {
    open();
    select("Lorvex in Slot:1", "Axis_Y");
    EXPECT_EQ(lorvex.GET_DI(1, 2, 1), 0);
    choose(1005, 1);  // LIMIT+/- (Logic) "High" on a rack wired low
    EXPECT_EQ(lorvex.GET_DI(1, 2, 1), 1);
    EXPECT_EQ(lorvex.GET_DI(1, 2, 2), 1);
    EXPECT_EQ(lorvex.GET_DI(1, 1, 1), 0) << "X keeps its own logic";
    lorvex.CONTINUE_MOVE(1, 2, 1);
    runMs(200);
    EXPECT_EQ(lorvex.GET_LP(1, 2), 0);
    EXPECT_TRUE(lorvex.GET_ERROR_CODE(1, 2) & axis_error::kLimitPlus);

    choose(1005, 0);
    lorvex.CONTINUE_MOVE(1, 2, 1);
    runMs(200);
    EXPECT_GT(lorvex.GET_LP(1, 2), 0) << "back to Low, the axis runs";
}

TEST_F(ConfigurationOnSim, SoftLimitsSetOnTheScreenStopTheAxis) {
    open();
    select("Quenby in Slot:5", "Axis_X");
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
