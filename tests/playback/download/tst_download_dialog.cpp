// The download dialog on real recordings (the tiny sample set: three 4-s recordings of one
// channel, 2 s apart) and its own real downloader: the table, the sizes, jobs by file and by time
// chained to the end with their statuses and progress, the period checks, low and unknown free
// space, a start that fails, a write that fails, the disk filling up, the busy state and a stop.

#include <QtTest>

#include <QCheckBox>
#include <QLabel>
#include <QTabWidget>
#include <QProgressBar>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "app/CommonUtil.h"
#include "engine/PlayBackInteraction.h"
#include "engine/WorkerReaper.h"
#include "playback/DataDistributionThread.h"
#include "playback/PlaybackDownLoad.h"
#include "tests/engine/download/DownloadFixture.h"
#include "tests/support/BrokenFile.h"
#include "tests/support/TestLatch.h"
#include "tests/support/WorkerLatch.h"
#include "widgets/CPushButton.h"
#include "widgets/CTableView.h"
#include "widgets/CalendarWidget.h"
#include "widgets/DateTimeEdit.h"
#include "widgets/PromptHook.h"

using namespace Varpen;
using namespace DownloadFixture;

namespace {

constexpr int kJob_ms = 60000;

// Holds the downloader's passes (never the GUI thread's own free-space look) while closed.
std::atomic<bool> g_gateClosed{false};
std::thread::id g_guiThread;
bool GatedFreeSpace(const char* path, uint64_t* free_bytes, uint64_t* total_bytes)
{
    while (g_gateClosed.load() && std::this_thread::get_id() != g_guiThread)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    return FakeFreeSpace(path, free_bytes, total_bytes);
}
bool FailingFreeSpace(const char*, uint64_t*, uint64_t*)
{
    return false;
}

// Records every prompt; runs the progress dialog's modal loop (the feeder ends it), answers
// every other modal prompt at once.
class Prompts {
public:
    Prompts()
    {
        CPromptHook::SetAnswerer([this](const CPrompt& p) {
            all << p;
            return p.className == QLatin1String("CProgress") ? CPromptHook::kRunModal : 1;
        });
    }
    ~Prompts() { CPromptHook::SetAnswerer({}); }
    QStringList Texts(CPrompt::Kind kind) const
    {
        QStringList out;
        for (const CPrompt& p : all)
            if (p.kind == kind)
                out << p.text;
        return out;
    }
    QList<CPrompt> all;
};

}  // namespace

class TestDownloadDialog : public QObject {
    Q_OBJECT

    QTemporaryDir m_scratch;
    SampleSet m_tiny;
    std::unique_ptr<CPlayBackInteraction> m_engine;
    SingleFileList m_files;
    time_t m_s0 = 0;
    QString m_out;
    int m_testNo = 0;
    bool m_haveEngine = true;

    std::unique_ptr<CPlaybackDownLoad> MakeDialog(CPlayBackInteraction* engine = nullptr)
    {
        CPlayBackInteraction* e = engine ? engine : m_engine.get();
        CDownloadWindowSource source;
        source.engine = [this, e](int window) { return window == 0 && m_haveEngine ? e : nullptr; };
        source.files = [e](int) { return e->GetFileList(); };
        auto dialog = std::make_unique<CPlaybackDownLoad>(source, 0, nullptr);
        dialog->SetTitle(QStringLiteral(" Window01: channel1"));
        dialog->FillFileList();
        dialog->show();
        dialog->SetDownloadFlag(true);
        return dialog;
    }
    static QString Status(CPlaybackDownLoad& d, int row) { return d.FileModel()->item(row, 4)->text(); }
    static void Tick(CPlaybackDownLoad& d, int row, bool on = true)
    {
        d.FileModel()->item(row, 0)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
    }
    static bool Ticked(CPlaybackDownLoad& d, int row)
    {
        return d.FileModel()->item(row, 0)->checkState() != Qt::Unchecked;
    }
    void SetPeriod(CPlaybackDownLoad& d, int k, time_t begin, time_t end)
    {
        d.PeriodBox(k)->setChecked(true);
        d.PeriodBegin(k)->setDateTime(QDateTime::fromSecsSinceEpoch(begin));
        d.PeriodEnd(k)->setDateTime(QDateTime::fromSecsSinceEpoch(end));
    }
    static void Click(QAbstractButton* b) { QTest::mouseClick(b, Qt::LeftButton); }

