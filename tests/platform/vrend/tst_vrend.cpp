// The player layer on streams made at test time, in virtual time.
#include <QApplication>
#include <QPainter>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <limits>
#include <map>
#include <mutex>
#include <random>
#include <thread>

extern "C" {
#include <libavutil/log.h>
}

#include "platform/streamfmt/streamfmt.h"
#include "platform/vrend/VideoSurface.h"
#include "platform/vrend/vrend.h"
#include "platform/vrend/vrend_test.h"
#include "tools/varpen-sample/SampleGen.h"

using SampleGen::MakeStream;
using SampleGen::NumberedStream;
using SampleGen::Stream;

namespace {

constexpr std::uint32_t kRing = 2097152;
constexpr int kSettle = 20000;

// What the display callback saw, per port.
struct Seen {
    std::vector<int> codes;                           // frame index read from the picture
    std::vector<std::uint32_t> packed;                // VRend_GetSpecialData during the callback
    std::vector<std::uint32_t> remain;                // VRend_GetSourceBufferRemain during the callback
    QString snapshot_dir;                             // when set, every frame is also written as JPEG and BMP
    std::vector<std::pair<int, int>> snapshot_codes;  // (jpeg code, bmp code)
};
std::mutex g_seen_mutex;
std::map<int, Seen> g_seen;

void OnDisplay(int port, const char* buf, std::int64_t size, int w, int h, std::int64_t, int type, void*)
{
    const int code = SampleGen::ReadFrameNumber(vrend_test_FrameImage(buf, size, type));
    const std::uint32_t packed = VRend_GetSpecialData(port);
    const std::uint32_t remain = VRend_GetSourceBufferRemain(port);
    QString dir;
    {
        std::lock_guard lock(g_seen_mutex);
        Seen& s = g_seen[port];
        s.codes.push_back(code);
        s.packed.push_back(packed);
        s.remain.push_back(remain);
        dir = s.snapshot_dir;
    }
    if (!dir.isEmpty()) {
        const QByteArray jpg = (dir + "/f.jpg").toLocal8Bit(), bmp = (dir + "/f.bmp").toLocal8Bit();
        const bool ok = VRend_ConvertToJpegFile(buf, size, w, h, type, jpg.constData()) &&
                        VRend_ConvertToBmpFile(buf, size, w, h, type, bmp.constData());
        const int a = ok ? SampleGen::ReadFrameNumber(QImage(QString::fromLocal8Bit(jpg))) : -2;
        const int b = ok ? SampleGen::ReadFrameNumber(QImage(QString::fromLocal8Bit(bmp))) : -2;
        std::lock_guard lock(g_seen_mutex);
        g_seen[port].snapshot_codes.push_back({a, b});
    }
}

Seen SeenOf(int port)
{
    std::lock_guard lock(g_seen_mutex);
    return g_seen[port];
}

// Captures the PCM the layer sends to the sound device.
class CaptureSink : public vrend::AudioSink {
public:
    void Write(const std::int16_t*, std::size_t frames) override { frames_ += frames; }
    void Flush() override {}
    std::atomic<std::uint64_t> frames_{0};
};

// One port, opened on a stream, with helpers to drive it in virtual time.
class Player {
public:
    explicit Player(const Stream& s, std::uint32_t ring = kRing) : stream_(s)
    {
        ok_ = VRend_GetPort(&port_);
        {
            std::lock_guard lock(g_seen_mutex);
            g_seen[port_] = Seen{};
        }
        ok_ = ok_ && VRend_SetStreamOpenMode(port_, 1) && VRend_SetDisplayCallBack(port_, &OnDisplay) &&
              VRend_OpenStream(port_, s.header.data(), 40, ring) && VRend_SetDisplayBuf(port_, 15);
    }
    ~Player() { VRend_FreePort(port_); }
    bool ok() const { return ok_; }
    int port() const { return port_; }
    // Feeds the body (of the port's stream, or of `s` after an open on another) in 8 KiB blocks as
    // a source would; false when the ring refused a block.
    bool FeedAll(bool end = true) { return Feed(stream_, end); }
    bool Feed(const Stream& s, bool end = true)
    {
        for (std::size_t off = 0; off < s.body.size(); off += 8192) {
            const auto n = static_cast<std::uint32_t>(std::min<std::size_t>(8192, s.body.size() - off));
            if (!VRend_InputData(port_, s.body.data() + off, n))
                return false;
        }
        return !end || VRend_InputEnd(port_);
    }
    bool Settle() { return vrend_test_WaitSettled(port_, kSettle); }
    std::size_t Shown() { return SeenOf(port_).codes.size(); }
    int LastCode()
    {
        const Seen s = SeenOf(port_);
        return s.codes.empty() ? -1 : s.codes.back();
    }

private:
    const Stream& stream_;
    int port_ = -1;
    bool ok_ = false;
};

}  // namespace

class TestVrend : public QObject {
    Q_OBJECT
private:
    std::shared_ptr<vrend::VirtualClock> clock_ = std::make_shared<vrend::VirtualClock>();
    Stream plain_, bframes_;
    static constexpr int kFps = 25;
    static constexpr std::int64_t kFrameNs = 40'000'000;

    // Rows for the stream without and with B-frames.
    static void BothStreams()
    {
        QTest::addColumn<bool>("bframes");
        QTest::addRow("plain") << false;
        QTest::addRow("B-frames") << true;
    }

    static vrend::PortStats Stats(const Player& p)
    {
        vrend::PortStats st;
        vrend_test_GetStats(p.port(), &st);
        return st;
    }

