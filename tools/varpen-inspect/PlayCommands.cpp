// Playback commands: play a channel into an offscreen video surface, or save the first frame
// shown at a time. Both go through the per-window playback engine, so the stream source, the
// player port and the player layer run exactly as they do behind a play window.
#include "tools/varpen-inspect/Inspect.h"

#include "engine/LocalIndex.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QThread>

#include <algorithm>
#include <memory>

#include "engine/PlayBackInteraction.h"
#include "platform/vrend/VideoSurface.h"

using namespace Inspect;

namespace {

struct PlayChannel {
    QString source;
    QString group;
    int number = -1;
};

std::optional<PlayChannel> TakePlayChannel(QStringList& args)
{
    if (args.size() < 3)
        return std::nullopt;
    const auto number = ParseInt(args.at(2));
    if (!number || *number < 0)
        return std::nullopt;
    PlayChannel c{args.at(0), args.at(1), *number};
    args.remove(0, 3);
    return c;
}

// An engine on the channel with the files of [from, to] found.
bool SearchChannel(CPlayBackInteraction& engine, const PlayChannel& c, time_t from, time_t to)
{
    engine.SetChannel(Varpen::CChannel(c.number, c.group));
    engine.SetUseIndex(IsLocalSource(c.source));
    Varpen::SingleFileList files;
    return engine.SearchFiles(files, Varpen::PathToBytes(c.source), from, to, 0) && !files.empty();
}

// Runs the event loop for `ms` (frames reach the surface through it).
void Spin(int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(5);
    }
}

bool SaveImage(const QImage& image, const QString& path)
{
    const QString lower = path.toLower();
    if (!lower.endsWith(QLatin1String(".png")) && !lower.endsWith(QLatin1String(".jpg")) &&
        !lower.endsWith(QLatin1String(".bmp")))
        return false;
    return !image.isNull() && image.save(path);
}

// Shows the picture at its own size, so that a saved frame is the decoded picture.
void FitSurfaceToPicture(CPlayBackInteraction& engine, VideoSurface& surface)
{
    int width = 0, height = 0;
    if (engine.GetPictureSize(&width, &height) && width > 0 && height > 0 && surface.size() != QSize(width, height)) {
        surface.resize(width, height);
        engine.RefreshPlay();
        Spin(50);
    }
}

}  // namespace

int RunPlayCommand(const QStringList& argsIn)
{
    QStringList args = argsIn;
    bool ok = true;
    const auto atText = TakeOption(args, QStringLiteral("--at"), ok);
    const auto speedText = TakeOption(args, QStringLiteral("--speed"), ok);
    const auto secondsText = TakeOption(args, QStringLiteral("--seconds"), ok);
    const auto shot = TakeOption(args, QStringLiteral("--shot"), ok);
    const auto channel = TakePlayChannel(args);
    const auto from = args.size() == 2 ? ParseTime(args.at(0)) : std::nullopt;
    const auto to = args.size() == 2 ? ParseTime(args.at(1)) : std::nullopt;
    const auto at = atText ? ParseTime(*atText) : std::nullopt;
    const auto speed = speedText ? ParseInt(*speedText) : std::optional<int>(0);
    const auto seconds = secondsText ? ParseInt(*secondsText) : std::optional<int>(5);
    if (!ok || !channel || !from || !to || !at || !speed || *speed < -3 || *speed > 3 || !seconds || *seconds < 1)
        return Fail(
            QStringLiteral("usage: play SOURCE GROUP NUMBER FROM TO --at TIME [--speed L] [--seconds S] "
                           "[--shot OUT]"));

    const time_t begin = from.value_or(0);
    const time_t end = to.value_or(0);
    CPlayBackInteraction engine;
    if (!SearchChannel(engine, *channel, begin, end))
        return Fail(QStringLiteral("no recordings of %1 %2 between %3 and %4")
                        .arg(channel->group)
                        .arg(channel->number)
                        .arg(FormatTime(begin), FormatTime(end)));
    VideoSurface surface;
    surface.resize(352, 288);
    if (!engine.StartPlayback(surface.surfaceId(), *at))
        return Fail(QStringLiteral("playback did not start (error %1)").arg(engine.GetPlayError()));
    if (*speed != 0 && engine.SetSpeed(*speed) == 0)
        return Fail(QStringLiteral("cannot set speed %1").arg(*speed));

    // The on-screen time once a second, for as long as asked or until the recordings end.
    for (int s = 0; s < *seconds && engine.IsPlaying(); ++s) {
        Spin(1000);
        const time_t shown = engine.GetCurrentTime();
        Print(QStringLiteral("%1\t%2").arg(s + 1).arg(shown == -1 ? QStringLiteral("-") : FormatTime(shown)));
    }
    if (engine.IsEndOfList())
        Print(QStringLiteral("end of recordings"));
    if (engine.GetPlayError() != 0)
        Print(QStringLiteral("error\t%1").arg(engine.GetPlayError()));
    if (shot) {
        engine.Pause(true);
        FitSurfaceToPicture(engine, surface);
        if (!SaveImage(surface.currentImage(), *shot))
            return Fail(QStringLiteral("cannot save a picture to %1").arg(*shot));
    }
    const int frames = surface.framesReceived();
    const int error = engine.GetPlayError();
    Print(QStringLiteral("frames shown\t%1").arg(frames));
    engine.StopPlayback();
    if (error != 0)
        return Fail(QStringLiteral("playback failed (error %1)").arg(error));
    if (frames == 0)
        return Fail(QStringLiteral("no frame was shown"));
    return 0;
}

int RunFrameCommand(const QStringList& argsIn)
{
    QStringList args = argsIn;
    const auto channel = TakePlayChannel(args);
    const auto at = args.size() == 2 ? ParseTime(args.at(0)) : std::nullopt;
    if (!channel || !at)
        return Fail(QStringLiteral("usage: frame SOURCE GROUP NUMBER TIME OUT.png|.jpg|.bmp"));
    const QString out = args.at(1);

    CPlayBackInteraction engine;
    const QDate day = QDateTime::fromSecsSinceEpoch(*at).date();
    if (!SearchChannel(engine, *channel, QDateTime(day, QTime(0, 0)).toSecsSinceEpoch(),
                       QDateTime(day, QTime(23, 59, 59)).toSecsSinceEpoch()))
        return Fail(QStringLiteral("no recordings of %1 %2 on %3")
                        .arg(channel->group)
                        .arg(channel->number)
                        .arg(day.toString(Qt::ISODate)));
    VideoSurface surface;
    surface.resize(352, 288);
    if (!engine.StartPlayback(surface.surfaceId(), *at))
        return Fail(QStringLiteral("no picture at %1 (error %2)").arg(args.at(0)).arg(engine.GetPlayError()));
    // The slowest speed keeps the first frame on screen until it is held.
    engine.SetSpeed(-3);
    QElapsedTimer timer;
    timer.start();
    while (surface.framesReceived() == 0 && timer.elapsed() < 5000)
        Spin(5);
    engine.Pause(true);
    if (surface.framesReceived() == 0)
        return Fail(QStringLiteral("no frame was shown"));
    FitSurfaceToPicture(engine, surface);
    if (!SaveImage(surface.currentImage(), out))
        return Fail(QStringLiteral("cannot save a picture to %1 (.png, .jpg or .bmp)").arg(out));
    Print(QStringLiteral("%1\t%2").arg(FormatTime(engine.GetCurrentTime()), out));
    engine.StopPlayback();
    return 0;
}
