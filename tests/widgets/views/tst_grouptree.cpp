// The group tree: the drag payload and its decoder, the drop table, the press and key rules.
#include <QApplication>
#include <QMimeData>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTest>

#include "widgets/CGroupTreeView.h"

namespace {

// `groups` groups of `streams` streams each: "g<i>" and "s<i>.<j>".
QStandardItemModel* MakeModel(QObject* parent, int groups, int streams)
{
    auto* model = new QStandardItemModel(parent);
    for (int g = 0; g < groups; ++g) {
        auto* group = new QStandardItem(QString("g%1").arg(g));
        for (int s = 0; s < streams; ++s)
            group->appendRow(new QStandardItem(QString("s%1.%2").arg(g).arg(s)));
        model->appendRow(group);
    }
    return model;
}

// A model that decodes the view's mime type itself.
class OfferingModel : public QStandardItemModel {
public:
    using QStandardItemModel::QStandardItemModel;
    QStringList mimeTypes() const override { return {"Playback/Stream"}; }
};

// Drag events reach a widget only through a running drag; the tests hand them over directly.
class Tree : public CGroupTreeView {
public:
    using CGroupTreeView::dragMoveEvent;
    using CGroupTreeView::dropEvent;
};

struct Fixture {
    Tree view;
    QStandardItemModel* model;
    explicit Fixture(int groups = 3, int streams = 4)
    {
        model = MakeModel(&view, groups, streams);
        view.setModel(model);
        view.setSelectionMode(QAbstractItemView::ExtendedSelection);
        view.resize(300, 600);
        view.show();
    }
    QModelIndex Group(int g) const { return model->index(g, 0); }
    QModelIndex Stream(int g, int s) const { return model->index(s, 0, Group(g)); }
    QPoint Upper(const QModelIndex& i) const
    {
        const QRect r = view.visualRect(i);
        return {r.center().x(), r.y() + 2};
    }
    QPoint Lower(const QModelIndex& i) const
    {
        const QRect r = view.visualRect(i);
        return {r.center().x(), r.bottom() - 1};
    }
};

QByteArray Hex(const char* hex)
{
    return QByteArray::fromHex(hex);
}

}  // namespace

class TestGroupTree : public QObject {
    Q_OBJECT

private slots:
    void payloadEncoding_data()
    {
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("second");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("group 3") << 3 << -1 << Hex("03000000");
        QTest::newRow("stream (1,2)") << 1 << 2 << Hex("0100000002000000");
        QTest::newRow("large rows") << 0x01020304 << 258 << Hex("0403020102010000");
        QTest::newRow("both -1") << -1 << -1 << QByteArray();
    }

    void payloadEncoding()
    {
        QFETCH(int, first);
        QFETCH(int, second);
        QFETCH(QByteArray, bytes);
        QCOMPARE(GroupStreamPayload::Encode(first, second), bytes);
    }

