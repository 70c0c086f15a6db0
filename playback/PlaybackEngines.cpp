#include "playback/PlaybackEngines.h"

#include <QMutexLocker>

CPlaybackEngines::CPlaybackEngines() : sync(std::make_unique<Varpen::SynPlaybackInteraction>()) {}

CPlaybackEngines::~CPlaybackEngines()
{
    StopEngines();
}

void CPlaybackEngines::StopEngines()
{
    if (sync) {
        sync->StopAll();
        sync->Stop();
    }
    QMutexLocker lock(&playersLock);
    players.clear();
}

CPlayBackInteraction* CPlaybackEngines::PlayerAt(int window) const
{
    QMutexLocker lock(&playersLock);
    const auto it = players.find(window);  // never inserts: a lookup leaves the map as it was
    return it == players.end() ? nullptr : it->second.get();
}

QList<QPair<int, CPlayBackInteraction*>> CPlaybackEngines::Players() const
{
    QMutexLocker lock(&playersLock);
    QList<QPair<int, CPlayBackInteraction*>> list;
    for (const auto& [window, player] : players)
        list.append({window, player.get()});
    return list;
}

int CPlaybackEngines::ScanPlayers() const
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
