// The playback page's disk scan, channel tree, calendar marks and recording search, with the
// real engine on a generated folder and generated disk images offered as disks: the tree by
// disk type, a disk that cannot be read, a scan replaced by a new choice, ticks that stay with
// their disk through quick disk choices, the recording days marked, the checks' notices, a search
// of two channels with bars on both rows, a multi-day search moved through by the calendar, a
// cancelled search, a search started by a drop, channels left without a window named once, a
// window's download dialog across two searches, and a page destroyed while it scans. Every
// prompt is answered through the kit's prompt seam.
#include "engine/PlayBackInteraction.h"
#include "engine/SearchDiskThread.h"
#include "playback/DataDistributionThread.h"
#include "playback/PlayBackWidget.h"
#include "playback/PlayBackWidgetPrivate.h"
#include "playback/PlaybackDownLoad.h"
#include "playback/PlaybackSearchThread.h"
#include "playback/PlaybackWnd.h"
#include "playback/WndSplitLayout.h"
#include "tests/engine/download/DownloadFixture.h"
#include "timeline/ChartKit.h"
#include "timeline/MultiTimeSlider.h"
#include "timeline/TimeSliderFilterPopup.h"
#include "widgets/CPushButton.h"
#include "widgets/CDiskTreeBox.h"
#include "widgets/CGroupTreeView.h"
#include "widgets/CalendarWidget.h"
#include "widgets/ChaseDialog.h"
#include "widgets/DateTimeEdit.h"
#include "widgets/PromptHook.h"
#include "tests/support/WorkerLatch.h"
#include "SearchSamples.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QFile>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

#include <atomic>
#include <functional>
#include <thread>

namespace {

enum Disk : unsigned { kNvr = 1000, kPlain = 1001, kFolder = 1002, kGone = 1003 };

// Waits for the "Search..." dialog's own loop (the search ends it); answers `chase` otherwise.
struct Prompts {
    CPromptScript script{1};
    int chase = CPromptHook::kRunModal;
    Prompts() { script.SetDefault(1); }
    void Arm()
    {
        for (int i = 0; i < 4; ++i)
            script.Then([this](const CPrompt& p) { return p.className == "ChaseDialog" ? chase : 1; });
    }
    QStringList Notices() const { return script.Texts(CPrompt::Notice); }
    QStringList Dialogs() const
    {
        QStringList names;
        for (const CPrompt& p : script.Prompts())
            if (p.kind == CPrompt::Exec)
                names << p.className;
        return names;
    }
};

// Runs the modal loops that end by themselves (the search's wait, the download table's progress)
// and answers every other prompt at once; `seen` looks at each prompt first.
struct RunningPrompts {
    std::function<void(const CPrompt&)> seen;
    RunningPrompts()
    {
        CPromptHook::SetAnswerer([this](const CPrompt& p) {
            if (seen)
                seen(p);
            return p.className == "ChaseDialog" || p.className == "CProgress" ? CPromptHook::kRunModal : 1;
        });
    }
    ~RunningPrompts() { CPromptHook::SetAnswerer({}); }
};

// Free space for downloads; while the gate is closed a downloader's pass waits in it (the GUI
// thread's own looks go through).
std::atomic<bool> g_gateClosed{false};
std::thread::id g_guiThread;
bool GatedFreeSpace(const char* path, uint64_t* free_bytes, uint64_t* total_bytes)
{
    while (g_gateClosed.load() && std::this_thread::get_id() != g_guiThread)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    return DownloadFixture::FakeFreeSpace(path, free_bytes, total_bytes);
}

// The start times a download table lists, and those of a list of files.
QStringList TableStarts(const CPlaybackDownLoad& dialog)
{
    QStringList out;
    for (int r = 0; r < dialog.FileModel()->rowCount(); ++r)
        out << dialog.FileModel()->item(r, CDataDistributionThread::kStartColumn)->text();
    return out;
}
QStringList FileStarts(const Varpen::SingleFileList& files)
{
    QStringList out;
    for (const Varpen::SingleFilePtr& f : files)
        out << CDataDistributionThread::TimeText(f->GetStartTime());
    return out;
}

}  // namespace

