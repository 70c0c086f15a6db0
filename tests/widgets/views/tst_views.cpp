// The check-box header, the table view, the tree view's check propagation and fold area, and
// the delegates' sizes and editors.
#include <QApplication>
#include <QPainter>
#include <QPointer>

#include <functional>
#include <memory>
#include <QComboBox>
#include <QDateEdit>
#include <QDateTimeEdit>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTest>

#include "widgets/CDateEdit.h"
#include "widgets/CHeaderView.h"
#include "widgets/CItemDelegates.h"
#include "widgets/CTableView.h"
#include "widgets/CTreeView.h"
#include "widgets/CTreeViewModel.h"
#include "widgets/ItemRoles.h"

namespace {

CTreeViewItem* Row(const QString& text, QVariant check = {})
{
    auto* item = new CTreeViewItem;
    item->SetData(0, Qt::DisplayRole, text);
    if (check.isValid())
        item->SetData(0, Qt::CheckStateRole, check);
    return item;
}

int HeaderBox(const QAbstractItemModel* model)
{
    return model->headerData(0, Qt::Horizontal, Qt::CheckStateRole).toInt();
}

void Click(QWidget* target, Qt::MouseButton button, const QPoint& at)
{
    QTest::mousePress(target, button, Qt::NoModifier, at);
    QTest::mouseRelease(target, button, Qt::NoModifier, at);
}

// A tree over a CTreeViewModel: state strings list rows depth first, e.g. "G:0 a:0 b:0".
struct TreeFixture {
    CTreeView view;
    CTreeViewModel* model = nullptr;
    int changes = 0;

    // groups: list of (name, state, children (name, state, grandchildren states))
    TreeFixture()
    {
        model = view.OwnModel();
        model->insertColumns(0, 2);
        QObject::connect(model, &QAbstractItemModel::dataChanged, [this] { ++changes; });
    }
    QModelIndex Add(const QString& name, QVariant check, const QModelIndex& parent = {})
    {
        auto* item = Row(name, check);
        const int row = model->rowCount(parent);
        model->InsertItems(row, {item}, parent);
        return model->index(row, 0, parent);
    }
    QString States() const
    {
        QStringList out;
        std::function<void(const QModelIndex&)> walk = [&](const QModelIndex& parent) {
            for (int r = 0; r < model->rowCount(parent); ++r) {
                const QModelIndex i = model->index(r, 0, parent);
                const QVariant s = i.data(Qt::CheckStateRole);
                out << i.data().toString() + ":" + (s.isValid() ? s.toString() : "-");
                walk(i);
            }
        };
        walk(QModelIndex());
        return out.join(' ');
    }
    void Set(const QString& path, int state)
    {
        QModelIndex at;
        for (const QString& part : path.split('/')) {
            const QModelIndex parent = at;
            at = QModelIndex();
            for (int r = 0; r < model->rowCount(parent); ++r)
                if (model->index(r, 0, parent).data().toString() == part)
                    at = model->index(r, 0, parent);
        }
        QVERIFY2(at.isValid(), qPrintable(path));
        model->setData(at, state, Qt::CheckStateRole);
    }
};

}  // namespace

class TestViews : public QObject {
    Q_OBJECT

private slots:
    // ---- header box -----------------------------------------------------------------------
    void headerRecompute_data()
    {
        QTest::addColumn<QVariantList>("rows");
        QTest::addColumn<int>("box");
        QTest::newRow("checked, checked") << QVariantList{2, 2} << 2;
        QTest::newRow("checked, unchecked") << QVariantList{2, 0} << 1;
        QTest::newRow("unchecked, partly") << QVariantList{0, 1} << 0;
        QTest::newRow("no rows") << QVariantList{} << 2;
    }

    void headerRecompute()
    {
        QFETCH(QVariantList, rows);
        QFETCH(int, box);
        CTableView view;
        view.SetHeaderLabels({"Name", "Size"});
        auto* model = view.OwnModel();
        model->setHeaderData(0, Qt::Horizontal, 1, Qt::CheckStateRole);
        QList<CTreeViewItem*> items;
        for (const QVariant& state : rows) {
            auto* item = Row("r", state);
            auto* child = Row("child", 0);  // rows below the top level are not counted
            item->InsertChildren(0, QList<CTreeViewItem*>{child});
            items << item;
        }
        view.AppendRow(items);
        auto* header = static_cast<CHeaderView*>(view.header());
        header->OnDataChanged(QModelIndex());
        QCOMPARE(HeaderBox(model), box);
    }

