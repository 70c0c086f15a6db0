// The player port on the real player layer, with streams made at test time.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <thread>

#include "app/SettingsManager.h"
#include "engine/PlayPort.h"
#include "engine/SoundControl.h"
#include "platform/rtk/rtk.h"
#include "platform/streamfmt/streamfmt.h"
#include "platform/vrend/testing/StreamMaker.h"
#include "platform/vrend/vrend_test.h"

using vrend::testing::MakeStream;
using vrend::testing::ReadFrameCode;
using vrend::testing::Stream;
using vrend::testing::StreamSpec;

namespace {

constexpr std::int64_t kStart = 1704164645;  // the streams' start time

class NullSink : public vrend::AudioSink {
public:
    void Write(const std::int16_t*, std::size_t) override {}
    void Flush() override {}
};

QByteArray Read(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList FilesUnder(const QString& folder)
{
    QStringList out;
    for (const QFileInfo& fi : QDir(folder).entryInfoList(QDir::Files, QDir::Name))
        out << fi.filePath();
    return out;
}

}  // namespace

class TestPlayPort : public QObject {
    Q_OBJECT
    Stream stream_;  // 10 s at 25 fps
    QTemporaryDir dir_;

    void Settings(const QString& captureType, const QString& clipPackage)
    {
        const QString base = dir_.path() + "/";
        const SettingsEntries entries = {{"CaptureSaveType", captureType}, {"CaptureSavePath", base + "cap/"},
                                         {"ClipPackageSize", clipPackage}, {"ClipSavePath", base + "clip/"}};
        QVERIFY(CSettingsManager::Instance()->SaveSettings(entries, base + "Settings.xml"));
    }

    // Opens the port and feeds the whole stream on a thread, as a source would.
    struct Feeding {
        std::thread thread;
        ~Feeding()
        {
            if (thread.joinable())
                thread.join();
        }
    };
    void Play(CPlayPort& port, Feeding& feeding)
    {
        QVERIFY(port.OpenStream(stream_.header.data(), 40, 0, false));
        feeding.thread = std::thread([&port, this] {
            for (std::size_t off = 0; off < stream_.body.size(); off += 8192) {
                const auto n = static_cast<unsigned>(std::min<std::size_t>(8192, stream_.body.size() - off));
                if (port.InputData(stream_.body.data() + off, n) != CPlayPort::kInputAccepted)
                    return;
            }
            port.InputEnd();
        });
        QTRY_VERIFY(port.GetAbsTime() != -1);
    }

private slots:
    void initTestCase()
    {
        vrend_test_SetAudioSink(std::make_shared<NullSink>());
        stream_ = MakeStream(StreamSpec{.frame_count = 250, .gop = 25});
        QVERIFY(!stream_.body.empty());
    }
    void cleanup() { RTK_Test_FailWritesAfter(-1); }

    void packedTime_data()
    {
        QTest::addColumn<quint32>("packed");
        QTest::addColumn<QString>("expected");  // local time, or "" for -1
        QTest::addRow("2024-01-02 03:04:05") << quint32(24u << 26 | 1u << 22 | 2u << 17 | 3u << 12 | 4u << 6 | 5u)
                                             << "2024-01-02 03:04:05";
        QTest::addRow("none") << quint32(0xFFFFFFFF) << "";
        QTest::addRow("month 13") << quint32(24u << 26 | 13u << 22 | 2u << 17) << "";
    }
    void packedTime()
    {
        QFETCH(quint32, packed);
        QFETCH(QString, expected);
        const time_t t = PackedTimeToTime(packed);
        if (expected.isEmpty())
            QCOMPARE(t, time_t(-1));
        else
            QCOMPARE(QDateTime::fromSecsSinceEpoch(t).toString("yyyy-MM-dd hh:mm:ss"), expected);
    }

    void portMap()
    {
        CSafeMap map;
        auto* a = reinterpret_cast<CPlayPort*>(0x10);
        auto* b = reinterpret_cast<CPlayPort*>(0x20);
        QVERIFY(!map.Find(5));
        map.Insert(5, a);
        map.Insert(5, b);  // an existing key keeps its value
        QCOMPARE(map.Find(5), a);
        map.Remove(7);
        map.Remove(5);
        QVERIFY(!map.Find(5));
    }

