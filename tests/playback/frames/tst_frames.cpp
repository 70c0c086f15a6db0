// The play-window frames: which tool buttons fit in the hover bar, where the rest go, the bar's
// place and its show/hide on hover, the selection border and the video surface's handle.
#include "platform/vrend/VideoSurface.h"
#include "playback/BottomBarFill.h"
#include "playback/PlayWndBottom.h"
#include "playback/PlayerFrame.h"

#include <QCursor>
#include <QFile>
#include <QScopeGuard>
#include <QEnterEvent>
#include <QToolButton>
#include <QtTest>

namespace {

QList<QWidget*> Buttons(QWidget* parent, int count, int width_px)
{
    QList<QWidget*> list;
    for (int i = 0; i < count; ++i) {
        auto* b = new QToolButton(parent);
        b->setFixedSize(width_px, 22);
        list << b;
    }
    return list;
}

class ProbeFrame : public CPlayerFrame {
public:
    using CPlayerFrame::CPlayerFrame;
    int enters = 0;
    int leaves = 0;

protected:
    void OnMouseEnter() override { ++enters; }
    void OnMouseLeave() override { ++leaves; }
};

void SendEnter(QWidget* w)
{
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), w->mapToGlobal(QPointF(5, 5)));
    QApplication::sendEvent(w, &enter);
}

void SendLeave(QWidget* w)
{
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(w, &leave);
}

}  // namespace

class TestFrames : public QObject {
    Q_OBJECT

private slots:
    void fillTable_data()
    {
        QTest::addColumn<int>("barWidth");
        QTest::addColumn<QList<int>>("left");
        QTest::addColumn<QList<int>>("right");
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("leftInRow");
        QTest::addColumn<int>("rightInRow");
        // The play window's case: four 22-pixel buttons on the right.
        QTest::newRow("four right fit exactly") << 110 << QList<int>{} << QList<int>{22, 22, 22, 22} << -1 << 0 << 4;
        QTest::newRow("fourth right to the pop-up")
            << 109 << QList<int>{} << QList<int>{22, 22, 22, 22} << 103 << 0 << 3;
        // The extend button (10 px) does not fit beside the third: it goes to the pop-up too.
        QTest::newRow("extend button takes a right place")
            << 95 << QList<int>{} << QList<int>{22, 22, 22, 22} << 102 << 0 << 2;
        // A left widget must leave a pixel: the same widths do not fit on the left at 110.
        QTest::newRow("left needs a spare pixel") << 110 << QList<int>{22, 22, 22, 22} << QList<int>{} << 3 << 3 << 0;
        QTest::newRow("left all fit") << 111 << QList<int>{22, 22, 22, 22} << QList<int>{} << -1 << 4 << 0;
        QTest::newRow("too narrow for the first left") << 30 << QList<int>{22, 22} << QList<int>{22} << 0 << 0 << 0;
        QTest::newRow("too narrow for the first right") << 30 << QList<int>{} << QList<int>{22} << 100 << 0 << 0;
        QTest::newRow("left fit, right spill") << 120 << QList<int>{30, 30} << QList<int>{22, 22} << 101 << 2 << 1;
        QTest::newRow("nothing to place") << 50 << QList<int>{} << QList<int>{} << -1 << 0 << 0;
        QTest::newRow("no width at all") << 0 << QList<int>{} << QList<int>{22} << 100 << 0 << 0;
    }

    void fillTable()
    {
        QFETCH(int, barWidth);
        QFETCH(QList<int>, left);
        QFETCH(QList<int>, right);
        QFETCH(int, result);
        QFETCH(int, leftInRow);
        QFETCH(int, rightInRow);
        const BottomBarFill fill = FillBottomBar(barWidth, left, right, 10);
        QCOMPARE(fill.result, result);
        QCOMPARE(fill.leftInRow, leftInRow);
        QCOMPARE(fill.rightInRow, rightInRow);
        QCOMPARE(fill.extendShown, result != -1);
    }

    void relayoutPlacesRowAndPopup()
    {
        QWidget host;
        CPlayWndBottom bar(&host);
        const QList<QWidget*> right = Buttons(&bar, 4, 22);
        const QList<QWidget*> left = Buttons(&bar, 2, 22);
        bar.SetButtons(left, right);
        host.resize(400, 100);
        host.show();

        bar.resize(300, 28);
        bar.Relayout();
        for (QWidget* w : left + right)
            QCOMPARE(bar.PlaceOf(w), CPlayWndBottom::Place::Row);
        QVERIFY(bar.ExtendButton()->isHidden());
        QCOMPARE(bar.ExtendWidth(), 0);

        // 100 pixels: space 82; left 0, 1 and right 0 take 69; right 1 would need 92.
        bar.resize(100, 28);
        bar.Relayout();
        QCOMPARE(bar.PlaceOf(left[0]), CPlayWndBottom::Place::Row);
        QCOMPARE(bar.PlaceOf(left[1]), CPlayWndBottom::Place::Row);
        QCOMPARE(bar.PlaceOf(right[0]), CPlayWndBottom::Place::Row);
        for (int j = 1; j < 4; ++j)
            QCOMPARE(bar.PlaceOf(right[j]), CPlayWndBottom::Place::PopupTop);
        QVERIFY(!bar.ExtendButton()->isHidden());
        QCOMPARE(bar.ExtendWidth(), 18 + 3 * 23);
        QCOMPARE(bar.ExtendPopup()->size(), QSize(18 + 3 * 23, 31));

        // Too narrow for anything: the left group fills the pop-up's bottom row, the right its top.
        bar.resize(20, 28);
        bar.Relayout();
        for (QWidget* w : left)
            QCOMPARE(bar.PlaceOf(w), CPlayWndBottom::Place::PopupBottom);
        for (QWidget* w : right)
            QCOMPARE(bar.PlaceOf(w), CPlayWndBottom::Place::PopupTop);
        QCOMPARE(bar.ExtendPopup()->height(), 57);

        // And back: everything returns to the row, the pop-up holds nothing.
        bar.resize(300, 28);
        bar.Relayout();
        for (QWidget* w : left + right)
            QCOMPARE(bar.PlaceOf(w), CPlayWndBottom::Place::Row);
    }

