#include "mainwindow/EntryTestScript.h"

#include "mainwindow/CDlgAbout.h"
#include "mainwindow/CWindowTitle.h"
#include "mainwindow/VarpenMainWnd.h"
#include "engine/PlayBackInteraction.h"
#include "playback/PlayBackWidget.h"
#include "playback/DataDistributionThread.h"
#include "playback/PlaybackDownLoad.h"
#include "playback/PlaybackWnd.h"
#include "platform/vrend/vrend_test.h"
#include "timeline/TimeSegment.h"
#include "widgets/CInformationDlg.h"
#include "widgets/CPushButton.h"
#include "widgets/CTableView.h"
#include "widgets/DateTimeEdit.h"
#include "widgets/CWarnDlg.h"
#include "widgets/CalendarWidget.h"
#include "widgets/PromptHook.h"

#include <QAbstractItemModel>
#include <QDateTime>
#include <QApplication>
#include <QDateTimeEdit>
#include <QStandardItemModel>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QStackedWidget>
#include <QTextBrowser>
#include <QToolButton>
#include <QTreeView>

#include <cstdio>
#include <deque>

namespace {

constexpr int kPoll_ms = 20;
constexpr int kStepTimeout_ms = 90000;
constexpr int kDefaultSearchChannels = 2;

// The texts of the notices and message boxes shown, the last few of them with the count of all,
// so that a step can ask what was said after it acted.
struct SaidTexts {
    static constexpr std::size_t kKept = 64;
    std::deque<QString> last;
    qint64 count = 0;

