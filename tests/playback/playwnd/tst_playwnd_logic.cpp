// The play window's decisions as tables: the 300 ms poll, the letterboxed picture, the zoom
// rectangle, drop acceptance, the title strip's rooms and the label texts.
#include <QtTest>

#include "playback/PlaybackWndLogic.h"

using namespace PlayWnd;

class TestPlayWndLogic : public QObject {
    Q_OBJECT
private slots:
    void poll_data()
    {
        QTest::addColumn<int>("error");
        QTest::addColumn<bool>("end");
        QTest::addColumn<bool>("clipping");
        QTest::addColumn<bool>("clipLow");
        QTest::addColumn<bool>("clipFailed");  // the clip ended by itself on a failure
        QTest::addColumn<qint64>("time");
        QTest::addColumn<QStringList>("notices");
        QTest::addColumn<bool>("stop");
        QTest::addColumn<bool>("stopClip");
        QTest::addColumn<qint64>("shown");  // -1: the label is left as it is
        const QString noDisk = QString::fromLatin1(kNoDiskVideo);
        const QString end = QString::fromLatin1(kEndOfVideo);
        const QString clip = QString::fromLatin1(kClipException);
        QTest::newRow("playing") << 0 << false << false << false << false << qint64(1000) << QStringList{} << false
                                 << false << qint64(1000);
        QTest::newRow("time unknown") << 0 << false << false << false << false << qint64(-1) << QStringList{} << false
                                      << false << qint64(-1);
        QTest::newRow("error 1") << 1 << false << false << false << false << qint64(1000) << QStringList{noDisk} << true
                                 << false << qint64(-1);
        QTest::newRow("error 2 silent") << 2 << false << false << false << false << qint64(1000) << QStringList{}
                                        << true << false << qint64(-1);
        QTest::newRow("end") << 0 << true << false << false << false << qint64(1000) << QStringList{end} << true
                             << false << qint64(-1);
        QTest::newRow("error 1 and end") << 1 << true << false << false << false << qint64(1000)
                                         << QStringList{noDisk, end} << true << false << qint64(-1);
        QTest::newRow("clip, space ok") << 0 << false << true << false << false << qint64(5) << QStringList{} << false
                                        << false << qint64(5);
        QTest::newRow("clip, space low") << 0 << false << true << true << false << qint64(5) << QStringList{clip}
                                         << false << true << qint64(5);
        QTest::newRow("space low, no clip")
            << 0 << false << false << true << false << qint64(5) << QStringList{} << false << false << qint64(5);
        QTest::newRow("clip failed") << 0 << false << false << false << true << qint64(5) << QStringList{clip} << false
                                     << true << qint64(5);
        QTest::newRow("end with a failed clip")
            << 0 << true << false << false << true << qint64(5) << QStringList{end} << true << false << qint64(-1);
        QTest::newRow("end while clipping")
            << 0 << true << true << true << false << qint64(5) << QStringList{end} << true << false << qint64(-1);
    }
    void poll()
    {
        QFETCH(int, error);
        QFETCH(bool, end);
        QFETCH(bool, clipping);
        QFETCH(bool, clipLow);
        QFETCH(bool, clipFailed);
        QFETCH(qint64, time);
        QFETCH(QStringList, notices);
        QFETCH(bool, stop);
        QFETCH(bool, stopClip);
        QFETCH(qint64, shown);
        PollLatch latch;
        const PollInput in{error, end, clipping, clipLow, time_t(time), clipFailed};
        const PollActions first = DecidePoll(in, latch);
        QCOMPARE(first.notices, notices);
        QCOMPARE(first.stop, stop);
        QCOMPARE(first.stopClip, stopClip);
        QCOMPARE(first.showTime.has_value(), shown >= 0);
        if (shown >= 0)
            QCOMPARE(qint64(*first.showTime), shown);
        // The same state seen by the following polls (an error word is not cleared by the
        // stop) gives the same actions but never the same notice again.
        for (int i = 0; i < 5; ++i) {
            const PollActions again = DecidePoll(in, latch);
            QVERIFY(again.notices.isEmpty());
            QCOMPARE(again.stop, stop);
            QCOMPARE(again.stopClip, stopClip);
        }
        // A new start clears the latch: the next end is said again.
        latch = {};
        QCOMPARE(DecidePoll(in, latch).notices, notices);
    }

    void osdTime()
    {
        const QDateTime t(QDate(2024, 1, 30), QTime(7, 5, 9));
        QCOMPARE(FormatOsdTime(time_t(t.toSecsSinceEpoch())), QStringLiteral("2024-01-30 07:05:09"));
    }

    void letterbox_data()
    {
        QTest::addColumn<QRect>("video");
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QRect>("expected");
        QTest::newRow("4:3 in wide cell") << QRect(1, 19, 400, 200) << QSize(640, 480) << QRect(68, 19, 266, 200);
        QTest::newRow("16:9 in tall cell") << QRect(1, 19, 200, 300) << QSize(1280, 720) << QRect(1, 113, 200, 112);
        QTest::newRow("same ratio") << QRect(0, 0, 320, 240) << QSize(640, 480) << QRect(0, 0, 320, 240);
        QTest::newRow("size unknown") << QRect(0, 0, 320, 240) << QSize(0, 480) << QRect();
        QTest::newRow("cell without area") << QRect(0, 0, 0, 0) << QSize(640, 480) << QRect();
    }
    void letterbox()
    {
        QFETCH(QRect, video);
        QFETCH(QSize, picture);
        QFETCH(QRect, expected);
        QCOMPARE(Letterbox(video, picture), expected);
    }

