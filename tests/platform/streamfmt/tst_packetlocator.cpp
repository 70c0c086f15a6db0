#include <QtTest>

#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>
#include <atomic>
#include <chrono>
#include <future>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/rtk/rtk_test.h"
#include "platform/streamfmt/PacketLocator.h"
#include "tools/varpen-sample/SampleCode.h"
#include "tools/varpen-sample/SampleGen.h"

extern "C" {
#include <libavutil/log.h>
}

namespace {

SampleCode::Mark firstMarkFrom(const QString& path, std::int64_t pos, bool program_stream)
{
    return SampleCode::read(SampleGen::DecodeFirstPicture(path, pos, program_stream));
}

struct Keys {
    std::vector<SF_PacketInfo> keys;
    std::int64_t packets = 0;
};

Keys scan(std::int64_t h)
{
    Keys k;
    k.packets = SF_LocatorScan(
        h,
        [](const SF_PacketInfo* p, void* user) {
            if (p->key)
                static_cast<std::vector<SF_PacketInfo>*>(user)->push_back(*p);
        },
        &k.keys);
    return k;
}

const std::int64_t kStart = QDateTime(QDate(2024, 1, 30), QTime(10, 0, 0)).toSecsSinceEpoch();

}  // namespace

class TestPacketLocator : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void startAndEndMode_data();
    void startAndEndMode();
    void foreignHeaderCountsFromCallersStart();
    void untrustedFiles_data();
    void untrustedFiles();
    void unreadableOrFifoRefusedAtOnce_data();
    void unreadableOrFifoRefusedAtOnce();
    void readsFarLessThanTheFile();
    void handlesAreIndependentAcrossThreads();

private:
    QString segment(const QString& name) const { return m_dir.filePath(name); }
    QTemporaryDir m_dir;
};

void TestPacketLocator::initTestCase()
{
    av_log_set_level(AV_LOG_ERROR);
    QVERIFY(m_dir.isValid());
    struct Set {
        const char* name;
        int duration, keyint, bframes;
        bool audio, ps;
    } sets[] = {
        {"plain.mp4", 8, 25, 0, false, false},
        {"longgop.mp4", 8, 60, 0, false, false},  // keyframes every 2.4 s, not on second boundaries
        {"bframes.mp4", 8, 25, 2, true, false},
        {"ps.mp4", 8, 25, 0, false, true},
        {"big.mp4", 60, 25, 0, false, false},
    };
    for (const Set& s : sets) {
        SampleGen::SegmentParams p;
        p.channel = 3;
        p.start_time = kStart;
        p.duration_s = s.duration;
        p.width = 176;
        p.height = 144;
        p.keyint = s.keyint;
        p.bframes = s.bframes;
        p.audio = s.audio;
        p.program_stream = s.ps;
        QString error;
        QVERIFY2(SampleGen::WriteSegment(segment(QString::fromLatin1(s.name)), p, nullptr, &error), qPrintable(error));
    }
}

void TestPacketLocator::startAndEndMode_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("ps");
    QTest::addColumn<int>("duration");
    QTest::newRow("ts") << "plain.mp4" << false << 8;
    QTest::newRow("ts long gop") << "longgop.mp4" << false << 8;
    QTest::newRow("ts b-frames + audio") << "bframes.mp4" << false << 8;
    QTest::newRow("program stream") << "ps.mp4" << true << 8;
}

