// Clips of the player layer: what a port shows, muxed again, on streams made at test time and
// played in virtual time, read back with a plain decoder.
#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <map>
#include <mutex>
#include <vector>

#include "platform/streamfmt/streamfmt.h"
#include "platform/vrend/vrend.h"
#include "platform/vrend/vrend_test.h"
#include "tools/varpen-sample/SampleGen.h"

using SampleGen::MakeStream;
using SampleGen::NumberedStream;
using SampleGen::Stream;

namespace {

constexpr std::uint32_t kRing = 2097152;
constexpr int kSettle = 20000;
constexpr std::int64_t kFrameNs = 40'000'000;
constexpr int kGop = 25;

std::mutex g_mutex;
std::map<int, int> g_last_code;  // per port: the code of the last picture shown

void OnDisplay(int port, const char* buf, std::int64_t size, int, int, std::int64_t, int type, void*)
{
    const int code = SampleGen::ReadFrameNumber(vrend_test_FrameImage(buf, size, type));
    std::lock_guard lock(g_mutex);
    g_last_code[port] = code;
}

// The blocks a clip handed over, in order.
struct ClipOut {
    struct Block {
        int type;
        QByteArray data;
        std::int64_t time_ms;
    };
    std::mutex mutex;
    std::vector<Block> blocks;
    std::vector<Block> Take()
    {
        std::lock_guard lock(mutex);
        return blocks;
    }
};
void OnClip(int, int type, const std::uint8_t* data, std::uint32_t size, std::int64_t time_ms, void* user)
{
    auto* out = static_cast<ClipOut*>(user);
    std::lock_guard lock(out->mutex);
    out->blocks.push_back({type, QByteArray(reinterpret_cast<const char*>(data), int(size)), time_ms});
}

// One stream of a clip as a file: its header block and the blocks after it.
struct Run {
    QByteArray header;
    QByteArray body;
    std::vector<QByteArray> groups;  // each KEY block with the DATA blocks after it
};
std::vector<Run> Runs(const std::vector<ClipOut::Block>& blocks)
{
    std::vector<Run> runs;
    for (const ClipOut::Block& b : blocks) {
        if (b.type == VREND_CLIP_HEADER) {
            runs.push_back(Run{b.data, {}, {}});
            continue;
        }
        if (runs.empty())
            return {};  // data before a header: the caller sees no run
        runs.back().body += b.data;
        if (b.type == VREND_CLIP_KEY)
            runs.back().groups.push_back(b.data);
        else if (!runs.back().groups.empty())
            runs.back().groups.back() += b.data;
    }
    return runs;
}

// The pictures of a header and stream, as a player that opens the file decodes them.
struct Decoded {
    SampleGen::DecodeReport report;
    std::vector<int> codes;
};
Decoded Decode(const QByteArray& header, const QByteArray& body)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("clip.mp4");
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(header + body) != header.size() + body.size())
        return {};
    f.close();
    Decoded d;
    d.report = SampleGen::DecodePictures(
        path, header.size(), [&](const QImage& img) { d.codes.push_back(SampleGen::ReadFrameNumber(img)); });
    return d;
}

// Each code one more than the one before.
bool Consecutive(const std::vector<int>& codes)
{
    for (std::size_t i = 1; i < codes.size(); ++i)
        if (codes[i] != codes[i - 1] + 1)
            return false;
    return !codes.empty();
}

class Player {
public:
    explicit Player(const Stream& s) : stream_(s) { ok_ = VRend_GetPort(&port_) && Open(s); }
    ~Player() { VRend_FreePort(port_); }
    bool Open(const Stream& s)
    {
        {
            std::lock_guard lock(g_mutex);
            g_last_code[port_] = -1;
        }
        return VRend_SetStreamOpenMode(port_, 1) && VRend_SetDisplayCallBack(port_, &OnDisplay) &&
               VRend_OpenStream(port_, s.header.data(), 40, kRing) && VRend_SetDisplayBuf(port_, 15);
    }
    bool Feed(const Stream& s)
    {
        for (std::size_t off = 0; off < s.body.size(); off += 8192) {
            const auto n = static_cast<std::uint32_t>(std::min<std::size_t>(8192, s.body.size() - off));
            if (!VRend_InputData(port_, s.body.data() + off, n))
                return false;
        }
        return VRend_InputEnd(port_);
    }
    bool Play() { return Feed(stream_) && VRend_Play(port_, 0) && Settle(); }
    bool Settle() { return vrend_test_WaitSettled(port_, kSettle); }
    int LastCode()
    {
        std::lock_guard lock(g_mutex);
        return g_last_code[port_];
    }
    int port() const { return port_; }
    bool ok() const { return ok_; }

private:
    const Stream& stream_;
    int port_ = -1;
    bool ok_ = false;
};

}  // namespace

