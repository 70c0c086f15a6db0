// Streams of local segment files through the RBS_ calls, on recordings made by varpen-sample.
#include "engine/RecordIndex.h"
#include "platform/rtk/rtk_test.h"
#include "tests/engine/local/SampleRun.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

using namespace Varpen;

namespace {

struct Sink {
    std::mutex lock;
    QByteArray header;
    QByteArray data;
    int headers = 0;
    int blocks = 0;
    int handle = -1;
    // Called once, on the first data block, on the reader's thread.
    std::function<void(Sink&)> onFirstBlock;
    std::atomic<bool> callbackAfterStop{false};
    std::atomic<bool> stopped{false};

    QByteArray Data()
    {
        std::lock_guard<std::mutex> g(lock);
        return data;
    }
};

void Collect(int handle, int type, unsigned char* data, unsigned int size, void* user)
{
    auto* sink = static_cast<Sink*>(user);
    if (sink->stopped)
        sink->callbackAfterStop = true;
    std::function<void(Sink&)> first;
    {
        std::lock_guard<std::mutex> g(sink->lock);
        sink->handle = handle;
        if (type == 1) {
            ++sink->headers;
            sink->header.append(reinterpret_cast<const char*>(data), int(size));
            return;
        }
        sink->data.append(reinterpret_cast<const char*>(data), int(size));
        if (sink->blocks++ == 0)
            first = sink->onFirstBlock;
    }
    if (first)
        first(*sink);
}

void Ignore(int, int, unsigned char*, unsigned int, void*) {}

}  // namespace

class TestRecordStream : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup() { rtk_test_SetRefuseUnreadable(false); }
    void streamIsByteExact();
    void streamByTime_data();
    void streamByTime();
    void seekInsideTheCallbackLandsOnTheKeyframe();
    void seekAfterTheEndDeliversAgain();
    void seekWhileTheReceiverRetries();
    void openLimit();
    void stopFromTheCallbackReturns();
    void unknownHandles();
    void brokenSegments_data();
    void brokenSegments();

private:
    QTemporaryDir m_dir;
    QString m_file;
    QByteArray m_bytes;
    qint64 m_start = 0;
    QList<QPair<qint64, qint64>> m_keyframes;  // (time, pos)

    qint64 KeyPos(qint64 secondsIn) const
    {
        for (const auto& k : m_keyframes)
            if (k.first == m_start + secondsIn)
                return k.second;
        return -1;
    }
    static void WaitDone(int handle) { QTRY_COMPARE_WITH_TIMEOUT(RBS_GetPos(handle), 100, 20000); }
};

void TestRecordStream::initTestCase()
{
    QVERIFY(m_dir.isValid());
    // One channel, one 6-second segment, a keyframe every 2 s.
    const QJsonObject manifest =
        SampleRun::Folder(m_dir.path(), {"--channels", "1", "--days", "1", "--segments-per-day", "1",
                                         "--segment-length", "6", "--keyint", "50", "--size", "176x144"});
    QVERIFY(!manifest.isEmpty());
    const QJsonObject file = manifest["files"].toArray().at(0).toObject();
    m_file = m_dir.path() + "/" + file["path"].toString();
    m_bytes = SampleRun::ReadAll(m_file);
    m_start = file["start"].toInteger();
    for (const QJsonValue& k : file["keyframes"].toArray())
        m_keyframes << qMakePair(k["time"].toInteger(), k["pos"].toInteger());
    QVERIFY(m_bytes.size() > 40);
    QVERIFY(KeyPos(2) > 40 && KeyPos(4) > KeyPos(2));
}

void TestRecordStream::streamIsByteExact()
{
    Sink sink;
    const int h = RBS_GetStreamByFile(m_file.toUtf8().constData(), 8, 0, Collect, &sink);
    QVERIFY(h >= 0);
    WaitDone(h);
    QVERIFY(RBS_Stop(h));
    QCOMPARE(sink.headers, 1);
    QCOMPARE(sink.header, m_bytes.left(40));
    QVERIFY(sink.Data() == m_bytes.mid(40));

    Sink fromOffset;
    const int h2 = RBS_GetStreamByFile(m_file.toUtf8().constData(), 1, unsigned(KeyPos(2)), Collect, &fromOffset);
    WaitDone(h2);
    QVERIFY(RBS_Stop(h2));
    QVERIFY(fromOffset.Data() == m_bytes.mid(KeyPos(2)));
}

void TestRecordStream::streamByTime_data()
{
    QTest::addColumn<int>("beginIn");  // seconds after the file's start
    QTest::addColumn<int>("endIn");    // -1 = the file's end time
    QTest::addColumn<int>("fromKey");  // keyframe second where data starts, -1 = right after the header
    QTest::addColumn<int>("toKey");    // keyframe second where data stops, -1 = end of file
    QTest::newRow("whole file by its own times") << 0 << -1 << -1 << -1;
    QTest::newRow("begin between keyframes") << 3 << -1 << 2 << -1;
    QTest::newRow("begin on a keyframe") << 4 << -1 << 4 << -1;
    QTest::newRow("span inside") << 1 << 3 << 0 << 4;
}