void TestPacketLocator::startAndEndMode()
{
    QFETCH(QString, name);
    QFETCH(bool, ps);
    QFETCH(int, duration);
    const QString path = segment(name);
    const std::int64_t h = SF_LocatorOpen(QFile::encodeName(path).constData(), 0);
    QVERIFY(h >= 0);
    SF_StreamInfo info;
    QVERIFY(SF_LocatorGetInfo(h, &info));
    QCOMPARE(info.has_header, 1);
    QCOMPARE(info.container, ps ? int(SF_CONTAINER_MPEGPS) : int(SF_CONTAINER_MPEGTS));
    QCOMPARE(info.start_time, kStart);
    const Keys k = scan(h);
    if (ps)  // a program stream's PES may carry several pictures, only the first with a time
        QVERIFY(k.packets > 0 && k.packets <= duration * 25);
    else
        QCOMPARE(k.packets, std::int64_t(duration * 25));
    QVERIFY(k.keys.size() >= 2);

    // Reference: the time each keyframe position shows, read from the picture itself.
    std::vector<std::int64_t> keyTimes;
    for (const SF_PacketInfo& key : k.keys) {
        const SampleCode::Mark m = firstMarkFrom(path, key.pos, ps);
        QVERIFY2(m.valid, qPrintable(QStringLiteral("no picture decodes from keyframe at %1").arg(key.pos)));
        QCOMPARE(m.channel, 3);
        QCOMPARE(m.time, key.time);
        keyTimes.push_back(m.time);
    }

    for (std::int64_t t = kStart - 2; t <= kStart + duration + 1; ++t) {
        const std::int64_t start = SF_LocatorFindPacket(h, t, SF_LOCATE_START);
        const std::int64_t end = SF_LocatorFindPacket(h, t, SF_LOCATE_END);
        const QByteArray where = QByteArray::number(qint64(t - kStart));
        // Start mode: the keyframe whose picture time <= target < the next keyframe's.
        if (t >= kStart + duration) {
            QVERIFY2(start == -1, where);
        } else {
            auto it =
                std::find_if(k.keys.begin(), k.keys.end(), [&](const SF_PacketInfo& p) { return p.pos == start; });
            QVERIFY2(it != k.keys.end(), where);
            const std::size_t i = std::size_t(it - k.keys.begin());
            if (t >= kStart)
                QVERIFY2(keyTimes[i] <= t, where);
            else
                QVERIFY2(i == 0, where);
            // The next keyframe comes after the start of the target second (exact time, not seconds).
            if (i + 1 < k.keys.size())
                QVERIFY2(k.keys[i + 1].pts - SF_PTS_CLOCK > (t - kStart) * SF_PTS_CLOCK, where);
        }
        // End mode: the first keyframe later than the wanted second.
        auto later = std::find_if(keyTimes.begin(), keyTimes.end(), [&](std::int64_t kt) { return kt > t; });
        const std::int64_t expectEnd = later == keyTimes.end() ? -1 : k.keys[std::size_t(later - keyTimes.begin())].pos;
        QVERIFY2(end == expectEnd, where);
    }
    // Extreme times: nothing after the end of time, the first keyframe before its start.
    QCOMPARE(SF_LocatorFindPacket(h, std::numeric_limits<std::int64_t>::max(), SF_LOCATE_START), std::int64_t(-1));
    QCOMPARE(SF_LocatorFindPacket(h, std::numeric_limits<std::int64_t>::max(), SF_LOCATE_END), std::int64_t(-1));
    QCOMPARE(SF_LocatorFindPacket(h, std::numeric_limits<std::int64_t>::min(), SF_LOCATE_START), k.keys.front().pos);
    QCOMPARE(SF_LocatorFindPacket(h, std::numeric_limits<std::int64_t>::min(), SF_LOCATE_END), k.keys.front().pos);
    QVERIFY(SF_LocatorClose(h));
    QVERIFY(!SF_LocatorClose(h));
    QCOMPARE(SF_LocatorFindPacket(h, kStart, SF_LOCATE_START), std::int64_t(-1));
}

