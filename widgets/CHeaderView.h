// The horizontal header of the program's tables: section 0 carries a tri-state check box that
// mirrors the check states of the top-level rows. The box state lives in the model, as the
// header data of section 0 under Qt::CheckStateRole; a model without it gets no box.
#pragma once

#include <QHeaderView>
#include <QPointer>
#include <QRect>

class QTreeView;

class CHeaderView : public QHeaderView {
    Q_OBJECT
public:
    CHeaderView(Qt::Orientation orientation, QTreeView* parent);
    ~CHeaderView() override;

    void setModel(QAbstractItemModel* model) override;
    // Where the box was last painted (header coordinates); null before the first paint.
    QRect CheckBoxRect() const { return m_boxRect; }

public slots:
    void OnDataChanged(const QModelIndex& index);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;

private:
    bool HasBox() const;

    mutable QRect m_boxRect;
    QPointer<QTreeView> m_view;
    bool m_pressedInBox = false;
    bool m_writingRows = false;
};
