// Device logs at scale, on the real log page (offscreen, shown) over generated disk images:
//   - listing: from the search button until every row is in the page's list, for 100,000 records;
//   - memory: bytes the process holds per listed row once the search has ended, and what the rows
//     themselves hold;
//   - export of those rows (the page's export, until its result) beside a write of the same bytes,
//     both as a plain file and through a committed save file (synced, then renamed) as the export
//     writes; and the export's formatting alone, into a device that keeps nothing;
//   - how late a 5 ms timer fires on the GUI thread (p99, worst) while 1,000,000 rows are listed
//     and while they are exported, beside the same timer on the idle page (the machine's noise).
// Ends with one line per aim: "aim NAME value V goal G met yes|no".
//   bench_devicelog [--runs N] [--big 0|1]      (--big 0 leaves out the 1,000,000-row case)
#include "devicelog/LocalLogWidget.h"
#include "devicelog/LogListModel.h"
#include "devicelog/LogWriteThread.h"
#include "platform/diskrec/DiskImageWriter.h"
#include "tests/devicelog/LogDiskImage.h"
#include "widgets/CDiskTreeBox.h"
#include "widgets/CTableView.h"
#include "widgets/DateTimeEdit.h"
#include "widgets/PromptHook.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QSaveFile>
#include <QSet>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <malloc.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kRows = 100000;
constexpr int kBigRows = 1000000;
constexpr int kStep_s = 2;  // a million records within the page's 30-day window
constexpr int kTick_ms = 5;

using LogDiskImage::BaseTime;

bool WriteImage(const QString& path, int count)
{
    std::string error;
    if (!LogDiskImage::Write(path, diskrec::MakeSampleLogs(count, BaseTime(), kStep_s), &error)) {
        std::fprintf(stderr, "cannot write the image: %s\n", error.c_str());
        return false;
    }
    return true;
}

qint64 ResidentBytes()
{
    malloc_trim(0);
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLongLong() * sysconf(_SC_PAGESIZE) : 0;
}

// How late a 5 ms timer fires on the GUI thread while it runs.
class LagMeter {
public:
    LagMeter()
    {
        m_tick.setTimerType(Qt::PreciseTimer);
        m_tick.setInterval(kTick_ms);
        QObject::connect(&m_tick, &QTimer::timeout, [this] {
            const qint64 now = m_clock.nsecsElapsed();
            m_late_ms.push_back(std::max(0.0, (now - m_last) / 1e6 - kTick_ms));
            m_last = now;
        });
    }
    void Start()
    {
        m_late_ms.clear();
        m_clock.start();
        m_last = 0;
        m_tick.start();
    }
    void Stop()
    {
        // The stretch since the last shot counts too (a GUI thread stuck until the very end).
        const qint64 now = m_clock.nsecsElapsed();
        m_late_ms.push_back(std::max(0.0, (now - m_last) / 1e6 - kTick_ms));
        m_tick.stop();
        std::sort(m_late_ms.begin(), m_late_ms.end());
    }
    double Worst() const { return m_late_ms.empty() ? 0 : m_late_ms.back(); }
    double P99() const
    {
        return m_late_ms.empty() ? 0 : m_late_ms[std::min(m_late_ms.size() - 1, m_late_ms.size() * 99 / 100)];
    }

private:
    QTimer m_tick;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    std::vector<double> m_late_ms;
};

// Answers the page's prompts as an operator would, and notes when each notice came.
struct Operator {
    QElapsedTimer clock;
    QList<QPair<qint64, QString>> notices;
    CPromptHook::Answerer previous;

    Operator()
    {
        clock.start();
        previous = CPromptHook::SetAnswerer([this](const CPrompt& p) {
            if (p.kind == CPrompt::Notice) {
                notices.append({clock.nsecsElapsed(), p.text});
                return 0;
            }
            if (p.kind == CPrompt::Exec)
                return CPromptHook::kRunModal;  // the page's workers end its wait and progress dialogs
            return 1;
        });
    }
    ~Operator() { CPromptHook::SetAnswerer(previous); }
};

struct Listing {
    double listed_ms = -1;
    double lagWorst_ms = 0;
    double lagP99_ms = 0;
};

// Searches the page's disk over the whole window until `rows` rows are listed.
Listing List(CLocalLogWidget& page, int rows)
{
    const QAbstractItemModel* model = page.Form().m_pLogTreeView->model();
    Listing result;
    QElapsedTimer clock;
    LagMeter lag;
    const QMetaObject::Connection watch = QObject::connect(model, &QAbstractItemModel::rowsInserted, [&] {
        if (result.listed_ms < 0 && model->rowCount() >= rows) {
            result.listed_ms = clock.nsecsElapsed() / 1e6;
            lag.Stop();
        }
    });
    clock.start();
    lag.Start();
    page.QueryLocalLog();  // returns when the progress dialog has closed
    QObject::disconnect(watch);
    if (result.listed_ms < 0) {
        lag.Stop();
        std::fprintf(stderr, "only %d of %d rows listed\n", model->rowCount(), rows);
    }
    result.lagWorst_ms = lag.Worst();
    result.lagP99_ms = lag.P99();
    return result;
}

