// Download-by-file throughput against `cp` of the same bytes, in the same run.
//   bench_download [FILES] [MIB_PER_FILE]
// Writes FILES recordings of about MIB_PER_FILE each (default 4 x 48 MiB: one encoded 30-s
// recording whose stream is repeated, as large as a recorder's files) into a scratch folder,
// then times `cp` of them and a download of them by file (best of three each), and prints both
// rates and their ratio. `bench_download 16 1` shows the cost of each file switch (opening the
// next output and stream), which dominates for small files.
#include <QGuiApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

#include "app/SettingsManager.h"
#include "engine/StreamDownloader.h"
#include "tools/varpen-sample/SampleGen.h"

namespace {

double Seconds(const QElapsedTimer& t)
{
    return t.nsecsElapsed() / 1e9;
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);  // the sample pictures are drawn with fonts
    const int segments = argc > 1 ? std::atoi(argv[1]) : 4;
    const int mibPerFile = argc > 2 ? std::atoi(argv[2]) : 48;
    QTemporaryDir scratch;
    if (!scratch.isValid() || segments < 1 || mibPerFile < 1)
        return 1;
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& m) {
        if (type != QtDebugMsg && type != QtInfoMsg)
            std::fprintf(stderr, "%s\n", qPrintable(m));
    });

    SampleGen::SegmentParams p;
    p.channel = 1;
    p.duration_s = 30;
    p.width = 640;
    p.height = 360;
    QByteArray encoded;
    SampleGen::SegmentResult result;
    QString error;
    if (!SampleGen::EncodeSegment(p, &encoded, &result, &error)) {
        std::fprintf(stderr, "cannot encode a recording: %s\n", qPrintable(error));
        return 1;
    }
    const QByteArray header = encoded.left(40);
    const QByteArray body = encoded.mid(40);

    // Recordings named as in a local recording folder, so the index reader streams them whole.
    const QString src = scratch.filePath("src");
    QDir().mkpath(src);
    Varpen::SingleFileList files;
    qint64 totalBytes = 0;
    time_t start = QDateTime(QDate(2024, 1, 30), QTime(10, 0)).toSecsSinceEpoch();
    const int length_s = 600;
    for (int i = 0; i < segments; ++i) {
        const QString name = QDateTime::fromSecsSinceEpoch(start).toString("yyyyMMddhhmmss") + "_" +
                             QDateTime::fromSecsSinceEpoch(start + length_s).toString("yyyyMMddhhmmss") + "_1.mp4";
        QFile out(src + "/" + name);
        if (!out.open(QIODevice::WriteOnly))
            return 1;
        out.write(header);
        while (out.size() < qint64(mibPerFile) << 20)
            out.write(body);
        files.push_back(std::make_shared<Varpen::CSingleFile>(
            (src + "/" + name).toStdString(), "", unsigned(out.size()), start, start + length_s, 1u, "bench_1", 1));
        totalBytes += out.size();
        start += length_s + 2;
    }
    const double mib = totalBytes / 1048576.0;

    double bestCp = 1e9;
    double bestDl = 1e9;
    for (int round = 0; round < 3; ++round) {
        const QString cpOut = scratch.filePath(QStringLiteral("cp%1").arg(round));
        QDir().mkpath(cpOut);
        QStringList args;
        for (const auto& f : files)
            args << QString::fromStdString(f->GetName());
        args << cpOut;
        QElapsedTimer t;
        t.start();
        if (QProcess::execute("cp", args) != 0)
            return 1;
        bestCp = std::min(bestCp, Seconds(t));

        const QString dlOut = scratch.filePath(QStringLiteral("dl%1/").arg(round));
        CSettingsManager::Instance()->SetAllSettings(
            {new CSettings(CSettingsManager::GetKeyName(CSettingsManager::DownloadPackageSize), "1"),
             new CSettings(CSettingsManager::GetKeyName(CSettingsManager::DownloadSavePath), dlOut)});
        Varpen::CStreamDownloader d;
        std::atomic<int> last{-1};
        QObject::connect(
            &d, &Varpen::CStreamDownloader::DownloadSignal, &d,
            [&](int code, int, int) {
                if (code == 1 || code == 2 || code == 3 || code == 6)
                    last = code;
            },
            Qt::DirectConnection);
        d.SetUseIndex(true);
        d.SetTask(std::make_unique<Varpen::CStreamDownloaderParam>(1));
        t.restart();
        if (!d.StartByFile(files, {}, {}))
            return 1;
        while (last.load() == -1)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        const double s = Seconds(t);
        if (last.load() != 2) {
            std::fprintf(stderr, "download ended with code %d\n", last.load());
            return 1;
        }
        bestDl = std::min(bestDl, s);
    }
    std::printf("files\t%d\nbytes\t%lld\n", segments, static_cast<long long>(totalBytes));
    std::printf("cp_MiB_per_s\t%.1f\n", mib / bestCp);
    std::printf("download_MiB_per_s\t%.1f\n", mib / bestDl);
    std::printf("download_vs_cp\t%.0f%%\n", 100.0 * bestCp / bestDl);
    return 0;
}
