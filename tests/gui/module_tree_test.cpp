#include "ui/module_tree.h"

#include <gtest/gtest.h>

#include <QSignalSpy>

#include "hw/module_labels.h"

namespace velmira {
namespace {

// Slot 2 a Quenby, slot 3 a LorvexF, slot 6 a Lorvex; slot 4 was found but
// never registered.
SlotTable rack() {
    SlotTable t;
    const auto put = [&t](int slot, ModuleKind kind, int column) {
        SlotEntry& e = t.entries[slot];
        e.kind = kind;
        e.moduleLabel = kModuleLabels[slot][column];
        for (int a = 0; a < axisCount(kind); ++a) e.axisLabels[a] = kAxisLabels[a];
    };
    put(2, ModuleKind::Quenby, 0);
    put(3, ModuleKind::Lorvex, 2);
    put(6, ModuleKind::Lorvex, 1);
    t.entries[4].id = 69;
    return t;
}

QStringList roots(const QTreeWidget& tree) {
    QStringList out;
    for (int i = 0; i < tree.topLevelItemCount(); ++i) out << tree.topLevelItem(i)->text(0);
    return out;
}

TEST(ModuleTree, ListsRegisteredModulesWithTheirAxesAndReportsWhatAnItemStandsFor) {
    SlotTable t = rack();
    t.entries[6].moduleLabel = "Quenby in Slot:1";  // a label that says otherwise
    ModuleTree tree(ModuleTree::Contents::ModulesAndAxes, {152, 145});
    tree.fill(t);
    EXPECT_EQ(roots(tree),
              (QStringList{"Quenby in Slot:2", "LorvexF in Slot:3", "Quenby in Slot:1"}));
    EXPECT_EQ(tree.topLevelItem(0)->childCount(), 2);
    EXPECT_EQ(tree.topLevelItem(1)->child(3)->text(0), "Axis_U");

    QSignalSpy chosen(&tree, &ModuleTree::selectionChosen);
    tree.setCurrentItem(tree.topLevelItem(1)->child(3));
    ASSERT_EQ(chosen.count(), 1);
    const auto u = chosen.takeFirst().at(0).value<ModuleSelection>();
    EXPECT_EQ(std::tuple(u.kind, u.card, u.mask, u.axisIndex, u.moduleNode),
              std::tuple(ModuleKind::Lorvex, std::uint8_t{3}, 8u, 3, false));
    EXPECT_EQ(u.moduleLabel + " " + u.axisLabel, "LorvexF in Slot:3 Axis_U");

    tree.setCurrentItem(tree.topLevelItem(0));
    const auto quenby = chosen.takeFirst().at(0).value<ModuleSelection>();
    EXPECT_EQ(
        std::tuple(quenby.kind, quenby.card, quenby.mask, quenby.axisIndex, quenby.moduleNode),
        std::tuple(ModuleKind::Quenby, std::uint8_t{2}, 3u, 2, true));
    const ModuleSelection s = tree.selectionOf(tree.topLevelItem(2));
    EXPECT_EQ(std::tuple(s.kind, s.card, s.mask),
              std::tuple(ModuleKind::Lorvex, std::uint8_t{6}, 15u))
        << "kind and card come from the slot table, not from the label";
}

TEST(ModuleTree, FourAxisModulesOnlyHaveNoAxesAndRestoreTheirModule) {
    ModuleTree tree(ModuleTree::Contents::FourAxisModulesOnly, {152, 145, 166});
    tree.fill(rack());
    EXPECT_EQ(roots(tree), (QStringList{"LorvexF in Slot:3", "Lorvex in Slot:6"}));
    EXPECT_EQ(tree.topLevelItem(0)->childCount(), 0);
    EXPECT_TRUE(tree.restore("Lorvex in Slot:6", "Axis_Y", false));
    EXPECT_EQ(tree.currentItem()->text(0), "Lorvex in Slot:6");
}

TEST(ModuleTree, RestoreFindsTheRememberedNodeOrNothing) {
    ModuleTree tree(ModuleTree::Contents::ModulesAndAxes, {152, 145});
    tree.fill(rack());
    QSignalSpy chosen(&tree, &ModuleTree::selectionChosen);
    EXPECT_FALSE(tree.restore("Quenby in Slot:2", "Axis_Z", false)) << "a Quenby has no Z";
    EXPECT_FALSE(tree.restore("Lorvex in Slot:5", "", true));
    EXPECT_EQ(chosen.count(), 0);
    EXPECT_TRUE(tree.selectedItems().isEmpty());
    EXPECT_TRUE(tree.restore("LorvexF in Slot:3", "Axis_Z", false));
    EXPECT_EQ(tree.currentItem()->text(0), "Axis_Z");
}

}  // namespace
}  // namespace velmira
