#include "widgets/CHeaderView.h"

#include "widgets/CheckStates.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QTreeView>

namespace {
constexpr int kBoxSize = 16;

QString BoxImage(int state)
{
    if (state == Qt::Checked)
        return QStringLiteral(":/images/public/CheckBox/checkbox.png");
    if (state == Qt::Unchecked)
        return QStringLiteral(":/images/public/CheckBox/uncheckbox.png");
    return QStringLiteral(":/images/public/CheckBox/PartiallyCheckBox.png");
}
}  // namespace

CHeaderView::CHeaderView(Qt::Orientation orientation, QTreeView* parent)
    : QHeaderView(orientation, parent), m_view(parent)
{
    setStretchLastSection(true);
    setSectionsClickable(true);
}

CHeaderView::~CHeaderView() = default;

bool CHeaderView::HasBox() const
{
    return model() && model()->headerData(0, Qt::Horizontal, Qt::CheckStateRole).isValid();
}

void CHeaderView::setModel(QAbstractItemModel* newModel)
{
    if (newModel == model())
        return;
    if (model())
        disconnect(model(), &QAbstractItemModel::dataChanged, this, nullptr);
    if (newModel)
        connect(newModel, &QAbstractItemModel::dataChanged, this, &CHeaderView::OnDataChanged);
    QHeaderView::setModel(newModel);
}

void CHeaderView::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const
{
    if (logicalIndex == 0 && model()) {
        const QVariant state = model()->headerData(0, Qt::Horizontal, Qt::CheckStateRole);
        if (state.isValid()) {
            const int indentation = m_view ? m_view->indentation() : 0;
            m_boxRect = QRect(rect.x() + indentation + 3, (rect.height() - kBoxSize) / 2, kBoxSize, kBoxSize);
            painter->save();
            painter->setClipRect(m_boxRect);
            painter->drawPixmap(m_boxRect, QPixmap(BoxImage(state.toInt())));
            painter->restore();
        }
        const int left = m_boxRect.right() + 4;
        QHeaderView::paintSection(painter, QRect(left, rect.y(), rect.width() - left, rect.height()), logicalIndex);
        return;
    }
    QHeaderView::paintSection(painter, QRect(rect.x() + 4, rect.y(), rect.width() - 4, rect.height()), logicalIndex);
}

void CHeaderView::mousePressEvent(QMouseEvent* event)
{
    m_pressedInBox = event->button() == Qt::LeftButton && m_boxRect.contains(event->position().toPoint());
    QHeaderView::mousePressEvent(event);
}

void CHeaderView::mouseReleaseEvent(QMouseEvent* event)
{
    // Only a left click that both starts and ends inside the box toggles the rows.
    const bool inBox =
        event->button() == Qt::LeftButton && m_pressedInBox && m_boxRect.contains(event->position().toPoint());
    m_pressedInBox = false;
    QAbstractItemModel* m = model();
    if (inBox && m && sectionsClickable() && HasBox()) {
        const int now = m->headerData(0, Qt::Horizontal, Qt::CheckStateRole).toInt();
        const int next = now == Qt::Checked ? Qt::Unchecked : Qt::Checked;
        m->setHeaderData(0, Qt::Horizontal, next, Qt::CheckStateRole);
        // Every row write would recompute the box from all rows; the end state is known.
        m_writingRows = true;
        const int rows = m->rowCount(QModelIndex());
        for (int row = 0; row < rows; ++row)
            m->setData(m->index(row, 0, QModelIndex()), next, Qt::CheckStateRole);
        m_writingRows = false;
        if (rows > 0)
            OnDataChanged(QModelIndex());
    }
    QHeaderView::mouseReleaseEvent(event);
}

void CHeaderView::OnDataChanged(const QModelIndex&)
{
    if (m_writingRows || !HasBox())
        return;
    QAbstractItemModel* m = model();
    QList<uint> states;
    const int rows = m->rowCount(QModelIndex());
    states.reserve(rows);
    for (int row = 0; row < rows; ++row)
        states.append(m->index(row, 0, QModelIndex()).data(Qt::CheckStateRole).toUInt());
    m->setHeaderData(0, Qt::Horizontal, CheckStates::Summary(states), Qt::CheckStateRole);
}
