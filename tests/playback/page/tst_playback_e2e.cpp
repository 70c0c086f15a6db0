// The operator's whole road through the playback page, on the real engine, once on a local
// recording folder and once on a recorder-disk image, both written by varpen-sample for today:
// pick the disk, see its channels and the day marked, search two channels, get bars on two rows,
// click to play window 1 at the clicked second and again to seek, put window 2 in step with it,
// change speed and pause both, take a snapshot and a clip, download a file, play past the end of
// the recordings and close the page with no thread left running. The disk box lists the two
// samples through VARPEN_EXTRA_DISKS; modal prompts are answered by the test, free space is
// provided by the test.
#include <QtTest>

#include <QComboBox>
#include <QLabel>
#include <QItemSelectionModel>
#include <QStandardItemModel>
#include <QToolButton>

#include "app/SettingsManager.h"
#include "engine/PlayBackInteraction.h"
#include "engine/SearchDiskThread.h"
#include "playback/PlayBackWidget.h"
#include "playback/PlaybackDownLoad.h"
#include "playback/PlaybackWnd.h"
#include "platform/system/system.h"
#include "tests/support/ChildRun.h"
#include "timeline/MultiTimeSlider.h"
#include "timeline/TimeSegment.h"
#include "widgets/CDiskTreeBox.h"
#include "widgets/CGroupTreeView.h"
#include "widgets/CPushButton.h"
#include "widgets/CTableView.h"
#include "widgets/CalendarWidget.h"
#include "widgets/ChaseDialog.h"
#include "widgets/DateTimeEdit.h"
#include "widgets/PromptHook.h"

namespace {

bool PlentyOfSpace(const char*, uint64_t* freeBytes, uint64_t* totalBytes)
{
    if (freeBytes)
        *freeBytes = quint64(100) << 30;
    if (totalBytes)
        *totalBytes = quint64(500) << 30;
    return true;
}

// Messages of Qt that mean a thread object went while its thread ran.
QStringList g_threadWarnings;
QtMessageHandler g_previousHandler = nullptr;
void CatchThreadWarnings(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (message.contains(QLatin1String("Destroyed while thread is still running")))
        g_threadWarnings << message;
    if (g_previousHandler)
        g_previousHandler(type, context, message);
}

bool RunTool(const QStringList& args)
{
    return RunChild(QString::fromLocal8Bit(qgetenv("VARPEN_BUILD_DIR")) + QStringLiteral("/bin/varpen-sample"), args,
                    240000)
        .Ok();
}

// Runs the real modal loops of the wait dialogs (their workers end them) and says yes to
// everything else.
int Answer(const CPrompt& prompt)
{
    if (prompt.className == QLatin1String("ChaseDialog") || prompt.className == QLatin1String("CProgress"))
        return CPromptHook::kRunModal;
    return 1;
}

QList<QStandardItem*> ChannelItems(QStandardItemModel* model)
{
    QList<QStandardItem*> items;
    for (int row = 0; row < model->rowCount(); ++row)
        for (int c = 0; c < model->item(row)->rowCount(); ++c)
            items << model->item(row)->child(c);
    return items;
}

QStringList Names(const QList<QStandardItem*>& items)
{
    QStringList names;
    for (QStandardItem* item : items)
        names << item->text();
    return names;
}

QStringList FilesUnder(const QString& folder, const QString& suffix)
{
    QStringList out;
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (path.endsWith(suffix))
            out << path;
    }
    out.sort();
    return out;
}

}  // namespace

