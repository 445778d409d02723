#include "ui/command_list.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDateTime>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>

#include "platform/finger_scroll.h"
#include "platform/message_boxes.h"

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

    menu_ = new QMenu(this);
    menu_->setObjectName(QStringLiteral("commandListMenu"));
    menu_->setAccessibleName(QStringLiteral("Command list menu"));
    copyBlock_ = menu_->addAction(QStringLiteral("Copy block"));
    copyBlock_->setObjectName(QStringLiteral("copyBlockAction"));
    copyAll_ = menu_->addAction(QStringLiteral("Copy all"));
    copyAll_->setObjectName(QStringLiteral("copyAllAction"));
    connect(copyBlock_, &QAction::triggered, this, [this] { putOnClipboard(blockCopy(menuRow_)); });
    connect(copyAll_, &QAction::triggered, this, [this] { putOnClipboard(model_.allCode()); });
    // No ellipsis: the text is the entry's name on the accessibility bus too,
    // and the entry asks nothing more before it saves.
    saveAll_ = menu_->addAction(QStringLiteral("Save all as code"));
    saveAll_->setObjectName(QStringLiteral("saveAllAsCodeAction"));
    saveAll_->setVisible(false);
    connect(saveAll_, &QAction::triggered, this, &CommandList::saveAllAsCode);

    longPress_.setSingleShot(true);
    longPress_.setInterval(kLongPressMs);
    connect(&longPress_, &QTimer::timeout, this, [this] { openMenu(pressPos_); });
    // A finger drags the list to scroll it; held still, it opens the menu.
    connect(FingerScroll::attach(*this, true), &FingerScroll::held, this,
            [this](const QPoint& at) { openMenu(at); });
}

void CommandList::resizeEvent(QResizeEvent* event) {
    QTableView::resizeEvent(event);
    // Column widths follow the list's window width, truncating like the controller.
    const int w = width();
    const int firstWidth = numerator_ * w / denominator_;
    horizontalHeader()->resizeSection(0, firstWidth);
    horizontalHeader()->resizeSection(1, (denominator_ - numerator_) * w / denominator_);
}

QString CommandList::blockCopy(int row) const {
    if (scope_ == CopyScope::SelectedRows) {
        const QString selected = selectedCopy();
        if (!selected.isEmpty() || selectionModel()->hasSelection()) return selected;
        return model_.rowsCode({row});
    }
    return model_.blockCode(row);
}

QString CommandList::currentCopy() const {
    if (scope_ == CopyScope::SelectedRows && selectionModel()->hasSelection()) {
        return selectedCopy();
    }
    return blockCopy(currentIndex().row());
}

QString CommandList::selectedCopy() const {
    std::vector<int> rows;
    for (const QModelIndex& i : selectionModel()->selectedRows()) rows.push_back(i.row());
    return model_.rowsCode(std::move(rows));
}

// Nothing to copy leaves the clipboard as it was.
void CommandList::putOnClipboard(const QString& code) {
    if (!code.isEmpty()) QGuiApplication::clipboard()->setText(code);
}

void CommandList::saveCodeOnto(const CardFiles& card, MessageBoxes& boxes) {
    card_ = card;
    boxes_ = &boxes;
    saveAll_->setVisible(true);
}

void CommandList::saveAllAsCode() {
    const QString code = model_.allCode();
    if (!card_ || !boxes_ || code.isEmpty()) return;
    // No ':' in the name: a FAT card refuses it.
    const QString name = QStringLiteral("commands-%1.c")
                             .arg(QDateTime::currentDateTime().toString(u"yyyyMMdd-HHmmss"));
    const Result<QString> saved = card_->writeNewFile(name, code.toUtf8());
    if (!saved.ok()) {
        boxes_->error("Can not save the code\n" + saved.error());
        return;
    }
    boxes_->show({"All of the calls saved as code in\n" + saved->toStdString(), "Information",
                  BoxIcon::Information, BoxButtons::Ok});
}

void CommandList::openMenu(const QPoint& viewportPos) {
    longPress_.stop();
    menuRow_ = indexAt(viewportPos).row();
    copyBlock_->setEnabled(!blockCopy(menuRow_).isEmpty());
    copyAll_->setEnabled(model_.rowCount() > 0);
    saveAll_->setEnabled(model_.rowCount() > 0);
    menu_->popup(viewport()->mapToGlobal(viewportPos));
}

void CommandList::contextMenuEvent(QContextMenuEvent* event) {
    // A mouse's menu comes through the viewport, in its coordinates; the
    // keyboard's comes to the list itself and belongs to the current row.
    QPoint at = event->pos();
    if (event->reason() == QContextMenuEvent::Keyboard) {
        at = currentIndex().isValid() ? visualRect(currentIndex()).center()
                                      : viewport()->mapFrom(this, at);
    }
    openMenu(at);
    event->accept();
}

void CommandList::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy)) {
        putOnClipboard(currentCopy());
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

// A mouse press held still for a while opens the menu too, as a right click
// does: a touch panel's pointer may have no other button.
void CommandList::mousePressEvent(QMouseEvent* event) {
    QTableView::mousePressEvent(event);
    if (event->button() == Qt::LeftButton) {
        pressPos_ = event->position().toPoint();
        longPress_.start();
    }
}

void CommandList::mouseMoveEvent(QMouseEvent* event) {
    if (longPress_.isActive() && (event->position().toPoint() - pressPos_).manhattanLength() >
                                     QApplication::startDragDistance()) {
        longPress_.stop();
    }
    QTableView::mouseMoveEvent(event);
}

void CommandList::mouseReleaseEvent(QMouseEvent* event) {
    longPress_.stop();
    QTableView::mouseReleaseEvent(event);
}

void CommandList::hideEvent(QHideEvent* event) {
    longPress_.stop();
    QTableView::hideEvent(event);
}

}  // namespace velmira