    void Add(const QString& text)
    {
        last.push_back(text);
        if (last.size() > kKept)
            last.pop_front();
        ++count;
    }
    // The first text said once `mark` texts had been, else empty.
    QString FirstSince(qint64 mark) const
    {
        const qint64 firstKept = count - qint64(last.size());
        if (mark >= count)
            return {};
        return last[std::size_t(std::max(mark, firstKept) - firstKept)];
    }
};

SaidTexts& Said()
{
    static SaidTexts said;
    return said;
}

// Watches every prompt of the kit and lets it run as it would without a watcher: notices show,
// modal boxes run their own loop (and are answered by their buttons, see AnswerModal).
void WatchPrompts()
{
    static const bool watching = [] {
        CPromptHook::SetAnswerer([](const CPrompt& prompt) {
            if (prompt.kind == CPrompt::Notice || prompt.kind == CPrompt::Warn)
                Said().Add(prompt.text);
            return CPromptHook::kRunModal;
        });
        return true;
    }();
    Q_UNUSED(watching);
}

void Say(const QString& line)
{
    std::fprintf(stderr, "varpen: %s\n", line.toLocal8Bit().constData());
    std::fflush(stderr);
}

// The channel items of the tree: the items that hold no further items.
QList<QModelIndex> Leaves(const QAbstractItemModel* model, const QModelIndex& parent = QModelIndex())
{
    QList<QModelIndex> leaves;
    if (!model)
        return leaves;
    for (int row = 0; row < model->rowCount(parent); ++row) {
        const QModelIndex index = model->index(row, 0, parent);
        if (model->rowCount(index) > 0)
            leaves += Leaves(model, index);
        else
            leaves << index;
    }
    return leaves;
}

// Paint events of one widget, counted once a condition holds.
class PaintWatch : public QObject {
public:
    PaintWatch(QWidget* widget, std::function<bool()> condition, std::function<void()> painted)
        : QObject(widget), m_condition(std::move(condition)), m_painted(std::move(painted))
    {
        widget->installEventFilter(this);
        widget->update();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !m_done && m_condition()) {
            m_done = true;
            // Reported once the paint that is about to run has been done.
            QTimer::singleShot(0, watched, m_painted);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<bool()> m_condition;
    std::function<void()> m_painted;
    bool m_done = false;
};

}  // namespace

CEntryTestScript::CEntryTestScript(CVarpenMainWnd* window, const QStringList& steps)
    : QObject(window), m_window(window), m_steps(steps)
{
    m_poll.setInterval(kPoll_ms);
    connect(&m_poll, &QTimer::timeout, this, &CEntryTestScript::Poll);
    m_modal.setInterval(50);
    connect(&m_modal, &QTimer::timeout, this, &CEntryTestScript::AnswerModal);
    m_modal.start();
    WatchPrompts();
    m_lag.Start();
    QTimer::singleShot(0, this, &CEntryTestScript::Next);
}

CEntryTestScript* CEntryTestScript::FromEnvironment(CVarpenMainWnd* window)
{
    ArmTestQuit(window);
    const QString script = qEnvironmentVariable("VARPEN_TEST_SCRIPT");
    if (script.isEmpty())
        return nullptr;
    return new CEntryTestScript(window, script.split(QLatin1Char(','), Qt::SkipEmptyParts));
}

void CEntryTestScript::Next()
{
    if (m_steps.isEmpty()) {
        m_poll.stop();
        return;
    }
    m_step = m_steps.takeFirst().trimmed();
    m_phase = 0;
    m_polls = 0;
    m_painted = false;
    Say(QStringLiteral("step %1").arg(m_step));
    m_poll.start();
}

void CEntryTestScript::Poll()
{
    if (m_busy)
        return;
    if (++m_polls * kPoll_ms > kStepTimeout_ms) {
        Fail(QStringLiteral("no result in %1 s").arg(kStepTimeout_ms / 1000));
        return;
    }
    m_busy = true;
    bool done = false;
    if (m_step == QLatin1String("ready"))
        done = StepReady();
    else if (m_step == QLatin1String("tabs"))
        done = StepTabs();
    else if (m_step.startsWith(QLatin1String("calendar:")))
        done = StepCalendar(m_step.mid(9));
    else if (m_step.startsWith(QLatin1String("search:")))
        done = StepSearch(m_step.mid(7));
    else if (m_step == QLatin1String("play"))
        done = StepPlay();
    else if (m_step == QLatin1String("sync"))
        done = StepSync();
    else if (m_step == QLatin1String("download"))
        done = StepDownload();
    else if (m_step == QLatin1String("lag"))
        done = StepLag();
    else if (m_step.startsWith(QLatin1String("clip:")))
        done = StepClip(m_step.mid(5));
    else if (m_step.startsWith(QLatin1String("shot:")))
        done = (SaveShot(m_step.mid(5)), true);
    else if (m_step == QLatin1String("close"))
        done = StepClose();
    else
        Fail(QStringLiteral("unknown step"));
    m_busy = false;
    if (done)
        Done();
}

void CEntryTestScript::Done()
{
    m_poll.stop();
    Say(QStringLiteral("step %1 ok").arg(m_step));
    QTimer::singleShot(0, this, &CEntryTestScript::Next);
}

void CEntryTestScript::Fail(const QString& why)
{
    m_poll.stop();
    m_steps.clear();
    Say(QStringLiteral("step %1 FAILED: %2").arg(m_step, why));
    QCoreApplication::exit(3);
}

// Boxes are answered as an operator would answer them, by their own buttons: the close question
// and the save question with OK, warnings by closing them, the about box by its close button.
void CEntryTestScript::AnswerModal()
{
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible())
        return;
    if (auto* box = qobject_cast<CWarnDlg*>(modal)) {
        Say(QStringLiteral("asked [%1] %2").arg(box->GetTitle(), box->Browser()->toPlainText()));
        CPushButton* button = box->OkButton() && box->OkButton()->isVisible() ? box->OkButton() : box->CloseButton();
        if (button)
            button->click();
    } else if (auto* about = qobject_cast<CDlgAbout*>(modal)) {
        // Closed on the tick after it showed, once it has been painted.
        if (m_modalSeen != about) {
            m_modalSeen = about;
            return;
        }
        SaveShot(QStringLiteral("about"));
        Say(QStringLiteral("about [%1] %2")
                .arg(about->GetTitle(), about->AboutLabel()->text().replace(QLatin1Char('\n'), QLatin1Char(' '))));
        about->CloseButton()->click();
    }
}

// With VARPEN_TEST_SHOTS set, a picture of the whole screen as <that folder>/<name>.png.
void CEntryTestScript::SaveShot(const QString& name)
{
    const QString folder = qEnvironmentVariable("VARPEN_TEST_SHOTS");
    if (folder.isEmpty() || !QGuiApplication::primaryScreen())
        return;
    const QString path = folder + QLatin1Char('/') + name + QStringLiteral(".png");
    QGuiApplication::primaryScreen()->grabWindow(0).save(path);
    Say(QStringLiteral("shot %1").arg(path));
}