    // Speed steps, limits and pause on an open port; nothing works on a closed one.
    void speedsAndPause()
    {
        CPlayPort port;
        QVERIFY(port.GetPort() >= 0);
        QCOMPARE(port.SetSpeed(2), 0);  // not open
        QVERIFY(!port.Pause(true));
        QCOMPARE(port.GetAbsTime(), time_t(-1));
        Feeding feeding;
        Play(port, feeding);
        struct Step { int level; int result; int after; };
        const Step steps[] = {{2, 2, 2}, {2, 0, 2}, {-1, -3, -1}, {-3, -2, -3}, {4, 0, -3}, {3, 6, 3}, {0, -3, 0}};
        for (const Step& s : steps) {
            QCOMPARE(port.SetSpeed(s.level), s.result);
            QCOMPARE(port.GetSpeed(), s.after);
        }
        QVERIFY(port.SetSpeed(3) == 3);
        QVERIFY(!port.Fast());
        QCOMPARE(port.SetSpeed(-3), -6);
        QVERIFY(!port.Slow());
        QVERIFY(port.Pause(true));
        QVERIFY(port.Pause(true));
        QVERIFY(port.IsPaused());
        QVERIFY(port.NormalSpeed());
        QCOMPARE(port.GetSpeed(), 0);
        QVERIFY(!port.IsPaused());
        port.SetStop();
        port.CloseStream();
        QVERIFY(!port.IsOpen());
        QCOMPARE(port.GetSpeed(), 0);
    }

    // Port 0 can sound; volume only with sound on.
    void soundAndVolume()
    {
        CPlayPort port;
        QCOMPARE(port.GetPort(), 0);  // first port of the process
        QCOMPARE(port.GetVolume(), std::uint16_t(0xFFFF));
        QVERIFY(!port.SetVolume(100));  // not open
        Feeding feeding;
        Play(port, feeding);
        QVERIFY(!port.SetVolume(100));  // sound off
        QCOMPARE(port.GetVolume(), std::uint16_t(0xFFFF));
        QVERIFY(port.OpenSound());
        QVERIFY(port.IsSoundOn());
        QVERIFY(port.SetVolume(100));
        QCOMPARE(port.GetVolume(), std::uint16_t(100));
        port.CloseSound();
        QVERIFY(!port.IsSoundOn());
        port.SetStop();
    }

    void soundControl()
    {
        CSoundControl sound;
        sound.Init();
        QCOMPARE(sound.GetVolume(), std::uint16_t(32767));
        QVERIFY(sound.StopSound());
        QCOMPARE(sound.GetPort(), -1);
        int port = -1;
        QVERIFY(VRend_GetPort(&port));
        QVERIFY(sound.OpenSound(port));
        QVERIFY(sound.IsPlaying());
        QCOMPARE(sound.GetPort(), port);
        sound.StopSoundIfOpen();
        QVERIFY(!sound.IsPlaying());
        QCOMPARE(sound.GetPort(), -1);
        VRend_FreePort(port);
    }

    // A snapshot holds the frame shown at the time of its name, in both formats.
    void snapshot_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("ext");
        QTest::addRow("jpeg") << "0" << ".jpg";
        QTest::addRow("bmp") << "1" << ".bmp";
    }
    void snapshot()
    {
        QFETCH(QString, type);
        QFETCH(QString, ext);
        Settings(type, "0");
        CPlayPort port;
        Feeding feeding;
        Play(port, feeding);
        const Varpen::CSingleFile file("f", "", 0, kStart, kStart + 10, 1, "", 2);
        QVERIFY(port.Snapshot(file));
        const QString path = QString::fromStdString(port.GetSnapshotPath());
        QVERIFY2(path.startsWith(dir_.path() + "/cap/20240102/Capture/channel3_"), qPrintable(path));
        QVERIFY(path.endsWith(ext));
        const int code = ReadFrameCode(QImage(path));
        QVERIFY(code >= 0);
        // The name's stamp is the time shown when asked; the picture is the next frame.
        const QString stamp = QFileInfo(path).fileName().mid(9, 14);
        const std::int64_t nameTime = QDateTime::fromString(stamp, "yyyyMMddhhmmss").toSecsSinceEpoch();
        const std::int64_t pictureTime = kStart + code / 25;
        QVERIFY(pictureTime - nameTime >= 0 && pictureTime - nameTime <= 1);
        // Paused or stepping: refused at once.
        QVERIFY(port.Pause(true));
        QVERIFY(!port.Snapshot(file));
        QVERIFY(port.StepForward());
        QVERIFY(!port.Snapshot(file));
        port.SetStop();
    }

