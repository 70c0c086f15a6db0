// The play window on the real engine and a sample folder written at test time: binding, play,
// the on-screen time, pause, snapshot, clip, sound, the end of the recordings, digital zoom, the
// context menu and drops. Only free space (the platform's free-space function), the engine's
// answer to a sound open and, for snapshots, the player's clock are replaced.
#include <QtTest>

#include <QDirIterator>
#include <QDrag>
#include <QImageReader>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QToolButton>

#include "app/SettingsManager.h"
#include "app/WorkerHooks.h"
#include "engine/PlayBackInteraction.h"
#include "playback/PlayWndBottom.h"
#include "playback/PlaybackWnd.h"
#include "platform/system/system.h"
#include "platform/vrend/VideoSurface.h"
#include "platform/rtk/rtk.h"
#include "platform/vrend/vrend_test.h"
#include "tests/engine/playback/PlaySamples.h"
#include "tools/varpen-sample/SampleGen.h"
#include "widgets/CInformationDlg.h"
#include "widgets/PromptHook.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <map>
#include <thread>

namespace {

std::atomic<quint64> g_free_bytes{quint64(100) << 30};

bool FakeFreeSpace(const char*, uint64_t* freeBytes, uint64_t* totalBytes)
{
    if (freeBytes)
        *freeBytes = g_free_bytes.load();
    if (totalBytes)
        *totalBytes = quint64(500) << 30;
    return true;
}

// The real engine; it records the display regions asked for and can be told to refuse sound.
class Engine : public CPlayBackInteraction {
public:
    bool SetDisplayRegion(float l, float t, float r, float b) override
    {
        regions.push_back(QRectF(QPointF(l, t), QPointF(r, b)));
        return CPlayBackInteraction::SetDisplayRegion(l, t, r, b);
    }
    bool OpenSound() override { return refuseSound ? false : CPlayBackInteraction::OpenSound(); }
    QList<QRectF> regions;
    bool refuseSound = false;
};

class Host : public CPlaybackWndHost {
public:
    CPlayBackInteraction* Player(int cellIndex) const override { return cellIndex == 0 ? engine : nullptr; }
    QList<CPlaybackWnd*> Windows() const override { return windows; }
    int CurrentWindow() const override { return current; }
    void SetCurrentWindow(int index) override { current = index; }
    void UpdateVolumeIcon(int, bool opened) override { volumeOpened = opened; }
    bool IsFullScreen() const override { return fullScreen; }
    Engine* engine = nullptr;
    QList<CPlaybackWnd*> windows;
    int current = -1;
    bool volumeOpened = false;
    bool fullScreen = false;
};

struct VoiceLog {
    QList<bool> calls;
};
void OnVoice(bool opened, void* user)
{
    static_cast<VoiceLog*>(user)->calls << opened;
}

}  // namespace