class TestPageSearch : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_folder;
    std::unique_ptr<CPlayBackWidget> m_page;

    CPlayBackWidget& Page() { return *m_page; }
    CPlayBackWidgetPrivate& Data() { return *m_page->Private(); }
    Ui_CPlayBackWidget& Ui() { return m_page->Form(); }

    // Chooses a disk entry (a folder disk by its volume) and waits for its scan to report.
    bool Choose(unsigned disk)
    {
        CDiskTreeBox* box = Ui().m_pComboBoxDisk;
        const bool chosen =
            disk == kFolder ? box->SelectEntry(disk, m_folder + QLatin1Char('/')) : box->SelectEntry(disk);
        if (!chosen)
            return false;
        return QTest::qWaitFor([this] { return !Page().DiskSearcher()->isRunning(); }, 30000);
    }

    // Shows January 2024, where the samples' days are (the scan follows the shown month).
    bool ShowSampleMonth()
    {
        Ui().m_pCalendarWidget->SetCurrentPage(2024, 1);
        return QTest::qWaitFor([this] { return !Page().DiskSearcher()->isRunning(); }, 30000);
    }

    QModelIndex Channel(int group, int row) const
    {
        QStandardItemModel* m = m_page->ChannelModel();
        return m->index(row, 0, m->index(group, 0));
    }

    void Tick(int group, int row)
    {
        m_page->ChannelModel()->itemFromIndex(Channel(group, row))->setCheckState(Qt::Checked);
    }

    void SetWindow(const QDate& first, const QDate& last)
    {
        Ui().m_pDateTimeEditBeginTime->setDateTime(QDateTime(first, QTime(0, 0)));
        Ui().m_pDateTimeEditEndTime->setDateTime(QDateTime(last, QTime(23, 59, 59)));
    }

    int Bars(int row) const { return m_page->Form().m_pMultiTimeSlider->RowSeries(row)->BarCount(); }

    // One ticked channel of the folder's group searched over one day, as the operator does it.
    void SearchOne(int row, const QDate& day)
    {
        Tick(0, row);
        SetWindow(day, day);
        Ui().m_pRecordTypeComboBox->setCurrentIndex(0);
        Ui().m_pSearchBtn->click();
    }

