// How long the station leaves its operator without an answer: the real main window with its
// playback and log pages (offscreen) on generated recordings and on damaged and slow ones. While
// each case runs, a 5 ms timer measures how late the GUI thread's event loop runs (CLoopLag: a
// shot held up by L ms also counts the shots it skipped, so a freeze weighs by its length).
//
// The cases, each driven through the pages' own operations and widgets, modal prompts answered
// through the kit's prompt seam:
//   play_1_<kind>, play_16_sync_<kind>  a click on the time line that plays window 1 alone, and
//       the same click with synchronous playback over 16 windows, on folders whose segment files
//       are all empty, all FIFOs that no one writes, all unreadable (mode 000, refused to root
//       too through the file layer's seam); the case ends when every window plays or has said why
//       it cannot
//   seek_16_sync, speed_steps_16, frame_back_16  16 windows playing in step: a click at another
//       time, the speed through every level, five frames back
//   download_missing, download_slow  the download dialog's start on files that are missing, and
//       on a disk whose every read takes the slow-disk delay; ends when the job has ended, has
//       failed, or moves data
//   disk_change_slow_scan, month_change_slow_scan  another disk, another month, while the scan of
//       a slow disk runs; ends when the new scan has reported
//   search_cancel_slow  "Search" on 16 channels of a slow disk, cancelled 300 ms later
//   log_export_1m  the export of 1,000,000 listed device-log rows (the listing itself is setup)
//   close_busy  the title bar's close, confirmed, while 16 windows play in step on the slow disk,
//       window 1 records a clip, window 2 downloads and the day check of a channel runs; ends
//       when the pages have gone. Afterwards what they handed to the reaper is joined, and the
//       output folder is checked for files left half written
// Every case is capped (--cap-s, 120 s): a case that reaches its cap is reported as such and the
// next one runs. A GUI thread that does not come back at all within the cap and two minutes more
// ends the run with what was measured.
//
// Output: "case NAME worst_ms W p99_ms P" per case as it ends ("note NAME ..." lines say what
// else happened), then "aim NAME value worst_ms=W,p99_ms=P goal worst_ms<50,p99_ms<16 met yes|no".
//
// bench_gui_latency [--cap-s S] [--delay-ms D] [--cases NAME,...] (D: the slow disk's delay per
// read, 200 by default; --cases runs the cases whose names hold one of the texts).
#include <QAbstractItemModel>
#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "app/LoopLag.h"
#include "app/SettingsManager.h"
#include "app/WorkerReaper.h"
#include "devicelog/LocalLogWidget.h"
#include "devicelog/LogBackup.h"
#include "engine/PlayBackInteraction.h"
#include "mainwindow/CWindowTitle.h"
#include "mainwindow/SettingsPage.h"
#include "mainwindow/VarpenMainWnd.h"
#include "platform/diskrec/DiskImageWriter.h"
#include "platform/rtk/rtk_test.h"
#include "playback/PlayBackWidget.h"
#include "playback/PlaybackDownLoad.h"
#include "playback/PlaybackWnd.h"
#include "timeline/TimeSegment.h"
#include "widgets/CDiskTreeBox.h"
#include "widgets/CGroupTreeView.h"
#include "widgets/CPathComboBox.h"
#include "widgets/CPushButton.h"
#include "widgets/CTableView.h"
#include "widgets/CalendarWidget.h"
#include "widgets/DateTimeEdit.h"
#include "widgets/PromptHook.h"