class TestVrendClip : public QObject {
    Q_OBJECT
    std::shared_ptr<vrend::VirtualClock> clock_ = std::make_shared<vrend::VirtualClock>();
    Stream plain_, bframes_, paramsOnce_, audio_, next_;

    void Advance(Player& p, std::int64_t ns)
    {
        clock_->Advance(ns);
        QVERIFY(p.Settle());
    }
    // Moves the clock a frame of real time at a time until `code` or a later picture is shown.
    void AdvanceTo(Player& p, int code)
    {
        for (int i = 0; i < 400 && p.LastCode() < code; ++i)
            Advance(p, kFrameNs);
        QVERIFY2(p.LastCode() >= code, qPrintable(QString::number(p.LastCode())));
    }

private slots:
    void initTestCase()
    {
        vrend_test_SetClock(clock_);
        // Each a variant of the plain stream.
        using Vary = void (*)(SampleGen::SegmentParams&);
        const std::pair<Stream*, Vary> streams[] = {
            {&plain_, [](SampleGen::SegmentParams&) {}},
            {&bframes_, [](SampleGen::SegmentParams& p) { p.bframes = 2; }},
            {&paramsOnce_, [](SampleGen::SegmentParams& p) { p.params_once = true; }},
            {&audio_, [](SampleGen::SegmentParams& p) { p.audio = true; }},
            {&next_, [](SampleGen::SegmentParams& p) { p.start_time += 6; }},
        };
        for (const auto& [stream, vary] : streams) {
            SampleGen::SegmentParams p = NumberedStream(150, kGop);
            vary(p);
            QString err;
            *stream = MakeStream(p, &err);
            QVERIFY2(!stream->body.empty(), qPrintable(err));
        }
    }
    void cleanupTestCase() { vrend_test_SetClock(nullptr); }