void TestPacketLocator::foreignHeaderCountsFromCallersStart()
{
    QFile in(segment(QStringLiteral("plain.mp4")));
    QVERIFY(in.open(QIODevice::ReadOnly));
    QByteArray bytes = in.readAll();
    bytes.replace(0, 40, QByteArray(40, 'X'));
    const QString path = segment(QStringLiteral("foreign.mp4"));
    QFile out(path);
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write(bytes);
    out.close();

    const std::int64_t fallback = kStart + 3600;  // the file name's start, an hour later
    const std::int64_t h = SF_LocatorOpen(QFile::encodeName(path).constData(), fallback);
    QVERIFY(h >= 0);
    SF_StreamInfo info;
    QVERIFY(SF_LocatorGetInfo(h, &info));
    QCOMPARE(info.has_header, 0);
    QCOMPARE(info.data_offset, std::int64_t(40));
    QCOMPARE(info.start_time, fallback);
    const Keys k = scan(h);
    QCOMPARE(k.keys.front().time, fallback);
    const std::int64_t pos = SF_LocatorFindPacket(h, fallback + 5, SF_LOCATE_START);
    QCOMPARE(firstMarkFrom(path, pos, false).time, kStart + 5);  // the picture still shows its own time
    QCOMPARE(SF_LocatorFindPacket(h, kStart + 5, SF_LOCATE_END), k.keys.front().pos);
    SF_LocatorClose(h);

    // No header at all: the stream starts at byte 0, positions stay absolute.
    const QString raw = segment(QStringLiteral("raw.ts"));
    QFile rawOut(raw);
    QVERIFY(rawOut.open(QIODevice::WriteOnly));
    rawOut.write(bytes.mid(40));
    rawOut.close();
    const std::int64_t r = SF_LocatorOpen(QFile::encodeName(raw).constData(), fallback);
    QVERIFY(r >= 0);
    QVERIFY(SF_LocatorGetInfo(r, &info));
    QCOMPARE(info.has_header, 0);
    QCOMPARE(info.data_offset, std::int64_t(0));
    QCOMPARE(SF_LocatorFindPacket(r, fallback + 5, SF_LOCATE_START), pos - 40);
    SF_LocatorClose(r);
}

void TestPacketLocator::untrustedFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("opens");
    QFile in(segment(QStringLiteral("plain.mp4")));
    in.open(QIODevice::ReadOnly);
    const QByteArray good = in.readAll();
    QByteArray garbage(256 * 1024, '\0');
    quint32 x = 7;
    for (char& c : garbage)
        c = char((x = x * 1664525u + 1013904223u) >> 24);
    // Sync bytes in the right places but nothing behind them.
    QByteArray fakeTs(188 * 400, '\xff');
    for (int i = 0; i < fakeTs.size(); i += 188)
        fakeTs[i] = 0x47;
    QTest::newRow("empty") << QByteArray() << false;
    QTest::newRow("short header") << good.left(20) << false;
    QTest::newRow("header only") << good.left(40) << false;
    QTest::newRow("header and one packet") << good.left(40 + 188) << false;
    QTest::newRow("garbage") << garbage << false;
    QTest::newRow("header then garbage") << good.left(40) + garbage << false;
    QTest::newRow("sync bytes only") << good.left(40) + fakeTs << false;
    QTest::newRow("truncated mid-packet") << good.left(good.size() / 2 + 77) << true;
    QTest::newRow("tail garbage") << good.left(good.size() / 2) + garbage.left(5000) << true;
}

void TestPacketLocator::untrustedFiles()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, opens);
    const QString path = segment(QStringLiteral("untrusted.mp4"));
    QFile out(path);
    QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
    out.write(bytes);
    out.close();
    const std::int64_t h = SF_LocatorOpen(QFile::encodeName(path).constData(), kStart);
    QCOMPARE(h >= 0, opens);
    if (h < 0)
        return;
    // Every query answers (a position inside the file or -1) without hanging.
    for (std::int64_t t = kStart - 1; t <= kStart + 9; ++t) {
        for (int mode : {int(SF_LOCATE_START), int(SF_LOCATE_END)}) {
            const std::int64_t pos = SF_LocatorFindPacket(h, t, mode);
            QVERIFY(pos >= -1 && pos < bytes.size());
        }
    }
    QVERIFY(SF_LocatorFindPacket(h, kStart + 1, SF_LOCATE_START) >= 40);  // the first half still has keyframes
    QCOMPARE(SF_LocatorFindPacket(h, kStart + 7, SF_LOCATE_START), std::int64_t(-1));
    QCOMPARE(SF_LocatorFindPacket(h, kStart, 7), std::int64_t(-1));  // unknown mode
    SF_LocatorClose(h);
    QCOMPARE(SF_LocatorOpen(nullptr, 0), std::int64_t(-1));
    QCOMPARE(SF_LocatorOpen(QFile::encodeName(m_dir.path()).constData(), 0), std::int64_t(-1));  // a folder
    QCOMPARE(SF_LocatorOpen("/nonexistent/x.mp4", 0), std::int64_t(-1));
}

