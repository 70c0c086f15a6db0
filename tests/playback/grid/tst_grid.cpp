// The XML helper and the play area's grid: the compiled-in template read as its records say, all
// 21 split modes laid out cell by cell, single view and restore, and damaged templates.
#include "playback/WndSplitLayout.h"
#include "playback/XmlHelper.h"

#include <QDomDocument>
#include <QFile>
#include <QGridLayout>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QWidget>
#include <QtTest>

#include <memory>

namespace {

struct Cell {
    int id, row, column, rowSpan, columnSpan;
    bool operator==(const Cell& o) const
    {
        return id == o.id && row == o.row && column == o.column && rowSpan == o.rowSpan && columnSpan == o.columnSpan;
    }
};

QString Describe(const QList<Cell>& cells)
{
    QStringList parts;
    for (const Cell& c : cells)
        parts << QStringLiteral("%1@%2,%3[%4x%5]").arg(c.id).arg(c.row).arg(c.column).arg(c.rowSpan).arg(c.columnSpan);
    return parts.join(QLatin1Char(' '));
}

// The cells of a layout: the spanned cells as the mode table gives them, every other cell 1x1,
// filling the free places row by row in id order.
QList<Cell> Expected(int rows, int columns, int count, const QList<Cell>& spanned)
{
    QList<QList<bool>> used(rows, QList<bool>(columns, false));
    QList<Cell> cells;
    for (int id = 0; id < count; ++id) {
        Cell cell{id, -1, -1, 1, 1};
        for (const Cell& s : spanned)
            if (s.id == id)
                cell = s;
        if (cell.row < 0) {
            for (int r = 0; r < rows && cell.row < 0; ++r)
                for (int c = 0; c < columns && cell.row < 0; ++c)
                    if (!used[r][c]) {
                        cell.row = r;
                        cell.column = c;
                    }
        }
        for (int r = cell.row; r < cell.row + cell.rowSpan; ++r)
            for (int c = cell.column; c < cell.column + cell.columnSpan; ++c)
                used[r][c] = true;
        cells << cell;
    }
    return cells;
}

QString WriteFile(const QTemporaryDir& dir, const QString& name, const QByteArray& text)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write(text);
    return path;
}

// The page's play area with its 16 windows.
struct PlayArea {
    QWidget parent;
    QList<QWidget*> windows;
    CWndSplitLayout layout;

    PlayArea()
    {
        for (int i = 0; i < 16; ++i) {
            auto* w = new QWidget(&parent);
            w->setObjectName(QString::number(i));
            windows << w;
        }
        parent.resize(800, 600);
    }

    QGridLayout* Grid() const { return qobject_cast<QGridLayout*>(parent.layout()); }

    QList<int> VisibleIds() const
    {
        QList<int> ids;
        for (int i = 0; i < windows.size(); ++i)
            if (!windows[i]->isHidden())
                ids << i;
        return ids;
    }

    // The cells of the installed grid, in id order.
    QList<Cell> Cells() const
    {
        QList<Cell> cells;
        QGridLayout* grid = Grid();
        if (!grid)
            return cells;
        for (int i = 0; i < windows.size(); ++i) {
            const int index = grid->indexOf(windows[i]);
            if (index < 0)
                continue;
            Cell c{i, 0, 0, 0, 0};
            grid->getItemPosition(index, &c.row, &c.column, &c.rowSpan, &c.columnSpan);
            cells << c;
        }
        return cells;
    }
};

const QString kTemplate = QStringLiteral(":/template/Default.xml");

}  // namespace

Q_DECLARE_METATYPE(Cell)

