// The playback page on the real engine and a small sample folder written at test time: the form,
// the start grid by screen shape, the play bar's states, full screen and Escape, the window-count
// buttons, the play control on bound windows (alone and in step), the 300 ms poll, the close
// question and an orderly end while windows play and a disk scan runs. Modal prompts are answered
// through the prompt hook.
#include <QtTest>

#include <condition_variable>
#include <mutex>

#include <QComboBox>
#include <QStandardItemModel>
#include <QToolButton>

#include "engine/CheckRemoteFileExistThread.h"
#include "engine/PlayBackInteraction.h"
#include "engine/WorkerReaper.h"
#include "engine/SearchDiskThread.h"
#include "playback/PlayBackWidget.h"
#include "playback/PlayBackWidgetPrivate.h"
#include "playback/PlayBarStates.h"
#include "tests/engine/playback/PlaySamples.h"
#include "tests/support/BrokenFile.h"
#include "timeline/MultiTimeSlider.h"
#include "widgets/CGroupTreeView.h"
#include "widgets/CSpeedButton.h"
#include "widgets/CVolumeButton.h"
#include "widgets/ChaseDialog.h"
#include "widgets/PromptHook.h"

namespace {

// The real engine. It notes whether it still played when it was destroyed and can be made to
// report a stream failure (error 2) or the end of its list, which a sound sample cannot produce
// on demand.
class Engine : public CPlayBackInteraction {
public:
    ~Engine() override
    {
        if (playingAtDestruction)
            *playingAtDestruction << IsPlaying();
    }
    Varpen::PlayState GetPlayState() override
    {
        Varpen::PlayState state = CPlayBackInteraction::GetPlayState();
        if (forcedError)
            state.error = forcedError;
        if (forcedEndOfList)
            state.endOfList = true;
        return state;
    }
    int GetPlayError() override { return forcedError ? forcedError : CPlayBackInteraction::GetPlayError(); }

    QList<bool>* playingAtDestruction = nullptr;
    int forcedError = 0;
    bool forcedEndOfList = false;
};

QImage IconImage(const QIcon& icon)
{
    return icon.pixmap(QSize(40, 32)).toImage();
}

QImage FileImage(const QString& path)
{
    return QIcon(path).pixmap(QSize(40, 32)).toImage();
}

// The enabled state of the play bar's buttons, in the order play, frame, adapt, speed, volume,
// sync.
QList<bool> BarEnabled(CPlayBackWidget& page)
{
    Ui_CPlayBackWidget& ui = page.Form();
    return {ui.m_pBtnPlay->isEnabled(),   ui.m_pBtnFrame->isEnabled(),  ui.m_pBtnAdapt->isEnabled(),
            ui.m_pSpeedCtrl->isEnabled(), ui.m_pVolumeBtn->isEnabled(), ui.m_pBtnSyn->isEnabled()};
}

void SetBarEnabled(CPlayBackWidget& page, bool enabled)
{
    Ui_CPlayBackWidget& ui = page.Form();
    for (QWidget* w :
         QList<QWidget*>{ui.m_pBtnPlay, ui.m_pBtnFrame, ui.m_pBtnAdapt, ui.m_pSpeedCtrl, ui.m_pVolumeBtn, ui.m_pBtnSyn})
        w->setEnabled(enabled);
}

}  // namespace