    void headerBoxClicks()
    {
        CTableView view;
        view.resize(400, 300);
        view.SetHeaderLabels({"Name", "Size"});
        auto* model = view.OwnModel();
        model->setHeaderData(0, Qt::Horizontal, 0, Qt::CheckStateRole);
        auto* group = Row("g", 2);
        group->InsertChildren(0, QList<CTreeViewItem*>{Row("child", 0)});
        view.AppendRow({group, Row("b", 0)});
        QCOMPARE(HeaderBox(model), 0);  // appending announces no data change
        model->setData(model->index(1, 0), 0, Qt::CheckStateRole);
        QCOMPARE(HeaderBox(model), 1);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        auto* header = static_cast<CHeaderView*>(view.header());
        header->grab();
        const QRect box = header->CheckBoxRect();
        QCOMPARE(box.size(), QSize(16, 16));
        QCOMPARE(box.x(), view.indentation() + 3);

        QSignalSpy changed(model, &QAbstractItemModel::dataChanged);
        Click(header->viewport(), Qt::RightButton, box.center());  // only the left button
        QCOMPARE(changed.count(), 0);
        QCOMPARE(HeaderBox(model), 1);
        // A press outside and a release inside toggles nothing.
        QTest::mousePress(header->viewport(), Qt::LeftButton, Qt::NoModifier, box.center() + QPoint(60, 0));
        QTest::mouseRelease(header->viewport(), Qt::LeftButton, Qt::NoModifier, box.center());
        QCOMPARE(changed.count(), 0);

        Click(header->viewport(), Qt::LeftButton, box.center());
        QCOMPARE(HeaderBox(model), 2);
        QCOMPARE(model->index(0, 0).data(Qt::CheckStateRole).toInt(), 2);
        QCOMPARE(model->index(1, 0).data(Qt::CheckStateRole).toInt(), 2);
        Click(header->viewport(), Qt::LeftButton, box.center());
        QCOMPARE(HeaderBox(model), 0);
        QCOMPARE(model->index(1, 0).data(Qt::CheckStateRole).toInt(), 0);
        // A table view: the child row is not touched by the box.
        QCOMPARE(model->index(0, 0, model->index(0, 0)).data(Qt::CheckStateRole).toInt(), 0);

        header->setSectionsClickable(false);
        changed.clear();
        Click(header->viewport(), Qt::LeftButton, box.center());
        QCOMPARE(changed.count(), 0);
    }

    void headerFollowsOneModel()
    {
        CTableView view;
        auto* header = static_cast<CHeaderView*>(view.header());
        CTreeViewModel other;
        other.insertColumns(0, 1);
        other.setHeaderData(0, Qt::Horizontal, 0, Qt::CheckStateRole);
        other.InsertItems(0, {Row("a", 2)});
        QSignalSpy headerChanged(&other, &QAbstractItemModel::headerDataChanged);
        view.setModel(&other);
        header->setModel(&other);
        other.setData(other.index(0, 0), 2, Qt::CheckStateRole);
        QCOMPARE(headerChanged.count(), 1);  // one recompute for one change
        QCOMPARE(HeaderBox(&other), 2);
    }

    // ---- table view -----------------------------------------------------------------------
    void appendRowAnnouncesRanges()
    {
        CTableView view;
        view.SetHeaderLabels({"A"});
        QSignalSpy inserted(view.model(), &QAbstractItemModel::rowsInserted);
        view.AppendRow({});
        QCOMPARE(inserted.count(), 0);
        view.AppendRow({Row("1"), Row("2"), Row("3")});
        view.AppendRow({Row("4"), Row("5")});
        QCOMPARE(inserted.count(), 2);
        QCOMPARE(inserted.at(0).at(1).toInt(), 0);
        QCOMPARE(inserted.at(0).at(2).toInt(), 2);
        QCOMPARE(inserted.at(1).at(1).toInt(), 3);
        QCOMPARE(inserted.at(1).at(2).toInt(), 4);
        QCOMPARE(view.RowCount(), 5);
        QCOMPARE(view.model()->index(4, 0).data().toString(), QString("5"));
    }

