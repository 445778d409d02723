#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include "config/configuration_dlg.h"
#include "hw/call_log.h"
#include "settings/settings_file.h"
#include "support/modal.h"
#include "support/recorded_bench.h"
#include "ui/command_list.h"

namespace velmira {
namespace {

using test::ScriptedBoxes;
using Texts = std::vector<std::string>;

class Configuration : public ::testing::Test, protected test::RecordedBench {
  protected:
    void SetUp() override {
        ids[3] = 83;
        ids[5] = 82;
        log.setResult("lorvexMF_REGISTRATION", 1);
        log.setResult("quenbyMF_REGISTRATION", 1);
    }

    CConfigurationDlg& open() {
        screen = std::make_unique<CConfigurationDlg>(ctx, CarriedValues{});
        screen->initDialog();
        screen->show();
        log.clear();
        return *screen;
    }

    template <class T>
    T* get(int id) {
        T* w = screen->controlAs<T>(id);
        EXPECT_NE(w, nullptr) << "control " << id;
        return w;
    }
    void choose(int id, int index) {
        auto* combo = get<QComboBox>(id);
        combo->setCurrentIndex(index);
        emit combo->activated(index);
    }
    void click(int id) { QTest::mouseClick(screen->control(id), Qt::LeftButton); }
    void type(int id, const QString& text) { get<QLineEdit>(id)->setText(text); }
    QTreeWidget* tree() { return get<QTreeWidget>(1001); }
    void selectItem(const QString& module, const QString& axis = {}) {
        for (int i = 0; i < tree()->topLevelItemCount(); ++i) {
            QTreeWidgetItem* top = tree()->topLevelItem(i);
            if (top->text(0) != module) continue;
            if (axis.isEmpty()) return tree()->setCurrentItem(top);
            for (int c = 0; c < top->childCount(); ++c) {
                if (top->child(c)->text(0) == axis) return tree()->setCurrentItem(top->child(c));
            }
        }
        ADD_FAILURE() << "no item " << module.toStdString() << " / " << axis.toStdString();
    }
    CommandListModel& rows() { return screen->commandList().rows(); }
    std::string topEcho() { return rows().rowCount() ? rows().command(0).toStdString() : ""; }
    Texts calls() const { return log.texts(); }

