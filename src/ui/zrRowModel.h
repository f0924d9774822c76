#pragma once
// The rows of the main window's list: one per task of the current batch, with
// the task's status icon, file name and result. Other threads request row changes
// through TzrRowQueue; the UI thread applies them in the order requested.

#include <QAbstractTableModel>
#include <QIcon>
#include <functional>
#include <mutex>
#include <vector>

namespace vantile::ui {

struct TzrRow {
    QString FileName;
    QString Result;
    int Status = 0;
};

class TzrRowModel : public QAbstractTableModel {
    Q_OBJECT

  public:
    enum Column { colStatus, colFileName, colResult, colCount };

    explicit TzrRowModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    const TzrRow& Row(int index) const { return FRows[static_cast<std::size_t>(index)]; }
    void Clear();

    // One requested change. Insert puts a new row at Index (empty rows fill a
    // gap); Mark sets the icon of an existing row (and its file name while it has
    // none); Done sets the icon and both texts.
    struct TzrOp {
        enum Kind { Insert, Mark, Done } Kind;
        int Index;
        int Status;
        QString FileName;
        QString Result;
    };
    // Applies the changes in order, announcing consecutive changes together.
    void Apply(std::vector<TzrOp>& ops);

    static QIcon StatusIcon(int status);

  private:
    void FlushChanged(int& first, int& last);

    std::vector<TzrRow> FRows;
    QIcon FIcons[3];
};

// Row changes on their way to the UI thread. Push may be called on any thread; it
// never waits for the UI thread. Requests for another batch than the current one
// are dropped, so a forgotten batch's search cannot touch the list.
class TzrRowQueue {
  public:
    // Notify is called (on the pushing thread) when the queue turns non-empty; it
    // must hand a call of Take to the UI thread without waiting.
    explicit TzrRowQueue(std::function<void()> Notify) : FNotify(std::move(Notify)) {}

    // UI thread: rows of Batch from now on, the list empty.
    void Reset(const void* Batch);
    // The number of rows once the queue has been applied, for Batch; -1 when Batch
    // is not the current one.
    int RequestedRows(const void* Batch);
    // Queues an op for Batch; Insert ops raise the requested row count.
    void Push(const void* Batch, TzrRowModel::TzrOp op);
    std::vector<TzrRowModel::TzrOp> Take();

  private:
    std::mutex FLock;
    const void* FBatch = nullptr;
    int FRequested = 0;
    std::vector<TzrRowModel::TzrOp> FOps;
    std::function<void()> FNotify;
};

}  // namespace vantile::ui
