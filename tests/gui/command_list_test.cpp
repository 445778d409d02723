#include "ui/command_list.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QPointingDevice>
#include <QTest>

#include "support/copy_menu.h"

namespace velmira {
namespace {

TEST(CommandList, EachBlockGoesOnTopNumberedFromZeroWithEvenRowsSelected) {
    CommandList list(QStringLiteral("NO"), QStringLiteral("Command"), 1, 6);
    CommandListModel& rows = list.rows();
    QAbstractItemModelTester tester(&rows, QAbstractItemModelTester::FailureReportingMode::Fatal);

    rows.writeBlock({"lorvexMF_SET_V(3,1,20000)", "lorvexMF_FIXED_MOVE(3,1,-5000)"});
    rows.writeBlock({"quenbyMF_SET_AO(5,2,-7)", "a", "b"});
    const std::vector<std::tuple<const char*, const char*, bool>> expected = {
        {" 0", "", true},
        {" 1", "quenbyMF_SET_AO(5,2,-7)", false},
        {" 2", "a", true},
        {" 3", "b", false},
        {" 0", "", true},
        {" 1", "lorvexMF_SET_V(3,1,20000)", false},
        {" 2", "lorvexMF_FIXED_MOVE(3,1,-5000)", true},
    };
    ASSERT_EQ(rows.rowCount(), static_cast<int>(expected.size()));
    for (int i = 0; i < rows.rowCount(); ++i) {
        const auto& [number, command, marked] = expected[static_cast<std::size_t>(i)];
        EXPECT_EQ(rows.label(i), number) << i;
        EXPECT_EQ(rows.command(i), command) << i;
        EXPECT_EQ(rows.marked(i), marked) << i;
        EXPECT_EQ(rows.data(rows.index(i, 1), CommandListModel::kMarkedRole).toBool(), marked);
    }
    EXPECT_EQ(rows.data(rows.index(1, 1), Qt::ForegroundRole).value<QColor>(), QColor(255, 0, 0));
    EXPECT_EQ(list.selectionMode(), QAbstractItemView::ExtendedSelection);
}

TEST(CommandListCopy, BlocksOfEveryKindCopyOldestFirstEachInItsOwnOrder) {
    CommandListModel rows({"NO", "Command"});
    QAbstractItemModelTester tester(&rows, QAbstractItemModelTester::FailureReportingMode::Fatal);
    rows.writeBlock({"lorvexMF_SET_V(1,2,20000)", "lorvexMF_FIXED_MOVE(1,2,10000)"}, "jog");
    // A home search writes its block row by row, " 0" first.
    rows.writeRow(0, {}, "search");
    rows.writeRow(1, "lorvexMF_SET_MAX_V(1,1,2000000)");
    rows.writeRow(2, "");
    rows.writeRow(3, "lorvexMF_HOME_START(1,1)");
    rows.writeBlock({}, "no calls");
    rows.writeBlock({"lorvexMF_SET_V(1,2,30000)"});
    ASSERT_EQ(rows.blockCount(), 4);
    ASSERT_EQ(rows.rowCount(), 2 + 1 + 4 + 3);
    const std::vector<int> blockOfRow = {3, 3, 2, 1, 1, 1, 1, 0, 0, 0};
    for (int r = 0; r < rows.rowCount(); ++r) EXPECT_EQ(rows.blockOf(r), blockOfRow[r]) << r;
    EXPECT_EQ(rows.blockOf(-1), -1);
    EXPECT_EQ(rows.blockOf(rows.rowCount()), -1);
    EXPECT_EQ(rows.label(5), " 2") << "the search's rows are numbered as they came";

    EXPECT_EQ(rows.allCode(),
              "/* jog */\n"
              "lorvexMF_SET_V(1,2,20000);\n"
              "lorvexMF_FIXED_MOVE(1,2,10000);\n"
              "/* search */\n"
              "lorvexMF_SET_MAX_V(1,1,2000000);\n"
              "lorvexMF_HOME_START(1,1);\n"
              "lorvexMF_SET_V(1,2,30000);\n");
    for (int r : {3, 4, 6}) {
        EXPECT_EQ(rows.blockCode(r),
                  "/* search */\nlorvexMF_SET_MAX_V(1,1,2000000);\nlorvexMF_HOME_START(1,1);\n");
    }
    EXPECT_EQ(rows.blockCode(2), "") << "a block of no calls copies as nothing";
    EXPECT_EQ(rows.blockCode(rows.rowCount()), "");
}

// Only the block being written grows: a row numbered past its end goes to
// its end, never into the block below, whose copy stays whole.
TEST(CommandListCopy, ARowWrittenPastTheBlockStaysInIt) {
    CommandListModel rows({"NO", "Command"});
    rows.writeBlock({"a()", "b()"}, "older");
    rows.writeRow(0, {}, "search");
    rows.writeRow(1, "c()");
    rows.writeRow(7, "d()");
    EXPECT_EQ(rows.command(2), "d()");
    EXPECT_EQ(rows.blockCode(4), "/* older */\na();\nb();\n");
    EXPECT_EQ(rows.blockCode(0), "/* search */\nc();\nd();\n");
    rows.writeRow(1, "e()");
    EXPECT_EQ(rows.blockCode(0), "/* search */\ne();\nc();\nd();\n")
        << "a row written in between is taken where it stands";
}

// The Configuration list: a call a row on top; a run of rows for one
// selection is one block under one note.
TEST(CommandListCopy, ConfigurationRowsCopyOldestFirstUnderTheirSelections) {
    CommandListModel rows({"Type", "Command"});
    rows.prependRow("Fun 0", "lorvexMF_SET_PULSE_MODE(1,1,2)", "X");
    rows.prependRow("Fun 1", "lorvexMF_SET_HLMT(1,1,1,1)", "X");
    rows.prependRow("Fun 2", "quenbyMF_SERVO_ON(5,2)", "Y");
    rows.prependRow("Fun 3", "lorvexMF_SET_NHOME(1,1,1)", "X");
    EXPECT_EQ(std::pair(rows.label(0), rows.command(1)),
              std::pair(QString("Fun 3"), QString("quenbyMF_SERVO_ON(5,2)")));
    EXPECT_FALSE(rows.marked(0));
    EXPECT_EQ(rows.blockCount(), 3);
    EXPECT_EQ(rows.allCode(),
              "/* X */\nlorvexMF_SET_PULSE_MODE(1,1,2);\nlorvexMF_SET_HLMT(1,1,1,1);\n"
              "/* Y */\nquenbyMF_SERVO_ON(5,2);\n"
              "/* X */\nlorvexMF_SET_NHOME(1,1,1);\n");
    EXPECT_EQ(rows.rowsCode({0, 3, 1, 3, 99, -1}),
              "/* X */\nlorvexMF_SET_PULSE_MODE(1,1,2);\n"
              "/* Y */\nquenbyMF_SERVO_ON(5,2);\n"
              "/* X */\nlorvexMF_SET_NHOME(1,1,1);\n")
        << "picked in any order, twice, or past the rows";
    EXPECT_EQ(rows.rowsCode({2}), "/* X */\nlorvexMF_SET_HLMT(1,1,1,1);\n");
    EXPECT_EQ(rows.rowsCode({}), "");
}

// The list's menu, by its event and by a press held still (mouse or finger).
class CommandListMenu : public ::testing::Test {
  protected:
    void SetUp() override {
        list.resize(300, 300);
        list.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
        list.rows().writeBlock({"older()"}, "old");
        list.rows().writeBlock({"a()", "b()"}, "new");
        test::CopyMenu::setClipboard("before");
    }
    QString clipboard() { return test::CopyMenu::clipboard(); }

