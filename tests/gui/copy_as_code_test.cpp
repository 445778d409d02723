// The command lists' calls copied as C through the real screens, on the
// recording libraries: what lands on the clipboard, and that it compiles
// against the C interface the libraries export.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QProcess>
#include <QTemporaryDir>
#include <QTreeWidget>

#include "advanced/advanced_features_dlg.h"
#include "advanced/advanced_features_ids.h"
#include "basic/basic_operation_dlg.h"
#include "basic/basic_operation_ids.h"
#include "config/configuration_dlg.h"
#include "hw/discovery.h"
#include "support/copy_menu.h"
#include "support/modal.h"
#include "support/recorded_bench.h"
#include "support/screen_driver.h"

namespace velmira {
namespace {

namespace b = basic_ids;
namespace a = advanced_ids;

// A Lorvex in slots 1 and 3, a Quenby in slot 5, registered.
template <class Screen>
class CopyFrom : public ::testing::Test,
                 protected test::RecordedBench,
                 protected test::ScreenDriver<Screen> {
  protected:
    using test::ScreenDriver<Screen>::screen;

    void SetUp() override {
        ids[1] = 69;
        ids[3] = 69;
        ids[5] = 82;
        log.setResult("lorvexMF_REGISTRATION", 1);
        log.setResult("quenbyMF_REGISTRATION", 1);
        log.setResult("lorvexMF_HOME_WAIT", 1);
        std::uint8_t card = 0;
        probeAndRegister(state.slotTable, ctx.hw, card);
        test::CopyMenu::setClipboard("before");
    }
    template <class... Args>
    Screen& make(Args&&... args) {
        screen = std::make_unique<Screen>(ctx, std::forward<Args>(args)...);
        return *screen;
    }
    Screen& open() {
        screen->initDialog();
        screen->show();
        return *screen;
    }
    using test::ScreenDriver<Screen>::choose;
    using test::ScreenDriver<Screen>::select;
    CommandList& list() { return screen->commandList(); }
    QString clipboard() { return test::CopyMenu::clipboard(); }
    // What "Copy all" puts on the clipboard, chosen from the menu.
    QString copyAll() {
        test::CopyMenu menu(list());
        menu.contextMenuAt(menu.rowCenter(0));
        menu.choose("copyAllAction");
        return clipboard();
    }
};

class CopyFromBasicOperation : public CopyFrom<CBasicOperationDlg> {
  protected:
    // The screen as another visit left it: Axis_Y of the module in slot 1.
    void makeOnAxisYOfSlotOne() {
        state.selectedModuleLabel = "Lorvex in Slot:1";
        state.selectedAxisLabel = "Axis_Y";
        state.moduleNodeSelected = 0;
        make(CarriedValues{});
    }
};
using CopyFromAdvancedFeatures = CopyFrom<CAdvancedFeaturesDlg>;
using CopyFromConfiguration = CopyFrom<CConfigurationDlg>;

const char kJogOnY[] =
    "/* Basic Operation, Lorvex in Slot:1, Axis_Y */\n"
    "lorvexMF_SET_V(1,2,20000);\n"
    "lorvexMF_SET_AO(1,2,9);\n"
    "lorvexMF_SET_SV(1,2,20000);\n"
    "lorvexMF_NORMAL_SPEED(1,2,0);\n"
    "lorvexMF_SET_A(1,2,100000);\n"
    "lorvexMF_FIXED_MOVE(1,2,10000);\n";

// The search's rows are written one by one while the tree stays live: its
// note is the axis it started on, though the user picks another meanwhile.
TEST_F(CopyFromBasicOperation, AJogAndASearchWrittenRowByRow) {
    makeOnAxisYOfSlotOne();
    open();
    click(b::kForward);
    int polls = 0;
    log.setResponder("lorvexMF_HOME_WAIT", [&](const Call&) -> std::int64_t {
        if (++polls == 1) select(b::kTree, "Lorvex in Slot:1", "Axis_Z");
        return polls >= 2;
    });
    click(b::kHomeRadio);
    click(b::kStopHome);
    ASSERT_EQ(rows().rowCount(), 7 + 10);

    const char search[] =
        "/* Basic Operation, Lorvex in Slot:1, Axis_Y */\n"
        "lorvexMF_SET_MAX_V(1,2,2000000);\n"
        "lorvexMF_NORMAL_SPEED(1,2,0);\n"
        "lorvexMF_SET_V(1,2,50000);\n"
        "lorvexMF_SET_A(1,2,100000);\n"
        "lorvexMF_SET_HV(1,2,5000);\n"
        "lorvexMF_SET_HOME_MODE(1,2,2,2,1,1,120000);\n"
        "lorvexMF_HOME_START(1,2);\n"
        "lorvexMF_SET_LP(1,2,0);\n"
        "lorvexMF_SET_EP(1,2,0);\n";
    test::CopyMenu menu(list());
    for (int row : {10, 12, 16}) {
        menu.contextMenuAt(menu.rowCenter(row));
        menu.choose("copyBlockAction");
        EXPECT_EQ(clipboard(), kJogOnY) << row;
    }
    for (int row : {0, 9}) {
        menu.contextMenuAt(menu.rowCenter(row));
        menu.choose("copyBlockAction");
        EXPECT_EQ(clipboard(), search) << row;
    }
    EXPECT_EQ(copyAll(), QString(kJogOnY) + search) << "oldest first";

    // A jog on the axis picked during the search names it.
    click(b::kPointToPointRadio);
    click(b::kBackward);
    EXPECT_TRUE(
        copyAll().endsWith("/* Basic Operation, Lorvex in Slot:1, Axis_Z */\n"
                           "lorvexMF_SET_V(1,4,20000);\n"
                           "lorvexMF_SET_AO(1,4,9);\n"
                           "lorvexMF_SET_SV(1,4,20000);\n"
                           "lorvexMF_NORMAL_SPEED(1,4,0);\n"
                           "lorvexMF_SET_A(1,4,100000);\n"
                           "lorvexMF_FIXED_MOVE(1,4,-10000);\n"))
        << clipboard().toStdString();
}

// The real modal path: a right click as the window system delivers it, then
// Ctrl+C on a row the mouse made current.
TEST_F(CopyFromBasicOperation, ARealRightClickAndCtrlCInTheModalScreen) {
    makeOnAxisYOfSlotOne();
    const int result = test::execActive(*screen, [&] {
        click(b::kForward);
        select(b::kTree, "Quenby in Slot:5", "Axis_X");
        click(b::kForward);
        test::CopyMenu menu(list());
        menu.rightClick(10);
        menu.choose("copyBlockAction");
        EXPECT_EQ(clipboard(), kJogOnY);

        QTest::mouseClick(list().viewport(), Qt::LeftButton, {}, menu.rowCenter(3));
        EXPECT_TRUE(list().hasFocus());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_C, Qt::ControlModifier);
        EXPECT_EQ(clipboard(),
                  "/* Basic Operation, Quenby in Slot:5, Axis_X */\n"
                  "quenbyMF_SET_V(5,1,20000);\n"
                  "quenbyMF_SET_AO(5,1,9);\n"
                  "quenbyMF_SET_SV(5,1,20000);\n"
                  "quenbyMF_NORMAL_SPEED(5,1,0);\n"
                  "quenbyMF_SET_A(5,1,100000);\n"
                  "quenbyMF_FIXED_MOVE(5,1,10000);\n");
        QTest::keyClick(screen.get(), Qt::Key_Escape);
    });
    EXPECT_EQ(result, kResultReturn);
}

// The real modal path again, the menu opened by a press held still.
TEST_F(CopyFromAdvancedFeatures, AnInterpolationBlockByALongPressInTheModalScreen) {
    state.selectedModuleLabel = "Lorvex in Slot:3";
    state.currentKind = ModuleKind::Lorvex;
    state.currentCard = 3;
    make();
    const int result = test::execActive(*screen, [&] {
        click(a::kForward);
        click(a::kTCurve);
        click(a::kBackward);
        test::CopyMenu menu(list());
        menu.holdPress(2);
        menu.choose("copyBlockAction");
        EXPECT_EQ(clipboard(),
                  "/* Advanced Features, Lorvex in Slot:3 */\n"
                  "lorvexMF_SET_VV(3,2000);\n"
                  "lorvexMF_AXIS_ASSIGN(3,1,2,0);\n"
                  "lorvexMF_VECTOR_SPEED(3,1);\n"
                  "lorvexMF_SET_VSV(3,500);\n"
                  "lorvexMF_SET_VA(3,1000);\n"
                  "lorvexMF_LINE_2D(3,-10000,-5000);\n");
        menu.holdPress(9);
        menu.choose("copyAllAction");
        EXPECT_TRUE(
            clipboard().startsWith("/* Advanced Features, Lorvex in Slot:3 */\n"
                                   "lorvexMF_SET_VV(3,2000);\n"
                                   "lorvexMF_AXIS_ASSIGN(3,1,2,0);\n"
                                   "lorvexMF_VECTOR_SPEED(3,0);\n"
                                   "lorvexMF_LINE_2D(3,10000,5000);\n"
                                   "/* Advanced Features, Lorvex in Slot:3 */\n"))
            << clipboard().toStdString();
        click(a::kExit);
    });
    EXPECT_EQ(result, kResultReturn);
}

// One row a setting, newest on top: the copy runs oldest first, a comment
// wherever the selection changed, and Copy block and Ctrl+C take the rows picked.
TEST_F(CopyFromConfiguration, SettingsCopyInTheOrderMadeUnderTheirSelections) {
    make(CarriedValues{});
    open();
    choose(1002, 2);  // the whole first module
    select(1001, "Lorvex in Slot:1", "Axis_X");
    choose(1005, 1);
    click(1183);
    select(1001, "Quenby in Slot:5", "Axis_Y");
    choose(1005, 0);
    ASSERT_EQ(rows().rowCount(), 4);
    EXPECT_EQ(copyAll(),
              "/* Configuration, Lorvex in Slot:1 */\n"
              "lorvexMF_SET_PULSE_MODE(1,15,2);\n"
              "/* Configuration, Lorvex in Slot:1, Axis_X */\n"
              "lorvexMF_SET_HLMT(1,1,1,1);\n"
              "lorvexMF_SERVO_ON(1,1);\n"
              "/* Configuration, Quenby in Slot:5, Axis_Y */\n"
              "quenbyMF_SET_HLMT(5,2,0,0);\n");

    test::CopyMenu menu(list());
    QTest::mouseClick(list().viewport(), Qt::LeftButton, {}, menu.rowCenter(0));
    QTest::mouseClick(list().viewport(), Qt::LeftButton, Qt::ControlModifier, menu.rowCenter(3));
    QTest::mouseClick(list().viewport(), Qt::LeftButton, Qt::ControlModifier, menu.rowCenter(1));
    const char picked[] =
        "/* Configuration, Lorvex in Slot:1 */\n"
        "lorvexMF_SET_PULSE_MODE(1,15,2);\n"
        "/* Configuration, Lorvex in Slot:1, Axis_X */\n"
        "lorvexMF_SERVO_ON(1,1);\n"
        "/* Configuration, Quenby in Slot:5, Axis_Y */\n"
        "quenbyMF_SET_HLMT(5,2,0,0);\n";
    QTest::keyClick(&list(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(clipboard(), picked);
    test::CopyMenu::setClipboard({});
    menu.contextMenuAt(menu.rowCenter(0));
    menu.choose("copyBlockAction");
    EXPECT_EQ(clipboard(), picked);
}

// The compiler's messages for statements put into a user's C program that
// includes the interface, warnings as errors: every name, the number of
// arguments, values in range. Empty when they compiled cleanly.
std::string compileErrors(const QString& statements) {
    QTemporaryDir dir;
    QFile file(dir.filePath("copied.c"));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("#include \"velmira/motion_abi.h\"\n\nvoid copied(void) {\n");
    file.write(statements.toUtf8());
    file.write("}\n");
    file.close();
    QProcess cc;
    cc.setProcessChannelMode(QProcess::MergedChannels);
    cc.start(VELMIRA_C_COMPILER, {"-std=c99", "-pedantic", "-Wall", "-Wextra", "-Werror",
                                  "-fsyntax-only", "-I", VELMIRA_ABI_INCLUDE, file.fileName()});
    EXPECT_TRUE(cc.waitForFinished(60000));
    const std::string output = cc.readAll().toStdString();
    if (cc.exitStatus() != QProcess::NormalExit || cc.exitCode() != 0) {
        return output.empty() ? "failed" : output;
    }
    return {};
}

TEST(CopiedCode, TheCompilerIsSeenToRefuseWrongCalls) {
    EXPECT_EQ(compileErrors("/* ok */\nlorvexMF_SET_V(1,2,20000);\n"), "");
    EXPECT_NE(compileErrors("lorvexMF_SET_VX(1,2,20000);\n"), "") << "an unknown name";
    EXPECT_NE(compileErrors("quenbyMF_SET_L(1,2,20000);\n"), "") << "four-axis only";
    EXPECT_NE(compileErrors("lorvexMF_SET_V(1,20000);\n"), "") << "an argument short";
    EXPECT_NE(compileErrors("lorvexMF_SET_ALARM(1,1,1,4294967295);\n"), "") << "out of range";
}

TEST_F(CopyFromBasicOperation, EveryKindOfJogAndSearchCompiles) {
    makeOnAxisYOfSlotOne();
    open();
    click(b::kForward);
    click(b::kAsym);
    click(b::kBackward);  // T-curve, asymmetric: D
    click(b::kSCurve);
    click(b::kContinuousRadio);
    click(b::kForward);  // S-curve, asymmetric: K and L
    click(b::kManualPulsarRadio);
    click(b::kSym);
    click(b::kBackward);
    click(b::kHomeRadio);
    click(b::kStopHome);
    for (const char* axis : {"", "Axis_X"}) {
        select(b::kTree, "Quenby in Slot:5", axis);
        click(b::kPointToPointRadio);
        click(b::kSCurve);
        click(b::kAsym);
        click(b::kForward);
        click(b::kHomeRadio);
        click(b::kStopHome);
    }
    const QString code = copyAll();
    EXPECT_EQ(code.count(QStringLiteral("/* Basic Operation")), 5 + 2 + 2);
    EXPECT_EQ(code.count(QLatin1Char(';')), 6 + 7 + 7 + 6 + 9 + 2 * (6 + 6));
    EXPECT_EQ(compileErrors(code), "") << code.toStdString();
}

TEST_F(CopyFromAdvancedFeatures, EveryLineArcAndCircleCompiles) {
    state.selectedModuleLabel = "Lorvex in Slot:3";
    state.currentKind = ModuleKind::Lorvex;
    state.currentCard = 3;
    make();
    open();
    click(a::kForward);
    click(a::kTCurve);
    click(a::kAsym);
    click(a::kBackward);
    click(a::kLinear3D);
    click(a::kSCurve);
    click(a::kForward);
    click(a::kConst);
    click(a::kForward);
    click(a::kCircular);
    click(a::kSym);
    click(a::kCW);
    click(a::kForward);
    click(a::kAsym);
    click(a::kCCW);
    click(a::kBackward);
    const QString code = copyAll();
    for (const char* call : {"LINE_3D(", "SET_VL(", "ARC_CW(", "CIRCLE_CCW("}) {
        EXPECT_TRUE(code.contains(QString::fromLatin1(call))) << call;
    }
    EXPECT_EQ(compileErrors(code), "") << code.toStdString();
}

TEST_F(CopyFromConfiguration, EverySettingOnBothKindsCompiles) {
    make(CarriedValues{});
    open();
    for (const char* module : {"Lorvex in Slot:1", "Quenby in Slot:5"}) {
        select(1001, module, "Axis_Y");
        choose(1002, 3);
        choose(1007, 1);
        choose(1005, 1);
        choose(1006, 1);
        choose(1004, 0);
        choose(1073, 1);
        for (int box : {1183, 1183, 1013, 1015, 1178, 1178, 1019, 1177, 1177, 1012}) click(box);
        choose(1016, 1);
        choose(1018, 0);
        choose(1033, 3);
        get<QLineEdit>(1009)->setText("5000");
        get<QLineEdit>(1010)->setText("-5000");
        choose(1011, 1);
        click(1012);
        click(1177);
        get<QLineEdit>(1179)->setText("2147483647");
        click(1008);
        click(1182);
        get<QLineEdit>(1123)->setText("4000000");
        click(1181);
    }
    const QString code = copyAll();
    for (const char* call :
         {"SET_PULSE_MODE(", "SET_ENCODER(", "SET_HLMT(", "SET_HOME_EDGE(", "SET_NHOME(",
          "LIMITSTOP_MODE(", "SERVO_ON(", "SERVO_OFF(", "SET_INPOS(", "SET_ALARM(", "AVTRI_ENABLE(",
          "AVTRI_DISABLE(", "SET_FILTER(", "VRING_ENABLE(", "VRING_DISABLE(", "SET_SLMT(",
          "CLEAR_SLMT(", "SET_MAX_V("}) {
        for (const char* prefix : {"lorvexMF_", "quenbyMF_"}) {
            EXPECT_TRUE(code.contains(QString::fromLatin1(prefix) + call)) << prefix << call;
        }
    }
    EXPECT_EQ(compileErrors(code), "") << code.toStdString();
}

}  // namespace
}  // namespace velmira