namespace {

constexpr double kAimWorst_ms = 50;
constexpr double kAimP99_ms = 16;
constexpr int kWindows = 16;
constexpr int kLogRows = 1000000;
constexpr int kTail_ms = 500;  // measured after a case's end, for what follows from it
constexpr int kSettle_ms = 50;  // after a case's setup, before its measure starts
constexpr int kSetup_ms = 180000;

// The disks offered to the station, in the order of VARPEN_EXTRA_DISKS (numbered from 1000).
enum Disk : unsigned { kGood = 1000, kEmpty, kFifo, kUnreadable, kMissing, kLogs };
const char* const kDiskNames[] = {"good", "empty", "fifo", "unreadable", "missing", "logs.img"};

void Say(const QString& line)
{
    std::printf("%s\n", line.toLocal8Bit().constData());
    std::fflush(stdout);
}

// Ends the process when the GUI thread's event loop has not run for too long: a case that froze
// the loop for good would otherwise hold the run for ever. A timer of the loop pets it.
class Watchdog {
public:
    explicit Watchdog(int limit_ms) : m_limit_ms(limit_ms), m_thread([this] { Run(); })
    {
        m_pet.setInterval(1000);
        QObject::connect(&m_pet, &QTimer::timeout, [this] { Pet(); });
        m_pet.start();
    }
    ~Watchdog()
    {
        {
            std::lock_guard<std::mutex> lock(m_lock);
            m_stop = true;
        }
        m_wake.notify_all();
        m_thread.join();
    }
    // What runs now, for the last word.
    void SetLabel(const QString& what)
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_last = std::chrono::steady_clock::now();
        m_what = what;
    }

private:
    void Pet()
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_last = std::chrono::steady_clock::now();
    }

    void Run()
    {
        std::unique_lock<std::mutex> lock(m_lock);
        while (!m_stop) {
            m_wake.wait_for(lock, std::chrono::seconds(1));
            const auto quiet = std::chrono::steady_clock::now() - m_last;
            if (!m_stop && quiet > std::chrono::milliseconds(m_limit_ms)) {
                std::printf("note %s the GUI thread has not come back for %d s: the run ends here\n",
                            m_what.toLocal8Bit().constData(), m_limit_ms / 1000);
                std::fflush(stdout);
                std::_Exit(2);
            }
        }
    }

    const int m_limit_ms;
    std::mutex m_lock;
    std::condition_variable m_wake;
    bool m_stop = false;
    std::chrono::steady_clock::time_point m_last = std::chrono::steady_clock::now();
    QString m_what = QStringLiteral("setup");
    std::thread m_thread;
    QTimer m_pet;
};

struct Result {
    QString name;
    CLoopLag::Figures lag;
};

// Runs the event loop until `done` holds (polled every 10 ms) or `timeout_ms` has passed.
bool WaitUntil(const std::function<bool()>& done, int timeout_ms)
{
    if (done())
        return true;
    QEventLoop loop;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    QTimer::singleShot(timeout_ms, &loop, &QEventLoop::quit);
    poll.start();
    loop.exec();
    return done();
}

void Spin(int ms)
{
    WaitUntil([] { return false; }, ms);
}

// Runs the sample tool to its end (at most 10 minutes), the event loop running meanwhile.
bool RunTool(const QStringList& args)
{
    QProcess tool;
    tool.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    tool.start(QCoreApplication::applicationDirPath() + QStringLiteral("/varpen-sample"), args);
    if (!WaitUntil([&tool] { return tool.state() == QProcess::NotRunning; }, 600000)) {
        tool.kill();
        tool.waitForFinished();
        return false;
    }
    return tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0;
}

QList<QModelIndex> Channels(const QAbstractItemModel* model, const QModelIndex& parent = {})
{
    QList<QModelIndex> leaves;
    for (int row = 0; row < model->rowCount(parent); ++row) {
        const QModelIndex index = model->index(row, 0, parent);
        if (model->rowCount(index) > 0)
            leaves += Channels(model, index);
        else
            leaves << index;
    }
    return leaves;
}

class Bench {
public:
    Bench(const QString& root, int cap_ms, int delay_ms, const QStringList& only)
        : m_root(root), m_cap_ms(cap_ms), m_delay_ms(delay_ms), m_only(only), m_watchdog(cap_ms + 120000)
    {
    }

    bool Prepare();
    void Run();

private:
    CPlayBackWidget* Page() const { return m_window ? m_window->PlayBackPage() : nullptr; }
    QString DiskPath(unsigned disk) const
    {
        return m_root + QLatin1Char('/') + QLatin1String(kDiskNames[disk - kGood]);
    }
    bool Wanted(const QString& name) const;
    int Answer(const CPrompt& prompt);
    int NoticesSince(int mark, const QString& text = {}) const;

    // Runs one measured case: `trigger` does what the operator does, then the loop runs until
    // `done` holds (or the cap), then for the tail.
    void Case(const QString& name, const std::function<bool()>& setup, const std::function<void()>& trigger,
              const std::function<bool()>& done);
    void Skip(const QString& name, const QString& why);

