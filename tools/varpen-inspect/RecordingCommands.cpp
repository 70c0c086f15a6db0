// channels, days, files, stream: the recordings of a local folder or a recorder disk, through
// the disk channel scan, the recording search and the stream source.
#include "tools/varpen-inspect/Inspect.h"

#include "engine/FileSearch.h"
#include "engine/LocalIndex.h"
#include "engine/SearchDiskThread.h"
#include "engine/StreamSource.h"
#include "platform/diskrec/diskrec.h"

#include <QElapsedTimer>
#include <QThread>

#include <atomic>
#include <cstdio>

using namespace Inspect;

namespace {

constexpr qint64 kStallLimitMs = 15000;  // no data and no progress for this long: give up

struct Channel {
    QString source;
    std::string group;
    int number = 0;
};

// SOURCE GROUP NUMBER at the front of `args`.
std::optional<Channel> TakeChannel(QStringList& args)
{
    if (args.size() < 3)
        return std::nullopt;
    const auto number = ParseInt(args.at(2));
    if (!number || *number < 0)
        return std::nullopt;
    Channel c{args.at(0), Varpen::PathToBytes(args.at(1)), *number};
    args.remove(0, 3);
    return c;
}

struct StreamOutput {
    std::atomic<qint64> bytes{0};
    std::atomic<bool> writeFailed{false};
};

void WriteBlock(int, int type, unsigned char* data, unsigned int size, void* user)
{
    auto* out = static_cast<StreamOutput*>(user);
    using Block = Varpen::CStreamSource::Block;
    if (!out || (type != int(Block::Header) && type != int(Block::Data)) || out->writeFailed)
        return;
    if (std::fwrite(data, 1, size, stdout) != size) {
        out->writeFailed = true;
        return;
    }
    out->bytes += size;
}

}  // namespace

int RunChannelsCommand(const QStringList& argsIn)
{
    QStringList args = argsIn;
    bool ok = true;
    const auto month = TakeOption(args, QStringLiteral("--month"), ok);
    if (!ok || args.size() != 1)
        return Fail(QStringLiteral("usage: channels SOURCE [--month YYYY-MM]"));
    std::vector<time_t> days;
    if (month) {
        const auto first = ParseMonth(*month);
        if (!first)
            return Fail(QStringLiteral("bad month: %1").arg(*month));
        for (QDate d = *first; d.month() == first->month(); d = d.addDays(1)) {
            days.push_back(QDateTime(d, QTime(0, 0)).toSecsSinceEpoch());
        }
    }
    // A local folder lists the channels of all its dates for any one day; a scan given no day lists none.
    if (days.empty() && IsLocalSource(args.at(0)))
        days.push_back(time(nullptr));
    CSearchDiskThread scan;
    scan.SetSearchParam(args.at(0), days);
    scan.StartSearch();
    scan.wait();
    std::map<std::string, std::vector<int>> result;
    int type = -1;
    const bool found = scan.GetResult(result, type);
    Print(QStringLiteral("type %1").arg(type));
    if (scan.GetDiskError() == DR_ERR_ACCESS_DENIED)
        return Fail(QStringLiteral("no right to read %1").arg(args.at(0)));
    if (found && scan.GetDiskError() != 0)
        return Fail(QStringLiteral("the index of %1 cannot be read").arg(args.at(0)));
    if (!found)
        return Fail(QStringLiteral("no recordings can be read from %1").arg(args.at(0)));
    for (const auto& [group, numbers] : result) {
        for (int n : numbers)
            Print(QString::fromStdString(group) + QLatin1Char('\t') + QString::number(n));
    }
    return 0;
}

int RunDaysCommand(const QStringList& argsIn)
{
    QStringList args = argsIn;
    const auto channel = TakeChannel(args);
    const auto month = args.size() == 1 ? ParseMonth(args.at(0)) : std::nullopt;
    if (!channel || !month)
        return Fail(QStringLiteral("usage: days SOURCE GROUP NUMBER YYYY-MM"));
    const QDate last = month->addMonths(1).addDays(-1);
    std::set<time_t> days;
    Varpen::CFileSearch().SearchDiskFilesByDay(days, channel->group, channel->number,
                                               QDateTime(*month, QTime(0, 0)).toSecsSinceEpoch(),
                                               QDateTime(last, QTime(0, 0)).toSecsSinceEpoch(),
                                               Varpen::PathToBytes(channel->source), IsLocalSource(channel->source));
    for (time_t d : days)
        Print(QDateTime::fromSecsSinceEpoch(d).toString(QStringLiteral("yyyy-MM-dd")));
    return 0;
}

