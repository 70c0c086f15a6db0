#include "widgets/CGroupTreeView.h"

#include "widgets/CItemDelegates.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDrag>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QStandardItemModel>
#include <QtEndian>

#include <cstring>

// ---------------------------------------------------------------------------------------------
// GroupStreamPayload

namespace GroupStreamPayload {

void AppendInt(QByteArray* bytes, int value)
{
    char le[4];
    qToLittleEndian<qint32>(value, le);
    bytes->append(le, 4);
}

QByteArray Encode(int first, int second)
{
    QByteArray bytes;
    if (first >= 0)
        AppendInt(&bytes, first);
    if (second >= 0)
        AppendInt(&bytes, second);
    return bytes;
}

bool Decode(const QByteArray& bytes, Rows* rows)
{
    if (bytes.size() != 4 && bytes.size() != 8)
        return false;
    // Read from a copy: GCC cannot see that the data of 4 or 8 bytes is not the empty array's.
    char raw[8] = {};
    std::memcpy(raw, bytes.constData(), std::size_t(bytes.size()));
    const int group = qFromLittleEndian<qint32>(raw);
    const int stream = bytes.size() == 8 ? qFromLittleEndian<qint32>(raw + 4) : -1;
    if (group < 0 || (bytes.size() == 8 && stream < 0))
        return false;
    if (rows)
        *rows = {group, stream};
    return true;
}

bool DecodeChecked(const QByteArray& bytes, int groupCount, const std::function<int(int)>& streamCount, Rows* rows)
{
    Rows r;
    if (!Decode(bytes, &r) || r.group >= groupCount)
        return false;
    if (r.stream >= 0 && (!streamCount || r.stream >= streamCount(r.group)))
        return false;
    if (rows)
        *rows = r;
    return true;
}

}  // namespace GroupStreamPayload

// ---------------------------------------------------------------------------------------------
// CGroupTreeView

CGroupTreeView::CGroupTreeView(QWidget* parent) : CTreeView(parent), m_mimeType(QStringLiteral("Group/Stream"))
{
    setHeaderHidden(true);
    setIndentation(0);
    SetDrawRowLine(false);
    ReplaceDelegate(new CTreeViewDelegate(this, this));
}

CGroupTreeView::~CGroupTreeView() = default;

