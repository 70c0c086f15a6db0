// The playback page's recording search: the checks, the binding of engines to consecutive play
// windows, the search thread under the wait dialog and the time line's bars.
#include "playback/PlayBackWidget.h"

#include "engine/PlayBackInteraction.h"
#include "engine/SearchDiskThread.h"
#include "engine/SynPlaybackInteraction.h"
#include "app/WorkerReaper.h"
#include "playback/ChannelTree.h"
#include "playback/PlayBackWidgetPrivate.h"
#include "playback/PlaybackSearchRules.h"
#include "playback/PlaybackSearchThread.h"
#include "playback/PlaybackWnd.h"
#include "playback/WndSplitLayout.h"
#include "timeline/MultiTimeSlider.h"
#include "timeline/RecordTypes.h"
#include "widgets/CGroupTreeView.h"
#include "widgets/CInformationDlg.h"
#include "widgets/CalendarWidget.h"
#include "widgets/ChaseDialog.h"
#include "widgets/DateTimeEdit.h"

#include <QComboBox>
#include <QItemSelectionModel>
#include <QPointer>
#include <QStandardItemModel>
#include <QStringList>
#include <QToolButton>

#include <algorithm>

namespace {

// One record-type entry of a time-line row's filter pop-up.
void AddFilterEntry(CMultiTimeSlider* timeLine, int row, int id)
{
    timeLine->AddFilterItem(row, RecordTypes::FilterIcon(id), QString::fromLatin1(RecordTypes::FilterEntryFor(id).text),
                            id);
}

}  // namespace

bool CPlayBackWidget::PrepareSearch(const QList<QModelIndex>& channels, int firstWindow, const QDate& firstDay,
                                    const QDate& lastDay)
{
    using namespace PlaybackSearch;
    d->searchedCount = int(channels.size());
    d->recordType = std::max(0, m_ui.m_pRecordTypeComboBox->currentIndex());

    // One new engine per channel on consecutive windows from the first; the rest are left out,
    // and the search's report names them.
    int window = firstWindow;
    QList<QModelIndex> notPlaced;
    for (const QModelIndex& index : channels) {
        const std::optional<Varpen::CChannel> channel = ChannelTree::ChannelOf(index);
        if (!channel)
            continue;
        if (window >= kWindowCount) {
            notPlaced.append(index);
            continue;
        }
        auto owned = std::make_unique<CPlayBackInteraction>();
        CPlayBackInteraction* engine = owned.get();
        d->BindChannel(window, std::move(owned));
        CPlaybackWnd* cell = d->windows[size_t(window)];
        cell->SetChannelInfo(*channel);
        if (d->sync)
            d->sync->AddInteraction(engine, cell->GetPlayWndId());
        ++window;
    }
    m_notPlaced = ChannelTree::ListText(notPlaced);

    const int mode = d->splitLayout->GetSplitMode();
    const int grown = GrownSplitMode(mode, firstWindow, d->searchedCount, m_wideScreen);
    if (grown != mode)
        d->splitLayout->SetSplitMode(grown);

    d->searchBegin = DayStart(firstDay);
    d->searchEnd = DayLast(lastDay);
    d->diskPath = m_diskPath;
    d->searchFirstWindow = firstWindow;

    QDate first, last;
    GetSearchTimeRange(first, last);
    m_searchFirstDay = first;
    m_searchLastDay = last;
    CMultiTimeSlider* timeLine = m_ui.m_pMultiTimeSlider;
    timeLine->SetDate(firstDay);

    const RecordTypeChoice& choice = RecordTypeChoices().at(d->recordType);
    for (int row = firstWindow; row < firstWindow + d->searchedCount && row < kWindowCount; ++row) {
        timeLine->ClearFilterItems(row);
        if (choice.filterId >= 0)
            AddFilterEntry(timeLine, row, choice.filterId);
    }

    const bool local = m_diskType == CSearchDiskThread::kDiskLocal;
    for (const auto& [index, engine] : d->Players())
        engine->SetUseIndex(local);
    return window > firstWindow;
}

