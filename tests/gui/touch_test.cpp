// On a touch panel a finger scrolls lists without choosing what it passes over;
// without a window manager every window fills the screen or stands in its middle.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QMenu>
#include <QMessageBox>
#include <QPointingDevice>
#include <QScreen>
#include <QScrollBar>
#include <QScroller>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include "app/main_menu_dlg.h"
#include "basic/basic_operation_dlg.h"
#include "basic/basic_operation_ids.h"
#include "hw/discovery.h"
#include "platform/panel.h"
#include "platform/qt_message_boxes.h"
#include "support/eventually.h"
#include "support/recorded_bench.h"
#include "ui/command_list.h"

namespace velmira {
namespace {

using test::eventually;

// A finger as Qt delivers it: widgets get the touch, a popup a mouse made from it.
class Finger {
  public:
    void drag(QWidget* w, QPoint from, QPoint to) {
        QTest::touchEvent(w->window(), device()).press(0, from, w);
        constexpr int kSteps = 12;
        for (int i = 1; i <= kSteps; ++i) {
            QTest::qWait(10);
            QTest::touchEvent(w->window(), device()).move(0, from + (to - from) * i / kSteps, w);
        }
        QTest::touchEvent(w->window(), device()).release(0, to, w);
    }
    // Drags on a list and waits for the fling to come to rest; its scroll value then.
    int scroll(QAbstractItemView* view, QPoint from, QPoint to) {
        drag(view->viewport(), from, to);
        EXPECT_TRUE(eventually(
            [&] { return QScroller::scroller(view->viewport())->state() == QScroller::Inactive; }));
        return view->verticalScrollBar()->value();
    }
    void tap(QWidget* w, QPoint at) {
        QTest::touchEvent(w->window(), device()).press(0, at, w);
        QTest::qWait(20);
        QTest::touchEvent(w->window(), device()).release(0, at, w);
    }

  private:
    static QPointingDevice* device() {
        static QPointingDevice* const finger = QTest::createTouchDevice();
        return finger;
    }
};

// Seven four-axis modules, one a slot: a tree of 35 rows, taller than its box.
class FingerOnBasicOperation : public ::testing::Test, protected test::RecordedBench {
  protected:
    void SetUp() override {
        for (int slot = 1; slot <= 7; ++slot) ids[static_cast<std::size_t>(slot)] = 69;
        registerModules();
        remember("Lorvex in Slot:1", "Axis_Y");
        screen = std::make_unique<CBasicOperationDlg>(ctx, CarriedValues{});
        screen->initDialog();
        screen->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(screen.get()));
        log.clear();
    }
    QTreeWidget* tree() { return screen->controlAs<QTreeWidget>(basic_ids::kTree); }
    std::string selected() {
        const QList<QTreeWidgetItem*> items = tree()->selectedItems();
        if (items.isEmpty()) return {};
        const QTreeWidgetItem* module = items.front()->parent();
        return (items.front()->text(0) + (module ? " " + module->text(0) : QString()))
            .toStdString();
    }

