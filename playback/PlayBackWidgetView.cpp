// What the playback page shows, read through the page itself: its windows, their engines and what
// the searches found for them.
#include "playback/PlayBackWidget.h"

#include "playback/PlayBackWidgetPrivate.h"

CPlaybackWnd* CPlayBackWidget::PlayWindow(int window) const
{
    if (window < 0 || window >= int(d->windows.size()))
        return nullptr;
    return d->windows[size_t(window)];
}

int CPlayBackWidget::CurrentWindowIndex() const
{
    return d->GetCurrentIndex();
}

CPlayBackInteraction* CPlayBackWidget::PlayerAt(int window) const
{
    return d->PlayerAt(window);
}

QList<QPair<int, CPlayBackInteraction*>> CPlayBackWidget::Players() const
{
    return d->Players();
}

Varpen::SingleFileList CPlayBackWidget::FoundFiles(int window) const
{
    return d->FilesOf(window);
}

QList<CTimeSegment> CPlayBackWidget::FoundSegments(int window) const
{
    return d->SegmentsOf(window);
}

int CPlayBackWidget::SplitMode() const
{
    return d->splitLayout ? d->splitLayout->GetSplitMode() : -1;
}

void CPlayBackWidget::SelectWindow(int window)
{
    d->SetCurrentWindowIndex(window);
}
