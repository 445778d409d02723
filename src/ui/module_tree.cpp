#include "ui/module_tree.h"

#include "platform/finger_scroll.h"
#include "platform/resources.h"

namespace velmira {
namespace {

constexpr int kKindRole = Qt::UserRole + 1;
constexpr int kCardRole = Qt::UserRole + 2;
constexpr int kAxisRole = Qt::UserRole + 3;  // -1 on a module item

}  // namespace

ModuleTree::ModuleTree(Contents contents, std::initializer_list<int> images, QWidget* parent)
    : QTreeWidget(parent), contents_(contents), images_(images) {
    setHeaderHidden(true);
    setColumnCount(1);
    setDragEnabled(false);
    setIconSize({16, 16});
    setSelectionMode(QAbstractItemView::SingleSelection);
    // A view that gains the focus makes its first item current without
    // selecting it; listening to the selection, not the current item, keeps
    // that from choosing a module the user never picked.
    connect(this, &QTreeWidget::itemSelectionChanged, this, &ModuleTree::onSelectionChanged);
    // A finger scrolls the tree without choosing what it passes over: each
    // choice is a module or axis the screen then works with.
    FingerScroll::attach(*this);
}

void ModuleTree::fill(const SlotTable& table, const std::vector<int>& slotNumbers) {
    const auto icon = [this](std::size_t image) {
        return image < images_.size() ? resourceIcon(images_[image]) : QIcon();
    };
    const QIcon moduleIcon = icon(0);
    const QIcon axisIcon = icon(1);
    for (int slot : slotNumbers) {
        const SlotEntry& e = table.entries.at(static_cast<std::size_t>(slot));
        if (e.kind == ModuleKind::None) continue;
        if (contents_ == Contents::FourAxisModulesOnly && e.kind != ModuleKind::Lorvex) continue;
        auto* module = new QTreeWidgetItem(this, {QString::fromLatin1(e.moduleLabel)});
        module->setIcon(0, moduleIcon);
        module->setData(0, kKindRole, static_cast<int>(e.kind));
        module->setData(0, kCardRole, slot);
        module->setData(0, kAxisRole, -1);
        if (contents_ == Contents::ModulesAndAxes) {
            for (int a = 0; a < axisCount(e.kind); ++a) {
                auto* axis = new QTreeWidgetItem(module, {QString::fromLatin1(e.axisLabels[a])});
                axis->setIcon(0, axisIcon);
                axis->setData(0, kKindRole, static_cast<int>(e.kind));
                axis->setData(0, kCardRole, slot);
                axis->setData(0, kAxisRole, a);
            }
        }
        module->setExpanded(true);
    }
}

void ModuleTree::fill(const SlotTable& table) {
    std::vector<int> slotNumbers;
    for (int slot = kFirstSlot; slot <= kLastSlot; ++slot) slotNumbers.push_back(slot);
    fill(table, slotNumbers);
}

bool ModuleTree::selectFirstModule() {
    QTreeWidgetItem* first = topLevelItem(0);
    if (first) setCurrentItem(first);
    return first != nullptr;
}

bool ModuleTree::restore(const std::string& moduleLabel, const std::string& axisLabel,
                         bool moduleNode) {
    const QString module = QString::fromStdString(moduleLabel);
    const QString axis = QString::fromStdString(axisLabel);
    for (int i = 0; i < topLevelItemCount(); ++i) {
        QTreeWidgetItem* top = topLevelItem(i);
        if (top->text(0) != module) continue;
        if (moduleNode || contents_ == Contents::FourAxisModulesOnly) {
            setCurrentItem(top);
            return true;
        }
        for (int c = 0; c < top->childCount(); ++c) {
            if (top->child(c)->text(0) == axis) {
                setCurrentItem(top->child(c));
                return true;
            }
        }
    }
    return false;
}

ModuleSelection ModuleTree::selectionOf(const QTreeWidgetItem* item) const {
    const auto kind = static_cast<ModuleKind>(item->data(0, kKindRole).toInt());
    const auto card = static_cast<std::uint8_t>(item->data(0, kCardRole).toInt());
    const int axis = item->data(0, kAxisRole).toInt();
    const QTreeWidgetItem* module = axis < 0 ? item : item->parent();
    return velmira::selectionOf(kind, card, axis, module->text(0).toStdString(),
                                axis < 0 ? std::string() : item->text(0).toStdString());
}

void ModuleTree::onSelectionChanged() {
    const QList<QTreeWidgetItem*> selected = selectedItems();
    if (selected.isEmpty()) return;
    emit selectionChosen(selectionOf(selected.front()));
}

}  // namespace velmira