void CGroupTreeView::SetMultiSelection(bool multi)
{
    setSelectionMode(multi ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
}

void CGroupTreeView::Remember(const QPoint& pos, const QModelIndex& index)
{
    m_pressPos = pos;
    m_pressedIndex = index;
}

void CGroupTreeView::mousePressEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    const QModelIndex current = currentIndex();
    const QModelIndex pressed = indexAt(pos);
    const Qt::KeyboardModifiers mods = event->modifiers();

    if (mods == Qt::NoModifier) {
        Remember(pos, pressed);
        CTableView::mousePressEvent(event);
        return;
    }
    if (event->button() != Qt::LeftButton)
        return;
    if ((mods & Qt::ControlModifier) && !current.parent().isValid()) {
        Remember(pos, pressed);
        if (pressed.parent().isValid()) {
            selectionModel()->clearSelection();
            selectionModel()->select(current, QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
        CTableView::mousePressEvent(event);
        return;
    }
    if (mods & Qt::ShiftModifier) {
        if (!current.isValid())
            return;
        if (!current.parent().isValid()) {
            Remember(pos, pressed);
            // The pressed row number is taken as a top-level row, also for a stream.
            const int from = qMin(pressed.row(), current.row());
            const int to = qMax(pressed.row(), current.row());
            QItemSelection range;
            for (int row = from; row <= to; ++row) {
                const QModelIndex top = model()->index(row, 0);
                if (top.isValid())
                    range.select(top, top);
            }
            selectionModel()->select(range, QItemSelectionModel::Select | QItemSelectionModel::Rows);
            return;
        }
        if (pressed.parent() == current.parent())
            CTableView::mousePressEvent(event);
        return;
    }
    if (!current.isValid()) {
        Remember(pos, pressed);
        CTableView::mousePressEvent(event);
        return;
    }
    if (selectionMode() == QAbstractItemView::ExtendedSelection && (mods & Qt::ControlModifier) && pressed.isValid() &&
        pressed.parent() == current.parent()) {
        selectionModel()->setCurrentIndex(pressed, QItemSelectionModel::NoUpdate);
        const bool wasSelected = selectionModel()->isSelected(pressed);
        selectionModel()->select(pressed, (wasSelected ? QItemSelectionModel::Deselect : QItemSelectionModel::Select) |
                                              QItemSelectionModel::Rows);
    }
}

bool CGroupTreeView::PayloadFor(const QModelIndex& index, QByteArray* payload) const
{
    if (!index.isValid())
        return false;
    auto* standard = qobject_cast<QStandardItemModel*>(model());
    if (!standard)
        return false;
    QStandardItem* item = standard->itemFromIndex(index);
    if (!item || !item->isDragEnabled())
        return false;
    int first = -1;
    int second = -1;
    if (!index.parent().isValid()) {
        if (!m_dragGroups)
            return false;
        first = index.row();
    } else {
        first = index.parent().row();
        second = index.row();
    }
    // A model that offers this mime type itself would decode the drop; the view sends no rows then.
    if (payload)
        *payload =
            standard->mimeTypes().contains(m_mimeType) ? QByteArray() : GroupStreamPayload::Encode(first, second);
    return true;
}

void CGroupTreeView::mouseMoveEvent(QMouseEvent* event)
{
    if (event->modifiers() != Qt::NoModifier || !dragEnabled() || !(event->buttons() & Qt::LeftButton))
        return;
    if ((event->position().toPoint() - m_pressPos).manhattanLength() < QApplication::startDragDistance())
        return;
    QByteArray payload;
    if (!PayloadFor(indexAt(m_pressPos), &payload))
        return;
    auto* data = new QMimeData;
    data->setData(m_mimeType, payload);
    auto* drag = new QDrag(this);
    drag->setMimeData(data);
    drag->setPixmap(QPixmap(QStringLiteral(":/images/public/TreeView/camera.png")));
    drag->exec(Qt::MoveAction);
}

void CGroupTreeView::mouseDoubleClickEvent(QMouseEvent* event)
{
    QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid())
        emit ItemDoubleClicked(index);
}

void CGroupTreeView::contextMenuEvent(QContextMenuEvent* event)
{
    QModelIndex index = indexAt(event->pos());
    if (index.isValid())
        emit ItemRightClicked(index);
}

void CGroupTreeView::keyPressEvent(QKeyEvent* event)
{
    if ((event->modifiers() & Qt::ShiftModifier) && event->key() >= Qt::Key_Home && event->key() <= Qt::Key_PageDown) {
        event->ignore();
        return;
    }
    QTreeView::keyPressEvent(event);
}

void CGroupTreeView::dragMoveEvent(QDragMoveEvent* event)
{
    if (event->source() != this) {
        event->ignore();
        return;
    }
    const QModelIndex target = indexAt(event->position().toPoint());
    if (target.isValid() && !target.parent().isValid() && target.row() == 0)
        return;
    if (target.isValid() && model()->hasChildren(target) && !isExpanded(target))
        expand(target);
    QPointF pos = event->position();
    const QRect rect = visualRect(target);
    if (pos.y() <= rect.y() + rect.height() / 2)
        pos.setY(rect.y());
    else if (pos.y() >= rect.bottom() - rect.height() / 2)
        pos.setY(rect.bottom());
    QDragMoveEvent moved(pos.toPoint(), event->dropAction(), event->mimeData(), event->buttons(), event->modifiers());
    QTreeView::dragMoveEvent(&moved);
    event->setDropAction(moved.dropAction());
    event->setAccepted(moved.isAccepted());
}

void CGroupTreeView::dropEvent(QDropEvent* event)
{
    if (event->source() != this && !(event->mimeData() && event->mimeData()->hasFormat(m_mimeType))) {
        event->ignore();
        return;
    }
    const QPoint pos = event->position().toPoint();
    const QModelIndex target = indexAt(pos);
    if (target.isValid()) {
        const QRect rect = visualRect(target);
        const bool lower = pos.y() > rect.y() + rect.height() / 2 && pos.y() >= rect.bottom() - rect.height() / 2;
        if (target.parent().isValid()) {
            emit SignalDrop(target.row() + (lower ? 1 : 0), target.parent().row());
        } else if (lower) {
            emit SignalDrop(isExpanded(target) ? 0 : model()->rowCount(target), target.row());
        } else if (target.row() > 0) {
            const QModelIndex previous = model()->index(target.row() - 1, 0);
            emit SignalDrop(model()->rowCount(previous), previous.row());
        }
    }
    QAbstractItemView::dropEvent(event);
}