struct Export {
    double export_ms = -1;
    qint64 bytes = 0;
    double lagWorst_ms = 0;
    double lagP99_ms = 0;
};

Export ExportList(CLocalLogWidget& page, Operator& op, const QString& path)
{
    QFile::remove(path);
    Export result;
    LagMeter lag;
    const int before = int(op.notices.size());
    const qint64 start = op.clock.nsecsElapsed();
    lag.Start();
    page.OnBackUp(path);  // returns when the export has reported
    while (op.notices.size() == before)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    lag.Stop();
    if (op.notices[before].second != QLatin1String("Backup successful."))
        std::fprintf(stderr, "the export said: %s\n", qPrintable(op.notices[before].second));
    result.export_ms = (op.notices[before].first - start) / 1e6;
    result.bytes = QFile(path).size();
    result.lagWorst_ms = lag.Worst();
    result.lagP99_ms = lag.P99();
    return result;
}

// Writes `bytes` bytes in 1 MiB blocks, as a plain file or through a committed save file.
double WriteSameBytes(const QString& path, qint64 bytes, bool saveFile)
{
    const QByteArray block(1024 * 1024, 'x');
    QElapsedTimer timer;
    timer.start();
    if (saveFile) {
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return -1;
        for (qint64 left = bytes; left > 0; left -= block.size())
            file.write(block.constData(), qMin<qint64>(left, block.size()));
        if (!file.commit())
            return -1;
    } else {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return -1;
        for (qint64 left = bytes; left > 0; left -= block.size())
            file.write(block.constData(), qMin<qint64>(left, block.size()));
        file.close();
    }
    return timer.nsecsElapsed() / 1e6;
}

// A device that takes every byte and keeps none: the export's formatting alone.
class Discard : public QIODevice {
public:
    Discard() { open(QIODevice::WriteOnly); }
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char*, qint64 size) override { return size; }
};

double FormatOnly(const CLogRowList& rows)
{
    Discard out;
    QElapsedTimer timer;
    timer.start();
    CLogWriteThread::WriteDocument(out, rows, {});
    return timer.nsecsElapsed() / 1e6;
}

// What the list's rows hold: the rows and the texts they share.
double RowBytes(const CLogRowList& rows)
{
    qint64 bytes = qint64(rows.Batches().size()) * qint64(sizeof(LogBatch) + sizeof(int));
    QSet<const QChar*> texts;
    for (const LogBatch& batch : rows.Batches()) {
        bytes += qint64(sizeof(LogRowBatch) + batch->rows.capacity() * sizeof(LogRow) + 32);  // 32: the shared block
        bytes += batch->texts.capacity() * qint64(sizeof(QString));
        for (const QString& text : batch->texts)
            if (!texts.contains(text.constData())) {
                texts.insert(text.constData());
                bytes += 24 + text.capacity() * 2;
            }
    }
    return rows.IsEmpty() ? 0 : double(bytes) / rows.Count();
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? -1 : v[v.size() / 2];
}

void Aim(const char* name, double value, double goal)
{
    std::printf("aim %s value %.2f goal %.2f met %s\n", name, value, goal, value <= goal ? "yes" : "no");
}

std::unique_ptr<CLocalLogWidget> MakePage(int entry)
{
    auto page = std::make_unique<CLocalLogWidget>();
    page->resize(1006, 678);
    page->show();
    if (!page->Form().m_pDiskcomboBox->SelectEntry(unsigned(1000 + entry)))
        std::fprintf(stderr, "no disk entry %d\n", entry);
    const QDateTime start = QDateTime::fromSecsSinceEpoch(BaseTime());
    page->Form().m_pLogStartDateTimeEdit->setDateTime(start);
    page->Form().m_pLogStopDateTimeEdit->setDateTime(start.addDays(30));
    QCoreApplication::processEvents();
    return page;
}

}  // namespace

