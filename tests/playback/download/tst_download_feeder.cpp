// The download table feeder: rows in list order with their texts and data, one row in flight at
// a time, a feeder destroyed mid-way, an empty list, and the progress it feeds.

#include <QtTest>

#include <QStandardItemModel>

#include <atomic>
#include <memory>

#include "app/CommonUtil.h"
#include "playback/DataDistributionThread.h"
#include "widgets/CProgress.h"
#include "widgets/PromptHook.h"

using namespace Varpen;

namespace {

SingleFileList MakeFiles(int n)
{
    SingleFileList files;
    const time_t t0 = QDateTime(QDate(2024, 3, 5), QTime(10, 0)).toSecsSinceEpoch();
    for (int i = 0; i < n; ++i)
        files.push_back(std::make_shared<CSingleFile>("f" + std::to_string(i), "/x",
                                                      1000ull * (i + 1) + (i == 2 ? 5ull << 32 : 0), t0 + 600 * i,
                                                      t0 + 600 * i + 599, 3, "", 0));
    return files;
}

// Takes the rows on the GUI thread; answers each one only when told to.
class Receiver : public QObject {
public:
    explicit Receiver(CDataDistributionThread* feeder, bool answer = true) : m_feeder(feeder), m_answer(answer)
    {
        connect(feeder, &CDataDistributionThread::SignalSendItems, this, &Receiver::Take);
        // Counted on the worker as it sends: how far it has gone ahead of us.
        connect(
            feeder, &CDataDistributionThread::SignalSendItems, feeder, [this](const QList<QStandardItem*>&) { ++sent; },
            Qt::DirectConnection);
        connect(feeder, &CDataDistributionThread::SendFinished, this, [this] { finished = true; });
    }
    void Take(const QList<QStandardItem*>& row)
    {
        model.appendRow(row);
        // Give the worker time to run ahead if it could: it must not.
        QThread::msleep(5);
        maxAhead = std::max(maxAhead, sent.load() - model.rowCount());
        if (m_answer && m_feeder)
            m_feeder->OnStartNow();
    }

    QStandardItemModel model;
    std::atomic<int> sent{0};
    int maxAhead = 0;
    bool finished = false;
    QPointer<CDataDistributionThread> m_feeder;
    bool m_answer;
};

}  // namespace

class TestDownloadFeeder : public QObject {
    Q_OBJECT
private slots:
    void rowsInOrder()
    {
        const SingleFileList files = MakeFiles(5);
        CDataDistributionThread feeder(files);
        Receiver rec(&feeder);
        feeder.Start();
        QTRY_VERIFY(rec.finished);
        QCOMPARE(rec.model.rowCount(), 5);
        QCOMPARE(rec.maxAhead, 0);  // exactly one row in flight
        for (int i = 0; i < 5; ++i) {
            QStandardItem* first = rec.model.item(i, 0);
            QCOMPARE(rec.model.columnCount(), 5);
            QCOMPARE(first->text(), QString::number(i + 1));
            QVERIFY(first->isCheckable());
            QCOMPARE(first->checkState(), Qt::Unchecked);
            QCOMPARE(first->data(CDataDistributionThread::kSizeRole).toULongLong(), qulonglong(files[i]->GetSize()));
            QCOMPARE(first->data(CDataDistributionThread::kPositionRole).toInt(), i);
            QCOMPARE(rec.model.item(i, 1)->text(),
                     QDateTime::fromSecsSinceEpoch(files[i]->GetStartTime()).toString("yyyy-MM-dd hh:mm:ss"));
            QCOMPARE(rec.model.item(i, 2)->text(),
                     QDateTime::fromSecsSinceEpoch(files[i]->GetEndTime()).toString("yyyy-MM-dd hh:mm:ss"));
            QCOMPARE(rec.model.item(i, 3)->text(), CCommonUtil::FormatSize(files[i]->GetSize()));
            QCOMPARE(rec.model.item(i, 4)->text(), QString("Wait"));
            for (int c = 0; c < 5; ++c)
                QVERIFY(!rec.model.item(i, c)->isEditable());
        }
        QCOMPARE(rec.model.item(0, 1)->text(), QString("2024-03-05 10:00:00"));
        // A size above 4 GiB is kept whole.
        QVERIFY(rec.model.item(2, 0)->data(CDataDistributionThread::kSizeRole).toULongLong() > (4ull << 30));
    }

