// Shared pieces of the downloader tests: the sample sets, the settings and free space they run
// with, and a recorder of the downloader's events in the order they were sent.
#pragma once

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QObject>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <cstdlib>
#include <ctime>
#include <mutex>
#include <thread>
#include <vector>

#include "app/SettingsManager.h"
#include "engine/FileSearch.h"
#include "engine/StreamDownloader.h"
#include "platform/rtk/rtk.h"
#include "platform/system/system.h"

namespace DownloadFixture {

inline QString BuildDir()
{
    return qEnvironmentVariable("VARPEN_BUILD_DIR", QDir::currentPath());
}

// A sample folder made by varpen-sample, with its manifest.
struct SampleSet {
    QString root;
    QJsonObject manifest;

    bool Load(const QString& name)
    {
        root = BuildDir() + QStringLiteral("/samples/test/") + name;
        QFile file(root + QStringLiteral("/manifest.json"));
        if (!file.open(QIODevice::ReadOnly))
            return false;
        manifest = QJsonDocument::fromJson(file.readAll()).object();
        return !manifest.isEmpty();
    }
    QString Group() const
    {
        return manifest.value("source_name").toString() + "_" +
               QString::number(manifest.value("source_number").toInt());
    }
    int FirstChannel() const { return manifest.value("channels").toArray().first().toObject().value("number").toInt(); }
    // The manifest entries of one channel, in time order.
    QList<QJsonObject> Files(int channel) const
    {
        QList<QJsonObject> out;
        for (const QJsonValue& v : manifest.value("files").toArray())
            if (v.toObject().value("channel").toInt() == channel)
                out << v.toObject();
        std::sort(out.begin(), out.end(), [](const QJsonObject& a, const QJsonObject& b) {
            return a.value("start").toInteger() < b.value("start").toInteger();
        });
        return out;
    }
    QString PathOf(const QJsonObject& file) const { return root + "/" + file.value("path").toString(); }
    // The channel's files as the engine's search finds them in the folder.
    Varpen::SingleFileList Search(int channel) const
    {
        const QList<QJsonObject> files = Files(channel);
        Varpen::SingleFileList out;
        if (files.isEmpty())
            return out;
        Varpen::CFileSearch search;
        search.SearchChannelFiles(out, root.toStdString(), channel, Group().toStdString(),
                                  files.first().value("start").toInteger(), files.last().value("end").toInteger(), 0,
                                  true);
        return out;
    }
};

inline QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Settings of the download folder and package size, written into a scratch folder.
inline bool UseDownloadFolder(const QString& folder, const QString& settingsDir,
                              const QString& packageSize = QStringLiteral("0"))
{
    return CSettingsManager::Instance()->SaveSettings(
        {{CSettingsManager::GetKeyName(CSettingsManager::DownloadPackageSize), packageSize},
         {CSettingsManager::GetKeyName(CSettingsManager::DownloadSavePath), folder}},
        settingsDir + QStringLiteral("/Settings.xml"));
}

// The tiny sample set, whose first channel holds three recordings 4 s long and 2 s apart, and
// those recordings as the engine finds them, in time order; the times are Berlin's. Check
// QTest::currentTestFailed() after it.
inline void LoadTinyRecordings(SampleSet& set, Varpen::SingleFileList& files)
{
    setenv("TZ", "Europe/Berlin", 1);
    tzset();
    QVERIFY2(set.Load("tiny"), "the tiny sample set is missing");
    files = set.Search(set.FirstChannel());
    QCOMPARE(int(files.size()), 3);
}

// Every output file under a download folder, sorted by name.
inline QStringList OutputFiles(const QString& folder)
{
    QStringList out;
    QDir root(folder);
    for (const QString& date : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QDir dl(root.filePath(date + "/Download"));
        for (const QString& f : dl.entryList(QDir::Files, QDir::Name))
            out << dl.filePath(f);
    }
    return out;
}

// Every file under a folder, hidden ones (unfinished outputs) included, sorted.
inline QStringList AllFiles(const QString& folder)
{
    QStringList out;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext())
        out << it.next();
    out.sort();
    return out;
}

