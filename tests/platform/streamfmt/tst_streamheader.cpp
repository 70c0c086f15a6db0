#include <QtTest>

#include <limits>

#include <cstring>

#include "platform/streamfmt/streamfmt.h"

class TestStreamHeader : public QObject {
    Q_OBJECT
private slots:
    void roundTrip();
    void layoutIsLittleEndian();
    void rejectsBadHeaders_data();
    void rejectsBadHeaders();
    void frameTime_data();
    void frameTime();
    void packedTime_data();
    void packedTime();
    void packedTimeRejects_data();
    void packedTimeRejects();
    void packTimeOfTimeT();
    void streamOffset_data();
    void streamOffset();
    void ptsDistance_data();
    void ptsDistance();
};

static SF_StreamHeader sampleHeader()
{
    SF_StreamHeader h;
    h.container = SF_CONTAINER_MPEGTS;
    h.video_codec = SF_VIDEO_H264;
    h.audio_codec = SF_AUDIO_AAC;
    h.flags = 0x5a;
    h.width = 352;
    h.height = 288;
    h.frame_rate_milli = 25000;
    h.reserved = 0xdeadbeef;
    h.start_time = 1706605200;  // 2024-01-30 10:00:00 in Berlin
    h.pts_origin = 0x1'2345'6789LL;
    return h;
}

void TestStreamHeader::roundTrip()
{
    const SF_StreamHeader h = sampleHeader();
    std::uint8_t bytes[SF_HEADER_SIZE];
    SF_SerialiseHeader(&h, bytes);
    SF_StreamHeader back;
    QVERIFY(SF_ParseHeader(bytes, sizeof bytes, &back));
    QCOMPARE(back.version, h.version);
    QCOMPARE(back.header_size, h.header_size);
    QCOMPARE(back.container, h.container);
    QCOMPARE(back.video_codec, h.video_codec);
    QCOMPARE(back.audio_codec, h.audio_codec);
    QCOMPARE(back.flags, h.flags);
    QCOMPARE(back.width, h.width);
    QCOMPARE(back.height, h.height);
    QCOMPARE(back.frame_rate_milli, h.frame_rate_milli);
    QCOMPARE(back.reserved, h.reserved);
    QCOMPARE(back.start_time, h.start_time);
    QCOMPARE(back.pts_origin, h.pts_origin);
    SF_StreamHeader hostile = h;
    hostile.start_time = std::numeric_limits<std::int64_t>::max();
    hostile.pts_origin = std::numeric_limits<std::int64_t>::min();
    (void)SF_FrameTime(&hostile, std::numeric_limits<std::int64_t>::max());  // wraps under the sanitizer, no trap
    // A negative start time (before 1970) survives too.
    SF_StreamHeader neg = h;
    neg.start_time = -5;
    SF_SerialiseHeader(&neg, bytes);
    QVERIFY(SF_ParseHeader(bytes, sizeof bytes, &back));
    QCOMPARE(back.start_time, std::int64_t(-5));
}

void TestStreamHeader::layoutIsLittleEndian()
{
    const SF_StreamHeader h = sampleHeader();
    std::uint8_t b[SF_HEADER_SIZE];
    SF_SerialiseHeader(&h, b);
    const std::uint8_t expected[SF_HEADER_SIZE] = {'V',  'P',  'S',  'H',  1,    0,    40,   0,
                                                   1,    1,    1,    0x5a, 0x60, 0x01, 0x20, 0x01,  // 352, 288
                                                   0xa8, 0x61, 0,    0,                             // 25000
                                                   0xef, 0xbe, 0xad, 0xde,                          // reserved
                                                   0x90, 0xba, 0xb8, 0x65, 0,    0,    0,    0,     // 1706605200
                                                   0x89, 0x67, 0x45, 0x23, 0x01, 0,    0,    0};
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(b), 40).toHex(' '),
             QByteArray(reinterpret_cast<const char*>(expected), 40).toHex(' '));
}

void TestStreamHeader::rejectsBadHeaders_data()
{
    QTest::addColumn<int>("offset");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("size");
    QTest::newRow("short") << -1 << 0 << 39;
    QTest::newRow("empty") << -1 << 0 << 0;
    QTest::newRow("magic") << 3 << int('X') << 40;
    QTest::newRow("version 2") << 4 << 2 << 40;
    QTest::newRow("version 0") << 4 << 0 << 40;
    QTest::newRow("header size") << 6 << 44 << 40;
    QTest::newRow("container 0") << 8 << 0 << 40;
    QTest::newRow("container 9") << 8 << 9 << 40;
}

