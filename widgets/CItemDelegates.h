// The delegates of the program's views: CTableDelegate paints table cells (26-pixel rows,
// icon-only cells, the margin of indented rows) and opens an editor by the cell's user role;
// CTreeViewDelegate paints the group tree's group bars, arrows and selected streams.
#pragma once

#include <QFontMetrics>
#include <QStyledItemDelegate>

class CTableDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    // view: the view painted for (its style draws panels and pixmaps); not owned.
    CTableDelegate(QWidget* view, QObject* parent);
    ~CTableDelegate() override;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;

    static constexpr int kRowHeight = 26;

protected:
    // The date editors of roles 137 and 138; null, false and false for other cells.
    QWidget* CreateDateEditor(QWidget* parent, const QModelIndex& index) const;
    bool SetDateEditorData(QWidget* editor, const QModelIndex& index) const;
    bool SetDateModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const;

    QWidget* m_view;
};

class CTreeViewDelegate : public CTableDelegate {
    Q_OBJECT
public:
    CTreeViewDelegate(QWidget* view, QObject* parent);
    ~CTreeViewDelegate() override;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // Where a group row's arrow is drawn: x from 0 (not from the cell's left), centred in the cell.
    static QPoint ArrowPoint(const QRect& cell, const QSize& arrow);
    // The text a group row shows: whole when it fits between the start of its text rectangle
    // (the style's `margin` in) and the arrow at `arrowX`, else cut at its end with an ellipsis,
    // so that it never runs under the arrow.
    static QString GroupRowText(const QString& text, const QFontMetrics& metrics, const QRect& textRect, int arrowX,
                                int margin);
};
