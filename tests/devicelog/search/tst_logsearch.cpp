// The log search thread on generated disk images: batches of at most 500 rows, each waiting until
// the page took the one before; filters; cancel; nothing found against a log that cannot be read.
#include "devicelog/LogRecordText.h"
#include "devicelog/LogSearch.h"
#include "devicelog/LogTrans.h"
#include "platform/diskrec/DiskImageWriter.h"
#include "tests/devicelog/LogDiskImage.h"
#include "tests/support/QueuedSpy.h"

#include <QTemporaryDir>
#include <QtTest>

#include <cstring>
#include <ctime>
#include <memory>

namespace {

using LogDiskImage::BaseTime;

QString MakeImage(const QTemporaryDir& dir, const std::vector<DR_LogRecord>& logs)
{
    static int serial = 0;
    const QString path = dir.filePath(QStringLiteral("disk-%1.img").arg(++serial));
    std::string error;
    if (!LogDiskImage::Write(path, logs, &error))
        qWarning() << error.c_str();
    return path;
}

LogSearchCondition AllTypes()
{
    LogSearchCondition c;
    c.Init();
    c.major = 0;
    c.minor = 0;
    return c;
}

LogSearchTime Time(int day, int hour, int minute, int second)
{
    return LogSearchTime{2024, 1, day, hour, minute, second};
}

// Receives batches as the page does: counts them, keeps the rows, answers when told to.
struct Page : QObject {
    CLogSearch* search = nullptr;
    bool answer = true;
    QList<int> handedOver;
    QList<int> totals;
    QList<int> sizes;
    QStringList firstIds;
    CLogRowList rows;

    void OnBatch(LogBatch batch, int over, int total, int)
    {
        handedOver << over;
        totals << total;
        sizes << int(batch->rows.size());
        if (!batch->rows.empty())
            firstIds << batch->Text(batch->rows.front(), LogColumnId);
        rows.Append(batch);
        if (answer)
            search->ContinueSearch();
    }
};

}  // namespace

class TestLogSearch : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;

