#include "playback/PlaybackWndLogic.h"

#include <QCoreApplication>
#include <QDateTime>

#include <algorithm>
#include <cmath>

#include "engine/StreamPlayer.h"

namespace PlayWnd {

PollActions DecidePoll(const PollInput& in, PollLatch& latch)
{
    PollActions out;
    if (in.error == Varpen::kPlayErrorNoFile) {
        if (!latch.noDiskShown)
            out.notices << QString::fromLatin1(kNoDiskVideo);
        latch.noDiskShown = true;
        out.stop = true;
    }
    if (in.error == Varpen::kPlayErrorStreamFailed)
        out.stop = true;
    if (in.endOfList) {
        if (!latch.endShown)
            out.notices << QString::fromLatin1(kEndOfVideo);
        latch.endShown = true;
        out.stop = true;
    }
    if (out.stop)
        return out;
    if ((in.clipping && in.clipSpaceLow) || in.clipFailed) {
        if (!latch.clipShown)
            out.notices << QString::fromLatin1(kClipException);
        latch.clipShown = true;
        out.stopClip = true;
    }
    if (in.currentTime >= 0)
        out.showTime = in.currentTime;
    return out;
}

QString FormatOsdTime(time_t t)
{
    return QDateTime::fromSecsSinceEpoch(qint64(t)).toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}

QRect Letterbox(const QRect& video, const QSize& picture)
{
    if (picture.width() < 1 || picture.height() < 1 || video.width() < 1 || video.height() < 1)
        return {};
    const double r = double(picture.width()) / picture.height();
    const double R = double(video.width()) / video.height();
    if (r <= R) {
        const int w = int(video.height() * r);
        return {int(video.x() + video.width() * 0.5 - w * 0.5), video.y(), w, video.height()};
    }
    const int h = int(video.width() / r);
    return {video.x(), int(video.y() + video.height() * 0.5 - h * 0.5), video.width(), h};
}

std::optional<QRectF> ZoomRegion(const QPointF& press, const QPointF& current, const QSize& surface)
{
    if (surface.width() < 1 || surface.height() < 1)
        return std::nullopt;
    const double w = surface.width();
    const double h = surface.height();
    auto fx = [w](double x) { return std::clamp(x / w, 0.0, 1.0); };
    auto fy = [h](double y) { return std::clamp(y / h, 0.0, 1.0); };
    const double left = std::min(fx(press.x()), fx(current.x()));
    const double right = std::max(fx(press.x()), fx(current.x()));
    const double top = std::min(fy(press.y()), fy(current.y()));
    const double bottom = std::max(fy(press.y()), fy(current.y()));
    const double kMinFraction = 0.01;
    const double kMinPixels = 4.0;
    if ((right - left) * w < kMinPixels || (bottom - top) * h < kMinPixels || right - left < kMinFraction ||
        bottom - top < kMinFraction)
        return std::nullopt;
    return QRectF(QPointF(left, top), QPointF(right, bottom));
}

QRect ZoomRectOnSurface(const QRectF& region, const QSize& surface)
{
    const int x1 = int(region.left() * surface.width());
    const int y1 = int(region.top() * surface.height());
    const int x2 = std::min(int(region.right() * surface.width()), surface.width() - 1);
    const int y2 = std::min(int(region.bottom() * surface.height()), surface.height() - 1);
    return QRect(QPoint(x1, y1), QPoint(x2, y2));
}

bool AcceptDrop(bool hasSource, bool sourceIsSelf, bool hasFormat)
{
    return hasSource && !sourceIsSelf && hasFormat;
}

TitleStrip LayoutTitleStrip(int cellWidth, int offsetX, int offsetY, int height, int timeWidth)
{
    const int inner = std::max(0, cellWidth - 2 * std::max(0, offsetX));
    const int time = std::clamp(timeWidth, 0, inner);
    const int name = inner - time;
    const int h = std::max(0, height);
    return {QRect(offsetX, offsetY, name, h), QRect(offsetX + name, offsetY, time, h)};
}

QString TitlePrefix(const QString& windowWord, int cellIndex)
{
    return QStringLiteral(" ") + windowWord + QStringLiteral("%1").arg(cellIndex + 1, 2, 10, QLatin1Char('0')) +
           QStringLiteral(":");
}

QString ChannelText(const QString& channelWord, int number, bool flag)
{
    if (number == -1)
        return QStringLiteral("-1");
    return channelWord + QString::number(flag ? number : number + 1);
}

QString SpeedText(int level)
{
    static const char* const kTexts[] = {"1/8x", "1/4x", "1/2x", "1x", "2x", "4x", "8x"};
    if (level < -3 || level > 3)
        return {};
    return QString::fromLatin1(kTexts[level + 3]);
}

}  // namespace PlayWnd

// The poll's notices are translated by the window in its own context.
[[maybe_unused]] static const char* const kPollNoticeTexts[] = {
    QT_TRANSLATE_NOOP("CPlaybackWnd", "Cannot get video from disk."),
    QT_TRANSLATE_NOOP("CPlaybackWnd", "The video has reach the end."),
    QT_TRANSLATE_NOOP("CPlaybackWnd", "Clip Exception."),
};