void TestStreamHeader::rejectsBadHeaders()
{
    QFETCH(int, offset);
    QFETCH(int, value);
    QFETCH(int, size);
    const SF_StreamHeader h = sampleHeader();
    std::uint8_t b[SF_HEADER_SIZE];
    SF_SerialiseHeader(&h, b);
    if (offset >= 0)
        b[offset] = std::uint8_t(value);
    SF_StreamHeader out;
    out.width = 7;
    QVERIFY(!SF_ParseHeader(b, std::size_t(size), &out));
    QCOMPARE(out.width, std::uint16_t(7));  // untouched on failure
    QVERIFY(!SF_ParseHeader(nullptr, 40, nullptr));
}

void TestStreamHeader::frameTime_data()
{
    QTest::addColumn<qint64>("pts");
    QTest::addColumn<qint64>("expected");
    QTest::newRow("origin") << qint64(90000) << qint64(1000);
    QTest::newRow("just before next second") << qint64(179999) << qint64(1000);
    QTest::newRow("next second") << qint64(180000) << qint64(1001);
    QTest::newRow("before origin floors down") << qint64(89999) << qint64(999);
    QTest::newRow("an hour on") << qint64(90000 + 3600LL * 90000) << qint64(4600);
    // Hostile values from a file must not trap (any result is fine, but no overflow).
    QTest::newRow("pts max") << std::numeric_limits<qint64>::max()
                             << qint64(1000 + (std::numeric_limits<qint64>::max() - 90000) / 90000);
}

void TestStreamHeader::frameTime()
{
    QFETCH(qint64, pts);
    QFETCH(qint64, expected);
    SF_StreamHeader h;
    h.start_time = 1000;
    h.pts_origin = 90000;
    QCOMPARE(qint64(SF_FrameTime(&h, pts)), expected);
}

void TestStreamHeader::packedTime_data()
{
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("day");
    QTest::addColumn<int>("hour");
    QTest::addColumn<int>("minute");
    QTest::addColumn<int>("second");
    QTest::addColumn<uint>("packed");
    QTest::newRow("2000-01-01 00:00:00") << 2000 << 1 << 1 << 0 << 0 << 0 << 0x00420000u;
    QTest::newRow("2024-01-31 23:59:59") << 2024 << 1 << 31 << 23 << 59 << 59
                                         << ((24u << 26) | (1u << 22) | (31u << 17) | (23u << 12) | (59u << 6) | 59u);
    QTest::newRow("2063-12-31 23:59:59") << 2063 << 12 << 31 << 23 << 59 << 59
                                         << ((63u << 26) | (12u << 22) | (31u << 17) | (23u << 12) | (59u << 6) | 59u);
    // The hour after the spring change in Berlin, and a summer time.
    QTest::newRow("2024-03-31 03:00:00") << 2024 << 3 << 31 << 3 << 0 << 0
                                         << ((24u << 26) | (3u << 22) | (31u << 17) | (3u << 12));
    QTest::newRow("2024-07-15 12:34:56") << 2024 << 7 << 15 << 12 << 34 << 56
                                         << ((24u << 26) | (7u << 22) | (15u << 17) | (12u << 12) | (34u << 6) | 56u);
}

void TestStreamHeader::packedTime()
{
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(int, day);
    QFETCH(int, hour);
    QFETCH(int, minute);
    QFETCH(int, second);
    QFETCH(uint, packed);
    QCOMPARE(uint(SF_PackFields(year, month, day, hour, minute, second)), packed);
    const QDateTime local(QDate(year, month, day), QTime(hour, minute, second));
    const qint64 t = local.toSecsSinceEpoch();
    QCOMPARE(qint64(SF_UnpackTime(packed)), t);
    QCOMPARE(uint(SF_PackTime(t)), packed);
}

void TestStreamHeader::packedTimeRejects_data()
{
    QTest::addColumn<uint>("packed");
    QTest::newRow("no time") << 0xFFFFFFFFu;
    QTest::newRow("zero (month 0)") << 0u;
    QTest::newRow("month 13") << ((24u << 26) | (13u << 22) | (1u << 17));
    QTest::newRow("day 0") << ((24u << 26) | (1u << 22));
    QTest::newRow("hour 24") << ((24u << 26) | (1u << 22) | (1u << 17) | (24u << 12));
    QTest::newRow("minute 60") << ((24u << 26) | (1u << 22) | (1u << 17) | (60u << 6));
    QTest::newRow("second 60") << ((24u << 26) | (1u << 22) | (1u << 17) | 60u);
    QTest::newRow("Feb 30") << ((24u << 26) | (2u << 22) | (30u << 17));
}

