// The recording search of the playback page: for each window a search bound, asks the window's
// engine for its files in the search window and turns every file into a time-line segment
// coloured by its record type.
//
// Threads: Start() (GUI thread) copies what the search needs from the page's search data and the
// engines of the windows to search, so run() never reads the page's maps; run() hands each
// window's result over under the mutex as soon as it has it; after SendWriteOver the GUI thread
// moves the results into the page data with TakeResults(). A stop takes effect before the next
// window; SendWriteOver is emitted once per run, after a stop too. An owner that does not wait
// for a stopped search takes what it found so far with StopAndTakeResults(), which also names the
// window whose engine the thread is still searching: that engine must outlive the thread, so the
// owner hands it to KeepEngine() (the thread object destroys it). Every other engine is left alone
// once its window is done. The destructor stops the thread and waits for it.
#pragma once

#include "engine/Records.h"
#include "timeline/TimeSegment.h"

#include <QList>
#include <QMutex>
#include <QString>
#include <QThread>

#include <ctime>
#include <memory>
#include <string>
#include <vector>

class CPlayBackInteraction;
class CPlaybackEngines;
struct CPlaybackSearchData;

class CPlaybackSearchThread : public QThread {
    Q_OBJECT

public:
    // Works on the page's search data with the engines bound to its windows; neither is owned.
    CPlaybackSearchThread(CPlaybackSearchData* param, const CPlaybackEngines* engines, QObject* parent = nullptr);
    // Stops the search and waits for it.
    ~CPlaybackSearchThread() override;

    // Takes the work from the search data: windows searchFirstWindow to searchFirstWindow +
    // searchedCount - 1 that have an engine, the disk path, the search window and the record
    // type; then starts. Does nothing while the thread runs.
    void Start();
    // GUI thread, after SendWriteOver: for every window searched, replaces its found files and
    // segments in the page data (windows a stop left out are not touched) and puts the windows
    // whose search failed (the disk or its index could not be read) in `failed`. Once per run:
    // false before the search has reported and after the results were taken.
    bool TakeResults(QList<int>* failed = nullptr);
    // GUI thread, while the thread runs or after it: stops it (no later window is searched), moves
    // the results it has into the page data as TakeResults does, and gives the window whose engine
    // the thread is still searching, -1 when none. Nothing is taken any more afterwards.
    int StopAndTakeResults(QList<int>* failed = nullptr);
    // Keeps an engine alive for as long as this object lives (see StopAndTakeResults).
    void KeepEngine(std::unique_ptr<CPlayBackInteraction> engine);
    // The windows the last Start() set out to search.
    QList<int> Windows() const;
    // A stop was asked for (or the thread was never started).
    bool IsStopped() const;
    // The results were taken (TakeResults or StopAndTakeResults); none are taken any more.
    bool ResultsTaken() const;

public slots:
    void OnStopThread();

signals:
    void SignalSearchFail();
    void SendWriteOver();
    void SendSearchError(QString message);

protected:
    void run() override;

private:
    struct Job {
        int window = -1;
        CPlayBackInteraction* engine = nullptr;
    };
    struct Result {
        int window = -1;
        bool ok = false;
        Varpen::SingleFileList files;
        QList<CTimeSegment> segments;
    };

    bool Running() const;
    // Moves `results` into the page data (GUI thread).
    void Apply(std::vector<Result>& results, QList<int>* failed);

    CPlaybackSearchData* m_param;       // not owned
    const CPlaybackEngines* m_engines;  // not owned
    std::vector<Job> m_jobs;
    std::string m_diskPath;
    time_t m_begin = 0;
    time_t m_end = 0;
    int m_recordType = 0;
    std::vector<std::unique_ptr<CPlayBackInteraction>> m_kept;  // GUI thread only

    mutable QMutex m_mutex;         // guards the flags, the results and the current job
    std::vector<Result> m_results;  // handed over by run(), taken by the GUI thread
    int m_current = -1;             // the job run() is in, -1 between jobs
    bool m_running = false;
    bool m_reported = false;  // run() has ended its work and is about to report
    bool m_taken = false;     // the results were taken (no more are)
};