class TestGrid : public QObject {
    Q_OBJECT

private slots:
    void xmlHelperReads()
    {
        QTemporaryDir dir;
        QVERIFY(!CXmlHelper().LoadFile(dir.filePath(QStringLiteral("missing.xml"))));
        QVERIFY(GetDocument()->documentElement().isNull());
        QVERIFY(!CXmlHelper().LoadFile(WriteFile(dir, QStringLiteral("bad.xml"), "<a><b></a>")));
        QVERIFY(GetDocument()->documentElement().isNull());

        const QString path = WriteFile(dir, QStringLiteral("doc.xml"),
                                       "<root>text<!-- note --><one k=\"v\" empty=\"\" n=\"12abc\"><deep>x</deep></one>"
                                       "<two><inner/>after</two><three>  7 </three></root>");
        CXmlHelper root;
        QVERIFY(root.LoadFile(path));
        QCOMPARE(root.GetTagName(), QByteArray("root"));
        QCOMPARE(root.GetChildCount(), 3);  // elements only
        QCOMPARE(root.GetChildAt(2).GetTagName(), QByteArray("three"));
        QVERIFY(root.GetChildAt(3).IsNull());
        QVERIFY(root.GetChildAt(-1).IsNull());
        QCOMPARE(root.FindChild("deep").GetTagName(), QByteArray("deep"));  // a grandchild
        QVERIFY(root.FindChild("none").IsNull());
        QVERIFY(root.FindChild("inner").FindChild("x").IsNull());  // no child nodes

        const CXmlHelper one = root.FindChild("one");
        QByteArray value = "unchanged";
        QVERIFY(one.GetAttribute("k", value));
        QCOMPARE(value, QByteArray("v"));
        QVERIFY(!one.GetAttribute("empty", value));
        QVERIFY(value.isEmpty());
        int number = -5;
        QVERIFY(one.GetAttribute("n", number));
        QCOMPARE(number, 12);
        number = -5;
        QVERIFY(!one.GetAttribute("absent", number));
        QCOMPARE(number, -5);

        QByteArray text;
        QVERIFY(root.FindChild("two").GetText(text));  // text after an element child
        QCOMPARE(text, QByteArray("after"));
        QVERIFY(!root.FindChild("inner").GetText(text));
        QVERIFY(text.isEmpty());
        int seven = 0;
        QVERIFY(root.FindChild("three").GetText(seven));
        QCOMPARE(seven, 7);
        QVERIFY(!CXmlHelper().GetText(seven));
        QCOMPARE(seven, -1);
    }

    void xmlHelperWritesGb2312()
    {
        QTemporaryDir dir;
        CXmlHelper root;
        QVERIFY(root.CreateDocument("Config"));
        CXmlHelper child = root.AddChild("Name");
        QVERIFY(child.SetText("a"));
        QVERIFY(child.SetText("b"));  // replaces the text
        QVERIFY(child.SetAttribute(QStringLiteral("label"), QStringLiteral("通道")));
        const QString path = dir.filePath(QStringLiteral("out.xml"));
        QVERIFY(SaveDocument(path));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QVERIFY2(bytes.startsWith("<?xml version=\"1.0\" encoding=\"GB2312\"?>"), bytes.constData());
        QVERIFY(bytes.contains("<Name label="));
        QVERIFY(bytes.contains(">b</Name>"));
        QVERIFY(!bytes.contains(QStringLiteral("通道").toUtf8()));
        QStringDecoder gb("GB18030");
        QVERIFY(QString(gb.decode(bytes)).contains(QStringLiteral("通道")));
    }

    void templateRecords()
    {
        CElementConfigMap map;
        QVERIFY(CWndSplitLayout::LoadTemplate(kTemplate, &map));
        QCOMPARE(map.Count(), 23);
        for (int mode = 0; mode < CWndSplitLayout::kModeCount; ++mode)
            QVERIFY2(map.Find(CWndSplitLayout::GetModeName(mode)), CWndSplitLayout::GetModeName(mode).constData());
        QVERIFY(map.Find("2x2-2"));
        QVERIFY(map.Find("2x2-3"));
        QCOMPARE(map.Find("8x8-64")->GetItemCount(), 64);  // spelled "element"
        QCOMPARE(map.Find("2x2-EX")->Type, 1000);
        QVERIFY(CWndSplitLayout::GetModeName(21).isEmpty());
        QVERIFY(CWndSplitLayout::GetModeName(-1).isEmpty());
    }

    void damagedTemplates()
    {
        QTemporaryDir dir;
        const QString path = WriteFile(dir, QStringLiteral("t.xml"),
                                       "<Config><Other/>"
                                       "<ElementConfig><Name>2x2-4</Name><Type>2</Type><ElementItems>"
                                       "<Element id=\"0\" row=\"0\" column=\"0\"/></ElementItems></ElementConfig>"
                                       "<ElementConfig><Name>2x2-4</Name><Type>x</Type><ElementItems>"
                                       "<Element id=\"0.9\" row=\"1abc\" column=\"0\" rowSpan=\"1\" columnSpan=\"1\"/>"
                                       "<anything id=\"1\" row=\"0\" column=\"1\"/></ElementItems></ElementConfig>"
                                       "<ElementConfig><Name>no-type</Name><ElementItems/></ElementConfig>"
                                       "<ElementConfig><Name>3x3-9</Name><Type>99999999</Type><ElementItems>"
                                       "<Element id=\"0\" row=\"-4\" column=\"0\"/>"
                                       "<Element id=\"1\" row=\"2000000000\" column=\"3\" rowSpan=\"2000000000\"/>"
                                       "<Element id=\"2\" row=\"1\" column=\"1\" rowSpan=\"999999\" columnSpan=\"-3\"/>"
                                       "</ElementItems></ElementConfig></Config>");
        CElementConfigMap map;
        QVERIFY(CWndSplitLayout::LoadTemplate(path, &map));
        QCOMPARE(map.Count(), 3);
        const ElementConfig* later = map.Find("2x2-4");  // the later record of a name wins
        QCOMPARE(later->Type, 0);
        QCOMPARE(later->GetItemCount(), 2);
        QCOMPARE(later->GetItem(0)->id, 0);
        QCOMPARE(later->GetItem(0)->row, 1);
        QCOMPARE(later->GetItem(1)->column, 1);
        QVERIFY(!later->GetItem(2));
        QVERIFY(!later->GetItem(-1));
        QCOMPARE(map.Find("no-type")->Type, -1);

        // A bad file leaves the map as it was.
        QVERIFY(!CWndSplitLayout::LoadTemplate(WriteFile(dir, QStringLiteral("bad.xml"), "<Config>"), &map));
        QCOMPARE(map.Count(), 3);

        // Cells outside any sane grid are left out, and nothing hangs or crashes.
        PlayArea area;
        area.layout.Init(path, &area.parent, area.windows, 3);
        QVERIFY(area.Grid());
        QCOMPARE(area.Cells().size(), 1);
        QCOMPARE(area.Cells().first().id, 2);
        QCOMPARE(area.Cells().first().columnSpan, 1);
    }

