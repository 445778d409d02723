#pragma once

#include <QAbstractTableModel>
#include <QIcon>
#include <deque>
#include <string>
#include <vector>

#include "hw/call_text.h"

namespace velmira {

// The rows of a command list, newest first. Rows are only ever added, at the
// top, and a day of jogging leaves a hundred thousand of them, so the store
// grows at the front in constant time and the view asks only for what it shows.
//
// Rows belong to blocks, numbered from 0 oldest first, each with the note its
// screen gave it (where its calls were made). A block is an action's rows; on
// the Configuration list, one row a setting, it is the run of rows written for
// one selection. Because rows only come on top, the rows below the block being
// written never move, and every row knows its block.
class CommandListModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    // Rows written in the selected state (the even rows of every block).
    static constexpr int kMarkedRole = Qt::UserRole + 1;

    explicit CommandListModel(QStringList headers, QObject* parent = nullptr);

    // One action's block: " 0" with no call, then " 1", " 2", ... with the calls.
    void writeBlock(const std::vector<std::string>& calls, const QString& note = {});
    // One row of a block written row by row: " <position>" at that position,
    // selected when the position is even. Position 0 opens the block (and
    // takes the note); the other rows go into the block being written, never
    // into an older one.
    void writeRow(int position, const std::string& command, const QString& note = {});
    // One row at the top, with the model's icon beside its label. It joins the
    // block of the row below when that was written the same way with the same
    // note.
    void prependRow(const QString& label, const QString& command, const QString& note = {});
    void setIcon(const QIcon& icon) { icon_ = icon; }

    QString label(int row) const { return rows_.at(static_cast<std::size_t>(row)).label; }
    QString command(int row) const { return rows_.at(static_cast<std::size_t>(row)).command; }
    bool marked(int row) const { return rows_.at(static_cast<std::size_t>(row)).marked; }

    int blockCount() const { return static_cast<int>(blocks_.size()); }
    // The block of a row; -1 for no row.
    int blockOf(int row) const;
    QString note(int block) const { return blocks_.at(static_cast<std::size_t>(block)).note; }
    // A block's calls in the order they were made, empty rows included.
    EchoedBlock echoedBlock(int block) const;

    // The calls as C statements (see callsAsCode): the block of a row; the
    // given rows, oldest first, under the notes of their blocks; every block.
    QString blockCode(int row) const;
    QString rowsCode(std::vector<int> rows) const;
    QString allCode() const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  private:
    struct Row {
        QString label;
        QString command;
        bool marked = false;
        bool icon = false;
        int block = 0;
    };
    struct Block {
        QString note;
        int below = 0;  // rows under the block, which never change
        int count = 0;
        // Opened by a " 0" row, its calls run down from it; otherwise each
        // call went on top of the one before.
        bool headed = true;
    };
    int topRowOf(const Block& b) const { return rowCount() - b.below - b.count; }
    // Where a row comes in the order the calls were made.
    long long sequenceOf(int row) const;

    std::deque<Row> rows_;
    std::deque<Block> blocks_;
    QStringList headers_;
    QIcon icon_;
};

}  // namespace velmira