    bool ChooseDisk(unsigned disk, bool wait = true);
    bool ScanDone() const;
    bool Search(int channels);
    bool SetSync(bool on);
    // A window plays (and shows a time) or has stopped with an error.
    bool Settled(int window) const;
    int Playing() const;
    bool PlayAll();
    CPlaybackDownLoad* OpenDownload(int window);
    void StopDownload(CPlaybackDownLoad* dialog);

    void PlayCases();
    void SyncCases();
    void DownloadCases();
    void ScanCases();
    void SearchCancelCase();
    void LogExportCase();
    void CloseCase();

    QString m_root;
    int m_cap_ms;
    int m_delay_ms;
    QStringList m_only;
    Watchdog m_watchdog;
    std::unique_ptr<CVarpenMainWnd> m_window;
    std::vector<Result> m_results;
    struct Seen {
        CPrompt prompt;
        qint64 at_ms;
    };
    QList<Seen> m_prompts;
    QElapsedTimer m_clock;
    std::function<void(const CPrompt&)> m_onChase;  // a case's wish for the next wait dialog
    QString m_exportPath;
    QDate m_day;
    time_t m_firstRecording = 0;
    qint64 m_logFirst = 0;
};

bool Bench::Wanted(const QString& name) const
{
    if (m_only.isEmpty())
        return true;
    for (const QString& part : m_only)
        if (name.contains(part))
            return true;
    return false;
}

int Bench::Answer(const CPrompt& prompt)
{
    m_prompts.append({prompt, m_clock.elapsed()});
    if (prompt.kind == CPrompt::Notice)
        return 0;
    if (prompt.className == QLatin1String("ChaseDialog")) {
        if (m_onChase)
            std::exchange(m_onChase, {})(prompt);
        return CPromptHook::kRunModal;
    }
    // The download table's filling, the log search: each closes itself.
    if (prompt.className == QLatin1String("CProgress") || prompt.className == QLatin1String("CLogSearchProgress"))
        return CPromptHook::kRunModal;
    if (prompt.className == QLatin1String("CLogBackup")) {
        auto* backup = qobject_cast<CLogBackup*>(prompt.dialog.data());
        if (backup) {
            backup->PathBox()->clear();
            backup->PathBox()->addItem(m_exportPath);
            backup->OnAccepted();
        }
        return 0;
    }
    // Questions ("Sure to close software", replace the file, stop playback) are answered yes,
    // warnings closed.
    return 1;
}

int Bench::NoticesSince(int mark, const QString& text) const
{
    int n = 0;
    for (int i = mark; i < m_prompts.size(); ++i)
        if (m_prompts[i].prompt.kind != CPrompt::Exec && (text.isEmpty() || m_prompts[i].prompt.text == text))
            ++n;
    return n;
}

