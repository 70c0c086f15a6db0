#include "widgets/CTableView.h"

#include "widgets/CHeaderView.h"
#include "widgets/CItemDelegates.h"
#include "widgets/ItemRoles.h"
#include "widgets/CTreeViewModel.h"

#include <QMouseEvent>
#include <QPainter>

// ---------------------------------------------------------------------------------------------
// CStandardItemModel

CStandardItemModel::CStandardItemModel(QObject* parent) : QStandardItemModel(parent) {}
CStandardItemModel::~CStandardItemModel() = default;

bool CStandardItemModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    return QStandardItemModel::setData(index, value, role);
}

// ---------------------------------------------------------------------------------------------
// CTableView

namespace {
bool IsButtonCell(const QModelIndex& index)
{
    const QVariant v = index.data(ItemRoles::kIconCell);
    return v.isValid() && v.toBool();
}
}  // namespace

CTableView::CTableView(QWidget* parent) : QTreeView(parent)
{
    setHeader(new CHeaderView(Qt::Horizontal, this));
    setItemDelegate(new CTableDelegate(this, this));
    setAllColumnsShowFocus(true);
    setIndentation(0);
    setExpandsOnDoubleClick(false);
    setRootIsDecorated(false);
    // Every row is as high as the delegate makes it: the view need not measure rows one by one.
    setUniformRowHeights(true);
    header()->setSectionsClickable(true);
    header()->setSectionsMovable(false);
    m_ownModel = new CTreeViewModel(this);
    QTreeView::setModel(m_ownModel);
    ConnectCurrentRelay();
}

CTableView::~CTableView()
{
    delete m_ownModel.data();
}

void CTableView::ConnectCurrentRelay()
{
    if (QItemSelectionModel* sm = selectionModel())
        connect(sm, &QItemSelectionModel::currentChanged, this, &CTableView::currentItemChanged, Qt::UniqueConnection);
}

void CTableView::ReplaceDelegate(QAbstractItemDelegate* delegate)
{
    QAbstractItemDelegate* old = itemDelegate();
    setItemDelegate(delegate);
    if (old && old != delegate && old->parent() == this)
        delete old;
}

void CTableView::setModel(QAbstractItemModel* model)
{
    CTreeViewModel* own = m_ownModel;
    m_ownModel = nullptr;
    QTreeView::setModel(model);
    if (own && own != model)
        delete own;
    ConnectCurrentRelay();
    expandAll();
}

int CTableView::RowCount() const
{
    return model() ? model()->rowCount(QModelIndex()) : 0;
}

void CTableView::AppendRow(const QList<CTreeViewItem*>& rows)
{
    if (rows.isEmpty())
        return;
    auto* treeModel = qobject_cast<CTreeViewModel*>(model());
    if (!treeModel) {
        qDeleteAll(rows);
        return;
    }
    treeModel->InsertItems(RowCount(), rows, QModelIndex());
}

void CTableView::SetHeaderLabels(const QStringList& labels)
{
    QAbstractItemModel* m = model();
    if (!m)
        return;
    for (int i = 0; i < labels.size(); ++i) {
        m->insertColumn(i, QModelIndex());
        m->setHeaderData(i, Qt::Horizontal, labels.at(i), Qt::DisplayRole);
    }
}

void CTableView::ClearAll()
{
    if (auto* treeModel = qobject_cast<CTreeViewModel*>(model()))
        treeModel->Clear();
}

void CTableView::mousePressEvent(QMouseEvent* event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    m_pressedIndex = index;
    if (event->button() == Qt::LeftButton && IsButtonCell(index))
        emit PressedBtn(index);
    QTreeView::mousePressEvent(event);
}

void CTableView::mouseReleaseEvent(QMouseEvent* event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    const bool same = !index.isValid() || index == QModelIndex(m_pressedIndex);
    if (event->button() == Qt::LeftButton && same && IsButtonCell(index))
        emit ClickedBtn(index);
    QTreeView::mouseReleaseEvent(event);
    if (index.isValid())
        emit SignalClickRelease(index);
}

void CTableView::drawRow(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QTreeView::drawRow(painter, option, index);
    if (!m_drawRowLine)
        return;
    painter->save();
    painter->setPen(QColor(229, 229, 229, 255));
    painter->drawLine(option.rect.x() + 2, option.rect.bottom(), option.rect.right(), option.rect.bottom());
    painter->restore();
}

void CTableView::drawBranches(QPainter*, const QRect&, const QModelIndex&) const {}
