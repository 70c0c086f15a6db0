// varpen-inspect download: runs the engine's stream downloader over the recordings of one channel
// and prints each DownloadSignal as it arrives, then the files written.
#include "tools/varpen-inspect/Inspect.h"

#include "engine/LocalIndex.h"

#include <QDir>
#include <QFileInfo>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

#include "app/CommonUtil.h"
#include "engine/FileSearch.h"
#include "engine/StreamDownloader.h"
#include "engine/WorkerReaper.h"

using namespace Inspect;

namespace {

constexpr int kJobLimit_s = 3600;

}  // namespace

int RunDownloadCommand(const QStringList& argsIn)
{
    QStringList args = argsIn;
    bool ok = true;
    const QString by = TakeOption(args, QStringLiteral("--by"), ok).value_or(QStringLiteral("file"));
    int channel = -1;
    if (args.size() == 6)
        channel = ParseInt(args.at(2)).value_or(-1);
    const auto from = args.size() == 6 ? ParseTime(args.at(3)) : std::nullopt;
    const auto to = args.size() == 6 ? ParseTime(args.at(4)) : std::nullopt;
    if (!ok || (by != QLatin1String("file") && by != QLatin1String("time")) || channel < 0 || !from || !to) {
        return Fail(
            QStringLiteral("usage: download SOURCE GROUP NUMBER \"yyyy-MM-dd hh:mm:ss\" "
                           "\"yyyy-MM-dd hh:mm:ss\" OUTDIR [--by file|time]"));
    }
    const time_t begin = from.value_or(-1);
    const time_t end = to.value_or(-1);
    const QString source = args.at(0);
    const std::string group = args.at(1).toStdString();
    const QString outDir = QFileInfo(args.at(5)).absoluteFilePath();
    const bool local = IsLocalSource(source);

    Varpen::SingleFileList files;
    if (!Varpen::CFileSearch().SearchChannelFiles(files, Varpen::PathToBytes(source), channel, group, begin, end, 0,
                                                  local)) {
        return Fail(QStringLiteral("cannot search %1 between %2 and %3").arg(source, args.at(3), args.at(4)));
    }
    // The search of a local folder widens to whole days, as the page's does; the job takes only the
    // recordings that overlap the window asked for.
    std::erase_if(files,
                  [&](const Varpen::SingleFilePtr& f) { return f->GetEndTime() <= begin || f->GetStartTime() >= end; });
    if (files.empty())
        return Fail(QStringLiteral("no recordings between %1 and %2").arg(args.at(3), args.at(4)));
    if (!QDir().mkpath(outDir))
        return Fail(QStringLiteral("cannot create %1").arg(outDir));

    // The download folder of this run only, handed to the downloader: the settings store is not
    // read.
    Varpen::OutputSettings settings;
    settings.downloadFolder = CCommonUtil::QStringToStdLocal(outDir + QLatin1Char('/'));
    settings.downloadPackage_bytes = Varpen::OutputSettings::kSmallPackage_bytes;

    std::mutex printLock;
    std::atomic<int> lastCode{-1};
    Varpen::CStreamDownloader downloader;
    downloader.SetOutputSettings(Varpen::FixedOutputSettings(settings));
    QObject::connect(
        &downloader, &Varpen::CStreamDownloader::DownloadSignal, &downloader,
        [&](int code, int index, int count) {
            std::lock_guard<std::mutex> guard(printLock);
            Print(QStringLiteral("signal\t%1\t%2\t%3").arg(code).arg(index).arg(count));
            // The events that end a job.
            using Varpen::DownloadEvent;
            switch (DownloadEvent(code)) {
            case DownloadEvent::Stopped:
            case DownloadEvent::Complete:
            case DownloadEvent::Failed:
            case DownloadEvent::DiskFull:
            case DownloadEvent::StartFailed:
                lastCode = code;
                break;
            default:
                break;
            }
        },
        Qt::DirectConnection);
    QObject::connect(
        &downloader, &Varpen::CStreamDownloader::DownloadFiles, &downloader,
        [&](const QString& path) {
            std::lock_guard<std::mutex> guard(printLock);
            Print(QStringLiteral("file\t") + path);
        },
        Qt::DirectConnection);

    downloader.SetUseIndex(local);
    downloader.SetTask(std::make_unique<Varpen::CStreamDownloaderParam>(channel));
    const bool started =
        by == QLatin1String("file") ? downloader.StartByFile(files, {}, {}) : downloader.StartByTime(files, begin, end);
    if (!started) {
        return Fail(QStringLiteral("the download could not be started: %1")
                        .arg(QString::fromLocal8Bit(downloader.GetLastError().c_str())));
    }

    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(kJobLimit_s);
    while (lastCode.load() == -1 && std::chrono::steady_clock::now() < limit) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    downloader.Stop(false);
    // A stop does not wait for the job's thread: a command line may.
    Varpen::CWorkerReaper::Instance().JoinAll();

    // The files this job wrote, not whatever else appeared in the folder meanwhile.
    for (const std::string& written : downloader.GetWrittenFiles()) {
        const QString path = QString::fromLocal8Bit(written.c_str());
        Print(QStringLiteral("written\t%1\t%2").arg(path).arg(QFileInfo(path).size()));
    }
    if (lastCode.load() == int(Varpen::DownloadEvent::StartFailed)) {
        // The start was taken, but its first recording gave nothing.
        return Fail(QStringLiteral("the download could not be started: %1")
                        .arg(QString::fromLocal8Bit(downloader.GetLastError().c_str())));
    }
    if (lastCode.load() != int(Varpen::DownloadEvent::Complete)) {
        const std::string reason = downloader.GetLastError();
        return Fail(
            QStringLiteral("the download ended with code %1%2")
                .arg(lastCode.load())
                .arg(reason.empty() ? QString() : QStringLiteral(": ") + QString::fromLocal8Bit(reason.c_str())));
    }
    return 0;
}
