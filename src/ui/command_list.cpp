#include "ui/command_list.h"

#include <QHeaderView>

namespace velmira {

CommandList::CommandList(const QString& first, const QString& second, int shareNumerator,
                         int shareDenominator, QWidget* parent)
    : QTableView(parent),
      model_({first, second}),
      numerator_(shareNumerator),
      denominator_(shareDenominator) {
    setModel(&model_);
    setShowGrid(false);
    setWordWrap(false);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSortingEnabled(false);
    verticalHeader()->hide();
    // Fixed row heights keep the view from measuring every row.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setHighlightSections(false);
}

void CommandList::resizeEvent(QResizeEvent* event) {
    QTableView::resizeEvent(event);
    // Column widths follow the list's window width, truncating like the controller.
    const int w = width();
    const int firstWidth = numerator_ * w / denominator_;
    horizontalHeader()->resizeSection(0, firstWidth);
    horizontalHeader()->resizeSection(1, (denominator_ - numerator_) * w / denominator_);
}

}  // namespace velmira
