// The recording-day checker on a real recording folder: the days it marks, how tasks replace
// each other, and what it does once stopped.

#include <QtTest>

#include <cstdlib>
#include <thread>

#include "engine/CheckRemoteFileExistThread.h"
#include "tests/engine/download/DownloadFixture.h"
#include "tests/support/WorkerLatch.h"

using DownloadFixture::SampleSet;

namespace {

QList<QDate> Dates(std::initializer_list<const char*> texts)
{
    QList<QDate> out;
    for (const char* t : texts)
        out << QDate::fromString(QString::fromLatin1(t), Qt::ISODate);
    return out;
}

}  // namespace

class TestDayChecker : public QObject {
    Q_OBJECT

    SampleSet m_month;

    // Counts SignalCheckFinish on this (the test's) thread. The checker is the connection's context:
    // a finish still queued when it goes is dropped with it, not counted into a test that has ended.
    int Watch(CCheckRemoteFileExistThread& checker, int* finishes)
    {
        connect(&checker, &CCheckRemoteFileExistThread::SignalCheckFinish, &checker, [finishes] { ++*finishes; });
        return 0;
    }

    Varpen::CChannel Channel(int number) const { return Varpen::CChannel(number, m_month.Group()); }

private slots:
    void initTestCase()
    {
        setenv("TZ", "Europe/Berlin", 1);
        tzset();
        QVERIFY2(m_month.Load("month"), "the month sample set is missing");
        // The set spans the turn of January: its last day holds recordings.
        QCOMPARE(m_month.manifest.value("dates").toArray().first().toString(), QString("20240130"));
    }

    void marksTheRightDays_data()
    {
        QTest::addColumn<QDate>("first");
        QTest::addColumn<QDate>("last");
        QTest::addColumn<int>("channelOffset");  // added to the set's first channel
        QTest::addColumn<QList<QDate>>("expected");
        QTest::newRow("January, its last day included")
            << QDate(2024, 1, 1) << QDate(2024, 1, 31) << 0 << Dates({"2024-01-30", "2024-01-31"});
        QTest::newRow("February") << QDate(2024, 2, 1) << QDate(2024, 2, 29) << 0 << Dates({"2024-02-01"});
        QTest::newRow("one day") << QDate(2024, 1, 31) << QDate(2024, 1, 31) << 3 << Dates({"2024-01-31"});
        QTest::newRow("a month without recordings") << QDate(2023, 12, 1) << QDate(2023, 12, 31) << 0 << QList<QDate>();
        QTest::newRow("a channel without recordings")
            << QDate(2024, 1, 1) << QDate(2024, 1, 31) << 40 << QList<QDate>();
    }
    void marksTheRightDays()
    {
        QFETCH(QDate, first);
        QFETCH(QDate, last);
        QFETCH(int, channelOffset);
        QFETCH(QList<QDate>, expected);
        CCheckRemoteFileExistThread checker;
        int finishes = 0;
        Watch(checker, &finishes);
        checker.SetUseIndex(true);
        QVERIFY(checker.StartThread());
        checker.StartCheck(first, last, m_month.root, Channel(m_month.FirstChannel() + channelOffset));
        QTRY_COMPARE_WITH_TIMEOUT(finishes, 1, 30000);
        QCOMPARE(checker.GetExistFileDate(), expected);
        checker.StopCheck();
    }

    void marksDaysOnRecorderDisks_data()
    {
        QTest::addColumn<QString>("image");
        QTest::addColumn<QDate>("first");
        QTest::addColumn<QDate>("last");
        QTest::addColumn<QList<QDate>>("expected");
        // The disks hold 2024-01-30 and 2024-01-31.
        QTest::newRow("plain, January") << "disk-plain.img" << QDate(2024, 1, 1) << QDate(2024, 1, 31)
                                        << Dates({"2024-01-30", "2024-01-31"});
        QTest::newRow("under _NVR_DIR_, January")
            << "disk-nvr.img" << QDate(2024, 1, 1) << QDate(2024, 1, 31) << Dates({"2024-01-30", "2024-01-31"});
        QTest::newRow("under _DVR_DIR_, February")
            << "disk-dvr.img" << QDate(2024, 2, 1) << QDate(2024, 2, 29) << QList<QDate>();
        QTest::newRow("not a recorder disk")
            << "disk-broken-bad-magic.img" << QDate(2024, 1, 1) << QDate(2024, 1, 31) << QList<QDate>();
    }
    void marksDaysOnRecorderDisks()
    {
        QFETCH(QString, image);
        QFETCH(QDate, first);
        QFETCH(QDate, last);
        QFETCH(QList<QDate>, expected);
        CCheckRemoteFileExistThread checker;
        int finishes = 0;
        Watch(checker, &finishes);
        QVERIFY(checker.StartThread());
        checker.StartCheck(first, last, DownloadFixture::BuildDir() + "/samples/test/" + image, "", 0, false);
        QTRY_COMPARE_WITH_TIMEOUT(finishes, 1, 30000);
        QCOMPARE(checker.GetExistFileDate(), expected);
    }

