#include "ui/command_list_model.h"

#include <QColor>
#include <algorithm>

namespace velmira {

CommandListModel::CommandListModel(QStringList headers, QObject* parent)
    : QAbstractTableModel(parent), headers_(std::move(headers)) {}

void CommandListModel::writeBlock(const std::vector<std::string>& calls) {
    const int n = static_cast<int>(calls.size());
    beginInsertRows({}, 0, n);
    // Pushed bottom row first, so " 0" ends on top.
    for (int k = n; k >= 0; --k) {
        const QString command = k == 0 ? QString() : QString::fromStdString(calls[k - 1]);
        rows_.push_front({QStringLiteral(" %1").arg(k), command, k % 2 == 0, false});
    }
    endInsertRows();
}

void CommandListModel::writeRow(int position, const std::string& command) {
    position = std::clamp(position, 0, rowCount());
    beginInsertRows({}, position, position);
    rows_.insert(rows_.begin() + position,
                 {QStringLiteral(" %1").arg(position), QString::fromStdString(command),
                  position % 2 == 0, false});
    endInsertRows();
}

void CommandListModel::prependRow(const QString& label, const QString& command) {
    beginInsertRows({}, 0, 0);
    rows_.push_front({label, command, false, true});
    endInsertRows();
}

int CommandListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int CommandListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 2;
}

QVariant CommandListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const Row& r = rows_[static_cast<std::size_t>(index.row())];
    switch (role) {
        case Qt::DisplayRole:
            return index.column() == 0 ? r.label : r.command;
        case Qt::ForegroundRole:
            return QColor(255, 0, 0);
        case Qt::BackgroundRole:
            return r.marked ? QVariant(QColor(204, 228, 255)) : QVariant();
        case Qt::DecorationRole:
            return r.icon && index.column() == 0 ? QVariant(icon_) : QVariant();
        case kMarkedRole:
            return r.marked;
        default:
            return {};
    }
}

QVariant CommandListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= headers_.size()) {
        return {};
    }
    return headers_[section];
}

}  // namespace velmira