    // A clip begins at the keyframe at or before the picture shown when it starts, and ends with the
    // picture shown when it stops (the latest one shown, after steps back); every picture between
    // is there, the ones the presenter skipped at speed too, and the first one decodes. The ring
    // holds the whole stream ahead of the picture all along.
    void clipHoldsTheShownPictures_data()
    {
        QTest::addColumn<QString>("stream");
        QTest::addColumn<int>("level");
        QTest::addColumn<int>("startAt");
        QTest::addColumn<int>("frames");     // pictures shown after the start
        QTest::addColumn<int>("stepsBack");  // paused and stepped back before the stop
        QTest::addRow("1x") << "plain" << 0 << 37 << 30 << 0;
        QTest::addRow("4x, pictures skipped") << "plain" << 2 << 37 << 60 << 0;
        QTest::addRow("8x") << "plain" << 3 << 30 << 90 << 0;
        QTest::addRow("on a keyframe") << "plain" << 0 << 50 << 10 << 0;
        QTest::addRow("stopped at once") << "plain" << 0 << 37 << 0 << 0;
        QTest::addRow("stepped back") << "plain" << 0 << 37 << 20 << 3;
        QTest::addRow("parameter sets only once") << "paramsOnce" << 0 << 60 << 10 << 0;
        QTest::addRow("with sound") << "audio" << 0 << 37 << 30 << 0;
    }
    void clipHoldsTheShownPictures()
    {
        QFETCH(QString, stream);
        QFETCH(int, level);
        QFETCH(int, startAt);
        QFETCH(int, frames);
        QFETCH(int, stepsBack);
        const Stream& s = stream == "paramsOnce" ? paramsOnce_ : stream == "audio" ? audio_ : plain_;
        Player p(s);
        QVERIFY(p.ok());
        QVERIFY(p.Play());
        AdvanceTo(p, startAt);
        const int shownAtStart = p.LastCode();
        for (int i = 0; i < level; ++i)
            QVERIFY(VRend_Fast(p.port()));
        ClipOut out;
        QVERIFY(VRend_StartClip(p.port(), &OnClip, &out));
        AdvanceTo(p, shownAtStart + frames);
        const int shownAtStop = p.LastCode();
        if (stepsBack > 0) {
            QVERIFY(VRend_Pause(p.port(), 1));
            for (int i = 0; i < stepsBack; ++i) {
                QVERIFY(VRend_OneByOneBack(p.port()));
                QVERIFY(p.Settle());
            }
            QCOMPARE(p.LastCode(), shownAtStop - stepsBack);
        }
        QVERIFY(VRend_StopClip(p.port()));
        QVERIFY(!VRend_StopClip(p.port()));

        const std::vector<Run> runs = Runs(out.Take());
        QCOMPARE(runs.size(), std::size_t(1));
        SF_StreamHeader header;
        QVERIFY(SF_ParseHeader(reinterpret_cast<const std::uint8_t*>(runs[0].header.constData()), 40, &header));
        QCOMPARE(QByteArray(runs[0].header), QByteArray(reinterpret_cast<const char*>(s.header.data()), 40));
        const Decoded d = Decode(runs[0].header, runs[0].body);
        QVERIFY(d.report.opened);
        QCOMPARE(d.report.errors, 0);
        QCOMPARE(d.report.pictures, d.report.packets);  // the first packet decodes too
        QCOMPARE(d.codes.front(), shownAtStart / kGop * kGop);
        QCOMPARE(d.codes.back(), shownAtStop);
        QVERIFY(Consecutive(d.codes));
        QCOMPARE(d.report.audio_packets > 0, stream == "audio");
        // Each group plays by itself: a file may begin with any of them.
        for (const QByteArray& group : runs[0].groups) {
            QVERIFY(group.startsWith(char(0x47)));
            const Decoded g = Decode(runs[0].header, group);
            QCOMPARE(g.report.errors, 0);
            QCOMPARE(g.report.pictures, g.report.packets);
            QCOMPARE(g.codes.front() % kGop, 0);
        }
        // The keyframes' times are the pictures' own.
        for (const ClipOut::Block& b : out.Take())
            if (b.type == VREND_CLIP_KEY)
                QCOMPARE((b.time_ms - header.start_time * 1000) % (1000 * kGop / 25), std::int64_t(0));
    }

    // With B-frames the clip ends with the last reference picture the shown one needs, and has no
    // gap before it, wherever in the pattern it stops.
    void clipOfBFramesHasNoGap_data()
    {
        QTest::addColumn<int>("stopAt");
        for (int stopAt : {59, 60, 61})
            QTest::addRow("stopped at %d", stopAt) << stopAt;
    }
    void clipOfBFramesHasNoGap()
    {
        QFETCH(int, stopAt);
        Player p(bframes_);
        QVERIFY(p.ok());
        QVERIFY(p.Play());
        AdvanceTo(p, 37);
        const int shownAtStart = p.LastCode();
        ClipOut out;
        QVERIFY(VRend_StartClip(p.port(), &OnClip, &out));
        AdvanceTo(p, stopAt);
        QCOMPARE(p.LastCode(), stopAt);
        const int shownAtStop = p.LastCode();
        QVERIFY(VRend_StopClip(p.port()));
        const std::vector<Run> runs = Runs(out.Take());
        QCOMPARE(runs.size(), std::size_t(1));
        const Decoded d = Decode(runs[0].header, runs[0].body);
        QCOMPARE(d.report.errors, 0);
        QCOMPARE(d.codes.front(), shownAtStart / kGop * kGop);
        QVERIFY(Consecutive(d.codes));
        QVERIFY2(d.codes.back() >= shownAtStop && d.codes.back() <= shownAtStop + 2,
                 qPrintable(QString::number(d.codes.back())));
    }