    Finger finger;
    std::unique_ptr<CBasicOperationDlg> screen;
};

TEST_F(FingerOnBasicOperation, ADragScrollsTheTreeChoosingNothingATapChooses) {
    QWidget* viewport = tree()->viewport();
    ASSERT_EQ(selected(), "Axis_Y Lorvex in Slot:1");
    QSignalSpy chosen(tree(), &QTreeWidget::itemSelectionChanged);
    const QPoint low(40, viewport->height() - 20);
    EXPECT_GT(finger.scroll(tree(), low, low - QPoint(0, 150)), 100) << "the tree followed it";
    EXPECT_EQ(chosen.count(), 0) << "neither the item under the finger nor those it passed";
    EXPECT_EQ(selected(), "Axis_Y Lorvex in Slot:1");
    EXPECT_EQ(state.currentCard, 1);

    QTreeWidgetItem* target = tree()->itemAt(low);
    ASSERT_NE(target, nullptr);
    ASSERT_NE(target->parent(), nullptr) << "an axis row";
    finger.tap(viewport, low);
    EXPECT_EQ(selected(), (target->text(0) + " " + target->parent()->text(0)).toStdString());
    EXPECT_EQ(state.currentCard, tree()->indexOfTopLevelItem(target->parent()) + 1);
}

TEST_F(FingerOnBasicOperation, ADragScrollsTheCommandListOpeningNoMenu) {
    CommandList& list = screen->commandList();
    for (int i = 0; i < 40; ++i) list.rows().writeBlock({"lorvexMF_SET_V(1,2,20000)"});
    QWidget* viewport = list.viewport();
    auto* menu = list.findChild<QMenu*>(QStringLiteral("commandListMenu"));
    ASSERT_NE(menu, nullptr);
    list.selectRow(3);

    const QPoint low(60, viewport->height() - 20);
    EXPECT_GT(finger.scroll(&list, low, low - QPoint(0, 150)), 100);
    QTest::qWait(CommandList::kLongPressMs + 200);
    EXPECT_FALSE(menu->isVisible()) << "a drag is no long press";
    EXPECT_EQ(list.selectionModel()->selectedRows().size(), 1);
    EXPECT_TRUE(list.selectionModel()->isRowSelected(3)) << "the selection stayed";
}

// A drop-down's list is a popup: Qt gives it the finger as a mouse, which picked
// whatever item the finger was lifted over (on Configuration, a setting applied).
class LongDropDown : public Dialog {
  public:
    explicit LongDropDown(MessageBoxes& boxes) : Dialog(boxes) {
        setTemplateSize({200, 100});
        QStringList items;
        for (int i = 0; i < 60; ++i) items << QStringLiteral("item %1").arg(i);
        combo = addDropDown(1, items, {10, 10, 100, 200});
        combo->setCurrentIndex(0);
    }
    QComboBox* combo;
};

TEST(FingerOnADropDown, ADragScrollsALongListAndKeepsItOpen) {
    test::ScriptedBoxes boxes;
    LongDropDown dialog(boxes);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    Finger finger;
    dialog.combo->showPopup();
    QAbstractItemView* items = dialog.combo->view();
    ASSERT_TRUE(eventually([&] { return items->isVisible(); }));
    QTest::qWait(QApplication::doubleClickInterval());
    QSignalSpy activated(dialog.combo, &QComboBox::activated);

    QWidget* viewport = items->viewport();
    const QPoint low(30, viewport->height() - 10);
    EXPECT_GT(finger.scroll(items, low, QPoint(30, 10)), 50) << "the list followed the finger";
    EXPECT_TRUE(items->isVisible());
    EXPECT_EQ(activated.count(), 0);
    EXPECT_EQ(dialog.combo->currentIndex(), 0);

    const QModelIndex shown = items->indexAt(QPoint(30, 10));
    ASSERT_GT(shown.row(), 0);
    finger.tap(viewport, QPoint(30, 10));
    ASSERT_TRUE(eventually([&] { return !items->isVisible(); }));
    EXPECT_EQ(dialog.combo->currentIndex(), shown.row());
}

// Panel mode; the offscreen screen is 800 x 800, larger than the screens' 800 x 600.
class OnAPanel : public ::testing::Test, protected test::RecordedBench {
  protected:
    void SetUp() override { setPanelMode(true); }
    void TearDown() override { setPanelMode(false); }
    static QRect screenRect() { return QGuiApplication::primaryScreen()->geometry(); }
};

TEST_F(OnAPanel, TheMainMenuFillsTheScreenAndEndsOnIt) {
    struct NoScreens final : ScreenFactory {
        std::unique_ptr<WorkingScreen> configuration(QWidget*, CarriedValues) override {
            return {};
        }
        std::unique_ptr<WorkingScreen> basicOperation(QWidget*, CarriedValues) override {
            return {};
        }
        std::unique_ptr<WorkingScreen> advancedFeatures(QWidget*) override { return {}; }
    } screens;
    CMainMenuDlg menu(ctx, screens);
    QTimer::singleShot(0, &menu, [&] {
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&menu));
        EXPECT_EQ(menu.frameGeometry(), screenRect());
        const QRect row = menu.control(1000)->geometry().united(menu.control(1002)->geometry());
        EXPECT_LE(std::abs(row.center().x() - screenRect().center().x()), 2);
        QTest::mouseClick(menu.control(2), Qt::LeftButton);
    });
    EXPECT_EQ(menu.exec(), kResultReturn) << "Exit ends the menu, and so the program";
}

// Also run on the minimal platform, which draws no frames: Qt would leave room
// for one above and left of the box.
TEST_F(OnAPanel, AMessageBoxStandsInTheMiddleOfTheScreen) {
    QtMessageBoxes realBoxes;
    QRect box;
    QTimer::singleShot(0, [&] {
        QWidget* shown = nullptr;
        EXPECT_TRUE(eventually([&] {
            shown = QApplication::activeModalWidget();
            return qobject_cast<QMessageBox*>(shown) && shown->isVisible();
        }));
        if (!qobject_cast<QMessageBox*>(shown)) return;
        box = shown->frameGeometry();
        QTest::keyClick(shown, Qt::Key_Return);
    });
    realBoxes.show({"NO Lorvex/Quenby in Coralt!!", "Information", BoxIcon::Stop, BoxButtons::Ok});
    EXPECT_LE((box.center() - screenRect().center()).manhattanLength(), 2)
        << box.x() << "," << box.y() << " " << box.width() << "x" << box.height() << " on "
        << screenRect().width() << "x" << screenRect().height();
}

}  // namespace
}  // namespace velmira
