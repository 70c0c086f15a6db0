// The playback page's left column: the disk scan under the wait overlay, the channel tree by
// disk type, the recording-day marks of the calendar and the search window's dates.
#include "playback/PlayBackWidget.h"

#include "engine/CheckRemoteFileExistThread.h"
#include "engine/PlayBackInteraction.h"
#include "engine/Records.h"
#include "engine/SearchDiskThread.h"
#include "playback/ChannelTree.h"
#include "playback/PlayBackWidgetPrivate.h"
#include "playback/PlaybackSearchRules.h"
#include "timeline/MultiTimeSlider.h"
#include "widgets/CDiskTreeBox.h"
#include "widgets/CGroupTreeView.h"
#include "widgets/CInformationDlg.h"
#include "widgets/CalendarWidget.h"
#include "widgets/ChaseDialog.h"
#include "widgets/DateTimeEdit.h"

#include <QDateTime>
#include <QStandardItemModel>
#include <QTimer>

namespace {

constexpr int kDayMark = 0;
// After the channel list is painted, before the operator can have chosen and searched.
constexpr int kPreparePlayersAfter_ms = 200;

}  // namespace

void CPlayBackWidget::ResetDiskTree(QString text)
{
    // Stopping the playback puts the calendar back on today's month, which asks for a scan of
    // its own; the scan started here reads the month shown once that is done. A page that goes
    // starts no scan.
    if (m_inDiskReset || m_destroying)
        return;
    KeepTicks();
    m_inDiskReset = true;
    StopAllPlayback();
    OnBtnStop();
    m_inDiskReset = false;
    // The running scan is told to stop and left to end by itself: a slow disk does not hold the
    // new choice up, and its late report is not taken.
    StopDiskSearch();
    m_pChannelModel->removeRows(0, m_pChannelModel->rowCount());
    m_treeDisk.clear();
    m_dayCheckWanted = false;
    m_ui.m_pCalendarWidget->RemoveDateMark(kDayMark);

    // The disk is taken from the chosen entry's data; "default" (another month) keeps it.
    if (text != QLatin1String("default")) {
        const CDiskTreeBox* box = m_ui.m_pComboBoxDisk;
        const QString path =
            box->currentIndex() < 0
                ? QString()
                : ChannelTree::ScanPathFor(box->CurrentIsDisk(), box->CurrentDiskNumber(), box->CurrentSourcePath());
        if (path.isEmpty()) {
            CInformationDlg::ShowInformation(tr("Can not search the selected disk"), this);
            m_pChaseDialog->close();
            m_diskSearchRunning = false;
            return;
        }
        m_diskPath = path;
    }
    if (m_diskPath.isEmpty()) {
        // No disk chosen yet (another month shown before the first scan): nothing to scan.
        m_pChaseDialog->close();
        m_diskSearchRunning = false;
        return;
    }

    const CCalendarWidget* calendar = m_ui.m_pCalendarWidget;
    m_pDiskSearcher->SetSearchParam(m_diskPath,
                                    ChannelTree::MonthDayStarts(calendar->GetYearShown(), calendar->GetMonthShown()));
    m_pDiskSearcher->StartSearch();

    m_scanStarted = true;
    m_nothingFound = false;
    PlaceChaseOverlay();
    m_pChaseDialog->show();
    m_diskSearchRunning = true;
    m_pChaseDialog->ShowChaseInfo();
    UpdateWidget(18);
}

void CPlayBackWidget::KeepTicks()
{
    if (!m_treeDisk.isEmpty())
        ChannelTree::UpdateTicks(*m_pChannelModel, m_ticksByDisk[m_treeDisk]);
}