    // A new stream on the port (the next file) goes on in the same clip behind its own header; the
    // old stream ends with its last picture shown, the new one begins with its first.
    void clipGoesOnAcrossANewStream()
    {
        Player p(plain_);
        QVERIFY(p.ok());
        QVERIFY(p.Play());
        AdvanceTo(p, 120);
        ClipOut out;
        QVERIFY(VRend_StartClip(p.port(), &OnClip, &out));
        AdvanceTo(p, 149);
        for (int i = 0; i < 5; ++i)
            Advance(p, kFrameNs);
        QCOMPARE(VRend_GetSourceBufferRemain(p.port()), 0u);
        // As the player moves on: the source buffer is reset, the port reopened on the next header.
        QVERIFY(VRend_ResetSourceBuffer(p.port()));
        QVERIFY(VRend_CloseStream(p.port()));
        QVERIFY(p.Open(next_));
        QVERIFY(p.Feed(next_));
        QVERIFY(VRend_Play(p.port(), 0));
        QVERIFY(p.Settle());
        AdvanceTo(p, 20);
        const int shownAtStop = p.LastCode();
        QVERIFY(VRend_StopClip(p.port()));

        const std::vector<Run> runs = Runs(out.Take());
        QCOMPARE(runs.size(), std::size_t(2));
        QCOMPARE(runs[1].header, QByteArray(reinterpret_cast<const char*>(next_.header.data()), 40));
        const Decoded first = Decode(runs[0].header, runs[0].body);
        QCOMPARE(first.report.errors, 0);
        QCOMPARE(first.codes.front(), 100);
        QCOMPARE(first.codes.back(), 149);
        QVERIFY(Consecutive(first.codes));
        const Decoded second = Decode(runs[1].header, runs[1].body);
        QCOMPARE(second.report.errors, 0);
        QCOMPARE(second.codes.front(), 0);
        QCOMPARE(second.codes.back(), shownAtStop);
        QVERIFY(Consecutive(second.codes));
    }

    // Nothing shown, nothing handed over; a clip started on a port without a stream records the
    // next stream from its first picture.
    void clipWithoutPictures()
    {
        int port = -1;
        QVERIFY(VRend_GetPort(&port));
        ClipOut out;
        QVERIFY(VRend_StartClip(port, &OnClip, &out));
        QVERIFY(VRend_StopClip(port));
        QVERIFY(out.Take().empty());
        QVERIFY(!VRend_StartClip(port, nullptr, nullptr));
        QVERIFY(VRend_FreePort(port));

        Player p(plain_);
        QVERIFY(p.ok());
        QVERIFY(VRend_Play(p.port(), 0));
        QVERIFY(VRend_StartClip(p.port(), &OnClip, &out));  // fed nothing yet
        QVERIFY(p.Feed(plain_));
        QVERIFY(p.Settle());
        AdvanceTo(p, 10);
        QVERIFY(VRend_StopClip(p.port()));
        const std::vector<Run> runs = Runs(out.Take());
        QCOMPARE(runs.size(), std::size_t(1));
        const Decoded d = Decode(runs[0].header, runs[0].body);
        QCOMPARE(d.codes.front(), 0);
        QCOMPARE(d.codes.back(), p.LastCode());
    }

    // A port freed while it clips ends the clip with what it showed.
    void freeingThePortEndsTheClip()
    {
        auto p = std::make_unique<Player>(plain_);
        QVERIFY(p->ok());
        QVERIFY(p->Play());
        AdvanceTo(*p, 30);
        ClipOut out;
        QVERIFY(VRend_StartClip(p->port(), &OnClip, &out));
        AdvanceTo(*p, 40);
        const int shown = p->LastCode();
        p.reset();
        const std::vector<Run> runs = Runs(out.Take());
        QCOMPARE(runs.size(), std::size_t(1));
        const Decoded d = Decode(runs[0].header, runs[0].body);
        QCOMPARE(d.codes.front(), 25);
        QCOMPARE(d.codes.back(), shown);
    }
};

QTEST_MAIN(TestVrendClip)
#include "tst_vrend_clip.moc"