    void twoQuickTasksGiveOneFinishForTheLatest()
    {
        CCheckRemoteFileExistThread checker;
        int finishes = 0;
        Watch(checker, &finishes);
        checker.SetUseIndex(true);
        // Both tasks are in before the worker can take either.
        checker.StartCheck(QDate(2024, 1, 1), QDate(2024, 1, 31), m_month.root, Channel(m_month.FirstChannel()));
        checker.StartCheck(QDate(2024, 2, 1), QDate(2024, 2, 29), m_month.root, Channel(m_month.FirstChannel()));
        QVERIFY(checker.GetExistFileDate().isEmpty());  // pending
        QVERIFY(checker.StartThread());
        QTRY_COMPARE_WITH_TIMEOUT(finishes, 1, 30000);
        QTest::qWait(3 * CCheckRemoteFileExistThread::kIdle_ms);
        QCOMPARE(finishes, 1);
        QCOMPARE(checker.GetExistFileDate(), Dates({"2024-02-01"}));
    }

    void taskChangesDuringSearchesAreSafe()
    {
        // Tasks replace each other while the worker searches; the last one decides what is
        // shown, and no earlier result leaks into it.
        CCheckRemoteFileExistThread checker;
        int finishes = 0;
        Watch(checker, &finishes);
        checker.SetUseIndex(true);
        QVERIFY(checker.StartThread());
        for (int i = 0; i < 60; ++i) {
            const bool january = i % 2 == 0;
            checker.StartCheck(january ? QDate(2024, 1, 1) : QDate(2024, 2, 1),
                               january ? QDate(2024, 1, 31) : QDate(2024, 2, 29), m_month.root,
                               Channel(m_month.FirstChannel() + i % 4));
            std::this_thread::sleep_for(std::chrono::milliseconds(i % 7));
            (void)checker.GetExistFileDate();
        }
        const int before = finishes;
        checker.StartCheck(QDate(2024, 1, 1), QDate(2024, 1, 31), m_month.root, Channel(m_month.FirstChannel()));
        QTRY_VERIFY_WITH_TIMEOUT(finishes > before, 30000);
        QTRY_COMPARE_WITH_TIMEOUT(checker.GetExistFileDate(), Dates({"2024-01-30", "2024-01-31"}), 30000);
        checker.StopCheck();
    }

    // A task held before one of its days: a newer task, or a stop asked without waiting, drops
    // the rest of it before its next day. Only the newer task is told; a stop tells nothing.
    void heldTaskDroppedBeforeItsNextDay_data()
    {
        QTest::addColumn<bool>("stop");  // else a newer task
        QTest::newRow("newer task") << false;
        QTest::newRow("stop") << true;
    }
    void heldTaskDroppedBeforeItsNextDay()
    {
        QFETCH(bool, stop);
        CCheckRemoteFileExistThread checker;
        int finishes = 0;
        Watch(checker, &finishes);
        checker.SetUseIndex(true);
        QVERIFY(checker.StartThread());
        WorkerLatch latch(WorkerHooks::Point::DayCheckDay);
        checker.StartCheck(QDate(2024, 1, 1), QDate(2024, 1, 31), m_month.root, Channel(m_month.FirstChannel()));
        QVERIFY(latch.WaitHeld());
        if (stop)
            checker.AskStop();
        else
            checker.StartCheck(QDate(2024, 2, 1), QDate(2024, 2, 1), m_month.root, Channel(m_month.FirstChannel()));
        QCOMPARE(latch.Held(), 1);  // returned while the search is held
        latch.Open();
        if (stop) {
            QTRY_VERIFY_WITH_TIMEOUT(!checker.IsRunning(), 30000);
            QCOMPARE(latch.Arrivals(), 1);  // the held day was the last
            QCoreApplication::processEvents();
            QCOMPARE(finishes, 0);
        } else {
            QTRY_COMPARE_WITH_TIMEOUT(finishes, 1, 30000);
            QCOMPARE(latch.Arrivals(), 2);  // the held day, then the one day of the newer task
            QCOMPARE(checker.GetExistFileDate(), Dates({"2024-02-01"}));
        }
        QVERIFY(!latch.TimedOut());
        checker.StopCheck();
    }

    void nothingAfterStopCheck()
    {
        CCheckRemoteFileExistThread checker;
        int finishes = 0;
        Watch(checker, &finishes);
        checker.SetUseIndex(true);
        QVERIFY(checker.StartThread());
        checker.StopCheck();
        checker.StartCheck(QDate(2024, 1, 1), QDate(2024, 1, 31), m_month.root, Channel(m_month.FirstChannel()));
        QVERIFY(checker.StartThread());
        QTest::qWait(3 * CCheckRemoteFileExistThread::kIdle_ms);
        QCOMPARE(finishes, 0);
        QVERIFY(checker.GetExistFileDate().isEmpty());
        checker.StopCheck();
    }
};

QTEST_GUILESS_MAIN(TestDayChecker)
#include "tst_day_checker.moc"
