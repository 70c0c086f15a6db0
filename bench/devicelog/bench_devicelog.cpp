// Device logs at scale: 100,000 records on a disk image, from the start of a search until every row
// is in the log list's model (batches of 500 taken one after another, as the page takes them), and
// the export of those rows to XML beside a plain write of the same bytes.
#include "devicelog/LogListModel.h"
#include "devicelog/LogRecordText.h"
#include "devicelog/LogSearch.h"
#include "devicelog/LogWriteThread.h"
#include "platform/diskrec/DiskImageWriter.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <ctime>

namespace {

constexpr int kRecords = 100000;

double WriteSameBytes(const QString& path, qint64 bytes)
{
    QElapsedTimer timer;
    timer.start();
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return -1;
    const QByteArray block(64 * 1024, 'x');
    for (qint64 left = bytes; left > 0; left -= block.size())
        file.write(block.constData(), qMin<qint64>(left, block.size()));
    file.flush();
    file.close();
    return timer.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString image = dir.filePath(QStringLiteral("logs.img"));
    {
        std::tm t{};
        t.tm_year = 124;
        t.tm_mday = 1;
        t.tm_isdst = -1;
        const std::int64_t first = std::mktime(&t);
        diskrec::DiskImageWriter writer;
        diskrec::ImageFile file;
        file.start = first;
        file.end = first + 1;
        file.data.assign(400, 0);
        writer.AddFile("", file);
        for (const DR_LogRecord& r : diskrec::MakeSampleLogs(kRecords, first, 10))
            writer.AddLog(r);
        std::string error;
        if (!writer.Write(image.toStdString(), &error)) {
            std::fprintf(stderr, "cannot write the image: %s\n", error.c_str());
            return 1;
        }
    }

    for (int run = 0; run < 3; ++run) {
        CLogListModel model;
        CLogSearch search;
        QEventLoop loop;
        int rows = 0;
        QObject::connect(&search, &CLogSearch::SetLogInfoToView, &search,
                         [&](LogBatch batch, int over, int total, int) {
                             model.Append({batch});
                             rows = over;
                             search.ContinueSearch();
                             if (over >= total)
                                 loop.quit();
                         });
        LogSearchCondition condition;
        condition.major = 0;
        condition.minor = 0;
        search.SetDiskPath(image.toLocal8Bit());
        search.SetCondition(condition);
        QElapsedTimer timer;
        timer.start();
        search.start();
        loop.exec();
        const double listed_ms = timer.nsecsElapsed() / 1e6;
        search.wait();

        const QString xml = dir.filePath(QStringLiteral("logs.xml"));
        CLogWriteThread writer;
        timer.restart();
        writer.SetParam(xml, -1, &model);
        const double copy_ms = timer.nsecsElapsed() / 1e6;
        writer.start();
        writer.wait();
        const double export_ms = timer.nsecsElapsed() / 1e6;
        const qint64 bytes = QFile(xml).size();
        const double plain_ms = WriteSameBytes(dir.filePath(QStringLiteral("plain.bin")), bytes);
        if (model.columnCount() != LogColumnCount)
            std::fprintf(stderr, "the list has %d columns\n", model.columnCount());
        std::printf("run %d: %d rows listed in %.0f ms; export %.1f MB in %.0f ms (copying the rows %.0f ms), "
                    "plain write of the same bytes %.0f ms\n",
                    run + 1, rows, listed_ms, bytes / 1e6, export_ms, copy_ms, plain_ms);
    }
    return 0;
}
