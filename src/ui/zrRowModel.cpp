#include "ui/zrRowModel.h"

namespace vantile::ui {

TzrRowModel::TzrRowModel(QObject* parent) : QAbstractTableModel(parent) {
    for (int i = 0; i < 3; ++i) {
        FIcons[i] = StatusIcon(i);
    }
}

QIcon TzrRowModel::StatusIcon(int status) {
    switch (status) {
        case 1:
            return QIcon(QStringLiteral(":/vantile/icons/status-success.svg"));
        case 2:
            return QIcon(QStringLiteral(":/vantile/icons/status-failure.svg"));
        default:
            return QIcon(QStringLiteral(":/vantile/icons/status-pending.svg"));
    }
}

int TzrRowModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(FRows.size());
}

int TzrRowModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : colCount;
}

QVariant TzrRowModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    const TzrRow& row = FRows[static_cast<std::size_t>(index.row())];
    switch (role) {
        case Qt::DisplayRole:
            if (index.column() == colFileName) {
                return row.FileName;
            }
            if (index.column() == colResult) {
                return row.Result;
            }
            return {};
        case Qt::DecorationRole:
            if (index.column() == colStatus) {
                return FIcons[row.Status >= 0 && row.Status <= 2 ? row.Status : 0];
            }
            return {};
        case Qt::UserRole:
            return row.Status;
        default:
            return {};
    }
}

QVariant TzrRowModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return {};
    }
    switch (section) {
        case colStatus:
            return QStringLiteral("@");
        case colFileName:
            return QStringLiteral("File Name");
        case colResult:
            return QStringLiteral("Result");
        default:
            return {};
    }
}

Qt::ItemFlags TzrRowModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

void TzrRowModel::Clear() {
    beginResetModel();
    FRows.clear();
    FRows.shrink_to_fit();
    endResetModel();
}

void TzrRowModel::FlushChanged(int& first, int& last) {
    if (first <= last) {
        emit dataChanged(index(first, 0), index(last, colCount - 1));
    }
    first = INT_MAX;
    last = -1;
}

void TzrRowModel::Apply(std::vector<TzrOp>& ops) {
    int changedFirst = INT_MAX;
    int changedLast = -1;
    std::size_t i = 0;
    while (i < ops.size()) {
        TzrOp& op = ops[i];
        if (op.Index < 0) {
            ++i;
            continue;
        }
        const int count = rowCount();
        if (op.Kind == TzrOp::Insert && op.Index >= count) {
            // A run of appends becomes one insertion.
            std::size_t j = i;
            int end = op.Index;
            while (j + 1 < ops.size() && ops[j + 1].Kind == TzrOp::Insert && ops[j + 1].Index == end + 1) {
                ++j;
                ++end;
            }
            FlushChanged(changedFirst, changedLast);
            beginInsertRows(QModelIndex(), count, end);
            FRows.resize(static_cast<std::size_t>(end) + 1);
            for (std::size_t k = i; k <= j; ++k) {
                TzrRow& row = FRows[static_cast<std::size_t>(ops[k].Index)];
                row.FileName = std::move(ops[k].FileName);
                row.Status = 0;
            }
            endInsertRows();
            i = j + 1;
            continue;
        }
        if (op.Index >= count) {
            // A change for a row not yet inserted: the row comes first.
            FlushChanged(changedFirst, changedLast);
            beginInsertRows(QModelIndex(), count, op.Index);
            FRows.resize(static_cast<std::size_t>(op.Index) + 1);
            endInsertRows();
        }
        TzrRow& row = FRows[static_cast<std::size_t>(op.Index)];
        switch (op.Kind) {
            case TzrOp::Insert:
            case TzrOp::Mark:
                if (row.FileName.isEmpty()) {
                    row.FileName = std::move(op.FileName);
                }
                if (op.Kind == TzrOp::Mark) {
                    row.Status = op.Status;
                }
                break;
            case TzrOp::Done:
                row.FileName = std::move(op.FileName);
                row.Result = std::move(op.Result);
                row.Status = op.Status;
                break;
        }
        changedFirst = std::min(changedFirst, op.Index);
        changedLast = std::max(changedLast, op.Index);
        ++i;
    }
    FlushChanged(changedFirst, changedLast);
}

void TzrRowQueue::Reset(const void* Batch) {
    std::lock_guard<std::mutex> lock(FLock);
    FBatch = Batch;
    FRequested = 0;
    FOps.clear();
}

int TzrRowQueue::RequestedRows(const void* Batch) {
    std::lock_guard<std::mutex> lock(FLock);
    return Batch == FBatch && Batch ? FRequested : -1;
}

void TzrRowQueue::Push(const void* Batch, TzrRowModel::TzrOp op) {
    bool notify = false;
    {
        std::lock_guard<std::mutex> lock(FLock);
        if (!Batch || Batch != FBatch) {
            return;
        }
        if (op.Index >= FRequested) {
            FRequested = op.Index + 1;
        }
        notify = FOps.empty();
        FOps.push_back(std::move(op));
    }
    if (notify && FNotify) {
        FNotify();
    }
}

std::vector<TzrRowModel::TzrOp> TzrRowQueue::Take() {
    std::lock_guard<std::mutex> lock(FLock);
    std::vector<TzrRowModel::TzrOp> ops;
    ops.swap(FOps);
    return ops;
}

}  // namespace vantile::ui
