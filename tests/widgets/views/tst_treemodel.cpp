// The tree item model: Qt's model tester through inserts, removals and clears; the role and
// header tables; ownership of items.
#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>
#include <QTreeView>

#include "widgets/CTreeViewModel.h"

namespace {

int g_liveItems = 0;

// Counts live items so that the tests see every item deleted exactly once.
class CountedItem : public CTreeViewItem {
public:
    explicit CountedItem(CTreeViewItem* parent = nullptr) : CTreeViewItem(parent) { ++g_liveItems; }
    ~CountedItem() override { --g_liveItems; }
};

// 2 groups × 3 children, 2 columns, texts and check states.
void Fill(CTreeViewModel& model)
{
    model.insertColumns(0, 2);
    model.setHeaderData(0, Qt::Horizontal, "Name");
    model.setHeaderData(1, Qt::Horizontal, "Size");
    QList<CTreeViewItem*> groups;
    for (int g = 0; g < 2; ++g) {
        auto* group = new CountedItem;
        group->SetData(0, Qt::DisplayRole, QString("group %1").arg(g));
        group->SetData(0, Qt::CheckStateRole, 0);
        QList<CTreeViewItem*> children;
        for (int c = 0; c < 3; ++c) {
            auto* child = new CountedItem;
            child->SetData(0, Qt::DisplayRole, QString("ch %1").arg(c));
            child->SetData(1, Qt::DisplayRole, QString::number(c * 10));
            child->SetData(0, Qt::CheckStateRole, 2);
            children << child;
        }
        group->InsertChildren(0, children);
        groups << group;
    }
    QVERIFY(model.InsertItems(0, groups));
}

}  // namespace

class TestTreeModel : public QObject {
    Q_OBJECT

private slots:
    void modelTesterThroughChanges()
    {
        CTreeViewModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        Fill(model);
        QCOMPARE(model.rowCount(), 2);
        QCOMPARE(model.rowCount(model.index(0, 0)), 3);
        // A parent in column 1 has no children: index() refuses it, so rowCount must agree.
        QCOMPARE(model.rowCount(model.index(0, 1)), 0);
        QVERIFY(!model.index(0, 0, model.index(0, 1)).isValid());
        QVERIFY(model.insertRows(1, 2, model.index(0, 0)));
        QVERIFY(model.setData(model.index(1, 0, model.index(0, 0)), "new"));
        QVERIFY(model.removeRows(0, 2, model.index(1, 0)));
        QVERIFY(model.insertColumns(2, 1));
        QVERIFY(model.removeColumns(0, 1));
        QVERIFY(!model.removeRows(0, 0));
        model.Clear();
        QCOMPARE(model.rowCount(), 0);
        Fill(model);
        QVERIFY(model.removeColumns(0, model.columnCount()));
        QCOMPARE(model.rowCount(), 0);  // removing every column removes every row
    }

    void parentsAndIndexes()
    {
        CTreeViewModel model;
        Fill(model);
        const QModelIndex group = model.index(1, 0);
        const QModelIndex child = model.index(2, 1, group);
        QVERIFY(!model.parent(group).isValid());
        QCOMPARE(model.parent(child), group);
        QVERIFY(!model.index(2, 0).isValid());
        QVERIFY(!model.index(-1, 0).isValid());
        QCOMPARE(model.flags(QModelIndex()), Qt::ItemIsDropEnabled);
        QCOMPARE(int(model.flags(child)), 0x3D);
    }

    void cellRoles()
    {
        CTreeViewModel model;
        model.insertColumns(0, 1);
        QVERIFY(model.insertRows(0, 1));
        const QModelIndex cell = model.index(0, 0);
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);

        QVERIFY(model.setData(cell, "shown", Qt::DisplayRole));
        QCOMPARE(cell.data(Qt::EditRole).toString(), QString("shown"));
        QVERIFY(model.setData(cell, "edited", Qt::EditRole));
        QCOMPARE(cell.data(Qt::DisplayRole).toString(), QString("edited"));
        QVERIFY(!cell.data(Qt::ToolTipRole).isValid());
        QVERIFY(!model.index(0, 1).data().isValid());             // a column never set
        QVERIFY(model.setData(cell, "edited", Qt::DisplayRole));  // unchanged: still announced
        QCOMPARE(changed.count(), 3);
        QVERIFY(!model.setData(QModelIndex(), 1, Qt::CheckStateRole));
        QCOMPARE(changed.count(), 3);