    // Roll-over at the limit: every file starts with the header and no block is lost.
    void clipRollsOverWithoutLosingABlock()
    {
        Settings("0", "0");
        CPlayPort port;
        Feeding feeding;
        Play(port, feeding);
        const Varpen::CSingleFile file("f", "", 0, kStart, kStart + 10, 1, "gate", 0);
        QVERIFY(port.StartClip(file, kStart));
        QVERIFY(port.IsClipping());
        const QString folder = dir_.path() + "/clip/20240102/Clip";
        QByteArray fed;
        for (int i = 0; i < 34; ++i) {  // 34 MiB through a 32 MiB limit
            QByteArray block(1 << 20, char('a' + i % 26));
            port.WriteClip(reinterpret_cast<const unsigned char*>(block.constData()), block.size());
            fed += block;
        }
        port.StopClip();
        QVERIFY(!port.IsClipping());
        const QStringList files = FilesUnder(folder);
        QCOMPARE(files.size(), 2);
        QByteArray bodies;
        const QByteArray header(reinterpret_cast<const char*>(stream_.header.data()), 40);
        for (const QString& f : files) {
            QVERIFY(QFileInfo(f).fileName().startsWith("gate_"));
            const QByteArray data = Read(f);
            QVERIFY(data.size() <= 33554432);
            QCOMPARE(data.left(40), header);
            bodies += data.mid(40);
        }
        QCOMPARE(bodies.size(), fed.size());
        QVERIFY(bodies == fed);
        QCOMPARE(QString::fromStdString(port.GetLastClipPath()), files.last());
        port.SetStop();
    }

    // A failing disk ends the clip, keeps what reached it and raises the failure flag.
    void clipWriteFailureStopsTheClip()
    {
        Settings("0", "1");
        QDir(dir_.path() + "/clip").removeRecursively();
        CPlayPort port;
        Feeding feeding;
        Play(port, feeding);
        const Varpen::CSingleFile file("f", "", 0, kStart, kStart + 10, 1, "", 0);
        QVERIFY(port.StartClip(file, -1));  // no current file: no date folder
        const QByteArray block(4096, 'q');
        port.WriteClip(reinterpret_cast<const unsigned char*>(block.constData()), block.size());
        RTK_Test_FailWritesAfter(1000);
        port.WriteClip(reinterpret_cast<const unsigned char*>(block.constData()), block.size());
        QVERIFY(!port.IsClipping());
        QVERIFY(port.IsClipFailed());
        port.WriteClip(reinterpret_cast<const unsigned char*>(block.constData()), block.size());  // ignored
        RTK_Test_FailWritesAfter(-1);
        const QStringList files = FilesUnder(dir_.path() + "/clip/Clip");
        QCOMPARE(files.size(), 1);
        QVERIFY(QFileInfo(files[0]).fileName().startsWith("channel1_"));
        QCOMPARE(Read(files[0]).size(), 40 + 4096 + 1000);
        port.SetStop();
    }

    // A header the layer cannot open leaves the object with a working port for the next one.
    void failedOpenKeepsAPort()
    {
        CPlayPort port;
        const unsigned char shortHeader[10] = {};
        QVERIFY(!port.OpenStream(shortHeader, sizeof shortHeader, 0, false));
        QVERIFY(port.GetPort() >= 0);
        QVERIFY(!port.IsOpen());
        QVERIFY(port.OpenStream(stream_.header.data(), 40, 0, false));
        QVERIFY(port.IsHeaderEqual(stream_.header.data(), 40));
        port.CloseStream();
        QVERIFY(!port.IsHeaderEqual(stream_.header.data(), 40));
    }

    // InputData: 1 when nothing is open; a refused block is retried until taken or stopped.
    void inputRetriesUntilStopped()
    {
        CPlayPort port;
        const unsigned char byte = 0;
        QCOMPARE(port.InputData(&byte, 1), int(CPlayPort::kInputNotOpen));
        StreamSpec spec{.frame_count = 100, .gop = 25, .noise = true};
        const Stream big = MakeStream(spec);
        QVERIFY(port.OpenStream(big.header.data(), 40, 0, false));
        QVERIFY(port.Pause(true));  // nothing is shown, so the ring fills up
        std::atomic<int> result{-1};
        std::thread feeder([&] {
            int r = CPlayPort::kInputAccepted;
            for (int round = 0; r == CPlayPort::kInputAccepted; ++round)
                for (std::size_t off = 0; off < big.body.size() && r == CPlayPort::kInputAccepted; off += 8192)
                    r = port.InputData(big.body.data() + off,
                                       static_cast<unsigned>(std::min<std::size_t>(8192, big.body.size() - off)));
            result = r;
        });
        QTest::qWait(300);
        QCOMPARE(result.load(), -1);  // still retrying
        port.SetStop();
        feeder.join();
        QCOMPARE(result.load(), int(CPlayPort::kInputGivenUp));
    }
};

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    TestPlayPort t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_play_port.moc"
