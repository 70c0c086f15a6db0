// The playback page's left column: disk scan, channel tree and calendar.
#include "playback/PlayBackWidget.h"

#include "engine/Records.h"

void CPlayBackWidget::ResetDiskTree(QString text)
{
    Q_UNUSED(text);
}

void CPlayBackWidget::OnStopChase()
{
}

void CPlayBackWidget::OnSelectionChanged(const QItemSelection& selected, const QItemSelection& deselected)
{
    Q_UNUSED(selected);
    Q_UNUSED(deselected);
}

void CPlayBackWidget::OnClickedCalendar(QDate date)
{
    Q_UNUSED(date);
}

void CPlayBackWidget::OnSelectDate(QDate first, QDate last)
{
    Q_UNUSED(first);
    Q_UNUSED(last);
}

void CPlayBackWidget::OnCheckLocalFile(Varpen::CChannel& channel)
{
    Q_UNUSED(channel);
}

void CPlayBackWidget::OnCheckLocalFinish()
{
}

void CPlayBackWidget::OnItemRightClicked(QModelIndex& index)
{
    Q_UNUSED(index);
}