void TestRecordStream::streamByTime()
{
    QFETCH(int, beginIn);
    QFETCH(int, endIn);
    QFETCH(int, fromKey);
    QFETCH(int, toKey);
    const RecordTime b = BreakTime(m_start + beginIn);
    const RecordTime e = BreakTime(endIn < 0 ? m_start + 6 : m_start + endIn);
    Sink sink;
    const int h = RBS_GetStreamByTime(m_file.toUtf8().constData(), b.Fields(), e.Fields(), 8, Collect, &sink);
    QVERIFY(h >= 0);
    WaitDone(h);
    QVERIFY(RBS_Stop(h));
    const qint64 from = fromKey < 0 ? 40 : KeyPos(fromKey);
    const qint64 to = toKey < 0 ? m_bytes.size() : KeyPos(toKey);
    QCOMPARE(sink.header, m_bytes.left(40));
    QCOMPARE(sink.Data().size(), to - from);
    QVERIFY(sink.Data() == m_bytes.mid(from, to - from));
}

void TestRecordStream::seekInsideTheCallbackLandsOnTheKeyframe()
{
    Sink sink;
    QByteArray firstBlock;
    std::atomic<bool> seekResult{false};
    const RecordTime target = BreakTime(m_start + 3);
    sink.onFirstBlock = [&](Sink& s) {
        firstBlock = s.data;
        seekResult = RBS_SetPosByTime(s.handle, target.Fields());
    };
    const int h = RBS_GetStreamByFile(m_file.toUtf8().constData(), 1, 0, Collect, &sink);
    WaitDone(h);
    QVERIFY(RBS_Stop(h));
    QVERIFY(seekResult);
    QCOMPARE(firstBlock, m_bytes.mid(40, 1024));
    // Everything after the first block comes from the keyframe at or before the wanted second.
    QVERIFY(sink.Data().mid(1024) == m_bytes.mid(KeyPos(2)));
}

// The receiver (a player whose port is full) holds the first block for as long as it likes; a seek
// from another thread meanwhile must neither wait for it nor be lost.
void TestRecordStream::seekWhileTheReceiverRetries()
{
    Sink sink;
    std::mutex m;
    std::condition_variable cv;
    bool release = false;
    std::atomic<bool> waiting{false};
    sink.onFirstBlock = [&](Sink&) {
        std::unique_lock<std::mutex> g(m);
        waiting = true;
        cv.wait_for(g, std::chrono::seconds(20), [&] { return release; });
        waiting = false;
    };
    const int h = RBS_GetStreamByFile(m_file.toUtf8().constData(), 1, 0, Collect, &sink);
    QVERIFY(h >= 0);
    QTRY_VERIFY_WITH_TIMEOUT(waiting.load(), 20000);
    const RecordTime target = BreakTime(m_start + 3);
    QVERIFY(RBS_SetPosByTime(h, target.Fields()));
    QVERIFY(waiting.load());  // answered while the block was still held
    QVERIFY(RBS_GetPos(h) < 100);
    {
        std::lock_guard<std::mutex> g(m);
        release = true;
    }
    cv.notify_all();
    WaitDone(h);
    QVERIFY(RBS_Stop(h));
    QVERIFY(sink.Data().mid(1024) == m_bytes.mid(KeyPos(2)));
}

void TestRecordStream::seekAfterTheEndDeliversAgain()
{
    Sink sink;
    const int h = RBS_GetStreamByFile(m_file.toUtf8().constData(), 8, 0, Collect, &sink);
    WaitDone(h);
    const int sent = sink.Data().size();
    const RecordTime target = BreakTime(m_start + 5);
    QVERIFY(RBS_SetPosByTime(h, target.Fields()));
    WaitDone(h);
    QVERIFY(RBS_Stop(h));
    QCOMPARE(sink.headers, 1);
    QVERIFY(sink.Data().mid(sent) == m_bytes.mid(KeyPos(4)));
    // A time the file does not hold is refused.
    const RecordTime outside = BreakTime(m_start - 3600);
    const int h2 = RBS_GetStreamByFile(m_file.toUtf8().constData(), 8, 0, Ignore, nullptr);
    QVERIFY(!RBS_SetPosByTime(h2, outside.Fields()));
    QVERIFY(RBS_Stop(h2));
}

void TestRecordStream::openLimit()
{
    QList<int> handles;
    for (int i = 0; i < RBS_MAX_STREAMS; ++i) {
        const int h = RBS_GetStreamByFile(m_file.toUtf8().constData(), 8, 0, Ignore, nullptr);
        QVERIFY(h >= 0);
        handles << h;
    }
    QCOMPARE(RBS_GetStreamByFile(m_file.toUtf8().constData(), 8, 0, Ignore, nullptr), -1);
    QVERIFY(RBS_Stop(handles.takeAt(37)));
    const int again = RBS_GetStreamByFile(m_file.toUtf8().constData(), 8, 0, Ignore, nullptr);
    QCOMPARE(again, 37);  // the lowest free handle
    handles << again;
    for (int h : handles)
        QVERIFY(RBS_Stop(h));
}

