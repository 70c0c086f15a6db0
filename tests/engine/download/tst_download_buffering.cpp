// What the download's large blocks and gathered writes must not change: the output file's bytes
// reach the disk or fail loudly, packages are cut where small blocks would cut them, and a write
// that fails at the end of a file ends the job as a failure.

#include <QtTest>

#include <cstdlib>

#include "engine/OutputFile.h"
#include "platform/rtk/rtk.h"
#include "tests/engine/download/DownloadFixture.h"

using namespace Varpen;
using namespace DownloadFixture;

namespace {

constexpr int kJobTimeout_ms = 60000;
constexpr int kHeader = 40;
constexpr int kPlayerBlock = 8192;  // the block size packages were always cut on

std::atomic<int64_t> g_nameTick{2000000};
int64_t CountingClock()
{
    return g_nameTick.fetch_add(1);
}

// The packages of a job by files as a stream of 8 KiB blocks makes them: each recording starts a
// new output; a block that would take the output past the package size goes, after the stream
// header, into a new one (the header block itself is one block, and a block always goes whole).
QList<QByteArray> ExpectedPackages(const QList<QByteArray>& recordings, quint64 package)
{
    QList<QByteArray> out;
    for (const QByteArray& rec : recordings) {
        const QByteArray header = rec.left(kHeader);
        out << QByteArray();
        auto add = [&](const QByteArray& block, bool isHeader) {
            if (quint64(out.back().size()) + block.size() > package && !out.back().isEmpty())
                out << (isHeader ? QByteArray() : header);
            out.back() += block;
        };
        add(header, true);
        for (qsizetype at = kHeader; at < rec.size(); at += kPlayerBlock)
            add(rec.mid(at, kPlayerBlock), false);
    }
    return out;
}

}  // namespace

class TestDownloadBuffering : public QObject {
    Q_OBJECT

    QTemporaryDir m_scratch;
    SampleSet m_tiny;
    SingleFileList m_files;
    QString m_out;
    int m_testNo = 0;

