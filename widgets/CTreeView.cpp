#include "widgets/CTreeView.h"

#include "widgets/CheckStates.h"
#include "widgets/CItemDelegates.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>

namespace {
constexpr uint kUnchecked = Qt::Unchecked;
constexpr uint kChecked = Qt::Checked;

bool HasCheck(const QModelIndex& index)
{
    return index.data(Qt::CheckStateRole).isValid();
}

uint CheckOf(const QModelIndex& index)
{
    return index.data(Qt::CheckStateRole).toUInt();
}

// Sets every child of `index` that has a check state (and, with `onlyDiffering`, whose state
// differs) to `state`.
void SetChildren(QAbstractItemModel* model, const QModelIndex& index, uint state, bool onlyDiffering)
{
    const int rows = model->rowCount(index);
    for (int row = 0; row < rows; ++row) {
        const QModelIndex child = model->index(row, 0, index);
        if (!HasCheck(child))
            continue;
        if (onlyDiffering && CheckOf(child) == state)
            continue;
        model->setData(child, static_cast<int>(state), Qt::CheckStateRole);
    }
}
}  // namespace

// ---------------------------------------------------------------------------------------------
// CTreeView

CTreeView::CTreeView(QWidget* parent) : CTableView(parent)
{
    setIndentation(16);
    setRootIsDecorated(true);
    ConnectModel(model());
}

CTreeView::~CTreeView() = default;

void CTreeView::ConnectModel(QAbstractItemModel* newModel)
{
    // Only the shown model drives the propagation: an old model's indexes must never reach it.
    if (m_connectedModel)
        disconnect(m_connectedModel, &QAbstractItemModel::dataChanged, this, &CTreeView::OnDataChanged);
    m_connectedModel = newModel;
    if (newModel)
        connect(newModel, &QAbstractItemModel::dataChanged, this, &CTreeView::OnDataChanged, Qt::UniqueConnection);
}

void CTreeView::setModel(QAbstractItemModel* newModel)
{
    ConnectModel(newModel);
    CTableView::setModel(newModel);
}

void CTreeView::drawBranches(QPainter* painter, const QRect& rect, const QModelIndex& index) const
{
    if (m_drawBranches)
        QTreeView::drawBranches(painter, rect, index);
}

QRect CTreeView::FoldArea(const QRect& row)
{
    return row.adjusted(row.width() - 22, 0, -2, 0);
}

void CTreeView::mouseReleaseEvent(QMouseEvent* event)
{
    CTableView::mouseReleaseEvent(event);
    const QModelIndex current = currentIndex();
    if (!current.isValid())
        return;
    if (FoldArea(visualRect(current)).contains(event->position().toPoint()))
        setExpanded(current, !isExpanded(current));
}

void CTreeView::OnDataChanged(const QModelIndex& index)
{
    QAbstractItemModel* m = model();
    if (!index.isValid() || index.column() != 0 || !m || index.model() != m)
        return;
    if (!HasCheck(index))
        return;
    const uint state = CheckOf(index);
    const QModelIndex parent = index.parent();
    if (parent.isValid()) {
        const uint parentState = CheckOf(parent);
        if (state == kChecked && HasCheck(parent) && parentState != kChecked) {
            QList<uint> siblings;
            const int rows = m->rowCount(parent);
            for (int row = 0; row < rows; ++row)
                siblings.append(CheckOf(m->index(row, 0, parent)));
            m->setData(parent, CheckStates::Summary(siblings), Qt::CheckStateRole);
            SetChildren(m, index, kChecked, false);
        } else if (state == kUnchecked && parentState != kUnchecked) {
            bool anyChecked = false;
            const int rows = m->rowCount(parent);
            for (int row = 0; row < rows && !anyChecked; ++row)
                anyChecked = CheckOf(m->index(row, 0, parent)) == kChecked;
            if (HasCheck(parent))
                m->setData(parent, int(anyChecked ? Qt::PartiallyChecked : Qt::Unchecked), Qt::CheckStateRole);
            SetChildren(m, index, kUnchecked, false);
        } else if (state == kUnchecked && parentState == kUnchecked) {
            SetChildren(m, index, kUnchecked, false);
        } else if (state == kChecked && parentState == kChecked) {
            SetChildren(m, index, kChecked, false);
        }
    } else if (state == kChecked || state == kUnchecked) {
        SetChildren(m, index, state, true);
    }
    viewport()->update();
}

// ---------------------------------------------------------------------------------------------
// TreeView

TreeView::TreeView(QWidget* parent) : CTreeView(parent)
{
    setHeaderHidden(true);
    setIndentation(0);
    SetDrawRowLine(false);
    ReplaceDelegate(new CTreeViewDelegate(this, this));
}

TreeView::~TreeView() = default;

void TreeView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_dragStart = event->position().toPoint();
    CTreeView::mousePressEvent(event);
}

void TreeView::mouseMoveEvent(QMouseEvent* event)
{
    if ((event->buttons() & Qt::LeftButton) &&
        (event->position().toPoint() - m_dragStart).manhattanLength() >= QApplication::startDragDistance()) {
        const QModelIndex index = indexAt(m_dragStart);
        if (!index.isValid() || !(index.flags() & Qt::ItemIsDragEnabled))
            return;
        auto* data = new QMimeData;
        data->setData(QStringLiteral("Group/Stream"), QByteArray());
        auto* drag = new QDrag(this);
        drag->setMimeData(data);
        drag->setPixmap(QPixmap(QStringLiteral(":/images/DeviceConfig/Analog_Channel.png")));
        drag->exec(Qt::MoveAction);
        return;
    }
    QTreeView::mouseMoveEvent(event);
}

void TreeView::contextMenuEvent(QContextMenuEvent* event)
{
    QModelIndex index = indexAt(event->pos());
    if (index.isValid())
        emit ItemRightClicked(index);
}

void TreeView::mouseDoubleClickEvent(QMouseEvent* event)
{
    QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid())
        emit ItemDoubleClicked(index);
}
