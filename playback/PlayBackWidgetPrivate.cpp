#include "playback/PlayBackWidgetPrivate.h"

#include "playback/PlayBackWidget.h"
#include "playback/PlaybackDownLoad.h"
#include "widgets/CVolumeButton.h"

#include <QIcon>
#include <QMutexLocker>

CPlayBackWidgetPrivate::CPlayBackWidgetPrivate(QWidget* pageWidget)
    : page(pageWidget),
      searchBegin(std::time(nullptr)),
      searchEnd(searchBegin),
      sync(std::make_unique<Varpen::SynPlaybackInteraction>()),
      splitLayout(std::make_unique<CWndSplitLayout>())
{
}

CPlayBackWidgetPrivate::~CPlayBackWidgetPrivate()
{
    if (sync) {
        sync->StopAll();
        sync->Stop();
    }
    QMutexLocker lock(&playersLock);
    players.clear();
}

CPlaybackWnd* CPlayBackWidgetPrivate::CurrentWindowPtr() const
{
    if (m_currentWindow < 0 || m_currentWindow >= int(windows.size()))
        return nullptr;
    return windows[size_t(m_currentWindow)];
}

CPlayBackInteraction* CPlayBackWidgetPrivate::CurrentPlayer() const
{
    return PlayerAt(m_currentWindow);
}

CPlayBackInteraction* CPlayBackWidgetPrivate::PlayerAt(int window) const
{
    QMutexLocker lock(&playersLock);
    const auto it = players.find(window);  // never inserts: a lookup leaves the map as it was
    return it == players.end() ? nullptr : it->second.get();
}

CPlaybackDownLoad* CPlayBackWidgetPrivate::DownloadDialog(int cellIndex) const
{
    const auto it = downloadDialogs.find(cellIndex);
    return it == downloadDialogs.end() ? nullptr : it->second.data();
}

CDownloadWindowSource CPlayBackWidgetPrivate::DownloadSource() const
{
    CDownloadWindowSource source;
    source.engine = [this](int window) { return PlayerAt(window); };
    source.files = [this](int window) {
        const auto it = filesByWindow.find(window);
        return it == filesByWindow.end() ? Varpen::SingleFileList() : it->second;
    };
    return source;
}

void CPlayBackWidgetPrivate::SetCurrentWindowIndex(int window)
{
    if (window < 0 || window >= kWindowCount || window >= int(windows.size()) || window == m_currentWindow)
        return;
    if (CPlaybackWnd* old = CurrentWindowPtr())
        old->SetSelected(false);
    m_currentWindow = window;
    windows[size_t(window)]->SetSelected(true);
    if (!volumeButton)
        return;
    CPlayBackInteraction* player = PlayerAt(window);
    if (player && player->IsPlaying()) {
        volumeButton->setEnabled(true);
    } else {
        volumeButton->setEnabled(false);
        volumeButton->setIcon(QIcon(QStringLiteral(":/images/public/Volume/BigCloseSound.png")));
    }
}

void CPlayBackWidgetPrivate::EnableVolume(int cellIndex, bool enabled)
{
    if (cellIndex == m_currentWindow && volumeButton)
        volumeButton->setEnabled(enabled);
}

void CPlayBackWidgetPrivate::UpdateVolumeIcon(int cellIndex, bool opened)
{
    if (cellIndex != m_currentWindow || !volumeButton)
        return;
    volumeButton->SetVoiceOpened(opened);
    volumeButton->setIcon(QIcon(opened ? QStringLiteral(":/images/public/Volume/BigOpenSound.png")
                                       : QStringLiteral(":/images/public/Volume/BigCloseSound.png")));
}

void CPlayBackWidgetPrivate::RemoveWindowEntries(int window)
{
    filesByWindow.erase(window);
    segmentsByWindow.erase(window);
}

int CPlayBackWidgetPrivate::ScanPlayers() const
{
    QMutexLocker lock(&playersLock);
    int found = -1;
    time_t earliest = 0;
    for (const auto& [window, player] : players) {
        const time_t t = player ? player->GetCurrentTime() : -1;
        if (t == -1)
            continue;
        if (found == -1 || t < earliest) {
            found = window;
            earliest = t;
        }
    }
    return found;
}

QList<QPair<int, CPlayBackInteraction*>> CPlayBackWidgetPrivate::Players() const
{
    QMutexLocker lock(&playersLock);
    QList<QPair<int, CPlayBackInteraction*>> list;
    for (const auto& [window, player] : players)
        list.append({window, player.get()});
    return list;
}

QList<CPlaybackWnd*> CPlayBackWidgetPrivate::Windows() const
{
    return QList<CPlaybackWnd*>(windows.begin(), windows.end());
}

void CPlayBackWidgetPrivate::ToggleSingleWindow(CPlaybackWnd* cell)
{
    if (!splitLayout || !cell)
        return;
    if (splitLayout->IsSingleWnd())
        splitLayout->RestoreLayout();
    else
        splitLayout->ShowSingleWnd(cell);
}

void CPlayBackWidgetPrivate::BindChannel(int window, std::unique_ptr<CPlayBackInteraction> player)
{
    if (window < 0 || window >= kWindowCount)
        return;
    // The old engine stays in the map while the window is reset: what the reset ends (the
    // download dialog's job) still finds the window bound.
    if (CPlayBackInteraction* old = PlayerAt(window)) {
        old->StopPlayback();
        RemoveWindowEntries(window);
        if (window < int(windows.size()))
            windows[size_t(window)]->ResetPlayWnd();
        if (sync)
            sync->RemoveInteraction(old);
    }
    QMutexLocker lock(&playersLock);
    const auto it = players.find(window);
    if (it != players.end())
        it->second.reset();
    if (player)
        players[window] = std::move(player);
    else
        players.erase(window);
}

std::unique_ptr<CPlayBackInteraction> CPlayBackWidgetPrivate::TakePlayer(int window)
{
    std::unique_ptr<CPlayBackInteraction> taken;
    {
        QMutexLocker lock(&playersLock);
        const auto it = players.find(window);
        if (it == players.end())
            return nullptr;
        taken = std::move(it->second);
        players.erase(it);
    }
    RemoveWindowEntries(window);
    if (sync && taken)
        sync->RemoveInteraction(taken.get());
    return taken;
}

void CPlayBackWidgetPrivate::ResetAll()
{
    for (CPlaybackWnd* wnd : windows)
        wnd->ResetPlayWnd();
    searchedCount = 0;
    searchBegin = searchEnd = std::time(nullptr);
    filesByWindow.clear();
    segmentsByWindow.clear();
    if (sync)
        sync->StopAll();
    std::map<int, std::unique_ptr<CPlayBackInteraction>> gone;
    {
        QMutexLocker lock(&playersLock);
        gone.swap(players);
    }
    // Each engine ends its own player before it goes.
    for (auto& [window, player] : gone)
        if (player)
            player->StopPlayback();
    QMutexLocker lock(&playersLock);
    gone.clear();
}

bool CPlayBackWidgetPrivate::IsFullScreen() const
{
    const auto* widget = qobject_cast<const CPlayBackWidget*>(page);
    return widget && widget->IsFullScreen();
}

void CPlayBackWidgetPrivate::ToggleFullScreen()
{
    if (auto* widget = qobject_cast<CPlayBackWidget*>(page))
        widget->OnFullScreenCtrl();
}