        CTreeViewItem* item = model.ItemFromIndex(cell);
        QVERIFY(item->SetData(11, 132, QStringList{"a"}));
        QCOMPARE(item->CellColumnCount(), 12);
        QVERIFY(!item->Data(5, 132).isValid());
        QCOMPARE(model.index(0, 11).data(132).toStringList(), QStringList{"a"});
    }

    void headerTable_data()
    {
        QTest::addColumn<int>("section");
        QTest::addColumn<int>("orientation");
        QTest::addColumn<int>("role");
        QTest::addColumn<QVariant>("expected");
        QTest::newRow("vertical display") << 0 << int(Qt::Vertical) << 0 << QVariant();
        QTest::newRow("alignment horizontal") << 0 << int(Qt::Horizontal) << 7 << QVariant(0x81);
        QTest::newRow("alignment vertical, no section") << 9 << int(Qt::Vertical) << 7 << QVariant(0x81);
        QTest::newRow("display") << 1 << int(Qt::Horizontal) << 0 << QVariant("Size");
        QTest::newRow("edit role reads nothing") << 1 << int(Qt::Horizontal) << 2 << QVariant();
        QTest::newRow("check state") << 0 << int(Qt::Horizontal) << 10 << QVariant(2);
        QTest::newRow("beyond the columns") << 2 << int(Qt::Horizontal) << 0 << QVariant();
    }

    void headerTable()
    {
        QFETCH(int, section);
        QFETCH(int, orientation);
        QFETCH(int, role);
        QFETCH(QVariant, expected);
        CTreeViewModel model;
        model.insertColumns(0, 2);
        QVERIFY(model.setHeaderData(1, Qt::Horizontal, "Size", Qt::EditRole));  // stored as the text
        QVERIFY(model.setHeaderData(0, Qt::Horizontal, 2, Qt::CheckStateRole));
        QCOMPARE(model.headerData(section, Qt::Orientation(orientation), role), expected);
    }

    void headerBeyondColumnsIsRefused()
    {
        CTreeViewModel model;
        model.insertColumns(0, 2);
        QSignalSpy spy(&model, &QAbstractItemModel::headerDataChanged);
        QVERIFY(!model.setHeaderData(2, Qt::Horizontal, "x"));
        QCOMPARE(spy.count(), 0);
        QVERIFY(model.setHeaderData(1, Qt::Horizontal, "x"));
        QCOMPARE(spy.count(), 1);
    }

    void insertRowsExpandsFirstNewRowInItsView()
    {
        QTreeView view;
        auto* model = new CTreeViewModel(&view);
        view.setModel(model);
        model->insertColumns(0, 1);
        QVERIFY(model->insertRows(0, 1));
        const QModelIndex parent = model->index(0, 0);
        QVERIFY(model->insertRows(0, 2, parent));
        QVERIFY(model->insertRows(2, 3, parent));
        QCOMPARE(model->rowCount(parent), 5);
        QVERIFY(view.isExpanded(model->index(2, 0, parent)));
        QVERIFY(view.isExpanded(parent));

        // A model whose parent is not a view still works.
        QObject owner;
        CTreeViewModel loose(&owner);
        loose.insertColumns(0, 1);
        QVERIFY(loose.insertRows(0, 2));
    }

    void itemsAreOwnedAndDeletedOnce()
    {
        g_liveItems = 0;
        {
            CTreeViewModel model;
            Fill(model);
            QCOMPARE(g_liveItems, 8);
            QCOMPARE(model.ItemFromIndex(model.index(0, 0, model.index(1, 0)))->Parent(),
                     model.ItemFromIndex(model.index(1, 0)));
            QVERIFY(model.removeRows(0, 1));
            QCOMPARE(g_liveItems, 4);
            auto* single = new CountedItem;
            QVERIFY(model.InsertItem(single, 1));
            QCOMPARE(model.ItemFromIndex(model.index(1, 0)), single);
            QCOMPARE(single->Row(), 1);
            model.Clear();
            QCOMPARE(g_liveItems, 0);
            Fill(model);
        }
        QCOMPARE(g_liveItems, 0);
        CountedItem orphan;
        CTreeViewItem stranger;
        QCOMPARE(orphan.Row(), 0);
        orphan.SetParent(&stranger);
        QCOMPARE(orphan.Row(), -1);
    }

    void itemColumnsAndChildrenTable()
    {
        CTreeViewItem item;
        QVERIFY(!item.InsertChildren(1, 1));
        QVERIFY(item.InsertChildren(0, 2));
        QVERIFY(item.InsertColumns(0, 3));
        QCOMPARE(item.Child(1)->ColumnCount(), 3);
        QVERIFY(!item.RemoveColumns(2, 2));
        QVERIFY(item.RemoveColumns(1, 2));
        QCOMPARE(item.Child(0)->ColumnCount(), 1);
        QVERIFY(!item.RemoveChildren(1, 2));
        QVERIFY(item.RemoveChildren(0, 2));
        QVERIFY(!item.Child(0));
        QVERIFY(!item.Child(-1));
        QVERIFY(!item.SetHeaderData(-1, 0, "x"));
        QVERIFY(!item.HeaderData(0, Qt::ToolTipRole).isValid());
    }
};

QTEST_MAIN(TestTreeModel)
#include "tst_treemodel.moc"
