#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFile>

#include "config/configuration_dlg.h"
#include "settings/settings_file.h"
#include "support/modal.h"
#include "support/recorded_bench.h"
#include "support/screen_driver.h"

namespace velmira {
namespace {

using Texts = std::vector<std::string>;

// One thing a user does: a click, a list item chosen, or a text typed.
struct Step {
    int id;
    int choice = -1;
    const char* text = nullptr;
};

class Configuration : public ::testing::Test,
                      protected test::RecordedBench,
                      protected test::ScreenDriver<CConfigurationDlg> {
  protected:
    void SetUp() override {
        ids[3] = 83;
        ids[5] = 82;
        log.setResult("lorvexMF_REGISTRATION", 1);
        log.setResult("quenbyMF_REGISTRATION", 1);
    }

    void open() {
        screen = std::make_unique<CConfigurationDlg>(ctx, CarriedValues{});
        screen->initDialog();
        screen->show();
        log.clear();
    }
    void act(const std::vector<Step>& steps) {
        for (const Step& s : steps) {
            s.text ? type(s.id, s.text) : s.choice < 0 ? click(s.id) : choose(s.id, s.choice);
        }
    }
    void selectItem(const QString& module, const QString& axis = {}) { select(1001, module, axis); }
    QTreeWidget* tree() { return get<QTreeWidget>(1001); }
    bool ticked(int id) { return get<QCheckBox>(id)->isChecked(); }
    int index(int id) { return get<QComboBox>(id)->currentIndex(); }
    Texts calls() const { return log.texts(); }
};

TEST_F(Configuration, FirstOpeningSelectsTheFirstModuleAndLaterOnesRestore) {
    open();
    EXPECT_EQ(std::tuple(state.currentKind, state.currentCard, state.currentAxisMask),
              std::tuple(ModuleKind::Lorvex, std::uint8_t{3}, 15u));
    EXPECT_EQ(state.currentAxisIndex, 4);
    EXPECT_EQ(state.config.firstOpening, 0);
    selectItem("LorvexF in Slot:3", "Axis_Z");
    EXPECT_EQ(std::tuple(state.currentAxisMask, state.currentAxisIndex), std::tuple(4u, 2));
    selectItem("Quenby in Slot:5", "Axis_Y");
    EXPECT_EQ(state.currentKind, ModuleKind::Quenby);
    EXPECT_EQ(state.moduleNodeSelected, 0);

    open();
    EXPECT_EQ(tree()->currentItem()->text(0), "Axis_Y");
    EXPECT_EQ(tree()->currentItem()->parent()->text(0), "Quenby in Slot:5");
    selectItem("Quenby in Slot:5");
    EXPECT_EQ(std::tuple(state.currentAxisMask, state.currentAxisIndex), std::tuple(3u, 2));
}

TEST_F(Configuration, WithoutAnyModuleNothingIsCalledOrEchoed) {
    log.setResult("lorvexMF_REGISTRATION", 0);
    log.setResult("quenbyMF_REGISTRATION", 0);
    open();
    EXPECT_EQ(tree()->topLevelItemCount(), 0);
    EXPECT_EQ(state.currentKind, ModuleKind::None);
    act({{1005, 1}, {1183}});
    EXPECT_TRUE(calls().empty());
    EXPECT_EQ(rows().rowCount(), 0);
}

// Each setting is one call, echoed as a numbered row.
TEST_F(Configuration, EveryHandlerCallsOnceAndEchoesThatCallForBothKinds) {
    const std::pair<std::vector<Step>, std::string> cases[] = {
        {{{1002, 3}}, "lorvexMF_SET_PULSE_MODE(3,15,3)"},
        {{{1007, 1}}, "lorvexMF_SET_ENCODER(3,15,0,0,1)"},
        {{{1003, 3}, {1007, 1}}, "lorvexMF_SET_ENCODER(3,15,1,0,1)"},  // the mode goes with Z
        {{{1005, 1}}, "lorvexMF_SET_HLMT(3,15,1,1)"},
        {{{1006, 1}}, "lorvexMF_SET_HOME_EDGE(3,15,1)"},
        {{{1004, 1}}, "lorvexMF_SET_NHOME(3,15,1)"},
        {{{1073, 1}}, "lorvexMF_LIMITSTOP_MODE(3,15,1)"},
        {{{1183}}, "lorvexMF_SERVO_ON(3,15)"},
        {{{1183}}, "lorvexMF_SERVO_OFF(3,15)"},
        {{{1013}, {1016, 1}}, "lorvexMF_SET_INPOS(3,15,1,1)"},
        {{{1015}}, "lorvexMF_SET_ALARM(3,15,1,0)"},
        {{{1018, 1}}, "lorvexMF_SET_ALARM(3,15,1,1)"},
        {{{1012}, {1012}}, "lorvexMF_CLEAR_SLMT(3,15)"},
        {{{1012}, {1009, -1, "5000"}, {1010, -1, "-300"}, {1011, 1}},
         "lorvexMF_SET_SLMT(3,15,5000,-300,1)"},
        {{{1033, 2}}, "lorvexMF_SET_FILTER(3,15,0,2)"},
        {{{1021}}, "lorvexMF_SET_FILTER(3,15,4,2)"},
        {{{1023}}, "lorvexMF_SET_FILTER(3,15,20,2)"},
        {{{1021}}, "lorvexMF_SET_FILTER(3,15,16,2)"},
        {{{1177}, {1008}}, "lorvexMF_VRING_ENABLE(3,15,10000)"},
        {{{1177}}, "lorvexMF_VRING_DISABLE(3,15)"},
        {{{1182}, {1181}}, "lorvexMF_SET_MAX_V(3,15,2000000)"},
        {{{1178}}, "lorvexMF_AVTRI_ENABLE(3,15)"},
        {{{1178}}, "lorvexMF_AVTRI_DISABLE(3,15)"},
    };
    for (const bool onQuenby : {false, true}) {
        open();
        if (onQuenby) selectItem("Quenby in Slot:5", "Axis_Y");
        for (const auto& [steps, lorvexCall] : cases) {
            std::string expected = lorvexCall;
            if (onQuenby) {
                expected.replace(0, 9, "quenbyMF_");
                expected.replace(expected.find("(3,15"), 5, "(5,2");
            }
            log.clear();
            const int before = rows().rowCount();
            act(steps);
            EXPECT_EQ(calls(), Texts{expected});
            EXPECT_EQ(rows().rowCount(), before + 1) << expected;
            EXPECT_EQ(commands().front(), expected) << "the newest row first";
            EXPECT_EQ(rows().label(0), QStringLiteral("Fun %1").arg(before)) << "from 0 at opening";
        }
    }
    EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(Configuration, RefreshShowsEveryStoredSettingAndTheDefaults) {
    AxisSettings& y = state.settings.record(5, 1);
    y.pulseMode.first = 4;
    y.encoder = {1, {}, 3, 1, 0};
    y.hardLimit.first = 9;  // not an item of the list
    y.homeEdge.first = y.nearHome.first = y.limitStopMode.first = 1;
    y.inPos = y.alarm = {1, {}, 1, 0, 0};
    y.filter = {1, {}, 5, 6, 0};
    y.maxV = {1, {}, 3000000, 0, 0};
    y.servoOn.enabled = y.vring.enabled = y.avtri.enabled = 1;
    open();
    selectItem("Quenby in Slot:5", "Axis_Y");
    const std::pair<int, int> lists[] = {{1002, 4}, {1003, 3}, {1007, 1}, {1005, -1}, {1006, 1},
                                         {1004, 1}, {1073, 1}, {1016, 1}, {1018, 1},  {1033, 6}};
    for (const auto& [id, shown] : lists) EXPECT_EQ(index(id), shown) << id;
    const int boxes[] = {1183, 1013, 1015, 1177, 1182, 1178, 1019, 1021};
    const int behind[] = {1016, 1018, 1179, 1008, 1123, 1181, 1033};
    for (int id : boxes) EXPECT_TRUE(ticked(id)) << id;
    for (int id : behind) EXPECT_TRUE(on(id)) << id;
    EXPECT_FALSE(ticked(1020));
    EXPECT_EQ(text(1123), "3000000");
    EXPECT_EQ(text(1179), "10000") << "stored 0 shows the default";

    selectItem("Quenby in Slot:5", "Axis_X");
    for (int id : boxes) EXPECT_FALSE(ticked(id)) << id;
    for (int id : behind) EXPECT_FALSE(on(id)) << id;
    EXPECT_EQ(text(1123), "2000000");

    // Any filter bit enables the delay list; a bit that is no filter, none.
    for (int bit = 0; bit < 6; ++bit) {
        state.settings.record(5, 0).filter = {1, {}, 1 << bit, 2, 0};
        selectItem("Quenby in Slot:5", "Axis_Y");
        selectItem("Quenby in Slot:5", "Axis_X");
        EXPECT_EQ(on(1033), bit < 5) << "filter bit " << bit;
    }
}

TEST_F(Configuration, BoxesEnableTheControlsBehindThem) {
    open();
    for (const auto& [box, behind] :
         {std::pair{1015, 1018}, std::pair{1013, 1016}, std::pair{1177, 1179},
          std::pair{1182, 1123}, std::pair{1012, 1011}, std::pair{1020, 1033}}) {
        EXPECT_FALSE(on(behind)) << behind;
        click(box);
        EXPECT_TRUE(on(behind)) << behind;
        click(box);
        EXPECT_FALSE(on(behind)) << behind;
    }
}

// The limits go to the slot of the selection, and to the module only when
// neither is 0.
TEST_F(Configuration, SoftwareLimitsLiveInTheSlotOfTheSelectionAndZeroIsRefused) {
    state.config.softLimits[3][2] = {700, -700, 1, 1};
    open();  // the whole module: the controls show its last axis, U
    click(1012);
    for (const auto& [plus, minus, message] :
         {std::tuple("0", "-10", "The value of 'SL+' is '0'!!"),
          std::tuple("5000", "0", "The value of 'SL-' is '0'!!")}) {
        boxes.clear();
        act({{1009, -1, plus}, {1010, -1, minus}, {1011, 1}});
        EXPECT_EQ(boxes.texts(), Texts{message});
        EXPECT_EQ(index(1011), 0) << "back at Logic Position";
    }
    EXPECT_EQ(state.config.softLimits[3][4].limitPlus, 5000) << "stored all the same";
    EXPECT_EQ(state.config.softLimits[3][4].limitEnabled, 0);
    EXPECT_TRUE(calls().empty());
    act({{1010, -1, "-5000"}, {1011, 1}});
    const SoftLimitSlot& whole = state.config.softLimits[3][4];
    EXPECT_EQ(
        std::tuple(whole.limitPlus, whole.limitMinus, whole.limitEnabled, whole.compareSource),
        std::tuple(5000, -5000, std::uint8_t{1}, 1));
    EXPECT_EQ(state.config.softLimits[3][3].limitPlus, 0);

    selectItem("LorvexF in Slot:3", "Axis_Z");
    EXPECT_EQ(text(1009), "700");
    EXPECT_EQ(index(1011), 1);
}

// A handler reads only its own fields: a bad one stops the handlers that
// need it, with a message about it alone, and no other.
TEST_F(Configuration, ABadFieldBlocksOnlyTheSettingsThatUseIt) {
    open();
    act({{1177}, {1182}});
    log.clear();
    act({{1179, -1, "2147483648"}, {1008}, {1181}, {1123, -1, "7999"}, {1181}});
    act({{1179, -1, "abc"}, {1123, -1, "4000000"}, {1181}, {1002, 1}});
    act({{1012}, {1009, -1, "12a"}, {1011, 1}});
    EXPECT_EQ(boxes.texts(), (Texts{"Enter a whole number from 0 to 2147483647.",
                                    "Enter a whole number from 8000 to 4000000.",
                                    "Enter a whole number from -2147483648 to 2147483647."}));
    EXPECT_EQ(calls(),
              (Texts{"lorvexMF_SET_MAX_V(3,15,2000000)", "lorvexMF_SET_MAX_V(3,15,4000000)",
                     "lorvexMF_SET_PULSE_MODE(3,15,1)"}));
    EXPECT_EQ(state.settings.record(3, 0).vring.first, 0);
    EXPECT_EQ(state.config.softLimits[3][4].limitPlus, 0);

    // "Switch to Test" stays while a field is refused.
    bool closed = false;
    QObject::connect(screen.get(), &QDialog::finished, [&] { closed = true; });
    click(1);
    EXPECT_FALSE(closed);
    act({{1179, -1, "5"}, {1009, -1, "1"}, {1}});
    EXPECT_TRUE(closed);
    EXPECT_EQ(screen->result(), kResultSwitch);
}

TEST_F(Configuration, SaveAndLoadGoThroughTheFileAndAFailedSaveIsNotSaved) {
    open();
    act({{1002, 2}, {1036}});
    EXPECT_EQ(boxes.texts(), Texts{"All of the settings saved !!"});
    EXPECT_EQ(state.settingsSaved, 1);

    state.settings = SettingsImage{};
    selectItem("LorvexF in Slot:3", "Axis_Y");
    log.clear();
    click(1163);  // the picture loads too
    EXPECT_EQ(log.textsOf("lorvexMF_SET_PULSE_MODE").size(), 4u);
    EXPECT_EQ(index(1002), 2);
    EXPECT_EQ(rows().rowCount(), 1) << "applying a file echoes nothing";

    // A save that failed leaves the settings unsaved, so the main menu still asks.
    state.settingsSaved = 0;
    boxes.clear();
    const QString pelmoran = card.path() + "/Pelmoran";
    ASSERT_TRUE(QDir(pelmoran).removeRecursively());
    ASSERT_TRUE(QFile(pelmoran).open(QIODevice::WriteOnly));  // a file where a folder should be
    click(1036);
    EXPECT_EQ(boxes.texts(),
              Texts{std::string(kWriteFailedText) + "\na part of the path is not a folder"});
    EXPECT_EQ(state.settingsSaved, 0);
}

// Through the real modal path, keys and the mouse choose in the tree; a module
// gone from its slot stays chosen, with nothing selected and the tree focused.
TEST_F(Configuration, KeyboardAndMouseChooseAndAGoneModuleStaysChosen) {
    screen = std::make_unique<CConfigurationDlg>(ctx, CarriedValues{});
    int result = test::execActive(*screen, [&] {
        EXPECT_EQ(state.currentCard, 3) << "the first opening chooses the first module";
        QTest::keyClick(tree(), Qt::Key_Down);
        EXPECT_EQ(state.currentAxisMask, 1u);
        QTest::keyClick(tree(), Qt::Key_Down);
        EXPECT_EQ(state.currentAxisMask, 2u);
        const QRect r = tree()->visualItemRect(tree()->topLevelItem(1)->child(1));
        QTest::mouseClick(tree()->viewport(), Qt::LeftButton, {}, r.center());
        EXPECT_EQ(std::tuple(state.currentKind, state.currentCard, state.currentAxisMask),
                  std::tuple(ModuleKind::Quenby, std::uint8_t{5}, 2u));
        click(1164);
    });
    EXPECT_EQ(result, kResultPicture);

    ids[5] = 0xFF;
    screen = std::make_unique<CConfigurationDlg>(ctx, CarriedValues{});
    log.clear();
    result = test::execActive(*screen, [&] {
        EXPECT_TRUE(tree()->hasFocus());
        EXPECT_TRUE(tree()->selectedItems().isEmpty());
        EXPECT_EQ(std::tuple(state.currentKind, state.currentCard, state.currentAxisMask),
                  std::tuple(ModuleKind::Quenby, std::uint8_t{5}, 2u));
        choose(1005, 1);
        QTest::keyClick(tree(), Qt::Key_Escape);
    });
    EXPECT_EQ(result, kResultReturn);
    EXPECT_EQ(log.textsOf("quenbyMF_SET_HLMT"), Texts{"quenbyMF_SET_HLMT(5,2,1,1)"});
    EXPECT_TRUE(log.textsOf("lorvexMF_SET_HLMT").empty()) << "nothing goes to a module not chosen";
    EXPECT_EQ(state.selectedModuleLabel, "Quenby in Slot:5");
}

}  // namespace
}  // namespace velmira
