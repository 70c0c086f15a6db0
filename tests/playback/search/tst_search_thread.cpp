// The playback search thread with the real engine on a generated folder and a generated disk
// image: every file of every searched window becomes a segment with its record type's colour and
// filter entry; the record type searched is passed on; a stop takes effect before the next
// window and still reports once; a failed search is told apart from an empty one; destroying
// the thread while it searches waits for it.
#include "engine/PlayBackInteraction.h"
#include "playback/PlaybackEngines.h"
#include "playback/PlaybackSearchData.h"
#include "playback/PlaybackSearchRules.h"
#include "playback/PlaybackSearchThread.h"
#include "timeline/RecordTypes.h"
#include "SearchSamples.h"
#include "tests/support/QueuedSpy.h"

#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <functional>
#include <thread>

namespace {

// The real engine, with a look at each search as it starts.
class Engine : public CPlayBackInteraction {
public:
    std::function<void()> onSearch;
    std::atomic<int> searches{0};

    bool SearchFiles(Varpen::SingleFileList& out, const std::string& diskPath, time_t begin, time_t end,
                     int recordType) override
    {
        ++searches;
        if (onSearch)
            onSearch();
        return CPlayBackInteraction::SearchFiles(out, diskPath, begin, end, recordType);
    }
};

// What the search thread reads and writes of the page: its search data and the bound engines.
struct SearchPage : CPlaybackSearchData, CPlaybackEngines {};

QColor BrushColour(const CTimeSegment& s)
{
    const QVariant v = s.GetData(RecordTypes::kRoleBrush);
    return v.isValid() ? v.value<QBrush>().color() : QColor();
}

}  // namespace