    void payloadDecoding_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("group");
        QTest::addColumn<int>("stream");
        QTest::newRow("group") << Hex("02000000") << true << 2 << -1;
        QTest::newRow("stream") << Hex("0100000003000000") << true << 1 << 3;
        QTest::newRow("empty") << QByteArray() << false << -1 << -1;
        QTest::newRow("3 bytes") << Hex("010000") << false << -1 << -1;
        QTest::newRow("12 bytes") << Hex("010000000200000003000000") << false << -1 << -1;
        QTest::newRow("negative group") << Hex("ffffffff") << false << -1 << -1;
        QTest::newRow("negative stream") << Hex("01000000feffffff") << false << -1 << -1;
        QTest::newRow("group out of range") << Hex("03000000") << false << -1 << -1;
        QTest::newRow("stream out of range") << Hex("0200000004000000") << false << -1 << -1;
    }

    void payloadDecoding()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, ok);
        QFETCH(int, group);
        QFETCH(int, stream);
        GroupStreamPayload::Rows rows;
        QCOMPARE(GroupStreamPayload::DecodeChecked(
                     bytes, 3, [](int) { return 4; }, &rows),
                 ok);
        if (ok) {
            QCOMPARE(rows.group, group);
            QCOMPARE(rows.stream, stream);
            GroupStreamPayload::Rows again;
            QVERIFY(GroupStreamPayload::Decode(GroupStreamPayload::Encode(rows.group, rows.stream), &again));
            QCOMPARE(again.group, group);
            QCOMPARE(again.stream, stream);
        }
    }

    void payloadOfDraggedItems()
    {
        Fixture f(4, 4);
        f.view.SetMimeType("Playback/Stream");
        QByteArray payload;
        QVERIFY(f.view.PayloadFor(f.Stream(1, 2), &payload));
        QCOMPARE(payload, Hex("0100000002000000"));
        QVERIFY(f.view.PayloadFor(f.Group(3), &payload));
        QCOMPARE(payload, Hex("03000000"));
        f.view.SetDragFlag(false);
        QVERIFY(!f.view.PayloadFor(f.Group(3), &payload));  // groups do not move
        QVERIFY(f.view.PayloadFor(f.Stream(0, 0), &payload));
        f.model->itemFromIndex(f.Stream(0, 1))->setDragEnabled(false);
        QVERIFY(!f.view.PayloadFor(f.Stream(0, 1), &payload));
        QVERIFY(!f.view.PayloadFor(QModelIndex(), &payload));

        CGroupTreeView view;
        OfferingModel offering;
        offering.appendRow(new QStandardItem("g"));
        view.setModel(&offering);
        view.SetMimeType("Playback/Stream");
        QVERIFY(view.PayloadFor(offering.index(0, 0), &payload));
        QVERIFY(payload.isEmpty());
    }

    void dropTable_data()
    {
        QTest::addColumn<QString>("target");  // "s<g>.<s>" or "g<g>" or "none"
        QTest::addColumn<bool>("lower");
        QTest::addColumn<bool>("collapseTarget");
        QTest::addColumn<QString>("signal");  // "child,parent" or "" for none
        QTest::newRow("stream upper") << "s1.2" << false << false << "2,1";
        QTest::newRow("stream lower") << "s1.2" << true << false << "3,1";
        QTest::newRow("expanded group lower") << "g1" << true << false << "0,1";
        QTest::newRow("collapsed group lower") << "g1" << true << true << "4,1";
        QTest::newRow("group upper: end of the group before") << "g2" << false << false << "4,1";
        QTest::newRow("first group upper") << "g0" << false << false << "";
        QTest::newRow("no item") << "none" << false << false << "";
    }

    void dropTable()
    {
        QFETCH(QString, target);
        QFETCH(bool, lower);
        QFETCH(bool, collapseTarget);
        QFETCH(QString, signal);
        Fixture f;
        f.view.SetMimeType("Playback/Stream");
        QVERIFY(QTest::qWaitForWindowExposed(&f.view));
        QModelIndex at;
        if (target.startsWith('s'))
            at = f.Stream(target.mid(1).section('.', 0, 0).toInt(), target.section('.', 1).toInt());
        else if (target.startsWith('g'))
            at = f.Group(target.mid(1).toInt());
        if (collapseTarget)
            f.view.collapse(at);
        const QPoint pos =
            at.isValid() ? (lower ? f.Lower(at) : f.Upper(at)) : QPoint(5, f.view.viewport()->height() - 3);
        QSignalSpy drops(&f.view, &CGroupTreeView::SignalDrop);
        QMimeData data;
        data.setData("Playback/Stream", GroupStreamPayload::Encode(0, 0));
        QDropEvent drop(pos, Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
        f.view.dropEvent(&drop);
        if (signal.isEmpty()) {
            QCOMPARE(drops.count(), 0);
        } else {
            QCOMPARE(drops.count(), 1);
            QCOMPARE(QString("%1,%2").arg(drops.at(0).at(0).toInt()).arg(drops.at(0).at(1).toInt()), signal);
        }
    }

    void foreignDropsNeedTheMimeType()
    {
        Fixture f;
        f.view.SetMimeType("Playback/Stream");
        QVERIFY(QTest::qWaitForWindowExposed(&f.view));
        QSignalSpy drops(&f.view, &CGroupTreeView::SignalDrop);
        QMimeData text;
        text.setText("/etc/passwd");
        QDropEvent drop(f.Lower(f.Stream(0, 1)), Qt::MoveAction, &text, Qt::LeftButton, Qt::NoModifier);
        f.view.dropEvent(&drop);
        QCOMPARE(drops.count(), 0);
        QVERIFY(!drop.isAccepted());

        QMimeData ours;
        ours.setData("Playback/Stream", Hex("00000000"));
        QDragMoveEvent move(f.Lower(f.Stream(0, 1)), Qt::MoveAction, &ours, Qt::LeftButton, Qt::NoModifier);
        move.accept();
        f.view.dragMoveEvent(&move);
        QVERIFY(!move.isAccepted());  // a drag from another widget is refused while moving
    }

    void shiftClickSelectsGroupRange()
    {
        Fixture f(7, 2);
        QVERIFY(QTest::qWaitForWindowExposed(&f.view));
        f.view.collapseAll();
        f.view.setCurrentIndex(f.Group(2));
        QTest::mouseClick(f.view.viewport(), Qt::LeftButton, Qt::ShiftModifier, f.view.visualRect(f.Group(5)).center());
        QCOMPARE(f.view.currentIndex(), f.Group(2));
        QList<int> rows;
        for (const QModelIndex& i : f.view.selectionModel()->selectedRows())
            rows << i.row();
        std::sort(rows.begin(), rows.end());
        QCOMPARE(rows, (QList<int>{2, 3, 4, 5}));
    }

    void controlClickStaysInOneGroup()
    {
        Fixture f;
        QVERIFY(QTest::qWaitForWindowExposed(&f.view));
        f.view.setCurrentIndex(f.Stream(0, 1));
        const QModelIndexList before = f.view.selectionModel()->selectedIndexes();
        QTest::mouseClick(f.view.viewport(), Qt::LeftButton, Qt::ControlModifier,
                          f.view.visualRect(f.Stream(1, 0)).center());
        QCOMPARE(f.view.currentIndex(), f.Stream(0, 1));
        QCOMPARE(f.view.selectionModel()->selectedIndexes(), before);
        // Within the group, Control adds the stream and makes it current.
        QTest::mouseClick(f.view.viewport(), Qt::LeftButton, Qt::ControlModifier,
                          f.view.visualRect(f.Stream(0, 3)).center());
        QCOMPARE(f.view.currentIndex(), f.Stream(0, 3));
        QVERIFY(f.view.selectionModel()->isSelected(f.Stream(0, 3)));
        QVERIFY(f.view.selectionModel()->isSelected(f.Stream(0, 1)));
    }

    void shiftNavigationKeysAreIgnored()
    {
        Fixture f;
        f.model->item(2)->setText("Alpha");
        QVERIFY(QTest::qWaitForWindowExposed(&f.view));
        f.view.setCurrentIndex(f.Group(0));
        QTest::keyClick(&f.view, Qt::Key_Down, Qt::ShiftModifier);
        QCOMPARE(f.view.currentIndex(), f.Group(0));
        QTest::keyClick(&f.view, Qt::Key_Down);
        QCOMPARE(f.view.currentIndex(), f.Stream(0, 0));
        QTest::keyClick(&f.view, Qt::Key_A, Qt::ShiftModifier, 10);
        QCOMPARE(f.view.currentIndex(), f.Group(2));  // the base's keyboard search
    }

    void doubleClickAndContextMenuReportTheItem()
    {
        Fixture f;
        QVERIFY(QTest::qWaitForWindowExposed(&f.view));
        QSignalSpy doubled(&f.view, &CGroupTreeView::ItemDoubleClicked);
        QSignalSpy right(&f.view, &CGroupTreeView::ItemRightClicked);
        const QPoint at = f.view.visualRect(f.Stream(1, 1)).center();
        QTest::mouseDClick(f.view.viewport(), Qt::LeftButton, Qt::NoModifier, at);
        QCOMPARE(doubled.count(), 1);
        QVERIFY(f.view.isExpanded(f.Group(1)));
        QContextMenuEvent menu(QContextMenuEvent::Mouse, at, f.view.viewport()->mapToGlobal(at));
        QApplication::sendEvent(f.view.viewport(), &menu);
        QCOMPARE(right.count(), 1);
    }
};

QTEST_MAIN(TestGroupTree)
#include "tst_grouptree.moc"