bool CEntryTestScript::StepReady()
{
    CPlayBackWidget* page = m_window->PlayBackPage();
    auto* tree = page ? page->findChild<QTreeView*>(QStringLiteral("m_pPlayBackTreeView")) : nullptr;
    if (!tree)
        return Fail(QStringLiteral("no channel tree")), false;
    if (m_phase == 0) {
        m_phase = 1;
        new PaintWatch(
            tree->viewport(), [tree] { return !Leaves(tree->model()).isEmpty(); }, [this] { m_painted = true; });
    }
    if (!m_painted)
        return false;
    Say(QStringLiteral("ready %1 channels").arg(Leaves(tree->model()).size()));
    return true;
}

// One tab a poll, so that each page has been painted before the next is chosen (and, with
// VARPEN_TEST_SHOTS set, before its picture is taken).
bool CEntryTestScript::StepTabs()
{
    const auto& form = m_window->Form();
    struct Tab {
        QPushButton* button;
        int page;
        const char* shot;
    } tabs[] = {{form.pBtnViewLog, 1, "log"},
                {form.pBtnConfig, 2, "config"},
                {form.pBtnAbout, 2, nullptr},
                {form.pBtnPlayBack, 0, "playback"}};
    constexpr int kTabs = int(std::size(tabs));
    if (m_phase > 0 && tabs[m_phase - 1].shot)
        SaveShot(QLatin1String(tabs[m_phase - 1].shot));
    if (m_phase == kTabs)
        return true;
    const Tab& tab = tabs[m_phase++];
    tab.button->click();
    if (m_window->Stack()->currentIndex() != tab.page) {
        Fail(QStringLiteral("%1 shows page %2").arg(tab.button->text()).arg(m_window->Stack()->currentIndex()));
        return false;
    }
    Say(QStringLiteral("tab %1 page %2").arg(tab.button->text()).arg(tab.page));
    return false;
}

// Shows another month in the calendar (the page scans the disk again for that month).
bool CEntryTestScript::StepCalendar(const QString& monthText)
{
    CPlayBackWidget* page = m_window->PlayBackPage();
    const QDate month = QDate::fromString(monthText + QStringLiteral("-01"), QStringLiteral("yyyy-MM-dd"));
    if (!page || !month.isValid()) {
        Fail(QStringLiteral("no page or no month"));
        return false;
    }
    page->Form().m_pCalendarWidget->SetCurrentPage(month.year(), month.month());
    return true;
}

// Ticks the first N channels, sets the time window to the day and presses "Search"; the search
// runs under its wait box inside the click. Done when every searched window has bars.
bool CEntryTestScript::StepSearch(const QString& argument)
{
    CPlayBackWidget* page = m_window->PlayBackPage();
    const QStringList parts = argument.split(QLatin1Char(':'));
    const QDate day = QDate::fromString(parts.value(0), QStringLiteral("yyyy-MM-dd"));
    bool countOk = parts.size() == 1;
    const int count = parts.size() == 1 ? kDefaultSearchChannels : parts.value(1).toInt(&countOk);
    if (!page || !day.isValid() || parts.size() > 2 || !countOk || count < 1) {
        Fail(QStringLiteral("no page, no day or no channel count"));
        return false;
    }
    if (m_phase == 0) {
        const QList<QModelIndex> channels = Leaves(page->ChannelModel());
        if (channels.size() < count) {
            Fail(QStringLiteral("%1 channels listed").arg(channels.size()));
            return false;
        }
        for (int i = 0; i < count; ++i)
            page->ChannelModel()->setData(channels[i], Qt::Checked, Qt::CheckStateRole);
        Ui_CPlayBackWidget& form = page->Form();
        form.m_pDateTimeEditBeginTime->setDateTime(QDateTime(day, QTime(0, 0, 0)));
        form.m_pDateTimeEditEndTime->setDateTime(QDateTime(day, QTime(23, 59, 59)));
        m_phase = 1;
        form.m_pSearchBtn->click();
    }
    QStringList found;
    for (int window = 0; window < count; ++window) {
        if (page->FoundSegments(window).isEmpty())
            return false;
        found << QString::number(page->FoundFiles(window).size());
    }
    const QString last = found.takeLast();
    Say(QStringLiteral("found %1 recordings")
            .arg(found.isEmpty() ? last : found.join(QStringLiteral(", ")) + QStringLiteral(" and ") + last));
    return true;
}

