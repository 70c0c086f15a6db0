// The player port on the real player layer, with streams made at test time.
#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <QTest>

#include <atomic>
#include <memory>
#include <csignal>
#include <sys/resource.h>
#include <thread>

#include "app/SettingsManager.h"
#include "engine/OutputFile.h"
#include "engine/PlayPort.h"
#include "engine/SoundControl.h"
#include "platform/rtk/rtk.h"
#include "platform/streamfmt/streamfmt.h"
#include "platform/vrend/vrend_test.h"
#include "tools/varpen-sample/SampleGen.h"

using SampleGen::MakeStream;
using SampleGen::NumberedStream;
using SampleGen::Stream;

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

// A picture written from inside the display callback while the process may write only
// kFileLimit bytes per file, as on a disk that fills up; over an existing file.
constexpr rlim_t kFileLimit = 100;
std::atomic<bool> g_pictureWritten{false};
std::atomic<int> g_pictureResult{-1};
QByteArray g_picturePath;
void WriteOverFullDisk(int, const char* buffer, std::int64_t size, int width, int height, std::int64_t, int type, void*)
{
    if (g_pictureWritten.exchange(true))
        return;
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit tight = old;
    tight.rlim_cur = kFileLimit;
    setrlimit(RLIMIT_FSIZE, &tight);
    const bool ok = VRend_ConvertToJpegFile(buffer, size, width, height, type, g_picturePath.constData());
    setrlimit(RLIMIT_FSIZE, &old);
    g_pictureResult = ok ? 1 : 0;
}

}  // namespace

class TestPlayPort : public QObject {
    Q_OBJECT
    Stream stream_;  // 10 s at 25 fps
    QTemporaryDir dir_;

    void Settings(const QString& captureType, const QString& clipPackage)
    {
        const QString base = dir_.path() + "/";
        const SettingsEntries entries = {{"CaptureSaveType", captureType},
                                         {"CaptureSavePath", base + "cap/"},
                                         {"ClipPackageSize", clipPackage},
                                         {"ClipSavePath", base + "clip/"}};
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
        stream_ = MakeStream(NumberedStream(250, 25));
        QVERIFY(!stream_.body.empty());
    }
    void cleanup() { RTK_Test_FailWritesAfter(-1); }