class TestPlaybackPage : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    playtest::SampleFolder m_ch1;
    playtest::SampleFolder m_ch2;
    std::unique_ptr<CPlayBackWidget> m_page;

    CPlayBackWidgetPrivate* D() const { return m_page->Private(); }

    std::unique_ptr<CPlayBackWidget> MakePage(const QSize& screen = QSize(1280, 1024))
    {
        auto page = std::make_unique<CPlayBackWidget>(nullptr, screen);
        page->resize(1328, 813);
        page->show();
        return page;
    }

    // Binds a real engine on `sample`'s channel to window `window`; the engine has searched the
    // whole sample.
    Engine* Bind(int window, const playtest::SampleFolder& sample)
    {
        auto engine = std::make_unique<Engine>();
        if (!playtest::SearchSample(*engine, sample))
            return nullptr;
        Engine* raw = engine.get();
        D()->BindChannel(window, std::move(engine));
        D()->sync->AddInteraction(raw, D()->windows[size_t(window)]->GetPlayWndId());
        return raw;
    }

    // A copy of the first channel's sample under `scratch`, every recording broken the `kind` way;
    // empty files when the copy could not be made.
    playtest::SampleFolder BrokenCopy(const QTemporaryDir& scratch, const QString& kind)
    {
        const QString to = scratch.filePath(QStringLiteral("broken"));
        if (!CopyFolder(m_ch1.dir, to))
            return {};
        playtest::SampleFolder broken = playtest::LoadSampleAt(to, m_ch1.channel);
        for (const playtest::SampleFile& f : broken.files)
            if (!BreakFile(to + QStringLiteral("/") + f.path, kind))
                return {};
        return broken;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        const QString dir = m_dir.filePath(QStringLiteral("rec"));
        m_ch1 = playtest::MakeSample(dir, {QStringLiteral("--channels"), QStringLiteral("2"), QStringLiteral("--days"),
                                           QStringLiteral("1"), QStringLiteral("--segments-per-day"),
                                           QStringLiteral("2"), QStringLiteral("--segment-length"),
                                           QStringLiteral("20"), QStringLiteral("--gap"), QStringLiteral("10")});
        QVERIFY2(m_ch1.ok, "varpen-sample did not write the sample");
        m_ch2 = playtest::LoadSampleAt(dir, m_ch1.channel + 1);
        QVERIFY(m_ch2.ok && m_ch2.channel != m_ch1.channel);
    }

    void init() { m_page = MakePage(); }

    void cleanup() { m_page.reset(); }

    void formShape()
    {
        Ui_CPlayBackWidget& ui = m_page->Form();
        m_page->resize(1600, 1000);
        QTRY_COMPARE(m_page->width(), 1600);
        QCoreApplication::processEvents();
        // The left column keeps its width, the time line, the play bar and the black line their
        // heights, at any page size.
        QCOMPARE(ui.m_pPlayBackTreeView->width(), 210);
        QCOMPARE(ui.m_pBottomFrame->width(), 210);
        QCOMPARE(ui.m_pMultiTimeSlider->height(), 126);
        QCOMPARE(ui.m_pFrameBottom->height(), 56);
        QCOMPARE(ui.frame_4->height(), 4);
        QCOMPARE(m_page->objectName(), QStringLiteral("CPlayBackWidget"));

        // Record types: 15 entries, the id of each is its index.
        QCOMPARE(ui.m_pRecordTypeComboBox->count(), 15);
        for (int i = 0; i < 15; ++i)
            QCOMPARE(ui.m_pRecordTypeComboBox->itemData(i).toInt(), i);
        QCOMPARE(ui.m_pRecordTypeComboBox->itemText(0), QStringLiteral("All"));
        QCOMPARE(ui.m_pRecordTypeComboBox->itemText(14), QStringLiteral("Near"));

        // Just built: window 0 current, stopped, synchronous play off, nothing scanned.
        QCOMPARE(D()->GetCurrentIndex(), 0);
        QCOMPARE(int(D()->windows.size()), 16);
        QCOMPARE(ui.m_pBtnSyn->toolTip(), QStringLiteral("Synchonize play"));
        QCOMPARE(ui.m_pBtnPlay->toolTip(), QStringLiteral("Play"));
        QVERIFY(!ui.m_pBtnFrame->isEnabled() && !ui.m_pVolumeBtn->isEnabled());
        QVERIFY(!m_page->PlayStateTimer()->isActive());
        QVERIFY(!m_page->IsDiskSearchRunning());
        QVERIFY(m_page->DayChecker()->IsRunning());
        QVERIFY(!m_page->DiskSearcher()->isRunning());
        QCOMPARE(m_page->GetFrameType(), 5);
    }

    // What others read of the page through its own operations is the page data's: windows out of
    // range and unbound windows give null and empty, and a look leaves the data as it was.
    void readOperations()
    {
        Engine* e3 = Bind(3, m_ch1);
        Engine* e1 = Bind(1, m_ch2);
        QVERIFY(e1 && e3);
        for (int window : {-1, 16})
            QVERIFY(!m_page->PlayWindow(window));
        for (int window : {0, 15})
            QCOMPARE(m_page->PlayWindow(window), D()->windows[size_t(window)]);
        QCOMPARE(m_page->PlayerAt(3), e3);
        QVERIFY(!m_page->PlayerAt(0) && !m_page->PlayerAt(-1));
        using Bound = QList<QPair<int, CPlayBackInteraction*>>;
        QCOMPARE(m_page->Players(), (Bound{{1, e1}, {3, e3}}));

        D()->segmentsByWindow[3] = {CTimeSegment()};
        QCOMPARE(m_page->FoundSegments(3).size(), 1);
        QVERIFY(m_page->FoundFiles(3).empty() && m_page->FoundSegments(2).isEmpty());
        QVERIFY(!D()->filesByWindow.count(3) && !D()->segmentsByWindow.count(2));

        m_page->SelectWindow(3);
        QCOMPARE(m_page->CurrentWindowIndex(), 3);
        QVERIFY(D()->windows[3]->IsSelected() && !D()->windows[0]->IsSelected());
        m_page->SelectWindow(16);
        QCOMPARE(m_page->CurrentWindowIndex(), 3);
        QCOMPARE(m_page->SplitMode(), D()->splitLayout->GetSplitMode());
    }

    void startModeByScreen_data()
    {
        QTest::addColumn<QSize>("screen");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("oneIcon");
        QTest::addColumn<QString>("moreIcon");
        QTest::newRow("1280x1024 (0.8)") << QSize(1280, 1024) << 1 << QStringLiteral("Cut_1_1")
                                         << QStringLiteral("Cut_4_16");
        QTest::newRow("1024x768 (0.75)") << QSize(1024, 768) << 1 << QStringLiteral("Cut_1_1")
                                         << QStringLiteral("Cut_4_16");
        QTest::newRow("1366x768 (0.56)") << QSize(1366, 768) << 18 << QStringLiteral("1_Ex(1)")
                                         << QStringLiteral("16_Ex(1)");
        QTest::newRow("unknown screen") << QSize() << 1 << QStringLiteral("Cut_1_1") << QStringLiteral("Cut_4_16");
    }

    void startModeByScreen()
    {
        QFETCH(QSize, screen);
        QFETCH(int, mode);
        QFETCH(QString, oneIcon);
        QFETCH(QString, moreIcon);
        m_page.reset();
        m_page = MakePage(screen);
        QCOMPARE(D()->splitLayout->GetSplitMode(), mode);
        QCOMPARE(IconImage(m_page->Form().m_pOneCutBtn->icon()),
                 FileImage(QStringLiteral(":/images/MainView/CutWnd/%1.png").arg(oneIcon)));
        QCOMPARE(IconImage(m_page->Form().m_pMoreCutBtn->icon()),
                 FileImage(QStringLiteral(":/images/MainView/CutWnd/%1.png").arg(moreIcon)));
        // Four windows show in the start grid whichever the shape.
        int shown = 0;
        for (CPlaybackWnd* wnd : D()->windows)
            shown += wnd->isVisible() ? 1 : 0;
        QCOMPARE(shown, 4);
    }

    // Each state against two starting points (everything enabled, everything disabled; flags set,
    // flags clear), so that "left as it was" is told apart from "set".
    // Columns: E enabled, D disabled, - as before; for the faces: P "Play", Z "Pause", - as
    // before; flags: 1 set, 0 clear, - as before.
    void playBarStates_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<QString>("bar");  // play frame adapt speed volume sync
        QTest::addColumn<QChar>("face");
        QTest::addColumn<QString>("syncTip");
        QTest::addColumn<QString>("flags");  // paused stepping
        QTest::addColumn<bool>("polls");
        QTest::newRow("1 playing") << 1 << "EEEEE-" << QChar('Z') << ""
                                   << "--" << true;
        QTest::newRow("2 none") << 2 << "------" << QChar('-') << ""
                                << "--" << false;
        QTest::newRow("3 stopped") << 3 << "EDDDD-" << QChar('P') << ""
                                   << "--" << false;
        QTest::newRow("5 all off") << 5 << "DDDDDD" << QChar('-') << ""
                                   << "--" << false;
        QTest::newRow("6 paused") << 6 << "EEED--" << QChar('P') << ""
                                  << "1-" << false;
        QTest::newRow("7 resumed") << 7 << "EEEE--" << QChar('Z') << ""
                                   << "0-" << false;
        QTest::newRow("10 stepping") << 10 << "EEED--" << QChar('P') << ""
                                     << "11" << false;
        QTest::newRow("11 back to normal") << 11 << "EEEE--" << QChar('Z') << ""
                                           << "00" << false;
        QTest::newRow("18 scan starts") << 18 << "-----D" << QChar('-') << ""
                                        << "--" << false;
        QTest::newRow("19 scan ends") << 19 << "-----E" << QChar('-') << ""
                                      << "--" << false;
        QTest::newRow("20 speed chosen") << 20 << "EEEE--" << QChar('Z') << ""
                                         << "0-" << false;
        QTest::newRow("21 sync on") << 21 << "---E--" << QChar('Z') << "Normal play"
                                    << "--" << false;
        QTest::newRow("22 sync off") << 22 << "------" << QChar('-') << "Synchonize play"
                                     << "--" << false;
        QTest::newRow("23 none") << 23 << "------" << QChar('-') << ""
                                 << "--" << false;
        QTest::newRow("-1 none") << -1 << "------" << QChar('-') << ""
                                 << "--" << false;
    }

    void playBarStates()
    {
        QFETCH(int, state);
        QFETCH(QString, bar);
        QFETCH(QChar, face);
        QFETCH(QString, syncTip);
        QFETCH(QString, flags);
        QFETCH(bool, polls);
        Ui_CPlayBackWidget& ui = m_page->Form();
        for (const bool before : {true, false}) {
            // Flags first (their states move buttons too), then the buttons.
            m_page->UpdateWidget(before ? PlayBar::kStepping : PlayBar::kNormalAfterStep);
            m_page->UpdateWidget(before ? PlayBar::kSyncOn : PlayBar::kSyncOff);
            SetBarEnabled(*m_page, before);
            ui.m_pBtnPlay->setToolTip(QStringLiteral("before"));
            m_page->PlayStateTimer()->stop();
            const QString tipBefore = ui.m_pBtnSyn->toolTip();

            m_page->UpdateWidget(state);

            const QList<bool> enabled = BarEnabled(*m_page);
            for (int i = 0; i < bar.size(); ++i) {
                const bool expected = bar[i] == QLatin1Char('-') ? before : bar[i] == QLatin1Char('E');
                QVERIFY2(enabled[i] == expected, qPrintable(QStringLiteral("button %1, before %2").arg(i).arg(before)));
            }
            const QString expectedFace = face == QLatin1Char('P')   ? QStringLiteral("Play")
                                         : face == QLatin1Char('Z') ? QStringLiteral("Pause")
                                                                    : QStringLiteral("before");
            QCOMPARE(ui.m_pBtnPlay->toolTip(), expectedFace);
            QCOMPARE(ui.m_pBtnSyn->toolTip(), syncTip.isEmpty() ? tipBefore : syncTip);
            const auto flag = [before](QChar c) { return c == QLatin1Char('-') ? before : c == QLatin1Char('1'); };
            QCOMPARE(m_page->IsPausedFlag(), flag(flags[0]));
            QCOMPARE(m_page->IsSteppingFlag(), flag(flags[1]));
            QCOMPARE(m_page->PlayStateTimer()->isActive(), polls);
            if (polls)
                QCOMPARE(m_page->PlayStateTimer()->interval(), 300);
        }
    }

    void escapeAndFullScreen()
    {
        Ui_CPlayBackWidget& ui = m_page->Form();
        QFrame* area = ui.m_pPlayAreaFrame;
        const QRect placeBefore = area->geometry();

        // Not full screen: Escape is swallowed and changes nothing.
        QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QVERIFY(QCoreApplication::sendEvent(area, &esc));
        QVERIFY(!m_page->IsFullScreen());
        QCOMPARE(area->parentWidget(), m_page.get());
        // Other keys go on as usual.
        QKeyEvent other(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier);
        QCoreApplication::sendEvent(area, &other);
        QVERIFY(!m_page->IsFullScreen());

        // The full-screen button moves the play area into a window of its own.
        ui.m_pFullScreenBtn->click();
        QVERIFY(m_page->IsFullScreen());
        QVERIFY(m_page->FullScreenHolder());
        QCOMPARE(area->window(), m_page->FullScreenHolder());
        QVERIFY(area->isVisible());
        // The play windows ask the page whether it is full screen.
        QVERIFY(D()->IsFullScreen());

        // Escape brings it back into its place in the page.
        QKeyEvent esc2(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QVERIFY(QCoreApplication::sendEvent(area, &esc2));
        QVERIFY(!m_page->IsFullScreen());
        QVERIFY(!m_page->FullScreenHolder());
        QCOMPARE(area->parentWidget(), m_page.get());
        QVERIFY(area->isVisible());
        QTRY_COMPARE(area->geometry(), placeBefore);

        // A play window's full-screen action goes through the page as well.
        D()->ToggleFullScreen();
        QVERIFY(m_page->IsFullScreen());
        // Destroying the page while full screen leaves no top-level window behind.
        QPointer<QWidget> holder = m_page->FullScreenHolder();
        m_page.reset();
        QVERIFY(holder.isNull());
    }

    void windowCountButtons_data()
    {
        QTest::addColumn<bool>("wide");
        QTest::addColumn<int>("current");
        QTest::addColumn<int>("button");  // 1, 4, 9 or 16 windows
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("currentAfter");
        QTest::newRow("one window while 7 is current") << false << 7 << 1 << 0 << 0;
        QTest::newRow("nine windows keep 7") << false << 7 << 9 << 3 << 7;
        QTest::newRow("four windows while 4 is current") << false << 4 << 4 << 1 << 0;
        QTest::newRow("sixteen keep 15") << false << 15 << 16 << 7 << 15;
        QTest::newRow("wide: one window") << true << 3 << 1 << 17 << 0;
        QTest::newRow("wide: nine") << true << 8 << 9 << 19 << 8;
        QTest::newRow("wide: sixteen") << true << 0 << 16 << 20 << 0;
    }

    void windowCountButtons()
    {
        QFETCH(bool, wide);
        QFETCH(int, current);
        QFETCH(int, button);
        QFETCH(int, mode);
        QFETCH(int, currentAfter);
        m_page.reset();
        m_page = MakePage(wide ? QSize(1366, 768) : QSize(1280, 1024));
        m_page->OnMoreCut();
        D()->SetCurrentWindowIndex(current);
        QToolButton* buttons[] = {m_page->Form().m_pOneCutBtn, m_page->Form().m_pFourCutBtn, m_page->Form().m_pNineBtn,
                                  m_page->Form().m_pMoreCutBtn};
        const int index = button == 1 ? 0 : button == 4 ? 1 : button == 9 ? 2 : 3;
        buttons[index]->click();
        QCOMPARE(D()->splitLayout->GetSplitMode(), mode);
        QCOMPARE(D()->GetCurrentIndex(), currentAfter);
        QVERIFY(D()->windows[size_t(currentAfter)]->isVisible());
    }

    // Time-line clicks start or seek the clicked window alone; in step every bound window does.
    void clickToPlayAndSeek()
    {
        Engine* e1 = Bind(0, m_ch1);
        Engine* e2 = Bind(1, m_ch2);
        QVERIFY(e1 && e2);
        const time_t start = m_ch1.files.front().start;

        // A row without an engine, and rows outside the grid, do nothing.
        m_page->OnStartPlayback(5, start + 2);
        m_page->OnStartPlayback(16, start + 2);
        m_page->OnStartPlayback(-1, start + 2);
        QVERIFY(!e1->IsPlaying() && !e2->IsPlaying());
        QVERIFY(!m_page->PlayStateTimer()->isActive());

        // Window 1 current; a click on row 0 plays window 0 at the clicked second and leaves the
        // current window alone.
        D()->SetCurrentWindowIndex(1);
        emit m_page->Form().m_pMultiTimeSlider->MouseClick(0, start + 2);
        QVERIFY(e1->IsPlaying());
        QVERIFY(!e2->IsPlaying());
        QCOMPARE(D()->GetCurrentIndex(), 1);
        QVERIFY(m_page->PlayStateTimer()->isActive());
        QTRY_VERIFY_WITH_TIMEOUT(e1->GetCurrentTime() >= start + 2, 10000);
        QVERIFY(e1->GetCurrentTime() < start + 10);

        // A second click seeks the playing window.
        m_page->OnStartPlayback(0, start + 14);
        QVERIFY(e1->IsPlaying());
        QTRY_VERIFY_WITH_TIMEOUT(e1->GetCurrentTime() >= start + 14, 10000);

        // In step: a click starts the idle window and seeks the playing one to the same time.
        m_page->OnBtnSyn();
        QVERIFY(m_page->IsSynchronous());
        QCOMPARE(m_page->Form().m_pBtnSyn->toolTip(), QStringLiteral("Normal play"));
        const time_t both = std::max(m_ch1.files.front().start, m_ch2.files.front().start) + 4;
        m_page->OnStartPlayback(0, both);
        // Started and sought off the GUI thread: the click returned at once.
        QTRY_VERIFY_WITH_TIMEOUT(e1->IsPlaying() && e2->IsPlaying(), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(e1->GetCurrentTime() >= both && e2->GetCurrentTime() >= both, 10000);
        QTRY_VERIFY_WITH_TIMEOUT(std::abs(e1->GetCurrentTime() - e2->GetCurrentTime()) <= 3, 10000);

        // Speed and pause act on both while in step.
        m_page->OnBtnSpeed(1);
        QTRY_COMPARE(e1->GetSpeed(), 1);
        QTRY_COMPARE(e2->GetSpeed(), 1);
        m_page->OnBtnPlay();
        QVERIFY(m_page->IsPausedFlag());
        QTRY_VERIFY(e1->IsPaused() && e2->IsPaused());
        m_page->OnBtnPlay();
        QVERIFY(!m_page->IsPausedFlag());
        QTRY_VERIFY(!e1->IsPaused() && !e2->IsPaused());

        // Stop: every window stops, the engines stay bound, the bar shows stopped.
        m_page->OnBtnStop();
        QVERIFY(!e1->IsPlaying() && !e2->IsPlaying());
        QCOMPARE(D()->PlayerAt(0), e1);
        QCOMPARE(D()->PlayerAt(1), e2);
        QCOMPARE(m_page->Form().m_pBtnPlay->toolTip(), QStringLiteral("Play"));
        QVERIFY(!m_page->Form().m_pBtnFrame->isEnabled());
    }

    // The play button on the current window alone: start, pause, resume, step, back to normal.
    void playButtonAlone()
    {
        Engine* e1 = Bind(0, m_ch1);
        QVERIFY(e1);
        CPromptScript prompts;

        // A window without an engine: nothing.
        D()->SetCurrentWindowIndex(3);
        m_page->OnBtnPlay();
        QCOMPARE(prompts.Prompts().size(), 0);

        D()->SetCurrentWindowIndex(0);
        m_page->OnBtnPlay();
        QVERIFY(e1->IsPlaying());
        QCOMPARE(m_page->Form().m_pBtnPlay->toolTip(), QStringLiteral("Pause"));
        QVERIFY(m_page->Form().m_pVolumeBtn->isEnabled());
        // The player opens the stream on its own thread; the controls below act on what it shows.
        QTRY_VERIFY_WITH_TIMEOUT(!e1->GetPlayState().opening, 10000);

        m_page->OnBtnPlay();
        QVERIFY(e1->IsPaused());
        QVERIFY(m_page->IsPausedFlag());
        QCOMPARE(m_page->Form().m_pBtnPlay->toolTip(), QStringLiteral("Play"));
        m_page->OnBtnPlay();
        QVERIFY(!e1->IsPaused());
        QCOMPARE(m_page->Form().m_pBtnPlay->toolTip(), QStringLiteral("Pause"));

        m_page->OnBtnFrame();
        QTRY_VERIFY(e1->IsStepping());
        QVERIFY(m_page->IsSteppingFlag() && m_page->IsPausedFlag());
        m_page->OnBtnPlay();
        QVERIFY(!e1->IsStepping());
        QVERIFY(!m_page->IsSteppingFlag() && !m_page->IsPausedFlag());

        // Speed in normal mode goes to the current window; none without a current engine.
        m_page->OnBtnSpeed(-1);
        QCOMPARE(e1->GetSpeed(), -1);
        D()->SetCurrentWindowIndex(2);
        m_page->Form().m_pBtnPlay->setEnabled(false);
        m_page->OnBtnSpeed(2);
        QCOMPARE(e1->GetSpeed(), -1);
        QVERIFY(!m_page->Form().m_pBtnPlay->isEnabled());

        // Selecting the playing window shows its state again.
        D()->SetCurrentWindowIndex(0);
        m_page->OnSelectedPlaybackWnd(0);
        QCOMPARE(m_page->Form().m_pSpeedCtrl->GetSpeed(), -1);
        QCOMPARE(m_page->Form().m_pBtnPlay->toolTip(), QStringLiteral("Pause"));

        // Fit acts on the playing windows and is remembered for the others.
        m_page->OnBtnAdapt();
        QVERIFY(m_page->IsFit() && D()->FitAll());

        m_page->OnBtnStop();
        QVERIFY(!e1->IsPlaying());
        // Play on a window whose engine has nothing to play: a notice, the bar stays.
        auto empty = std::make_unique<Engine>();
        empty->SetChannel(Varpen::CChannel(m_ch1.channel, m_ch1.group));
        empty->SetUseIndex(true);
        D()->BindChannel(2, std::move(empty));
        D()->SetCurrentWindowIndex(2);
        m_page->OnBtnPlay();
        QCOMPARE(prompts.Texts(CPrompt::Notice), QStringList{QStringLiteral("No video found!")});
    }

    // A click on a bar whose recordings cannot be played returns at once, while the window's
    // player is still held in its open; the window then says why once, in its own words, and
    // the other windows go on playing, for each way a file can be broken.
    void clickOnBrokenFilesReturnsAtOnce_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("synchronous");
        for (const char* kind : kBrokenFileKinds) {
            QTest::addRow("%s", kind) << QString::fromLatin1(kind) << false;
            QTest::addRow("%s, in step", kind) << QString::fromLatin1(kind) << true;
        }
    }
    void clickOnBrokenFilesReturnsAtOnce()
    {
        QFETCH(QString, kind);
        QFETCH(bool, synchronous);
        // A copy of the sample whose first channel's recordings are broken.
        QTemporaryDir scratch;
        const playtest::SampleFolder broken = BrokenCopy(scratch, kind);
        QVERIFY(!broken.files.empty());
        Engine* other = Bind(1, m_ch2);
        Engine* e1 = Bind(0, broken);
        QVERIFY(other && e1);
        CPromptScript prompts(1);
        m_page->OnStartPlayback(1, m_ch2.files.front().start);
        QTRY_VERIFY_WITH_TIMEOUT(other->GetCurrentTime() >= m_ch2.files.front().start, 10000);
        if (synchronous)
            m_page->OnBtnSyn();

        // The player of the broken window is held inside its open until the click returned.
        struct Hooks {
            ~Hooks()
            {
                // Players stopped without waiting end on the reaper; none may run past its hooks.
                Varpen::CWorkerReaper::Instance().JoinAll();
                Varpen::StreamPlayerHooks() = Varpen::StreamPlayerTestHooks{};
            }
        } hooks;
        std::mutex lock;
        std::condition_variable cond;
        bool clicked = false;
        Varpen::StreamPlayerHooks().headerWait = [&] {
            std::unique_lock<std::mutex> guard(lock);
            cond.wait_for(guard, std::chrono::seconds(10), [&] { return clicked; });
        };
        m_page->OnStartPlayback(0, m_ch1.files.front().start + 1);
        // In step the click hands the start to the step's own thread, which opens each window:
        // the window is seen opening while its open is still held, so the click did not wait.
        bool openingAfterClick = e1->GetPlayState().opening;
        if (synchronous && !openingAfterClick) {
            QTRY_VERIFY_WITH_TIMEOUT(e1->GetPlayState().opening, 10000);
            openingAfterClick = true;
        }
        {
            std::lock_guard<std::mutex> guard(lock);
            clicked = true;
        }
        cond.notify_all();
        QVERIFY(openingAfterClick);
        if (!synchronous)
            QVERIFY(e1->IsPlaying());

        // Said once, in the window's words; the other window plays on.
        const QString said = QStringLiteral("Cannot get video from disk.");
        QTRY_VERIFY_WITH_TIMEOUT(prompts.Texts(CPrompt::Notice).contains(said), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(!e1->IsPlaying(), 10000);
        QTest::qWait(700);  // two more polls of the window: no second notice
        QCOMPARE(prompts.Texts(CPrompt::Notice).count(said), 1);
        QCOMPARE(prompts.Count(CPrompt::Warn), 0);
        QVERIFY(other->IsPlaying());
        QCOMPARE(other->GetPlayError(), 0);
        const time_t before = other->GetCurrentTime();
        QTRY_VERIFY_WITH_TIMEOUT(other->GetCurrentTime() > before, 10000);
    }

    // Every click on a window that cannot play says why once more, also after a disk change let
    // every engine go; in step, the start after that change goes through the running controller
    // again (not one window after the other on this thread), and the good window still plays.
    void brokenWindowSaidAtEachClick_data()
    {
        QTest::addColumn<bool>("synchronous");
        QTest::newRow("alone") << false;
        QTest::newRow("in step") << true;
    }
    void brokenWindowSaidAtEachClick()
    {
        QFETCH(bool, synchronous);
        QTemporaryDir scratch;
        const playtest::SampleFolder broken = BrokenCopy(scratch, QStringLiteral("empty"));
        QVERIFY(!broken.files.empty());
        Engine* e1 = Bind(0, broken);
        Engine* other = Bind(1, m_ch2);
        QVERIFY(e1 && other);
        if (synchronous)
            m_page->OnBtnSyn();
        CPromptScript prompts(1);
        const QString said = QStringLiteral("Cannot get video from disk.");
        const time_t at = m_ch2.files.front().start + 1;
        const auto clickAndHear = [&](int times) {
            m_page->OnStartPlayback(0, at);
            if (synchronous)
                QVERIFY(D()->sync->IsRunning());
            QTRY_COMPARE_WITH_TIMEOUT(prompts.Texts(CPrompt::Notice).count(said), times, 10000);
            QTRY_VERIFY_WITH_TIMEOUT(!D()->windows[0]->IsPollRunning(), 10000);
            QVERIFY(!e1->IsPlaying());
            if (synchronous)
                QTRY_VERIFY_WITH_TIMEOUT(other->IsPlaying() && other->GetCurrentTime() >= at, 10000);
        };
        clickAndHear(1);
        clickAndHear(2);
        if (QTest::currentTestFailed())
            return;

        // A disk change: the page lets every engine go; the search binds new ones.
        m_page->StopAllPlayback();
        e1 = Bind(0, broken);
        other = Bind(1, m_ch2);
        QVERIFY(e1 && other);
        QCOMPARE(m_page->IsSynchronous(), synchronous);
        clickAndHear(3);
        if (QTest::currentTestFailed())
            return;
        QTest::qWait(700);  // two more polls: nothing said twice
        QCOMPARE(prompts.Texts(CPrompt::Notice).count(said), 3);
    }

    // A stream failure on the current window: one message, every window stopped, the poll ends.
    void streamFailureSaidOnce()
    {
        Engine* e1 = Bind(0, m_ch1);
        QVERIFY(e1);
        CPromptScript prompts(1);
        m_page->OnStartPlayback(0, m_ch1.files.front().start);
        QVERIFY(e1->IsPlaying());
        QVERIFY(m_page->PlayStateTimer()->isActive());
        e1->forcedError = 2;
        QTRY_COMPARE_WITH_TIMEOUT(prompts.Count(CPrompt::Warn), 1, 5000);
        QCOMPARE(prompts.Texts(CPrompt::Warn), QStringList{QStringLiteral("Cannot get video from disk..")});
        QVERIFY(!m_page->PlayStateTimer()->isActive());
        QVERIFY(!e1->IsPlaying());
        // The error stays on the engine; no later tick opens another box.
        QTest::qWait(1000);
        QCOMPARE(prompts.Count(CPrompt::Warn), 1);
    }

    // The end of the list, error 1 (nothing could be played), or both: the stopped state, no
    // message, and the poll goes on.
    void endOfListKeepsPolling_data()
    {
        QTest::addColumn<bool>("endOfList");
        QTest::addColumn<int>("error");
        QTest::newRow("end of list") << true << 0;
        QTest::newRow("error 1") << false << 1;
        QTest::newRow("end of list and error 1") << true << 1;
    }
    void endOfListKeepsPolling()
    {
        QFETCH(bool, endOfList);
        QFETCH(int, error);
        Engine* e1 = Bind(0, m_ch1);
        QVERIFY(e1);
        CPromptScript prompts(1);
        m_page->OnStartPlayback(0, m_ch1.files.front().start);
        QCOMPARE(m_page->Form().m_pBtnPlay->toolTip(), QStringLiteral("Pause"));
        QVERIFY(m_page->Form().m_pBtnFrame->isEnabled());
        e1->forcedEndOfList = endOfList;
        e1->forcedError = error;
        m_page->CheckPlayState();
        QCOMPARE(m_page->Form().m_pBtnPlay->toolTip(), QStringLiteral("Play"));
        QVERIFY(!m_page->Form().m_pBtnFrame->isEnabled());
        QVERIFY(m_page->PlayStateTimer()->isActive());
        QVERIFY(prompts.Prompts().isEmpty());
    }

    void confirmClose()
    {
        Engine* e1 = Bind(0, m_ch1);
        QVERIFY(e1);
        // Nothing plays: no question, and the page may close.
        {
            CPromptScript prompts(0);
            QVERIFY(m_page->ConfirmClose());
            QCOMPARE(prompts.Count(CPrompt::Question), 0);
        }
        e1 = Bind(0, m_ch1);
        m_page->OnStartPlayback(0, m_ch1.files.front().start);
        QVERIFY(e1->IsPlaying());
        {
            CPromptScript prompts(0);
            QVERIFY(!m_page->ConfirmClose());
            QCOMPARE(prompts.Texts(CPrompt::Question), QStringList{QStringLiteral("Do you want to stop playback?")});
            QVERIFY(e1->IsPlaying());
        }
        {
            CPromptScript prompts(1);
            QVERIFY(m_page->ConfirmClose());
            QVERIFY(!D()->PlayerAt(0));  // stopped and unbound
        }
    }

    // Every engine is stopped before it is destroyed, and the page waits for a running disk scan
    // and stops the day checker.
    void destroyWhilePlaying()
    {
        QList<bool> playingAtDestruction;
        Engine* e1 = Bind(0, m_ch1);
        Engine* e2 = Bind(1, m_ch2);
        QVERIFY(e1 && e2);
        e1->playingAtDestruction = e2->playingAtDestruction = &playingAtDestruction;
        m_page->OnBtnSyn();
        m_page->OnStartPlayback(0, m_ch1.files.front().start + 1);
        QTRY_VERIFY_WITH_TIMEOUT(e1->IsPlaying() && e2->IsPlaying(), 10000);
        e1->StartClip();

        std::vector<time_t> days;
        for (int i = 0; i < 31; ++i)
            days.push_back(m_ch1.files.front().start + i * 86400);
        QPointer<CSearchDiskThread> searcher = m_page->DiskSearcher();
        searcher->SetSearchParam(m_ch1.dir, days);
        searcher->StartSearch();
        CCheckRemoteFileExistThread* checker = m_page->DayChecker();
        QVERIFY(checker->IsRunning());

        m_page.reset();
        QCOMPARE(playingAtDestruction, (QList<bool>{false, false}));
    }

    // Leaving the page stops everything but leaves a page that still works.
    void leaveAndComeBack()
    {
        Engine* e1 = Bind(0, m_ch1);
        QVERIFY(e1);
        m_page->OnBtnSyn();
        m_page->OnStartPlayback(0, m_ch1.files.front().start);
        m_page->LeavePage();
        QVERIFY(!D()->PlayerAt(0));
        QVERIFY(!m_page->IsSynchronous());
        e1 = Bind(0, m_ch1);
        QVERIFY(e1);
        m_page->OnStartPlayback(0, m_ch1.files.front().start);
        QVERIFY(e1->IsPlaying());
    }
};

QTEST_MAIN(TestPlaybackPage)
#include "tst_playback_page.moc"