int CPlayBackWidget::RunSearch()
{
    m_pSearchThread = std::make_unique<CPlaybackSearchThread>(d.get(), d.get());
    CPlaybackSearchThread* thread = m_pSearchThread.get();
    const unsigned serial = ++m_searchSerial;
    // The dialog lives on the heap: should the page go while it is up (its destructor stops the
    // search), it goes with the page and nothing here touches either again.
    QPointer<CPlayBackWidget> self(this);
    QPointer<ChaseDialog> wait = new ChaseDialog(this, QStringLiteral(":/images/Loading.gif"), tr("Search..."), true);
    connect(
        thread, &CPlaybackSearchThread::SendWriteOver, this,
        [this, serial] {
            if (serial == m_searchSerial)
                OnSearchFinished();
        },
        Qt::QueuedConnection);
    connect(thread, &CPlaybackSearchThread::SendWriteOver, wait.data(), &ChaseDialog::SetStopChase);
    connect(wait.data(), &ChaseDialog::SignalCancel, thread, &CPlaybackSearchThread::OnStopThread,
            Qt::DirectConnection);
    thread->Start();
    const int result = wait->exec();
    // Gone, or going since a confirmed close (whose first piece cancelled the search): nothing
    // here touches the page's windows again; the dialog goes with the page.
    if (!self || m_destroying)
        return 0;
    delete wait.data();
    if (result != 0) {
        // The dialog ends accepted once the search has reported: what it found reaches the time
        // line now, before the caller plays it.
        OnSearchFinished();
    }
    // Cancelled, the search may be inside a slow read: it is not waited for. Reported, the thread
    // has only its return left.
    CancelSearch();
    return result;
}

void CPlayBackWidget::CancelSearch()
{
    if (!m_pSearchThread)
        return;
    std::unique_ptr<CPlaybackSearchThread> thread = std::move(m_pSearchThread);
    ++m_searchSerial;  // a report still on its way is not taken
    thread->disconnect();
    QList<int> failed;
    const bool shown = thread->ResultsTaken();
    const int busy = thread->StopAndTakeResults(&failed);
    if (busy >= 0) {
        // The thread is still in that window's search: its engine goes with the thread, and the
        // window keeps its channel on a fresh engine that has found nothing yet.
        std::unique_ptr<CPlayBackInteraction> engine = d->TakePlayer(busy);
        if (engine && !m_destroying) {
            const Varpen::CChannel channel = engine->GetChannel();
            auto fresh = std::make_unique<CPlayBackInteraction>();
            fresh->SetUseIndex(engine->GetUseIndex());
            CPlayBackInteraction* bound = fresh.get();
            d->BindChannel(busy, std::move(fresh));
            CPlaybackWnd* cell = d->windows[size_t(busy)];
            cell->SetChannelInfo(channel);
            if (d->sync)
                d->sync->AddInteraction(bound, cell->GetPlayWndId());
        }
        thread->KeepEngine(std::move(engine));
    }
    const QList<int> windows = thread->Windows();
    Varpen::CWorkerReaper::Instance().Retire(std::move(thread), this);
    // What a cancelled search found reaches the time line, as a finished search's does.
    if (!shown && !m_destroying)
        ShowSearchResults(windows, failed);
}

void CPlayBackWidget::OnSearchPlayback()
{
    using namespace PlaybackSearch;
    OnBtnStop();
    const QDateTime begin = m_ui.m_pDateTimeEditBeginTime->dateTime();
    const QDateTime end = m_ui.m_pDateTimeEditEndTime->dateTime();
    const QList<QModelIndex> channels = ChannelTree::CheckedChannels(*m_pChannelModel);
    const Check check = CheckSearch(begin, end, int(channels.size()));
    if (check != Check::Ok) {
        CInformationDlg::ShowInformation(CheckMessage(check), this);
        return;
    }
    const int first = std::max(0, d->GetCurrentIndex());
    PrepareSearch(channels, first, begin.date(), end.date());
    if (RunSearch() == 0)
        return;
    ChannelTree::UncheckAll(*m_pChannelModel);
    m_ui.m_pBtnPlay->setEnabled(true);
}

