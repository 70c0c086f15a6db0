#include "widgets/CTreeViewModel.h"

#include <QTreeView>

namespace {
constexpr Qt::ItemFlags kItemFlags =
    Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsEnabled;
constexpr int kHeaderAlignment = Qt::AlignLeft | Qt::AlignVCenter;

int CellRole(int role)
{
    return role == Qt::EditRole ? Qt::DisplayRole : role;
}
}  // namespace

// ---------------------------------------------------------------------------------------------
// CTreeViewItem

CTreeViewItem::CTreeViewItem(CTreeViewItem* parent) : m_parent(parent), m_flags(kItemFlags) {}

CTreeViewItem::~CTreeViewItem()
{
    qDeleteAll(m_children);
}

CTreeViewItem* CTreeViewItem::Child(int row) const
{
    if (row < 0 || row >= m_children.size())
        return nullptr;
    return m_children.at(row);
}

int CTreeViewItem::ChildCount() const
{
    return static_cast<int>(m_children.size());
}

int CTreeViewItem::Row() const
{
    if (!m_parent)
        return 0;
    return static_cast<int>(m_parent->m_children.indexOf(const_cast<CTreeViewItem*>(this)));
}

int CTreeViewItem::ColumnCount() const
{
    return static_cast<int>(m_headerTexts.size());
}

QVariant CTreeViewItem::Data(int column, int role) const
{
    role = CellRole(role);
    if (column < 0 || column >= m_cells.size())
        return {};
    for (const auto& pair : m_cells.at(column))
        if (pair.first == role)
            return pair.second;
    return {};
}

bool CTreeViewItem::SetData(int column, int role, const QVariant& value)
{
    if (column < 0)
        return false;
    role = CellRole(role);
    if (column >= m_cells.size())
        m_cells.resize(column + 1);
    Cell& cell = m_cells[column];
    for (auto& pair : cell) {
        if (pair.first == role) {
            if (!(pair.second == value) || pair.second.metaType() != value.metaType())
                pair.second = value;
            return true;
        }
    }
    cell.append({role, value});
    return true;
}

QVariant CTreeViewItem::HeaderData(int section, int role) const
{
    if (section < 0 || section >= m_headerTexts.size())
        return {};
    if (role == Qt::CheckStateRole)
        return m_headerChecks.at(section);
    if (role == Qt::DisplayRole)
        return m_headerTexts.at(section);
    return {};
}

bool CTreeViewItem::SetHeaderData(int section, int role, const QVariant& value)
{
    if (section < 0 || section >= m_headerTexts.size())
        return false;
    if (role == Qt::CheckStateRole)
        m_headerChecks[section] = value;
    else
        m_headerTexts[section] = value;
    return true;
}

bool CTreeViewItem::InsertChildren(int position, int count)
{
    if (position < 0 || position > m_children.size())
        return false;
    for (int i = 0; i < count; ++i)
        m_children.insert(position, new CTreeViewItem(this));
    return true;
}

bool CTreeViewItem::InsertChildren(int position, const QList<CTreeViewItem*>& items)
{
    if (position < 0 || position > m_children.size())
        return false;
    if (position == m_children.size()) {
        for (CTreeViewItem* item : items)
            item->SetParent(this);
        m_children.append(items);
        return true;
    }
    for (int i = 0; i < items.size(); ++i) {
        items.at(i)->SetParent(this);
        m_children.insert(position + i, items.at(i));
    }
    return true;
}

bool CTreeViewItem::InsertChild(int position, CTreeViewItem* item)
{
    if (position < 0 || position > m_children.size() || !item)
        return false;
    m_children.insert(position, item);
    return true;
}

bool CTreeViewItem::RemoveChildren(int position, int count)
{
    if (position < 0 || count < 0 || position + count > m_children.size())
        return false;
    for (int i = 0; i < count; ++i)
        delete m_children.takeAt(position);
    return true;
}

bool CTreeViewItem::InsertColumns(int position, int count)
{
    if (position < 0 || position > m_headerTexts.size() || count < 0)
        return false;
    m_headerTexts.insert(position, count, QVariant());
    m_headerChecks.insert(position, count, QVariant());
    for (CTreeViewItem* child : m_children)
        child->InsertColumns(position, count);
    return true;
}

bool CTreeViewItem::RemoveColumns(int position, int count)
{
    if (position < 0 || count < 0 || position + count > m_headerTexts.size())
        return false;
    m_headerTexts.remove(position, count);
    m_headerChecks.remove(position, count);
    for (CTreeViewItem* child : m_children)
        child->RemoveColumns(position, count);
    return true;
}

// ---------------------------------------------------------------------------------------------
// CTreeViewModel

CTreeViewModel::CTreeViewModel(QObject* parent) : QAbstractItemModel(parent), m_root(new CTreeViewItem(nullptr))
{
    m_root->SetFlags(Qt::ItemIsDropEnabled);
}

CTreeViewModel::~CTreeViewModel()
{
    delete m_root;
}