    CommandList list{QStringLiteral("NO"), QStringLiteral("Command"), 1, 6};
    test::CopyMenu menu{list};
};

TEST_F(CommandListMenu, TheMenuCopiesTheBlockUnderThePointerOrEveryBlock) {
    menu.contextMenuAt(menu.rowCenter(4));
    menu.choose("copyBlockAction");
    EXPECT_EQ(clipboard(), "/* old */\nolder();\n");

    // Below the rows there is no block to copy.
    menu.contextMenuAt({10, list.viewport()->height() - 5});
    EXPECT_FALSE(menu.action("copyBlockAction")->isEnabled());
    EXPECT_TRUE(menu.action("copyAllAction")->isEnabled());
}

TEST_F(CommandListMenu, APressHeldStillOpensTheMenuAMovedOrShortOneDoesNot) {
    const QPoint p = menu.rowCenter(1);
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, p);
    QTest::qWait(CommandList::kLongPressMs + 200);
    EXPECT_FALSE(menu.menu().isVisible()) << "a click";

    QTest::mousePress(list.viewport(), Qt::LeftButton, {}, p);
    QTest::mouseMove(list.viewport(), p + QPoint(0, 40));
    QTest::qWait(CommandList::kLongPressMs + 200);
    EXPECT_FALSE(menu.menu().isVisible()) << "a press that moved";
    QTest::mouseRelease(list.viewport(), Qt::LeftButton, {}, p + QPoint(0, 40));

    QTest::mousePress(list.viewport(), Qt::LeftButton, {}, p);
    QTest::qWait(CommandList::kLongPressMs / 2);
    EXPECT_FALSE(menu.menu().isVisible()) << "too soon";
    ASSERT_TRUE(test::eventually([&] { return menu.menu().isVisible(); }));
    QTest::mouseRelease(list.viewport(), Qt::LeftButton, {}, p);
    EXPECT_TRUE(menu.menu().isVisible()) << "letting go does not choose the item under the finger";
    EXPECT_EQ(clipboard(), "before");
    menu.choose("copyBlockAction");
    EXPECT_EQ(clipboard(), "/* new */\na();\nb();\n");
}

TEST_F(CommandListMenu, AFingerHeldStillOpensTheMenu) {
    static QPointingDevice* const finger = QTest::createTouchDevice();
    const QPoint p = list.viewport()->mapTo(list.window(), menu.rowCenter(3));
    QTest::touchEvent(list.window(), finger).press(0, p, list.window());
    ASSERT_TRUE(test::eventually([&] { return menu.menu().isVisible(); }));
    QTest::touchEvent(list.window(), finger).release(0, p, list.window());
    menu.choose("copyBlockAction");
    EXPECT_EQ(clipboard(), "/* old */\nolder();\n");
}

}  // namespace
}  // namespace velmira
