// The model of the log list: the twelve columns of the rows a query found, shown from the page's
// compact rows. Rows are only ever appended (a whole hand-over of batches at once) or cleared.
#pragma once

#include "devicelog/LogRows.h"

#include <QAbstractTableModel>
#include <QStringList>

class CLogListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit CLogListModel(QObject* parent = nullptr);

    void SetHeaderLabels(const QStringList& labels);
    // The rows shown; a copy is a snapshot that later appends and clears do not reach.
    const CLogRowList& Rows() const { return m_rows; }
    // Appends the rows of the batches, in order, as one insertion.
    void Append(const QList<LogBatch>& batches);
    // Removes every row (a model reset).
    void Clear();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    CLogRowList m_rows;
    QStringList m_labels;
};