// Free space as the tests want it, whatever the machine has.
inline uint64_t& FreeBytes()
{
    static uint64_t bytes = 100ull << 30;
    return bytes;
}
inline bool FakeFreeSpace(const char*, uint64_t* free_bytes, uint64_t* total_bytes)
{
    if (free_bytes)
        *free_bytes = FreeBytes();
    if (total_bytes)
        *total_bytes = 200ull << 30;
    return true;
}

// A test's own download folder "dl<testNo>" under the scratch folder, in the settings; 100 GiB
// free through `freeSpace`; no write made to fail. Empty when the folder or settings could not be
// made.
inline QString UseNewDownloadFolder(const QTemporaryDir& scratch, int testNo, FreeSpaceFn freeSpace)
{
    const QString out = scratch.filePath(QStringLiteral("dl%1").arg(testNo));
    if (!QDir().mkpath(out) || !UseDownloadFolder(out + "/", scratch.path()))
        return {};
    FreeBytes() = 100ull << 30;
    Sys_SetFreeSpaceFunction(freeSpace);
    RTK_Test_FailWritesAfter(-1);
    return out;
}

struct Event {
    int code;
    int index;
    int count;
    std::thread::id thread;  // the thread that sent it
    bool busy;               // the downloader's state as the event arrived
    int progress;
};

// Records the downloader's events on the thread that sends them, in sending order.
class Recorder : public QObject {
public:
    explicit Recorder(Varpen::CStreamDownloader& downloader)
    {
        connect(
            &downloader, &Varpen::CStreamDownloader::DownloadSignal, this,
            [this, &downloader](int code, int index, int count) {
                const bool busy = downloader.IsBusy();
                const int progress = downloader.GetProgress();
                std::lock_guard<std::mutex> guard(m_lock);
                m_events.push_back({code, index, count, std::this_thread::get_id(), busy, progress});
                m_threads.push_back(std::this_thread::get_id());
            },
            Qt::DirectConnection);
        connect(
            &downloader, &Varpen::CStreamDownloader::DownloadFiles, this,
            [this](const QString& path) {
                std::lock_guard<std::mutex> guard(m_lock);
                m_paths << path;
                m_threads.push_back(std::this_thread::get_id());
            },
            Qt::DirectConnection);
    }
    // "code,index,count" per event, separated by spaces.
    QString Sequence() const
    {
        std::lock_guard<std::mutex> guard(m_lock);
        QStringList parts;
        for (const Event& e : m_events)
            parts << QStringLiteral("%1,%2,%3").arg(e.code).arg(e.index).arg(e.count);
        return parts.join(' ');
    }
    // A job has ended: complete, failed, out of space, or its start failed.
    bool Ended() const
    {
        std::lock_guard<std::mutex> guard(m_lock);
        return !m_events.empty() && (m_events.back().code == 2 || m_events.back().code == 3 ||
                                     m_events.back().code == 6 || m_events.back().code == 7);
    }
    std::vector<Event> Events() const
    {
        std::lock_guard<std::mutex> guard(m_lock);
        return m_events;
    }
    QStringList Paths() const
    {
        std::lock_guard<std::mutex> guard(m_lock);
        return m_paths;
    }
    // Every signal so far left from one thread, and not from `caller`'s.
    bool FromOneThreadOtherThan(std::thread::id caller) const
    {
        std::lock_guard<std::mutex> guard(m_lock);
        for (const std::thread::id& t : m_threads)
            if (t == caller || t != m_threads.front())
                return false;
        return true;
    }
    void Clear()
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_events.clear();
        m_paths.clear();
        m_threads.clear();
    }

private:
    mutable std::mutex m_lock;
    std::vector<Event> m_events;
    QStringList m_paths;
    std::vector<std::thread::id> m_threads;
};

}  // namespace DownloadFixture
