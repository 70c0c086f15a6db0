// The play window's decisions, kept apart from the widget so that they can be checked with
// tables: what one 300 ms poll does with the engine's state, the letterboxed picture, the
// digital-zoom rectangle, what a drop may bring, and the texts of the title and speed labels.
#pragma once

#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QSize>
#include <QString>
#include <QStringList>

#include <ctime>
#include <optional>

namespace PlayWnd {

// Notices of the poll, in the order they are shown (the widget translates them).
inline constexpr const char* kNoDiskVideo = "Cannot get video from disk.";
inline constexpr const char* kEndOfVideo = "The video has reach the end.";
inline constexpr const char* kClipException = "Clip Exception.";

// What a poll reads: one whole play state of the engine, then the clip and the clock.
struct PollInput {
    int error = 0;              // the engine's play error: none, no file (notice), stream failed (silent)
    bool endOfList = false;     // the last file has played out
    bool clipping = false;      // a clip is being written
    bool clipSpaceLow = false;  // fewer than 2 GB free on the clip folder (asked only while clipping)
    time_t currentTime = -1;    // shown time; negative: unknown
    bool clipFailed = false;    // the window's clip ended by itself on a failure (a write that failed)
};

// Notices already given since playback started; each is said once until the next start,
// however many polls still see the same state.
struct PollLatch {
    bool noDiskShown = false;
    bool endShown = false;
    bool clipShown = false;
};

struct PollActions {
    QStringList notices;             // untranslated texts, in order
    bool stop = false;               // stop the cell (ends a running clip too)
    bool stopClip = false;           // end the clip only
    std::optional<time_t> showTime;  // new time for the label
};

// One poll step: no file (notice, stop), stream failed (stop), end of list (notice, stop), clip space
// or a failed clip (notice, end of clip), then the time. A stop ends the poll's work on clip and time: the
// stopped cell shows no time and has no clip left.
PollActions DecidePoll(const PollInput& in, PollLatch& latch);

// "yyyy-MM-dd hh:mm:ss" in local time.
QString FormatOsdTime(time_t t);
inline constexpr const char* kNoTime = "0000-00-00 00:00:00";

// The picture of size `picture` fitted into `video` keeping its aspect ratio, centred; an empty
// rectangle when the picture size is unknown (either side below 1).
QRect Letterbox(const QRect& video, const QSize& picture);

// The rectangle dragged from `press` to `current` (surface pixels) as fractions of a surface of
// `surface` pixels: corners sorted, clamped to 0..1. Nothing for a surface without area, or for a
// rectangle under 4 pixels or 1 % of the surface on either side (a click, a twitch).
std::optional<QRectF> ZoomRegion(const QPointF& press, const QPointF& current, const QSize& surface);
// The rectangle of `region` (fractions) on a surface of `surface` pixels, for drawing.
QRect ZoomRectOnSurface(const QRectF& region, const QSize& surface);

// A drop of the channel tree is taken only from another widget of this program with the
// "Playback/Stream" format.
inline constexpr const char* kDragFormat = "Playback/Stream";
bool AcceptDrop(bool hasSource, bool sourceIsSelf, bool hasFormat);

// The title strip along the top of a cell: the window name at the left, the shown time at the
// right, each in a room of its own.
struct TitleStrip {
    QRect name;
    QRect time;
};
// The strip of a cell `cellWidth` pixels wide whose contents sit `offsetX`, `offsetY` inside its
// border, `height` pixels high. The time keeps `timeWidth` pixels at the right edge of the
// contents and the name takes what is left of it; the two rooms never overlap and never leave the
// contents. A cell narrower than the time leaves the name no room (an empty rectangle).
TitleStrip LayoutTitleStrip(int cellWidth, int offsetX, int offsetY, int height, int timeWidth);

// " Window" + two-digit number + ":"; `windowWord` is the translated "Window".
QString TitlePrefix(const QString& windowWord, int cellIndex);
// "channel" + number (number + 1 unless the flag is set); "-1" for no channel.
QString ChannelText(const QString& channelWord, int number, bool flag);
// "1/8x" .. "8x" for the speed levels -3..3, empty for any other level.
QString SpeedText(int level);

}  // namespace PlayWnd