    bool StartByFile(CStreamDownloader& d, const SingleFileList& files)
    {
        d.SetUseIndex(true);
        SetOutputNameClock(&CountingClock);
        return d.SetTask(std::make_unique<CStreamDownloaderParam>(m_tiny.FirstChannel())) &&
               d.StartByFile(files, {}, {});
    }
    QByteArray Recording(int i) const { return ReadAll(QString::fromStdString(m_files[i]->GetName())); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_scratch.isValid());
        LoadTinyRecordings(m_tiny, m_files);
        if (QTest::currentTestFailed())
            return;
        // Each recording fits in one delivered block and spans several 8 KiB blocks: the cuts
        // below all fall inside one delivered block.
        for (int i = 0; i < 3; ++i) {
            QVERIFY(Recording(i).size() > 4 * kPlayerBlock);
            QVERIFY(Recording(i).size() < qsizetype(CStreamDownloader::kDeliveryBlockKiB) * 1024);
        }
    }

    void init()
    {
        m_out = UseNewDownloadFolder(m_scratch, ++m_testNo, &FakeFreeSpace);
        QVERIFY(!m_out.isEmpty());
    }

    void cleanup()
    {
        SetOutputNameClock(nullptr);
        RTK_Test_FailWritesAfter(-1);
        Sys_SetFreeSpaceFunction(nullptr);
    }

    // ---- the output file with a write buffer ---------------------------------------------------

    // Writes smaller than, as large as and larger than the buffer, in every order, arrive whole
    // and in order; a reopen and the destructor write out what the buffer still holds.
    void bufferedWritesArriveInOrder_data()
    {
        QTest::addColumn<QList<int>>("lengths");  // with a 16-byte buffer
        QTest::newRow("small ones filling it") << QList<int>{5, 5, 5, 5, 5};
        QTest::newRow("exactly full") << QList<int>{6, 10, 16};
        QTest::newRow("large after small") << QList<int>{3, 40, 2};
        QTest::newRow("only large") << QList<int>{17, 33};
        QTest::newRow("one byte short of full") << QList<int>{15, 1, 15};
    }
    void bufferedWritesArriveInOrder()
    {
        QFETCH(QList<int>, lengths);
        QTemporaryDir dir;
        QByteArray expected;
        char next = 'a';
        {
            COutputFile out;
            out.SetBufferBytes(16);
            QVERIFY(out.Open((dir.path() + "/first.mp4").toStdString()));
            out.Write("first", 5);
            // Reopening closes the first file with its buffered bytes.
            QVERIFY(out.Open((dir.path() + "/second.mp4").toStdString()));
            for (int length : lengths) {
                const QByteArray chunk(length, next++);
                QCOMPARE(out.Write(chunk.constData(), unsigned(length)), unsigned(length));
                expected += chunk;
            }
            QCOMPARE(out.GetWrittenBytes(), unsigned(expected.size()));
            // No Close: the destructor must not lose the tail.
        }
        QCOMPARE(ReadAll(dir.path() + "/first.mp4"), QByteArray("first"));
        QCOMPARE(ReadAll(dir.path() + "/second.mp4"), expected);
    }

    // A buffered write that cannot reach the disk throws at the flush or the close, and an
    // incomplete file never takes its final name.
    void failedFlushThrows_data()
    {
        QTest::addColumn<bool>("explicitFlush");
        QTest::newRow("at Flush") << true;
        QTest::newRow("at Close") << false;
    }
    void failedFlushThrows()
    {
        QFETCH(bool, explicitFlush);
        QTemporaryDir dir;
        const QString work = dir.path() + "/work.mp4";
        const QString final = dir.path() + "/final.mp4";
        COutputFile out;
        out.SetBufferBytes(64);
        QVERIFY(out.Open(work.toStdString()));
        RTK_Test_FailWritesAfter(3);
        QCOMPARE(out.Write("abcdef", 6), 6u);  // still in the buffer: nothing fails yet
        if (explicitFlush) {
            QVERIFY_THROWS_EXCEPTION(CStorageException, out.Flush());
            QVERIFY(out.IsOpen());
            QCOMPARE(out.GetBufferedBytes(), std::size_t(0));
            out.Close(final.toStdString());  // the failure was reported once; nothing left
            QVERIFY(!out.IsOpen());
        } else {
            QVERIFY_THROWS_EXCEPTION(CStorageException, out.Close(final.toStdString()));
            QVERIFY(!out.IsOpen());
            QVERIFY(!QFile::exists(final));
            QCOMPARE(ReadAll(work), QByteArray("abc"));
        }
    }

    // ---- the downloader ----------------------------------------------------------------------

    // The packages hold the same bytes as with 8 KiB delivery blocks, whatever the package size
    // and however it lies against the block boundaries.
    void packagesAreCutOnSmallBlockBoundaries_data()
    {
        QTest::addColumn<qulonglong>("package");
        QTest::newRow("24 KiB") << qulonglong(24 * 1024);
        QTest::newRow("not a block multiple") << qulonglong(20000);
        QTest::newRow("header and one block") << qulonglong(kPlayerBlock + kHeader);
        QTest::newRow("smaller than a block") << qulonglong(5000);
    }
    void packagesAreCutOnSmallBlockBoundaries()
    {
        QFETCH(qulonglong, package);
        CStreamDownloader d;
        Recorder rec(d);
        d.SetPackageSizeOverride(package);
        QVERIFY(StartByFile(d, m_files));
        QTRY_VERIFY_WITH_TIMEOUT(rec.Ended(), kJobTimeout_ms);
        QCOMPARE(rec.Sequence(), QString("4,-1,3 0,-1,3 5,0,3 4,0,3 5,1,3 4,1,3 5,2,3 2,2,0"));

        const QList<QByteArray> expected = ExpectedPackages({Recording(0), Recording(1), Recording(2)}, package);
        const QStringList outputs = OutputFiles(m_out);  // names sort in creation order
        QCOMPARE(outputs.size(), expected.size());
        for (int i = 0; i < outputs.size(); ++i) {
            const QByteArray got = ReadAll(outputs[i]);
            QCOMPARE(got.size(), expected[i].size());
            QVERIFY2(got == expected[i], qPrintable(outputs[i]));
        }
    }

    // The last bytes of a file are written when its stream is complete; when that write fails the
    // job ends as a write failure, and the truncated file is not left behind as a finished one.
    void failedWriteAtTheEndOfAFile_data()
    {
        QTest::addColumn<int>("failInFile");
        QTest::addColumn<QString>("sequence");
        QTest::newRow("first file") << 0 << "4,-1,3 0,-1,3 3,0,3";
        QTest::newRow("second file") << 1 << "4,-1,3 0,-1,3 5,0,3 4,0,3 3,0,3";
    }
    void failedWriteAtTheEndOfAFile()
    {
        QFETCH(int, failInFile);
        QFETCH(QString, sequence);
        qint64 budget = 0;
        for (int i = 0; i < failInFile; ++i)
            budget += Recording(i).size();
        CStreamDownloader d;
        Recorder rec(d);
        RTK_Test_FailWritesAfter(budget + 100);  // inside the file, which fits one buffer
        QVERIFY(StartByFile(d, m_files));
        QTRY_VERIFY_WITH_TIMEOUT(rec.Ended(), kJobTimeout_ms);
        RTK_Test_FailWritesAfter(-1);
        QCOMPARE(rec.Sequence(), sequence);
        QTRY_VERIFY(!d.IsRunning());

        // Only the files completed before the failure remain, each whole.
        const QStringList outputs = OutputFiles(m_out);
        QCOMPARE(outputs.size(), failInFile);
        for (int i = 0; i < failInFile; ++i)
            QVERIFY(ReadAll(outputs[i]) == Recording(i));
    }
};

QTEST_GUILESS_MAIN(TestDownloadBuffering)
#include "tst_download_buffering.moc"
