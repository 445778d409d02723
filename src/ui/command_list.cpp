#include "ui/command_list.h"

#include <QHeaderView>

namespace velmira {

CommandList::CommandList(const QString& first, const QString& second, int shareNumerator,
                         int shareDenominator, QWidget* parent)
    : QTreeView(parent),
      model_({first, second}),
      numerator_(shareNumerator),
      denominator_(shareDenominator) {
    setModel(&model_);
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setItemsExpandable(false);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSortingEnabled(false);
    header()->setStretchLastSection(false);
    header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

void CommandList::resizeEvent(QResizeEvent* event) {
    QTreeView::resizeEvent(event);
    // Column widths follow the list's window width, truncating like the controller.
    const int w = width();
    const int firstWidth = numerator_ * w / denominator_;
    header()->resizeSection(0, firstWidth);
    header()->resizeSection(1, (denominator_ - numerator_) * w / denominator_);
}

}  // namespace velmira