class TestPlaybackEndToEnd : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_folder;
    QString m_image;
    QString m_out;
    int m_run = 0;

    QString OutFolder(const char* kind) const
    {
        return m_out + QStringLiteral("/%1/%2").arg(m_run).arg(QLatin1String(kind));
    }

    bool UseOutputFolders()
    {
        ++m_run;
        for (const char* kind : {"capture", "clip", "download"})
            if (!QDir().mkpath(OutFolder(kind)))
                return false;
        return CSettingsManager::Instance()->SaveSettings(
            {{CSettingsManager::GetKeyName(CSettingsManager::CaptureSavePath), OutFolder("capture") + QLatin1Char('/')},
             {CSettingsManager::GetKeyName(CSettingsManager::ClipSavePath), OutFolder("clip") + QLatin1Char('/')},
             {CSettingsManager::GetKeyName(CSettingsManager::DownloadSavePath),
              OutFolder("download") + QLatin1Char('/')},
             {CSettingsManager::GetKeyName(CSettingsManager::DownloadPackageSize), QStringLiteral("0")}},
            m_dir.filePath(QStringLiteral("config/Settings.xml")));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        const QString today = QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"));
        m_folder = m_dir.filePath(QStringLiteral("folder"));
        m_image = m_dir.filePath(QStringLiteral("disk.img"));
        m_out = m_dir.filePath(QStringLiteral("out"));
        // Two channels, today, three 20-s recordings each with 10-s gaps.
        QVERIFY(RunTool({QStringLiteral("folder"), m_folder, QStringLiteral("--channels"), QStringLiteral("2"),
                         QStringLiteral("--start-date"), today, QStringLiteral("--days"), QStringLiteral("1"),
                         QStringLiteral("--segments-per-day"), QStringLiteral("3"), QStringLiteral("--segment-length"),
                         QStringLiteral("20"), QStringLiteral("--gap"), QStringLiteral("10"), QStringLiteral("--jobs"),
                         QStringLiteral("2")}));
        QVERIFY(RunTool({QStringLiteral("disk"), m_image, QStringLiteral("--layout"), QStringLiteral("nvr"),
                         QStringLiteral("--channels"), QStringLiteral("2"), QStringLiteral("--start-date"), today,
                         QStringLiteral("--days"), QStringLiteral("1"), QStringLiteral("--segments-per-day"),
                         QStringLiteral("3"), QStringLiteral("--segment-length"), QStringLiteral("20"),
                         QStringLiteral("--logs"), QStringLiteral("0")}));
        // The image is disk 1000, the folder disk 1001 with the folder as its one volume.
        qputenv("VARPEN_EXTRA_DISKS", (m_image + QLatin1Char(':') + m_folder).toLocal8Bit());
        QVERIFY(QDir().mkpath(m_dir.filePath(QStringLiteral("config"))));
        qputenv("VARPEN_CONFIG_DIR", m_dir.filePath(QStringLiteral("config")).toLocal8Bit());
        Sys_SetFreeSpaceFunction(&PlentyOfSpace);
        g_previousHandler = qInstallMessageHandler(&CatchThreadWarnings);
    }

    void cleanupTestCase()
    {
        qInstallMessageHandler(g_previousHandler);
        Sys_SetFreeSpaceFunction(nullptr);
    }

    void endToEnd_data()
    {
        QTest::addColumn<unsigned>("disk");
        QTest::addColumn<bool>("folder");
        QTest::newRow("local folder") << 1001u << true;
        QTest::newRow("recorder-disk image") << 1000u << false;
    }

    void endToEnd()
    {
        QFETCH(unsigned, disk);
        QFETCH(bool, folder);
        QVERIFY(UseOutputFolders());
        g_threadWarnings.clear();
        CPromptScript prompts;
        prompts.SetDefault(1);
        for (int i = 0; i < 64; ++i)
            prompts.Then(&Answer);

        auto page = std::make_unique<CPlayBackWidget>(nullptr, QSize(1280, 1024));
        page->resize(1328, 813);
        page->show();
        QVERIFY(QTest::qWaitForWindowExposed(page.get()));
        Ui_CPlayBackWidget& ui = page->Form();
        QStandardItemModel* model = page->ChannelModel();

        // 1. Pick the disk: the overlay searches, then the tree shows the two channels once.
        QVERIFY(ui.m_pComboBoxDisk->SelectEntry(disk, folder ? m_folder + QLatin1Char('/') : QString()));
        if (!page->IsDiskSearchRunning())
            page->InitDiskTree();  // the entry was current already: the main window's first scan
        QVERIFY(page->IsDiskSearchRunning());
        QTRY_VERIFY_WITH_TIMEOUT(!page->IsDiskSearchRunning(), 60000);
        QCOMPARE(model->rowCount(), 1);
        QCOMPARE(Names(ChannelItems(model)), (QStringList{QStringLiteral("channel1"), QStringLiteral("channel2")}));
        QVERIFY(!page->ChaseOverlay()->isVisible());
        QCOMPARE(page->DiskType(), folder ? int(CSearchDiskThread::kDiskLocal) : int(CSearchDiskThread::kDiskNvr));

        // 2. Recording days: selecting a channel marks today.
        const QDate today = QDate::currentDate();
        CGroupTreeView* tree = ui.m_pPlayBackTreeView;
        tree->selectionModel()->select(ChannelItems(model).at(0)->index(), QItemSelectionModel::ClearAndSelect);
        QTRY_VERIFY_WITH_TIMEOUT(ui.m_pCalendarWidget->HasDateMark(today), 30000);
        QVERIFY(!ui.m_pCalendarWidget->HasDateMark(today.addDays(today.day() == 1 ? 1 : -1)));

        // 3. Search both channels over today.
        page->OnSelectDate(today, today);
        QCOMPARE(ui.m_pDateTimeEditBeginTime->dateTime(), QDateTime(today, QTime(0, 0)));
        QCOMPARE(ui.m_pDateTimeEditEndTime->dateTime(), QDateTime(today, QTime(23, 59, 59)));
        ui.m_pRecordTypeComboBox->setCurrentIndex(0);
        for (QStandardItem* item : ChannelItems(model))
            item->setCheckState(Qt::Checked);
        prompts.Clear();
        ui.m_pSearchBtn->click();
        QTRY_VERIFY_WITH_TIMEOUT(!page->FoundSegments(1).isEmpty(), 60000);
        QTRY_VERIFY_WITH_TIMEOUT(page->FoundSegments(0).size() == 3, 30000);
        QCOMPARE(page->FoundSegments(1).size(), 3);
        QVERIFY(page->PlayerAt(0) && page->PlayerAt(1) && !page->PlayerAt(2));
        QVERIFY(page->PlayWindow(0)->TitleLabel()->text().endsWith(QStringLiteral("channel1")));
        QVERIFY(page->PlayWindow(1)->TitleLabel()->text().endsWith(QStringLiteral("channel2")));
        QCOMPARE(prompts.Count(CPrompt::Warn), 0);

        CPlayBackInteraction* e1 = page->PlayerAt(0);
        CPlayBackInteraction* e2 = page->PlayerAt(1);
        const Varpen::SingleFileList files = e1->GetFileList();
        QCOMPARE(int(files.size()), 3);
        const time_t first = files.front()->GetStartTime();
        const time_t last = files.back()->GetEndTime();

        // 4. A click on row 1 plays window 1 at the clicked second; window 1 stays current.
        emit ui.m_pMultiTimeSlider->MouseClick(0, first + 2);
        QVERIFY(e1->IsPlaying());
        QCOMPARE(page->CurrentWindowIndex(), 0);
        QTRY_VERIFY_WITH_TIMEOUT(e1->GetCurrentTime() >= first + 2, 15000);
        QVERIFY(e1->GetCurrentTime() < first + 10);
        QTRY_VERIFY_WITH_TIMEOUT(page->PlayWindow(0)->TimeLabel()->text().startsWith(today.toString(Qt::ISODate)),
                                 5000);
        // A second click seeks it.
        emit ui.m_pMultiTimeSlider->MouseClick(0, first + 13);
        QTRY_VERIFY_WITH_TIMEOUT(e1->GetCurrentTime() >= first + 13, 15000);
        QVERIFY(e1->GetCurrentTime() < first + 20);
        // Window 2 from an earlier second.
        emit ui.m_pMultiTimeSlider->MouseClick(1, first + 1);
        QVERIFY(e2->IsPlaying());
        QCOMPARE(page->CurrentWindowIndex(), 0);

        // 5. Synchronous play moves window 2 to window 1's time; speed and pause act on both.
        ui.m_pBtnSyn->click();
        QVERIFY(page->IsSynchronous());
        QTRY_VERIFY_WITH_TIMEOUT(
            std::abs(e1->GetCurrentTime() - e2->GetCurrentTime()) <= 3 && e2->GetCurrentTime() >= first + 10, 15000);
        page->OnBtnSpeed(1);
        QTRY_COMPARE(e1->GetSpeed(), 1);
        QTRY_COMPARE(e2->GetSpeed(), 1);
        ui.m_pBtnPlay->click();
        QTRY_VERIFY(e1->IsPaused() && e2->IsPaused());
        ui.m_pBtnPlay->click();
        QTRY_VERIFY(!e1->IsPaused() && !e2->IsPaused());
        page->OnBtnSpeed(0);
        ui.m_pBtnSyn->click();
        QVERIFY(!page->IsSynchronous());

        // 6. Snapshot of window 1.
        prompts.Clear();
        page->PlayWindow(0)->OnSnapshot();
        QTRY_COMPARE(FilesUnder(OutFolder("capture"), QStringLiteral(".jpg")).size(), 1);
        QVERIFY(!QImage(FilesUnder(OutFolder("capture"), QStringLiteral(".jpg")).first()).isNull());

        // 7. Clip of two seconds.
        page->PlayWindow(0)->OnRecord();
        QVERIFY(e1->IsClipping());
        QTest::qWait(2000);
        page->PlayWindow(0)->OnRecord();
        QVERIFY(!e1->IsClipping());
        QVERIFY(prompts.Texts(CPrompt::Notice).contains(QStringLiteral("start recording.")));
        QTRY_COMPARE(FilesUnder(OutFolder("clip"), QStringLiteral(".mp4")).size(), 1);
        QVERIFY(QFileInfo(FilesUnder(OutFolder("clip"), QStringLiteral(".mp4")).first()).size() > 0);

        // 8. Download the first file through the play bar's download button.
        ui.m_pBtnDownload->click();
        CPlaybackDownLoad* dialog = page->DownloadDialog(0);
        QVERIFY(dialog);
        QVERIFY(dialog->isVisible());
        QTRY_COMPARE(dialog->FileModel()->rowCount(), 3);
        dialog->FileModel()->item(0, 0)->setCheckState(Qt::Checked);
        QTest::mouseClick(dialog->Form().m_pDownloadBtn, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(dialog->FileModel()->item(0, 4)->text(), QStringLiteral("Download Completed"), 60000);
        QVERIFY(!FilesUnder(OutFolder("download"), QStringLiteral(".mp4")).isEmpty());
        dialog->close();

        // 9. Play past the end of the recordings at 8x: said once, the window stops.
        prompts.Clear();
        emit ui.m_pMultiTimeSlider->MouseClick(0, last - 6);
        page->OnBtnSpeed(3);
        QTRY_VERIFY_WITH_TIMEOUT(!e1->IsPlaying(), 30000);
        QTRY_VERIFY_WITH_TIMEOUT(
            prompts.Texts(CPrompt::Notice).contains(QStringLiteral("The video has reach the end.")), 5000);
        QTest::qWait(1000);
        QCOMPARE(prompts.Texts(CPrompt::Notice).count(QStringLiteral("The video has reach the end.")), 1);
        QCOMPARE(page->PlayWindow(0)->TimeLabel()->text(), QStringLiteral("0000-00-00 00:00:00"));

        // 10. Close while window 2 still plays and a day check may run: nothing left running.
        QVERIFY(e2->IsPlaying() || e2->IsEndOfList());
        tree->selectionModel()->select(ChannelItems(model).at(1)->index(), QItemSelectionModel::ClearAndSelect);
        page.reset();
        QVERIFY2(g_threadWarnings.isEmpty(), qPrintable(g_threadWarnings.join(QLatin1Char('\n'))));
    }
};

QTEST_MAIN(TestPlaybackEndToEnd)
#include "tst_playback_e2e.moc"
