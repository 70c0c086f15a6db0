// The main window: its tab rules as a table, then the real window with its three real pages,
// offscreen, prompts answered by a script, free space from a replaced query and the settings file
// in a temporary folder.
#include "app/SettingsManager.h"
#include "app/WorkerReaper.h"
#include "engine/SearchDiskThread.h"
#include "devicelog/LocalLogWidget.h"
#include "devicelog/LogRecordText.h"
#include "mainwindow/CSettingsWidget.h"
#include "mainwindow/MainTabs.h"
#include "mainwindow/VarpenMainWnd.h"
#include "playback/PlayBackWidget.h"
#include "platform/system/system.h"
#include "widgets/CComboBoxes.h"
#include "widgets/CDiskTreeBox.h"
#include "widgets/CGroupTreeView.h"
#include "widgets/ChaseDialog.h"
#include "widgets/CPathComboBox.h"
#include "widgets/CPushButton.h"
#include "widgets/CTableView.h"
#include "widgets/DateTimeEdit.h"
#include "widgets/PromptHook.h"
#include "tests/support/WorkerLatch.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QStackedWidget>
#include <QStandardItemModel>
#include <QTreeView>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <atomic>
#include <thread>

using namespace MainTabs;

Q_DECLARE_METATYPE(MainTabs::Page)
Q_DECLARE_METATYPE(MainTabs::Button)
Q_DECLARE_METATYPE(MainTabs::Overlay)

namespace {

constexpr uint64_t kGiB = 1024ull * 1024ull * 1024ull;

// Folders under "/low" have 100 MiB free; every other folder 100 GiB.
bool FakeFreeSpace(const char* path, uint64_t* free_bytes, uint64_t* total_bytes)
{
    const bool low = QString::fromUtf8(path).startsWith(QLatin1String("/low"));
    if (free_bytes)
        *free_bytes = low ? 100ull * 1024 * 1024 : 100 * kGiB;
    if (total_bytes)
        *total_bytes = 200 * kGiB;
    return true;
}

void SetPath(CSettingsWidget* page, int index, const QString& path)
{
    CPathComboBox* box = page->PathOf(index);
    box->clear();
    box->addItem(path);
}

QString StoredValue(int index)
{
    return CSettingsManager::Instance()->GetValueByIndex(index).value_or(QString());
}

bool LooksChosen(const QPushButton* button)
{
    return button->styleSheet().contains(QLatin1String("TabSelect.png"));
}

}  // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void tabSteps_data();
    void tabSteps();
    void chosenButtons();

    void startsOnPlaybackWithThreePages();
    void tabsSwitchPagesAndLooks();
    void leavingSettingsAsks_data();
    void leavingSettingsAsks();
    void settingsTabAndAboutAskNothing();
    void overlayFollowsTabsAndMoves_data();
    void overlayFollowsTabsAndMoves();
    void logPageStartsOnTheOpenedDisk();
    void closeDeclinedKeepsEverything();
    void closeConfirmedDestroysPagesAndQuits();
    void closeFromSettingsAsksSaveFirst();
    void closeStopsEveryWorkerFirst();
    void closeWaitsForNoWorker();

private:
    QString SettingsPath() const { return m_dir.filePath(QStringLiteral("Settings.xml")); }
    void Store(const QStringList& values);
    QTemporaryDir m_dir;
};

void TestMainWindow::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(m_dir.isValid());
    qputenv("VARPEN_CONFIG_DIR", m_dir.path().toUtf8());
    qputenv("VARPEN_EXTRA_DISKS", QByteArray());
    Sys_SetFreeSpaceFunction(&FakeFreeSpace);
    // As the program's application object: only the close's queued quit ends the event loop, not
    // the hidden window.
    QApplication::setQuitOnLastWindowClosed(false);
}

void TestMainWindow::cleanupTestCase()
{
    Sys_SetFreeSpaceFunction(nullptr);
}

void TestMainWindow::init()
{
    CSettingsManager::Instance()->Clear();
    QFile::remove(SettingsPath());
}

void TestMainWindow::Store(const QStringList& values)
{
    QVector<CSettings*> items;
    for (int i = 0; i < values.size(); ++i)
        items.append(new CSettings(CSettingsManager::GetKeyName(i), values[i]));
    CSettingsManager::Instance()->SetAllSettings(items);
}

