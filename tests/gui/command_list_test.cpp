#include "ui/command_list.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QHeaderView>

#include "hw/echo.h"

namespace velmira {
namespace {

TEST(CommandList, EachBlockGoesOnTopNumberedFromZeroWithEvenRowsSelected) {
    CommandList list(QStringLiteral("NO"), QStringLiteral("Command"), 1, 6);
    CommandListModel& rows = list.rows();
    QAbstractItemModelTester tester(&rows, QAbstractItemModelTester::FailureReportingMode::Fatal);

    rows.writeBlock({"lorvexMF_SET_V(3,1,20000)", "lorvexMF_FIXED_MOVE(3,1,-5000)"});
    rows.writeBlock(
        {echoText(ModuleKind::Quenby, "lorvexMF_SET_AO(%u,%i,%i)", 5u, 2, -7), "a", "b"});
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
    EXPECT_EQ(rows.headerData(0, Qt::Horizontal, Qt::DisplayRole), "NO");
    EXPECT_EQ(list.selectionMode(), QAbstractItemView::ExtendedSelection);
}

TEST(CommandList, ColumnsShareTheWidthWithTruncation) {
    CommandList list(QStringLiteral("NO"), QStringLiteral("Command"), 1, 5);
    list.resize(301, 100);
    list.show();
    EXPECT_EQ(list.horizontalHeader()->sectionSize(0), 60);
    EXPECT_EQ(list.horizontalHeader()->sectionSize(1), 240);
}

TEST(CommandList, ConfigurationRowsGoOnTopWithTheirIcon) {
    CommandListModel rows({"Type", "Command"});
    rows.prependRow("Fun 0", "lorvexMF_SERVO_ON(1,15)");
    rows.prependRow("Fun 1", "lorvexMF_SERVO_OFF(1,15)");
    EXPECT_EQ(rows.label(0), "Fun 1");
    EXPECT_EQ(rows.command(1), "lorvexMF_SERVO_ON(1,15)");
    EXPECT_FALSE(rows.marked(0));
    EXPECT_TRUE(rows.data(rows.index(0, 0), Qt::DecorationRole).isValid());
    EXPECT_FALSE(rows.data(rows.index(0, 1), Qt::DecorationRole).isValid());
}

}  // namespace
}  // namespace velmira