    void packedTime_data()
    {
        QTest::addColumn<quint32>("packed");
        QTest::addColumn<QString>("expected");  // local time, or "" for -1
        QTest::addRow("2024-01-02 03:04:05")
            << quint32(24u << 26 | 1u << 22 | 2u << 17 | 3u << 12 | 4u << 6 | 5u) << "2024-01-02 03:04:05";
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
        struct Step {
            int level;
            int result;
            int after;
        };
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
        QTest::addRow("jpeg") << "0"
                              << ".jpg";
        QTest::addRow("bmp") << "1"
                             << ".bmp";
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
        const int code = SampleGen::ReadFrameNumber(QImage(path));
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

    // Blocks as the player layer hands them over. The port has no stream, so only the test's
    // blocks reach the clip.
    static void Put(CPlayPort& port, int type, const QByteArray& block, std::int64_t time_ms = -1)
    {
        port.WriteClip(type, reinterpret_cast<const unsigned char*>(block.constData()), unsigned(block.size()),
                       time_ms);
    }

    // A package rolls over before the group of pictures that would take it past the package
    // size, and when a new stream begins (the next file; also behind the same 40 bytes, as
    // another recorder's files are, whose time line starts again): every package begins with the
    // header of its stream and a whole group, the rest of a group too large for one block stays with it, and
    // no byte is lost or repeated. The packages are taken in the order the port made them
    // (their names hold milliseconds since the process started, which need not sort in that
    // order: 9999 sorts after 10000); a package that rolled over is named after its first picture.
    void clipPackagesRollOverBeforeAGroup()
    {
        Settings("0", "0");
        QDir(dir_.path() + "/clip").removeRecursively();
        CPlayPort port;
        const Varpen::CSingleFile file("f", "", 0, kStart, kStart + 10, 1, "gate", 0);
        static std::atomic<std::int64_t> tick{9999};
        Varpen::SetOutputNameClock([] { return tick.fetch_add(1); });
        QVERIFY(port.StartClip(file, -1));
        QVERIFY(port.IsClipping());
        const QByteArray header1(reinterpret_cast<const char*>(stream_.header.data()), 40);
        QList<QByteArray> expected;
        QByteArray package = header1;
        Put(port, VREND_CLIP_HEADER, header1);
        for (int i = 0; i < 34; ++i) {  // 34 MiB through a 32 MiB limit
            const QByteArray group(1 << 20, char('a' + i % 26));
            if (package.size() > 40 && package.size() + group.size() > 33554432) {
                expected << package;
                package = header1;
            }
            package += group;
            Put(port, VREND_CLIP_KEY, group, (kStart + i) * 1000);
        }
        const QByteArray rest(1 << 20, 'z');
        Put(port, VREND_CLIP_DATA, rest);
        package += rest;
        expected << package;
        const QByteArray next(4096, 'n');
        Put(port, VREND_CLIP_HEADER, header1);
        Put(port, VREND_CLIP_KEY, next, (kStart + 60) * 1000);
        expected << header1 + next;
        port.StopClip();
        Varpen::SetOutputNameClock(nullptr);
        QVERIFY(!port.IsClipping());
        QVERIFY(!port.IsClipFailed());

        const std::vector<std::string> packages = port.GetClipPackages();
        QCOMPARE(int(packages.size()), expected.size());
        QCOMPARE(port.GetLastClipPath(), packages.back());
        for (int i = 0; i < expected.size(); ++i) {
            const QString path = QString::fromStdString(packages[size_t(i)]);
            QVERIFY2(QFileInfo(path).fileName().startsWith("gate_"), qPrintable(path));
            QVERIFY(Read(path) == expected[i]);
        }
        QVERIFY(QString::fromStdString(packages[0]).startsWith(dir_.path() + "/clip/Clip/"));  // no frame time
        QVERIFY(QString::fromStdString(packages[1]).startsWith(dir_.path() + "/clip/20240102/Clip/gate_20240102"));
        QStringList all;
        QDirIterator it(dir_.path() + "/clip", QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext())
            all << it.next();
        QCOMPARE(all.size(), expected.size());  // nothing else, no temporary file left
    }

    // A clip that got no picture has failed and leaves no file, not even a temporary one: with
    // nothing at all, and with a stream header alone.
    void clipWithoutAPictureLeavesNoFile()
    {
        Settings("0", "1");
        QDir(dir_.path() + "/clip").removeRecursively();
        CPlayPort port;
        const Varpen::CSingleFile file("f", "", 0, kStart, kStart + 10, 1, "", 0);
        for (bool header : {false, true}) {
            QVERIFY(port.StartClip(file, -1));
            QVERIFY(QDir(dir_.path() + "/clip/Clip").entryList(QDir::Files | QDir::Hidden).size() == 1);
            if (header)
                Put(port, VREND_CLIP_HEADER, QByteArray(reinterpret_cast<const char*>(stream_.header.data()), 40));
            port.StopClip();
            QVERIFY(!port.IsClipping());
            QVERIFY(port.IsClipFailed());
            QVERIFY(port.GetClipPackages().empty());
            QCOMPARE(port.GetLastClipPath(), std::string());
            QCOMPARE(QDir(dir_.path() + "/clip/Clip").entryList(QDir::Files | QDir::Hidden), QStringList());
        }
    }

    // A failing disk ends the clip and raises the failure flag; the package cut short does not
    // stay, under its final name or any other.
    void clipWriteFailureStopsTheClip()
    {
        Settings("0", "1");
        QDir(dir_.path() + "/clip").removeRecursively();
        CPlayPort port;
        const Varpen::CSingleFile file("f", "", 0, kStart, kStart + 10, 1, "", 0);
        QVERIFY(port.StartClip(file, -1));  // no current file: no date folder
        QVERIFY(QFileInfo(QString::fromStdString(port.GetClipPath())).fileName().startsWith("channel1_"));
        const QByteArray block(4096, 'q');
        Put(port, VREND_CLIP_HEADER, QByteArray(reinterpret_cast<const char*>(stream_.header.data()), 40));
        Put(port, VREND_CLIP_KEY, block);
        RTK_Test_FailWritesAfter(1000);
        Put(port, VREND_CLIP_KEY, block);
        QVERIFY(!port.IsClipping());
        QVERIFY(port.IsClipFailed());
        Put(port, VREND_CLIP_KEY, block);  // ignored
        RTK_Test_FailWritesAfter(-1);
        port.StopClip();
        QVERIFY(port.IsClipFailed());
        QCOMPARE(QDir(dir_.path() + "/clip/Clip").entryList(QDir::Files | QDir::Hidden), QStringList());
    }

    // An unfinished clip package is hidden; it takes its final name only when the clip stops.
    void clipTakesItsNameWhenComplete()
    {
        Settings("0", "1");
        QDir(dir_.path() + "/clip").removeRecursively();
        CPlayPort port;
        const Varpen::CSingleFile file("f", "", 0, kStart, kStart + 10, 1, "", 0);
        QVERIFY(port.StartClip(file, -1));
        const QString path = QString::fromStdString(port.GetClipPath());
        const QByteArray block(4096, 'q');
        Put(port, VREND_CLIP_HEADER, QByteArray(reinterpret_cast<const char*>(stream_.header.data()), 40));
        Put(port, VREND_CLIP_KEY, block);
        QVERIFY(!QFileInfo::exists(path));
        QCOMPARE(QDir(QFileInfo(path).path()).entryList(QDir::Files).size(), 0);
        port.StopClip();
        QCOMPARE(Read(path).size(), 40 + 4096);
        QCOMPARE(QDir(QFileInfo(path).path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QFileInfo(path).fileName()});
    }

    // A port handed its settings follows them and nothing else: the snapshot format and folder and
    // the clip folder and package size come from the value its source gives at that moment, while
    // the settings store names other folders.
    void outputsFollowTheSettingsHandedIn()
    {
        Settings("0", "1");  // the store: JPEG, 128 MiB, folders cap/ and clip/
        const auto storeFiles = [this] {
            QStringList all;
            QDirIterator it(dir_.path(), {"cap", "clip"}, QDir::Dirs | QDir::NoDotAndDotDot);
            while (it.hasNext()) {
                QDirIterator files(it.next(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
                while (files.hasNext())
                    all << files.next();
            }
            all.sort();
            return all;
        };
        const QStringList before = storeFiles();
        const QString handed = dir_.path() + "/handed/";
        auto current = std::make_shared<Varpen::OutputSettings>();
        current->snapshotJpeg = false;
        current->captureFolder = (handed + "shots/").toStdString();
        current->clipFolder = (handed + "clips/").toStdString();
        current->clipPackage_bytes = 40 + 6000;  // a header and one group of pictures
        CPlayPort port;
        port.SetOutputSettings([current] { return *current; });
        Feeding feeding;
        Play(port, feeding);
        const Varpen::CSingleFile file("f", "", 0, kStart, kStart + 10, 1, "", 0);

        QVERIFY(port.Snapshot(file));
        const QString bmp = QString::fromStdString(port.GetSnapshotPath());
        current->snapshotJpeg = true;  // read again by the next snapshot
        QVERIFY(port.Snapshot(file));
        const QString jpeg = QString::fromStdString(port.GetSnapshotPath());
        port.SetStop();
        QVERIFY2(bmp.startsWith(handed + "shots/20240102/Capture/channel1_") && bmp.endsWith(".bmp"), qPrintable(bmp));
        QVERIFY2(jpeg.startsWith(handed + "shots/20240102/Capture/") && jpeg.endsWith(".jpg"), qPrintable(jpeg));

        CPlayPort clipPort;
        clipPort.SetOutputSettings([current] { return *current; });
        QVERIFY(clipPort.StartClip(file, -1));
        const QByteArray header(reinterpret_cast<const char*>(stream_.header.data()), 40);
        Put(clipPort, VREND_CLIP_HEADER, header);
        Put(clipPort, VREND_CLIP_KEY, QByteArray(6000, 'a'));
        Put(clipPort, VREND_CLIP_KEY, QByteArray(6000, 'b'));  // past the handed size: rolls over
        clipPort.StopClip();
        const std::vector<std::string> packages = clipPort.GetClipPackages();
        QCOMPARE(int(packages.size()), 2);
        for (const std::string& path : packages) {
            QVERIFY2(QString::fromStdString(path).startsWith(handed + "clips/Clip/"), path.c_str());
            QCOMPARE(Read(QString::fromStdString(path)).size(), 40 + 6000);
        }
        QCOMPARE(storeFiles(), before);
    }

    // With no settings at all, snapshots and clips land under the default folder; a folder that
    // cannot be made refuses them and says why.
    void outputsWithoutSettings()
    {
        const QString home = dir_.path() + "/home";
        QVERIFY(QDir().mkpath(home));
        const QByteArray oldHome = qgetenv("HOME");
        qputenv("HOME", home.toLocal8Bit());
        qunsetenv("XDG_CONFIG_HOME");
        CSettingsManager::Instance()->SetAllSettings({});
        CPlayPort port;
        Feeding feeding;
        Play(port, feeding);
        const Varpen::CSingleFile file("f", "", 0, kStart, kStart + 10, 1, "", 0);
        const bool shot = port.Snapshot(file);
        const bool clip = port.StartClip(file, kStart);
        port.StopClip();
        // A save folder under a file cannot be made.
        QFile blocker(home + "/blocker");
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        const SettingsEntries entries = {{"CaptureSavePath", home + "/blocker/shots"},
                                         {"ClipSavePath", home + "/blocker/clips"}};
        QVERIFY(CSettingsManager::Instance()->SaveSettings(entries, dir_.path() + "/Settings.xml"));
        const bool blockedShot = port.Snapshot(file);
        const std::string shotError = port.GetOutputError();
        const bool blockedClip = port.StartClip(file, kStart);
        const std::string clipError = port.GetOutputError();
        qputenv("HOME", oldHome);
        port.SetStop();

        QVERIFY(shot);
        QVERIFY2(QString::fromStdString(port.GetSnapshotPath())
                     .startsWith(home + "/Videos/Varpen/20240102/Capture/channel1_"),
                 port.GetSnapshotPath().c_str());
        QVERIFY(QString::fromStdString(port.GetSnapshotPath()).endsWith(".jpg"));
        QVERIFY(clip);
        QVERIFY2(
            QString::fromStdString(port.GetLastClipPath()).startsWith(home + "/Videos/Varpen/20240102/Clip/channel1_"),
            port.GetLastClipPath().c_str());
        QVERIFY(QFileInfo::exists(QString::fromStdString(port.GetLastClipPath())));
        QVERIFY(!blockedShot);
        QVERIFY2(QString::fromStdString(shotError).contains("Not a directory"), shotError.c_str());
        QVERIFY(!blockedClip);
        QVERIFY2(QString::fromStdString(clipError).contains("Not a directory"), clipError.c_str());
    }

    // A picture that cannot be written whole leaves the file that stood under its name as it was.
    void failedPictureLeavesTheOldFileWhole()
    {
        std::signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails instead of ending the process
        const QString path = dir_.path() + "/old.jpg";
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("precious");
        }
        g_picturePath = path.toLocal8Bit();
        g_pictureWritten = false;
        g_pictureResult = -1;
        int port = -1;
        QVERIFY(VRend_GetPort(&port));
        QVERIFY(VRend_SetStreamOpenMode(port, 1));
        QVERIFY(VRend_SetDisplayCallBack(port, &WriteOverFullDisk));
        QVERIFY(VRend_OpenStream(port, stream_.header.data(), 40, CPlayPort::kSourceBufferBytes));
        QVERIFY(VRend_Play(port, 0));
        for (std::size_t off = 0; off < stream_.body.size() && g_pictureResult.load() == -1; off += 8192) {
            const auto n = static_cast<std::uint32_t>(std::min<std::size_t>(8192, stream_.body.size() - off));
            while (!VRend_InputData(port, stream_.body.data() + off, n) && g_pictureResult.load() == -1)
                QThread::msleep(5);
        }
        QTRY_VERIFY(g_pictureResult.load() != -1);
        VRend_Stop(port);
        VRend_CloseStream(port);
        VRend_FreePort(port);
        QCOMPARE(g_pictureResult.load(), 0);
        QCOMPARE(Read(path), QByteArray("precious"));
        QCOMPARE(QDir(dir_.path()).entryList({"old.jpg*", ".old.jpg*"}, QDir::Files | QDir::Hidden),
                 QStringList{"old.jpg"});
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
        SampleGen::SegmentParams spec = NumberedStream(100, 25);
        spec.noise = true;
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