class TestSearchThread : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_folder;
    QString m_image;

    // Binds engines on `channels` to windows first, first + 1, ... and sets the search up.
    std::vector<Engine*> Bind(SearchPage& d, int first, const QList<Varpen::CChannel>& channels, bool local,
                              int recordType = 0)
    {
        std::vector<Engine*> engines;
        for (int i = 0; i < channels.size(); ++i) {
            auto engine = std::make_unique<Engine>();
            engine->SetChannel(channels.at(i));
            engine->SetUseIndex(local);
            engines.push_back(engine.get());
            d.players[first + i] = std::move(engine);
        }
        d.searchFirstWindow = first;
        d.searchedCount = int(channels.size());
        d.diskPath = local ? m_folder : m_image;
        d.searchBegin = PlaybackSearch::DayStart(searchtest::FirstDay());
        d.searchEnd = PlaybackSearch::DayLast(searchtest::FirstDay().addDays(1));
        d.recordType = recordType;
        return engines;
    }

    static QList<int> Run(CPlaybackSearchThread& thread)
    {
        QueuedSpy over(&thread, &CPlaybackSearchThread::SendWriteOver);
        thread.Start();
        if (!over.WaitFor(1, 60000))
            return {-1};
        QList<int> failed;
        if (!thread.TakeResults(&failed) || thread.TakeResults())
            return {-3};
        // Taking the results joined the thread: every report it sent is queued by now.
        over.Flush();
        return over.Count() == 1 ? failed : QList<int>{-2};
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_folder = m_dir.filePath("folder");
        m_image = m_dir.filePath("nvr.img");
        QVERIFY2(searchtest::MakeFolder(m_folder), "varpen-sample folder failed");
        QVERIFY2(searchtest::MakeDisk(m_image, "nvr"), "varpen-sample disk failed");
    }

    // Two channels over two days, two files a day each, alternating alarm and schedule types.
    void segmentsPerWindow_data()
    {
        QTest::addColumn<bool>("local");
        QTest::newRow("folder") << true;
        QTest::newRow("disk image") << false;
    }
    void segmentsPerWindow()
    {
        QFETCH(bool, local);
        SearchPage d;
        const QString group = local ? QStringLiteral("NVR_1") : QString();
        Varpen::CChannel first(local ? 1 : 0, group), second(local ? 2 : 1, group);
        first.SetFlag(local);
        second.SetFlag(local);
        Bind(d, 2, {first, second}, local);
        d.filesByWindow[3] = {std::make_shared<Varpen::CSingleFile>()};  // a previous search's
        CPlaybackSearchThread thread(&d, &d);
        QCOMPARE(Run(thread), QList<int>{});

        QCOMPARE(int(d.segmentsByWindow.size()), 2);
        for (int window : {2, 3}) {
            const Varpen::SingleFileList& files = d.filesByWindow[window];
            const QList<CTimeSegment>& segments = d.segmentsByWindow[window];
            QCOMPARE(int(files.size()), 4);
            QCOMPARE(segments.size(), 4);
            QSet<QDate> days;
            for (int i = 0; i < 4; ++i) {
                QCOMPARE(segments[i].Begin().toSecsSinceEpoch(), qint64(files[size_t(i)]->GetStartTime()));
                QCOMPARE(segments[i].End().toSecsSinceEpoch(), qint64(files[size_t(i)]->GetEndTime()));
                const int type = int(files[size_t(i)]->GetRecordType());
                QVERIFY2(type == 1 || type == 3, qPrintable(QString::number(type)));
                const RecordTypes::TypeInfo info = RecordTypes::InfoFor(type);
                QCOMPARE(segments[i].GetData(RecordTypes::kRoleRecordType).toInt(), info.filterId);
                QCOMPARE(BrushColour(segments[i]), info.colour);
                days.insert(segments[i].Begin().date());
            }
            QCOMPARE(days.size(), 2);
            // Both record types are there, so a row's filter has two entries to offer.
            QCOMPARE(PlaybackSearch::RowFilterIds(0, segments),
                     (QList<int>{RecordTypes::kFilterSchedule, RecordTypes::kFilterAlarm}));
        }
    }

    // The record type of the box goes to the engine: "Motion" finds only the motion files.
    void recordTypeSearched()
    {
        SearchPage d;
        Varpen::CChannel channel(1, QStringLiteral("NVR_1"));
        Bind(d, 0, {channel}, true, 1);
        CPlaybackSearchThread thread(&d, &d);
        QCOMPARE(Run(thread), QList<int>{});
        QCOMPARE(d.segmentsByWindow[0].size(), 2);
        for (const CTimeSegment& s : d.segmentsByWindow[0])
            QCOMPARE(BrushColour(s), QColor(197, 113, 43));
    }

    // A stop during the first window's search: the later windows are not searched, the thread
    // still reports once, and the first window keeps what it found.
    void stopBeforeNextWindow()
    {
        SearchPage d;
        const std::vector<Engine*> engines = Bind(
            d, 0, {Varpen::CChannel(1, "NVR_1"), Varpen::CChannel(2, "NVR_1"), Varpen::CChannel(1, "NVR_1")}, true);
        CPlaybackSearchThread thread(&d, &d);
        engines[0]->onSearch = [&thread] { thread.OnStopThread(); };
        QCOMPARE(Run(thread), QList<int>{});
        QVERIFY(thread.IsStopped());
        QCOMPARE(engines[0]->searches.load(), 1);
        QCOMPARE(engines[1]->searches.load() + engines[2]->searches.load(), 0);
        QCOMPARE(d.segmentsByWindow[0].size(), 4);
        QVERIFY(!d.segmentsByWindow.count(1) && !d.segmentsByWindow.count(2));
    }

    // Windows without an engine are left out; a search that cannot read its disk is reported as
    // failed and leaves its window empty.
    // Stopped from outside while the second window's search runs: the first window's results are
    // taken at once, the second is named as the one still searched, the third is never searched,
    // and nothing more reaches the page data.
    void stopAndTakeWhileSearching()
    {
        SearchPage d;
        const std::vector<Engine*> engines = Bind(
            d, 0, {Varpen::CChannel(1, "NVR_1"), Varpen::CChannel(2, "NVR_1"), Varpen::CChannel(1, "NVR_1")}, true);
        QSemaphore entered, release;
        engines[1]->onSearch = [&] {
            entered.release();
            release.acquire();
        };
        CPlaybackSearchThread thread(&d, &d);
        thread.Start();
        QVERIFY(entered.tryAcquire(1, 30000));
        QList<int> failed;
        QCOMPARE(thread.StopAndTakeResults(&failed), 1);
        QVERIFY(failed.isEmpty());
        QCOMPARE(d.segmentsByWindow[0].size(), 4);
        QVERIFY(!d.segmentsByWindow.count(1));
        QCOMPARE(thread.StopAndTakeResults(), -1);
        QVERIFY(!thread.TakeResults());
        release.release();
        QVERIFY(thread.wait(30000));
        QVERIFY(!thread.TakeResults());
        QVERIFY(!d.segmentsByWindow.count(1) && !d.segmentsByWindow.count(2));
        QCOMPARE(engines[1]->searches.load(), 1);
        QCOMPARE(engines[2]->searches.load(), 0);
    }

    void failedAndUnbound()
    {
        SearchPage d;
        Bind(d, 0, {Varpen::CChannel(0, QString()), Varpen::CChannel(1, QString())}, false);
        d.players.erase(1);
        d.searchedCount = 3;
        d.diskPath = m_dir.filePath("gone.img");
        CPlaybackSearchThread thread(&d, &d);
        QCOMPARE(Run(thread), QList<int>{0});
        QVERIFY(d.segmentsByWindow.count(0) && d.segmentsByWindow[0].isEmpty());
        QVERIFY(!d.segmentsByWindow.count(1) && !d.segmentsByWindow.count(2));
    }

    // Results are only taken once the search has reported; a thread destroyed while it
    // searches stops after the window it is on and is waited for.
    void destroyWhileSearching()
    {
        SearchPage d;
        const std::vector<Engine*> engines =
            Bind(d, 0, {Varpen::CChannel(1, "NVR_1"), Varpen::CChannel(2, "NVR_1")}, true);
        QSemaphore entered, release;
        engines[0]->onSearch = [&] {
            entered.release();
            release.acquire();
        };
        auto thread = std::make_unique<CPlaybackSearchThread>(&d, &d);
        thread->Start();
        QVERIFY(entered.tryAcquire(1, 30000));
        QVERIFY(!thread->TakeResults());
        QVERIFY(d.segmentsByWindow.empty());
        // The destructor asks the stop, then waits for the search it interrupts to return.
        std::thread releaser([&release] {
            QThread::msleep(100);
            release.release();
        });
        thread.reset();
        releaser.join();
        QCOMPARE(engines[0]->searches.load(), 1);
        QCOMPARE(engines[1]->searches.load(), 0);
    }
};

QTEST_MAIN(TestSearchThread)
#include "tst_search_thread.moc"