void TestStreamHeader::packedTimeRejects()
{
    QFETCH(uint, packed);
    QCOMPARE(qint64(SF_UnpackTime(packed)), qint64(-1));
}

void TestStreamHeader::packTimeOfTimeT()
{
    QCOMPARE(uint(SF_PackTime(-1)), uint(SF_NO_TIME));
    // 1999 and 2064 do not fit the 6-bit year.
    QCOMPARE(uint(SF_PackTime(QDateTime(QDate(1999, 12, 31), QTime(12, 0)).toSecsSinceEpoch())), uint(SF_NO_TIME));
    QCOMPARE(uint(SF_PackTime(QDateTime(QDate(2064, 1, 1), QTime(12, 0)).toSecsSinceEpoch())), uint(SF_NO_TIME));
    QCOMPARE(uint(SF_PackFields(2024, 2, 30, 0, 0, 0)) != uint(SF_NO_TIME), true);  // fields packed as given
}

// Where the stream starts in a file of ours, of another recorder, or without a header.
void TestStreamHeader::streamOffset_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("offset");
    QTest::addColumn<int>("container");
    QByteArray ts(3 * 188 + 1, '\0');
    for (int i = 0; i < 3; ++i)
        ts[i * 188] = 0x47;
    ts[3 * 188] = 0x47;
    const QByteArray ps = QByteArray::fromHex("000001ba") + QByteArray(600, '\x11');
    SF_StreamHeader h;
    std::uint8_t ours[SF_HEADER_SIZE];
    SF_SerialiseHeader(&h, ours);
    const QByteArray our(reinterpret_cast<const char*>(ours), SF_HEADER_SIZE);
    const QByteArray other = QByteArray("OTRC") + QByteArray(36, '\x01');
    QTest::newRow("our header, TS") << our + ts << 40 << int(SF_CONTAINER_MPEGTS);
    QTest::newRow("other header, TS") << other + ts << 40 << int(SF_CONTAINER_MPEGTS);
    QTest::newRow("other header, program stream") << other + ps << 40 << int(SF_CONTAINER_MPEGPS);
    QTest::newRow("no header, TS") << ts << 0 << int(SF_CONTAINER_MPEGTS);
    QTest::newRow("no header, program stream") << ps << 0 << int(SF_CONTAINER_MPEGPS);
    QByteArray broken = ts;
    broken[188] = 0x00;  // one sync byte missing
    QTest::newRow("TS that loses its sync") << broken << -1 << 0;
    QTest::newRow("our header, then no stream") << our + QByteArray(600, 'x') << -1 << 0;
    QTest::newRow("no stream at all") << QByteArray(700, 'x') << -1 << 0;
    QTest::newRow("too short") << QByteArray("\x47") << -1 << 0;
}

void TestStreamHeader::streamOffset()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, offset);
    QFETCH(int, container);
    int found = -7;
    QCOMPARE(
        SF_StreamOffset(reinterpret_cast<const std::uint8_t*>(bytes.constData()), std::size_t(bytes.size()), &found),
        offset);
    QCOMPARE(found, container);
}

// PTS distances taken modulo 2^33, signed: a clock that wraps counts on.
void TestStreamHeader::ptsDistance_data()
{
    QTest::addColumn<qint64>("a");
    QTest::addColumn<qint64>("b");
    QTest::addColumn<qint64>("distance");
    const qint64 wrap = qint64(1) << 33;
    QTest::newRow("forward") << qint64(90000) << qint64(180000) << qint64(90000);
    QTest::newRow("backward") << qint64(180000) << qint64(90000) << qint64(-90000);
    QTest::newRow("over the wrap") << wrap - 45000 << qint64(45000) << qint64(90000);
    QTest::newRow("back over the wrap") << qint64(45000) << wrap - 45000 << qint64(-90000);
    QTest::newRow("unwrapped by a demuxer") << qint64(-234592) << wrap - 234592 + 90000 << qint64(90000);
    QTest::newRow("any values, no overflow")
        << std::numeric_limits<qint64>::min() << std::numeric_limits<qint64>::max() << qint64(-1);
}

void TestStreamHeader::ptsDistance()
{
    QFETCH(qint64, a);
    QFETCH(qint64, b);
    QFETCH(qint64, distance);
    QCOMPARE(qint64(SF_PtsDistance(a, b)), distance);
}

QTEST_GUILESS_MAIN(TestStreamHeader)
#include "tst_streamheader.moc"
