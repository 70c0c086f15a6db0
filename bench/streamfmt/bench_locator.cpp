// Bytes read to position a stream at a time in a large segment.
//   bench_streamfmt_locator [size_mb=500] [folder=/tmp]
// Writes a segment of about size_mb (noisy lossless pictures, so it grows fast), then asks the
// packet locator for several times and prints the bytes it read and the time it took.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <cstdio>

extern "C" {
#include <libavutil/log.h>
}

#include "platform/streamfmt/PacketLocator.h"
#include "tools/varpen-sample/SampleGen.h"

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    av_log_set_level(AV_LOG_ERROR);
    const double size_mb = argc > 1 ? std::atof(argv[1]) : 500.0;
    QTemporaryDir dir(QString::fromLocal8Bit(argc > 2 ? argv[2] : "/tmp") + QStringLiteral("/varpen-bench-XXXXXX"));
    if (!dir.isValid() || size_mb <= 0) {
        std::fprintf(stderr, "usage: %s [size_mb] [folder]\n", argv[0]);
        return 2;
    }
    SampleGen::SegmentParams p;
    p.start_time = 1706605200;
    p.width = 352;
    p.height = 288;
    p.crf = 0;
    p.noise = true;
    p.duration_s = 2;
    QString error;
    const QString probe = dir.filePath(QStringLiteral("probe.mp4"));
    SampleGen::SegmentResult r;
    if (!SampleGen::WriteSegment(probe, p, &r, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    const double bytes_per_s = double(r.size_bytes) / p.duration_s;
    p.duration_s = std::max(4, int(size_mb * 1024 * 1024 / bytes_per_s));
    const QString path = dir.filePath(QStringLiteral("big.mp4"));
    QElapsedTimer timer;
    timer.start();
    if (!SampleGen::WriteSegment(path, p, &r, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    const qint64 size = QFileInfo(path).size();
    std::printf("segment: %.1f MB, %d s, %zu keyframes, written in %.1f s\n", size / 1048576.0, p.duration_s,
                r.keyframes.size(), timer.elapsed() / 1000.0);
    std::printf("%-10s %-6s %14s %12s %10s\n", "target", "mode", "bytes read", "% of file", "ms");
    std::int64_t total_read = 0;
    int queries = 0;
    for (double frac : {0.01, 0.25, 0.5, 0.75, 0.95}) {
        for (int mode : {int(SF_LOCATE_START), int(SF_LOCATE_END)}) {
            const std::int64_t t = p.start_time + std::int64_t(frac * p.duration_s);
            timer.restart();
            const std::int64_t h = SF_LocatorOpen(QFile::encodeName(path).constData(), 0);
            const std::int64_t pos = SF_LocatorFindPacket(h, t, mode);
            const std::int64_t read = SF_LocatorBytesRead(h);
            SF_LocatorClose(h);
            total_read += read;
            ++queries;
            std::printf("%-10s %-6s %14lld %11.3f%% %10lld%s\n",
                        qPrintable(QStringLiteral("+%1s").arg(t - p.start_time)),
                        mode == SF_LOCATE_START ? "start" : "end", static_cast<long long>(read), 100.0 * read / size,
                        static_cast<long long>(timer.elapsed()), pos < 0 ? "  (not found)" : "");
        }
    }
    std::printf("mean bytes read per query: %lld (%.3f%% of the file)\n", static_cast<long long>(total_read / queries),
                100.0 * double(total_read) / queries / double(size));
    return 0;
}