    void setButtonsKeepsEleven()
    {
        CPlayWndBottom bar;
        const QList<QWidget*> many = Buttons(&bar, 13, 10);
        bar.SetButtons({}, many);
        bar.resize(1000, 28);
        bar.Relayout();
        for (int i = 0; i < 13; ++i)
            QCOMPARE(bar.PlaceOf(many[i]) == CPlayWndBottom::Place::Row, i < 11);
        // A new set hides the old widgets.
        bar.SetButtons({}, {many[0]});
        QVERIFY(many[1]->isHidden());
    }

    void barFollowsTheFrame()
    {
        CPlayerFrame frame;
        frame.resize(320, 240);
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        QCOMPARE(frame.Bar()->geometry(), QRect(1, 240 - 1 - 28, 318, 28));
        frame.SetBarHeight(40);
        QCOMPARE(frame.Bar()->geometry(), QRect(1, 240 - 1 - 40, 318, 40));
    }

    void hoverShowsAndHides()
    {
        ProbeFrame frame;
        QSignalSpy shown(&frame, &CPlayerFrame::SignalShow);
        QSignalSpy hidden(&frame, &CPlayerFrame::SignalHide);
        QCursor::setPos(790, 790);  // away from where the window appears
        frame.setGeometry(0, 0, 320, 240);
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        QVERIFY(frame.Bar()->isHidden());

        QCursor::setPos(frame.mapToGlobal(QPoint(100, 50)));  // over the picture, not the bar
        SendEnter(&frame);
        QVERIFY(!frame.Bar()->isHidden());
        QCOMPARE(shown.count(), 1);
        QCOMPARE(frame.enters, 1);
        SendLeave(&frame);
        QVERIFY(frame.Bar()->isHidden());
        QCOMPARE(hidden.count(), 1);
        QCOMPARE(frame.leaves, 1);

        // Disabled: never shown on Enter, but a Leave still hides a bar shown before.
        SendEnter(&frame);
        frame.SetBarEnabled(false);
        SendLeave(&frame);
        QVERIFY(frame.Bar()->isHidden());
        SendEnter(&frame);
        QVERIFY(frame.Bar()->isHidden());
        QCOMPARE(shown.count(), 2);
    }

    void leavingIntoTheBarKeepsIt()
    {
        ProbeFrame frame;
        frame.resize(320, 240);
        frame.show();
        frame.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&frame));
        SendEnter(&frame);
        QCursor::setPos(frame.Bar()->mapToGlobal(QPoint(10, 10)));
        if (!frame.Bar()->IsCursorInside())
            QSKIP("this platform cannot place the cursor");
        SendLeave(&frame);
        QVERIFY(!frame.Bar()->isHidden());
        QCOMPARE(frame.leaves, 0);
    }

    // The border as the application's style sheet draws it: black, yellow for the selected frame
    // (and for it alone), black again when the selection moves on; the frame's grey around the
    // surface.
    void selectionAndHandle()
    {
        QFile sheet(QStringLiteral(":/qss/Varpen.qss"));
        QVERIFY(sheet.open(QIODevice::ReadOnly));
        qApp->setStyleSheet(QString::fromUtf8(sheet.readAll()));
        const auto restore = qScopeGuard([] { qApp->setStyleSheet(QString()); });
        const auto pixel = [](QWidget& w, QPoint at) { return w.grab().toImage().pixelColor(at); };
        const QColor grey(77, 82, 86);

        CBasePlayFrame frame;
        CBasePlayFrame other;
        for (CBasePlayFrame* f : {&frame, &other}) {
            f->resize(64, 48);
            f->Surface()->resize(20, 20);
        }
        frame.SetFrameName(QStringLiteral("pPlaybackWnd3"));
        other.SetFrameName(QStringLiteral("pPlaybackWnd4"));
        QVERIFY(!frame.IsSelected());
        QCOMPARE(pixel(frame, {0, 0}), QColor(Qt::black));
        QCOMPARE(pixel(frame, {40, 30}), grey);
        frame.SetSelected(true);
        QVERIFY(frame.IsSelected());
        QCOMPARE(pixel(frame, {0, 0}), QColor(Qt::yellow));
        QCOMPARE(pixel(frame, {63, 47}), QColor(Qt::yellow));
        QCOMPARE(pixel(frame, {40, 30}), grey);
        QCOMPARE(pixel(other, {0, 0}), QColor(Qt::black));
        other.SetSelected(true);
        frame.SetSelected(false);
        QCOMPARE(pixel(frame, {0, 0}), QColor(Qt::black));
        QCOMPARE(pixel(other, {0, 0}), QColor(Qt::yellow));

        QCOMPARE(frame.Surface()->pos(), QPoint(1, 1));
        QCOMPARE(frame.Surface()->objectName(), QStringLiteral("m_pframePlay"));
        QVERIFY(frame.GetPlayWndId() != 0);
        QVERIFY(vrend::surfaces::Exists(frame.GetPlayWndId()));
        QVERIFY(frame.Surface()->updatesEnabled());
    }
};

QTEST_MAIN(TestFrames)
#include "tst_frames.moc"