// Every button from every page: the save question only when leaving the settings page for
// another page; "About" never switches; the overlay hides off the playback page and comes back
// on it only while a scan runs.
void TestMainWindow::tabSteps_data()
{
    QTest::addColumn<Page>("from");
    QTest::addColumn<Button>("button");
    QTest::addColumn<bool>("askSave");
    QTest::addColumn<Page>("page");
    QTest::addColumn<bool>("about");
    QTest::addColumn<Overlay>("overlay");

    const Overlay show = Overlay::ShowIfScanning;
    const Overlay hide = Overlay::Hide;
    const Overlay keep = Overlay::Unchanged;
    QTest::newRow("start -> playback") << NoPage << PlaybackButton << false << PlaybackPage << false << show;
    QTest::newRow("playback -> playback") << PlaybackPage << PlaybackButton << false << PlaybackPage << false << show;
    QTest::newRow("playback -> log") << PlaybackPage << ViewLogButton << false << LogPage << false << hide;
    QTest::newRow("playback -> config") << PlaybackPage << ConfigButton << false << SettingsPage << false << hide;
    QTest::newRow("playback -> about") << PlaybackPage << AboutButton << false << NoPage << true << keep;
    QTest::newRow("log -> playback") << LogPage << PlaybackButton << false << PlaybackPage << false << show;
    QTest::newRow("log -> log") << LogPage << ViewLogButton << false << LogPage << false << hide;
    QTest::newRow("log -> config") << LogPage << ConfigButton << false << SettingsPage << false << hide;
    QTest::newRow("settings -> playback") << SettingsPage << PlaybackButton << true << PlaybackPage << false << show;
    QTest::newRow("settings -> log") << SettingsPage << ViewLogButton << true << LogPage << false << hide;
    QTest::newRow("settings -> config") << SettingsPage << ConfigButton << false << SettingsPage << false << hide;
    QTest::newRow("settings -> about") << SettingsPage << AboutButton << false << NoPage << true << keep;
}

void TestMainWindow::tabSteps()
{
    QFETCH(Page, from);
    QFETCH(Button, button);
    QFETCH(bool, askSave);
    QFETCH(Page, page);
    QFETCH(bool, about);
    QFETCH(Overlay, overlay);

    CTabState state;
    if (from != NoPage) {
        Step to;
        to.page = from;
        state.Apply(to);
    }
    const Step step = state.StepFor(button);
    QCOMPARE(step.askSave, askSave);
    QCOMPARE(step.page, page);
    QCOMPARE(step.openAbout, about);
    QCOMPARE(step.overlay, overlay);
    state.Apply(step);
    QCOMPARE(state.CurrentPage(), page == NoPage ? from : page);
    QCOMPARE(state.CloseAsksSave(), state.CurrentPage() == SettingsPage);
}

void TestMainWindow::chosenButtons()
{
    CTabState state;
    QCOMPARE(state.ChosenButtons(), (std::array<bool, 4>{false, false, false, false}));
    state.Apply(state.StepFor(ViewLogButton));
    QCOMPARE(state.ChosenButtons(), (std::array<bool, 4>{false, true, false, false}));
    state.Apply(state.StepFor(AboutButton));  // the about box keeps the looks
    QCOMPARE(state.ChosenButtons(), (std::array<bool, 4>{false, true, false, false}));
    state.Apply(state.StepFor(ConfigButton));
    QCOMPARE(state.ChosenButtons(), (std::array<bool, 4>{false, false, true, false}));
}

