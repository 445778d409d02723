// Calls copied as C from a real screen: what lands on the clipboard, and that
// it compiles against the C interface the libraries export.
#include <gtest/gtest.h>

#include <QProcess>
#include <QTemporaryDir>

#include "basic/basic_operation_dlg.h"
#include "basic/basic_operation_ids.h"
#include "hw/discovery.h"
#include "support/copy_menu.h"
#include "support/modal.h"
#include "support/recorded_bench.h"
#include "support/screen_driver.h"

namespace velmira {
namespace {

using namespace basic_ids;

// A Lorvex in slot 1 and a Quenby in slot 5; Axis_Y of slot 1 chosen before.
class CopyFromBasicOperation : public ::testing::Test,
                               protected test::RecordedBench,
                               protected test::ScreenDriver<CBasicOperationDlg> {
  protected:
    void SetUp() override {
        ids[1] = 69;
        ids[5] = 82;
        log.setResult("lorvexMF_HOME_WAIT", 1);
        registerModules();
        remember("Lorvex in Slot:1", "Axis_Y");
        screen = std::make_unique<CBasicOperationDlg>(ctx, CarriedValues{});
        test::CopyMenu::setClipboard("before");
    }
    CommandList& list() { return screen->commandList(); }
    QString clipboard() { return test::CopyMenu::clipboard(); }
};

// In the modal screen: a right click through the window, then Ctrl+C on a row clicked.
TEST_F(CopyFromBasicOperation, ARealRightClickAndCtrlCInTheModalScreen) {
    const int result = test::execActive(*screen, [&] {
        click(kForward);
        select(kTree, "Quenby in Slot:5", "Axis_X");
        click(kForward);
        test::CopyMenu menu(list());
        menu.rightClick(10);
        menu.choose("copyBlockAction");
        EXPECT_EQ(clipboard().count(';'), 6);
        EXPECT_TRUE(clipboard().startsWith("/* Basic Operation, Lorvex in Slot:1, Axis_Y */\n"));
        EXPECT_TRUE(clipboard().endsWith("lorvexMF_FIXED_MOVE(1,2,10000);\n"));

        QTest::mouseClick(list().viewport(), Qt::LeftButton, {}, menu.rowCenter(3));
        EXPECT_TRUE(list().hasFocus());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_C, Qt::ControlModifier);
        EXPECT_TRUE(
            clipboard().startsWith("/* Basic Operation, Quenby in Slot:5, Axis_X */\n"
                                   "quenbyMF_SET_V(5,1,20000);\n"))
            << clipboard().toStdString();
        EXPECT_TRUE(clipboard().endsWith("quenbyMF_FIXED_MOVE(5,1,10000);\n"));
        QTest::keyClick(screen.get(), Qt::Key_Escape);
    });
    EXPECT_EQ(result, kResultReturn);
}

// What the compiler says of statements in a C program including the interface,
// warnings as errors; empty when they compile cleanly.
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
    EXPECT_NE(compileErrors("lorvexMF_SET_V(1,20000);\n"), "") << "an argument short";
    EXPECT_NE(compileErrors("lorvexMF_SET_ALARM(1,1,1,4294967295);\n"), "") << "out of range";
}

// A jog and a search copied whole, comments and all, as a user pastes them.
TEST_F(CopyFromBasicOperation, ACopiedJogAndSearchCompiles) {
    screen->initDialog();
    screen->show();
    click(kSCurve);
    click(kAsym);
    click(kBackward);
    click(kHomeRadio);
    click(kStopHome);
    test::CopyMenu menu(list());
    menu.contextMenuAt(menu.rowCenter(0));
    menu.choose("copyAllAction");
    const QString code = clipboard();
    EXPECT_EQ(code.count(QStringLiteral("/* Basic Operation")), 2);
    EXPECT_EQ(compileErrors(code), "") << code.toStdString();
}

}  // namespace
}  // namespace velmira
