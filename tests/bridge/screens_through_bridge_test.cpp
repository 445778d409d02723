#include <gtest/gtest.h>

#include <QApplication>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <deque>

#include "app/hardware_setup.h"
#include "app/main_menu_dlg.h"
#include "app/program_screens.h"
#include "support/scripted_boxes.h"
#include "support/testlib_run.h"

namespace velmira {
namespace {

// Clicks a control of each working screen as it comes up, like a user would.
class ScreenClicker {
  public:
    explicit ScreenClicker(std::deque<int> ids) : ids_(std::move(ids)) {
        QObject::connect(&timer_, &QTimer::timeout, [this] { tick(); });
        timer_.start(10);
    }
    bool done() const { return ids_.empty(); }

  private:
    void tick() {
        auto* screen = qobject_cast<WorkingScreen*>(QApplication::activeModalWidget());
        if (!screen || screen == last_ || ids_.empty()) return;
        last_ = screen;
        QWidget* control = screen->control(ids_.front());
        ids_.pop_front();
        if (control) QTest::mouseClick(control, Qt::LeftButton);
    }

    std::deque<int> ids_;
    QTimer timer_;
    QPointer<WorkingScreen> last_;
};

TEST(ScreensThroughBridge, ProbeRegistrationAndServoOffReachTheLibrary) {
    test::TestLibRun run;
    run.script("GetSlotAddr(3) 768\nIoReadByte(768) 33619\nlorvexMF_REGISTRATION(3,3) 1\n");
    Options o;
    o.lorvexLib = o.quenbyLib = o.backplaneLib = VELMIRA_TESTLIB;
    auto setup = HardwareSetup::create(o);
    ASSERT_TRUE(setup.ok()) << setup.error();

    QTemporaryDir card;
    AppState state;
    test::ScriptedBoxes boxes;
    AppContext ctx{state, (*setup)->hardware(), boxes, CardFiles(card.path())};
    ProgramScreens screens(ctx);
    CMainMenuDlg menu(ctx, screens);
    menu.show();

    ScreenClicker clicker({1, 2});  // Configuration: switch; Basic Operation: return
    QTest::mouseClick(menu.control(1000), Qt::LeftButton);
    EXPECT_TRUE(clicker.done());

    std::vector<std::string> expected;
    for (bool registering : {false, true}) {  // the menu's probe, then the screen's
        for (int slot = 1; slot <= 7; ++slot) {
            expected.push_back("GetSlotAddr(" + std::to_string(slot) + ")");
            expected.push_back(slot == 3 ? "IoReadByte(768)" : "IoReadByte(0)");
            if (registering && slot == 3) expected.push_back("lorvexMF_REGISTRATION(3,3)");
        }
    }
    expected.push_back("lorvexMF_SERVO_OFF(3,15)");
    // Basic Operation restores the whole module, and its view reads the status
    // once for the selection and once at the end of the opening.
    for (int refresh = 0; refresh < 2; ++refresh) {
        for (const char* read : {"GET_LP(3,15)", "GET_EP(3,15)", "GET_CV(3,15)"}) {
            expected.push_back(std::string("lorvexMF_") + read);
        }
        for (int input : {0, 1, 2, 3, 4, 5, 6, 8}) {
            expected.push_back("lorvexMF_GET_DI(3,15," + std::to_string(input) + ")");
        }
        expected.push_back("lorvexMF_GET_ERROR_CODE(3,15)");
    }
    expected.push_back("lorvexMF_SERVO_OFF(3,15)");
    EXPECT_EQ(run.calls(), expected);
    EXPECT_EQ(state.slotTable.entries[3].id, 83) << "33619 is 0x8353: only the low byte counts";
    EXPECT_EQ(boxes.texts(), std::vector<std::string>{"Save all of settings?"});
}

}  // namespace
}  // namespace velmira