int RunFilesCommand(const QStringList& argsIn)
{
    QStringList args = argsIn;
    bool ok = true;
    const auto typeText = TakeOption(args, QStringLiteral("--type"), ok);
    const auto type = typeText ? ParseInt(*typeText) : std::optional<int>(0);
    const auto channel = TakeChannel(args);
    const auto from = args.size() == 2 ? ParseTime(args.at(0)) : std::nullopt;
    const auto to = args.size() == 2 ? ParseTime(args.at(1)) : std::nullopt;
    if (!ok || !type || !channel || !from || !to) {
        return Fail(QStringLiteral(
            "usage: files SOURCE GROUP NUMBER \"yyyy-MM-dd hh:mm:ss\" \"yyyy-MM-dd hh:mm:ss\" [--type T]"));
    }
    Varpen::SingleFileList files;
    if (!Varpen::CFileSearch().SearchChannelFiles(files, Varpen::PathToBytes(channel->source), channel->number,
                                                  channel->group, *from, *to, *type, IsLocalSource(channel->source))) {
        return Fail(QStringLiteral("cannot search %1 between %2 and %3").arg(channel->source, args.at(0), args.at(1)));
    }
    for (const Varpen::SingleFilePtr& f : files) {
        Print(FormatTime(f->GetStartTime()) + QLatin1Char('\t') + FormatTime(f->GetEndTime()) + QLatin1Char('\t') +
              QString::number(f->GetSize()) + QLatin1Char('\t') + Varpen::PathFromBytes(f->GetName()));
    }
    return 0;
}

int RunStreamCommand(const QStringList& argsIn)
{
    QStringList args = argsIn;
    const auto channel = TakeChannel(args);
    const auto at = args.size() == 1 ? ParseTime(args.at(0)) : std::nullopt;
    if (!channel || !at)
        return Fail(QStringLiteral("usage: stream SOURCE GROUP NUMBER \"yyyy-MM-dd hh:mm:ss\""));
    const bool local = IsLocalSource(channel->source);
    const QDate day = QDateTime::fromSecsSinceEpoch(*at).date();
    Varpen::SingleFileList files;
    if (!Varpen::CFileSearch().SearchChannelFiles(files, Varpen::PathToBytes(channel->source), channel->number,
                                                  channel->group, QDateTime(day, QTime(0, 0)).toSecsSinceEpoch(),
                                                  QDateTime(day, QTime(23, 59, 59)).toSecsSinceEpoch(), 0, local)) {
        return Fail(QStringLiteral("cannot search %1").arg(channel->source));
    }
    int index = -1;
    time_t startAt = -1;
    if (!Varpen::FindFileByTime(files, *at, index, startAt)) {
        return Fail(QStringLiteral("no recording at or after %1").arg(args.at(0)));
    }
    const auto piece = files[std::size_t(index)]->CloneWithRange(startAt, -1);

    StreamOutput out;
    Varpen::CStreamSource source;
    source.SetDataCallback(WriteBlock, &out);
    source.SetUseIndex(local);
    if (!source.OpenByTime(*piece, channel->number)) {
        return Fail(QStringLiteral("cannot open the stream of %1").arg(QString::fromStdString(piece->GetName())));
    }
    QElapsedTimer stall;
    stall.start();
    qint64 lastBytes = -1;
    int lastPos = -1;
    int pos = 0;
    while ((pos = source.GetPos()) != Varpen::CStreamSource::kPosDelivered &&
           pos != Varpen::CStreamSource::kPosFailed && !out.writeFailed) {
        if (out.bytes != lastBytes || pos != lastPos) {
            lastBytes = out.bytes;
            lastPos = pos;
            stall.restart();
        } else if (stall.elapsed() > kStallLimitMs) {
            break;
        }
        QThread::msleep(5);
    }
    source.Stop();
    std::fflush(stdout);
    if (out.writeFailed || std::ferror(stdout))
        return Fail(QStringLiteral("cannot write the stream to stdout"));
    if (pos == Varpen::CStreamSource::kPosFailed)
        return Fail(QStringLiteral("the stream failed"));
    if (pos != Varpen::CStreamSource::kPosDelivered)
        return Fail(QStringLiteral("the stream stalled"));
    // A stream that ends without its header and data delivered nothing: not a recording.
    if (out.bytes <= 40)
        return Fail(QStringLiteral("the stream delivered no data"));
    return 0;
}
