// CTreeView: the table view turned into a tree of check-able rows that keeps the check states
// of parents and children consistent and folds a row by a click at its right end.
// TreeView: a variant with a drag of its own and right-click and double-click signals.
#pragma once

#include "widgets/CTableView.h"

#include <QPoint>

class CTreeView : public CTableView {
    Q_OBJECT
public:
    explicit CTreeView(QWidget* parent = nullptr);
    ~CTreeView() override;

    void setModel(QAbstractItemModel* model) override;
    void SetDrawBranches(bool draw) { m_drawBranches = draw; }

    // The fold area of a row: the 20 pixels that end 2 pixels before the row's right edge.
    static QRect FoldArea(const QRect& row);

public slots:
    void OnDataChanged(const QModelIndex& index);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void drawBranches(QPainter* painter, const QRect& rect, const QModelIndex& index) const override;

private:
    void ConnectModel(QAbstractItemModel* model);

    bool m_drawBranches = false;
    QPointer<QAbstractItemModel> m_connectedModel;
};

class TreeView : public CTreeView {
    Q_OBJECT
public:
    explicit TreeView(QWidget* parent = nullptr);
    ~TreeView() override;

signals:
    void ItemRightClicked(QModelIndex& miItem);
    void ItemDoubleClicked(QModelIndex& miItem);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    QPoint m_dragStart;
};
