// The program's list view: a QTreeView set up as a flat table with a check box in its header,
// over a CTreeViewModel of its own (or any model handed to it later).
#pragma once

#include <QList>
#include <QPersistentModelIndex>
#include <QPointer>
#include <QStandardItemModel>
#include <QStringList>
#include <QTreeView>

#include "widgets/CTreeViewModel.h"

class CStandardItemModel : public QStandardItemModel {
    Q_OBJECT
public:
    explicit CStandardItemModel(QObject* parent = nullptr);
    ~CStandardItemModel() override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
};

class CTableView : public QTreeView {
    Q_OBJECT
public:
    explicit CTableView(QWidget* parent = nullptr);
    ~CTableView() override;

    // Replaces the model; the model the view built for itself goes, the caller keeps `model`.
    void setModel(QAbstractItemModel* model) override;

    void SetDrawRowLine(bool draw) { m_drawRowLine = draw; }
    bool DrawRowLine() const { return m_drawRowLine; }
    int RowCount() const;
    // Appends ready-made rows under the root of the view's CTreeViewModel, which takes them.
    // With any other model the rows are deleted and nothing is shown.
    void AppendRow(const QList<CTreeViewItem*>& rows);
    // One column per label, inserted at 0, 1, ... with that header text.
    void SetHeaderLabels(const QStringList& labels);
    // Removes every row of a CTreeViewModel; does nothing with another model.
    void ClearAll();
    // The model the view built and still owns, or null.
    CTreeViewModel* OwnModel() const { return m_ownModel; }

signals:
    void SignalClickRelease(const QModelIndex& index);
    void PressedBtn(const QModelIndex& index);
    void ClickedBtn(const QModelIndex& index);
    void currentItemChanged(const QModelIndex& current, const QModelIndex& previous);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void drawRow(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void drawBranches(QPainter* painter, const QRect& rect, const QModelIndex& index) const override;
    // Installs a delegate parented to the view, deleting the one it replaces.
    void ReplaceDelegate(QAbstractItemDelegate* delegate);

private:
    void ConnectCurrentRelay();

    QPointer<CTreeViewModel> m_ownModel;
    bool m_drawRowLine = true;
    QPersistentModelIndex m_pressedIndex;
};