    // Builds an engine over a copy of the tiny set, with its recordings then removed.
    std::unique_ptr<CPlayBackInteraction> EngineOverLostRecordings()
    {
        const QString to = m_scratch.filePath("lost");
        QDirIterator it(m_tiny.root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString source = it.next();
            const QString target = to + source.mid(m_tiny.root.size());
            QDir().mkpath(QFileInfo(target).path());
            QFile::copy(source, target);
        }
        auto engine = NewEngine(to);
        for (const SingleFilePtr& f : engine->GetFileList())
            QFile::remove(to + "/" + QString::fromStdString(f->GetPath()));
        for (const QJsonObject& f : m_tiny.Files(m_tiny.FirstChannel()))
            QFile::remove(to + "/" + f.value("path").toString());
        return engine;
    }
    std::unique_ptr<CPlayBackInteraction> NewEngine(const QString& root)
    {
        auto engine = std::make_unique<CPlayBackInteraction>();
        engine->SetChannel(CChannel(m_tiny.FirstChannel(), m_tiny.Group()));
        engine->SetUseIndex(true);
        const QList<QJsonObject> files = m_tiny.Files(m_tiny.FirstChannel());
        SingleFileList out;
        engine->SearchFiles(out, root.toStdString(), files.first().value("start").toInteger() - 60,
                            files.last().value("end").toInteger() + 60, 0);
        return engine;
    }

private slots:
    void initTestCase()
    {
        g_guiThread = std::this_thread::get_id();
        QVERIFY(m_scratch.isValid());
        QVERIFY2(m_tiny.Load("tiny"), "the tiny sample set is missing");
        m_engine = NewEngine(m_tiny.root);
        m_files = m_engine->GetFileList();
        QCOMPARE(int(m_files.size()), 3);
        m_s0 = m_files[0]->GetStartTime();
        QCOMPARE(m_files[2]->GetEndTime(), m_s0 + 16);
    }

    void init()
    {
        g_gateClosed = false;
        m_haveEngine = true;
        m_out = UseNewDownloadFolder(m_scratch, ++m_testNo, &GatedFreeSpace);
        QVERIFY(!m_out.isEmpty());
    }

    void cleanup()
    {
        g_gateClosed = false;
        CWorkerReaper::Instance().JoinAll();
        RTK_Test_FailWritesAfter(-1);
        Sys_SetFreeSpaceFunction(nullptr);
    }

    void tableAndSizes()
    {
        Prompts prompts;
        auto d = MakeDialog();
        QCOMPARE(d->GetTitle(), QString("Files download( Window01: channel1)"));
        QCOMPARE(prompts.all.size(), 1);  // the progress of the filling, nothing else
        QCOMPARE(prompts.all.first().className, QString("CProgress"));
        CStandardItemModel* model = d->FileModel();
        QCOMPARE(model->rowCount(), 3);
        QCOMPARE(model->headerData(0, Qt::Horizontal).toString(), QString("Index"));
        QCOMPARE(model->headerData(4, Qt::Horizontal).toString(), QString("Status"));
        for (int r = 0; r < 3; ++r) {
            QCOMPARE(model->item(r, 0)->text(), QString::number(r + 1));
            QCOMPARE(model->item(r, 1)->text(), CDataDistributionThread::TimeText(m_files[r]->GetStartTime()));
            QCOMPARE(model->item(r, 3)->text(), CCommonUtil::FormatSize(m_files[r]->GetSize()));
            QCOMPARE(Status(*d, r), QString("Wait"));
        }
        QCOMPARE(d->Form().m_pHardSpaceLabel->text(), CCommonUtil::FormatSize(100ull << 30));
        QCOMPARE(d->Form().m_pAllFileLabel->text(), CCommonUtil::FormatSize(0));
        QVERIFY(d->Form().m_pDownloadBtn->isEnabled());
        QVERIFY(!d->Form().m_pStopBtn->isEnabled());

        // Ticked rows by their sizes, ticked periods by the engine's estimate.
        Tick(*d, 0);
        Tick(*d, 2);
        QCOMPARE(d->Form().m_pAllFileLabel->text(),
                 CCommonUtil::FormatSize(m_files[0]->GetSize() + m_files[2]->GetSize()));
        QVERIFY(d->PeriodBegin(1)->isEnabled() == false);
        SetPeriod(*d, 1, m_s0 + 6, m_s0 + 8);
        QVERIFY(d->PeriodBegin(1)->isEnabled());
        QCOMPARE(d->Form().m_pAllFileLabel->text(),
                 CCommonUtil::FormatSize(m_files[0]->GetSize() + m_files[2]->GetSize() +
                                         EstimateDataSize(m_files, m_s0 + 6, m_s0 + 8)));

        // Shown again without a reset: the rows and their ticks stay.
        d->FillFileList();
        QCOMPARE(prompts.all.size(), 1);
        QVERIFY(Ticked(*d, 0) && Ticked(*d, 2));
        // After the window's reset the table is built again, nothing ticked.
        d->ResetPeriods();
        QVERIFY(!d->PeriodBox(1)->isChecked());
        d->FillFileList();
        QCOMPARE(model->rowCount(), 3);
        QVERIFY(!Ticked(*d, 0) && !Ticked(*d, 2));
        QCOMPARE(model->headerData(0, Qt::Horizontal, Qt::CheckStateRole).toInt(), int(Qt::Unchecked));

        // A window without an engine gets an empty table and cannot start.
        m_haveEngine = false;
        d->ResetPeriods();
        d->FillFileList();
        QCOMPARE(model->rowCount(), 0);
    }