void TestMainWindow::startsOnPlaybackWithThreePages()
{
    CVarpenMainWnd window;
    QVERIFY(window.windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(window.size(), QSize(1024, 768));
    QCOMPARE(window.minimumSize(), window.maximumSize());
    QStackedWidget* stack = window.Stack();
    QCOMPARE(stack->count(), 3);
    QCOMPARE(stack->widget(0), static_cast<QWidget*>(window.PlayBackPage()));
    QCOMPARE(stack->widget(1), static_cast<QWidget*>(window.LogPage()));
    QCOMPARE(stack->widget(2), static_cast<QWidget*>(window.SettingsPage()));
    QCOMPARE(stack->currentIndex(), 0);
    QCOMPARE(window.CurrentPage(), PlaybackPage);
    const auto& form = window.Form();
    QCOMPARE(form.pBtnPlayBack->text(), QStringLiteral("Playback"));
    QCOMPARE(form.pBtnViewLog->text(), QStringLiteral("View Log"));
    QCOMPARE(form.pBtnConfig->text(), QStringLiteral("Config"));
    QCOMPARE(form.pBtnAbout->text(), QStringLiteral("About"));
    QVERIFY(LooksChosen(form.pBtnPlayBack));
    QVERIFY(!LooksChosen(form.pBtnViewLog));
    QVERIFY(!LooksChosen(form.pBtnAbout));
}

void TestMainWindow::tabsSwitchPagesAndLooks()
{
    CPromptScript script(0);
    CVarpenMainWnd window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const auto& form = window.Form();
    struct Case {
        QPushButton* button;
        int page;
    } cases[] = {{form.pBtnViewLog, 1},
                 {form.pBtnConfig, 2},
                 {form.pBtnPlayBack, 0},
                 {form.pBtnConfig, 2},
                 {form.pBtnViewLog, 1}};
    for (const Case& c : cases) {
        QTest::mouseClick(c.button, Qt::LeftButton);
        QCOMPARE(window.Stack()->currentIndex(), c.page);
        QCOMPARE(window.CurrentPage(), c.page);
        QVERIFY(window.Stack()->currentWidget()->isVisible());
        for (QPushButton* b : {form.pBtnPlayBack, form.pBtnViewLog, form.pBtnConfig, form.pBtnAbout})
            QCOMPARE(LooksChosen(b), b == c.button);
    }
    // Nothing was changed on the settings page: no question.
    QCOMPARE(script.Count(CPrompt::Question), 0);
}

// Leaving a changed settings page by "Playback" or "View Log": the question, then the switch
// whatever the answer.
void TestMainWindow::leavingSettingsAsks_data()
{
    QTest::addColumn<bool>("toLog");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("download");  // the edited download folder
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("storedClipSize");
    QTest::addColumn<QString>("storedDownload");
    QTest::addColumn<QStringList>("notices");

    QTest::newRow("yes saves, to playback") << false << 1 << "/data/new/" << int(SaveQuestionResult::Saved) << "0"
                                            << "/data/new/" << QStringList{"Save successful."};
    QTest::newRow("yes saves, to log") << true << 1 << "/data/new/" << int(SaveQuestionResult::Saved) << "0"
                                       << "/data/new/" << QStringList{"Save successful."};
    QTest::newRow("no drops") << true << 0 << "/data/new/" << int(SaveQuestionResult::Dropped) << "1"
                              << "/data/dl/" << QStringList{};
    // The folder short of space is put back; the unrelated edit is kept and saved.
    QTest::newRow("yes, low space") << false << 1 << "/low/new/" << int(SaveQuestionResult::PartlySaved) << "0"
                                    << "/data/dl/" << QStringList{"DiskSpace is low.", "Save successful."};
}

void TestMainWindow::leavingSettingsAsks()
{
    QFETCH(bool, toLog);
    QFETCH(int, answer);
    QFETCH(QString, download);
    QFETCH(int, result);
    QFETCH(QString, storedClipSize);
    QFETCH(QString, storedDownload);
    QFETCH(QStringList, notices);

    Store({"0", "/data/snap/", "1", "/data/clip/", "1", "/data/dl/"});
    CPromptScript script(answer);
    CVarpenMainWnd window;
    window.OnBtnClicekdConfig();
    CSettingsWidget* page = window.SettingsPage();
    page->ComboOf(CSettingsManager::ClipPackageSize)->setCurrentIndex(0);
    SetPath(page, CSettingsManager::DownloadSavePath, download);

    if (toLog)
        QTest::mouseClick(window.Form().pBtnViewLog, Qt::LeftButton);
    else
        QTest::mouseClick(window.Form().pBtnPlayBack, Qt::LeftButton);

    QCOMPARE(script.Texts(CPrompt::Question), QStringList{QStringLiteral("Save new settings?")});
    QCOMPARE(script.Prompts().first().title, QStringLiteral("Information"));
    QCOMPARE(int(window.LastSaveQuestion()), result);
    QCOMPARE(window.Stack()->currentIndex(), toLog ? 1 : 0);
    QCOMPARE(StoredValue(CSettingsManager::ClipPackageSize), storedClipSize);
    QCOMPARE(StoredValue(CSettingsManager::DownloadSavePath), storedDownload);
    QCOMPARE(script.Texts(CPrompt::Notice), notices);
    QCOMPARE(QFile::exists(SettingsPath()), storedClipSize == QLatin1String("0"));
    // Whatever the answer, the page shows what is stored: nothing is asked a second time.
    QVERIFY(!page->IsSettingsChanged());
    window.OnBtnClicekdConfig();
    window.OnBtnClickedPlayBack();
    QCOMPARE(script.Count(CPrompt::Question), 1);
}

void TestMainWindow::settingsTabAndAboutAskNothing()
{
    Store({"0", "/data/snap/", "1", "/data/clip/", "1", "/data/dl/"});
    CPromptScript script(0);
    CVarpenMainWnd window;
    window.OnBtnClicekdConfig();
    window.SettingsPage()->ComboOf(CSettingsManager::CaptureSaveType)->setCurrentIndex(1);

    QTest::mouseClick(window.Form().pBtnConfig, Qt::LeftButton);
    QTest::mouseClick(window.Form().pBtnAbout, Qt::LeftButton);
    QCOMPARE(script.Count(CPrompt::Question), 0);
    // The about box ran modally over the window; the settings page and its edit stay.
    QCOMPARE(script.Count(CPrompt::Exec), 1);
    QCOMPARE(script.Prompts().first().className, QStringLiteral("CDlgAbout"));
    QCOMPARE(window.Stack()->currentIndex(), 2);
    QVERIFY(LooksChosen(window.Form().pBtnConfig));
    QVERIFY(!LooksChosen(window.Form().pBtnAbout));
    QVERIFY(window.SettingsPage()->IsSettingsChanged());
}

// The playback page's wait overlay is a window of its own over the channel tree: it hides when
// another tab is chosen, comes back with the playback tab only while the page's scan flag is set,
// and follows the main window's moves only while the playback page is shown. A folder without
// recordings keeps the flag set (the overlay says that the disk holds no channel); a folder with
// recordings clears it when the scan ends.
void TestMainWindow::overlayFollowsTabsAndMoves_data()
{
    QTest::addColumn<bool>("empty");
    QTest::newRow("disk without channels") << true;
    QTest::newRow("scan ended") << false;
}

void TestMainWindow::overlayFollowsTabsAndMoves()
{
    QFETCH(bool, empty);
    QTemporaryDir emptyFolder;
    const QString sample = qEnvironmentVariable("VARPEN_BUILD_DIR") + QStringLiteral("/samples/test/month");
    // Offered disks come after the machine's own; the first of them is chosen for the first scan.
    qputenv("VARPEN_EXTRA_DISKS", (empty ? emptyFolder.path() : sample).toUtf8());
    CPromptScript script(0);
    CVarpenMainWnd window;
    qputenv("VARPEN_EXTRA_DISKS", QByteArray());
    window.move(40, 30);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.AfterShow();
    CPlayBackWidget* page = window.PlayBackPage();
    QCOMPARE(page->Form().m_pComboBoxDisk->CurrentDiskNumber(), qint64(1000));
    QWidget* overlay = page->ChaseOverlay();
    QVERIFY(overlay);
    if (empty)
        QTRY_VERIFY_WITH_TIMEOUT(overlay->isVisible() && page->IsDiskSearchRunning(), 30000);
    else
        QTRY_VERIFY_WITH_TIMEOUT(!page->IsDiskSearchRunning() && page->ChannelModel()->rowCount() > 0, 30000);

    QTest::mouseClick(window.Form().pBtnViewLog, Qt::LeftButton);
    QVERIFY(!overlay->isVisible());
    // Moves while the log page is shown leave the overlay where it is.
    const QPoint before = overlay->pos();
    window.move(window.pos() + QPoint(30, 20));
    QTRY_COMPARE(window.pos(), QPoint(70, 50));
    QCOMPARE(overlay->pos(), before);

    QTest::mouseClick(window.Form().pBtnPlayBack, Qt::LeftButton);
    QCOMPARE(overlay->isVisible(), empty);
    if (!empty)
        return;
    // Shown again over the tree, it follows the window.
    const QPoint tree = page->Form().m_pPlayBackTreeView->mapToGlobal(QPoint(20, 20));
    QTRY_COMPARE(overlay->pos(), tree);
    window.move(window.pos() + QPoint(-25, 15));
    QTRY_COMPARE(overlay->pos(), tree + QPoint(-25, 15));
}

// The station starts on the first offered disk: the log page starts on that disk too, not on the
// machine's own first disk, and its search lists that disk's device log.
void TestMainWindow::logPageStartsOnTheOpenedDisk()
{
    // A machine with a disk of its own, listed before the offered ones.
    QTemporaryDir machine;
    const QString sda = machine.filePath(QStringLiteral("sys/block/sda"));
    QVERIFY(QDir().mkpath(sda + QStringLiteral("/device")));
    const auto write = [](const QString& path, const QByteArray& text) {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
    };
    QVERIFY(write(sda + QStringLiteral("/size"), "1000\n"));
    QVERIFY(write(sda + QStringLiteral("/dev"), "8:0\n"));
    QVERIFY(write(machine.filePath(QStringLiteral("mountinfo")), QByteArray()));
    Sys_SetDiskRoots(machine.filePath(QStringLiteral("sys")).toUtf8().constData(),
                     machine.filePath(QStringLiteral("mountinfo")).toUtf8().constData());
    // 300 device-log records from 2024-01-30 00:00 on, over two days.
    const QString image = qEnvironmentVariable("VARPEN_BUILD_DIR") + QStringLiteral("/samples/test/disk-plain.img");
    QVERIFY2(QFile::exists(image), qPrintable(image));
    qputenv("VARPEN_EXTRA_DISKS", image.toUtf8());
    const auto restore = qScopeGuard([] {
        qputenv("VARPEN_EXTRA_DISKS", QByteArray());
        Sys_SetDiskRoots(nullptr, nullptr);
    });

    CPromptScript script(0);
    script.Then([](const CPrompt& p) { return p.className == "CLogSearchProgress" ? CPromptHook::kRunModal : 0; });
    CVarpenMainWnd window;
    const CDiskTreeBox* playbackBox = window.PlayBackPage()->Form().m_pComboBoxDisk;
    const CDiskTreeBox* logBox = window.LogPage()->Form().m_pDiskcomboBox;
    QCOMPARE(logBox->count(), 2);
    QCOMPARE(logBox->CurrentDiskNumber(), qint64(0));
    window.AfterShow();
    QCOMPARE(playbackBox->CurrentDiskNumber(), qint64(1000));
    QCOMPARE(logBox->CurrentDiskNumber(), qint64(1000));
    QVERIFY(logBox->CurrentIsDisk());

    QTest::mouseClick(window.Form().pBtnViewLog, Qt::LeftButton);
    const Ui::CLogWidgetClass& log = window.LogPage()->Form();
    log.m_pLogStartDateTimeEdit->setDateTime(QDateTime(QDate(2024, 1, 30), QTime(0, 0, 0)));
    log.m_pLogStopDateTimeEdit->setDateTime(QDateTime(QDate(2024, 1, 31), QTime(23, 59, 59)));
    QTest::mouseClick(log.m_pLogSearchBtn, Qt::LeftButton);
    QCOMPARE(script.Count(CPrompt::Exec), 1);
    QCOMPARE(log.m_pLogTreeView->RowCount(), 300);
    const QModelIndex first = log.m_pLogTreeView->model()->index(0, LogColumnTime);
    QCOMPARE(first.data().toString(), QStringLiteral("2024-01-30 00:00:00"));
}

void TestMainWindow::closeDeclinedKeepsEverything()
{
    CPromptScript script(0);
    CVarpenMainWnd window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(!window.close());
    QCOMPARE(script.Texts(CPrompt::Question), QStringList{QStringLiteral("Sure to close software")});
    QCOMPARE(script.Prompts().first().title, QStringLiteral("Confirm"));
    QVERIFY(window.isVisible());
    QVERIFY(window.PlayBackPage());
    QVERIFY(window.LogPage());
    QVERIFY(window.SettingsPage());
    // The tabs still work.
    QTest::mouseClick(window.Form().pBtnViewLog, Qt::LeftButton);
    QCOMPARE(window.Stack()->currentIndex(), 1);
}

void TestMainWindow::closeConfirmedDestroysPagesAndQuits()
{
    CPromptScript script(1);
    CVarpenMainWnd window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QPointer<QWidget> pages[3] = {window.PlayBackPage(), window.LogPage(), window.SettingsPage()};

    // As in the program: the close comes while the application's event loop runs, and the
    // queued quit ends it.
    QTimer::singleShot(0, &window, [&window] { window.close(); });
    QTimer fallback;
    fallback.setSingleShot(true);
    connect(&fallback, &QTimer::timeout, qApp, [] { QCoreApplication::exit(2); });
    fallback.start(60000);
    QCOMPARE(QApplication::exec(), 0);

    QCOMPARE(script.Texts(CPrompt::Question), QStringList{QStringLiteral("Sure to close software")});
    QVERIFY(!window.isVisible());
    for (const QPointer<QWidget>& page : pages)
        QVERIFY(page.isNull());
    QVERIFY(!window.PlayBackPage());
    QVERIFY(!window.SettingsPage());
    // The tabs and moves of a closed window reach no page.
    window.OnBtnClicekdConfig();
    window.OnBtnClickedPlayBack();
    window.move(window.pos() + QPoint(5, 5));
}

void TestMainWindow::closeFromSettingsAsksSaveFirst()
{
    Store({"0", "/data/snap/", "1", "/data/clip/", "1", "/data/dl/"});
    {  // Unchanged: only the close question.
        CPromptScript script(0);
        CVarpenMainWnd window;
        window.OnBtnClicekdConfig();
        QVERIFY(!window.close());
        QCOMPARE(script.Texts(CPrompt::Question), QStringList{QStringLiteral("Sure to close software")});
    }
    {  // Changed: "Save new settings?" answered yes saves, then the close is declined.
        CPromptScript script(0);
        script.Then(1).Then(0);
        CVarpenMainWnd window;
        window.OnBtnClicekdConfig();
        window.SettingsPage()->ComboOf(CSettingsManager::CaptureSaveType)->setCurrentIndex(1);
        QVERIFY(!window.close());
        QCOMPARE(script.Texts(CPrompt::Question),
                 (QStringList{QStringLiteral("Save new settings?"), QStringLiteral("Sure to close software")}));
        QCOMPARE(StoredValue(CSettingsManager::CaptureSaveType), QStringLiteral("1"));
        QVERIFY(QFile::exists(SettingsPath()));
        QVERIFY(window.SettingsPage());
        QCOMPARE(window.Stack()->currentIndex(), 2);
    }
}

// The station is closed while the playback page's disk scan and the log page's search are both
// held inside a read. Every worker is told to stop before any page waits for one (the log search
// is told before the playback page waits for its scan), each ends at its next check without
// reading on, and no thread is left. (Run last: the close queues the application's quit.)
void TestMainWindow::closeStopsEveryWorkerFirst()
{
    const QString image = qEnvironmentVariable("VARPEN_BUILD_DIR") + QStringLiteral("/samples/test/disk-plain.img");
    QVERIFY2(QFile::exists(image), qPrintable(image));
    qputenv("VARPEN_EXTRA_DISKS", image.toUtf8());
    const auto restore = qScopeGuard([] { qputenv("VARPEN_EXTRA_DISKS", QByteArray()); });

    WorkerLatch scan(WorkerHooks::Point::DiskScanRead);
    WorkerLatch read(WorkerHooks::Point::LogSearchRead);
    CPromptScript script(1);  // "Sure to close software": yes
    script.Then([](const CPrompt& p) { return p.className == "CLogSearchProgress" ? CPromptHook::kRunModal : 1; });
    CVarpenMainWnd window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.AfterShow();
    QVERIFY(scan.WaitHeld());
    QPointer<CSearchDiskThread> scanThread = window.PlayBackPage()->DiskSearcher();
    CLocalLogWidget* logPage = window.LogPage();
    QPointer<CLogSearch> search = logPage->Search();
    CLogSearch* searchThread = search.data();
    QPointer<QWidget> pages[3] = {window.PlayBackPage(), window.LogPage(), window.SettingsPage()};

    // Off the GUI thread, which is busy closing: the log search must be told to stop while the
    // scan is still held; then it is let go and must end without another read; then the scan.
    std::atomic<bool> told{false};
    std::atomic<bool> ended{false};
    std::thread helper([&] {
        if (!read.WaitHeld())
            return scan.Open();
        for (int i = 0; i < 4000 && !told; ++i) {
            told = searchThread->StopAsked();
            if (!told)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        read.Open();
        ended = searchThread->wait(20000);
        scan.Open();
    });

    // As in the program: the search runs under its progress dialog inside the application's event
    // loop, and the close comes meanwhile.
    QTimer close;
    close.setInterval(5);
    connect(&close, &QTimer::timeout, &window, [&] {
        if (read.Held() == 1) {
            close.stop();
            window.close();
        }
    });
    QTimer::singleShot(0, logPage, [logPage, &close] {
        close.start();
        logPage->QueryLocalLog();
    });
    QTimer fallback;
    fallback.setSingleShot(true);
    connect(&fallback, &QTimer::timeout, qApp, [] { QCoreApplication::exit(2); });
    fallback.start(120000);
    const int result = QApplication::exec();
    helper.join();

    QCOMPARE(result, 0);
    QVERIFY(told);
    QVERIFY(ended);
    QCOMPARE(read.Arrivals(), 1);
    QCOMPARE(scan.Arrivals(), 1);
    QVERIFY(!scan.TimedOut() && !read.TimedOut());
    QVERIFY(scanThread.isNull());
    QVERIFY(search.isNull());
    for (const QPointer<QWidget>& page : pages)
        QVERIFY(page.isNull());
}

// The close is confirmed while the playback page's disk scan and the log page's search are both
// held inside a read: the close returns with both still held (it waited for neither), the window
// hidden and every page still there. Let go, each worker ends at its next check without reading
// on, the pages go, the quit comes, and every thread the pages handed over has been joined.
void TestMainWindow::closeWaitsForNoWorker()
{
    const QString image = qEnvironmentVariable("VARPEN_BUILD_DIR") + QStringLiteral("/samples/test/disk-plain.img");
    QVERIFY2(QFile::exists(image), qPrintable(image));
    qputenv("VARPEN_EXTRA_DISKS", image.toUtf8());
    const auto restore = qScopeGuard([] { qputenv("VARPEN_EXTRA_DISKS", QByteArray()); });

    WorkerLatch scan(WorkerHooks::Point::DiskScanRead);
    WorkerLatch read(WorkerHooks::Point::LogSearchRead);
    CPromptScript script(1);  // "Sure to close software": yes
    script.Then([](const CPrompt& p) { return p.className == "CLogSearchProgress" ? CPromptHook::kRunModal : 1; });
    CVarpenMainWnd window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.AfterShow();
    QVERIFY(scan.WaitHeld());
    QPointer<CSearchDiskThread> scanThread = window.PlayBackPage()->DiskSearcher();
    CLocalLogWidget* logPage = window.LogPage();
    QPointer<CLogSearch> search = logPage->Search();
    const void* owners[2] = {window.PlayBackPage(), logPage};
    QPointer<QWidget> pages[3] = {window.PlayBackPage(), window.LogPage(), window.SettingsPage()};

    // As in the program: the log search runs under its progress dialog inside the application's
    // event loop, and the close comes meanwhile.
    bool closed = false;
    int heldAfterClose = 0;
    bool pagesAfterClose = false;
    QTimer close;
    close.setInterval(5);
    connect(&close, &QTimer::timeout, &window, [&] {
        if (read.Held() != 1)
            return;
        close.stop();
        closed = window.close();
        heldAfterClose = scan.Held() + read.Held();
        pagesAfterClose = !pages[0].isNull() && !pages[1].isNull() && !pages[2].isNull();
        read.Open();
        scan.Open();
    });
    QTimer::singleShot(0, logPage, [logPage, &close] {
        close.start();
        logPage->QueryLocalLog();
    });
    QTimer fallback;
    fallback.setSingleShot(true);
    connect(&fallback, &QTimer::timeout, qApp, [] { QCoreApplication::exit(2); });
    fallback.start(120000);
    QCOMPARE(QApplication::exec(), 0);

    QVERIFY(closed);
    QCOMPARE(heldAfterClose, 2);
    QVERIFY(pagesAfterClose);
    QVERIFY(!scan.TimedOut() && !read.TimedOut());
    QVERIFY(!window.isVisible());
    QVERIFY(window.IsClosing());
    // Each ended at its next check.
    QCOMPARE(scan.Arrivals(), 1);
    QCOMPARE(read.Arrivals(), 1);
    for (const QPointer<QWidget>& page : pages)
        QVERIFY(page.isNull());
    QVERIFY(scanThread.isNull());
    QVERIFY(search.isNull());
    for (const void* owner : owners)
        QCOMPARE(Varpen::CWorkerReaper::Instance().Kept(owner), 0);
    // What is left on the reaper (the rows of the list, a player's last command) ends as at the
    // program's exit.
    Varpen::CWorkerReaper::Instance().JoinAll();
    QCOMPARE(Varpen::CWorkerReaper::Instance().Running(), 0);
}

QTEST_MAIN(TestMainWindow)
#include "tst_main_window.moc"
