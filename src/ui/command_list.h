#pragma once

#include <QTableView>
#include <QTimer>
#include <optional>

#include "platform/card_files.h"
#include "platform/finger_scroll.h"
#include "ui/command_list_model.h"

class QAction;
class QMenu;

namespace velmira {

class MessageBoxes;

// A report-style list of echoed calls: red text, two columns, several rows may
// be selected, rows never removed. Its calls can be copied as C statements:
// a context menu (right click, or a press held still on the touch panel) and
// Ctrl+C; the menu also saves them all as a C file on the card, for a panel
// where no other program shares the clipboard. A finger scrolls it.
class CommandList : public QTableView {
    Q_OBJECT
  public:
    // What "Copy block" and Ctrl+C take: the block of the row (Basic Operation,
    // Advanced Features), or the selected rows, one call each (Configuration).
    enum class CopyScope { Block, SelectedRows };
    static constexpr int kLongPressMs = FingerScroll::kHoldMs;

    // firstColumnShare: the part of the width the first column gets (1/6 means W/6).
    CommandList(const QString& first, const QString& second, int shareNumerator,
                int shareDenominator, QWidget* parent = nullptr);

    CommandListModel& rows() { return model_; }
    void setCopyScope(CopyScope scope) { scope_ = scope; }

    // What "Copy block" puts on the clipboard with the pointer on `row`
    // (-1: below the rows), and what Ctrl+C does.
    QString blockCopy(int row) const;
    QString currentCopy() const;

    // The card "Save all as code" writes to and the boxes that say how it
    // went; the menu offers the entry once the list has them.
    void saveCodeOnto(const CardFiles& card, MessageBoxes& boxes);
    // What "Copy all" takes, as a new file on the card named by the date and
    // time; says the file's name, or why it could not be written.
    void saveAllAsCode();

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    void openMenu(const QPoint& viewportPos);
    QString selectedCopy() const;
    static void putOnClipboard(const QString& code);

    CommandListModel model_;
    int numerator_;
    int denominator_;
    CopyScope scope_ = CopyScope::Block;

    QMenu* menu_ = nullptr;
    QAction* copyBlock_ = nullptr;
    QAction* copyAll_ = nullptr;
    QAction* saveAll_ = nullptr;
    std::optional<CardFiles> card_;
    MessageBoxes* boxes_ = nullptr;
    int menuRow_ = -1;  // the row the menu was opened on
    QTimer longPress_;
    QPoint pressPos_;
};

}  // namespace velmira
