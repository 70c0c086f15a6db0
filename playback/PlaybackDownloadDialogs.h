// Each play window's download dialog, made by the window's first download action and kept while
// the window lives; a dialog is owned by its parent widget, so an entry turns null when it goes.
// GUI thread.
#pragma once

#include <QPointer>

#include <map>

class CPlaybackDownLoad;

class CPlaybackDownloadDialogs {
public:
    std::map<int, QPointer<CPlaybackDownLoad>> downloadDialogs;

    // The window's download dialog, null until its download action first opened one.
    CPlaybackDownLoad* DownloadDialog(int window) const;
};
