// The kit's boxes and the channel tree as the station paints them, under its own application
// object (style, style sheet, font): every combo box shows its drop-down mark, enabled or not,
// and a group row shows its text whole (cut at its end only when the row is too narrow), never
// covered by anything and never running under its arrow.
#include "app/gui/OstraApplication.h"
#include "widgets/CComboBoxes.h"
#include "widgets/CGroupTreeView.h"
#include "widgets/CItemDelegates.h"
#include "widgets/CPathComboBox.h"
#include "widgets/DateTimeEdit.h"

#include <QComboBox>
#include <QCursor>
#include <QImage>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>

#include <unistd.h>

namespace {

const QString kShortText = QStringLiteral("Recorder NVR_1");
const QString kLongText = QStringLiteral("Recorder NVR_1 copied from the east gate on 2024-03-05");
constexpr int kTreeWidth = 210;  // the playback page's channel tree
constexpr int kArrowSize = 22;

QImage Picture(QWidget* widget)
{
    return widget->grab().toImage();
}

}  // namespace

class TestLooks : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // Nothing is hovered: the pointer stays away from every widget shown.
        QCursor::setPos(2, 2);
    }

    void comboBoxesShowTheirMark_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("enabled");
        for (const char* kind : {"QComboBox", "CComboBox", "TreeBox", "CPathComboBox", "CDateTimeEdit"}) {
            QTest::addRow("%s", kind) << QString::fromLatin1(kind) << true;
            QTest::addRow("%s, disabled", kind) << QString::fromLatin1(kind) << false;
        }
    }

    // The box painted with its mark hidden by a rule of its own differs from the box as the
    // station paints it: the mark is there.
    void comboBoxesShowTheirMark()
    {
        QFETCH(QString, kind);
        QFETCH(bool, enabled);
        const std::map<QString, std::function<QWidget*()>> make{
            {QStringLiteral("QComboBox"),
             [] {
                 auto* box = new QComboBox;
                 box->addItem(QStringLiteral("All"));
                 return box;
             }},
            {QStringLiteral("CComboBox"),
             [] {
                 auto* box = new CComboBox;
                 box->addItem(QStringLiteral("JPEG"));
                 return box;
             }},
            {QStringLiteral("TreeBox"),
             [] {
                 auto* box = new TreeBox;
                 box->addItem(QStringLiteral("Physical Disk 1"));
                 return box;
             }},
            {QStringLiteral("CPathComboBox"),
             [] {
                 auto* box = new CPathComboBox;
                 box->addItem(QStringLiteral("/tmp/"));
                 return box;
             }},
            {QStringLiteral("CDateTimeEdit"),
             [] { return new CDateTimeEdit(QDateTime(QDate(2024, 3, 5), QTime(8, 0))); }},
        };
        std::unique_ptr<QWidget> box(make.at(kind)());
        box->setEnabled(enabled);
        box->setFixedSize(180, 24);
        box->move(200, 200);
        box->show();
        QVERIFY(QTest::qWaitForWindowExposed(box.get()));
        const QImage shown = Picture(box.get());
        box->setStyleSheet(QStringLiteral("::down-arrow, ::down-arrow:disabled { image: none; }"));
        const QImage withoutMark = Picture(box.get());
        QCOMPARE(shown.size(), withoutMark.size());
        QVERIFY2(shown != withoutMark, "no drop-down mark painted");
    }

    void groupRowTextRoom_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("spare");    // pixels between the text's end and the arrow
        QTest::addColumn<int>("rectCut");  // pixels the text rectangle ends before the arrow
        QTest::addColumn<bool>("whole");
        QTest::newRow("fits exactly") << kShortText << 0 << 0 << true;
        QTest::newRow("fits with room") << kShortText << 30 << 0 << true;
        QTest::newRow("one pixel short") << kShortText << -1 << 0 << false;
        QTest::newRow("far too long") << kLongText << -200 << 0 << false;
        QTest::newRow("no room at all") << kShortText << -1000 << 0 << false;
        QTest::newRow("the text rectangle ends first") << kShortText << 10 << 15 << false;
    }

    // The text of a group row is whole when it fits before the arrow and its rectangle's end;
    // otherwise it is cut at its end and fits.
    void groupRowTextRoom()
    {
        QFETCH(QString, text);
        QFETCH(int, spare);
        QFETCH(int, rectCut);
        QFETCH(bool, whole);
        const QFontMetrics metrics(QApplication::font());
        const int margin = 4;
        const int textLeft = 26;
        const int arrowX = textLeft + margin + metrics.horizontalAdvance(text) + spare;
        const QRect textRect(QPoint(textLeft, 0), QPoint(arrowX - 1 - rectCut + margin, 25));
        const QString shown = CTreeViewDelegate::GroupRowText(text, metrics, textRect, arrowX, margin);
        const int room = metrics.horizontalAdvance(text) + spare - rectCut;
        QCOMPARE(shown == text, whole);
        QVERIFY(metrics.horizontalAdvance(shown) <= std::max(0, room));
        if (!whole && !shown.isEmpty()) {
            QVERIFY(shown.endsWith(QChar(0x2026)));
            QVERIFY(text.startsWith(shown.chopped(1)));
        }
    }

    void groupRowPaintedWhole_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("checkBox");
        QTest::newRow("short, no check box") << kShortText << false;
        QTest::newRow("short, check box") << kShortText << true;
        QTest::newRow("long, no check box") << kLongText << false;
        QTest::newRow("long, check box") << kLongText << true;
    }

    // Three collapsed groups alike but for the last one's empty text. The first row looks as the
    // second (nothing of the view's layout lands on it), and the arrow of a row with text looks as
    // that of the row without (the text stays clear of it).
    void groupRowPaintedWhole()
    {
        QFETCH(QString, text);
        QFETCH(bool, checkBox);
        CGroupTreeView tree;
        tree.setFocusPolicy(Qt::NoFocus);
        auto* model = new QStandardItemModel(&tree);
        for (const QString& groupText : {text, text, QString()}) {
            auto* group = new QStandardItem(groupText);
            group->setEditable(false);
            if (checkBox)
                group->setCheckable(true);
            group->appendRow(new QStandardItem(QStringLiteral("channel1")));
            model->appendRow(group);
        }
        tree.setModel(model);
        tree.setFixedSize(kTreeWidth, 200);
        tree.move(200, 200);
        tree.show();
        QVERIFY(QTest::qWaitForWindowExposed(&tree));

        const QImage picture = tree.viewport()->grab().toImage();
        const auto cell = [&](int row) { return tree.visualRect(model->index(row, 0)); };
        QCOMPARE(cell(0).size(), cell(1).size());
        QCOMPARE(picture.copy(cell(0)), picture.copy(cell(1)));
        const auto arrowBox = [&](int row) {
            return QRect(CTreeViewDelegate::ArrowPoint(cell(row), QSize(kArrowSize, kArrowSize)),
                         QSize(kArrowSize, kArrowSize));
        };
        QCOMPARE(picture.copy(arrowBox(1)), picture.copy(arrowBox(2)));
        QVERIFY(picture.copy(cell(1)) != picture.copy(cell(2)));  // the text is painted at all
    }
};

int main(int argc, char** argv)
{
    QTemporaryDir config;
    qputenv("VARPEN_CONFIG_DIR", QFile::encodeName(config.path() + QLatin1Char('/')));
    COstraApplication app(argc, argv, QStringLiteral("VarpenLooksTest-%1").arg(::getpid()));
    TestLooks test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_looks.moc"