bool Bench::Prepare()
{
    m_clock.start();
    m_day = QDate::currentDate();
    const QString day = m_day.toString(Qt::ISODate);
    const QStringList small = {QStringLiteral("--channels"),
                               QString::number(kWindows),
                               QStringLiteral("--days"),
                               QStringLiteral("1"),
                               QStringLiteral("--start-date"),
                               day,
                               QStringLiteral("--segments-per-day"),
                               QStringLiteral("1"),
                               QStringLiteral("--segment-length"),
                               QStringLiteral("4"),
                               QStringLiteral("--size"),
                               QStringLiteral("176x144"),
                               QStringLiteral("--jobs"),
                               QStringLiteral("4")};
    m_watchdog.SetLabel(QStringLiteral("recordings"));
    if (!RunTool(QStringList{QStringLiteral("folder"), m_root + QStringLiteral("/good"), QStringLiteral("--channels"),
                             QString::number(kWindows), QStringLiteral("--days"), QStringLiteral("1"),
                             QStringLiteral("--start-date"), day, QStringLiteral("--segments-per-day"),
                             QStringLiteral("1"), QStringLiteral("--segment-length"), QStringLiteral("120"),
                             QStringLiteral("--size"), QStringLiteral("352x288"), QStringLiteral("--jobs"),
                             QStringLiteral("4")}))
        return false;
    for (const char* kind : {"empty", "fifo", "unreadable", "missing"})
        if (!RunTool(QStringList{QStringLiteral("folder"), m_root + QLatin1Char('/') + QLatin1String(kind)} + small +
                     QStringList{QStringLiteral("--broken"), QLatin1String(kind)}))
            return false;
    m_firstRecording = QDateTime(m_day, QTime(10, 0, 0)).toSecsSinceEpoch();

    // The device log: 1,000,000 records, one a second, on an image of one short recording.
    m_logFirst = QDateTime(m_day.addDays(-12), QTime(0, 0, 0)).toSecsSinceEpoch();
    {
        diskrec::DiskImageWriter writer;
        diskrec::ImageFile file;
        file.start = m_logFirst;
        file.end = m_logFirst + 1;
        file.data.assign(400, 0);
        writer.AddFile("", file);
        for (const DR_LogRecord& r : diskrec::MakeSampleLogs(kLogRows, m_logFirst, 1))
            writer.AddLog(r);
        std::string error;
        if (!writer.Write((m_root + QStringLiteral("/logs.img")).toStdString(), &error))
            return false;
    }
    m_exportPath = m_root + QStringLiteral("/export/logs");
    QDir().mkpath(m_root + QStringLiteral("/export"));

    // Outputs (clips, downloads) go under the run's folder.
    const QString out = m_root + QStringLiteral("/out/");
    QDir().mkpath(out);
    QFile settings(m_root + QStringLiteral("/config/Settings.xml"));
    QDir().mkpath(m_root + QStringLiteral("/config"));
    if (!settings.open(QIODevice::WriteOnly))
        return false;
    settings.write(QStringLiteral("<?xml version=\"1.0\"?>\n<Settings>\n"
                                  "<CaptureSavePath><Value>%1</Value></CaptureSavePath>\n"
                                  "<ClipSavePath><Value>%1</Value></ClipSavePath>\n"
                                  "<DownloadSavePath><Value>%1</Value></DownloadSavePath>\n"
                                  "</Settings>\n")
                       .arg(out)
                       .toUtf8());
    settings.close();
    CSettingsManager::Instance()->ReadSettings(settings.fileName());
    SettingsPage::SeedDefaults(*CSettingsManager::Instance());

    // As root every file is readable: the file layer refuses those of mode 000 as it would to
    // anyone else.
    rtk_test_SetRefuseUnreadable(true);
    CPromptHook::SetAnswerer([this](const CPrompt& p) { return Answer(p); });

    m_window = std::make_unique<CVarpenMainWnd>();
    m_window->setFixedSize(1250, 750);
    m_window->show();
    m_window->AfterShow();
    m_watchdog.SetLabel(QStringLiteral("first scan"));
    return WaitUntil([this] { return ScanDone() && !Channels(Page()->ChannelModel()).isEmpty(); }, kSetup_ms);
}

void Bench::Case(const QString& name, const std::function<bool()>& setup, const std::function<void()>& trigger,
                 const std::function<bool()>& done)
{
    if (!Wanted(name))
        return;
    m_watchdog.SetLabel(name + QStringLiteral(" (setup)"));
    if (setup && !setup()) {
        Skip(name, QStringLiteral("its setup did not come about"));
        return;
    }
    // What the setup left queued is its own (the first layout of a dialog it opened, 20-40 ms for
    // the download dialog): it runs before the measure starts.
    Spin(kSettle_ms);
    m_watchdog.SetLabel(name);
    CLoopLag lag;
    QElapsedTimer clock;
    // While the trigger runs a modal loop that nobody ends, the cap ends it.
    bool capped = false;
    QTimer cap;
    cap.setSingleShot(true);
    QObject::connect(&cap, &QTimer::timeout, [&capped] {
        capped = true;
        if (QWidget* modal = QApplication::activeModalWidget())
            if (auto* dialog = qobject_cast<QDialog*>(modal))
                dialog->reject();
    });
    lag.Start();
    clock.start();
    cap.start(m_cap_ms);
    trigger();
    const double trigger_ms = clock.nsecsElapsed() / 1e6;
    m_watchdog.SetLabel(name);
    const int left_ms = std::max(0, m_cap_ms - int(clock.elapsed()));
    const bool ended = WaitUntil(done, left_ms);
    const double end_ms = clock.nsecsElapsed() / 1e6;
    cap.stop();
    Spin(kTail_ms);
    lag.Stop();
    const CLoopLag::Figures f = lag.Read();
    m_results.push_back({name, f});
    Say(QStringLiteral("case %1 worst_ms %2 p99_ms %3").arg(name).arg(f.worst_ms, 0, 'f', 1).arg(f.p99_ms, 0, 'f', 1));
    Say(QStringLiteral("note %1 the operation returned after %2 ms, the case ended after %3 ms%4")
            .arg(name)
            .arg(trigger_ms, 0, 'f', 0)
            .arg(end_ms, 0, 'f', 0)
            .arg(ended && !capped && end_ms <= m_cap_ms
                     ? QString()
                     : QStringLiteral(" (hit its cap of %1 s%2)")
                           .arg(m_cap_ms / 1000)
                           .arg(trigger_ms > m_cap_ms ? QStringLiteral(": the GUI thread was held past it")
                                                      : QString())));
    m_watchdog.SetLabel(name + QStringLiteral(" (after)"));
}

