#include "ui/command_list_model.h"

#include <QColor>
#include <algorithm>

namespace velmira {

CommandListModel::CommandListModel(QStringList headers, QObject* parent)
    : QAbstractTableModel(parent), headers_(std::move(headers)) {}

void CommandListModel::writeBlock(const std::vector<std::string>& calls, const QString& note) {
    const int n = static_cast<int>(calls.size());
    const int block = blockCount();
    beginInsertRows({}, 0, n);
    blocks_.push_back({note, rowCount(), n + 1, true});
    // Pushed bottom row first, so " 0" ends on top.
    for (int k = n; k >= 0; --k) {
        const QString command = k == 0 ? QString() : QString::fromStdString(calls[k - 1]);
        rows_.push_front({QStringLiteral(" %1").arg(k), command, k % 2 == 0, false, block});
    }
    endInsertRows();
}

void CommandListModel::writeRow(int position, const std::string& command, const QString& note) {
    // Only the block being written may grow: a row pushed into an older one
    // would shift the rows every block below it counts on.
    const bool opens = position <= 0 || blocks_.empty() || !blocks_.back().headed;
    position = opens ? 0 : std::min(position, blocks_.back().count);
    if (opens) blocks_.push_back({note, rowCount(), 0, true});
    const int block = blockCount() - 1;
    beginInsertRows({}, position, position);
    rows_.insert(rows_.begin() + position,
                 {QStringLiteral(" %1").arg(position), QString::fromStdString(command),
                  position % 2 == 0, false, block});
    ++blocks_.back().count;
    endInsertRows();
}

void CommandListModel::prependRow(const QString& label, const QString& command,
                                  const QString& note) {
    const bool joins = !blocks_.empty() && !blocks_.back().headed && blocks_.back().note == note;
    if (!joins) blocks_.push_back({note, rowCount(), 0, false});
    beginInsertRows({}, 0, 0);
    rows_.push_front({label, command, false, true, blockCount() - 1});
    ++blocks_.back().count;
    endInsertRows();
}

int CommandListModel::blockOf(int row) const {
    if (row < 0 || row >= rowCount()) return -1;
    return rows_[static_cast<std::size_t>(row)].block;
}

EchoedBlock CommandListModel::echoedBlock(int block) const {
    const Block& b = blocks_.at(static_cast<std::size_t>(block));
    EchoedBlock out{b.note.toStdString(), {}};
    out.calls.reserve(static_cast<std::size_t>(b.count));
    const int top = topRowOf(b);
    for (int i = 0; i < b.count; ++i) {
        const int row = b.headed ? top + i : top + b.count - 1 - i;
        out.calls.push_back(rows_[static_cast<std::size_t>(row)].command.toStdString());
    }
    return out;
}

long long CommandListModel::sequenceOf(int row) const {
    const Row& r = rows_[static_cast<std::size_t>(row)];
    const Block& b = blocks_[static_cast<std::size_t>(r.block)];
    const int top = topRowOf(b);
    const int offset = b.headed ? row - top : top + b.count - 1 - row;
    return (static_cast<long long>(r.block) << 32) + offset;
}

QString CommandListModel::blockCode(int row) const {
    const int block = blockOf(row);
    if (block < 0) return {};
    const EchoedBlock one = echoedBlock(block);
    return QString::fromStdString(callsAsCode({&one, 1}));
}

QString CommandListModel::rowsCode(std::vector<int> rows) const {
    std::erase_if(rows, [this](int row) { return row < 0 || row >= rowCount(); });
    std::sort(rows.begin(), rows.end(),
              [this](int a, int b) { return sequenceOf(a) < sequenceOf(b); });
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    std::vector<EchoedBlock> blocks;
    int current = -1;
    for (int row : rows) {
        const Row& r = rows_[static_cast<std::size_t>(row)];
        if (r.block != current) {
            current = r.block;
            blocks.push_back({note(current).toStdString(), {}});
        }
        blocks.back().calls.push_back(r.command.toStdString());
    }
    return QString::fromStdString(callsAsCode(blocks));
}

QString CommandListModel::allCode() const {
    std::vector<EchoedBlock> blocks;
    blocks.reserve(blocks_.size());
    for (int b = 0; b < blockCount(); ++b) blocks.push_back(echoedBlock(b));
    return QString::fromStdString(callsAsCode(blocks));
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
