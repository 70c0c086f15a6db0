#include "playback/PlaybackDownloadDialogs.h"

#include "playback/PlaybackDownLoad.h"

CPlaybackDownLoad* CPlaybackDownloadDialogs::DownloadDialog(int window) const
{
    const auto it = downloadDialogs.find(window);
    return it == downloadDialogs.end() ? nullptr : it->second.data();
}
