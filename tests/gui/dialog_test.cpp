#include "platform/dialog.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include "platform/picture_control.h"
#include "platform/quit_when_painted.h"
#include "platform/resources.h"
#include "support/eventually.h"
#include "support/scripted_boxes.h"

namespace velmira {
namespace {

class Probe : public Dialog {
  public:
    explicit Probe(MessageBoxes& boxes) : Dialog(boxes) {
        auto* edit = new QLineEdit(this);
        tagControl(edit, 1090);
        connect(edit, &QLineEdit::textChanged, this, [this] { ++changes; });
    }
    int changes = 0;
    std::vector<int> ticks;

  protected:
    void onTimer(int id) override {
        ticks.push_back(id);
        if (ticks.size() == 3) killTimer(id);
    }
};

// Escape, the window frame, and QuitWhenPainted once the window is on the
// screen (not the 10 s guard) all give 2.
TEST(Dialog, EscapeTheWindowFrameAndQuitWhenPaintedReturnTwo) {
    test::ScriptedBoxes boxes;
    for (const int way : {0, 1, 2}) {
        Probe d(boxes);
        if (way == 2) new QuitWhenPainted(d);
        QTimer::singleShot(way == 2 ? 10000 : 0, &d, [&] {
            way == 0   ? QTest::keyClick(&d, Qt::Key_Escape)
            : way == 1 ? void(d.close())
                       : d.done(99);
        });
        EXPECT_EQ(d.exec(), kResultReturn) << way;
    }
}

TEST(Dialog, TimersRunByTheirNumberUntilKilled) {
    test::ScriptedBoxes boxes;
    Probe d(boxes);
    d.setTimer(2, 5);
    EXPECT_TRUE(d.timerRunning(2));
    EXPECT_TRUE(test::eventually([&] { return d.ticks.size() == 3; }));
    EXPECT_FALSE(d.timerRunning(2));
    QTest::qWait(30);
    EXPECT_EQ(d.ticks, (std::vector<int>{2, 2, 2}));
}

TEST(Dialog, ReadsNumbersAndRefusesTheRestWithAMessage) {
    test::ScriptedBoxes boxes;
    Probe d(boxes);
    d.setInt(1090, -2147483647 - 1);
    EXPECT_EQ(d.changes, 0) << "showing a value notifies nobody";
    std::int32_t v = 5;
    EXPECT_TRUE(d.readInt(1090, v));
    EXPECT_EQ(v, INT32_MIN);

    auto* edit = d.controlAs<QLineEdit>(1090);
    for (const char* bad : {"12a", "", "2147483648", "1.5"}) {
        edit->setText(bad);
        v = 7;
        EXPECT_FALSE(d.readInt(1090, v)) << bad;
        EXPECT_EQ(v, 7) << "the member keeps its value";
    }
    ASSERT_EQ(boxes.shown().size(), 4u);
    EXPECT_EQ(boxes.shown()[0].text, "Enter a whole number from -2147483648 to 2147483647.");

    edit->setText("2147483687");
    EXPECT_FALSE(d.readInt(1090, v, 0, 2147483647));
    EXPECT_EQ(boxes.shown().back().text, "Enter a whole number from 0 to 2147483647.");
}

TEST(Dialog, PlacesFromDialogUnitsAndWorkingScreensFillTheScreen) {
    EXPECT_EQ(Dialog::fromDialogUnits(QRect(4, 8, 40, 16)), QRect(6, 13, 60, 26));
    test::ScriptedBoxes boxes;
    Probe d(boxes);
    d.placeWorkingScreen();
    EXPECT_EQ(d.geometry(), QRect(0, 0, 800, 600));
}

// Pictures are drawn when first seen; a hidden holder is drawn when a
// picture takes its image, and gives exactly what its SVG draws.
TEST(Dialog, PicturesAreDrawnWhenSeenOrTaken) {
    QWidget window;
    window.resize(200, 100);
    auto* holder = new PictureControl(&window);
    auto* lamp = new PictureControl(&window);
    for (PictureControl* p : {holder, lamp}) p->setGeometry(0, 0, 15, 16);
    holder->showResource(186);
    holder->hide();
    lamp->showResource(185);
    EXPECT_TRUE(lamp->pixmap().isNull()) << "nothing is drawn before the window is shown";
    window.show();
    EXPECT_EQ(lamp->pixmap().toImage(), drawResource(185, {15, 16}));
    EXPECT_TRUE(holder->pixmap().isNull());
    lamp->copyImageFrom(*holder);
    EXPECT_EQ(lamp->resource(), 186);
    EXPECT_EQ(lamp->pixmap().toImage(), drawResource(186, {15, 16}));
}

}  // namespace
}  // namespace velmira