void Bench::Skip(const QString& name, const QString& why)
{
    Say(QStringLiteral("note %1 skipped: %2").arg(name, why));
}

bool Bench::ScanDone() const
{
    return Page() && !Page()->IsDiskSearchRunning();
}

bool Bench::ChooseDisk(unsigned disk, bool wait)
{
    CDiskTreeBox* box = Page()->Form().m_pComboBoxDisk;
    if (box->CurrentDiskNumber() == qint64(disk)) {
        // Chosen again: as the operator does by choosing another disk and this one again.
        Page()->ResetDiskTree(box->currentText());
    } else if (!box->SelectEntry(disk, DiskPath(disk) + QLatin1Char('/'))) {
        return false;
    }
    if (!wait)
        return true;
    if (!WaitUntil([this] { return ScanDone(); }, kSetup_ms) || Channels(Page()->ChannelModel()).isEmpty())
        return Say(QStringLiteral("note the scan of %1 listed no channel").arg(DiskPath(disk))), false;
    return true;
}

// Ticks the first `channels` channels and searches today; true when each searched window has bars.
bool Bench::Search(int channels)
{
    CPlayBackWidget* page = Page();
    const QList<QModelIndex> leaves = Channels(page->ChannelModel());
    if (leaves.size() < channels)
        return Say(QStringLiteral("note %1 channels listed").arg(leaves.size())), false;
    for (int i = 0; i < channels; ++i)
        page->ChannelModel()->setData(leaves[i], Qt::Checked, Qt::CheckStateRole);
    // The channels go to the windows from the chosen one on: window 1, as the operator picks it.
    Page()->SelectWindow(0);
    Ui_CPlayBackWidget& ui = page->Form();
    ui.m_pDateTimeEditBeginTime->setDateTime(QDateTime(m_day, QTime(0, 0, 0)));
    ui.m_pDateTimeEditEndTime->setDateTime(QDateTime(m_day, QTime(23, 59, 59)));
    const int mark = int(m_prompts.size());
    ui.m_pSearchBtn->click();
    for (int w = 0; w < channels; ++w) {
        if (Page()->FoundSegments(w).isEmpty()) {
            QStringList said;
            for (int i = mark; i < m_prompts.size(); ++i)
                said << m_prompts[i].prompt.className + QLatin1Char(' ') + m_prompts[i].prompt.text;
            Say(QStringLiteral("note the search found nothing for window %1 (said: %2)")
                    .arg(w + 1)
                    .arg(said.join("; ")));
            return false;
        }
    }
    return true;
}

bool Bench::SetSync(bool on)
{
    if (Page()->IsSynchronous() != on)
        Page()->Form().m_pBtnSyn->click();
    return Page()->IsSynchronous() == on;
}

bool Bench::Settled(int window) const
{
    CPlayBackInteraction* player = Page()->PlayerAt(window);
    if (!player)
        return true;
    const Varpen::PlayState state = player->GetPlayState();
    if (state.IsPlaying())
        return player->GetCurrentTime() > 0;
    return state.error != Varpen::kPlayErrorNone;
}

int Bench::Playing() const
{
    int n = 0;
    for (const auto& [window, player] : Page()->Players())
        n += player->IsPlaying() && player->GetCurrentTime() > 0 ? 1 : 0;
    return n;
}

bool Bench::PlayAll()
{
    Page()->OnStartPlayback(0, m_firstRecording + 1);
    return WaitUntil([this] { return Playing() == kWindows; }, kSetup_ms);
}

