// A finger on a panel: a touch on a field opens the pad; OK enters the value as
// typing does, anything else leaves the field as it was.
#include "platform/numeric_pad.h"

#include <gtest/gtest.h>

#include <QPointingDevice>
#include <QPushButton>
#include <QTest>

#include "basic/basic_operation_dlg.h"
#include "basic/basic_operation_ids.h"
#include "hw/discovery.h"
#include "platform/panel.h"
#include "support/recorded_bench.h"

namespace velmira {
namespace {

using namespace basic_ids;
using Texts = std::vector<std::string>;

struct NumericPadOnAPanel : ::testing::Test, test::RecordedBench {
    void SetUp() override { setPanelMode(true); }
    void TearDown() override { setPanelMode(false); }
};

TEST_F(NumericPadOnAPanel, OkEntersTheKeyedValueAsTypingDoesAndNothingElseEntersAny) {
    ids[1] = 69;
    registerModules();
    remember("Lorvex in Slot:1", "Axis_Y");
    CBasicOperationDlg screen(ctx, CarriedValues{});
    screen.initDialog();
    screen.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&screen));
    static QPointingDevice* const finger = QTest::createTouchDevice();
    const auto tap = [&](QWidget* w) {
        QTest::touchEvent(&screen, finger).press(0, w->rect().center(), w);
        QTest::qWait(20);
        QTest::touchEvent(&screen, finger).release(0, w->rect().center(), w);
        QTest::qWait(0);  // a closed pad goes at the next turn of the loop
    };
    const auto pad = [&] { return NumericPad::openOn(screen); };
    // A touch on the field, then on the pad's keys: digits, Minus, Backspace, OK, Cancel.
    const auto keys = [&](int id, const QStringList& names) {
        tap(screen.control(id));
        for (const QString& name : names) {
            ASSERT_NE(pad(), nullptr) << name.toStdString();
            tap(pad()->findChild<QPushButton*>(name));
        }
    };
    const auto text = [&](int id) { return screen.controlAs<QLineEdit>(id)->text(); };

    keys(kV, {});
    ASSERT_NE(pad(), nullptr);
    EXPECT_EQ(pad()->text(), "20000") << "it starts from the field's text";
    for (int id : {kV, kStopHome, kForward}) {
        EXPECT_FALSE(pad()->geometry().intersects(screen.control(id)->geometry())) << id;
    }
    // The first digit replaces the text, the minus changes the sign, and a
    // second touch on the field keeps what was keyed.
    keys(kV, {"4", "5", "Minus", "0", "Minus", "0", "9", "Backspace", "0"});
    keys(kV, {"OK"});
    EXPECT_EQ(state.currentRunParams().driveVelocity, 45000) << "told as typing tells";
    log.clear();
    tap(screen.control(kForward));
    EXPECT_EQ(log.textsOf("lorvexMF_SET_V"), Texts{"lorvexMF_SET_V(1,2,45000)"});
    // Out of range: an eleventh digit is refused as typed, ten at the press.
    keys(kV, QStringList(11, QStringLiteral("9")) << QStringLiteral("OK"));
    tap(screen.control(kForward));
    EXPECT_EQ(boxes.texts(),
              Texts{"Drive Velocity (V): enter a whole number from -2147483648 to 2147483647."});

    keys(kA, {"7", "Cancel"});
    EXPECT_EQ(pad(), nullptr);
    EXPECT_EQ(text(kA), "100000");
    keys(kSv, {"1"});
    tap(screen.control(kStopHome));
    EXPECT_EQ(pad(), nullptr);
    EXPECT_EQ(text(kSv), "20000");
    EXPECT_EQ(log.textsOf("lorvexMF_STOP_SLOWLY").size(), 1u) << "the same touch reached Stop";
    keys(kLogicPosition, {});
    EXPECT_EQ(pad(), nullptr) << "read-only";
    setPanelMode(false);
    keys(kV, {});
    EXPECT_EQ(pad(), nullptr) << "desktop";
}

}  // namespace
}  // namespace velmira
