// The event-loop lateness meter: a held-up loop weighs by the time it was held up, not by its one
// late shot, in a table of bounded size.
#include "app/LoopLag.h"

#include <QTest>

class TestLoopLag : public QObject {
    Q_OBJECT
private slots:
    void figures_data()
    {
        QTest::addColumn<QList<double>>("shots");  // each repeated as given
        QTest::addColumn<int>("repeat");
        QTest::addColumn<double>("worst");
        QTest::addColumn<double>("p99Low");
        QTest::addColumn<double>("p99High");
        QTest::addColumn<qint64>("counted");
        QTest::newRow("no shot") << QList<double>{} << 0 << 0.0 << 0.0 << 0.0 << qint64(0);
        QTest::newRow("punctual") << QList<double>{0.0} << 1000 << 0.0 << 0.0 << 0.0 << qint64(1000);
        QTest::newRow("early counts as on time") << QList<double>{-2.0} << 10 << 0.0 << 0.0 << 0.0 << qint64(10);
        QTest::newRow("1 ms late each") << QList<double>{1.0} << 1000 << 1.0 << 1.0 << 1.1 << qint64(1000);
        // A held-up loop: its one shot stands for those it skipped.
        QTest::newRow("one 100 ms freeze") << QList<double>{100.0} << 1 << 100.0 << 99.0 << 100.0 << qint64(20);
        // 16 windows waiting 5 s each in turn.
        QTest::newRow("an 80 s freeze") << QList<double>{80000.0} << 1 << 80000.0 << 79100.0 << 79300.0
                                        << qint64(16000);
        QTest::newRow("beyond the table")
            << QList<double>{700000.0} << 1 << 700000.0 << 700000.0 << 700000.0 << qint64(140000);
    }

    void figures()
    {
        QFETCH(QList<double>, shots);
        QFETCH(int, repeat);
        QFETCH(double, worst);
        QFETCH(double, p99Low);
        QFETCH(double, p99High);
        QFETCH(qint64, counted);
        CLoopLag lag;
        for (int i = 0; i < repeat; ++i)
            for (double late : shots)
                lag.AddShot(late);
        const CLoopLag::Figures f = lag.Read();
        QCOMPARE(f.worst_ms, worst);
        QCOMPARE(f.shots, counted);
        QVERIFY2(f.p99_ms >= p99Low && f.p99_ms <= p99High, qPrintable(QString::number(f.p99_ms)));
        QVERIFY(f.median_ms <= f.p99_ms && f.p99_ms <= f.worst_ms);
    }

    void freezeAmongPunctualShots()
    {
        CLoopLag lag;
        for (int i = 0; i < 1000; ++i)
            lag.AddShot(0.0);
        lag.AddShot(100.0);
        const CLoopLag::Figures f = lag.Read();
        // 1020 shots: the 1010th smallest is the freeze's tenth, 50 ms late.
        QCOMPARE(f.shots, qint64(1020));
        QVERIFY2(f.p99_ms >= 50.0 && f.p99_ms <= 51.0, qPrintable(QString::number(f.p99_ms)));
        QVERIFY(f.median_ms <= 0.1);  // the upper edge of the first bucket
        QCOMPARE(f.worst_ms, 100.0);
    }

    void startForgetsTheLastRun()
    {
        CLoopLag lag;
        lag.AddShot(300.0);
        lag.Start();
        lag.Stop();
        const CLoopLag::Figures f = lag.Read();
        QCOMPARE(f.worst_ms, 0.0);
        QCOMPARE(f.shots, qint64(0));
    }
};

QTEST_GUILESS_MAIN(TestLoopLag)
#include "tst_looplag.moc"