    void byFileToTheEnd()
    {
        Prompts prompts;
        auto d = MakeDialog();
        QStringList seen;  // code, and the download button's state once the dialog has handled it
        connect(&d->Downloader(), &CStreamDownloader::DownloadSignal, this, [&](int code, int index, int) {
            seen << QStringLiteral("%1:%2:%3").arg(code).arg(index).arg(d->Form().m_pDownloadBtn->isEnabled());
        });
        Tick(*d, 0);
        Tick(*d, 2);
        Click(d->Form().m_pDownloadBtn);
        QVERIFY(d->IsJobRunning());
        QVERIFY(!d->Form().m_pDownloadBtn->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(!d->IsJobRunning(), kJob_ms);
        QCOMPARE(seen.join(' '), QString("4:-1:0 0:-1:0 5:0:0 4:0:0 5:1:0 2:1:1"));
        QCOMPARE(Status(*d, 0), QString("Download Completed"));
        QCOMPARE(Status(*d, 1), QString("Wait"));
        QCOMPARE(Status(*d, 2), QString("Download Completed"));
        QVERIFY(!Ticked(*d, 0) && !Ticked(*d, 2));
        QCOMPARE(d->Form().m_pAllFileLabel->text(), CCommonUtil::FormatSize(0));
        QVERIFY(d->Form().m_pFileView->isEnabled());
        QVERIFY(!d->Form().m_pStopBtn->isEnabled());
        const QStringList outputs = OutputFiles(m_out);
        QCOMPARE(outputs.size(), 2);
        QCOMPARE(ReadAll(outputs[1]).mid(40), ReadAll(m_tiny.PathOf(m_tiny.Files(m_tiny.FirstChannel())[2])).mid(40));
        // A notice per completed file and one at the end, naming the last file written.
        const QStringList notices = prompts.Texts(CPrompt::Notice);
        QCOMPARE(notices.size(), 3);
        QCOMPARE(QFileInfo(notices.last()).canonicalFilePath(), QFileInfo(outputs.last()).canonicalFilePath());
        QVERIFY(prompts.Texts(CPrompt::Warn).isEmpty());
    }

    void filesThenPeriodsChained()
    {
        Prompts prompts;
        auto d = MakeDialog();
        QList<int> modes;
        connect(&d->Downloader(), &CStreamDownloader::DownloadSignal, this, [&](int code, int, int) {
            if (code == 0)
                modes << d->Mode();
            QVERIFY(!d->Form().m_pDownloadBtn->isEnabled() || code == 2);
        });
        Tick(*d, 1);
        SetPeriod(*d, 0, m_s0 + 12, m_s0 + 14);
        SetPeriod(*d, 1, m_s0 + 100, m_s0 + 200);  // no recording: unticked on the way
        SetPeriod(*d, 2, m_s0 + 1, m_s0 + 3);
        Click(d->Form().m_pDownloadBtn);
        QTRY_VERIFY_WITH_TIMEOUT(!d->IsJobRunning() && !d->PeriodBox(2)->isChecked(), kJob_ms);
        QTRY_VERIFY_WITH_TIMEOUT(!d->IsJobRunning(), kJob_ms);
        QCOMPARE(modes, (QList<int>{0, 1, 1}));
        QCOMPARE(Status(*d, 1), QString("Download Completed"));
        for (int k = 0; k < 4; ++k)
            QVERIFY(!d->PeriodBox(k)->isChecked());
        QCOMPARE(d->PeriodBar(0)->value(), 100);
        QCOMPARE(d->PeriodBar(1)->value(), 0);
        QCOMPARE(d->PeriodBar(2)->value(), 100);
        QCOMPARE(OutputFiles(m_out).size(), 3);
        QVERIFY(d->Form().m_pDownloadBtn->isEnabled());
        QVERIFY(prompts.Texts(CPrompt::Warn).isEmpty());
    }

    void periodChecks_data()
    {
        QTest::addColumn<QList<int>>("spans");  // begin, end (s after the first recording) per period; -1 = unticked
        QTest::addColumn<QString>("notice");
        QTest::newRow("touching periods") << QList<int>{0, 3, 3, 8, -1, -1, -1, -1} << "The time cross.";
        QTest::newRow("one inside another") << QList<int>{0, 14, -1, -1, 2, 3, -1, -1} << "The time cross.";
        QTest::newRow("begin equals end") << QList<int>{0, 3, -1, -1, -1, -1, 5, 5}
                                          << "The segment 4 the start time should be earlier than end time.";
        QTest::newRow("end before begin") << QList<int>{-1, -1, 9, 2, -1, -1, -1, -1}
                                          << "The segment 2 the start time should be earlier than end time.";
    }
    void periodChecks()
    {
        QFETCH(QList<int>, spans);
        QFETCH(QString, notice);
        Prompts prompts;
        auto d = MakeDialog();
        for (int k = 0; k < 4; ++k)
            if (spans[2 * k] >= 0)
                SetPeriod(*d, k, m_s0 + spans[2 * k], m_s0 + spans[2 * k + 1]);
        Tick(*d, 0);  // checked even when the job would be by file
        Click(d->Form().m_pDownloadBtn);
        QCOMPARE(prompts.Texts(CPrompt::Notice), QStringList{notice});
        QVERIFY(!d->IsJobRunning());
        QVERIFY(d->Form().m_pDownloadBtn->isEnabled());
    }

    void uncheckedPeriodsAreNotChecked()
    {
        Prompts prompts;
        auto d = MakeDialog();
        d->PeriodBegin(3)->setDateTime(QDateTime::fromSecsSinceEpoch(m_s0 + 10));
        d->PeriodEnd(3)->setDateTime(QDateTime::fromSecsSinceEpoch(m_s0));
        SetPeriod(*d, 0, m_s0 + 1, m_s0 + 2);
        Click(d->Form().m_pDownloadBtn);
        QTRY_VERIFY_WITH_TIMEOUT(!d->IsJobRunning(), kJob_ms);
        QCOMPARE(d->PeriodBar(0)->value(), 100);
        QCOMPARE(OutputFiles(m_out).size(), 1);
    }

    void lowOrUnknownFreeSpace_data()
    {
        QTest::addColumn<bool>("queryFails");
        QTest::addColumn<QString>("label");
        QTest::newRow("1 GiB free") << false << CCommonUtil::FormatSize(1ull << 30);
        QTest::newRow("free space unknown") << true << QString("Unknown");
    }
    void lowOrUnknownFreeSpace()
    {
        QFETCH(bool, queryFails);
        QFETCH(QString, label);
        Prompts prompts;
        auto d = MakeDialog();
        FreeBytes() = 1ull << 30;
        if (queryFails)
            Sys_SetFreeSpaceFunction(&FailingFreeSpace);
        Tick(*d, 0);
        Click(d->Form().m_pDownloadBtn);
        QCOMPARE(prompts.Texts(CPrompt::Notice), QStringList{"Disk space is too low"});
        QCOMPARE(d->Form().m_pHardSpaceLabel->text(), label);
        QVERIFY(!d->IsJobRunning());
        QCOMPARE(Status(*d, 0), QString("Wait"));
        QVERIFY(AllFiles(m_out).isEmpty());
    }

    // Builds an engine over a copy of the tiny set whose recordings are then broken.
    std::unique_ptr<CPlayBackInteraction> EngineOverBrokenRecordings(const QString& kind)
    {
        if (kind == QLatin1String("missing"))
            return EngineOverLostRecordings();
        const QString to = m_scratch.filePath(QStringLiteral("broken-%1-%2").arg(kind).arg(m_testNo));
        CopyFolder(m_tiny.root, to);
        auto engine = NewEngine(to);
        for (const QJsonObject& f : m_tiny.Files(m_tiny.FirstChannel()))
            BreakFile(to + "/" + f.value("path").toString(), kind);
        return engine;
    }

    // A start on recordings that give nothing returns at once with the row "Starting"; the
    // failure comes later, said once in a warning, and the row shows it with its reason.
    void startThatFailsIsSaidOnce_data()
    {
        QTest::addColumn<QString>("kind");
        for (const char* kind : kBrokenFileKinds)
            QTest::newRow(kind) << QString::fromLatin1(kind);
    }
    void startThatFailsIsSaidOnce()
    {
        QFETCH(QString, kind);
        auto broken = EngineOverBrokenRecordings(kind);
        QCOMPARE(int(broken->GetFileList().size()), 3);
        Prompts prompts;
        auto d = MakeDialog(broken.get());
        d->Downloader().SetFirstDataTimeout(500);
        // The start is held on the downloader's thread until the click has returned.
        Latch clicked;
        d->Downloader().SetFirstDataWaitHook([&] { clicked.Wait(); });
        Tick(*d, 0);
        Tick(*d, 1);
        SetPeriod(*d, 0, m_s0 + 1, m_s0 + 2);
        Click(d->Form().m_pDownloadBtn);
        const bool startedAtOnce = d->IsJobRunning() && Status(*d, 0) == QLatin1String("Starting");
        clicked.Open();
        QVERIFY(startedAtOnce);
        QTRY_VERIFY_WITH_TIMEOUT(!d->IsJobRunning(), kJob_ms);
        QTRY_VERIFY_WITH_TIMEOUT(!d->Downloader().IsRunning(), kJob_ms);
        QVERIFY(!d->Downloader().IsBusy());
        QCoreApplication::sendPostedEvents();
        const QStringList warns = prompts.Texts(CPrompt::Warn);
        QCOMPARE(warns.size(), 1);
        QVERIFY2(warns.first().startsWith("Download could not be started."), qPrintable(warns.first()));
        QVERIFY(d->Form().m_pDownloadBtn->isEnabled());
        QVERIFY(!d->Form().m_pStopBtn->isEnabled());
        QCOMPARE(Status(*d, 0), QString("Download Exception"));
        QVERIFY(!d->FileModel()->item(0, 4)->toolTip().isEmpty());
        QCOMPARE(Status(*d, 1), QString("Wait"));
        QVERIFY(AllFiles(m_out).isEmpty());
    }

    // A start held before its first data can be stopped: the row says so, nothing is left.
    void stopWhileStarting()
    {
        Prompts prompts;
        auto d = MakeDialog();
        Latch reached, go;
        d->Downloader().SetFirstDataWaitHook([&] {
            reached.Open();
            go.Wait();
        });
        Tick(*d, 0);
        Click(d->Form().m_pDownloadBtn);
        QVERIFY(reached.Wait());
        QCOMPARE(Status(*d, 0), QString("Starting"));
        QVERIFY(d->Form().m_pStopBtn->isEnabled());
        // The stop returns while the start is held; the row learns of it once the thread ends.
        Click(d->Form().m_pStopBtn);
        QVERIFY(d->IsJobRunning());
        QCOMPARE(Status(*d, 0), QString("Starting"));
        go.Open();
        QTRY_VERIFY_WITH_TIMEOUT(!d->IsJobRunning(), kJob_ms);
        QCOMPARE(Status(*d, 0), QString("Manual Stop"));
        QVERIFY(prompts.Texts(CPrompt::Warn).isEmpty());
        QVERIFY(d->Form().m_pDownloadBtn->isEnabled());
        QVERIFY(AllFiles(m_out).isEmpty());
    }

    void failuresDuringAJob_data()
    {
        QTest::addColumn<bool>("diskFills");
        QTest::addColumn<QString>("warning");
        QTest::newRow("a write fails") << false << "DownLoad Exception.";
        QTest::newRow("the disk fills up") << true << "Disk space is not enough. At least 2G disk space is need.";
    }
    void failuresDuringAJob()
    {
        QFETCH(bool, diskFills);
        QFETCH(QString, warning);
        Prompts prompts;
        auto d = MakeDialog();
        for (int r = 0; r < 3; ++r)
            Tick(*d, r);
        g_gateClosed = true;
        Click(d->Form().m_pDownloadBtn);
        QTRY_VERIFY(d->Form().m_pStopBtn->isEnabled());
        if (diskFills)
            FreeBytes() = 1ull << 30;
        else
            RTK_Test_FailWritesAfter(100);
        g_gateClosed = false;
        QTRY_VERIFY_WITH_TIMEOUT(!d->IsJobRunning(), kJob_ms);
        QTest::qWait(100);
        QCOMPARE(prompts.Texts(CPrompt::Warn), QStringList{warning});
        QCOMPARE(Status(*d, 0), QString("Download Exception"));
        QCOMPARE(Status(*d, 1), QString("Wait"));
        QVERIFY(!d->Form().m_pStopBtn->isEnabled());
        QVERIFY(d->Form().m_pFileView->isEnabled());
    }

    void busyStateAndManualStop()
    {
        Prompts prompts;
        auto d = MakeDialog();
        for (int r = 0; r < 3; ++r)
            Tick(*d, r);
        g_gateClosed = true;  // the job cannot finish before the stop
        Click(d->Form().m_pDownloadBtn);
        QTRY_VERIFY(d->Form().m_pStopBtn->isEnabled());
        QVERIFY(!d->Form().m_pDownloadBtn->isEnabled());
        QVERIFY(!d->Form().m_pFileView->isEnabled());
        for (int k = 0; k < 4; ++k)
            QVERIFY(!d->PeriodBox(k)->isEnabled());
        // A second start while busy changes nothing.
        const int promptsBefore = prompts.all.size();
        d->OnDownLoad();
        QCOMPARE(prompts.all.size(), promptsBefore);
        QTRY_VERIFY(Status(*d, 0) == "Downloading" || Status(*d, 0) == "Download Completed");

        // The job's thread is held at its next pass (it moves on by one file at most); the stop
        // returns while it is held, and the rows change only once it has ended.
        WorkerLatch latch(WorkerHooks::Point::DownloadPass);
        g_gateClosed = false;
        QVERIFY(latch.WaitHeld());
        Click(d->Form().m_pStopBtn);
        QCOMPARE(latch.Held(), 1);
        QVERIFY(d->IsJobRunning());
        QVERIFY(!d->Downloader().IsBusy());
        QTest::qWait(0);
        for (int r = 0; r < 3; ++r)
            QVERIFY(Status(*d, r) != "Manual Stop");
        latch.Open();
        QTRY_VERIFY_WITH_TIMEOUT(!d->IsJobRunning(), kJob_ms);
        CWorkerReaper::Instance().JoinAll();
        // The files completed before the stop, then the one being written, then those not begun.
        int stopped = 0;
        while (stopped < 3 && Status(*d, stopped) == "Download Completed")
            ++stopped;
        QVERIFY(stopped < 3);
        QCOMPARE(Status(*d, stopped), QString("Manual Stop"));
        for (int r = stopped + 1; r < 3; ++r)
            QCOMPARE(Status(*d, r), QString("Wait"));
        QCOMPARE(OutputFiles(m_out).size(), stopped);
        QVERIFY(!d->Form().m_pStopBtn->isEnabled());
        QVERIFY(d->Form().m_pDownloadBtn->isEnabled());
        QVERIFY(prompts.Texts(CPrompt::Warn).isEmpty());
        // Nothing unfinished is left behind.
        for (const QString& f : AllFiles(m_out))
            QVERIFY2(!QFileInfo(f).fileName().startsWith('.'), qPrintable(f));
    }
};

QTEST_MAIN(TestDownloadDialog)
#include "tst_download_dialog.moc"
