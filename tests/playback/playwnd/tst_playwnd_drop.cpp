// Drags onto a play window from real drag sources inside the program: a channel of the page's
// channel tree, a tree that drags another format, and the window itself. Only a drag inside the
// program with the "Playback/Stream" format asks for a search into the window.
//
// The offscreen platform ends every drag at once, before any window sees it; the minimal
// platform carries a drag out inside the program, so this test runs on it.
#include <QtTest>

#include <QDrag>
#include <QHBoxLayout>
#include <QMimeData>
#include <QStandardItemModel>

#include "playback/PlaybackWnd.h"
#include "widgets/CGroupTreeView.h"

namespace {

// A host without engines: a drop lands on a window the page has not bound yet.
class Host : public CPlaybackWndHost {
public:
    CPlayBackInteraction* Player(int) const override { return nullptr; }
};

// Counts the drags that reach a widget, so that a refused drop is known to have been offered.
class DragCounter : public QObject {
public:
    int enters = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::DragEnter)
            ++enters;
        return false;
    }
};

}  // namespace

class TestPlayWndDrop : public QObject {
    Q_OBJECT

    Host m_host;
    std::unique_ptr<QWidget> m_page;
    CGroupTreeView* m_tree = nullptr;
    CPlaybackWnd* m_wnd = nullptr;

    // From inside the drag's own event loop: moves the mouse onto the middle of `target` and lets
    // the button go there.
    void DropOntoLater(QWidget* target)
    {
        QTimer::singleShot(0, this, [target] {
            QWindow* window = target->window()->windowHandle();
            const QPoint at = target->mapTo(target->window(), target->rect().center());
            QTest::mouseMove(window, at);
            QTimer::singleShot(0, target, [window, at] { QTest::mouseRelease(window, Qt::LeftButton, {}, at); });
        });
    }

    // Presses on the tree's row and moves beyond the drag distance: the tree starts its drag.
    void DragTreeRow(const QModelIndex& index)
    {
        QWidget* viewport = m_tree->viewport();
        const QPoint from = m_tree->visualRect(index).center();
        QTest::mousePress(viewport, Qt::LeftButton, {}, from);
        const QPoint to = from + QPoint(QApplication::startDragDistance() + 10, 0);
        QMouseEvent move(QEvent::MouseMove, QPointF(to), viewport->mapToGlobal(QPointF(to)), Qt::NoButton,
                         Qt::LeftButton, {});
        QCoreApplication::sendEvent(viewport, &move);
    }

private slots:
    void init()
    {
        m_page = std::make_unique<QWidget>();
        auto* layout = new QHBoxLayout(m_page.get());
        m_tree = new CGroupTreeView(m_page.get());
        auto* model = new QStandardItemModel(m_tree);
        auto* group = new QStandardItem(QStringLiteral("NVR_1"));
        for (int i = 1; i <= 2; ++i)
            group->appendRow(new QStandardItem(QStringLiteral("channel%1").arg(i)));
        model->appendRow(group);
        m_tree->setModel(model);
        m_tree->expandAll();
        // As the playback page sets its tree up.
        m_tree->SetDragFlag(false);
        m_tree->SetDragEnabled(true);
        m_tree->SetMimeType(QStringLiteral("Playback/Stream"));
        m_wnd = new CPlaybackWnd(&m_host, m_page.get());
        m_wnd->SetWndIndex(2);
        layout->addWidget(m_tree);
        layout->addWidget(m_wnd, 1);
        m_page->resize(600, 300);
        m_page->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_page.get()));
    }

    void cleanup() { m_page.reset(); }

    void drop_data()
    {
        QTest::addColumn<QString>("source");  // "tree" or "self"
        QTest::addColumn<QString>("format");
        QTest::addColumn<bool>("searched");
        QTest::newRow("a channel from the tree") << "tree"
                                                 << "Playback/Stream" << true;
        QTest::newRow("a tree that drags another format") << "tree"
                                                          << "Group/Stream" << false;
        QTest::newRow("the window onto itself") << "self"
                                                << "Playback/Stream" << false;
    }
    void drop()
    {
        QFETCH(QString, source);
        QFETCH(QString, format);
        QFETCH(bool, searched);
        QSignalSpy search(m_wnd, &CPlaybackWnd::SignalSearchSelected);
        DragCounter offered;
        m_wnd->installEventFilter(&offered);
        DropOntoLater(m_wnd);
        if (source == QLatin1String("tree")) {
            m_tree->SetMimeType(format);
            DragTreeRow(m_tree->model()->index(1, 0, m_tree->model()->index(0, 0)));
        } else {
            auto* drag = new QDrag(m_wnd);
            auto* data = new QMimeData;
            data->setData(format, QByteArray());
            drag->setMimeData(data);
            drag->exec(Qt::MoveAction);
        }
        // The drag has ended: its loop ran the drop.
        m_wnd->removeEventFilter(&offered);
        QCOMPARE(offered.enters, 1);
        QCOMPARE(search.size(), searched ? 1 : 0);
        if (searched)
            QCOMPARE(search.first().at(0).toInt(), 2);
    }
};

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "minimal");
    QApplication app(argc, argv);
    TestPlayWndDrop test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_playwnd_drop.moc"