void CPlayBackWidget::OnSearchSelected(int iId)
{
    if (iId < 0 || iId >= PlaybackSearch::kWindowCount)
        return;
    const QItemSelectionModel* selection = m_ui.m_pPlayBackTreeView->selectionModel();
    const QList<QModelIndex> channels =
        selection ? ChannelTree::ChannelsAmong(selection->selectedIndexes()) : QList<QModelIndex>{};
    if (channels.isEmpty())
        return;
    QDate first, last;
    m_ui.m_pCalendarWidget->GetDateRange(first, last);
    if (!first.isValid() || !last.isValid() || last < first)
        first = last = QDate::currentDate();
    PrepareSearch(channels, iId, first, last);
    if (RunSearch() == 0)
        return;
    d->SetCurrentWindowIndex(iId);
    if (d->windows[size_t(iId)]->OnPlay())
        UpdateWidget(1);
    d->UpdateVolumeIcon(d->GetCurrentIndex(), false);
}

void CPlayBackWidget::OnSearchFinished()
{
    if (!m_pSearchThread)
        return;
    QList<int> failed;
    if (!m_pSearchThread->TakeResults(&failed))
        return;
    ShowSearchResults(m_pSearchThread->Windows(), failed);
}

void CPlayBackWidget::ShowSearchResults(const QList<int>& windows, const QList<int>& failed)
{
    TimeSegmentRows rows;
    for (const auto& [window, segments] : d->segmentsByWindow)
        rows.insert(window, segments);
    CMultiTimeSlider* timeLine = m_ui.m_pMultiTimeSlider;
    timeLine->ClearAllSegments();
    timeLine->SetRecordSegments(rows);

    // Each searched row offers the filter entries of the type searched and of its own bars.
    TimeSegmentRows searched;
    for (int window : windows) {
        searched.insert(window, rows.value(window));
        timeLine->ClearFilterItems(window);
        for (int id : PlaybackSearch::RowFilterIds(d->recordType, rows.value(window)))
            AddFilterEntry(timeLine, window, id);
    }
    const QDate firstDay = QDateTime::fromSecsSinceEpoch(d->searchBegin).date();
    const QDate lastDay = QDateTime::fromSecsSinceEpoch(d->searchEnd).date();
    timeLine->SetDate(PlaybackSearch::FirstDayWithBars(searched, firstDay, lastDay));

    // One notice says everything the search has to say.
    QStringList notices;
    if (!failed.isEmpty())
        notices << tr("The recordings of the selected disk cannot be read.");
    if (!m_notPlaced.isEmpty())
        notices << PlaybackSearch::NotPlacedMessage(m_notPlaced);
    m_notPlaced.clear();
    if (!notices.isEmpty())
        CInformationDlg::ShowInformation(notices.join(QLatin1Char('\n')), this);
}

void CPlayBackWidget::GetSearchTimeRange(QDate& first, QDate& last) const
{
    time_t b = d->searchBegin;
    time_t e = d->searchEnd;
    const int current = d->GetCurrentIndex();
    for (const auto& [index, engine] : d->Players()) {
        if (index == current || !engine)
            continue;
        time_t firstRecord = 0, lastRecord = 0;
        engine->GetFirstRecordTime(&firstRecord);
        engine->GetLastRecordTime(&lastRecord);
        if (firstRecord != 0 && lastRecord != 0) {
            b = std::min(b, firstRecord);
            e = std::max(e, lastRecord);
        }
    }
    first = QDateTime::fromSecsSinceEpoch(b).date();
    last = QDateTime::fromSecsSinceEpoch(e).date();
}
