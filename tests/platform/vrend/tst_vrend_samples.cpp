// The player layer on the recordings of the `samples` fixture: every frame shown carries, as its
// packed recorder time, the time burned into its picture, and every frame of a file is shown.
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

extern "C" {
#include <libavutil/log.h>
}

#include <mutex>
#include <vector>

#include "platform/streamfmt/streamfmt.h"
#include "platform/vrend/vrend.h"
#include "platform/vrend/vrend_test.h"
#include "tools/varpen-sample/SampleCode.h"

namespace {

struct Shown {
    std::int64_t mark_time;
    int mark_frame;
    bool valid;
    std::uint32_t packed;
};
std::mutex g_lock;
std::vector<Shown> g_shown;

void OnDisplay(int port, const char* buf, std::int64_t size, int, int, std::int64_t, int type, void*)
{
    const SampleCode::Mark mark = SampleCode::read(vrend_test_FrameImage(buf, size, type));
    const std::uint32_t packed = VRend_GetSpecialData(port);
    std::lock_guard<std::mutex> lock(g_lock);
    g_shown.push_back({mark.time, mark.frame, mark.valid, packed});
}

// Paths of the recording files of a sample set, from its manifest.
QStringList SampleFiles(const QString& set)
{
    const QString dir = qEnvironmentVariable("VARPEN_BUILD_DIR") + "/samples/test/" + set;
    QFile f(dir + "/manifest.json");
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QStringList out;
    for (const QJsonValue& v : QJsonDocument::fromJson(f.readAll()).object().value("files").toArray())
        out << dir + "/" + v.toObject().value("path").toString();
    return out;
}

}  // namespace

class TestVrendSamples : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { av_log_set_level(AV_LOG_FATAL); }

    void everyFrameShowsItsOwnTime_data()
    {
        QTest::addColumn<QString>("set");
        QTest::addRow("tiny") << "tiny";
        QTest::addRow("bframes") << "bframes";
    }
    void everyFrameShowsItsOwnTime()
    {
        QFETCH(QString, set);
        const QStringList files = SampleFiles(set);
        QVERIFY2(!files.isEmpty(), "the samples fixture has not run");
        QFile file(files.first());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray data = file.readAll();
        QVERIFY(data.size() > 40);
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(data.constData());

        auto clock = std::make_shared<vrend::VirtualClock>();
        vrend_test_SetClock(clock);
        g_shown.clear();
        int port = -1;
        QVERIFY(VRend_GetPort(&port));
        QVERIFY(VRend_SetDisplayCallBack(port, &OnDisplay));
        QVERIFY(VRend_OpenStream(port, bytes, 40, 2097152));
        QVERIFY(VRend_Play(port, 0));
        // Fed as a source delivers: blocks, retried while the ring is full, then the end.
        for (qsizetype off = 40; off < data.size();) {
            const auto n = static_cast<std::uint32_t>(std::min<qsizetype>(8192, data.size() - off));
            if (VRend_InputData(port, bytes + off, n)) {
                off += n;
            } else {
                QVERIFY(vrend_test_WaitSettled(port, 20000));
                clock->Advance(40'000'000);
            }
        }
        QVERIFY(VRend_InputEnd(port));
        while (VRend_GetSourceBufferRemain(port) > 0) {
            QVERIFY(vrend_test_WaitSettled(port, 20000));
            clock->Advance(10'000'000);
        }
        vrend::PortStats stats;
        QVERIFY(vrend_test_GetStats(port, &stats));
        VRend_FreePort(port);
        vrend_test_SetClock(nullptr);

        QVERIFY(g_shown.size() > 10);
        QCOMPARE(stats.frames_late, 0u);
        QCOMPARE(std::uint64_t(g_shown.size()), stats.frames_decoded);
        for (std::size_t i = 0; i < g_shown.size(); ++i) {
            const Shown& s = g_shown[i];
            QVERIFY2(s.valid, qPrintable(QString("frame %1 has no readable mark").arg(i)));
            QCOMPARE(s.packed, SF_PackTime(s.mark_time));
            if (i > 0) {  // display order: strictly later marks
                const Shown& p = g_shown[i - 1];
                QVERIFY(s.mark_time > p.mark_time || (s.mark_time == p.mark_time && s.mark_frame > p.mark_frame));
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestVrendSamples)
#include "tst_vrend_samples.moc"