int main(int argc, char** argv)
{
    int runs = 5;
    bool big = true;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (qstrcmp(argv[i], "--runs") == 0)
            runs = std::max(1, atoi(argv[i + 1]));
        else if (qstrcmp(argv[i], "--big") == 0)
            big = atoi(argv[i + 1]) != 0;
    }
    QTemporaryDir dir;
    const QString image = dir.filePath(QStringLiteral("logs.img"));
    const QString bigImage = dir.filePath(QStringLiteral("big.img"));
    if (!WriteImage(image, kRows) || (big && !WriteImage(bigImage, kBigRows)))
        return 1;
    qputenv("VARPEN_EXTRA_DISKS", QStringList{image, bigImage}.join(QLatin1Char(':')).toUtf8());
    QApplication app(argc, argv);
    Operator op;

    std::vector<double> listed, perRow, held, formatted, exported, plain, saved, ratio;
    qint64 bytes = 0;
    for (int run = 0; run < runs; ++run) {
        const qint64 rssBefore = ResidentBytes();
        auto page = MakePage(0);
        const qint64 rssPage = ResidentBytes();
        const Listing l = List(*page, kRows);
        const qint64 rssListed = ResidentBytes();
        const Export e = ExportList(*page, op, dir.filePath(QStringLiteral("logs.xml")));
        const double format_ms = FormatOnly(page->ListModel()->Rows());
        held.push_back(RowBytes(page->ListModel()->Rows()));
        formatted.push_back(format_ms);
        bytes = e.bytes;
        const double plain_ms = WriteSameBytes(dir.filePath(QStringLiteral("plain.bin")), e.bytes, false);
        const double saved_ms = WriteSameBytes(dir.filePath(QStringLiteral("saved.bin")), e.bytes, true);
        listed.push_back(l.listed_ms);
        perRow.push_back(double(rssListed - rssPage) / kRows);
        exported.push_back(e.export_ms);
        plain.push_back(plain_ms);
        saved.push_back(saved_ms);
        ratio.push_back(e.export_ms / saved_ms);
        std::printf(
            "run %d: %d rows listed in %.0f ms (GUI late p99 %.1f ms, worst %.1f ms); %.0f bytes per listed row "
            "(page %.1f MB; the rows themselves %.0f); export %.1f MB in %.0f ms (GUI late p99 %.1f ms, worst %.1f "
            "ms; formatting alone %.0f ms); the same bytes written plain %.0f ms, through a committed save "
            "file %.0f ms\n",
            run + 1, kRows, l.listed_ms, l.lagP99_ms, l.lagWorst_ms, perRow.back(), (rssPage - rssBefore) / 1e6,
            held.back(), e.bytes / 1e6, e.export_ms, e.lagP99_ms, e.lagWorst_ms, format_ms, plain_ms, saved_ms);
        std::fflush(stdout);
    }
    std::printf(
        "median of %d runs: listing %d rows %.0f ms; %.0f bytes per listed row (the rows themselves %.0f); "
        "export of %.1f MB %.0f ms (formatting alone %.0f ms) against %.0f ms to write the same bytes plain "
        "and %.0f ms through a committed save file (%.2fx)\n",
        runs, kRows, Median(listed), Median(perRow), Median(held), bytes / 1e6, Median(exported), Median(formatted),
        Median(plain), Median(saved), Median(ratio));

    double bigWorst_ms = -1;
    double bigP99_ms = -1;
    double bigPerRow = -1;
    if (big) {
        LagMeter idle;
        auto page = MakePage(1);
        idle.Start();
        QEventLoop wait;
        QTimer::singleShot(2000, &wait, &QEventLoop::quit);
        wait.exec();
        idle.Stop();
        const qint64 rssPage = ResidentBytes();
        const Listing l = List(*page, kBigRows);
        const qint64 rssListed = ResidentBytes();
        const Export e = ExportList(*page, op, dir.filePath(QStringLiteral("big.xml")));
        bigWorst_ms = e.lagWorst_ms;
        bigP99_ms = e.lagP99_ms;
        bigPerRow = double(rssListed - rssPage) / kBigRows;
        std::printf(
            "%d rows: listed in %.0f ms (GUI late p99 %.1f ms, worst %.1f ms), %.0f bytes per listed row; "
            "export %.1f MB in %.0f ms (GUI late p99 %.1f ms, worst %.1f ms); the idle page: p99 %.1f ms, "
            "worst %.1f ms\n",
            kBigRows, l.listed_ms, l.lagP99_ms, l.lagWorst_ms, bigPerRow, e.bytes / 1e6, e.export_ms, e.lagP99_ms,
            e.lagWorst_ms, idle.P99(), idle.Worst());
    }

    std::vector<double> plainRatio;
    for (size_t i = 0; i < exported.size(); ++i)
        plainRatio.push_back(exported[i] / plain[i]);
    Aim("export_100k_vs_write_x", Median(plainRatio), 2.0);
    Aim("export_100k_vs_committed_write_x", Median(ratio), 2.0);
    Aim("listing_100k_ms", Median(listed), 300);
    if (big) {
        Aim("export_1m_gui_worst_ms", bigWorst_ms, 50);
        Aim("export_1m_gui_p99_ms", bigP99_ms, 16);
    }
    // The process's growth per row is clearest on the long list (a short one reuses memory that
    // earlier runs freed); it holds the rows and the view's own layout of them.
    std::printf("bytes per listed row: %.0f (the process's growth %s; the rows themselves %.0f)\n",
                big ? bigPerRow : perRow.front(), big ? "listing 1,000,000 rows" : "in the first run", Median(held));
    return 0;
}