CPlaybackDownLoad* Bench::OpenDownload(int window)
{
    Page()->PlayWindow(window)->OnDownLoad();
    CPlaybackDownLoad* dialog = Page()->DownloadDialog(window);
    if (!dialog || !WaitUntil([dialog] { return dialog->FileModel()->rowCount() > 0; }, kSetup_ms))
        return nullptr;
    for (int r = 0; r < dialog->FileModel()->rowCount(); ++r)
        dialog->FileModel()->item(r, 0)->setCheckState(Qt::Checked);
    return dialog;
}

void Bench::StopDownload(CPlaybackDownLoad* dialog)
{
    if (!dialog)
        return;
    if (dialog->Downloader().IsBusy() || dialog->IsJobRunning())
        dialog->Form().m_pStopBtn->click();
    WaitUntil([dialog] { return !dialog->Downloader().IsBusy() && !dialog->IsJobRunning(); }, kSetup_ms);
    dialog->hide();
}

void Bench::PlayCases()
{
    const struct {
        const char* name;
        unsigned disk;
    } kinds[] = {{"empty", kEmpty}, {"fifo", kFifo}, {"unreadable", kUnreadable}};
    for (const auto& kind : kinds) {
        for (const bool sync : {false, true}) {
            const QString name = sync ? QStringLiteral("play_16_sync_%1").arg(QLatin1String(kind.name))
                                      : QStringLiteral("play_1_%1").arg(QLatin1String(kind.name));
            int mark = 0;
            Case(
                name,
                [&] {
                    return ChooseDisk(kind.disk) && Search(kWindows) && SetSync(sync) &&
                           (mark = int(m_prompts.size()), true);
                },
                [&] { Page()->OnStartPlayback(0, m_firstRecording + 1); },
                [&] {
                    for (int w = 0; w < (sync ? kWindows : 1); ++w)
                        if (!Settled(w))
                            return false;
                    return true;
                });
            if (Wanted(name))
                Say(QStringLiteral("note %1 %2 of %3 windows play; %4 notices said")
                        .arg(name)
                        .arg(Playing())
                        .arg(sync ? kWindows : 1)
                        .arg(NoticesSince(mark)));
            if (Page())
                Page()->OnBtnStop();
        }
    }
}

void Bench::SyncCases()
{
    const QStringList names = {QStringLiteral("seek_16_sync"), QStringLiteral("speed_steps_16"),
                               QStringLiteral("frame_back_16")};
    if (std::none_of(names.begin(), names.end(), [this](const QString& n) { return Wanted(n); }))
        return;
    m_watchdog.SetLabel(QStringLiteral("16 windows in step"));
    if (!ChooseDisk(kGood) || !Search(kWindows) || !SetSync(true) || !PlayAll()) {
        for (const QString& n : names)
            Skip(n, QStringLiteral("16 windows did not play in step"));
        return;
    }
    const time_t target = m_firstRecording + 60;
    Case(
        names[0], {}, [&] { Page()->OnStartPlayback(0, target); },
        [&] {
            for (const auto& [window, player] : Page()->Players()) {
                const time_t now = player->GetCurrentTime();
                if (now < target - 1 || now > target + 10)
                    return false;
            }
            return true;
        });
    Case(
        names[1], {},
        [&] {
            for (int level : {1, 2, 3, -1, -2, -3, 0})
                Page()->OnBtnSpeed(level);
        },
        [] { return true; });
    Case(
        names[2], {},
        [&] {
            for (int i = 0; i < 5; ++i)
                Page()->OnBtnBack();
        },
        [] { return true; });
    Page()->OnBtnStop();
}

void Bench::DownloadCases()
{
    CPlaybackDownLoad* dialog = nullptr;
    Case(
        QStringLiteral("download_missing"),
        [&] { return ChooseDisk(kMissing) && Search(kWindows) && (dialog = OpenDownload(0)); },
        [&] { dialog->Form().m_pDownloadBtn->click(); },
        [&] { return !dialog->IsJobRunning() && !dialog->Downloader().IsBusy(); });
    StopDownload(dialog);

    dialog = nullptr;
    Case(
        QStringLiteral("download_slow"),
        [&] {
            const bool ready = ChooseDisk(kGood) && Search(kWindows) && (dialog = OpenDownload(0));
            rtk_test_SetReadDelay(m_delay_ms);
            return ready;
        },
        [&] { dialog->Form().m_pDownloadBtn->click(); },
        [&] {
            return (!dialog->IsJobRunning() && !dialog->Downloader().IsBusy()) ||
                   dialog->Downloader().GetProgress() > 0;
        });
    StopDownload(dialog);
    rtk_test_SetReadDelay(0);
}