private slots:
    void initTestCase()
    {
        g_guiThread = std::this_thread::get_id();
        QVERIFY(m_dir.isValid());
        m_folder = m_dir.filePath("folder");
        QVERIFY2(searchtest::MakeFolder(m_folder), "varpen-sample folder failed");
        QVERIFY(searchtest::MakeDisk(m_dir.filePath("nvr.img"), "nvr"));
        QVERIFY(searchtest::MakeDisk(m_dir.filePath("plain.img"), "plain"));
        QVERIFY(QFile::copy(m_dir.filePath("plain.img"), m_dir.filePath("gone.img")));
        qputenv("VARPEN_EXTRA_DISKS", QStringList{m_dir.filePath("nvr.img"), m_dir.filePath("plain.img"), m_folder,
                                                  m_dir.filePath("gone.img")}
                                          .join(':')
                                          .toUtf8());
    }

    void init()
    {
        QFile::remove(m_dir.filePath("gone.img"));
        QVERIFY(QFile::copy(m_dir.filePath("plain.img"), m_dir.filePath("gone.img")));
        m_page = std::make_unique<CPlayBackWidget>(nullptr, QSize(1280, 1024));
        m_page->resize(1200, 760);
        m_page->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_page.get()));
    }

    void cleanup()
    {
        g_gateClosed = false;  // a download the page ends must be able to end
        m_page.reset();
        Sys_SetFreeSpaceFunction(nullptr);
    }

    // The tree by disk type; the shown month limits a disk's scan ("default" keeps the disk).
    void treeByDiskType_data()
    {
        QTest::addColumn<unsigned>("disk");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("NVR disk") << unsigned(kNvr) << QStringList{"PCREC Video: channel1 channel2"};
        QTest::newRow("plain disk") << unsigned(kPlain) << QStringList{"DVR Video: channel1 channel2"};
        QTest::newRow("folder") << unsigned(kFolder) << QStringList{"NVR_1: channel1 channel2"};
    }
    void treeByDiskType()
    {
        QFETCH(unsigned, disk);
        QFETCH(QStringList, rows);
        Prompts prompts;
        QVERIFY(Choose(disk));
        if (disk != kFolder) {
            // Today's month holds no recordings of the disk: the overlay says so, nothing is listed.
            QVERIFY(searchtest::Rows(*Page().ChannelModel()).isEmpty());
            QVERIFY(Page().IsDiskSearchRunning());
            QTRY_VERIFY(Page().ChaseOverlay()->NoChannelLabel()->isVisibleTo(Page().ChaseOverlay()));
        }
        QVERIFY(ShowSampleMonth());
        QTRY_COMPARE(searchtest::Rows(*Page().ChannelModel()), rows);
        QVERIFY(!Page().IsDiskSearchRunning());
        QVERIFY(!Page().ChaseOverlay()->isVisible());
        QCOMPARE(Page().DiskType(), disk == kFolder ? 3 : disk == kNvr ? 1 : 0);
        QVERIFY(Ui().m_pBtnSyn->isEnabled());
        QVERIFY(prompts.Notices().isEmpty());
    }

    // A disk that cannot be read says so and lists nothing; the next disk is scanned as usual.
    void unreadableDisk()
    {
        Prompts prompts;
        QVERIFY(ShowSampleMonth());
        QVERIFY(QFile::remove(m_dir.filePath("gone.img")));
        QVERIFY(Choose(kGone));
        QTRY_COMPARE(prompts.Notices().size(), 1);
        QVERIFY2(prompts.Notices().first().startsWith("The selected disk cannot be read"),
                 qPrintable(prompts.Notices().first()));
        QVERIFY(searchtest::Rows(*Page().ChannelModel()).isEmpty());
        QVERIFY(Page().IsDiskSearchRunning());  // the overlay keeps saying that nothing is there
        QVERIFY(Choose(kNvr));
        QTRY_COMPARE(searchtest::Rows(*Page().ChannelModel()), QStringList{"PCREC Video: channel1 channel2"});
        QCOMPARE(prompts.Notices().size(), 1);
    }

    // A scan replaced by a new choice before it reports: only the new disk's rows, once.
    void scanReplacedByNewChoice()
    {
        QVERIFY(ShowSampleMonth());
        for (int round = 0; round < 3; ++round) {
            QVERIFY(Ui().m_pComboBoxDisk->SelectEntry(kNvr));
            QVERIFY(Ui().m_pComboBoxDisk->SelectEntry(kPlain));
            QVERIFY(Ui().m_pComboBoxDisk->SelectEntry(kFolder, m_folder + QLatin1Char('/')));
        }
        QTRY_COMPARE(searchtest::Rows(*Page().ChannelModel()), QStringList{"NVR_1: channel1 channel2"});
        QTest::qWait(300);  // a late report of a replaced scan would show here
        QCOMPARE(searchtest::Rows(*Page().ChannelModel()), QStringList{"NVR_1: channel1 channel2"});
        QVERIFY(!Page().DiskSearcher()->isRunning());
    }

    // Disk choices in quick succession: the ticks made on the disk finally chosen stay ticked
    // in its tree, and no report of a scan that a later choice replaced rebuilds the tree.
    void ticksStayWithTheDisk_data()
    {
        QTest::addColumn<QList<int>>("choices");  // after the first: disk numbers, -1 the folder's volume
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<bool>("kept");
        QTest::newRow("the folder by its disk row")
            << QList<int>{kFolder} << QStringList{"NVR_1: channel1 channel2"} << true;
        QTest::newRow("another disk and back")
            << QList<int>{kNvr, -1} << QStringList{"NVR_1: channel1 channel2"} << true;
        QTest::newRow("three in a row") << QList<int>{kFolder, kPlain, kNvr, -1}
                                        << QStringList{"NVR_1: channel1 channel2"} << true;
        QTest::newRow("another disk") << QList<int>{kPlain} << QStringList{"DVR Video: channel1 channel2"} << false;
    }
    void ticksStayWithTheDisk()
    {
        QFETCH(QList<int>, choices);
        QFETCH(QStringList, rows);
        QFETCH(bool, kept);
        QVERIFY(ShowSampleMonth());
        QVERIFY(Choose(kFolder));
        QTRY_COMPARE(searchtest::Rows(*Page().ChannelModel()), QStringList{"NVR_1: channel1 channel2"});
        Tick(0, 1);
        // The choices follow each other before any scan reports.
        CDiskTreeBox* box = Ui().m_pComboBoxDisk;
        for (int disk : choices)
            QVERIFY(disk < 0 ? box->SelectEntry(kFolder, m_folder + QLatin1Char('/'))
                             : box->SelectEntry(unsigned(disk)));
        QTRY_COMPARE(searchtest::Rows(*Page().ChannelModel()), rows);
        // Every report the scans sent has arrived once the last scan's thread has ended.
        QVERIFY(Page().DiskSearcher()->wait(30000));
        QCoreApplication::sendPostedEvents(m_page.get(), QEvent::MetaCall);
        QCOMPARE(searchtest::Rows(*Page().ChannelModel()), rows);
        QCOMPARE(Page().ChannelModel()->itemFromIndex(Channel(0, 0))->checkState(), Qt::Unchecked);
        QCOMPARE(Page().ChannelModel()->itemFromIndex(Channel(0, 1))->checkState(), kept ? Qt::Checked : Qt::Unchecked);
        // What stays ticked is searched.
        if (kept) {
            SetWindow(QDate(2024, 1, 30), QDate(2024, 1, 30));
            Prompts prompts;
            prompts.Arm();
            Ui().m_pSearchBtn->click();
            QCOMPARE(Data().Players().size(), 1);
            QCOMPARE(Data().PlayerAt(0)->GetChannel().GetNumber(), 2);
        }
    }

    // A channel's recording days are marked; a group marks none; another disk forgets them.
    void dayMarks()
    {
        QVERIFY(ShowSampleMonth());
        QVERIFY(Choose(kNvr));
        QTRY_COMPARE(Page().ChannelModel()->rowCount(), 1);
        CCalendarWidget* calendar = Ui().m_pCalendarWidget;
        CGroupTreeView* tree = Ui().m_pPlayBackTreeView;
        tree->selectionModel()->select(Channel(0, 1), QItemSelectionModel::ClearAndSelect);
        QTRY_VERIFY(calendar->HasDateMark(QDate(2024, 1, 30)) && calendar->HasDateMark(QDate(2024, 1, 31)));
        QVERIFY(!calendar->HasDateMark(QDate(2024, 1, 29)));
        tree->selectionModel()->select(Page().ChannelModel()->index(0, 0), QItemSelectionModel::ClearAndSelect);
        QTRY_VERIFY(!calendar->HasDateMark(QDate(2024, 1, 30)));
        tree->selectionModel()->select(Channel(0, 0), QItemSelectionModel::ClearAndSelect);
        QTRY_VERIFY(calendar->HasDateMark(QDate(2024, 1, 30)));
        QVERIFY(Choose(kFolder));
        QVERIFY(!calendar->HasDateMark(QDate(2024, 1, 30)));
    }

    // The checks' notices; nothing is bound when one fails.
    void checks_data()
    {
        QTest::addColumn<QDateTime>("begin");
        QTest::addColumn<QDateTime>("end");
        QTest::addColumn<int>("ticked");
        QTest::addColumn<QString>("notice");
        const QDateTime b(QDate(2024, 1, 30), QTime(0, 0));
        QTest::newRow("begin after end") << b << b.addSecs(-1) << 1 << "Begin time should earlier than end time";
        QTest::newRow("over 30 days") << b << b.addDays(31) << 1 << "You can only search video in 30days";
        QTest::newRow("no camera") << b << b.addDays(1) << 0 << "Please select a camera";
    }
    void checks()
    {
        QFETCH(QDateTime, begin);
        QFETCH(QDateTime, end);
        QFETCH(int, ticked);
        QFETCH(QString, notice);
        QVERIFY(ShowSampleMonth());
        QVERIFY(Choose(kNvr));
        QTRY_COMPARE(Page().ChannelModel()->rowCount(), 1);
        for (int i = 0; i < ticked; ++i)
            Tick(0, i);
        Ui().m_pDateTimeEditBeginTime->setDateTime(begin);
        Ui().m_pDateTimeEditEndTime->setDateTime(end);
        Prompts prompts;
        prompts.Arm();
        Ui().m_pSearchBtn->click();
        QCOMPARE(prompts.Notices(), QStringList{notice});
        QVERIFY(Data().Players().isEmpty());
        QCOMPARE(prompts.script.Count(CPrompt::Exec), 0);
    }

    // Two ticked channels over two days: windows 0 and 1 are bound and searched, both rows get
    // bars, the time line shows the first day and the calendar moves it to the second.
    void searchTwoChannels_data()
    {
        QTest::addColumn<unsigned>("disk");
        QTest::newRow("disk image") << unsigned(kNvr);
        QTest::newRow("folder") << unsigned(kFolder);
    }
    void searchTwoChannels()
    {
        QFETCH(unsigned, disk);
        QVERIFY(ShowSampleMonth());
        QVERIFY(Choose(disk));
        QTRY_COMPARE(Page().ChannelModel()->rowCount(), 1);
        Tick(0, 0);
        Tick(0, 1);
        SetWindow(QDate(2024, 1, 30), QDate(2024, 1, 31));
        Ui().m_pRecordTypeComboBox->setCurrentIndex(0);
        Prompts prompts;
        prompts.Arm();
        Ui().m_pSearchBtn->click();
        QCOMPARE(prompts.Dialogs(), QStringList{"ChaseDialog"});
        QVERIFY(prompts.Notices().isEmpty());

        QCOMPARE(Data().Players().size(), 2);
        QCOMPARE(Data().PlayerAt(1)->GetChannel().GetNumber(), disk == kFolder ? 2 : 1);
        QCOMPARE(Data().segmentsByWindow[0].size(), 4);
        QCOMPARE(Data().segmentsByWindow[1].size(), 4);
        QCOMPARE(Data().splitLayout->GetSplitMode(), 1);
        QVERIFY(Data().windows[1]->TitleLabel()->text().contains("channel2"));
        QVERIFY(Ui().m_pBtnPlay->isEnabled());
        QVERIFY(Page().ChannelModel()->itemFromIndex(Channel(0, 0))->checkState() == Qt::Unchecked);

        CMultiTimeSlider* timeLine = Ui().m_pMultiTimeSlider;
        QCOMPARE(timeLine->Date(), QDate(2024, 1, 30));
        QCOMPARE(Bars(0), 2);
        QCOMPARE(Bars(1), 2);
        QCOMPARE(Bars(2), 0);
        // Both record types of the bars can be filtered.
        QCOMPARE(timeLine->FilterPopup(0)->ItemBoxes().size(), 2);
        Ui().m_pCalendarWidget->clicked(QDate(2024, 1, 31));
        QCOMPARE(timeLine->Date(), QDate(2024, 1, 31));
        QCOMPARE(Bars(0), 2);
        Ui().m_pCalendarWidget->clicked(QDate(2024, 1, 5));  // before the searched days
        QCOMPARE(timeLine->Date(), QDate(2024, 1, 30));
    }

    // A cancelled search keeps the ticks and leaves no thread; the windows stay bound.
    void cancelledSearch()
    {
        QVERIFY(ShowSampleMonth());
        QVERIFY(Choose(kFolder));
        QTRY_COMPARE(Page().ChannelModel()->rowCount(), 1);
        Tick(0, 0);
        Tick(0, 1);
        SetWindow(QDate(2024, 1, 30), QDate(2024, 1, 30));
        Prompts prompts;
        prompts.chase = 0;
        prompts.Arm();
        Ui().m_pSearchBtn->click();
        QCOMPARE(prompts.script.Count(CPrompt::Exec), 1);
        QCOMPARE(Data().Players().size(), 2);
        QVERIFY(Page().ChannelModel()->itemFromIndex(Channel(0, 0))->checkState() == Qt::Checked);
        // Whatever was searched before the cancel is on the time line, the rest is empty.
        for (int row : {0, 1})
            QCOMPARE(Bars(row), Data().segmentsByWindow.count(row) ? int(Data().segmentsByWindow[row].size()) : 0);
    }

    // Channels dropped on window 2: windows 2 and 3 are bound (a group among them is not a
    // channel), the calendar's days are searched and window 2 plays.
    void searchByDrop()
    {
        QVERIFY(ShowSampleMonth());
        QVERIFY(Choose(kFolder));
        QTRY_COMPARE(Page().ChannelModel()->rowCount(), 1);
        Ui().m_pCalendarWidget->SetValidDateRange(QDate(2024, 1, 31), QDate(2024, 1, 31));
        QItemSelectionModel* selection = Ui().m_pPlayBackTreeView->selectionModel();
        selection->select(Page().ChannelModel()->index(0, 0), QItemSelectionModel::ClearAndSelect);
        selection->select(Channel(0, 1), QItemSelectionModel::Select);
        selection->select(Channel(0, 0), QItemSelectionModel::Select);
        Prompts prompts;
        prompts.Arm();
        Page().OnSearchSelected(2);
        QCOMPARE(Data().Players().size(), 2);
        QCOMPARE(Data().PlayerAt(2)->GetChannel().GetNumber(), 1);
        QCOMPARE(Data().PlayerAt(3)->GetChannel().GetNumber(), 2);
        QCOMPARE(Data().segmentsByWindow[2].size(), 2);  // one day
        QCOMPARE(Data().GetCurrentIndex(), 2);
        QCOMPARE(Ui().m_pMultiTimeSlider->Date(), QDate(2024, 1, 31));
        QTRY_VERIFY(Data().PlayerAt(2)->IsPlaying());
        Page().OnBtnStop();
    }

    // The channels that find no window from the current one on are left out, and one notice
    // names them, whether the search came from the button or from a drop on a window.
    void channelsWithoutWindow_data()
    {
        QTest::addColumn<int>("current");
        QTest::addColumn<bool>("byDrop");
        QTest::addColumn<QStringList>("notices");
        QTest::newRow("window 15: both placed") << 14 << false << QStringList{};
        QTest::newRow("window 16: one left out") << 15 << false << QStringList{"No window left for: NVR_1 channel2"};
        QTest::newRow("dropped on window 16") << 15 << true << QStringList{"No window left for: NVR_1 channel2"};
    }
    void channelsWithoutWindow()
    {
        QFETCH(int, current);
        QFETCH(bool, byDrop);
        QFETCH(QStringList, notices);
        QVERIFY(ShowSampleMonth());
        QVERIFY(Choose(kFolder));
        QTRY_COMPARE(Page().ChannelModel()->rowCount(), 1);
        SetWindow(QDate(2024, 1, 30), QDate(2024, 1, 30));
        Ui().m_pCalendarWidget->SetValidDateRange(QDate(2024, 1, 30), QDate(2024, 1, 30));
        Ui().m_pMoreCutBtn->click();
        QTest::mouseClick(Data().windows[size_t(current)], Qt::LeftButton);
        QCOMPARE(Data().GetCurrentIndex(), current);
        Prompts prompts;
        prompts.Arm();
        if (byDrop) {
            QItemSelectionModel* selection = Ui().m_pPlayBackTreeView->selectionModel();
            selection->select(Channel(0, 0), QItemSelectionModel::ClearAndSelect);
            selection->select(Channel(0, 1), QItemSelectionModel::Select);
            Page().OnSearchSelected(current);
        } else {
            Tick(0, 0);
            Tick(0, 1);
            Ui().m_pSearchBtn->click();
        }
        QCOMPARE(prompts.Dialogs(), QStringList{"ChaseDialog"});
        QCOMPARE(prompts.Notices(), notices);
        QCOMPARE(int(Data().Players().size()), std::min(2, 16 - current));
        QCOMPARE(Data().PlayerAt(current)->GetChannel().GetNumber(), 1);
        QCOMPARE(Data().segmentsByWindow[current].size(), 2);
        // Nothing more is said about them later.
        Page().OnBtnStop();
        QCOMPARE(prompts.Notices(), notices);
    }

    // A window's download dialog follows the window's searches: opened before any search it fills
    // after the first; a new search into the window ends its job and hides it, and the next show
    // lists the new search's files, whose download writes the new channel's recordings.
    void downloadDialogFollowsTheSearch()
    {
        QVERIFY(ShowSampleMonth());
        QVERIFY(Choose(kFolder));
        QTRY_COMPARE(Page().ChannelModel()->rowCount(), 1);
        const QString out = m_dir.filePath("downloads");
        QVERIFY(DownloadFixture::UseDownloadFolder(out + "/first/", m_dir.path()));
        Sys_SetFreeSpaceFunction(&GatedFreeSpace);
        RunningPrompts prompts;
        CPlaybackWnd* wnd = Data().windows[0];

        wnd->DownloadAction()->trigger();
        CPlaybackDownLoad* dialog = Page().DownloadDialog(0);
        QVERIFY(dialog);
        QVERIFY(dialog->isVisible());
        QCOMPARE(dialog->FileModel()->rowCount(), 0);
        dialog->Form().m_pCancelBtn->click();

        SearchOne(0, QDate(2024, 1, 30));
        QCOMPARE(Data().PlayerAt(0)->GetChannel().GetNumber(), 1);
        const Varpen::SingleFileList first = Data().filesByWindow[0];
        QCOMPARE(int(first.size()), 2);
        wnd->DownloadAction()->trigger();
        QVERIFY(dialog->isVisible());
        QCOMPARE(TableStarts(*dialog), FileStarts(first));

        // A job of both files, held in its first pass. The next search binds a new engine to the
        // window before its wait dialog shows: by then the job has ended. (The search's stop of
        // the job waits for the held pass; the gate opens for it after a second at the latest.)
        for (int r = 0; r < 2; ++r)
            dialog->FileModel()->item(r, 0)->setCheckState(Qt::Checked);
        g_gateClosed = true;
        dialog->Form().m_pDownloadBtn->click();
        QVERIFY(dialog->IsJobRunning());
        std::atomic<bool> waitShown{false};
        bool busyWhenWaitShown = true;
        bool shownWhenWaitShown = true;
        prompts.seen = [&](const CPrompt& p) {
            if (p.className != "ChaseDialog" || waitShown)
                return;
            busyWhenWaitShown = dialog->Downloader().IsBusy();
            shownWhenWaitShown = dialog->isVisible();
            waitShown = true;
            g_gateClosed = false;
        };
        std::thread opener([&waitShown] {
            for (int i = 0; i < 100 && !waitShown; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            g_gateClosed = false;
        });
        SearchOne(1, QDate(2024, 1, 31));
        opener.join();
        prompts.seen = nullptr;
        QVERIFY(waitShown);
        QVERIFY(!busyWhenWaitShown);
        QVERIFY(!shownWhenWaitShown);
        QVERIFY(!dialog->IsJobRunning());
        QVERIFY(!dialog->isVisible());

        QCOMPARE(Data().PlayerAt(0)->GetChannel().GetNumber(), 2);
        const Varpen::SingleFileList second = Data().filesByWindow[0];
        QCOMPARE(int(second.size()), 2);
        QVERIFY(FileStarts(second) != FileStarts(first));
        QVERIFY(DownloadFixture::UseDownloadFolder(out + "/second/", m_dir.path()));
        wnd->DownloadAction()->trigger();
        QVERIFY(dialog->isVisible());
        QCOMPARE(TableStarts(*dialog), FileStarts(second));
        for (int r = 0; r < 2; ++r)
            QCOMPARE(dialog->FileModel()->item(r, 0)->checkState(), Qt::Unchecked);
        for (int r = 0; r < 2; ++r)
            dialog->FileModel()->item(r, 0)->setCheckState(Qt::Checked);
        dialog->Form().m_pDownloadBtn->click();
        QTRY_VERIFY_WITH_TIMEOUT(!dialog->IsJobRunning(), 60000);
        const QStringList outputs = DownloadFixture::OutputFiles(out + "/second");
        QCOMPARE(outputs.size(), 2);
        for (int i = 0; i < 2; ++i) {
            const QByteArray recorded = DownloadFixture::ReadAll(QString::fromStdString(second[size_t(i)]->GetName()));
            QVERIFY(!recorded.isEmpty());
            QVERIFY2(DownloadFixture::ReadAll(outputs[i]).mid(40) == recorded.mid(40), qPrintable(outputs[i]));
        }
    }

    // Another month shown before any disk was chosen scans nothing and says nothing.
    void monthBeforeAnyDisk()
    {
        Prompts prompts;
        QVERIFY(ShowSampleMonth());
        QVERIFY(!Page().DiskSearcher()->isRunning());
        QVERIFY(!Page().IsDiskSearchRunning());
        QVERIFY(prompts.Notices().isEmpty());
        QVERIFY(searchtest::Rows(*Page().ChannelModel()).isEmpty());
    }

    // A disk or month chosen while a scan is held inside a read (or holds its result back) returns
    // at once: the held scan is told to stop and handed to the reaper, the new choice is
    // scanned, and the held scan's report, should it come, is not taken. Once let go, the held
    // scan ends and is joined.
    void choicesDuringASlowScan_data()
    {
        QTest::addColumn<int>("point");
        QTest::addColumn<bool>("month");  // else another disk
        QTest::addColumn<QStringList>("rows");
        const QStringList folder{"NVR_1: channel1 channel2"};
        QTest::newRow("disk during a read") << int(WorkerHooks::Point::DiskScanRead) << false << folder;
        QTest::newRow("disk before the report") << int(WorkerHooks::Point::DiskScanReport) << false << folder;
        QTest::newRow("month during a read") << int(WorkerHooks::Point::DiskScanRead) << true << QStringList{};
        QTest::newRow("month before the report") << int(WorkerHooks::Point::DiskScanReport) << true << QStringList{};
    }
    void choicesDuringASlowScan()
    {
        QFETCH(int, point);
        QFETCH(bool, month);
        QFETCH(QStringList, rows);
        Prompts prompts;
        QVERIFY(ShowSampleMonth());
        WorkerLatch latch{WorkerHooks::Point(point)};
        QVERIFY(Ui().m_pComboBoxDisk->SelectEntry(kNvr));
        QVERIFY(latch.WaitHeld());
        QPointer<CSearchDiskThread> held = Page().DiskSearcher();

        if (month)
            Ui().m_pCalendarWidget->SetCurrentPage(2023, 12);  // no recordings that month
        else
            QVERIFY(Ui().m_pComboBoxDisk->SelectEntry(kFolder, m_folder + QLatin1Char('/')));
        QCOMPARE(latch.Held(), 1);  // the choice returned while the scan is held
        QVERIFY(held && held->isRunning());
        QVERIFY(Page().DiskSearcher() != held.data());
        QCOMPARE(Page().RetiredWorkers(), 1);

        latch.Open();
        QTRY_VERIFY_WITH_TIMEOUT(held.isNull(), 30000);
        QCOMPARE(Page().RetiredWorkers(), 0);
        QVERIFY(Page().DiskSearcher()->wait(30000));
        QCoreApplication::sendPostedEvents(m_page.get(), QEvent::MetaCall);
        QCOMPARE(searchtest::Rows(*Page().ChannelModel()), rows);
        QCOMPARE(Page().IsDiskSearchRunning(), rows.isEmpty());  // the overlay says that nothing is there
        QVERIFY(prompts.Notices().isEmpty());
        QVERIFY(!latch.TimedOut());
    }

    // Cancel while the search is held inside a window's search returns at once: the windows
    // stay bound (the held one on a fresh engine of the same channel, the thread keeps the one it
    // searches), nothing is on the time line, and once let go the search ends without touching
    // the page. The next search works as usual.
    void cancelDuringASlowSearch()
    {
        QVERIFY(ShowSampleMonth());
        QVERIFY(Choose(kFolder));
        QTRY_COMPARE(Page().ChannelModel()->rowCount(), 1);
        Tick(0, 0);
        Tick(0, 1);
        SetWindow(QDate(2024, 1, 30), QDate(2024, 1, 30));
        Ui().m_pRecordTypeComboBox->setCurrentIndex(0);
        WorkerLatch latch(WorkerHooks::Point::RecordSearchWindow);
        CPromptScript script(1);
        CPlayBackInteraction* searched = nullptr;
        QPointer<CPlaybackSearchThread> thread;
        script.Then([&](const CPrompt& p) {
            if (p.className != "ChaseDialog" || !latch.WaitHeld())
                return 1;
            searched = Data().PlayerAt(0);
            thread = Page().SearchThread();
            return 0;  // Cancel, while window 1's search is held
        });
        Ui().m_pSearchBtn->click();
        QCOMPARE(latch.Held(), 1);  // the click returned while the search is held
        QVERIFY(thread && thread->isRunning());
        QVERIFY(!Page().SearchThread());
        QCOMPARE(Page().RetiredWorkers(), 1);
        QCOMPARE(Data().Players().size(), 2);
        QVERIFY(Data().PlayerAt(0) != searched);
        QCOMPARE(Data().PlayerAt(0)->GetChannel().GetNumber(), 1);
        QCOMPARE(Data().PlayerAt(1)->GetChannel().GetNumber(), 2);
        QVERIFY(Data().windows[0]->TitleLabel()->text().contains("channel1"));
        QCOMPARE(Bars(0), 0);
        QCOMPARE(Bars(1), 0);
        QVERIFY(Page().ChannelModel()->itemFromIndex(Channel(0, 0))->checkState() == Qt::Checked);

        latch.Open();
        QTRY_VERIFY_WITH_TIMEOUT(thread.isNull(), 30000);  // ended, joined, its engine gone with it
        QCoreApplication::sendPostedEvents(m_page.get(), QEvent::MetaCall);
        QVERIFY(Data().filesByWindow.empty());
        QCOMPARE(Bars(0), 0);
        QVERIFY(script.Texts(CPrompt::Notice).isEmpty());
        QVERIFY(!latch.TimedOut());

        Prompts prompts;
        prompts.Arm();
        Ui().m_pSearchBtn->click();
        // The search binds from the current window (the stop before it selects each window in turn).
        const int first = Data().GetCurrentIndex();
        QCOMPARE(Data().PlayerAt(first)->GetChannel().GetNumber(), 1);
        QCOMPARE(Bars(first), 2);
        QCOMPARE(Bars(first + 1), 2);
    }

    // A page destroyed while it scans waits for the scan.
    void destroyWhileScanning()
    {
        QVERIFY(ShowSampleMonth());
        QVERIFY(Ui().m_pComboBoxDisk->SelectEntry(kNvr));
        m_page.reset();
    }
};

QTEST_MAIN(TestPageSearch)
#include "tst_page_search.moc"