void TestRecordStream::stopFromTheCallbackReturns()
{
    Sink sink;
    std::atomic<bool> stopResult{false};
    std::atomic<qint64> stopMs{-1};
    sink.onFirstBlock = [&](Sink& s) {
        QElapsedTimer t;
        t.start();
        stopResult = RBS_Stop(s.handle);
        stopMs = t.elapsed();
        s.stopped = true;
    };
    const int h = RBS_GetStreamByFile(m_file.toUtf8().constData(), 1, 0, Collect, &sink);
    QVERIFY(h >= 0);
    QTRY_VERIFY_WITH_TIMEOUT(stopMs >= 0, 20000);
    QVERIFY(stopResult);
    QCOMPARE(RBS_GetPos(h), 100);  // the handle is free
    QVERIFY(!RBS_Stop(h));
    // The table is not held: other streams open and run at once.
    Sink other;
    const int h2 = RBS_GetStreamByFile(m_file.toUtf8().constData(), 8, 0, Collect, &other);
    QVERIFY(h2 >= 0);
    WaitDone(h2);
    QVERIFY(RBS_Stop(h2));
    QVERIFY(!sink.callbackAfterStop);
    QCOMPARE(sink.blocks, 1);
}

void TestRecordStream::unknownHandles()
{
    const int t[6] = {2024, 1, 30, 10, 0, 0};
    for (int h : {-1, 0, 99, 100, 12345}) {
        QCOMPARE(RBS_GetPos(h), 100);
        QVERIFY(!RBS_Stop(h));
        QVERIFY(!RBS_SetPosByTime(h, t));
    }
    QCOMPARE(RBS_GetStreamByFile(nullptr, 8, 0, Ignore, nullptr), -1);
    QCOMPARE(RBS_GetStreamByTime(nullptr, t, t, 8, Ignore, nullptr), -1);
}

void TestRecordStream::brokenSegments_data()
{
    // "missing" = no file at all, "folder" = a folder of that name, "fifo" = a FIFO of that name,
    // "unreadable" = a file without read rights.
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("finalPos");
    QTest::addColumn<int>("headers");
    QTest::addColumn<int>("dataBytes");
    // A segment that cannot be opened fails its stream (200), as a disk's does: never a stream that
    // stays at 0 for ever.
    QTest::newRow("missing") << QByteArray("missing") << 200 << 0 << 0;
    QTest::newRow("folder") << QByteArray("folder") << 200 << 0 << 0;
    QTest::newRow("fifo") << QByteArray("fifo") << 200 << 0 << 0;
    QTest::newRow("unreadable") << QByteArray("unreadable") << 200 << 0 << 0;
    QTest::newRow("empty") << QByteArray() << 100 << 0 << 0;
    QTest::newRow("cut inside the header") << QByteArray(m_bytes.left(20)) << 100 << 0 << 0;
    QTest::newRow("header only") << QByteArray(m_bytes.left(40)) << 100 << 1 << 0;
    QTest::newRow("cut inside the data") << QByteArray(m_bytes.left(5000)) << 100 << 1 << 4960;
}

void TestRecordStream::brokenSegments()
{
    QFETCH(QByteArray, content);
    QFETCH(int, finalPos);
    QFETCH(int, headers);
    QFETCH(int, dataBytes);
    QTemporaryDir dir;
    const QString path = dir.filePath("20240130100000_20240130100006_1.mp4");
    if (content == "folder") {
        QVERIFY(QDir().mkpath(path));
    } else if (content == "fifo") {
        QCOMPARE(::mkfifo(path.toUtf8().constData(), 0644), 0);
    } else if (content == "unreadable") {
        // Refused to root as well, through the file layer's seam.
        rtk_test_SetRefuseUnreadable(true);
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(m_bytes);
        f.close();
        QVERIFY(f.setPermissions(QFileDevice::WriteOwner));
    } else if (content != "missing") {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    Sink sink;
    const RecordTime b = BreakTime(m_start + 3);
    const RecordTime e = BreakTime(m_start + 4);
    for (int byTime = 0; byTime < 2; ++byTime) {
        sink.data.clear();
        sink.headers = 0;
        const int h = byTime ? RBS_GetStreamByTime(path.toUtf8().constData(), b.Fields(), e.Fields(), 8, Collect, &sink)
                             : RBS_GetStreamByFile(path.toUtf8().constData(), 8, 0, Collect, &sink);
        QVERIFY(h >= 0);
        QTRY_VERIFY_WITH_TIMEOUT(RBS_GetPos(h) >= 100, 20000);
        QCOMPARE(RBS_GetPos(h), finalPos);
        QVERIFY(!RBS_SetPosByTime(h, b.Fields()) || content.size() > 40);
        QVERIFY(RBS_Stop(h));
        QCOMPARE(sink.headers, headers);
        if (!byTime)
            QCOMPARE(sink.Data().size(), dataBytes);
    }
}

QTEST_GUILESS_MAIN(TestRecordStream)
#include "tst_record_stream.moc"