    void everyMode_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("columns");
        QTest::addColumn<int>("cells");
        QTest::addColumn<QList<Cell>>("spanned");
        QTest::addColumn<QList<int>>("stretch");  // stretched rows, stretched columns
        auto row = [](const char* name, int mode, int rows, int columns, int cells, QList<Cell> spanned, int sr,
                      int sc) {
            QTest::newRow(name) << mode << rows << columns << cells << spanned << QList<int>{sr, sc};
        };
        row("1x1-1", 0, 1, 1, 1, {}, 1, 1);
        row("2x2-4", 1, 2, 2, 4, {}, 2, 2);
        row("3x3-6", 2, 3, 3, 6, {{0, 0, 0, 2, 2}}, 3, 3);
        row("3x3-9", 3, 3, 3, 9, {}, 3, 3);
        row("4x4-8", 4, 4, 4, 8, {{0, 0, 0, 3, 3}}, 4, 4);
        row("4x4-10", 5, 4, 4, 10, {{0, 0, 0, 2, 2}, {1, 0, 2, 2, 2}}, 4, 4);
        row("4x4-13", 6, 4, 4, 13, {{5, 1, 1, 2, 2}}, 4, 4);
        row("4x4-16", 7, 4, 4, 16, {}, 4, 4);
        row("5x5-10", 8, 5, 5, 10, {{0, 0, 0, 4, 4}}, 5, 5);
        row("5x5-13", 9, 5, 5, 13, {{0, 0, 0, 2, 2}, {1, 0, 2, 2, 2}, {4, 2, 0, 2, 2}, {5, 2, 2, 2, 2}}, 5, 5);
        row("5x5-14", 10, 5, 5, 14, {{0, 0, 0, 3, 3}, {1, 0, 3, 2, 2}}, 5, 5);
        row("5x5-17", 11, 5, 5, 17, {{0, 0, 0, 3, 3}}, 5, 5);
        row("5x5-19", 12, 5, 5, 19, {{0, 0, 0, 2, 2}, {1, 0, 2, 2, 2}}, 5, 5);
        row("5x5-22", 13, 5, 5, 22, {{0, 0, 0, 2, 2}}, 5, 5);
        row("5x5-25", 14, 5, 5, 25, {}, 5, 5);
        row("7x7-32", 15, 7, 7, 32, {{0, 0, 0, 2, 2}, {1, 0, 2, 2, 2}, {8, 2, 0, 2, 2}, {9, 2, 2, 3, 3}}, 7, 7);
        row("8x8-64", 16, 8, 8, 64, {}, 8, 8);
        row("1x1-EX", 17, 1, 1, 1, {}, 1, 1);
        row("2x2-EX", 18, 3, 7, 4, {{0, 0, 0, 3, 5}, {1, 0, 5, 1, 2}, {2, 1, 5, 1, 2}, {3, 2, 5, 1, 2}}, 3, 7);
        row("3x3-EX", 19, 3, 4, 9, {{0, 0, 0, 2, 2}}, 3, 4);
        row("4x4-EX", 20, 6, 8, 16, {{0, 0, 0, 3, 3}, {1, 0, 3, 3, 3}, {8, 3, 0, 3, 3}, {9, 3, 3, 3, 3}}, 6, 8);
    }

    void everyMode()
    {
        QFETCH(int, mode);
        QFETCH(int, rows);
        QFETCH(int, columns);
        QFETCH(int, cells);
        QFETCH(QList<Cell>, spanned);
        QFETCH(QList<int>, stretch);

        // The page has 16 windows: placing stops at the first cell without one.
        QList<Cell> expected = Expected(rows, columns, cells, spanned);
        expected = expected.mid(0, 16);

        PlayArea area;
        area.layout.Init(kTemplate, &area.parent, area.windows, mode == 1 ? 0 : 1);
        QVERIFY(area.layout.SetSplitMode(mode));
        QCOMPARE(area.layout.GetSplitMode(), mode);
        QCOMPARE(Describe(area.Cells()), Describe(expected));

        QList<int> visible;
        for (const Cell& c : expected)
            visible << c.id;
        std::sort(visible.begin(), visible.end());
        QCOMPARE(area.VisibleIds(), visible);

        QGridLayout* grid = area.Grid();
        QCOMPARE(grid->spacing(), 0);
        QCOMPARE(grid->contentsMargins(), QMargins());
        for (int r = 0; r < rows; ++r)
            QCOMPARE(grid->rowStretch(r), r < stretch[0] ? 1 : 0);
        for (int c = 0; c < columns; ++c)
            QCOMPARE(grid->columnStretch(c), c < stretch[1] ? 1 : 0);
    }

    void singleViewAndRestore()
    {
        PlayArea area;
        area.layout.Init(kTemplate, &area.parent, area.windows, 18);
        QCOMPARE(area.layout.GetWndCount(), 16);
        const QString grid = Describe(area.Cells());

        area.layout.ShowSingleWnd(area.windows[2]);
        QVERIFY(area.layout.IsSingleWnd());
        QCOMPARE(area.VisibleIds(), QList<int>{2});
        QCOMPARE(Describe(area.Cells()), QStringLiteral("2@0,0[1x1]"));

        // The same mode again leaves the single view in place.
        QVERIFY(area.layout.SetSplitMode(18));
        QCOMPARE(area.VisibleIds(), QList<int>{2});

        area.layout.RestoreLayout();
        QVERIFY(!area.layout.IsSingleWnd());
        QCOMPARE(Describe(area.Cells()), grid);
        QCOMPARE(area.VisibleIds(), (QList<int>{0, 1, 2, 3}));

        // A new mode from the single view keeps the flag: the next double-click restores.
        area.layout.ShowSingleWndById(3);
        QVERIFY(area.layout.SetSplitMode(7));
        QVERIFY(area.layout.IsSingleWnd());
        QCOMPARE(area.VisibleIds().size(), 16);
        area.layout.ShowSingleWndById(99);  // no such window: nothing happens
        QCOMPARE(area.VisibleIds().size(), 16);

        // In mode 0 the single view is never entered, nor left.
        PlayArea one;
        one.layout.Init(kTemplate, &one.parent, one.windows, 0);
        one.layout.ShowSingleWnd(one.windows[5]);
        QVERIFY(!one.layout.IsSingleWnd());
        QCOMPARE(one.VisibleIds(), QList<int>{0});
        QVERIFY(area.layout.SetSplitMode(0));
        area.layout.RestoreLayout();
        QVERIFY(area.layout.IsSingleWnd());
        QCOMPARE(area.VisibleIds(), QList<int>{0});
    }

    void unknownModeAndMissingTemplate()
    {
        PlayArea area;
        area.layout.Init(kTemplate, &area.parent, area.windows, 1);
        const QString grid = Describe(area.Cells());
        QVERIFY(!area.layout.SetSplitMode(21));
        QCOMPARE(area.layout.GetSplitMode(), 21);
        QCOMPARE(Describe(area.Cells()), grid);
        QVERIFY(!area.layout.BuildLayout("no-such-layout"));
        QCOMPARE(Describe(area.Cells()), grid);

        PlayArea empty;
        empty.layout.Init(QStringLiteral("/no/such/template.xml"), &empty.parent, empty.windows, 1);
        QVERIFY(!empty.Grid());
        QVERIFY(!empty.layout.SetSplitMode(7));
        empty.layout.RestoreLayout();  // no current layout: an empty grid, nothing shown
        QVERIFY(empty.VisibleIds().isEmpty());
    }

    void reloadForgetsTheOldRecords()
    {
        PlayArea area;
        area.layout.Init(kTemplate, &area.parent, area.windows, 7);
        area.layout.Init(kTemplate, &area.parent, area.windows, 7);  // same mode, new records
        QCOMPARE(area.Cells().size(), 16);
        area.layout.ShowSingleWndById(0);
        area.layout.RestoreLayout();
        QCOMPARE(area.Cells().size(), 16);

        QList<QWidget*> some{area.windows[0], area.windows[1]};
        QVERIFY(area.layout.InitWithName(kTemplate, &area.parent, some, "2x2-4"));
        QCOMPARE(Describe(area.Cells()), QStringLiteral("0@0,0[1x1] 1@0,1[1x1]"));
        QCOMPARE(area.layout.GetWndCount(), 2);
        QVERIFY(!area.layout.BuildLayoutFor(&area.parent, some, "nothing"));
    }
};

QTEST_MAIN(TestGrid)
#include "tst_grid.moc"
