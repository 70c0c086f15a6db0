// The item model behind every list and tree view of the program: a tree of check-able rows,
// each keeping per column a short list of (role, value) pairs. Items are plain objects that any
// thread may build and fill; once inserted into a model only the GUI thread touches them.
#pragma once

#include <QAbstractItemModel>
#include <QList>
#include <QPair>
#include <QVariant>
#include <QVector>

class CTreeViewItem {
public:
    explicit CTreeViewItem(CTreeViewItem* parent = nullptr);
    virtual ~CTreeViewItem();

    CTreeViewItem(const CTreeViewItem&) = delete;
    CTreeViewItem& operator=(const CTreeViewItem&) = delete;

    CTreeViewItem* Child(int row) const;
    int ChildCount() const;
    // Position among the parent's children; 0 without a parent, -1 when the parent lacks it.
    int Row() const;
    int ColumnCount() const;

    // The edit role is the display role for cells.
    QVariant Data(int column, int role) const;
    bool SetData(int column, int role, const QVariant& value);
    QVariant HeaderData(int section, int role) const;
    bool SetHeaderData(int section, int role, const QVariant& value);

    bool InsertChildren(int position, int count);
    // Takes ownership of the items and makes this item their parent.
    bool InsertChildren(int position, const QList<CTreeViewItem*>& items);
    // Takes ownership; the item's parent pointer is left as it is.
    bool InsertChild(int position, CTreeViewItem* item);
    bool RemoveChildren(int position, int count);
    bool InsertColumns(int position, int count);
    bool RemoveColumns(int position, int count);

    CTreeViewItem* Parent() const { return m_parent; }
    void SetParent(CTreeViewItem* parent) { m_parent = parent; }
    Qt::ItemFlags Flags() const { return m_flags; }
    void SetFlags(Qt::ItemFlags flags) { m_flags = flags; }
    // Number of entries of the cell vector (columns that were ever set).
    int CellColumnCount() const { return static_cast<int>(m_cells.size()); }

private:
    using Cell = QList<QPair<int, QVariant>>;

    QList<CTreeViewItem*> m_children;
    QVector<QVariant> m_headerTexts;
    QVector<QVariant> m_headerChecks;
    CTreeViewItem* m_parent = nullptr;
    QVector<Cell> m_cells;
    Qt::ItemFlags m_flags;
};

class QTreeView;

class CTreeViewModel : public QAbstractItemModel {
    Q_OBJECT
public:
    // parent: the view that shows the model (or any object, or null).
    explicit CTreeViewModel(QObject* parent = nullptr);
    ~CTreeViewModel() override;

    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& index) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    bool setHeaderData(int section, Qt::Orientation orientation, const QVariant& value,
                       int role = Qt::EditRole) override;
    bool insertRows(int position, int count, const QModelIndex& parent = QModelIndex()) override;
    bool insertColumns(int position, int count, const QModelIndex& parent = QModelIndex()) override;
    bool removeRows(int position, int count, const QModelIndex& parent = QModelIndex()) override;
    bool removeColumns(int position, int count, const QModelIndex& parent = QModelIndex()) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // The item behind a valid index, else the root.
    CTreeViewItem* ItemFromIndex(const QModelIndex& index) const;
    // Inserts ready-made items (the model takes them) at row under parent; no row is expanded.
    bool InsertItems(int row, const QList<CTreeViewItem*>& items, const QModelIndex& parent = QModelIndex());
    bool InsertItem(CTreeViewItem* item, int row, const QModelIndex& parent = QModelIndex());
    // Removes every row, then resets the model.
    void Clear();

private:
    void ExpandInView(int row, const QModelIndex& parent);

    CTreeViewItem* m_root;
};
