#pragma once

#include <QAbstractTableModel>
#include <QIcon>
#include <deque>
#include <string>
#include <vector>

namespace velmira {

// The rows of a command list, newest first. Rows are only ever added, at the
// top, and a day of jogging leaves a hundred thousand of them, so the store
// grows at the front in constant time and the view asks only for what it shows.
class CommandListModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    // Rows written in the selected state (the even rows of every block).
    static constexpr int kMarkedRole = Qt::UserRole + 1;

    explicit CommandListModel(QStringList headers, QObject* parent = nullptr);

    // One action's block: " 0" with no call, then " 1", " 2", ... with the calls.
    void writeBlock(const std::vector<std::string>& calls);
    // One row of a block written row by row: " <position>" at that position,
    // selected when the position is even.
    void writeRow(int position, const std::string& command);
    // One row at the top, with the model's icon beside its label.
    void prependRow(const QString& label, const QString& command);
    void setIcon(const QIcon& icon) { icon_ = icon; }

    QString label(int row) const { return rows_.at(static_cast<std::size_t>(row)).label; }
    QString command(int row) const { return rows_.at(static_cast<std::size_t>(row)).command; }
    bool marked(int row) const { return rows_.at(static_cast<std::size_t>(row)).marked; }

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
    };
    std::deque<Row> rows_;
    QStringList headers_;
    QIcon icon_;
};

}  // namespace velmira
