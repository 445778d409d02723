#pragma once

#include <QTreeWidget>
#include <initializer_list>
#include <vector>

#include "hw/slot_table.h"
#include "state/module_selection.h"

namespace velmira {

// The modules of the slot table as a tree: one root per module, with its axes
// below unless only whole four-axis modules are wanted. Each item carries its
// kind, card and axis from the slot table, so nothing is read back out of a
// label. Only a selection made by the user or by the screen itself is
// reported: gaining the focus selects nothing.
class ModuleTree : public QTreeWidget {
    Q_OBJECT
  public:
    enum class Contents { ModulesAndAxes, FourAxisModulesOnly };

    // `images`: the resource numbers of the tree's image list; modules show
    // image 0, axes image 1.
    ModuleTree(Contents contents, std::initializer_list<int> images, QWidget* parent = nullptr);

    // One root per slot given (in that order) whose kind fits the contents.
    void fill(const SlotTable& table, const std::vector<int>& slotNumbers);
    // Every registered module, in slot order.
    void fill(const SlotTable& table);

    // Selects the first module; false when there is none.
    bool selectFirstModule();
    // Selects the module with this label (a module node) or its axis with
    // that label; false when the tree holds no such node, and then nothing is
    // selected. A tree without axis nodes selects the module either way.
    bool restore(const std::string& moduleLabel, const std::string& axisLabel, bool moduleNode);

    // The selection an item stands for.
    ModuleSelection selectionOf(const QTreeWidgetItem* item) const;

  signals:
    void selectionChosen(const ModuleSelection& selection);

  private:
    void onSelectionChanged();

    Contents contents_;
    std::vector<int> images_;
};

}  // namespace velmira