    void zoom_data()
    {
        QTest::addColumn<QPointF>("press");
        QTest::addColumn<QPointF>("current");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QRectF>("region");
        const QSize s(200, 100);
        Q_UNUSED(s);
        QTest::newRow("down right") << QPointF(20, 10) << QPointF(120, 60) << true << QRectF(0.1, 0.1, 0.5, 0.5);
        QTest::newRow("up left is sorted") << QPointF(120, 60) << QPointF(20, 10) << true << QRectF(0.1, 0.1, 0.5, 0.5);
        QTest::newRow("past the edge is clamped")
            << QPointF(100, 50) << QPointF(500, -40) << true << QRectF(0.5, 0.0, 0.5, 0.5);
        QTest::newRow("click") << QPointF(50, 50) << QPointF(50, 50) << false << QRectF();
        QTest::newRow("thin line") << QPointF(10, 10) << QPointF(150, 12) << false << QRectF();
        QTest::newRow("outside only") << QPointF(300, 10) << QPointF(400, 80) << false << QRectF();
    }
    void zoom()
    {
        QFETCH(QPointF, press);
        QFETCH(QPointF, current);
        QFETCH(bool, valid);
        QFETCH(QRectF, region);
        const std::optional<QRectF> r = ZoomRegion(press, current, QSize(200, 100));
        QCOMPARE(r.has_value(), valid);
        if (valid) {
            QVERIFY2(qAbs(r->left() - region.left()) < 1e-9 && qAbs(r->top() - region.top()) < 1e-9 &&
                         qAbs(r->width() - region.width()) < 1e-9 && qAbs(r->height() - region.height()) < 1e-9,
                     qPrintable(
                         QStringLiteral("%1,%2 %3x%4").arg(r->left()).arg(r->top()).arg(r->width()).arg(r->height())));
            // Back to surface pixels for drawing: inside the surface.
            const QRect px = ZoomRectOnSurface(*r, QSize(200, 100));
            QVERIFY(QRect(0, 0, 200, 100).contains(px));
        }
        QVERIFY(!ZoomRegion(press, current, QSize(0, 0)).has_value());
    }

    void drop_data()
    {
        QTest::addColumn<bool>("hasSource");
        QTest::addColumn<bool>("self");
        QTest::addColumn<bool>("format");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("from the tree") << true << false << true << true;
        QTest::newRow("from itself") << true << true << true << false;
        QTest::newRow("other application") << false << false << true << false;
        QTest::newRow("other format") << true << false << false << false;
    }
    void drop()
    {
        QFETCH(bool, hasSource);
        QFETCH(bool, self);
        QFETCH(bool, format);
        QFETCH(bool, accepted);
        QCOMPARE(AcceptDrop(hasSource, self, format), accepted);
    }

    // The title strip: the time keeps its room at the right edge inside the border, the name
    // takes the rest; the two never overlap and never leave the cell.
    void titleStrip_data()
    {
        QTest::addColumn<int>("cellWidth");
        QTest::addColumn<int>("timeWidth");
        QTest::addColumn<QRect>("name");
        QTest::addColumn<QRect>("time");
        QTest::newRow("one window") << 728 << 125 << QRect(1, 1, 601, 18) << QRect(602, 1, 125, 18);
        QTest::newRow("four windows") << 364 << 125 << QRect(1, 1, 237, 18) << QRect(238, 1, 125, 18);
        QTest::newRow("sixteen windows") << 182 << 125 << QRect(1, 1, 55, 18) << QRect(56, 1, 125, 18);
        QTest::newRow("time needs more") << 182 << 131 << QRect(1, 1, 49, 18) << QRect(50, 1, 131, 18);
        QTest::newRow("just the time") << 127 << 125 << QRect(1, 1, 0, 18) << QRect(1, 1, 125, 18);
        QTest::newRow("narrower than the time") << 100 << 125 << QRect(1, 1, 0, 18) << QRect(1, 1, 98, 18);
        QTest::newRow("no width") << 0 << 125 << QRect(1, 1, 0, 18) << QRect(1, 1, 0, 18);
    }
    void titleStrip()
    {
        QFETCH(int, cellWidth);
        QFETCH(int, timeWidth);
        QFETCH(QRect, name);
        QFETCH(QRect, time);
        const TitleStrip strip = LayoutTitleStrip(cellWidth, 1, 1, 18, timeWidth);
        QCOMPARE(strip.name, name);
        QCOMPARE(strip.time, time);
        QVERIFY(!strip.name.intersects(strip.time));
        QVERIFY(strip.time.x() + strip.time.width() <= std::max(1, cellWidth - 1));
    }

    void texts()
    {
        QCOMPARE(TitlePrefix(QStringLiteral("Window"), 0), QStringLiteral(" Window01:"));
        QCOMPARE(TitlePrefix(QStringLiteral("Window"), 8), QStringLiteral(" Window09:"));
        QCOMPARE(TitlePrefix(QStringLiteral("Window"), 9), QStringLiteral(" Window10:"));
        QCOMPARE(ChannelText(QStringLiteral("channel"), 0, false), QStringLiteral("channel1"));
        QCOMPARE(ChannelText(QStringLiteral("channel"), 0, true), QStringLiteral("channel0"));
        QCOMPARE(ChannelText(QStringLiteral("channel"), -1, false), QStringLiteral("-1"));
        const QStringList speeds{"", "1/8x", "1/4x", "1/2x", "1x", "2x", "4x", "8x", ""};
        for (int level = -4; level <= 4; ++level)
            QCOMPARE(SpeedText(level), speeds[level + 4]);
    }
};

QTEST_GUILESS_MAIN(TestPlayWndLogic)
#include "tst_playwnd_logic.moc"