// A click on the time line one second into the first recording of window 1; done when its
// engine plays, or when it has stopped and said why.
bool CEntryTestScript::StepPlay()
{
    CPlayBackWidget* page = m_window->PlayBackPage();
    const Varpen::SingleFileList found = page ? page->FoundFiles(0) : Varpen::SingleFileList();
    if (found.empty()) {
        Fail(QStringLiteral("nothing found to play"));
        return false;
    }
    if (m_phase == 0) {
        m_phase = 1;
        m_clicked = found.front()->GetStartTime() + 1;
        m_saidMark = Said().count;
        page->OnStartPlayback(0, m_clicked);
    }
    CPlayBackInteraction* player = page->PlayerAt(0);
    // The player opens the recording on its own thread: it plays, or has said why not, once it is
    // no longer opening.
    if (!player || player->GetPlayState().opening)
        return false;
    if (player->IsPlaying()) {
        Say(QStringLiteral("playing window 1 from %1")
                .arg(QDateTime::fromSecsSinceEpoch(m_clicked).toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"))));
        return true;
    }
    // The window says why as soon as it learns of the failure, and stops: its engine may then
    // go on with a fresh player that holds no error, so the notice is what tells.
    const QString said = Said().FirstSince(m_saidMark);
    if (said.isEmpty())
        return false;
    Say(QStringLiteral("play refused: %1").arg(said));
    return true;
}

// Synchronous playback on, then the click of the play step: every bound window starts. Done
// when each plays, has played to its end, or has stopped with an error.
bool CEntryTestScript::StepSync()
{
    CPlayBackWidget* page = m_window->PlayBackPage();
    const Varpen::SingleFileList found = page ? page->FoundFiles(0) : Varpen::SingleFileList();
    if (found.empty()) {
        Fail(QStringLiteral("nothing found to play"));
        return false;
    }
    if (m_phase == 0) {
        m_phase = 1;
        if (!page->IsSynchronous())
            page->Form().m_pBtnSyn->click();
        if (!page->IsSynchronous()) {
            Fail(QStringLiteral("synchronous playback did not start"));
            return false;
        }
        page->OnStartPlayback(0, found.front()->GetStartTime() + 1);
    }
    int playing = 0;
    int windows = 0;
    for (const auto& [window, player] : page->Players()) {
        ++windows;
        const Varpen::PlayState state = player->GetPlayState();
        if (state.opening || (!state.IsPlaying() && !state.endOfList && state.error == Varpen::kPlayErrorNone))
            return false;
        playing += state.IsPlaying() ? 1 : 0;
    }
    Say(QStringLiteral("sync %1 of %2 windows play").arg(playing).arg(windows));
    return true;
}

// Window 1's download dialog through the window's own action (its table filled under its progress
// box), every row ticked and "Download" pressed; done when the job has ended. A row counts as done
// when its status says so.
bool CEntryTestScript::StepDownload()
{
    CPlayBackWidget* page = m_window->PlayBackPage();
    if (!page || !page->PlayerAt(0)) {
        Fail(QStringLiteral("window 1 has no channel"));
        return false;
    }
    if (m_phase == 0) {
        m_phase = 1;
        page->PlayWindow(0)->OnDownLoad();
    }
    CPlaybackDownLoad* dialog = page->DownloadDialog(0);
    if (!dialog)
        return Fail(QStringLiteral("no download dialog")), false;
    if (m_phase == 1) {
        CStandardItemModel* rows = dialog->FileModel();
        if (rows->rowCount() == 0)
            return false;
        for (int r = 0; r < rows->rowCount(); ++r)
            rows->item(r, 0)->setCheckState(Qt::Checked);
        m_ticked = rows->rowCount();
        m_phase = 2;
        dialog->Form().m_pDownloadBtn->click();
    }
    if (dialog->IsJobRunning() || dialog->Downloader().IsBusy())
        return false;
    const QString completed = QCoreApplication::translate("CPlaybackDownLoad", "Download Completed");
    int done = 0;
    for (int r = 0; r < dialog->FileModel()->rowCount(); ++r) {
        const QStandardItem* status = dialog->FileModel()->item(r, CDataDistributionThread::kStatusColumn);
        done += status && status->text() == completed ? 1 : 0;
    }
    Say(QStringLiteral("download done %1 failed %2").arg(done).arg(m_ticked - done));
    return true;
}

bool CEntryTestScript::StepLag()
{
    const CLoopLag::Figures lag = m_lag.Read();
    Say(QStringLiteral("lag worst_ms %1 p99_ms %2").arg(lag.worst_ms, 0, 'f', 1).arg(lag.p99_ms, 0, 'f', 1));
    return true;
}

// The time of the picture a player shows, "yyyy-MM-dd HH:mm:ss.zzz", or "unknown".
static QString ShownText(qint64 shown_ms)
{
    return shown_ms < 0 ? QStringLiteral("unknown")
                        : QDateTime::fromMSecsSinceEpoch(shown_ms).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
}

static qint64 ShownMs(CPlayBackInteraction* player)
{
    vrend::PortStats stats;
    return vrend_test_GetStats(player->GetPlayPort(), &stats) ? qint64(stats.last_shown_time_ms) : -1;
}

// The text of the notice the station shows now.
static QString NoticeText()
{
    CInformationDlg* notice = CInformationDlg::Current();
    return notice && notice->isVisible() ? notice->PathBrowser()->toPlainText() : QStringLiteral("no message");
}

// Window 1's clip button pressed as the operator presses it, SECONDS of playing, the button again.
bool CEntryTestScript::StepClip(const QString& secondsText)
{
    CPlayBackWidget* page = m_window->PlayBackPage();
    CPlayBackInteraction* player = page ? page->PlayerAt(0) : nullptr;
    CPlaybackWnd* window = page ? page->PlayWindow(0) : nullptr;
    bool ok = false;
    const double seconds = secondsText.toDouble(&ok);
    if (!ok || seconds < 0)
        return Fail(QStringLiteral("no number of seconds")), false;
    if (!player || !window)
        return Fail(QStringLiteral("window 1 shows no channel")), false;
    if (m_phase == 0) {
        if (!player->IsPlaying())
            return Fail(QStringLiteral("window 1 does not play")), false;
        // The operator presses once the window shows a picture and its record button is live.
        if (player->GetCurrentTime() < 0 || !window->RecordButton()->isEnabled())
            return false;
        m_clipShown_ms = ShownMs(player);
        window->RecordButton()->click();
        if (!player->IsClipping())
            return Fail(NoticeText()), false;
        m_phase = 1;
        m_clipTimer.start();
        return false;
    }
    // The engine starts and stops the clip on its own worker: the script goes on once it has.
    if (player->IsOutputBusy())
        return false;
    if (m_phase == 1) {
        // The clip ends by itself when the recordings end; the button then starts no new one.
        if (window->IsClipFlag() && m_clipTimer.elapsed() < qint64(seconds * 1000))
            return false;
        m_clipStopShown_ms = ShownMs(player);
        m_phase = 2;
        if (window->IsClipFlag()) {
            window->RecordButton()->click();
            return false;
        }
    }
    const qint64 stopShown_ms = m_clipStopShown_ms;
    if (player->IsClipFailed())
        return Fail(NoticeText()), false;
    const std::vector<std::string> files = player->GetClipFilePaths();
    for (std::size_t i = 0; i + 1 < files.size(); ++i)
        Say(QStringLiteral("clip package %1").arg(QString::fromLocal8Bit(files[i].c_str())));
    Say(QStringLiteral("clip %1 shown %2 to %3")
            .arg(QString::fromLocal8Bit(player->GetClipFilePath().c_str()), ShownText(m_clipShown_ms),
                 ShownText(stopShown_ms)));
    return true;
}

bool CEntryTestScript::StepClose()
{
    if (m_phase == 0) {
        m_phase = 1;
        // The question runs its own modal loop inside the click; AnswerModal presses its OK.
        m_window->Title()->CloseButton()->click();
    }
    if (m_window->isVisible())
        return Fail(QStringLiteral("the window is still open")), false;
    return true;
}

void ArmTestQuit(CVarpenMainWnd* window)
{
    bool ok = false;
    const int quitAfter_ms = qEnvironmentVariableIntValue("VARPEN_TEST_QUIT_AFTER_MS", &ok);
    if (!ok || quitAfter_ms < 0)
        return;
    Say(QStringLiteral("started %1x%2").arg(window->width()).arg(window->height()));
    QTimer::singleShot(quitAfter_ms, window, [window] {
        Say(QStringLiteral("window shown %1x%2 visible=%3")
                .arg(window->width())
                .arg(window->height())
                .arg(window->isVisible() ? 1 : 0));
        const QString shot = qEnvironmentVariable("VARPEN_TEST_SCREENSHOT");
        if (!shot.isEmpty() && QGuiApplication::primaryScreen())
            QGuiApplication::primaryScreen()->grabWindow(0).save(shot);
        // Closed as the operator closes it: "Sure to close software" is answered yes.
        auto* script = new CEntryTestScript(window, {QStringLiteral("close")});
        Q_UNUSED(script);
    });
}
