#include "playback/PlayBackWidgetPrivate.h"

#include "app/gui/CommonUtilGui.h"

#include "playback/PlayBackWidget.h"
#include "playback/PlaybackDownLoad.h"
#include "widgets/CVolumeButton.h"

#include <QIcon>
#include <QMutexLocker>

CPlayBackWidgetPrivate::CPlayBackWidgetPrivate(QWidget* pageWidget) : page(pageWidget) {}

CPlayBackWidgetPrivate::~CPlayBackWidgetPrivate()
{
    StopEngines();
}

CPlayBackInteraction* CPlayBackWidgetPrivate::CurrentPlayer() const
{
    return PlayerAt(GetCurrentIndex());
}

CDownloadWindowSource CPlayBackWidgetPrivate::DownloadSource() const
{
    CDownloadWindowSource source;
    source.engine = [this](int window) { return PlayerAt(window); };
    source.files = [this](int window) { return FilesOf(window); };
    return source;
}

void CPlayBackWidgetPrivate::SetCurrentWindowIndex(int window)
{
    if (!MoveCurrentWindow(window) || !volumeButton)
        return;
    CPlayBackInteraction* player = PlayerAt(window);
    if (player && player->IsPlaying()) {
        volumeButton->setEnabled(true);
    } else {
        volumeButton->setEnabled(false);
        volumeButton->setIcon(CCommonUtil::LoadIcon(QStringLiteral(":/images/public/Volume/BigCloseSound.png")));
    }
}

QList<CPlaybackWnd*> CPlayBackWidgetPrivate::Windows() const
{
    return QList<CPlaybackWnd*>(windows.begin(), windows.end());
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
    std::vector<std::unique_ptr<CPlayBackInteraction>> gone = ReleaseAll();
    QMutexLocker lock(&playersLock);
    gone.clear();
}

std::vector<std::unique_ptr<CPlayBackInteraction>> CPlayBackWidgetPrivate::ReleaseAll()
{
    for (CPlaybackWnd* wnd : windows)
        wnd->ResetPlayWnd();
    searchedCount = 0;
    searchBegin = searchEnd = std::time(nullptr);
    filesByWindow.clear();
    segmentsByWindow.clear();
    if (sync)
        sync->StopAll();
    std::map<int, std::unique_ptr<CPlayBackInteraction>> taken;
    {
        QMutexLocker lock(&playersLock);
        taken.swap(players);
    }
    // Each engine ends its own player before it goes.
    std::vector<std::unique_ptr<CPlayBackInteraction>> gone;
    for (auto& [window, player] : taken) {
        if (!player)
            continue;
        player->StopPlayback();
        gone.push_back(std::move(player));
    }
    return gone;
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