    void Advance(Player& p, std::int64_t ns)
    {
        clock_->Advance(ns);
        QVERIFY(p.Settle());
    }

private slots:
    void initTestCase()
    {
        vrend_test_SetClock(clock_);
        QString err;
        plain_ = MakeStream(NumberedStream(60, 25), &err);
        QVERIFY2(!plain_.body.empty(), qPrintable(err));
        SampleGen::SegmentParams withB = NumberedStream(60, 25);
        withB.bframes = 2;
        bframes_ = MakeStream(withB, &err);
        QVERIFY2(!bframes_.body.empty(), qPrintable(err));
    }

    // Frames shown over virtual time follow 2^level x real time, and each shown frame's packed
    // recorder time is the time its picture carries.
    void framesFollowTheClockAtEveryLevel_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<bool>("bframes");
        for (int level = -3; level <= 3; ++level)
            QTest::addRow("level %d", level) << level << false;
        QTest::addRow("level 0, B-frames") << 0 << true;
        QTest::addRow("level 1, B-frames") << 1 << true;
    }
    void framesFollowTheClockAtEveryLevel()
    {
        QFETCH(int, level);
        QFETCH(bool, bframes);
        const Stream& s = bframes ? bframes_ : plain_;
        Player p(s);
        QVERIFY(p.ok());
        for (int i = 0; i < level; ++i)
            QVERIFY(VRend_Fast(p.port()));
        for (int i = 0; i > level; --i)
            QVERIFY(VRend_Slow(p.port()));
        QVERIFY(p.FeedAll());
        QVERIFY(VRend_Play(p.port(), 0));
        QVERIFY(p.Settle());
        QCOMPARE(p.Shown(), std::size_t(1));  // the first frame at once
        const std::int64_t step = level >= 0 ? kFrameNs >> level : kFrameNs << -level;
        for (int i = 1; i <= 20; ++i) {
            Advance(p, step / 2);
            QCOMPARE(p.Shown(), std::size_t(i));
            Advance(p, step - step / 2);
            QCOMPARE(p.Shown(), std::size_t(i + 1));
        }
        const Seen seen = SeenOf(p.port());
        for (std::size_t i = 0; i < seen.codes.size(); ++i) {
            QCOMPARE(seen.codes[i], int(i));
            const std::int64_t t = 1704164645 + seen.codes[i] / kFps;
            QCOMPARE(seen.packed[i], SF_PackTime(t));
        }
        vrend::PortStats st;
        QVERIFY(vrend_test_GetStats(p.port(), &st));
        QCOMPARE(st.frames_late, 0u);
    }

    // A level change leaves a pause as it is (a held port takes its level before it goes on);
    // Play then goes on at that level.
    void levelChangeKeepsAPause()
    {
        Player p(plain_);
        QVERIFY(p.ok());
        QVERIFY(p.FeedAll());
        QVERIFY(VRend_Play(p.port(), 0));
        QVERIFY(p.Settle());
        for (int i = 0; i < 4; ++i)
            Advance(p, kFrameNs);
        const int held = p.LastCode();
        QVERIFY(VRend_Pause(p.port(), 1));
        for (int i = 0; i < 3; ++i)
            QVERIFY(VRend_Fast(p.port()));
        for (int i = 0; i < 4; ++i)
            Advance(p, kFrameNs);
        QCOMPARE(p.LastCode(), held);
        QVERIFY(VRend_Play(p.port(), 0));
        QVERIFY(p.Settle());
        const int from = p.LastCode();
        QCOMPARE(from, held + 1);  // the next picture at once
        Advance(p, kFrameNs);
        QCOMPARE(p.LastCode(), from + 8);
    }

    // Level limits: 3 up and 3 down, no further.
    void speedLevelsStopAtTheLimits()
    {
        Player p(plain_);
        QVERIFY(p.ok());
        for (int i = 0; i < 3; ++i)
            QVERIFY(VRend_Fast(p.port()));
        QVERIFY(!VRend_Fast(p.port()));
        QCOMPARE(VRend_GetLastError(p.port()), std::uint32_t(VREND_ERR_STATE));
        for (int i = 0; i < 6; ++i)
            QVERIFY(VRend_Slow(p.port()));
        QVERIFY(!VRend_Slow(p.port()));
    }

    // The remaining count reaches 0 only once the end was announced and the last frame shown.
    void remainReachesZeroAfterTheLastFrame_data() { BothStreams(); }
    void remainReachesZeroAfterTheLastFrame()
    {
        QFETCH(bool, bframes);
        Player p(bframes ? bframes_ : plain_);
        QVERIFY(p.ok());
        QCOMPARE(VRend_GetSourceBufferRemain(p.port()), 0u);
        QVERIFY(p.FeedAll(false));
        QVERIFY(VRend_GetSourceBufferRemain(p.port()) > 0);
        QVERIFY(VRend_Play(p.port(), 0));
        QVERIFY(p.Settle());
        // The first frame is shown at once; the decoder gets ahead of it while the clock stands.
        QTRY_VERIFY_WITH_TIMEOUT(VRend_GetFramesAhead(p.port()) >= 2, kSettle);
        for (int i = 0; i < 80; ++i)
            Advance(p, kFrameNs);
        // Without the end the demuxer and decoder still hold the last frames.
        QVERIFY(p.Shown() < 60);
        QVERIFY(VRend_GetSourceBufferRemain(p.port()) > 0);
        QVERIFY(VRend_GetFramesAhead(p.port()) != VREND_DECODER_WAITING);
        QVERIFY(VRend_InputEnd(p.port()));
        QTRY_COMPARE_WITH_TIMEOUT(VRend_GetFramesAhead(p.port()), VREND_DECODER_WAITING, kSettle);
        for (int i = 0; i < 10; ++i)
            Advance(p, kFrameNs);
        const Seen seen = SeenOf(p.port());
        QCOMPARE(seen.codes.size(), std::size_t(60));
        QCOMPARE(seen.codes.back(), 59);
        for (std::uint32_t r : seen.remain)
            QVERIFY(r > 0);  // never 0 while a frame is on its way
        QCOMPARE(VRend_GetSourceBufferRemain(p.port()), 0u);
        // Nothing is taken after the end.
        const std::uint8_t byte = 0x47;
        QVERIFY(!VRend_InputData(p.port(), &byte, 1));
    }

    // A queue of one decoded picture is as far ahead as that decoder goes: it says so, instead of
    // a count that never reaches what a caller waits for.
    void framesAheadOfAOnePictureQueue()
    {
        Player p(plain_);
        QVERIFY(p.ok());
        QVERIFY(VRend_SetDisplayBuf(p.port(), 1));
        QVERIFY(p.FeedAll(false));
        QVERIFY(VRend_Play(p.port(), 0));
        QVERIFY(p.Settle());
        QTRY_COMPARE_WITH_TIMEOUT(VRend_GetFramesAhead(p.port()), VREND_DECODER_WAITING, kSettle);
        Advance(p, kFrameNs);
        QVERIFY(p.Shown() >= 2);
    }

    // Single steps move exactly one frame, also backwards across a keyframe.
    void stepsMoveExactlyOneFrame_data() { BothStreams(); }
    void stepsMoveExactlyOneFrame()
    {
        QFETCH(bool, bframes);
        Player p(bframes ? bframes_ : plain_);
        QVERIFY(p.ok());
        QVERIFY(p.FeedAll());
        QVERIFY(VRend_Play(p.port(), 0));
        QVERIFY(p.Settle());
        for (int i = 0; i < 26; ++i)
            Advance(p, kFrameNs);
        QCOMPARE(p.LastCode(), 26);
        QVERIFY(VRend_Pause(p.port(), 1));
        const std::vector<std::pair<bool, int>> steps = {{false, 25}, {false, 24}, {false, 23}, {true, 24},
                                                         {true, 25},  {true, 26},  {true, 27},  {false, 26}};
        for (auto [forward, expected] : steps) {
            QVERIFY(forward ? VRend_OneByOne(p.port()) : VRend_OneByOneBack(p.port()));
            QVERIFY(p.Settle());
            QCOMPARE(p.LastCode(), expected);
            const std::int64_t t = 1704164645 + expected / kFps;
            QCOMPARE(VRend_GetSpecialData(p.port()), SF_PackTime(t));
            // The same frame to the millisecond, also when a step goes back.
            QCOMPARE(VRend_GetShownTimeMs(p.port()), 1704164645'000 + expected * 1000 / kFps);
        }
        // Time does not move the picture while stepping; Play resumes.
        Advance(p, 10 * kFrameNs);
        QCOMPARE(p.LastCode(), 26);
        QVERIFY(VRend_Play(p.port(), 0));
        QVERIFY(p.Settle());
        Advance(p, kFrameNs);
        QVERIFY(p.LastCode() > 27);
    }

    // The frames a step back decoded serve the next steps back, and go when playing on has taken
    // their group out of reach (out of the packets kept for stepping back).
    void stepBackFramesGoWithTheirGroup()
    {
        const Stream s = MakeStream(NumberedStream(150, 10));
        QVERIFY(!s.body.empty());
        Player p(s);
        QVERIFY(p.ok());
        QVERIFY(p.FeedAll());
        QVERIFY(VRend_Play(p.port(), 0));
        QVERIFY(p.Settle());
        for (int i = 0; i < 26; ++i)
            Advance(p, kFrameNs);
        QVERIFY(VRend_Pause(p.port(), 1));
        QVERIFY(VRend_OneByOneBack(p.port()));
        QVERIFY(p.Settle());
        QCOMPARE(p.LastCode(), 25);
        vrend::PortMemory held;
        QVERIFY(vrend_test_GetMemory(p.port(), &held));
        QVERIFY(held.back_cache_bytes > 0);
        QVERIFY(VRend_OneByOneBack(p.port()));
        QVERIFY(p.Settle());
        QCOMPARE(p.LastCode(), 24);

        QVERIFY(VRend_Play(p.port(), 0));
        QVERIFY(p.Settle());
        for (int i = 0; i < 130 && p.LastCode() < 149; ++i)
            Advance(p, kFrameNs);
        QCOMPARE(p.LastCode(), 149);
        QVERIFY(vrend_test_GetMemory(p.port(), &held));
        QCOMPARE(held.back_cache_bytes, std::size_t(0));
        // Stepping back still works from the end.
        QVERIFY(VRend_Pause(p.port(), 1));
        QVERIFY(VRend_OneByOneBack(p.port()));
        QVERIFY(p.Settle());
        QCOMPARE(p.LastCode(), 148);
    }

    // A positioned start: frames before the start second are decoded, not shown; the first frame
    // shown is the first of that second and the clock runs from it. Cleared by -1 and by an open.
    void positionedStartShowsFromTheWantedSecond_data()
    {
        QTest::addColumn<bool>("bframes");
        QTest::addColumn<int>("startSecond");  // from the stream's first frame; -1: none
        QTest::addColumn<QString>("then");     // "", "clear" (start -1 after it) or "reopen"
        QTest::addColumn<int>("firstCode");
        QTest::addColumn<int>("heldBack");
        QTest::addRow("second 1") << false << 1 << "" << 25 << 25;
        QTest::addRow("second 1, B-frames") << true << 1 << "" << 25 << 25;
        QTest::addRow("second 0 is the first frame") << false << 0 << "" << 0 << 0;
        QTest::addRow("after the last frame: the last frame") << false << 5 << "" << 59 << 59;
        QTest::addRow("cleared by -1") << false << 1 << "clear" << 0 << 0;
        QTest::addRow("cleared by the next open") << false << 1 << "reopen" << 0 << 0;
    }
    void positionedStartShowsFromTheWantedSecond()
    {
        QFETCH(bool, bframes);
        QFETCH(int, startSecond);
        QFETCH(QString, then);
        QFETCH(int, firstCode);
        QFETCH(int, heldBack);
        const Stream& s = bframes ? bframes_ : plain_;
        constexpr std::int64_t kFirst = 1704164645;
        Player p(s);
        QVERIFY(p.ok());
        if (startSecond >= 0)
            QVERIFY(VRend_SetStartTime(p.port(), kFirst + startSecond));
        if (then == "clear")
            QVERIFY(VRend_SetStartTime(p.port(), -1));
        if (then == "reopen")
            QVERIFY(VRend_OpenStream(p.port(), s.header.data(), 40, kRing));
        QVERIFY(p.FeedAll());
        QVERIFY(VRend_Play(p.port(), 0));
        QVERIFY(p.Settle());
        QCOMPARE(p.Shown(), std::size_t(1));
        QCOMPARE(p.LastCode(), firstCode);
        QCOMPARE(VRend_GetSpecialData(p.port()), SF_PackTime(kFirst + firstCode / kFps));
        vrend::PortStats st;
        QVERIFY(vrend_test_GetStats(p.port(), &st));
        QCOMPARE(st.frames_before_start, std::uint64_t(heldBack));
        QCOMPARE(st.frames_shown, std::uint64_t(1));
        if (firstCode < 59) {
            Advance(p, kFrameNs / 2);
            QCOMPARE(p.LastCode(), firstCode);  // not rushing through held-back time
            Advance(p, kFrameNs / 2);
            QCOMPARE(p.LastCode(), firstCode + 1);
            QVERIFY(vrend_test_GetStats(p.port(), &st));
            QCOMPARE(st.frames_late, 0u);
        } else {
            // Nothing after it: the stream is used up once that frame has been shown.
            QCOMPARE(VRend_GetSourceBufferRemain(p.port()), 0u);
        }
    }

    void stepBackWithoutAnEarlierFrameFails()
    {
        Player p(plain_);
        QVERIFY(p.ok());
        QVERIFY(!VRend_OneByOneBack(p.port()));  // nothing shown yet
        QCOMPARE(VRend_GetLastError(p.port()), std::uint32_t(VREND_ERR_NO_FRAME));
        QVERIFY(p.FeedAll());
        QVERIFY(VRend_Play(p.port(), 0));
        QVERIFY(p.Settle());
        QCOMPARE(p.LastCode(), 0);
        QVERIFY(!VRend_OneByOneBack(p.port()));  // frame 0 has no predecessor
    }

    // A snapshot written from the shown frame decodes to that frame, as JPEG and as BMP.
    void snapshotsHoldTheShownFrame()
    {
        QTemporaryDir dir;
        Player p(plain_);
        QVERIFY(p.ok());
        {
            std::lock_guard lock(g_seen_mutex);
            g_seen[p.port()].snapshot_dir = dir.path();
        }
        QVERIFY(p.FeedAll());
        QVERIFY(VRend_Play(p.port(), 0));
        QVERIFY(p.Settle());
        for (int i = 0; i < 3; ++i)
            Advance(p, kFrameNs);
        const Seen seen = SeenOf(p.port());
        QCOMPARE(seen.snapshot_codes.size(), std::size_t(4));
        for (std::size_t i = 0; i < seen.snapshot_codes.size(); ++i) {
            QCOMPARE(seen.snapshot_codes[i].first, int(i));
            QCOMPARE(seen.snapshot_codes[i].second, int(i));
        }
        QVERIFY(!VRend_ConvertToJpegFile("not a frame", 11, 1, 1, VREND_FRAME_TYPE, "/tmp/x.jpg"));
        int w = 0, h = 0;
        QVERIFY(VRend_GetPictureSize(p.port(), &w, &h));
        QCOMPARE(QSize(w, h), QSize(320, 240));
    }

    // A full ring refuses at once, also while paused, and takes data again once played.
    void inputRefusedWhenTheRingIsFull()
    {
        SampleGen::SegmentParams spec = NumberedStream(60, 25);
        spec.noise = true;
        const Stream big = MakeStream(spec);
        QVERIFY(big.body.size() > 3 * 65536);
        Player p(big, 65536);
        QVERIFY(p.ok());
        QVERIFY(VRend_Play(p.port(), 0));
        QVERIFY(VRend_Pause(p.port(), 1));
        std::size_t off = 0;
        bool refused = false;
        QElapsedTimer timer;
        timer.start();
        while (off < big.body.size()) {
            const auto n = static_cast<std::uint32_t>(std::min<std::size_t>(8192, big.body.size() - off));
            if (!VRend_InputData(p.port(), big.body.data() + off, n)) {
                refused = true;
                break;
            }
            off += n;
            if (off % (64 * 1024) == 0)
                QVERIFY(p.Settle());
        }
        QVERIFY(refused);
        QCOMPARE(VRend_GetLastError(p.port()), std::uint32_t(VREND_ERR_BUFFER_FULL));
        QVERIFY(VRend_GetSourceBufferRemain(p.port()) > 0);
        QVERIFY(VRend_Pause(p.port(), 0));
        bool taken = false;
        for (int i = 0; i < 200 && !taken; ++i) {
            Advance(p, kFrameNs);
            taken = VRend_InputData(p.port(), big.body.data() + off, 8192);
        }
        QVERIFY(taken);
    }

    // Untrusted input: the port reports an error, never crashes, and keeps consuming so that its
    // feeder is never stuck.
    void damagedStreamsGiveTheDecoderError_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addRow("garbage after our header") << 0;
        QTest::addRow("foreign header and garbage") << 1;
        QTest::addRow("transport stream with unknown payload") << 2;
    }
    void damagedStreamsGiveTheDecoderError()
    {
        QFETCH(int, kind);
        std::mt19937 rng(7);
        Stream s;
        s.header = plain_.header;
        s.body.resize(300000);
        for (auto& b : s.body)
            b = static_cast<std::uint8_t>(rng());
        if (kind == 1)
            std::fill(s.header.begin(), s.header.end(), 0x5A);
        if (kind == 2)  // 188-byte packets with a sync byte but random content
            for (std::size_t i = 0; i < s.body.size(); i += 188)
                s.body[i] = 0x47;
        Player p(s);
        QVERIFY(p.ok());
        QVERIFY(VRend_Play(p.port(), 0));
        for (std::size_t off = 0; off < s.body.size();) {
            const auto n = static_cast<std::uint32_t>(std::min<std::size_t>(8192, s.body.size() - off));
            if (VRend_InputData(p.port(), s.body.data() + off, n))
                off += n;
            else
                QVERIFY(p.Settle());
        }
        QVERIFY(VRend_InputEnd(p.port()));
        QVERIFY(p.Settle());
        QCOMPARE(VRend_GetLastError(p.port()), std::uint32_t(VREND_ERR_DECODER));
        QCOMPARE(VRend_GetSourceBufferRemain(p.port()), 0u);
        QCOMPARE(VRend_GetSpecialData(p.port()), SF_NO_TIME);
        QCOMPARE(VRend_GetShownTimeMs(p.port()), std::int64_t(-1));
    }

    // Times in a hostile header are taken as they stand: frames still show and follow the clock,
    // nothing overflows (the sanitizer build traps on signed overflow).
    void extremeHeaderTimesStillPlay_data()
    {
        QTest::addColumn<qint64>("startTime");
        QTest::addColumn<qint64>("ptsOrigin");
        QTest::addColumn<qint64>("wanted");
        constexpr qint64 kMax = std::numeric_limits<qint64>::max();
        constexpr qint64 kMin = std::numeric_limits<qint64>::min();
        QTest::addRow("latest start, earliest origin") << kMax << kMin << qint64(0);
        QTest::addRow("earliest start, latest origin") << kMin << kMax << qint64(-1);
        QTest::addRow("latest start, wanted at the far end") << kMax - 1 << qint64(0) << kMax;
    }
    void extremeHeaderTimesStillPlay()
    {
        QFETCH(qint64, startTime);
        QFETCH(qint64, ptsOrigin);
        QFETCH(qint64, wanted);
        SF_StreamHeader h{};
        QVERIFY(SF_ParseHeader(plain_.header.data(), plain_.header.size(), &h));
        h.start_time = startTime;
        h.pts_origin = ptsOrigin;
        Stream s = plain_;
        SF_SerialiseHeader(&h, s.header.data());
        Player p(s);
        QVERIFY(p.ok());
        if (wanted >= 0)
            QVERIFY(VRend_SetStartTime(p.port(), wanted));
        QVERIFY(p.FeedAll());
        QVERIFY(VRend_Play(p.port(), 0));
        QVERIFY(p.Settle());
        QVERIFY(p.Shown() >= 1);
        for (int i = 0; i < 3; ++i)
            Advance(p, kFrameNs);
        QVERIFY(p.Shown() >= 2);
        vrend::PortStats st;
        QVERIFY(vrend_test_GetStats(p.port(), &st));
        QCOMPARE(st.frames_shown, std::uint64_t(p.Shown()));
    }

    // A port with nothing to do sleeps until a call, data or its clock gives it work: over a
    // second of the steady clock its threads wake only a few times, whatever state it rests in.
    void portWithNothingToDoSleeps_data()
    {
        QTest::addColumn<QString>("state");
        QTest::addRow("open, nothing fed") << "idle";
        QTest::addRow("playing, waiting for data") << "starved";
        QTest::addRow("paused") << "paused";
        QTest::addRow("played to the end") << "ended";
    }
    void portWithNothingToDoSleeps()
    {
        QFETCH(QString, state);
        vrend_test_SetClock(nullptr);  // a presenter that polls a timer shows only on a real clock
        const auto restore = qScopeGuard([this] { vrend_test_SetClock(clock_); });
        Player p(plain_);
        QVERIFY(p.ok());
        if (state == "starved") {
            // The first half of the stream, played through at 8x.
            for (int i = 0; i < 3; ++i)
                QVERIFY(VRend_Fast(p.port()));
            const std::size_t half = plain_.body.size() / 2;
            QVERIFY(VRend_InputData(p.port(), plain_.body.data(), static_cast<std::uint32_t>(half)));
            QVERIFY(VRend_Play(p.port(), 0));
            QTRY_VERIFY_WITH_TIMEOUT(p.Shown() > 1 && VRend_GetSourceBufferRemain(p.port()) <= 1, kSettle);
        } else if (state == "paused") {
            QVERIFY(p.FeedAll(false));
            QVERIFY(VRend_Play(p.port(), 0));
            QVERIFY(VRend_Pause(p.port(), 1));
            // Until the decoder has filled the display buffer (15 frames) and waits for room.
            QTRY_VERIFY_WITH_TIMEOUT(Stats(p).frames_decoded >= 15, kSettle);
        } else if (state == "ended") {
            for (int i = 0; i < 3; ++i)
                QVERIFY(VRend_Fast(p.port()));
            QVERIFY(p.FeedAll());
            QVERIFY(VRend_Play(p.port(), 0));
            QTRY_VERIFY_WITH_TIMEOUT(VRend_GetSourceBufferRemain(p.port()) == 0, kSettle);
            QCOMPARE(p.LastCode(), 59);
        }
        QVERIFY(p.Settle());
        const vrend::PortStats before = Stats(p);
        std::this_thread::sleep_for(std::chrono::seconds(1));
        const vrend::PortStats after = Stats(p);
        const std::uint64_t wakeups = after.wakeups - before.wakeups;
        QVERIFY2(wakeups < 10, qPrintable(QString("%1 wake-ups in a second").arg(wakeups)));
        QCOMPARE(after.frames_shown, before.frames_shown);
    }

    // The totals run on across opens, as a window plays file after file: the frames shown and late,
    // and the longest time the picture stood still, here between the two files. A clear starts them
    // again from its time.
    void totalsRunOnAcrossOpens()
    {
        Player p(plain_);
        QVERIFY(p.ok());
        QVERIFY(p.FeedAll());
        QVERIFY(VRend_Play(p.port(), 0));
        QVERIFY(p.Settle());
        for (int i = 0; i < 10; ++i)
            Advance(p, kFrameNs);
        QCOMPARE(p.Shown(), std::size_t(11));
        // The next file comes 300 ms after the last frame of this one.
        QVERIFY(VRend_OpenStream(p.port(), plain_.header.data(), 40, kRing));
        Advance(p, 300'000'000);
        QVERIFY(p.FeedAll());
        QVERIFY(VRend_Play(p.port(), 0));
        QVERIFY(p.Settle());
        for (int i = 0; i < 5; ++i)
            Advance(p, kFrameNs);
        QCOMPARE(p.Shown(), std::size_t(17));
        vrend::PortStats st = Stats(p);
        QCOMPARE(st.frames_shown, std::uint64_t(6));  // since the open
        QCOMPARE(st.totals.frames_shown, std::uint64_t(17));
        QCOMPARE(st.totals.frames_late, std::uint64_t(0));
        QCOMPARE(st.totals.longest_gap_ns, std::int64_t(300'000'000));

        QVERIFY(vrend_test_ClearTotals(p.port()));
        // Three frames due at once: two are late, the third is shown (once the decoder has queued them).
        QTRY_VERIFY_WITH_TIMEOUT(Stats(p).frames_decoded >= Stats(p).frames_shown + 3, kSettle);
        Advance(p, 3 * kFrameNs);
        st = Stats(p);
        QCOMPARE(st.frames_late, std::uint64_t(2));
        QCOMPARE(st.totals.frames_late, std::uint64_t(2));
        QCOMPARE(st.totals.frames_shown, std::uint64_t(1));
        QCOMPARE(st.totals.longest_gap_ns, 3 * kFrameNs);
        QCOMPARE(st.totals.last_shown_ns, clock_->NowNs());
    }

    void truncatedStreamShowsWhatItHolds()
    {
        Stream cut = plain_;
        cut.body.resize(cut.body.size() / 2 + 77);
        Player p(cut);
        QVERIFY(p.ok());
        QVERIFY(p.FeedAll());
        QVERIFY(VRend_Play(p.port(), 0));
        QVERIFY(p.Settle());
        for (int i = 0; i < 60; ++i)
            Advance(p, kFrameNs);
        const Seen seen = SeenOf(p.port());
        QVERIFY(seen.codes.size() > 10 && seen.codes.size() < 60);
        QCOMPARE(VRend_GetSourceBufferRemain(p.port()), 0u);
    }

    void badCallsAreRefused()
    {
        const std::uint8_t header[40] = {};
        QVERIFY(!VRend_OpenStream(-1, header, 40, kRing));
        QCOMPARE(VRend_GetLastError(500), std::uint32_t(VREND_ERR_BAD_PORT));
        int port = -1;
        QVERIFY(VRend_GetPort(&port));
        QVERIFY(!VRend_OpenStream(port, nullptr, 40, kRing));
        QCOMPARE(VRend_GetLastError(port), std::uint32_t(VREND_ERR_BAD_HEADER));
        QVERIFY(!VRend_OpenStream(port, header, 39, kRing));
        QVERIFY(!VRend_InputData(port, header, 40));
        QCOMPARE(VRend_GetLastError(port), std::uint32_t(VREND_ERR_NOT_OPEN));
        QVERIFY(!VRend_Pause(port, 1));
        QVERIFY(!VRend_SetStartTime(port, 1704164645));
        QCOMPARE(VRend_GetLastError(port), std::uint32_t(VREND_ERR_NOT_OPEN));
        QCOMPARE(VRend_GetSpecialData(port), SF_NO_TIME);
        QCOMPARE(VRend_GetShownTimeMs(port), std::int64_t(-1));
        QCOMPARE(VRend_GetFramesAhead(port), 0u);
        QVERIFY(VRend_FreePort(port));
        QVERIFY(!VRend_FreePort(port));
    }

    // Closing, resetting and freeing while another thread feeds is safe; after the close the data
    // is refused.
    void closeWhileFeeding()
    {
        int port = -1;
        QVERIFY(VRend_GetPort(&port));
        std::atomic<bool> done{false};
        std::atomic<int> accepted{0};
        std::thread feeder([&] {
            std::size_t off = 0;
            while (!done) {
                const auto n = static_cast<std::uint32_t>(std::min<std::size_t>(4096, plain_.body.size() - off));
                if (VRend_InputData(port, plain_.body.data() + off, n))
                    ++accepted;
                off = (off + n) % plain_.body.size();
            }
        });
        for (int round = 0; round < 30; ++round) {
            QVERIFY(VRend_OpenStream(port, plain_.header.data(), 40, kRing));
            QVERIFY(VRend_Play(port, 0));
            clock_->Advance(kFrameNs);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            if (round % 3 == 0)
                QVERIFY(VRend_ResetSourceBuffer(port));
            QVERIFY(VRend_CloseStream(port));
        }
        QVERIFY(VRend_FreePort(port));  // the feeder now calls a freed port
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        done = true;
        feeder.join();
        QVERIFY(accepted > 0);
        QVERIFY(!VRend_InputData(port, plain_.body.data(), 10));
    }

    // Frames reach the surface on the GUI thread; the draw callback paints over them; a surface
    // destroyed while its port plays is forgotten.
    void surfaceShowsFramesAndSurvivesItsPort()
    {
        auto surface = std::make_unique<VideoSurface>();
        surface->resize(160, 120);
        surface->show();
        QVERIFY(surface->surfaceId() >= 1);
        static std::atomic<int> draws{0};
        static std::atomic<bool> on_gui_thread{true};
        Player p(plain_);
        QVERIFY(p.ok());
        QVERIFY(VRend_RegisterDrawFun(
            p.port(),
            [](int, QPainter* painter, void*) {
                ++draws;
                if (QThread::currentThread() != qApp->thread())
                    on_gui_thread = false;
                painter->fillRect(QRect(0, 0, 4, 4), Qt::red);
            },
            nullptr));
        QVERIFY(p.FeedAll());
        QVERIFY(VRend_Play(p.port(), surface->surfaceId()));
        QVERIFY(p.Settle());
        Advance(p, kFrameNs);
        QTRY_VERIFY(draws > 0);
        QVERIFY(on_gui_thread);
        const QImage shown = surface->currentImage();
        QCOMPARE(shown.size(), QSize(160, 120) * surface->devicePixelRatioF());
        QCOMPARE(SampleGen::ReadFrameNumber(shown), p.LastCode());
        // Zoom: the top-left cell stretched over the whole surface.
        const VRendRect r{0, 0, 80, 60};
        QVERIFY(VRend_SetDisplayRegion(p.port(), 0, &r, 0, 1));
        QVERIFY(p.Settle());
        const int bit0 = p.LastCode() & 1;
        const QImage zoomed = surface->currentImage();
        QCOMPARE(qGray(zoomed.pixel(zoomed.width() - 5, zoomed.height() - 5)) > 128, bit0 == 1);
        surface.reset();
        Advance(p, kFrameNs);
        Advance(p, kFrameNs);
        QVERIFY(p.Shown() >= 4);
    }

    // The tile follows a resize mid-play (converted at the new size, still readable) while snapshots
    // stay at the picture's size; tile pictures are reused, not one held per frame; and what the
    // port held goes when its stream closes.
    void tileFollowsResizesAndMemoryGoesAfterClose()
    {
        QTemporaryDir dir;
        auto surface = std::make_unique<VideoSurface>();
        surface->resize(160, 120);
        surface->show();
        Player p(plain_);
        QVERIFY(p.ok());
        {
            std::lock_guard lock(g_seen_mutex);
            g_seen[p.port()].snapshot_dir = dir.path();
        }
        QVERIFY(p.FeedAll());
        QVERIFY(VRend_Play(p.port(), surface->surfaceId()));
        QVERIFY(p.Settle());
        const qreal ratio = surface->devicePixelRatioF();
        for (int i = 0; i < 10; ++i) {
            Advance(p, kFrameNs);
            QCoreApplication::processEvents();  // paints, which hold the picture for a while
        }
        QCOMPARE(surface->currentImage().size(), QSize(160, 120) * ratio);
        QCOMPARE(SampleGen::ReadFrameNumber(surface->currentImage()), p.LastCode());
        surface->resize(300, 200);
        Advance(p, kFrameNs);
        QCOMPARE(surface->currentImage().size(), QSize(300, 200) * ratio);
        QCOMPARE(SampleGen::ReadFrameNumber(surface->currentImage()), p.LastCode());
        const QImage snapshot(dir.path() + "/f.bmp");
        QCOMPARE(snapshot.size(), QSize(320, 240));
        QCOMPARE(SampleGen::ReadFrameNumber(snapshot), p.LastCode());

        vrend::PortMemory held;
        QVERIFY(vrend_test_GetMemory(p.port(), &held));
        const std::size_t tile_bytes = std::size_t(qRound(300 * ratio)) * std::size_t(qRound(200 * ratio)) * 4;
        QVERIFY2(held.images_bytes >= tile_bytes && held.images_bytes <= 5 * tile_bytes,
                 QByteArray::number(qulonglong(held.images_bytes)));
        QCOMPARE(held.ring_bytes, std::size_t(kRing));
        QVERIFY(held.history_bytes > 0);
        QVERIFY(held.queued_bytes > 0);
        QVERIFY(held.shown_bytes > 0);

        QVERIFY(VRend_CloseStream(p.port()));
        QVERIFY(vrend_test_GetMemory(p.port(), &held));
        QCOMPARE(held.ring_bytes, std::size_t(0));
        QCOMPARE(held.history_bytes, std::size_t(0));
        QCOMPARE(held.back_cache_bytes, std::size_t(0));
        QCOMPARE(held.queued_bytes, std::size_t(0));
        QCOMPARE(held.shown_bytes, std::size_t(0));
        QCOMPARE(held.images_bytes, std::size_t(0));
        QCOMPARE(held.decoder_buffers_bytes, std::size_t(0));
        QVERIFY(surface->currentImage().isNull());
    }

    // The decoder's picture buffers stay with the port from one file to the next: the next file's
    // frames, decoded into buffers the last one used, show that file's pictures once each and in
    // order (with B-frames held back for reordering, and at another picture size); the last picture
    // stays on the surface through the change; a close gives the buffers back and nothing is shown
    // after it.
    void decoderBuffersServeTheNextFile_data()
    {
        QTest::addColumn<bool>("bframes");
        QTest::addColumn<QSize>("next_size");
        QTest::addRow("same size") << false << QSize(320, 240);
        QTest::addRow("same size, B-frames") << true << QSize(320, 240);
        QTest::addRow("smaller next file") << false << QSize(160, 120);
    }
    void decoderBuffersServeTheNextFile()
    {
        QFETCH(bool, bframes);
        QFETCH(QSize, next_size);
        const Stream& first = bframes ? bframes_ : plain_;
        SampleGen::SegmentParams resizedSpec = NumberedStream(30, 25);
        resizedSpec.width = next_size.width();
        resizedSpec.height = next_size.height();
        const Stream resized = next_size == QSize(320, 240) ? Stream{} : MakeStream(resizedSpec);
        const Stream& next = resized.body.empty() ? first : resized;
        QVERIFY(!next.body.empty());
        auto surface = std::make_unique<VideoSurface>();
        surface->resize(160, 120);
        surface->show();
        Player p(first);
        QVERIFY(p.ok());
        QVERIFY(p.FeedAll());
        QVERIFY(VRend_Play(p.port(), surface->surfaceId()));
        QVERIFY(p.Settle());
        for (int i = 0; i < 10; ++i)
            Advance(p, kFrameNs);
        vrend::PortMemory held;
        QVERIFY(vrend_test_GetMemory(p.port(), &held));
        const std::size_t buffers = held.decoder_buffers_bytes;
        QVERIFY(buffers > 0);

        // The file change: the buffers are kept, spare, for the next file, and the surface goes on
        // showing the last picture (no blank between two files) until the next file's first.
        QCOMPARE(SampleGen::ReadFrameNumber(surface->currentImage()), 10);
        QVERIFY(VRend_OpenStream(p.port(), next.header.data(), 40, kRing));
        QCOMPARE(SampleGen::ReadFrameNumber(surface->currentImage()), 10);
        QVERIFY(vrend_test_GetMemory(p.port(), &held));
        QVERIFY(held.decoder_buffers_bytes >= buffers);  // (the decoder may have made one more meanwhile)
        QVERIFY(p.Feed(next));
        QVERIFY(VRend_Play(p.port(), surface->surfaceId()));
        QVERIFY(p.Settle());
        for (int i = 0; i < 20; ++i)
            Advance(p, kFrameNs);
        const Seen seen = SeenOf(p.port());
        QCOMPARE(seen.codes.size(), std::size_t(11 + 21));
        for (std::size_t i = 0; i < seen.codes.size(); ++i)
            QCOMPARE(seen.codes[i], int(i < 11 ? i : i - 11));
        QCOMPARE(SampleGen::ReadFrameNumber(surface->currentImage()), 20);
        // Pictures of another size: the old buffers went, the port holds the new size's only.
        QVERIFY(vrend_test_GetMemory(p.port(), &held));
        QVERIFY(held.decoder_buffers_bytes > 0);
        if (next_size != QSize(320, 240))
            QVERIFY(held.decoder_buffers_bytes < buffers);

        QVERIFY(VRend_CloseStream(p.port()));
        QVERIFY(vrend_test_GetMemory(p.port(), &held));
        QCOMPARE(held.decoder_buffers_bytes, std::size_t(0));
        QVERIFY(surface->currentImage().isNull());
        for (int i = 0; i < 5; ++i)
            Advance(p, kFrameNs);
        QCOMPARE(p.Shown(), std::size_t(11 + 21));
    }

    // One port sounds, at normal speed only; port 0 can sound.
    void soundAtNormalSpeedOnly()
    {
        auto sink = std::make_shared<CaptureSink>();
        vrend_test_SetAudioSink(sink);
        SampleGen::SegmentParams spec = NumberedStream(50, 25);
        spec.audio = true;
        const Stream withSound = MakeStream(spec);
        QVERIFY(!withSound.body.empty());
        Player p(withSound);
        QVERIFY(p.ok());
        QCOMPARE(p.port(), 0);  // the first free port
        QVERIFY(VRend_PlaySound(p.port()));
        QVERIFY(VRend_SetVolume(p.port(), 32767));
        QVERIFY(p.FeedAll());
        QVERIFY(VRend_Play(p.port(), 0));
        QVERIFY(p.Settle());
        for (int i = 0; i < 10; ++i)
            Advance(p, kFrameNs);
        const std::uint64_t at1x = sink->frames_;
        QVERIFY2(at1x >= 48000 * 3 / 10, QByteArray::number(qulonglong(at1x)));
        QVERIFY(VRend_Fast(p.port()));
        QVERIFY(p.Settle());
        for (int i = 0; i < 10; ++i)
            Advance(p, kFrameNs / 2);
        QCOMPARE(std::uint64_t(sink->frames_), at1x);
        QVERIFY(VRend_StopSound());
        vrend_test_SetAudioSink(nullptr);
    }
};

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    av_log_set_level(AV_LOG_FATAL);  // the damaged streams would fill the log
    TestVrend t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_vrend.moc"