CTreeViewItem* CTreeViewModel::ItemFromIndex(const QModelIndex& index) const
{
    if (index.isValid() && index.internalPointer())
        return static_cast<CTreeViewItem*>(index.internalPointer());
    return m_root;
}

QModelIndex CTreeViewModel::index(int row, int column, const QModelIndex& parent) const
{
    if (parent.isValid() && parent.column() != 0)
        return {};
    if (row < 0 || column < 0)
        return {};
    CTreeViewItem* child = ItemFromIndex(parent)->Child(row);
    if (!child)
        return {};
    return createIndex(row, column, child);
}

QModelIndex CTreeViewModel::parent(const QModelIndex& index) const
{
    if (!index.isValid())
        return {};
    CTreeViewItem* parentItem = ItemFromIndex(index)->Parent();
    if (!parentItem || parentItem == m_root)
        return {};
    return createIndex(parentItem->Row(), 0, parentItem);
}

int CTreeViewModel::rowCount(const QModelIndex& parent) const
{
    // Only column 0 has children: index() refuses any other parent column.
    if (parent.isValid() && parent.column() > 0)
        return 0;
    return ItemFromIndex(parent)->ChildCount();
}

int CTreeViewModel::columnCount(const QModelIndex&) const
{
    return m_root->ColumnCount();
}

QVariant CTreeViewModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    return ItemFromIndex(index)->Data(index.column(), role);
}

bool CTreeViewModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid())
        return false;
    const bool result = ItemFromIndex(index)->SetData(index.column(), role, value);
    if (result)
        emit dataChanged(index, index);
    return result;
}

QVariant CTreeViewModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role == Qt::TextAlignmentRole)
        return kHeaderAlignment;
    if (orientation == Qt::Horizontal)
        return m_root->HeaderData(section, role);
    return {};
}

bool CTreeViewModel::setHeaderData(int section, Qt::Orientation orientation, const QVariant& value, int role)
{
    const bool result = m_root->SetHeaderData(section, role, value);
    if (result)
        emit headerDataChanged(orientation, section, section);
    return result;
}

void CTreeViewModel::ExpandInView(int row, const QModelIndex& parent)
{
    auto* view = qobject_cast<QTreeView*>(QObject::parent());
    if (view && view->model() == this)
        view->setExpanded(index(row, 0, parent), true);
}

bool CTreeViewModel::insertRows(int position, int count, const QModelIndex& parent)
{
    CTreeViewItem* item = ItemFromIndex(parent);
    if (count < 1 || position < 0 || position > item->ChildCount())
        return false;
    beginInsertRows(parent, position, position + count - 1);
    const bool result = item->InsertChildren(position, count);
    endInsertRows();
    ExpandInView(position, parent);
    return result;
}

bool CTreeViewModel::insertColumns(int position, int count, const QModelIndex&)
{
    if (count < 1 || position < 0 || position > m_root->ColumnCount())
        return false;
    beginInsertColumns(QModelIndex(), position, position + count - 1);
    const bool result = m_root->InsertColumns(position, count);
    endInsertColumns();
    return result;
}

bool CTreeViewModel::removeRows(int position, int count, const QModelIndex& parent)
{
    CTreeViewItem* item = ItemFromIndex(parent);
    if (count < 1 || position < 0 || position + count > item->ChildCount())
        return false;
    beginRemoveRows(parent, position, position + count - 1);
    const bool result = item->RemoveChildren(position, count);
    endRemoveRows();
    return result;
}

bool CTreeViewModel::removeColumns(int position, int count, const QModelIndex&)
{
    if (count < 1 || position < 0 || position + count > m_root->ColumnCount())
        return false;
    beginRemoveColumns(QModelIndex(), position, position + count - 1);
    const bool result = m_root->RemoveColumns(position, count);
    endRemoveColumns();
    if (m_root->ColumnCount() == 0)
        removeRows(0, m_root->ChildCount());
    return result;
}

Qt::ItemFlags CTreeViewModel::flags(const QModelIndex& index) const
{
    return ItemFromIndex(index)->Flags();
}

bool CTreeViewModel::InsertItems(int row, const QList<CTreeViewItem*>& items, const QModelIndex& parent)
{
    CTreeViewItem* item = ItemFromIndex(parent);
    if (items.isEmpty() || row < 0 || row > item->ChildCount())
        return false;
    beginInsertRows(parent, row, row + static_cast<int>(items.size()) - 1);
    const bool result = item->InsertChildren(row, items);
    endInsertRows();
    return result;
}

bool CTreeViewModel::InsertItem(CTreeViewItem* newItem, int row, const QModelIndex& parent)
{
    CTreeViewItem* item = ItemFromIndex(parent);
    if (!newItem || row < 0 || row > item->ChildCount())
        return false;
    beginInsertRows(parent, row, row);
    newItem->SetParent(item);
    const bool result = item->InsertChild(row, newItem);
    endInsertRows();
    ExpandInView(row, parent);
    return result;
}

void CTreeViewModel::Clear()
{
    removeRows(0, m_root->ChildCount());
    beginResetModel();
    endResetModel();
}