private slots:
    void batches_data()
    {
        QTest::addColumn<int>("records");
        QTest::addColumn<QList<int>>("sizes");
        QTest::newRow("none") << 0 << QList<int>{};
        QTest::newRow("500") << 500 << QList<int>{500};
        QTest::newRow("501") << 501 << QList<int>{500, 1};
        QTest::newRow("1200") << 1200 << QList<int>{500, 500, 200};
    }

    void batches()
    {
        QFETCH(int, records);
        QFETCH(QList<int>, sizes);
        const QString image = MakeImage(m_dir, diskrec::MakeSampleLogs(records, BaseTime(), 60));
        CLogSearch search;
        Page page;
        page.search = &search;
        connect(&search, &CLogSearch::SetLogInfoToView, &page, &Page::OnBatch);
        QueuedSpy none(&search, &CLogSearch::SetLogInfoNullToView);
        QueuedSpy failed(&search, &CLogSearch::SetLogInfoErrorToView);
        search.SetDiskPath(image.toLocal8Bit());
        search.SetCondition(AllTypes());
        search.start();
        QTRY_VERIFY_WITH_TIMEOUT(search.isFinished(), 20000);
        QVERIFY(search.wait());
        QCoreApplication::processEvents();
        QCOMPARE(page.sizes, sizes);
        QCOMPARE(none.Count(), records == 0 ? 1 : 0);
        QCOMPARE(failed.Count(), 0);
        int over = 0;
        for (int i = 0; i < sizes.size(); ++i) {
            over += sizes[i];
            QCOMPARE(page.handedOver[i], over);
            QCOMPARE(page.totals[i], records);
            QCOMPARE(page.firstIds[i], QString::number(i * 500 + 1));  // numbers run on across batches
        }
        std::vector<LogRecord> left;
        QVERIFY(search.GetResult(left));
        QVERIFY(left.empty());
    }

    void noSecondBatchBeforeTheFirstIsTaken()
    {
        const QString image = MakeImage(m_dir, diskrec::MakeSampleLogs(1200, BaseTime(), 60));
        CLogSearch search;
        Page page;
        page.search = &search;
        page.answer = false;
        connect(&search, &CLogSearch::SetLogInfoToView, &page, &Page::OnBatch);
        search.SetDiskPath(image.toLocal8Bit());
        search.SetCondition(AllTypes());
        search.start();
        QTRY_COMPARE_WITH_TIMEOUT(page.sizes.size(), 1, 20000);
        QTest::qWait(200);
        QCOMPARE(page.sizes.size(), 1);
        QVERIFY(search.isRunning());
        search.ContinueSearch();
        QTRY_COMPARE_WITH_TIMEOUT(page.sizes.size(), 2, 20000);

        // A cancel during the hand-over: no further batch, the thread ends at once.
        search.StopSearch();
        QVERIFY(search.wait(20000));
        QCoreApplication::processEvents();
        QCOMPARE(page.sizes.size(), 2);
    }

    void filters_data()
    {
        QTest::addColumn<int>("major");
        QTest::addColumn<int>("minor");
        QTest::addColumn<bool>("window");
        QTest::newRow("major only") << 3 << 0 << false;
        QTest::newRow("minor only") << 0 << 0x50 << false;
        QTest::newRow("major and minor") << 1 << 0x3 << false;
        QTest::newRow("inclusive window") << 0 << 0 << true;
    }

    void filters()
    {
        QFETCH(int, major);
        QFETCH(int, minor);
        QFETCH(bool, window);
        // One record a minute over the first three hours of the day.
        const std::vector<DR_LogRecord> logs = diskrec::MakeSampleLogs(180, BaseTime(), 60);
        const QString image = MakeImage(m_dir, logs);
        LogSearchCondition c = AllTypes();
        c.major = major;
        c.minor = minor;
        if (window) {
            c.hasStart = c.hasEnd = true;
            c.start = Time(1, 0, 10, 0);
            c.end = Time(1, 0, 20, 0);
        }
        int expected = 0;
        for (const DR_LogRecord& r : logs) {
            const QByteArray time(r.time, int(strnlen(r.time, 16)));
            const bool inWindow = !window || (time >= "20240101001000" && time <= "20240101002000");
            if ((major == 0 || int(r.major_type) == major) && (minor == 0 || int(r.minor_type) == minor) && inWindow)
                ++expected;
        }
        QVERIFY(expected > 0);
        if (window)
            QCOMPARE(expected, 11);  // both ends count

        CLogSearch search;
        Page page;
        page.search = &search;
        connect(&search, &CLogSearch::SetLogInfoToView, &page, &Page::OnBatch);
        search.SetDiskPath(image.toLocal8Bit());
        search.SetCondition(c);
        search.start();
        QTRY_VERIFY_WITH_TIMEOUT(search.isFinished(), 20000);
        QCoreApplication::processEvents();
        QCOMPARE(page.rows.Count(), expected);
        const CLogTrans trans;
        for (int row = 0; row < page.rows.Count(); ++row) {
            if (major)
                QCOMPARE(page.rows.Text(row, LogColumnMajor), trans.TransMajorType(unsigned(major)));
            if (minor)
                QCOMPARE(page.rows.Text(row, LogColumnMinor), trans.TransMinorType(unsigned(minor)));
            const QString time = page.rows.Text(row, LogColumnTime);
            if (window)
                QVERIFY2(time >= QLatin1String("2024-01-01 00:10:00") && time <= QLatin1String("2024-01-01 00:20:00"),
                         qPrintable(time));
        }
    }

    void unreadableLogIsNoEmptyLog()
    {
        const QString notADisk = m_dir.filePath(QStringLiteral("plain.bin"));
        {
            QFile f(notADisk);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QByteArray(4096, 'x'));
        }
        for (const QString& path : {notADisk, m_dir.filePath(QStringLiteral("missing.img")), QString()}) {
            CLogSearch search;
            QueuedSpy none(&search, &CLogSearch::SetLogInfoNullToView);
            QueuedSpy failed(&search, &CLogSearch::SetLogInfoErrorToView);
            if (!path.isEmpty())
                search.SetDiskPath(path.toLocal8Bit());
            search.SetCondition(AllTypes());
            search.start();
            QVERIFY(search.wait(20000));
            none.Flush();
            failed.Flush();
            QCOMPARE(none.Count(), 0);
            QCOMPARE(failed.Count(), 1);
            std::vector<LogRecord> records;
            QVERIFY(!search.GetResult(records));
        }
    }

    void destroyingARunningSearchStopsIt()
    {
        const QString image = MakeImage(m_dir, diskrec::MakeSampleLogs(1200, BaseTime(), 60));
        auto search = std::make_unique<CLogSearch>();
        Page page;
        page.search = search.get();
        page.answer = false;
        connect(search.get(), &CLogSearch::SetLogInfoToView, &page, &Page::OnBatch);
        search->SetDiskPath(image.toLocal8Bit());
        search->SetCondition(AllTypes());
        search->start();
        QTRY_COMPARE_WITH_TIMEOUT(page.sizes.size(), 1, 20000);
        search.reset();  // waits in the batch hand-over: must stop and join, not abort
        QCOMPARE(page.sizes.size(), 1);
    }
};

QTEST_MAIN(TestLogSearch)
#include "tst_logsearch.moc"