    void setHeaderLabelsInsertsBeforeOldColumns()
    {
        CTableView view;
        view.SetHeaderLabels({"A", "B"});
        view.SetHeaderLabels({"C"});
        QCOMPARE(view.model()->columnCount(), 3);
        QCOMPARE(view.model()->headerData(0, Qt::Horizontal).toString(), QString("C"));
        QCOMPARE(view.model()->headerData(2, Qt::Horizontal).toString(), QString("B"));
    }

    void buttonCellSignals_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("releaseRow");  // -1: below every row
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("left, same cell") << int(Qt::LeftButton) << 0
                                         << QStringList{"pressed 0", "clicked 0", "release 0"};
        QTest::newRow("left, other cell") << int(Qt::LeftButton) << 1 << QStringList{"pressed 0", "release 1"};
        QTest::newRow("right") << int(Qt::RightButton) << 0 << QStringList{"release 0"};
        QTest::newRow("left, outside") << int(Qt::LeftButton) << -1 << QStringList{"pressed 0"};
    }

    void buttonCellSignals()
    {
        QFETCH(int, button);
        QFETCH(int, releaseRow);
        QFETCH(QStringList, expected);
        CTableView view;
        view.resize(300, 300);
        view.SetHeaderLabels({"A"});
        auto* button0 = Row("b0");
        button0->SetData(0, ItemRoles::kIconCell, true);
        auto* button1 = Row("b1");
        button1->SetData(0, ItemRoles::kIconCell, true);
        view.AppendRow({button0, button1});
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QStringList log;
        connect(&view, &CTableView::PressedBtn,
                [&](const QModelIndex& i) { log << QString("pressed %1").arg(i.row()); });
        connect(&view, &CTableView::ClickedBtn,
                [&](const QModelIndex& i) { log << QString("clicked %1").arg(i.row()); });
        connect(&view, &CTableView::SignalClickRelease,
                [&](const QModelIndex& i) { log << QString("release %1").arg(i.row()); });
        const QPoint pressAt = view.visualRect(view.model()->index(0, 0)).center();
        const QPoint releaseAt = releaseRow >= 0 ? view.visualRect(view.model()->index(releaseRow, 0)).center()
                                                 : QPoint(10, view.viewport()->height() - 5);
        QTest::mousePress(view.viewport(), Qt::MouseButton(button), Qt::NoModifier, pressAt);
        QTest::mouseRelease(view.viewport(), Qt::MouseButton(button), Qt::NoModifier, releaseAt);
        QCOMPARE(log, expected);
    }

    void setModelHandsOverOwnership()
    {
        QPointer<CTreeViewModel> own;
        CStandardItemModel other;
        other.appendRow(new QStandardItem("x"));
        {
            CTableView view;
            own = view.OwnModel();
            QVERIFY(own);
            QSignalSpy current(&view, &CTableView::currentItemChanged);
            view.setModel(&other);
            QVERIFY(!own);  // the view's own model is gone
            view.ClearAll();
            QCOMPARE(other.rowCount(), 1);            // ClearAll leaves another model alone
            view.setCurrentIndex(other.index(0, 0));  // the relay follows the new selection model
            QCOMPARE(current.count(), 1);
        }
        QCOMPARE(other.rowCount(), 1);  // the view leaves `other` alive
    }

    void clearAllResetsOwnModel()
    {
        CTableView view;
        view.SetHeaderLabels({"A"});
        view.AppendRow({Row("1"), Row("2")});
        QSignalSpy reset(view.model(), &QAbstractItemModel::modelReset);
        view.ClearAll();
        QCOMPARE(view.RowCount(), 0);
        QCOMPARE(reset.count(), 1);
    }

    void delegatesBelongToTheirView()
    {
        QPointer<QAbstractItemDelegate> delegate;
        {
            CTableView view;
            delegate = view.itemDelegate();
            QVERIFY(qobject_cast<CTableDelegate*>(delegate));
            QCOMPARE(delegate->parent(), &view);
        }
        QVERIFY(!delegate);
    }

    void rowLineDrawnOnlyWhenAsked()
    {
        CTableView view;
        view.setStyleSheet("QTreeView{background:black; border:none;} QTreeView::item{color:black;}");
        view.resize(200, 100);
        view.SetHeaderLabels({"A"});
        view.AppendRow({Row("")});
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        const QRect r = view.visualRect(view.model()->index(0, 0));
        QImage withLine = view.viewport()->grab().toImage();
        QCOMPARE(QColor(withLine.pixel(r.center().x(), r.bottom())), QColor(229, 229, 229));
        view.SetDrawRowLine(false);
        QImage without = view.viewport()->grab().toImage();
        QVERIFY(QColor(without.pixel(r.center().x(), r.bottom())) != QColor(229, 229, 229));
    }

    // ---- tree view: check propagation ---------------------------------------------------------
    void propagation_data()
    {
        QTest::addColumn<QString>("start");      // ignored: the fixture is built from `setup`
        QTest::addColumn<QStringList>("setup");  // "path=state" applied before counting
        QTest::addColumn<QString>("change");
        QTest::addColumn<int>("state");
        QTest::addColumn<QString>("end");
        QTest::addColumn<int>("maxChanges");

        QTest::newRow("check one child: group partly")
            << "" << QStringList{} << "G/c1" << 2 << "G:1 c1:2 c2:0 c3:0 H:0 m:0 x:0 y:0" << 3;
        QTest::newRow("check the last child: group checked")
            << "" << QStringList{"G/c1=2", "G/c2=2"} << "G/c3" << 2 << "G:2 c1:2 c2:2 c3:2 H:0 m:0 x:0 y:0" << 3;
        QTest::newRow("uncheck the group: children unchecked")
            << "" << QStringList{"G=2"} << "G" << 0 << "G:0 c1:0 c2:0 c3:0 H:0 m:0 x:0 y:0" << 8;
        QTest::newRow("uncheck a child of a checked group")
            << "" << QStringList{"G=2"} << "G/c2" << 0 << "G:1 c1:2 c2:0 c3:2 H:0 m:0 x:0 y:0" << 3;
        QTest::newRow("uncheck the last checked child: group unchecked")
            << "" << QStringList{"G/c1=2"} << "G/c1" << 0 << "G:0 c1:0 c2:0 c3:0 H:0 m:0 x:0 y:0" << 3;
        QTest::newRow("check a three-level group: all below checked")
            << "" << QStringList{} << "H" << 2 << "G:0 c1:0 c2:0 c3:0 H:2 m:2 x:2 y:2" << 8;
        QTest::newRow("check a leaf of three levels: partly stops in the middle")
            << "" << QStringList{} << "H/m/x" << 2 << "G:0 c1:0 c2:0 c3:0 H:0 m:1 x:2 y:0" << 2;
        QTest::newRow("check the other leaf: middle and top follow")
            << "" << QStringList{"H/m/x=2"} << "H/m/y" << 2 << "G:0 c1:0 c2:0 c3:0 H:2 m:2 x:2 y:2" << 8;
        QTest::newRow("partly changes nothing")
            << "" << QStringList{} << "G/c1" << 1 << "G:0 c1:1 c2:0 c3:0 H:0 m:0 x:0 y:0" << 1;
    }

    void propagation()
    {
        QFETCH(QStringList, setup);
        QFETCH(QString, change);
        QFETCH(int, state);
        QFETCH(QString, end);
        QFETCH(int, maxChanges);
        TreeFixture f;
        const QModelIndex g = f.Add("G", 0);
        f.Add("c1", 0, g);
        f.Add("c2", 0, g);
        f.Add("c3", 0, g);
        const QModelIndex h = f.Add("H", 0);
        const QModelIndex m = f.Add("m", 0, h);
        f.Add("x", 0, m);
        f.Add("y", 0, m);
        for (const QString& s : setup)
            f.Set(s.section('=', 0, 0), s.section('=', 1).toInt());
        f.changes = 0;
        f.Set(change, state);
        QCOMPARE(f.States(), end);
        QVERIFY2(f.changes <= maxChanges, qPrintable(QString::number(f.changes)));
    }

    void propagationEdges()
    {
        TreeFixture f;
        const QModelIndex g = f.Add("G", QVariant());  // a group without a check state
        const QModelIndex c = f.Add("c", 0, g);
        f.Add("k", 2, c);
        f.Add("d", 0, g);
        f.changes = 0;
        f.Set("G/c", 2);  // nothing else changes
        QCOMPARE(f.States(), QString("G:- c:2 k:2 d:0"));
        QCOMPARE(f.changes, 1);
        f.Set("G/c", 0);  // unchecks its own children
        QCOMPARE(f.States(), QString("G:- c:0 k:0 d:0"));
        // Column 1 and rows without a check state start nothing.
        f.changes = 0;
        f.model->setData(f.model->index(0, 1, g), 2, Qt::CheckStateRole);
        f.model->setData(g, "G", Qt::DisplayRole);
        QCOMPARE(f.changes, 2);
        QCOMPARE(f.States(), QString("G:- c:0 k:0 d:0"));
    }

    void propagationFollowsOnlyTheShownModel()
    {
        CTreeView view;
        QPointer<CTreeViewModel> first = view.OwnModel();
        CTreeViewModel second;
        second.insertColumns(0, 1);
        second.InsertItems(0, {Row("G", 0)});
        second.InsertItems(0, {Row("a", 0), Row("b", 0)}, second.index(0, 0));
        view.setModel(&second);
        QVERIFY(!first);
        CTreeViewModel stray(&view);
        stray.insertColumns(0, 1);
        stray.InsertItems(0, {Row("G", 0)});
        stray.InsertItems(0, {Row("a", 0)}, stray.index(0, 0));
        stray.setData(stray.index(0, 0, stray.index(0, 0)), 2, Qt::CheckStateRole);
        QCOMPARE(second.index(0, 0).data(Qt::CheckStateRole).toInt(), 0);  // the other model is left alone
        second.setData(second.index(0, 0, second.index(0, 0)), 2, Qt::CheckStateRole);
        QCOMPARE(second.index(0, 0).data(Qt::CheckStateRole).toInt(), 1);
    }

    void foldArea()
    {
        CTreeView view;
        view.resize(300, 200);
        auto* model = view.OwnModel();
        model->insertColumns(0, 1);
        model->InsertItems(0, {Row("G", 0)});
        model->InsertItems(0, {Row("a", 0)}, model->index(0, 0));
        view.collapseAll();
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        const QModelIndex g = model->index(0, 0);
        view.setCurrentIndex(g);
        const QRect r = view.visualRect(g);
        QCOMPARE(CTreeView::FoldArea(QRect(0, 0, 100, 26)), QRect(78, 0, 20, 26));
        Click(view.viewport(), Qt::LeftButton, QPoint(r.right() - 1, r.center().y()));
        QVERIFY(!view.isExpanded(g));
        Click(view.viewport(), Qt::LeftButton, QPoint(r.right() - 2, r.center().y()));
        QVERIFY(view.isExpanded(g));
        Click(view.viewport(), Qt::LeftButton, QPoint(r.right() - 21, r.center().y()));
        QVERIFY(!view.isExpanded(g));
    }

    // ---- delegates --------------------------------------------------------------------------
    void rowHeightIs26ForAnyFont()
    {
        CTableView view;
        view.SetHeaderLabels({"A"});
        view.AppendRow({Row("text")});
        for (int pt : {6, 9, 24}) {
            QFont font = view.font();
            font.setPointSize(pt);
            view.setFont(font);
            QStyleOptionViewItem option;
            option.initFrom(&view);
            QCOMPARE(view.itemDelegate()->sizeHint(option, view.model()->index(0, 0)).height(), 26);
        }
    }

    void comboEditorRoundTrip()
    {
        CTableView view;
        view.SetHeaderLabels({"A"});
        auto* item = Row("Custom");
        item->SetData(0, ItemRoles::kChoices, QStringList{"One", "Two"});
        view.AppendRow({item});
        const QModelIndex cell = view.model()->index(0, 0);
        auto* delegate = view.itemDelegate();
        QStyleOptionViewItem option;
        option.rect = QRect(0, 0, 120, 26);
        std::unique_ptr<QWidget> editor(delegate->createEditor(view.viewport(), option, cell));
        auto* box = qobject_cast<QComboBox*>(editor.get());
        QVERIFY(box);
        QCOMPARE(box->count(), 3);
        QCOMPARE(box->currentText(), QString("Custom"));
        QCOMPARE(cell.data(ItemRoles::kChoices).toStringList(), (QStringList{"One", "Two", "Custom"}));
        QCOMPARE(box->size(), QSize(120, 26));
        box->setCurrentIndex(2);
        view.model()->setData(cell, "Two", Qt::DisplayRole);
        delegate->setEditorData(box, cell);
        QCOMPARE(box->currentIndex(), 1);
        box->setCurrentIndex(2);
        delegate->setModelData(box, view.model(), cell);
        QCOMPARE(cell.data(ItemRoles::kChosenIndex).toInt(), 2);
        QCOMPARE(cell.data().toString(), QString("Custom"));
    }

    void dateEditorsRoundTrip()
    {
        CTableView view;
        view.SetHeaderLabels({"A", "B"});
        auto* item = Row("");
        item->SetData(0, ItemRoles::kDate, QDate(2020, 1, 1));
        item->SetData(1, ItemRoles::kDateTime, QDateTime(QDate(2021, 6, 7), QTime(8, 9, 10)));
        view.AppendRow({item});
        auto* delegate = view.itemDelegate();
        QStyleOptionViewItem option;

        const QModelIndex dateCell = view.model()->index(0, 0);
        std::unique_ptr<QWidget> dateEditor(delegate->createEditor(view.viewport(), option, dateCell));
        auto* dateEdit = qobject_cast<CDateEdit*>(dateEditor.get());
        QVERIFY(dateEdit);
        QCOMPARE(dateEdit->displayFormat(), QString("yyyy-MM-dd"));
        QCOMPARE(dateEdit->date(), QDate(2020, 1, 1));
        dateEdit->setDate(QDate(2024, 3, 5));
        delegate->setModelData(dateEdit, view.model(), dateCell);
        QCOMPARE(dateCell.data(ItemRoles::kDate).metaType().id(), QMetaType::QDate);
        QCOMPARE(dateCell.data(ItemRoles::kDate).toDate(), QDate(2024, 3, 5));
        QCOMPARE(dateCell.data().toString(), QString("2024-03-05"));

        const QModelIndex timeCell = view.model()->index(0, 1);
        std::unique_ptr<QWidget> timeEditor(delegate->createEditor(view.viewport(), option, timeCell));
        auto* timeEdit = qobject_cast<CDateTimeEdit*>(timeEditor.get());
        QVERIFY(timeEdit);
        QVERIFY(!qobject_cast<CDateEdit*>(timeEdit));
        delegate->setEditorData(timeEdit, timeCell);
        QCOMPARE(timeEdit->dateTime(), QDateTime(QDate(2021, 6, 7), QTime(8, 9, 10)));
        timeEdit->setDateTime(QDateTime(QDate(2022, 2, 3), QTime(4, 5, 6)));
        delegate->setModelData(timeEdit, view.model(), timeCell);
        QCOMPARE(timeCell.data(ItemRoles::kDateTime).metaType().id(), QMetaType::QDateTime);
        QCOMPARE(timeCell.data(ItemRoles::kDateTime).toDateTime(), QDateTime(QDate(2022, 2, 3), QTime(4, 5, 6)));
        QCOMPARE(timeCell.data().toString(), QString("2022-02-03"));
    }

    void iconCellPainting()
    {
        QStandardItemModel model;
        auto* item = new QStandardItem("label");
        QPixmap red(8, 8);
        red.fill(Qt::red);
        item->setIcon(QIcon(red));
        item->setData(false, ItemRoles::kIconCell);
        model.appendRow(item);
        QWidget host;
        CTableDelegate delegate(&host, nullptr);
        QStyleOptionViewItem option;
        option.rect = QRect(0, 0, 40, 20);
        option.state = QStyle::State_Enabled;
        option.decorationSize = QSize(8, 8);
        auto render = [&] {
            QImage image(40, 20, QImage::Format_ARGB32);
            image.fill(Qt::white);
            QPainter p(&image);
            delegate.paint(&p, option, model.index(0, 0));
            return image;
        };
        auto redPixels = [](const QImage& image) {
            int n = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    n += QColor(image.pixel(x, y)) == QColor(Qt::red);
            return n;
        };
        QCOMPARE(redPixels(render()), 0);  // role 134 false: background only
        item->setData(true, ItemRoles::kIconCell);
        QImage plain = render();
        QCOMPARE(QColor(plain.pixel(0, 6)), QColor(Qt::red));
        item->setData(true, ItemRoles::kIconOffset);
        QImage moved = render();
        QVERIFY(QColor(moved.pixel(0, 7)) != QColor(Qt::red));
        QCOMPARE(QColor(moved.pixel(4, 7)), QColor(Qt::red));  // 4 right, vertically centred below y 2
        QCOMPARE(redPixels(moved), 64);
    }

    void groupArrowCountsFromZero()
    {
        QCOMPARE(CTreeViewDelegate::ArrowPoint(QRect(20, 50, 200, 25), QSize(22, 22)), QPoint(178, 51));
    }
};

QTEST_MAIN(TestViews)
#include "tst_views.moc"