void CPlayBackWidget::OnStopChase()
{
    if (!m_pDiskSearcher)
        return;
    ChannelTree::ScanReport report;
    report.finished = m_pDiskSearcher->GetResult(report.result, report.diskType);
    // A report of a scan that a newer one replaced: the newer one reports for itself. The last
    // scan's result counts once it is there, even when its report comes before its thread ends.
    if (!report.finished && m_pDiskSearcher->isRunning())
        return;
    UpdateWidget(19);
    report.diskError = m_pDiskSearcher->GetDiskError();
    m_diskType = report.diskType;
    d->diskType = report.diskType;
    m_scanStarted = false;

    // The ticks the operator made on this disk's channels stay: in a tree rebuilt by a second
    // report of the same scan, and in the tree of a disk chosen again.
    KeepTicks();
    const ChannelTree::ScanOutcome outcome = ChannelTree::FillModel(*m_pChannelModel, report);
    m_treeDisk = ChannelTree::DiskKey(m_diskPath);
    if (const auto kept = m_ticksByDisk.find(m_treeDisk); kept != m_ticksByDisk.end())
        ChannelTree::TickAgain(*m_pChannelModel, kept->second);
    switch (outcome) {
    case ChannelTree::ScanOutcome::Channels:
        m_pChaseDialog->close();
        m_diskSearchRunning = false;
        // Channels to play: the player libraries load on a worker while the operator chooses,
        // once the list has been painted (the first search then need not wait for them).
        QTimer::singleShot(kPreparePlayersAfter_ms, this, [] { CPlayBackInteraction::PreparePlayers(); });
        break;
    case ChannelTree::ScanOutcome::Unreadable:
        CInformationDlg::ShowInformation(tr("The selected disk cannot be read (error %1).").arg(report.diskError),
                                         this);
        [[fallthrough]];
    case ChannelTree::ScanOutcome::NoChannels:
        m_nothingFound = true;
        m_pChaseDialog->ShowNoChannelInfo();
        break;
    }
    m_ui.m_pPlayBackTreeView->expandAll();
}

void CPlayBackWidget::OnSelectionChanged(const QItemSelection& selected, const QItemSelection& deselected)
{
    Q_UNUSED(deselected);
    if (selected.isEmpty() || selected.indexes().isEmpty())
        return;
    std::optional<Varpen::CChannel> channel = ChannelTree::ChannelOf(selected.indexes().first());
    if (!channel) {
        // A group is no channel: its days are not known, so none are marked.
        m_dayCheckWanted = false;
        m_ui.m_pCalendarWidget->RemoveDateMark(kDayMark);
        return;
    }
    OnCheckLocalFile(*channel);
}

void CPlayBackWidget::OnCheckLocalFile(Varpen::CChannel& channel)
{
    if (!m_pDayChecker)
        return;  // the page is going
    const CCalendarWidget* calendar = m_ui.m_pCalendarWidget;
    const QDate first(calendar->GetYearShown(), calendar->GetMonthShown(), 1);
    const QDate last = first.addMonths(1).addDays(-1);
    // The marks of the channel shown before go at once.
    m_ui.m_pCalendarWidget->RemoveDateMark(kDayMark);
    m_dayCheckWanted = true;
    m_pDayChecker->SetUseIndex(m_diskType == CSearchDiskThread::kDiskLocal);
    m_pDayChecker->StartCheck(first, last, m_diskPath, channel.GetName(), channel.GetNumber(), channel.GetFlag());
}

void CPlayBackWidget::OnCheckLocalFinish()
{
    if (!m_dayCheckWanted || !m_pDayChecker)
        return;
    CCalendarWidget* calendar = m_ui.m_pCalendarWidget;
    calendar->RemoveDateMark(kDayMark);
    for (const QDate& day : m_pDayChecker->GetExistFileDate())
        calendar->SetDateMark(day, kDayMark);
}

void CPlayBackWidget::OnSelectDate(QDate first, QDate last)
{
    m_ui.m_pDateTimeEditBeginTime->setDateTime(QDateTime(first, QTime(0, 0, 0)));
    m_ui.m_pDateTimeEditEndTime->setDateTime(QDateTime(last, QTime(23, 59, 59)));
}

void CPlayBackWidget::OnClickedCalendar(QDate date)
{
    // The time line shows one day: a day of the searched ones brings its bars.
    if (d->Players().isEmpty())
        return;
    const QDate day = PlaybackSearch::DayForCalendarClick(date, m_searchFirstDay, m_searchLastDay);
    if (!day.isValid())
        return;
    CMultiTimeSlider* timeLine = m_ui.m_pMultiTimeSlider;
    timeLine->SetDate(day);
    timeLine->SetCurrentTime(QDateTime(day, QTime(12, 0, 0)));
}

void CPlayBackWidget::OnItemRightClicked(QModelIndex& index)
{
    // A channel row has no menu entries: nothing is shown.
    Q_UNUSED(index);
}