void Bench::ScanCases()
{
    const auto slowScanRunning = [this](unsigned disk) {
        rtk_test_SetReadDelay(0);
        if (!ChooseDisk(kEmpty))
            return false;
        rtk_test_SetReadDelay(m_delay_ms);
        ChooseDisk(disk, false);
        Spin(300);
        return Page()->IsDiskSearchRunning();
    };
    Case(
        QStringLiteral("disk_change_slow_scan"), [&] { return slowScanRunning(kGood); },
        [&] { ChooseDisk(kMissing, false); }, [&] { return ScanDone(); });
    rtk_test_SetReadDelay(0);

    CCalendarWidget* calendar = Page()->Form().m_pCalendarWidget;
    Case(
        QStringLiteral("month_change_slow_scan"), [&] { return slowScanRunning(kGood); },
        [&] {
            const QDate before = m_day.addMonths(-1);
            calendar->SetCurrentPage(before.year(), before.month());
        },
        [&] { return ScanDone(); });
    rtk_test_SetReadDelay(0);
    calendar->SetCurrentPage(m_day.year(), m_day.month());
    WaitUntil([this] { return ScanDone(); }, kSetup_ms);
}

void Bench::SearchCancelCase()
{
    Case(
        QStringLiteral("search_cancel_slow"),
        [&] {
            if (!ChooseDisk(kGood))
                return false;
            const QList<QModelIndex> leaves = Channels(Page()->ChannelModel());
            for (int i = 0; i < kWindows && i < leaves.size(); ++i)
                Page()->ChannelModel()->setData(leaves[i], Qt::Checked, Qt::CheckStateRole);
            Ui_CPlayBackWidget& ui = Page()->Form();
            ui.m_pDateTimeEditBeginTime->setDateTime(QDateTime(m_day, QTime(0, 0, 0)));
            ui.m_pDateTimeEditEndTime->setDateTime(QDateTime(m_day, QTime(23, 59, 59)));
            Page()->SelectWindow(0);
            rtk_test_SetReadDelay(m_delay_ms);
            m_onChase = [](const CPrompt& p) {
                QPointer<QWidget> dialog = p.dialog;
                QTimer::singleShot(300, [dialog] {
                    if (auto* chase = qobject_cast<CBaseDialog*>(dialog.data()); chase && chase->CancelButton())
                        chase->CancelButton()->click();
                });
            };
            return true;
        },
        [&] { Page()->Form().m_pSearchBtn->click(); }, [] { return true; });
    m_onChase = {};
    rtk_test_SetReadDelay(0);
}

void Bench::LogExportCase()
{
    CLocalLogWidget* log = m_window->LogPage();
    int mark = 0;
    Case(
        QStringLiteral("log_export_1m"),
        [&] {
            m_window->Form().pBtnViewLog->click();
            const Ui::CLogWidgetClass& ui = log->Form();
            if (!ui.m_pDiskcomboBox->SelectEntry(kLogs))
                return false;
            ui.m_pLogStartDateTimeEdit->setDateTime(QDateTime::fromSecsSinceEpoch(m_logFirst));
            ui.m_pLogStopDateTimeEdit->setDateTime(QDateTime::fromSecsSinceEpoch(m_logFirst).addDays(29));
            log->QueryLocalLog();
            WaitUntil([&] { return ui.m_pLogTreeView->RowCount() >= kLogRows; }, 600000);
            mark = int(m_prompts.size());
            Say(QStringLiteral("note log_export_1m %1 rows listed").arg(ui.m_pLogTreeView->RowCount()));
            return ui.m_pLogTreeView->RowCount() >= kLogRows;
        },
        [&] { log->OnBackupClicked(); },
        [&] {
            return NoticesSince(mark, QStringLiteral("Backup successful.")) +
                       NoticesSince(mark, QStringLiteral("Backup Failed.")) >
                   0;
        });
    if (Wanted(QStringLiteral("log_export_1m"))) {
        Say(QStringLiteral("note log_export_1m %1 bytes written").arg(QFileInfo(m_exportPath + ".xml").size()));
        log->Form().m_pLogTreeView->ClearAll();
    }
    m_window->Form().pBtnPlayBack->click();
}