// A segment that cannot be read ends the open at once: a FIFO that no one writes (the demuxer
// would wait for its data for ever), a file of mode 000 (refused to root too, through the file
// layer's seam).
void TestPacketLocator::unreadableOrFifoRefusedAtOnce_data()
{
    QTest::addColumn<bool>("fifo");
    QTest::newRow("fifo") << true;
    QTest::newRow("mode 000") << false;
}

void TestPacketLocator::unreadableOrFifoRefusedAtOnce()
{
    QFETCH(bool, fifo);
    const QByteArray path = QFile::encodeName(segment(QStringLiteral("lost.mp4")));
    ::unlink(path.constData());
    if (fifo) {
        QCOMPARE(::mkfifo(path.constData(), 0644), 0);
    } else {
        QVERIFY(QFile::copy(segment(QStringLiteral("plain.mp4")), QString::fromLocal8Bit(path)));
        QCOMPARE(::chmod(path.constData(), 0), 0);
    }
    rtk_test_SetRefuseUnreadable(true);
    auto open = std::async(std::launch::async, [path] { return SF_LocatorOpen(path.constData(), kStart); });
    // Not a measure of speed: an open that waits for a writer would never come back by itself.
    const bool returned = open.wait_for(std::chrono::seconds(60)) == std::future_status::ready;
    if (!returned) {
        const int writer = ::open(path.constData(), O_WRONLY);
        if (writer >= 0)
            ::close(writer);
    }
    const std::int64_t h = open.get();
    rtk_test_SetRefuseUnreadable(false);
    QVERIFY2(returned, "the open waited for a writer");
    QCOMPARE(h, std::int64_t(-1));
    ::unlink(path.constData());
}

void TestPacketLocator::readsFarLessThanTheFile()
{
    const QString path = segment(QStringLiteral("big.mp4"));
    const std::int64_t size = QFileInfo(path).size();
    for (std::int64_t offset : {5, 31, 58}) {
        const std::int64_t h = SF_LocatorOpen(QFile::encodeName(path).constData(), 0);
        QVERIFY(h >= 0);
        const std::int64_t pos = SF_LocatorFindPacket(h, kStart + offset, SF_LOCATE_START);
        QVERIFY(pos > 0);
        QCOMPARE(firstMarkFrom(path, pos, false).time, kStart + offset);
        const std::int64_t read = SF_LocatorBytesRead(h);
        QVERIFY2(read * 4 < size, qPrintable(QStringLiteral("read %1 of %2 bytes").arg(read).arg(size)));
        SF_LocatorClose(h);
    }
}

void TestPacketLocator::handlesAreIndependentAcrossThreads()
{
    const QByteArray path = QFile::encodeName(segment(QStringLiteral("plain.mp4")));
    const std::int64_t shared = SF_LocatorOpen(path.constData(), 0);
    QVERIFY(shared >= 0);
    const std::int64_t expected = SF_LocatorFindPacket(shared, kStart + 4, SF_LOCATE_START);
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int i = 0; i < 4; ++i) {
        threads.emplace_back([&, i] {
            const std::int64_t own = SF_LocatorOpen(path.constData(), 0);
            for (int n = 0; n < 10; ++n) {
                if (SF_LocatorFindPacket(i % 2 ? shared : own, kStart + 4, SF_LOCATE_START) != expected)
                    ++wrong;
            }
            SF_LocatorClose(own);
        });
    }
    for (auto& t : threads)
        t.join();
    QCOMPARE(wrong.load(), 0);
    SF_LocatorClose(shared);
}

QTEST_MAIN(TestPacketLocator)
#include "tst_packetlocator.moc"