    void waitsForEachAnswer()
    {
        // Nobody answers the first row: the worker waits for it and sends nothing more.
        CDataDistributionThread feeder(MakeFiles(3));
        Receiver rec(&feeder, false);
        feeder.Start();
        QTRY_COMPARE(rec.model.rowCount(), 1);
        QTest::qWait(100);
        QCOMPARE(rec.sent.load(), 1);
        feeder.OnStartNow();
        QTRY_COMPARE(rec.model.rowCount(), 2);
        QTest::qWait(50);
        QCOMPARE(rec.sent.load(), 2);
        feeder.OnStartNow();
        QTRY_COMPARE(rec.model.rowCount(), 3);
        QVERIFY(!rec.finished);
        feeder.OnStartNow();
        QTRY_VERIFY(rec.finished);
        QCOMPARE(rec.model.rowCount(), 3);
    }

    void destroyedMidWay()
    {
        // The owner closes the progress after the first row and destroys the feeder: no deadlock;
        // the rest of the rows still reach the owner, in order, after the feeder is gone.
        auto feeder = std::make_unique<CDataDistributionThread>(MakeFiles(6));
        Receiver rec(feeder.get(), false);
        feeder->Start();
        QTRY_COMPARE(rec.model.rowCount(), 1);
        feeder.reset();
        QTRY_COMPARE(rec.model.rowCount(), 6);
        for (int i = 0; i < 6; ++i)
            QCOMPARE(rec.model.item(i, 0)->text(), QString::number(i + 1));
    }

    void emptyList()
    {
        CDataDistributionThread feeder({});
        Receiver rec(&feeder);
        feeder.Start();
        QTRY_VERIFY(rec.finished);
        QCOMPARE(rec.sent.load(), 0);
        QVERIFY(feeder.wait(5000));
    }

    void feedsTheProgressDialog_data()
    {
        QTest::addColumn<int>("count");
        QTest::newRow("empty") << 0;
        QTest::newRow("four files") << 4;
    }
    void feedsTheProgressDialog()
    {
        // Wired as the dialog wires it: the progress runs modally and the feeder's end closes it;
        // the percentage stays below 100 until then.
        QFETCH(int, count);
        CPromptHook::SetAnswerer([](const CPrompt&) { return CPromptHook::kRunModal; });
        CProgress progress;
        QList<int> percents;
        CDataDistributionThread feeder(MakeFiles(count));
        QStandardItemModel model;
        connect(&feeder, &CDataDistributionThread::SignalProgressChanged, &progress,
                qOverload<int, int>(&CProgress::OnProgressChanged), Qt::QueuedConnection);
        connect(
            &feeder, &CDataDistributionThread::SignalProgressChanged, this,
            [&](int current, int total) {
                bool ignored = false;
                percents << CProgress::PercentOf(current, total, &ignored);
            },
            Qt::QueuedConnection);
        connect(&feeder, &CDataDistributionThread::SendFinished, &progress, &CProgress::OnConfirmBtnClicked);
        connect(&feeder, &CDataDistributionThread::SignalSendItems, this, [&](const QList<QStandardItem*>& row) {
            model.appendRow(row);
            feeder.OnStartNow();
        });
        feeder.Start();
        QCOMPARE(progress.exec(), int(QDialog::Accepted));
        CPromptHook::SetAnswerer({});
        QCOMPARE(model.rowCount(), count);
        QCOMPARE(percents.size(), count);
        for (int p : percents)
            QVERIFY(p < 100);
    }
};

QTEST_MAIN(TestDownloadFeeder)
#include "tst_download_feeder.moc"
