#include "devicelog/LogListModel.h"

#include "devicelog/LogRecordText.h"

CLogListModel::CLogListModel(QObject* parent) : QAbstractTableModel(parent) {}

void CLogListModel::SetHeaderLabels(const QStringList& labels)
{
    m_labels = labels;
    emit headerDataChanged(Qt::Horizontal, 0, LogColumnCount - 1);
}

void CLogListModel::Append(const QList<LogBatch>& batches)
{
    int rows = 0;
    for (const LogBatch& batch : batches)
        rows += batch ? int(batch->rows.size()) : 0;
    if (rows == 0)
        return;
    const int first = m_rows.Count();
    beginInsertRows(QModelIndex(), first, first + rows - 1);
    for (const LogBatch& batch : batches)
        m_rows.Append(batch);
    endInsertRows();
}

void CLogListModel::Clear()
{
    beginResetModel();
    m_rows.Clear();
    endResetModel();
}

int CLogListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rows.Count();
}

int CLogListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : LogColumnCount;
}

QVariant CLogListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    return m_rows.Text(index.row(), index.column());
}

QVariant CLogListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignLeft | Qt::AlignVCenter);
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < m_labels.size())
        return m_labels[section];
    return {};
}

Qt::ItemFlags CLogListModel::flags(const QModelIndex& index) const
{
    // The flags every row of the kit's lists has.
    if (!index.isValid())
        return Qt::ItemIsDropEnabled;
    return Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled | Qt::ItemIsUserCheckable |
           Qt::ItemIsEnabled;
}
