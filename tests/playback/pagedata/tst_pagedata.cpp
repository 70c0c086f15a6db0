// The playback page's shared data: current-window rules, lookups that never add an engine, the
// volume button following the current window only, and the engines' earliest time.
#include "playback/PlayBackWidgetPrivate.h"
#include "widgets/CVolumeButton.h"

#include <QtTest>

namespace {

// An engine that reports a time of its own choosing.
class TimedPlayer : public CPlayBackInteraction {
public:
    explicit TimedPlayer(time_t t) : m_time(t) {}
    time_t GetCurrentTime() override { return m_time; }

private:
    time_t m_time;
};

struct Page {
    QWidget widget;
    CPlayBackWidgetPrivate data{&widget};
    CVolumeButton* volume = new CVolumeButton(&widget);

    Page()
    {
        data.volumeButton = volume;
        for (int i = 0; i < CPlayBackWidgetPrivate::kWindowCount; ++i) {
            auto* w = new CPlaybackWnd(&data, &widget);
            w->SetFrameName(QStringLiteral("pPlaybackWnd%1").arg(i));
            data.windows.push_back(w);
        }
    }
};

}  // namespace

class TestPageData : public QObject {
    Q_OBJECT

private slots:
    void nothingCurrentAtFirst()
    {
        Page page;
        QCOMPARE(page.data.GetCurrentIndex(), -1);
        QVERIFY(!page.data.CurrentWindowPtr());
        QVERIFY(!page.data.CurrentPlayer());
        QCOMPARE(page.data.recordType, 1111);
        QVERIFY(page.data.searchBegin > 0);
        QVERIFY(page.data.sync);
    }

    void currentWindowRules_data()
    {
        QTest::addColumn<int>("window");
        QTest::addColumn<int>("current");
        QTest::newRow("first") << 0 << 0;
        QTest::newRow("last") << 15 << 15;
        QTest::newRow("below") << -1 << 3;
        QTest::newRow("above") << 16 << 3;
        QTest::newRow("already current") << 3 << 3;
    }

    void currentWindowRules()
    {
        QFETCH(int, window);
        QFETCH(int, current);
        Page page;
        page.data.SetCurrentWindowIndex(3);
        page.volume->setEnabled(true);
        page.data.SetCurrentWindowIndex(window);
        QCOMPARE(page.data.GetCurrentIndex(), current);
        for (int i = 0; i < 16; ++i)
            QCOMPARE(page.data.windows[size_t(i)]->IsSelected(), i == current);
        // A change of window without a playing engine turns the volume button off; no change, no touch.
        QCOMPARE(page.volume->isEnabled(), window == 3 || window < 0 || window > 15);
    }

    void volumeFollowsOnlyTheCurrentWindow()
    {
        Page page;
        page.data.SetCurrentWindowIndex(2);
        page.data.EnableVolume(5, true);
        QVERIFY(!page.volume->isEnabled());
        page.data.EnableVolume(2, true);
        QVERIFY(page.volume->isEnabled());
        page.data.UpdateVolumeIcon(5, true);
        QVERIFY(!page.volume->IsVoiceOpened());
        page.data.UpdateVolumeIcon(2, true);
        QVERIFY(page.volume->IsVoiceOpened());
        page.data.UpdateVolumeIcon(2, false);
        QVERIFY(!page.volume->IsVoiceOpened());
    }

    void lookupsNeverAddAnEngine()
    {
        Page page;
        page.data.players[4] = std::make_unique<TimedPlayer>(100);
        QVERIFY(page.data.PlayerAt(4));
        QVERIFY(!page.data.PlayerAt(5));
        QVERIFY(!page.data.Player(-1));
        QCOMPARE(page.data.players.size(), size_t(1));
        page.data.SetCurrentWindowIndex(4);
        QCOMPARE(page.data.CurrentPlayer(), page.data.PlayerAt(4));
        QCOMPARE(page.data.Players().size(), 1);
    }

    void earliestTime()
    {
        Page page;
        QCOMPARE(page.data.ScanPlayers(), -1);
        page.data.players[1] = std::make_unique<TimedPlayer>(-1);
        QCOMPARE(page.data.ScanPlayers(), -1);
        page.data.players[6] = std::make_unique<TimedPlayer>(500);
        page.data.players[9] = std::make_unique<TimedPlayer>(200);
        QCOMPARE(page.data.ScanPlayers(), 9);
    }

    void windowEntriesRemoved()
    {
        Page page;
        page.data.filesByWindow[2] = {};
        page.data.segmentsByWindow[2] = {};
        page.data.segmentsByWindow[3] = {};
        page.data.RemoveWindowEntries(2);
        QVERIFY(!page.data.filesByWindow.count(2));
        QVERIFY(!page.data.segmentsByWindow.count(2));
        QVERIFY(page.data.segmentsByWindow.count(3));
        page.data.ClearSegments(3);
        QVERIFY(page.data.segmentsByWindow.empty());
    }

    void doubleClickTogglesTheSingleView()
    {
        Page page;
        QList<QWidget*> cells;
        for (CPlaybackWnd* w : page.data.windows)
            cells << w;
        page.data.splitLayout->Init(QStringLiteral(":/template/Default.xml"), &page.widget, cells, 1);
        QVERIFY(!page.data.IsSingleWindowShown());
        page.data.ToggleSingleWindow(page.data.windows[2]);
        QVERIFY(page.data.IsSingleWindowShown());
        page.data.ToggleSingleWindow(page.data.windows[2]);
        QVERIFY(!page.data.IsSingleWindowShown());
    }
};

QTEST_MAIN(TestPageData)
#include "tst_pagedata.moc"