    std::unique_ptr<CConfigurationDlg> screen;
};

TEST_F(Configuration, RegistersTheModulesAndListsThemInSlotOrder) {
    ids[1] = 69;      // fitted, but its registration fails
    ids[6] = 0x1252;  // ID 82 in the low byte
    log.setResponder("lorvexMF_REGISTRATION", [](const Call& c) { return c.args[0] == 1 ? 0 : 1; });
    screen = std::make_unique<CConfigurationDlg>(ctx, CarriedValues{});
    screen->initDialog();

    EXPECT_EQ(log.textsOf("lorvexMF_REGISTRATION"),
              (Texts{"lorvexMF_REGISTRATION(1,1)", "lorvexMF_REGISTRATION(3,3)"}));
    EXPECT_EQ(log.textsOf("quenbyMF_REGISTRATION"),
              (Texts{"quenbyMF_REGISTRATION(5,5)", "quenbyMF_REGISTRATION(6,6)"}));
    ASSERT_EQ(tree()->topLevelItemCount(), 3);
    const std::pair<const char*, QStringList> expected[] = {
        {"LorvexF in Slot:3", {"Axis_X", "Axis_Y", "Axis_Z", "Axis_U"}},
        {"Quenby in Slot:5", {"Axis_X", "Axis_Y"}},
        {"Quenby in Slot:6", {"Axis_X", "Axis_Y"}}};
    for (int i = 0; i < 3; ++i) {
        QTreeWidgetItem* top = tree()->topLevelItem(i);
        EXPECT_EQ(top->text(0), expected[i].first);
        EXPECT_TRUE(top->isExpanded());
        QStringList axes;
        for (int c = 0; c < top->childCount(); ++c) axes << top->child(c)->text(0);
        EXPECT_EQ(axes, expected[i].second);
    }
    EXPECT_EQ(state.slotTable.entries[3].kind, ModuleKind::Lorvex);
    EXPECT_EQ(state.slotTable.entries[5].kind, ModuleKind::Quenby);
    EXPECT_EQ(state.slotTable.entries[1].kind, ModuleKind::None);
}

TEST_F(Configuration, BuildsTheTemplate) {
    screen = std::make_unique<CConfigurationDlg>(ctx, CarriedValues{});
    screen->initDialog();
    EXPECT_EQ(screen->geometry(), QRect(0, 0, 800, 600));
    screen->show();
    EXPECT_EQ(screen->windowTitle(), "Configation");
    const std::pair<int, const char*> buttons[] = {{1, "        Switch to Test"},
                                                   {1035, "        &Load Config"},
                                                   {1036, "        &Save Config"},
                                                   {2, "        Return"},
                                                   {1008, "SET"},
                                                   {1181, "SET"}};
    for (const auto& [id, text] : buttons) EXPECT_EQ(get<QPushButton>(id)->text(), text);
    const std::pair<int, const char*> boxesById[] = {{1012, "Enable Software Limit"},
                                                     {1183, "Enable Servo ON"},
                                                     {1013, "Enable INP/RDY"},
                                                     {1015, "Enable Servo Alarm"},
                                                     {1019, "EMG, LMT, ORG, SD"},
                                                     {1020, "INDEX"},
                                                     {1021, "INP, ALM"},
                                                     {1022, "EXP+/-"},
                                                     {1023, "IN3"},
                                                     {1177, "Enable VRING"},
                                                     {1178, "Enable AVTRI"},
                                                     {1182, "Enable MaxV"}};
    for (const auto& [id, text] : boxesById) EXPECT_EQ(get<QCheckBox>(id)->text(), text);
    EXPECT_EQ(get<QComboBox>(1002)->itemText(3), " PULSE (Falling Edge) / Dir +");
    EXPECT_EQ(get<QComboBox>(1018)->itemText(1), " High");
    EXPECT_EQ(get<QComboBox>(1033)->count(), 8);
    EXPECT_EQ(get<QComboBox>(1033)->itemText(7), "16.384*10E-3");
    for (int id : {1011, 1009, 1010, 1016, 1018}) EXPECT_FALSE(get<QWidget>(id)->isEnabled()) << id;
    for (int id : {1165, 1163, 1140, 1164}) EXPECT_NE(screen->control(id), nullptr) << id;
    EXPECT_EQ(screen->control(1002)->x(), screen->toPixels({331, 5, 115, 62}).x());
    EXPECT_EQ(screen->control(2)->geometry(), screen->toPixels({401, 283, 47, 28}));
    EXPECT_EQ(get<QLineEdit>(1009)->alignment() & Qt::AlignRight, Qt::AlignRight);
    const auto labels = screen->findChildren<QLabel*>("65535");
    const auto hiddenLogic = std::count_if(labels.begin(), labels.end(), [](QLabel* l) {
        return l->text() == "Logic" && !l->isVisible();
    });
    EXPECT_EQ(hiddenLogic, 1) << "the in-position Logic label is hidden";
    EXPECT_TRUE(screen->toPixels({0, 0, 451, 313}).width() <= 800);
}

TEST_F(Configuration, FirstOpeningSelectsTheFirstModuleAndLaterOnesRestore) {
    open();
    EXPECT_EQ(state.currentKind, ModuleKind::Lorvex);
    EXPECT_EQ(state.currentCard, 3);
    EXPECT_EQ(state.currentAxisMask, 15u);
    EXPECT_EQ(state.currentAxisIndex, 4);
    EXPECT_EQ(state.selectedModuleLabel, "LorvexF in Slot:3");
    EXPECT_EQ(state.config.firstOpening, 0);

    selectItem("LorvexF in Slot:3", "Axis_Z");
    EXPECT_EQ(state.currentAxisMask, 4u);
    EXPECT_EQ(state.currentAxisIndex, 2);
    EXPECT_EQ(state.currentCard, 3);
    selectItem("Quenby in Slot:5", "Axis_Y");
    EXPECT_EQ(state.currentKind, ModuleKind::Quenby);
    EXPECT_EQ(state.currentAxisMask, 2u);
    EXPECT_EQ(state.moduleNodeSelected, 0);

    open();
    EXPECT_EQ(tree()->currentItem()->text(0), "Axis_Y");
    EXPECT_EQ(tree()->currentItem()->parent()->text(0), "Quenby in Slot:5");
    selectItem("Quenby in Slot:5");
    EXPECT_EQ(state.currentAxisMask, 3u);
    EXPECT_EQ(state.currentAxisIndex, 2);

    ids[5] = 0xFF;  // the module has left its slot
    open();
    EXPECT_EQ(tree()->currentItem(), nullptr);
    EXPECT_EQ(state.currentKind, ModuleKind::Quenby) << "the previous selection stays in force";
    EXPECT_EQ(state.currentCard, 5);
}

TEST_F(Configuration, WithoutAnyModuleTheTreeIsEmptyAndNothingIsSelected) {
    log.setResult("lorvexMF_REGISTRATION", 0);
    log.setResult("quenbyMF_REGISTRATION", 0);
    open();
    EXPECT_EQ(tree()->topLevelItemCount(), 0);
    EXPECT_EQ(state.currentKind, ModuleKind::None);
    choose(1005, 1);
    click(1183);
    EXPECT_TRUE(calls().empty());
    EXPECT_EQ(rows().rowCount(), 0);
}

TEST_F(Configuration, EchoRowsAreNumberedFromZeroAtEachOpeningNewestFirst) {
    open();
    choose(1005, 1);
    choose(1073, 0);
    ASSERT_EQ(rows().rowCount(), 2);
    EXPECT_EQ(rows().label(0), "Fun 1");
    EXPECT_EQ(rows().command(0), "lorvexMF_LIMITSTOP_MODE(3,15,0)");
    EXPECT_EQ(rows().label(1), "Fun 0");
    EXPECT_EQ(rows().command(1), "lorvexMF_SET_HLMT(3,15,1,1)");
    open();
    EXPECT_EQ(rows().rowCount(), 0);
    choose(1073, 1);
    EXPECT_EQ(rows().label(0), "Fun 0");
}

TEST_F(Configuration, EveryHandlerCallsOnceAndEchoesThatCallForBothKinds) {
    open();
    struct Case {
        std::function<void()> act;
        const char* lorvexCall;  // on the whole LorvexF module in slot 3
    };
    const Case cases[] = {
        {[&] { choose(1002, 3); }, "lorvexMF_SET_PULSE_MODE(3,15,3)"},
        {[&] { choose(1007, 1); }, "lorvexMF_SET_ENCODER(3,15,0,0,1)"},
        {[&] { choose(1005, 1); }, "lorvexMF_SET_HLMT(3,15,1,1)"},
        {[&] { choose(1006, 1); }, "lorvexMF_SET_HOME_EDGE(3,15,1)"},
        {[&] { choose(1004, 1); }, "lorvexMF_SET_NHOME(3,15,1)"},
        {[&] { choose(1073, 1); }, "lorvexMF_LIMITSTOP_MODE(3,15,1)"},
        {[&] { click(1183); }, "lorvexMF_SERVO_ON(3,15)"},
        {[&] { click(1183); }, "lorvexMF_SERVO_OFF(3,15)"},
        {[&] {
             click(1013);
             choose(1016, 1);
         },
         "lorvexMF_SET_INPOS(3,15,1,1)"},
        {[&] { click(1015); }, "lorvexMF_SET_ALARM(3,15,1,0)"},
        {[&] { choose(1018, 1); }, "lorvexMF_SET_ALARM(3,15,1,1)"},
        {[&] {
             click(1012);
             click(1012);
         },
         "lorvexMF_CLEAR_SLMT(3,15)"},
        {[&] {
             click(1012);
             type(1009, "5000");
             type(1010, "-300");
             choose(1011, 1);
         },
         "lorvexMF_SET_SLMT(3,15,5000,-300,1)"},
        {[&] { choose(1033, 2); }, "lorvexMF_SET_FILTER(3,15,0,2)"},
        {[&] { click(1021); }, "lorvexMF_SET_FILTER(3,15,4,2)"},
        {[&] {
             click(1177);
             click(1008);
         },
         "lorvexMF_VRING_ENABLE(3,15,10000)"},
        {[&] { click(1177); }, "lorvexMF_VRING_DISABLE(3,15)"},
        {[&] {
             click(1182);
             click(1181);
         },
         "lorvexMF_SET_MAX_V(3,15,2000000)"},
        {[&] { click(1178); }, "lorvexMF_AVTRI_ENABLE(3,15)"},
        {[&] { click(1178); }, "lorvexMF_AVTRI_DISABLE(3,15)"},
    };
    for (const bool onQuenby : {false, true}) {
        if (onQuenby) {
            open();
            selectItem("Quenby in Slot:5", "Axis_Y");
        }
        for (const Case& c : cases) {
            std::string expected = c.lorvexCall;
            if (onQuenby) {
                expected.replace(0, 9, "quenbyMF_");
                expected.replace(expected.find("(3,15"), 5, "(5,2");
            }
            log.clear();
            const int before = rows().rowCount();
            c.act();
            EXPECT_EQ(calls(), Texts{expected});
            EXPECT_EQ(rows().rowCount(), before + 1) << expected;
            EXPECT_EQ(topEcho(), expected);
        }
    }
    EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(Configuration, SettingsGoToEveryAxisOfASelectedModuleOnly) {
    open();
    choose(1005, 1);
    for (int a = 0; a < 4; ++a) {
        const SettingEntry& e = state.settings.record(3, a).hardLimit;
        EXPECT_EQ(std::tuple(e.enabled, e.first, e.second), std::tuple(1, 1, 1)) << a;
    }
    EXPECT_EQ(state.settings.record(3, 4).hardLimit.enabled, 0) << "no whole-module record";
    EXPECT_EQ(state.settings.record(2, 3).hardLimit.enabled, 0);

    selectItem("Quenby in Slot:5", "Axis_Y");
    click(1183);
    EXPECT_EQ(state.settings.record(5, 1).servoOn.enabled, 1);
    EXPECT_EQ(state.settings.record(5, 0).servoOn.enabled, 0);
}

TEST_F(Configuration, RefreshShowsTheStoredSettingsAndTheDefaults) {
    AxisSettings& y = state.settings.record(5, 1);
    y.pulseMode.first = 4;
    y.encoder = {1, {}, 3, 1, 0};
    y.filter = {1, {}, 5, 6, 0};
    y.inPos = {1, {}, 1, 0, 0};
    y.maxV = {1, {}, 3000000, 0, 0};
    y.hardLimit.first = 9;  // not an item of the list
    open();
    selectItem("Quenby in Slot:5", "Axis_Y");
    EXPECT_EQ(get<QComboBox>(1002)->currentIndex(), 4);
    EXPECT_EQ(get<QComboBox>(1003)->currentIndex(), 3);
    EXPECT_EQ(get<QComboBox>(1007)->currentIndex(), 1);
    EXPECT_EQ(get<QComboBox>(1005)->currentIndex(), -1) << "a value from a file that is no index";
    EXPECT_TRUE(get<QCheckBox>(1019)->isChecked());
    EXPECT_FALSE(get<QCheckBox>(1020)->isChecked());
    EXPECT_TRUE(get<QCheckBox>(1021)->isChecked());
    EXPECT_TRUE(get<QComboBox>(1033)->isEnabled());
    EXPECT_EQ(get<QComboBox>(1033)->currentIndex(), 6);
    EXPECT_TRUE(get<QComboBox>(1016)->isEnabled());
    EXPECT_TRUE(get<QLineEdit>(1123)->isEnabled());
    EXPECT_EQ(get<QLineEdit>(1123)->text(), "3000000");
    EXPECT_EQ(get<QLineEdit>(1179)->text(), "10000") << "stored 0 shows the default";

    selectItem("Quenby in Slot:5", "Axis_X");
    EXPECT_EQ(get<QLineEdit>(1123)->text(), "2000000");
    EXPECT_FALSE(get<QComboBox>(1033)->isEnabled()) << "no filter bit, no delay list";
    EXPECT_FALSE(get<QLineEdit>(1123)->isEnabled());
}

TEST_F(Configuration, SoftwareLimitsLiveInTheSlotOfTheSelection) {
    state.config.softLimits[3][2] = {700, -700, 1, 1};
    open();  // the whole module: the controls show its last axis, U
    click(1012);
    type(1009, "5000");
    type(1010, "-5000");
    choose(1011, 1);
    const SoftLimitSlot& whole = state.config.softLimits[3][4];
    EXPECT_EQ(
        std::tuple(whole.limitPlus, whole.limitMinus, whole.limitEnabled, whole.compareSource),
        std::tuple(5000, -5000, std::uint8_t{1}, 1));
    EXPECT_EQ(calls(), Texts{"lorvexMF_SET_SLMT(3,15,5000,-5000,1)"});
    EXPECT_EQ(state.config.softLimits[3][3].limitPlus, 0);

    selectItem("LorvexF in Slot:3", "Axis_Z");
    EXPECT_EQ(get<QLineEdit>(1009)->text(), "700");
    EXPECT_TRUE(get<QCheckBox>(1012)->isChecked());
    EXPECT_TRUE(get<QComboBox>(1011)->isEnabled());
    EXPECT_EQ(get<QComboBox>(1011)->currentIndex(), 1);
}

TEST_F(Configuration, ZeroLimitsAreRefusedButStillStored) {
    open();
    click(1012);
    for (const auto& [plus, minus, message] :
         {std::tuple("0", "-10", "The value of 'SL+' is '0'!!"),
          std::tuple("5000", "0", "The value of 'SL-' is '0'!!")}) {
        boxes.clear();
        log.clear();
        type(1009, plus);
        type(1010, minus);
        choose(1011, 1);
        EXPECT_EQ(boxes.texts(), Texts{message});
        EXPECT_EQ(boxes.shown()[0].caption, "Information");
        EXPECT_EQ(get<QComboBox>(1011)->currentIndex(), 0) << "back at Logic Position";
        EXPECT_TRUE(calls().empty());
    }
    EXPECT_EQ(state.config.softLimits[3][4].limitPlus, 5000);
    EXPECT_EQ(state.config.softLimits[3][4].limitEnabled, 0);
    EXPECT_EQ(rows().rowCount(), 0);
}

TEST_F(Configuration, FilterBoxesAddUpAndEnableTheDelayList) {
    open();
    EXPECT_FALSE(get<QComboBox>(1033)->isEnabled());
    click(1020);
    EXPECT_TRUE(get<QComboBox>(1033)->isEnabled());
    click(1023);
    EXPECT_EQ(state.config.filterMask, 18);
    click(1020);
    EXPECT_EQ(state.config.filterMask, 16);
    EXPECT_EQ(calls(), (Texts{"lorvexMF_SET_FILTER(3,15,2,0)", "lorvexMF_SET_FILTER(3,15,18,0)",
                              "lorvexMF_SET_FILTER(3,15,16,0)"}));
}

TEST_F(Configuration, EncoderModeTravelsOnlyWithTheZPhase) {
    open();
    selectItem("LorvexF in Slot:3", "Axis_X");
    choose(1003, 3);
    EXPECT_TRUE(calls().empty());
    EXPECT_EQ(state.settings.record(3, 0).encoder.enabled, 0);
    choose(1007, 1);
    EXPECT_EQ(calls(), Texts{"lorvexMF_SET_ENCODER(3,1,1,0,1)"});
    const SettingEntry& e = state.settings.record(3, 0).encoder;
    EXPECT_EQ(std::tuple(e.enabled, e.first, e.second), std::tuple(1, 3, 1));
    selectItem("LorvexF in Slot:3", "Axis_Y");
    selectItem("LorvexF in Slot:3", "Axis_X");
    EXPECT_EQ(get<QComboBox>(1003)->currentIndex(), 3);
}

TEST_F(Configuration, RefusedFieldsStopTheHandlersThatNeedThem) {
    open();
    click(1177);
    click(1182);
    log.clear();
    type(1179, "2147483648");
    click(1008);
    type(1179, "10000");
    type(1123, "7999");
    click(1181);
    type(1123, "2000000");
    click(1012);
    type(1009, "12a");
    choose(1011, 1);
    EXPECT_EQ(boxes.texts(), (Texts{"Enter a whole number from 0 to 2147483647.",
                                    "Enter a whole number from 8000 to 4000000.",
                                    "Enter a whole number from -2147483648 to 2147483647."}));
    EXPECT_TRUE(calls().empty());
    EXPECT_EQ(rows().rowCount(), 0);
    EXPECT_EQ(state.settings.record(3, 0).vring.first, 0);
    EXPECT_EQ(state.settings.record(3, 0).maxV.first, 0);
    EXPECT_EQ(state.config.softLimits[3][4].limitPlus, 0);

    // A handler that needs none of them goes on.
    choose(1005, 1);
    EXPECT_EQ(calls(), Texts{"lorvexMF_SET_HLMT(3,15,1,1)"});

    // "Switch to Test" stays while a field is refused.
    bool closed = false;
    QObject::connect(screen.get(), &QDialog::finished, [&] { closed = true; });
    click(1);
    EXPECT_FALSE(closed);
    type(1009, "1");
    click(1);
    EXPECT_TRUE(closed);
    EXPECT_EQ(screen->result(), kResultSwitch);
}

// A handler reads only its own fields: a bad text elsewhere neither blocks it
// nor brings a message about that other field.
TEST_F(Configuration, ABadFieldBlocksOnlyTheSettingsThatUseIt) {
    open();
    click(1177);
    click(1182);
    log.clear();
    type(1179, "abc");
    click(1181);  // MaxV SET with its valid 2000000
    choose(1002, 1);
    click(1012);
    type(1009, "100");
    type(1010, "-100");
    choose(1011, 1);
    EXPECT_TRUE(boxes.shown().empty()) << boxes.texts().front();
    EXPECT_EQ(calls(), (Texts{"lorvexMF_SET_MAX_V(3,15,2000000)", "lorvexMF_SET_PULSE_MODE(3,15,1)",
                              "lorvexMF_SET_SLMT(3,15,100,-100,1)"}));
    click(1008);
    EXPECT_EQ(boxes.texts(), Texts{"Enter a whole number from 0 to 2147483647."});
}

TEST_F(Configuration, EnablingFollowsTheBoxesAndEveryFilterBit) {
    open();
    EXPECT_FALSE(get<QComboBox>(1018)->isEnabled());
    click(1015);
    EXPECT_TRUE(get<QComboBox>(1018)->isEnabled()) << "servo alarm on: its logic can be chosen";
    click(1015);
    EXPECT_FALSE(get<QComboBox>(1018)->isEnabled());
    for (int bit = 0; bit < 5; ++bit) {
        state.settings.record(5, 0).filter = {1, {}, 1 << bit, 2, 0};
        selectItem("Quenby in Slot:5", "Axis_Y");
        selectItem("Quenby in Slot:5", "Axis_X");
        EXPECT_TRUE(get<QComboBox>(1033)->isEnabled()) << "filter bit " << bit;
    }
    state.settings.record(5, 0).filter = {1, {}, 0x20, 2, 0};
    selectItem("Quenby in Slot:5", "Axis_Y");
    selectItem("Quenby in Slot:5", "Axis_X");
    EXPECT_FALSE(get<QComboBox>(1033)->isEnabled()) << "a bit that is no filter enables nothing";
}

TEST_F(Configuration, ClosingControlsGiveTheirResults) {
    for (const auto& [id, result] :
         {std::pair{1, kResultSwitch}, std::pair{1165, kResultSwitch}, std::pair{2, kResultReturn},
          std::pair{1164, kResultPicture}}) {
        open();
        QTimer::singleShot(0, screen.get(), [&, id = id] { click(id); });
        EXPECT_EQ(screen->exec(), result) << id;
    }
}

TEST_F(Configuration, SaveAndLoadGoThroughTheFileAndApplyTheCurrentCard) {
    open();
    choose(1002, 2);
    click(1036);
    EXPECT_EQ(boxes.texts(), Texts{"All of the settings saved !!"});
    EXPECT_EQ(state.settingsSaved, 1);

    state.settings = SettingsImage{};
    selectItem("LorvexF in Slot:3", "Axis_Y");
    log.clear();
    click(1163);  // the picture loads too
    EXPECT_EQ(log.textsOf("lorvexMF_SET_PULSE_MODE"),
              (Texts{"lorvexMF_SET_PULSE_MODE(3,1,2)", "lorvexMF_SET_PULSE_MODE(3,2,2)",
                     "lorvexMF_SET_PULSE_MODE(3,4,2)", "lorvexMF_SET_PULSE_MODE(3,8,2)"}));
    EXPECT_EQ(get<QComboBox>(1002)->currentIndex(), 2);
    EXPECT_EQ(rows().rowCount(), 1) << "applying a file echoes nothing";
}

// A save that failed leaves the settings unsaved, so the main menu still asks
// about them; a save of another program under way is waited for a moment only.
TEST_F(Configuration, AFailedSaveLeavesTheSettingsUnsaved) {
    const QString pelmoran = card.path() + "/Pelmoran";
    ASSERT_TRUE(QDir(pelmoran).removeRecursively());
    ASSERT_TRUE(QFile(pelmoran).open(QIODevice::WriteOnly));  // a file where a folder should be
    open();
    click(1036);
    EXPECT_EQ(boxes.texts(),
              Texts{std::string(kWriteFailedText) + "\na part of the path is not a folder"});
    EXPECT_EQ(state.settingsSaved, 0);

    ASSERT_TRUE(QFile::remove(pelmoran));
    ASSERT_TRUE(QDir().mkpath(pelmoran + "/Orvo"));
    const int folder = ::open(QFile::encodeName(pelmoran + "/Orvo").constData(), O_RDONLY);
    ASSERT_EQ(::flock(folder, LOCK_EX), 0);
    boxes.clear();
    QElapsedTimer took;
    took.start();
    click(1036);
    EXPECT_LT(took.elapsed(), 2 * kScreenLockWait.count());
    EXPECT_EQ(boxes.texts(), Texts{std::string(kWriteFailedText) + "\n" + kLockedText});
    EXPECT_EQ(state.settingsSaved, 0);
    ::close(folder);

    // Saved at last; the message names the backup the save removed.
    ctx.backups = 1;
    click(1036);
    click(1036);
    boxes.clear();
    click(1036);
    EXPECT_EQ(state.settingsSaved, 1);
    ASSERT_EQ(boxes.texts().size(), 1u);
    const std::string said =
        "All of the settings saved !!\nRemoved the oldest backup, lorvex_Config.ini.000001-";
    EXPECT_EQ(boxes.texts()[0].substr(0, said.size()), said);
}

// Tried as a new user would: the remembered module has left its slot, the
// screen opens with nothing selected, and its tree takes the focus.
TEST_F(Configuration, AFocusedTreeSelectsNothingWhenTheRememberedModuleHasGone) {
    open();
    selectItem("Quenby in Slot:5", "Axis_Y");
    ids[5] = 0xFF;
    screen = std::make_unique<CConfigurationDlg>(ctx, CarriedValues{});
    log.clear();
    const int result = test::execActive(*screen, [&] {
        EXPECT_TRUE(tree()->hasFocus());
        EXPECT_TRUE(tree()->selectedItems().isEmpty());
        EXPECT_EQ(state.currentCard, 5);
        EXPECT_EQ(state.currentKind, ModuleKind::Quenby);
        EXPECT_EQ(state.currentAxisMask, 2u);
        choose(1005, 1);
        QTest::keyClick(tree(), Qt::Key_Escape);
    });
    EXPECT_EQ(result, kResultReturn);
    EXPECT_EQ(log.textsOf("quenbyMF_SET_HLMT"), Texts{"quenbyMF_SET_HLMT(5,2,1,1)"});
    EXPECT_TRUE(log.textsOf("lorvexMF_SET_HLMT").empty()) << "nothing goes to a module not chosen";
    EXPECT_EQ(state.selectedModuleLabel, "Quenby in Slot:5");
}

TEST_F(Configuration, KeyboardAndMouseChooseInTheTree) {
    screen = std::make_unique<CConfigurationDlg>(ctx, CarriedValues{});
    const int result = test::execActive(*screen, [&] {
        EXPECT_EQ(state.currentCard, 3) << "the first opening chooses the first module";
        QTest::keyClick(tree(), Qt::Key_Down);
        EXPECT_EQ(state.currentAxisMask, 1u);
        EXPECT_EQ(state.selectedAxisLabel, "Axis_X");
        QTest::keyClick(tree(), Qt::Key_Down);
        EXPECT_EQ(state.currentAxisMask, 2u);
        QTreeWidgetItem* quenby = tree()->topLevelItem(1);
        const QRect r = tree()->visualItemRect(quenby->child(1));
        QTest::mouseClick(tree()->viewport(), Qt::LeftButton, {}, r.center());
        EXPECT_EQ(state.currentKind, ModuleKind::Quenby);
        EXPECT_EQ(state.currentCard, 5);
        EXPECT_EQ(state.currentAxisMask, 2u);
        EXPECT_EQ(state.selectedModuleLabel, "Quenby in Slot:5");
        click(1164);
    });
    EXPECT_EQ(result, kResultPicture);
}

// The echo is what the user copies into a program, so it must be the call the
// module got, argument for argument: also when a file written elsewhere left
// values that no list item stands for and the lists show no selection.
TEST_F(Configuration, EveryEchoIsTheCallMadeEvenWithValuesNoListHolds) {
    ids[3] = 69;
    for (int axis = 0; axis < 4; ++axis) {
        AxisSettings& r = state.settings.record(3, axis);
        for (SettingEntry AxisSettings::*entry : kSettingEntries) {
            (r.*entry).first = 300;
            (r.*entry).second = 70000;
        }
        r.alarm.enabled = r.inPos.enabled = 1;
    }
    open();
    selectItem("Lorvex in Slot:3", "Axis_Z");
    ASSERT_EQ(get<QComboBox>(1018)->currentIndex(), -1);
    ASSERT_EQ(get<QComboBox>(1033)->currentIndex(), -1);
    log.clear();
    click(1015);  // alarm off, then on, with no logic shown
    click(1015);
    click(1013);
    click(1013);
    choose(1016, 1);
    click(1019);  // a filter with no delay shown
    choose(1033, 2);
    choose(1007, 1);  // Z phase with no encoder mode shown
    choose(1002, 1);
    get<QComboBox>(1003)->setCurrentIndex(-1);
    choose(1007, 0);
    Texts echoed;
    for (int r = rows().rowCount() - 1; r >= 0; --r)
        echoed.push_back(rows().command(r).toStdString());
    EXPECT_EQ(echoed, calls());
    EXPECT_GE(echoed.size(), 7u);
}

}  // namespace
}  // namespace velmira
