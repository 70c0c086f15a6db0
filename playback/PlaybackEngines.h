// The playback engines of the page's windows, by window index, and the synchronous controller the
// bound engines join. Both are owned here; the destructor stops the controller and every engine.
// GUI thread; the map is changed and read under its lock.
#pragma once

#include "engine/PlayBackInteraction.h"
#include "engine/SynPlaybackInteraction.h"

#include <QList>
#include <QMutex>
#include <QPair>

#include <map>
#include <memory>

class CPlaybackEngines {
public:
    CPlaybackEngines();
    ~CPlaybackEngines();
    CPlaybackEngines(const CPlaybackEngines&) = delete;
    CPlaybackEngines& operator=(const CPlaybackEngines&) = delete;

    std::unique_ptr<Varpen::SynPlaybackInteraction> sync;          // created, not started
    std::map<int, std::unique_ptr<CPlayBackInteraction>> players;  // guarded by playersLock
    mutable QMutex playersLock;

    // The engine of a window, null when it has none.
    CPlayBackInteraction* PlayerAt(int window) const;
    // The engines in ascending window index.
    QList<QPair<int, CPlayBackInteraction*>> Players() const;
    // The window whose engine shows the earliest known time, -1 when none.
    int ScanPlayers() const;
    // Stops the synchronous controller and destroys every engine (each ends its own player).
    void StopEngines();
};