void Bench::CloseCase()
{
    Case(
        QStringLiteral("close_busy"),
        [&] {
            if (!ChooseDisk(kGood) || !Search(kWindows) || !SetSync(true) || !PlayAll())
                return false;
            Page()->PlayWindow(0)->OnRecord();
            CPlaybackDownLoad* dialog = OpenDownload(1);
            if (!dialog)
                return false;
            dialog->Form().m_pDownloadBtn->click();
            // The day check of a channel.
            CGroupTreeView* tree = Page()->Form().m_pPlayBackTreeView;
            tree->setCurrentIndex(Channels(Page()->ChannelModel()).value(2));
            rtk_test_SetReadDelay(m_delay_ms);
            const bool busy = Page()->PlayerAt(0)->IsClipping() && dialog->IsJobRunning();
            Say(QStringLiteral("note close_busy %1 windows play, clip %2, download %3")
                    .arg(Playing())
                    .arg(Page()->PlayerAt(0)->IsClipping() ? "on" : "off")
                    .arg(dialog->IsJobRunning() ? "running" : "not running"));
            return busy;
        },
        [&] { m_window->Title()->CloseButton()->click(); }, [&] { return !Page(); });
    rtk_test_SetReadDelay(0);
    if (!Wanted(QStringLiteral("close_busy")))
        return;
    // What the pages handed over ends as at the program's exit; then no clip or download may be
    // left half written (a file is written under a hidden ".part" name and moved when complete).
    const int running = Varpen::CWorkerReaper::Instance().Running();
    QElapsedTimer joins;
    joins.start();
    Varpen::CWorkerReaper::Instance().JoinAll();
    const qint64 joins_ms = joins.elapsed();
    int written = 0;
    int partial = 0;
    QDirIterator it(m_root + QStringLiteral("/out"), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        ++(it.fileName().endsWith(QLatin1String(".part")) ? partial : written);
    }
    Say(QStringLiteral("note close_busy %1 handed-over pieces still running after the case, joined in %2 ms; "
                       "the output folder holds %3 files, %4 of them half written")
            .arg(running)
            .arg(joins_ms)
            .arg(written)
            .arg(partial));
}

void Bench::Run()
{
    PlayCases();
    SyncCases();
    DownloadCases();
    ScanCases();
    SearchCancelCase();
    LogExportCase();
    CloseCase();
    for (const Result& r : m_results) {
        const bool met = r.lag.worst_ms < kAimWorst_ms && r.lag.p99_ms < kAimP99_ms;
        Say(QStringLiteral("aim %1 value worst_ms=%2,p99_ms=%3 goal worst_ms<%4,p99_ms<%5 met %6")
                .arg(r.name)
                .arg(r.lag.worst_ms, 0, 'f', 1)
                .arg(r.lag.p99_ms, 0, 'f', 1)
                .arg(kAimWorst_ms)
                .arg(kAimP99_ms)
                .arg(met ? "yes" : "no"));
    }
    CPromptHook::SetAnswerer({});
    m_window.reset();
}

}  // namespace

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir dir;
    const QString root = dir.path();
    QStringList disks;
    for (const char* name : kDiskNames)
        disks << root + QLatin1Char('/') + QLatin1String(name);
    qputenv("VARPEN_EXTRA_DISKS", disks.join(QLatin1Char(':')).toUtf8());
    qputenv("VARPEN_CONFIG_DIR", (root + QStringLiteral("/config")).toUtf8());
    QApplication app(argc, argv);
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    const QStringList args = app.arguments();
    const auto value = [&args](const char* option, const QString& fallback) {
        const int at = int(args.indexOf(QLatin1String(option)));
        return at > 0 && at + 1 < args.size() ? args[at + 1] : fallback;
    };
    const int cap_ms = std::max(1, value("--cap-s", QStringLiteral("120")).toInt()) * 1000;
    const int delay_ms = std::max(1, value("--delay-ms", QStringLiteral("200")).toInt());
    const QStringList only = value("--cases", QString()).split(QLatin1Char(','), Qt::SkipEmptyParts);

    Bench bench(root, cap_ms, delay_ms, only);
    if (!bench.Prepare()) {
        Say(QStringLiteral("cannot prepare the recordings and the station"));
        return 1;
    }
    bench.Run();
    return 0;
}