class TestPlayWnd : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    playtest::SampleFolder m_sample;
    std::unique_ptr<Engine> m_engine;
    Host m_host;
    std::unique_ptr<CPlaybackWnd> m_wnd;
    VoiceLog m_voice;
    bool m_virtualClock = false;
    std::shared_ptr<vrend::VirtualClock> m_clock;
    std::map<QString, playtest::SampleFolder> m_clipSamples;

    QString OutputRoot() const { return m_dir.filePath(QStringLiteral("out")); }

    const playtest::SampleFolder& ClipSample(const QString& name)
    {
        auto it = m_clipSamples.find(name);
        if (it != m_clipSamples.end())
            return it->second;
        QStringList args = {QStringLiteral("--channels"), QStringLiteral("1"),     QStringLiteral("--days"),
                            QStringLiteral("1"),          QStringLiteral("--gap"), QStringLiteral("0")};
        // Camera-like pictures at 7 Mbit/s, and at 25 Mbit/s so that a clip passes a package
        // of 32 MiB in a few seconds; two short files at a low rate.
        if (name == QLatin1String("high") || name == QLatin1String("dense"))
            args << QStringLiteral("--segments-per-day") << QStringLiteral("1") << QStringLiteral("--segment-length")
                 << QString::fromLatin1(name == QLatin1String("high") ? "12" : "16") << QStringLiteral("--camera")
                 << QStringLiteral("--bitrate") << QString::fromLatin1(name == QLatin1String("high") ? "7000" : "25000")
                 << QStringLiteral("--size") << QStringLiteral("640x360");
        else
            args << QStringLiteral("--segments-per-day") << QStringLiteral("2") << QStringLiteral("--segment-length")
                 << QStringLiteral("30");
        return m_clipSamples[name] = playtest::MakeSample(m_dir.filePath(QStringLiteral("clip-") + name), args);
    }
    static QSize PictureSize(const QString& name)
    {
        return name == QLatin1String("low") ? QSize(352, 288) : QSize(640, 360);
    }

    // The window on `sample` with the surface at the picture's own size (its image reads like the
    // picture), the clock virtual, the clip packages of `packageSize` ("0" 32 MiB, "1" 128 MiB).
    bool SetUpClip(const playtest::SampleFolder& sample, QSize picture, const QString& packageSize)
    {
        if (!sample.ok)
            return false;
        QDir(ClipRoot()).removeRecursively();
        if (!CSettingsManager::Instance()->SaveSettings(
                {{QStringLiteral("ClipPackageSize"), packageSize},
                 {QStringLiteral("ClipSavePath"), ClipRoot() + QLatin1Char('/')}},
                m_dir.filePath(QStringLiteral("config/Settings.xml"))))
            return false;
        m_wnd->resize(picture.width() + 2, picture.height() + 2 + 18);
        m_clock = std::make_shared<vrend::VirtualClock>();
        vrend_test_SetClock(m_clock);
        m_virtualClock = true;
        return playtest::SearchSample(*m_engine, sample);
    }
    QString ClipRoot() const { return m_dir.filePath(QStringLiteral("clips")); }

    // The first picture of a start has reached the surface.
    bool FirstPictureShown()
    {
        QElapsedTimer waited;
        waited.start();
        while (m_wnd->Surface()->framesReceived() == 0 && waited.elapsed() < 10000)
            QTest::qWait(5);
        return m_wnd->Surface()->framesReceived() > 0;
    }
    qint64 Shown()
    {
        vrend_test_WaitSettled(m_engine->GetPlayPort(), 10000);
        return playtest::FrameCode(m_wnd->Surface()->currentImage(), m_sample.fps);
    }
    // One frame of real time at a time (more pictures at speed) until `code` or a later picture
    // is shown; the player moves on to the next file in real time meanwhile.
    qint64 AdvanceTo(qint64 code)
    {
        qint64 shown = Shown();
        for (int i = 0; i < 3000 && shown < code; ++i) {
            m_clock->Advance(40'000'000);
            if (i % 8 == 0)
                QCoreApplication::processEvents();
            shown = Shown();
        }
        return shown;
    }

    struct ReadBack {
        SampleGen::DecodeReport report;
        QList<qint64> codes;
        QByteArray header;
    };
    ReadBack Read(const QString& path) const
    {
        ReadBack r;
        QFile f(path);
        if (f.open(QIODevice::ReadOnly))
            r.header = f.read(40);
        r.report = SampleGen::DecodePictures(
            path, 40, [&](const QImage& img) { r.codes << playtest::FrameCode(img, m_sample.fps); });
        return r;
    }
    static bool Consecutive(const QList<qint64>& codes)
    {
        for (int i = 1; i < codes.size(); ++i)
            if (codes[i] != codes[i - 1] + 1)
                return false;
        return !codes.isEmpty();
    }
    static QByteArray FileHeader(const playtest::SampleFolder& s, int file)
    {
        QFile f(s.dir + QLatin1Char('/') + s.files[file].path);
        return f.open(QIODevice::ReadOnly) ? f.read(40) : QByteArray();
    }
    // The engine's output worker has carried out what the window asked (a snapshot, a clip's
    // start or stop), and the window has heard of it.
    bool OutputDone()
    {
        const bool idle = m_engine->WaitOutputIdle(10000);
        QCoreApplication::processEvents();
        return idle;
    }
    QStringList ClipPaths() const
    {
        QStringList paths;
        for (const std::string& p : m_engine->GetClipFilePaths())
            paths << QString::fromLocal8Bit(p.c_str());
        return paths;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        // Snapshots and clips go to the configured folders, which this test sets.
        const QString config = m_dir.filePath(QStringLiteral("config"));
        QDir().mkpath(config);
        QDir().mkpath(OutputRoot());
        QFile settings(config + QStringLiteral("/Settings.xml"));
        QVERIFY(settings.open(QIODevice::WriteOnly));
        settings.write(QStringLiteral("<?xml version=\"1.0\"?>\n<Settings>\n"
                                      "<CaptureSavePath><Value>%1/</Value></CaptureSavePath>\n"
                                      "<ClipSavePath><Value>%1/</Value></ClipSavePath>\n"
                                      "</Settings>\n")
                           .arg(OutputRoot())
                           .toUtf8());
        settings.close();
        qputenv("VARPEN_CONFIG_DIR", config.toLocal8Bit());
        QVERIFY(CSettingsManager::Instance()->ReadSettings(settings.fileName()));
        Sys_SetFreeSpaceFunction(&FakeFreeSpace);
        m_sample = playtest::MakeSample(m_dir.filePath(QStringLiteral("rec")),
                                        {QStringLiteral("--channels"), QStringLiteral("1"), QStringLiteral("--days"),
                                         QStringLiteral("1"), QStringLiteral("--segments-per-day"), QStringLiteral("1"),
                                         QStringLiteral("--segment-length"), QStringLiteral("20")});
        QVERIFY2(m_sample.ok, "varpen-sample did not write the sample");
    }

    void init()
    {
        m_engine = std::make_unique<Engine>();
        m_host = Host{};
        m_host.engine = m_engine.get();
        m_wnd = std::make_unique<CPlaybackWnd>(&m_host);
        m_host.windows = {m_wnd.get()};
        m_voice = VoiceLog{};
        m_wnd->SetWndIndex(0);
        m_wnd->SetWndParam(&OnVoice, &m_voice);
        m_wnd->resize(400, 300);
        m_wnd->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_wnd.get()));
        QVERIFY(playtest::SearchSample(*m_engine, m_sample));
        g_free_bytes = quint64(100) << 30;
    }

    void cleanup()
    {
        if (m_wnd && m_engine->IsPlaying())
            m_wnd->OnStop();
        m_wnd.reset();
        m_engine.reset();
        if (m_virtualClock) {
            vrend_test_SetClock(nullptr);
            m_virtualClock = false;
        }
    }

    void bindingAndStates()
    {
        m_wnd->SetChannelInfo(Varpen::CChannel(-1, QString()));
        QCOMPARE(m_wnd->TitleLabel()->text(), QStringLiteral(" Window01: "));
        QVERIFY(!m_wnd->IsBarEnabled());
        Varpen::CChannel channel(m_sample.channel, m_sample.group);
        m_wnd->SetChannelInfo(channel);
        QVERIFY(m_wnd->IsBarEnabled());
        QCOMPARE(m_wnd->TitleLabel()->text(),
                 QStringLiteral(" Window01:%1 channel%2").arg(m_sample.group).arg(m_sample.channel + 1));
        QVERIFY(playtest::SearchSample(*m_engine, m_sample));  // binding cleared the found files

        // Stopped: every tool disabled but download and full screen.
        auto tools = [this] {
            return QList<bool>{m_wnd->SnapshotButton()->isEnabled(), m_wnd->RecordButton()->isEnabled(),
                               m_wnd->ZoomButton()->isEnabled(),     m_wnd->SoundButton()->isEnabled(),
                               m_wnd->SnapshotAction()->isEnabled(), m_wnd->RecordAction()->isEnabled(),
                               m_wnd->ZoomAction()->isEnabled(),     m_wnd->SoundAction()->isEnabled()};
        };
        QCOMPARE(tools(), QList<bool>(8, false));
        QVERIFY(m_wnd->DownloadAction()->isEnabled() && m_wnd->FullScreenAction()->isEnabled());

        QVERIFY(m_wnd->OnPlay());
        QCOMPARE(tools(), QList<bool>(8, true));
        QVERIFY(m_wnd->IsPollRunning());

        // The time label advances while playing.
        QTRY_VERIFY_WITH_TIMEOUT(m_wnd->TimeLabel()->text() != QLatin1String("0000-00-00 00:00:00"), 5000);
        const QString first = m_wnd->TimeLabel()->text();
        QCOMPARE(QDateTime::fromString(first, QStringLiteral("yyyy-MM-dd hh:mm:ss")).isValid(), true);
        QTRY_VERIFY_WITH_TIMEOUT(m_wnd->TimeLabel()->text() > first, 5000);

        m_wnd->OnPause();
        QVERIFY(m_engine->IsPaused());
        QVERIFY(!m_wnd->SnapshotButton()->isEnabled() && !m_wnd->SnapshotAction()->isEnabled());
        QVERIFY(m_wnd->RecordButton()->isEnabled());
        m_wnd->OnPlaybackRemoteEvent(PlayWndEvent::Resumed);
        QVERIFY(m_wnd->SnapshotButton()->isEnabled());
        m_wnd->OnSingleFrame();
        QVERIFY(!m_wnd->SnapshotButton()->isEnabled());
        QVERIFY(m_wnd->OnPlay());  // resume
        QVERIFY(!m_engine->IsPaused());
        QVERIFY(m_wnd->SnapshotButton()->isEnabled());

        m_wnd->OnStop();
        QVERIFY(!m_engine->IsPlaying());
        QCOMPARE(tools(), QList<bool>(8, false));
        QVERIFY(!m_wnd->IsPollRunning());
        QCOMPARE(m_wnd->TimeLabel()->text(), QStringLiteral("0000-00-00 00:00:00"));
    }

    // The hover bar is made the first time the mouse enters a bound window: until then the tools
    // show nowhere (not loose on the cell); made, it holds them, sits along the bottom edge and
    // is stacked over the picture and under the title, as a bar made with the window would be.
    void barMadeOnFirstEnterOfABoundWindow()
    {
        const QList<QToolButton*> tools{m_wnd->SnapshotButton(), m_wnd->RecordButton(), m_wnd->ZoomButton(),
                                        m_wnd->SoundButton()};
        QEvent enter(QEvent::Enter);
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(m_wnd.get(), &enter);
        QVERIFY(!m_wnd->HasBar());
        for (QToolButton* b : tools)
            QVERIFY(!b->isVisible());

        m_wnd->SetChannelInfo(Varpen::CChannel(m_sample.channel, m_sample.group));
        QCursor::setPos(m_wnd->mapToGlobal(QPoint(200, 100)));
        QCoreApplication::sendEvent(m_wnd.get(), &enter);
        QVERIFY(m_wnd->HasBar());
        CPlayWndBottom* bar = m_wnd->Bar();
        QVERIFY(bar->isVisible());
        QCOMPARE(bar->geometry(), QRect(1, 300 - 1 - 28, 398, 28));
        for (QToolButton* b : tools) {
            QCOMPARE(bar->PlaceOf(b), CPlayWndBottom::Place::Row);
            QVERIFY(b->isVisible());
        }
        const QObjectList& cells = m_wnd->children();
        QVERIFY(cells.indexOf(m_wnd->Surface()) < cells.indexOf(bar));
        QVERIFY(cells.indexOf(bar) < cells.indexOf(m_wnd->TitleLabel()));

        QCoreApplication::sendEvent(m_wnd.get(), &leave);
        QVERIFY(bar->isHidden());
    }

    void speedLabel()
    {
        m_wnd->SetChannelInfo(Varpen::CChannel(m_sample.channel, m_sample.group));  // the bar shows
        QVERIFY(playtest::SearchSample(*m_engine, m_sample));
        QVERIFY(m_wnd->OnPlay());
        QTest::mouseMove(m_wnd.get(), QPoint(200, 150));
        QEvent enter(QEvent::Enter);
        QCoreApplication::sendEvent(m_wnd.get(), &enter);
        m_wnd->OnCtrlSpeed(1);
        QTRY_VERIFY(m_wnd->SpeedLabel()->isVisible());
        QCOMPARE(m_wnd->SpeedLabel()->text(), QStringLiteral("2x"));
    }

    // The snapshot holds the very frame the window shows, in the configured format. The clock
    // is virtual here, so that no frame goes by between the snapshot and the look at the surface.
    void snapshot_data()
    {
        QTest::addColumn<QString>("saveType");  // "CaptureSaveType"
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<QByteArray>("format");  // what the file's content is
        QTest::newRow("JPEG") << QStringLiteral("0") << QStringLiteral("jpg") << QByteArray("jpeg");
        QTest::newRow("BMP") << QStringLiteral("1") << QStringLiteral("bmp") << QByteArray("bmp");
    }
    void snapshot()
    {
        QFETCH(QString, saveType);
        QFETCH(QString, suffix);
        QFETCH(QByteArray, format);
        CPromptScript prompts;
        QVERIFY(CSettingsManager::Instance()->SaveSettings(
            {{QStringLiteral("CaptureSaveType"), saveType},
             {QStringLiteral("CaptureSavePath"), OutputRoot() + QLatin1Char('/')},
             {QStringLiteral("ClipSavePath"), OutputRoot() + QLatin1Char('/')}},
            m_dir.filePath(QStringLiteral("config/Settings.xml"))));
        // The surface at the picture's own size, so that its image reads like the picture.
        m_wnd->resize(352 + 2, 288 + 2 + 18);
        auto clock = std::make_shared<vrend::VirtualClock>();
        vrend_test_SetClock(clock);
        m_virtualClock = true;
        QVERIFY(m_wnd->OnPlay());
        QTRY_VERIFY_WITH_TIMEOUT(m_wnd->Surface()->framesReceived() > 0, 10000);
        const int port = m_engine->GetPlayPort();
        QVERIFY(vrend_test_WaitSettled(port, 10000));
        QCOMPARE(m_wnd->Surface()->size(), QSize(352, 288));

        // A snapshot waits for the next frame shown: move the clock one frame at a time from
        // the moment it asks until its file is there.
        std::atomic<bool> done{false};
        std::thread mover([&] {
            while (!done && m_engine->GetSnapshotFilePath().empty())
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            while (!done && !QFileInfo::exists(QString::fromLocal8Bit(m_engine->GetSnapshotFilePath().c_str()))) {
                clock->Advance(40'000'000);
                vrend_test_WaitSettled(port, 10000);
            }
        });
        m_wnd->OnSnapshot();
        // The click returned before the picture was taken: the notice follows the outcome.
        const bool saidLater = prompts.Texts(CPrompt::Notice).isEmpty();
        const bool idle = OutputDone();
        done = true;
        mover.join();
        QVERIFY(saidLater);
        QVERIFY(idle);
        const QString path = QString::fromLocal8Bit(m_engine->GetSnapshotFilePath().c_str());
        QVERIFY2(path.startsWith(OutputRoot()), qPrintable(path));
        QCOMPARE(QFileInfo(path).suffix(), suffix);
        QCOMPARE(QImageReader::imageFormat(path), format);
        QTRY_COMPARE(prompts.Texts(CPrompt::Notice), QStringList{path});
        QVERIFY(CSnapshotInfoWnd::Current() != nullptr);
        const qint64 saved = playtest::FrameCode(QImage(path), m_sample.fps);
        QVERIFY(saved >= 0);
        QVERIFY(vrend_test_WaitSettled(port, 10000));
        QCOMPARE(saved, playtest::FrameCode(m_wnd->Surface()->currentImage(), m_sample.fps));

        // Below half a gigabyte: no snapshot, one notice.
        prompts.Clear();
        g_free_bytes = quint64(300) << 20;
        m_wnd->OnSnapshot();
        QCOMPARE(prompts.Texts(CPrompt::Notice), QStringList{QStringLiteral("Disk Space is low.")});
        QCOMPARE(QString::fromLocal8Bit(m_engine->GetSnapshotFilePath().c_str()), path);
    }

    void clip()
    {
        CPromptScript prompts;
        QVERIFY(m_wnd->OnPlay());
        QTRY_VERIFY_WITH_TIMEOUT(m_wnd->Surface()->framesReceived() > 0, 5000);
        m_wnd->OnRecord();
        QVERIFY(m_engine->IsClipping());
        QVERIFY(OutputDone());
        QTRY_VERIFY(m_wnd->IsClipFlag());
        QCOMPARE(m_wnd->RecordButton()->toolTip(), QStringLiteral("Stop Recording"));
        QCOMPARE(prompts.Texts(CPrompt::Notice), QStringList{QStringLiteral("start recording.")});
        QTest::qWait(1200);

        // Space runs low while the clip runs: the record button still stops it.
        g_free_bytes = quint64(1) << 30;
        prompts.Clear();
        m_wnd->OnRecord();
        QVERIFY(!m_engine->IsClipping());
        QVERIFY(!m_wnd->IsClipFlag());
        QCOMPARE(m_wnd->RecordButton()->toolTip(), QStringLiteral("Start Recording"));
        QVERIFY(OutputDone());
        QTRY_COMPARE(prompts.Texts(CPrompt::Notice).size(), 1);
        const QStringList notices = prompts.Texts(CPrompt::Notice);
        QCOMPARE(notices.size(), 1);
        QVERIFY2(notices.first().contains(QString::fromLocal8Bit(m_engine->GetClipFilePath().c_str())),
                 qPrintable(notices.first()));
        QTRY_VERIFY(QFileInfo::exists(QString::fromLocal8Bit(m_engine->GetClipFilePath().c_str())));

        // And a new clip is refused while space is low.
        prompts.Clear();
        m_wnd->OnRecord();
        QVERIFY(!m_engine->IsClipping());
        QCOMPARE(prompts.Texts(CPrompt::Notice), QStringList{QStringLiteral("Disk Space is low.")});
    }

    // While the engine's output worker is held (a slow capture or clip folder), the buttons
    // return at once and say nothing yet; once it goes on, the outcome is said once.
    void outputSaidOnceWhenTheWorkerGoesOn_data()
    {
        QTest::addColumn<QString>("button");  // snapshot, record (start), record again (stop)
        QTest::newRow("snapshot") << QStringLiteral("snapshot");
        QTest::newRow("clip start") << QStringLiteral("start");
        QTest::newRow("clip stop") << QStringLiteral("stop");
    }
    void outputSaidOnceWhenTheWorkerGoesOn()
    {
        QFETCH(QString, button);
        CPromptScript prompts;
        // The clock is virtual: the pictures a snapshot and a clip wait for come when the test
        // moves it, however loaded the machine.
        m_clock = std::make_shared<vrend::VirtualClock>();
        vrend_test_SetClock(m_clock);
        m_virtualClock = true;
        const auto frames = [this](int count) {
            for (int i = 0; i < count; ++i) {
                m_clock->Advance(40'000'000);
                vrend_test_WaitSettled(m_engine->GetPlayPort(), 10000);
            }
        };
        QVERIFY(m_wnd->OnPlay());
        QTRY_VERIFY_WITH_TIMEOUT(m_wnd->Surface()->framesReceived() > 0, 10000);
        if (button == QLatin1String("stop")) {
            m_wnd->RecordButton()->click();
            QVERIFY(OutputDone());
            QTRY_VERIFY(m_wnd->IsClipFlag());
            frames(50);
        }
        prompts.Clear();
        std::mutex lock;
        std::condition_variable cond;
        bool reached = false, go = false;
        WorkerHooks::Set([&](WorkerHooks::Point point) {
            if (point != WorkerHooks::Point::OutputCommand)
                return;
            std::unique_lock<std::mutex> guard(lock);
            reached = true;
            cond.notify_all();
            cond.wait_for(guard, std::chrono::seconds(10), [&] { return go; });
        });
        if (button == QLatin1String("snapshot"))
            m_wnd->SnapshotButton()->click();
        else
            m_wnd->RecordButton()->click();
        {
            std::unique_lock<std::mutex> guard(lock);
            QVERIFY(cond.wait_for(guard, std::chrono::seconds(10), [&] { return reached; }));
        }
        // The click has returned with its command held; a few polls go by meanwhile.
        QTest::qWait(700);
        QCOMPARE(prompts.Texts(CPrompt::Notice), QStringList());
        QVERIFY(!m_wnd->IsClipFlag());
        {
            std::lock_guard<std::mutex> guard(lock);
            go = true;
        }
        cond.notify_all();
        for (int i = 0; i < 200 && m_engine->IsOutputBusy(); ++i) {
            frames(1);
            m_engine->WaitOutputIdle(20);
        }
        QVERIFY(OutputDone());
        WorkerHooks::Set({});
        QTRY_COMPARE(prompts.Texts(CPrompt::Notice).size(), 1);
        const QString said = prompts.Texts(CPrompt::Notice).first();
        if (button == QLatin1String("start")) {
            QCOMPARE(said, QStringLiteral("start recording."));
            QVERIFY(m_wnd->IsClipFlag());
            frames(50);
            m_wnd->RecordButton()->click();
            QVERIFY(OutputDone());
            QTRY_COMPARE(prompts.Texts(CPrompt::Notice).size(), 2);  // the clip's file
            return;
        } else if (button == QLatin1String("stop")) {
            QCOMPARE(said, QString::fromLocal8Bit(m_engine->GetClipFilePath().c_str()));
            QVERIFY(QFileInfo::exists(said));
        } else {
            QCOMPARE(said, QString::fromLocal8Bit(m_engine->GetSnapshotFilePath().c_str()));
            QVERIFY(QFileInfo::exists(said));
        }
        QTest::qWait(700);  // later polls say nothing more
        QCOMPARE(prompts.Texts(CPrompt::Notice).size(), 1);
    }

    void clipExceptionOnce()
    {
        CPromptScript prompts;
        QVERIFY(m_wnd->OnPlay());
        QTRY_VERIFY_WITH_TIMEOUT(m_wnd->Surface()->framesReceived() > 0, 5000);
        m_wnd->OnRecord();
        QVERIFY(m_engine->IsClipping());
        QVERIFY(OutputDone());
        prompts.Clear();
        g_free_bytes = quint64(1) << 30;
        QTest::qWait(1000);  // three polls and more
        QVERIFY(!m_engine->IsClipping());
        QCOMPARE(prompts.Texts(CPrompt::Notice).count(QStringLiteral("Clip Exception.")), 1);
        QVERIFY(m_engine->IsPlaying());  // the playback goes on
    }

    // ---- Clips hold what the window showed -------------------------------------------------
    // The clip button pressed as the operator presses it, on a virtual clock, so that the
    // pictures shown at the two presses are known exactly; the clip files read back with a plain
    // decoder. Low rate: the player's source buffer holds a minute or more ahead of the picture;
    // 7 Mbit/s: a few seconds.

    // From the keyframe at or before the picture shown at the first press to the picture shown at
    // the second, every picture, the first one decoding; at 1x and at 4x (pictures skipped on
    // the screen are in the clip), at a low rate and at 7 Mbit/s.
    void clipHoldsWhatWasShown_data()
    {
        QTest::addColumn<QString>("sample");
        QTest::addColumn<int>("level");
        QTest::addRow("low rate, 1x") << "low" << 0;
        QTest::addRow("low rate, 4x") << "low" << 2;
        QTest::addRow("7 Mbit/s, 1x") << "high" << 0;
        QTest::addRow("7 Mbit/s, 4x") << "high" << 2;
    }
    void clipHoldsWhatWasShown()
    {
        QFETCH(QString, sample);
        QFETCH(int, level);
        const playtest::SampleFolder& s = ClipSample(sample);
        QVERIFY(SetUpClip(s, PictureSize(sample), QStringLiteral("1")));
        CPromptScript prompts;
        QVERIFY(m_wnd->OnPlay());
        QVERIFY(FirstPictureShown());
        const qint64 first = qint64(s.files[0].start) * s.fps;
        QCOMPARE(Shown(), first);
        m_wnd->OnCtrlSpeed(level);
        const qint64 shownAtStart = AdvanceTo(first + 37);  // inside a group of pictures
        m_wnd->RecordButton()->click();
        QVERIFY(m_engine->IsClipping());
        QVERIFY(OutputDone());
        const qint64 shownAtStop = AdvanceTo(shownAtStart + 3 * s.fps);
        m_wnd->RecordButton()->click();
        QVERIFY(!m_engine->IsClipping());
        QVERIFY(OutputDone());

        const QStringList paths = ClipPaths();
        QCOMPARE(paths.size(), 1);
        QTRY_COMPARE(prompts.Texts(CPrompt::Notice).last(), paths.first());
        const ReadBack clip = Read(paths.first());
        QCOMPARE(clip.header, FileHeader(s, 0));
        QCOMPARE(clip.report.errors, 0);
        QCOMPARE(clip.report.pictures, clip.report.packets);
        QCOMPARE(clip.codes.first(), shownAtStart / s.fps * s.fps);  // a keyframe every second
        QCOMPARE(clip.codes.last(), shownAtStop);
        QVERIFY(Consecutive(clip.codes));
    }

    // A clip larger than the package size goes on in the next package at a keyframe, after the
    // stream header: each package plays by itself, and together they hold every picture.
    void clipRollsOverKeepingEveryPicture()
    {
        const playtest::SampleFolder& s = ClipSample(QStringLiteral("dense"));
        QVERIFY(SetUpClip(s, PictureSize(QStringLiteral("dense")), QStringLiteral("0")));
        CPromptScript prompts;
        QVERIFY(m_wnd->OnPlay());
        QVERIFY(FirstPictureShown());
        m_wnd->OnCtrlSpeed(3);
        const qint64 first = qint64(s.files[0].start) * s.fps;
        const qint64 shownAtStart = AdvanceTo(first + 37);
        m_wnd->RecordButton()->click();
        QVERIFY(OutputDone());
        const qint64 shownAtStop = AdvanceTo(first + 15 * s.fps);  // about 45 MB
        m_wnd->RecordButton()->click();
        QVERIFY(OutputDone());

        const QStringList paths = ClipPaths();
        QCOMPARE(paths.size(), 2);
        QList<qint64> all;
        for (const QString& path : paths) {
            QVERIFY(QFileInfo(path).size() <= 33554432);
            const ReadBack package = Read(path);
            QCOMPARE(package.header, FileHeader(s, 0));
            QCOMPARE(package.report.errors, 0);
            QCOMPARE(package.report.pictures, package.report.packets);
            QCOMPARE(package.codes.first() % s.fps, 0);
            all += package.codes;
        }
        QCOMPARE(all.first(), shownAtStart / s.fps * s.fps);
        QCOMPARE(all.last(), shownAtStop);
        QVERIFY(Consecutive(all));
    }

    // Through the change to the next file: the first file's pictures to its last one, then a new
    // package with the next file's header from its first picture.
    void clipGoesOnIntoTheNextFile()
    {
        const playtest::SampleFolder& s = ClipSample(QStringLiteral("low"));
        QVERIFY(SetUpClip(s, PictureSize(QStringLiteral("low")), QStringLiteral("1")));
        CPromptScript prompts;
        // A click on the time line three seconds before the first file ends.
        QVERIFY(m_engine->StartPlayback(m_wnd->GetPlayWndId(), s.files[0].end - 3));
        m_wnd->OnPlaybackRemoteEvent(PlayWndEvent::PlayStarted);
        QVERIFY(FirstPictureShown());
        const qint64 shownAtStart = AdvanceTo(qint64(s.files[0].end - 3) * s.fps + 10);
        m_wnd->RecordButton()->click();
        QVERIFY(OutputDone());
        const qint64 shownAtStop = AdvanceTo(qint64(s.files[1].start + 2) * s.fps);
        m_wnd->RecordButton()->click();
        QVERIFY(OutputDone());

        const QStringList paths = ClipPaths();
        QCOMPARE(paths.size(), 2);
        const ReadBack before = Read(paths[0]);
        QCOMPARE(before.header, FileHeader(s, 0));
        QCOMPARE(before.report.errors, 0);
        QCOMPARE(before.codes.first(), shownAtStart / s.fps * s.fps);
        QCOMPARE(before.codes.last(), qint64(s.files[0].end) * s.fps - 1);
        QVERIFY(Consecutive(before.codes));
        const ReadBack after = Read(paths[1]);
        QCOMPARE(after.header, FileHeader(s, 1));
        QCOMPARE(after.report.errors, 0);
        QCOMPARE(after.report.pictures, after.report.packets);
        QCOMPARE(after.codes.first(), qint64(s.files[1].start) * s.fps);
        QCOMPARE(after.codes.last(), shownAtStop);
        QVERIFY(Consecutive(after.codes));
    }

    // The recordings end while a clip runs: the clip holds them to the last picture, and the
    // window still names its file beside the end.
    void clipEndedByTheRecordingsNamesItsFile()
    {
        const playtest::SampleFolder& s = ClipSample(QStringLiteral("low"));
        QVERIFY(SetUpClip(s, PictureSize(QStringLiteral("low")), QStringLiteral("1")));
        CPromptScript prompts;
        QVERIFY(m_engine->StartPlayback(m_wnd->GetPlayWndId(), s.files[1].end - 2));
        m_wnd->OnPlaybackRemoteEvent(PlayWndEvent::PlayStarted);
        QVERIFY(FirstPictureShown());
        const qint64 shownAtStart = AdvanceTo(qint64(s.files[1].end - 2) * s.fps + 5);
        m_wnd->RecordButton()->click();
        QVERIFY(OutputDone());
        AdvanceTo(qint64(s.files[1].end) * s.fps);
        QTRY_VERIFY_WITH_TIMEOUT(!m_engine->IsPlaying() && !m_wnd->IsPollRunning(), 10000);
        QVERIFY(OutputDone());
        const QStringList paths = ClipPaths();
        QCOMPARE(paths.size(), 1);
        // The end is said by the poll that stops the window; the clip's file once its engine has
        // closed it.
        QTRY_COMPARE(prompts.Texts(CPrompt::Notice),
                     (QStringList{QStringLiteral("start recording."), QStringLiteral("The video has reach the end."),
                                  paths.first()}));
        QVERIFY(!m_wnd->IsClipFlag());
        const ReadBack clip = Read(paths.first());
        QCOMPARE(clip.codes.first(), shownAtStart / s.fps * s.fps);
        QCOMPARE(clip.codes.last(), qint64(s.files[1].end) * s.fps - 1);
        QVERIFY(Consecutive(clip.codes));
    }

    // A clip whose files cannot be written (disk full, medium gone) is said to have failed, once;
    // the record button is ready for a new clip, nothing unfinished stays, the playback goes on.
    void clipThatCannotBeWrittenIsSaidOnce()
    {
        const playtest::SampleFolder& s = ClipSample(QStringLiteral("low"));
        QVERIFY(SetUpClip(s, PictureSize(QStringLiteral("low")), QStringLiteral("1")));
        CPromptScript prompts;
        QVERIFY(m_wnd->OnPlay());
        QVERIFY(FirstPictureShown());
        AdvanceTo(qint64(s.files[0].start) * s.fps + 10);
        m_wnd->RecordButton()->click();
        QVERIFY(m_engine->IsClipping());
        QVERIFY(OutputDone());
        RTK_Test_FailWritesAfter(0);
        AdvanceTo(qint64(s.files[0].start) * s.fps + 3 * s.fps);
        QTRY_VERIFY(!m_wnd->IsClipFlag());
        RTK_Test_FailWritesAfter(-1);
        QCOMPARE(prompts.Texts(CPrompt::Notice).count(QStringLiteral("Clip Exception.")), 1);
        QCOMPARE(m_wnd->RecordButton()->toolTip(), QStringLiteral("Start Recording"));
        QVERIFY(!m_engine->IsClipping());
        QVERIFY(m_engine->IsPlaying());
        QStringList left;
        QDirIterator it(ClipRoot(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext())
            left << it.next();
        QCOMPARE(left, QStringList());
    }

    void endSaidOnce()
    {
        CPromptScript prompts;
        QVERIFY(m_wnd->OnPlay());
        QVERIFY(m_engine->SetPlayTime(m_sample.files.back().end - 1));
        QTRY_VERIFY_WITH_TIMEOUT(!m_engine->IsPlaying(), 10000);
        QTRY_VERIFY(!m_wnd->IsPollRunning());
        QTest::qWait(900);
        QCOMPARE(prompts.Texts(CPrompt::Notice), QStringList{QStringLiteral("The video has reach the end.")});
        QCOMPARE(m_wnd->TimeLabel()->text(), QStringLiteral("0000-00-00 00:00:00"));
    }

    void soundOpenFailureShowsClosed()
    {
        QVERIFY(m_wnd->OnPlay());
        m_engine->refuseSound = true;
        m_wnd->OnOpenVoice();
        QCOMPARE(m_voice.calls, QList<bool>{false});
        QCOMPARE(m_wnd->SoundButton()->toolTip(), QStringLiteral("Open Sound"));
        QVERIFY(!m_host.volumeOpened);

        m_engine->refuseSound = false;
        m_wnd->OnOpenVoice();
        QCOMPARE(m_voice.calls.last(), true);
        QCOMPARE(m_wnd->SoundButton()->toolTip(), QStringLiteral("Close Sound"));
        QVERIFY(m_host.volumeOpened);
        m_wnd->OnOpenVoice();
        QCOMPARE(m_voice.calls.last(), false);
        QCOMPARE(m_wnd->SoundAction()->text(), QStringLiteral("Open Sound"));
    }

    void digitalZoom()
    {
        QVERIFY(m_wnd->OnPlay());
        QWidget* surface = m_wnd->Surface();
        m_wnd->OnDigitalZoom();
        QVERIFY(m_wnd->IsZoomOn());
        const QSize s = surface->size();
        const QPoint a(s.width() * 3 / 4, s.height() * 3 / 4);
        const QPoint b(s.width() / 4, s.height() / 4);
        QTest::mousePress(surface, Qt::LeftButton, {}, a);
        QMouseEvent move(QEvent::MouseMove, QPointF(b), surface->mapToGlobal(QPointF(b)), Qt::NoButton, Qt::LeftButton,
                         {});
        QCoreApplication::sendEvent(surface, &move);
        QVERIFY(m_wnd->ZoomRect().has_value());
        QTest::mouseRelease(surface, Qt::LeftButton, {}, b);
        QVERIFY(!m_wnd->ZoomRect().has_value());
        QCOMPARE(m_engine->regions.size(), 1);
        const QRectF r = m_engine->regions.first();
        QVERIFY(r.left() < r.right() && r.top() < r.bottom());  // dragged up-left, sent sorted
        QVERIFY(qAbs(r.left() - 0.25) < 0.02 && qAbs(r.bottom() - 0.75) < 0.02);

        // A click without a drag sends nothing.
        QTest::mouseClick(surface, Qt::LeftButton, {}, a);
        QCOMPARE(m_engine->regions.size(), 1);

        // Zoom off: the whole picture again.
        m_wnd->OnDigitalZoom();
        QVERIFY(!m_wnd->IsZoomOn());
        QCOMPARE(m_engine->regions.last(), QRectF(QPointF(0, 0), QPointF(0, 0)));
    }

    void contextMenu()
    {
        std::unique_ptr<QMenu> menu(m_wnd->BuildContextMenu());
        QStringList texts;
        for (QAction* a : menu->actions())
            texts << (a->isSeparator() ? QStringLiteral("-") : a->text());
        QCOMPARE(texts, (QStringList{"-", "Digital Zoom", "-", "-", "Snapshot", "Start Recording", "DownLoad",
                                     "Open Sound", "-", "Full Screen"}));
        m_host.fullScreen = true;
        menu.reset(m_wnd->BuildContextMenu());
        QCOMPARE(menu->actions().last()->text(), QStringLiteral("Exit Full Screen"));
    }

    void downloadHook()
    {
        m_wnd->SetChannelInfo(Varpen::CChannel(m_sample.channel, m_sample.group));
        QSignalSpy spy(m_wnd.get(), &CPlaybackWnd::SignalDownLoad);
        m_wnd->DownloadAction()->trigger();
        QCOMPARE(spy.size(), 1);
        QCOMPARE(spy.first().at(0).toInt(), 0);
        QCOMPARE(spy.first().at(1).toString(), m_wnd->TitleLabel()->text());
    }

    void layoutWithFitAndNoPicture()
    {
        // Fitting on before any picture is known: a resize still places the labels and the
        // surface (unfitted), as the grid lays cells out anew.
        m_wnd->OnAdaptWindow(1);
        m_wnd->resize(640, 480);
        // The time keeps a room of at least 125 pixels that holds its whole text at the right
        // edge inside the border; the title has the rest, up to the time's room.
        const QRect time = m_wnd->TimeLabel()->geometry();
        QCOMPARE(time.right(), 638);
        QCOMPARE(time.top(), 1);
        QCOMPARE(time.height(), 18);
        QVERIFY(time.width() >= 125);
        QVERIFY(m_wnd->TimeLabel()->fontMetrics().horizontalAdvance(m_wnd->TimeLabel()->text()) <= time.width());
        QCOMPARE(m_wnd->TitleLabel()->geometry(), QRect(1, 1, time.left() - 1, 18));
        QCOMPARE(m_wnd->Surface()->geometry(), QRect(1, 19, 638, 460));

        // Playing, the picture is letterboxed into the cell.
        QVERIFY(m_wnd->OnPlay());
        QTRY_VERIFY_WITH_TIMEOUT(m_wnd->Surface()->framesReceived() > 0, 5000);
        int pw = 0;
        int ph = 0;
        QVERIFY(m_engine->GetPictureSize(&pw, &ph));
        m_wnd->resize(800, 300);
        QCOMPARE(m_wnd->Surface()->geometry(), PlayWnd::Letterbox(QRect(1, 19, 798, 280), QSize(pw, ph)));
    }

    void dropFromOutsideRefused()
    {
        // A drop constructed here has no source widget in this program, as a drag from another
        // application: it is refused, and no search is asked for.
        QSignalSpy spy(m_wnd.get(), &CPlaybackWnd::SignalSearchSelected);
        QMimeData data;
        data.setData(QStringLiteral("Playback/Stream"), QByteArray("0"));
        QDragEnterEvent enter(QPoint(50, 50), Qt::MoveAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(m_wnd.get(), &enter);
        QVERIFY(!enter.isAccepted());
        QDropEvent drop(QPointF(50, 50), Qt::MoveAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(m_wnd.get(), &drop);
        QVERIFY(!drop.isAccepted());
        QCOMPARE(spy.size(), 0);
    }
};

QTEST_MAIN(TestPlayWnd)
#include "tst_playwnd.moc"
