// What the playback page's recording search works on and what it finds: the search window (the
// disk, the days, the record type, the windows searched) and, per window, the files found and
// their time-line segments. GUI thread; the search thread writes its results in only from the GUI
// thread (see CPlaybackSearchThread).
#pragma once

#include "engine/Records.h"
#include "timeline/TimeSegment.h"

#include <QList>
#include <QString>

#include <ctime>
#include <map>

struct CPlaybackSearchData {
    // The search window starts as an empty one at the time the data is made.
    CPlaybackSearchData() : searchBegin(std::time(nullptr)), searchEnd(searchBegin) {}

    QString diskPath;  // the disk of the last search
    time_t searchBegin = 0;
    time_t searchEnd = 0;
    int recordType = 1111;
    int searchedCount = 0;      // windows bound by the last search; 0 after a reset
    int searchFirstWindow = 0;  // the first window the search works on
    std::map<int, Varpen::SingleFileList> filesByWindow;
    std::map<int, QList<CTimeSegment>> segmentsByWindow;

    // The files found for a window, empty when none were.
    Varpen::SingleFileList FilesOf(int window) const
    {
        const auto it = filesByWindow.find(window);
        return it == filesByWindow.end() ? Varpen::SingleFileList() : it->second;
    }
    // The segments found for a window, empty when none were.
    QList<CTimeSegment> SegmentsOf(int window) const
    {
        const auto it = segmentsByWindow.find(window);
        return it == segmentsByWindow.end() ? QList<CTimeSegment>() : it->second;
    }
    void RemoveWindowEntries(int window)
    {
        filesByWindow.erase(window);
        segmentsByWindow.erase(window);
    }
};
