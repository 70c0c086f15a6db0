// Images of the month calendar, the date-time editor and the calendar label. The day cells are
// flat in their middles, so that tests can tell them apart by a single pixel.
#include "images/ImageKit.h"

#include <QPainterPath>

namespace VarpenImages {
namespace {

const QColor kDayTile(0x2b, 0x30, 0x38);
const QColor kDayLine(0x1f, 0x23, 0x2a);
const QColor kHeaderBand(0x3a, 0x40, 0x4a);
const QColor kHeaderLine(0x2f, 0x7d, 0xd1);
const QColor kDimText(0x8a, 0x93, 0xa3);

void Chevron(QPainter& p, const QSize& s, bool pointsLeft)
{
    Icon(p, s, [pointsLeft](QPainter& q) {
        q.setPen(QPen(kText, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        if (pointsLeft)
            q.drawPolyline(QPolygonF({QPointF(10, 3.5), QPointF(5.5, 8), QPointF(10, 12.5)}));
        else
            q.drawPolyline(QPolygonF({QPointF(6, 3.5), QPointF(10.5, 8), QPointF(6, 12.5)}));
    });
}

// A small calendar sheet: a frame with a filled top band, two rings and six days.
void CalendarSheet(QPainter& p, const QSize& s, const QColor& c)
{
    Fill(p, s, Qt::transparent);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(c, 1.2));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(2.5, 3.5, 11, 10), 1.5, 1.5);
    p.fillRect(QRectF(2.5, 3.5, 11, 3), c);
    p.drawLine(QPointF(5.5, 2), QPointF(5.5, 4.5));
    p.drawLine(QPointF(10.5, 2), QPointF(10.5, 4.5));
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    for (int row = 0; row < 2; ++row)
        for (int col = 0; col < 3; ++col)
            p.drawRect(QRectF(4.5 + col * 2.7, 8 + row * 2.6, 1.5, 1.5));
}

// The day-name strip: a band with a thin accent line at its foot, rounded at the outer ends.
void HeaderPiece(QPainter& p, const QSize& s, bool left, bool right)
{
    Rounded(p, s, kHeaderBand, left, right);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(QRect(left ? 2 : 0, s.height() - 2, s.width() - (left ? 2 : 0) - (right ? 2 : 0), 2), kHeaderLine);
}

const Register kCalendarImages{
    {"public/Calendar/CalendarPre.png", {16, 16}, [](QPainter& p, const QSize& s) { Chevron(p, s, true); }},
    {"public/Calendar/CalendarNext.png", {16, 16}, [](QPainter& p, const QSize& s) { Chevron(p, s, false); }},
    {"public/Calendar/WeekLeft.png", {28, 28}, [](QPainter& p, const QSize& s) { HeaderPiece(p, s, true, false); }},
    {"public/Calendar/WeekMiddle.png", {28, 28}, [](QPainter& p, const QSize& s) { HeaderPiece(p, s, false, false); }},
    {"public/Calendar/WeekRight.png", {28, 28}, [](QPainter& p, const QSize& s) { HeaderPiece(p, s, false, true); }},
    // A dark tile with a darker line at its right and foot, so that the days read as a grid.
    {"public/Calendar/CalendarNormal.png",
     {27, 28},
     [](QPainter& p, const QSize& s) {
         Fill(p, s, kDayTile);
         p.fillRect(QRect(s.width() - 1, 0, 1, s.height()), kDayLine);
         p.fillRect(QRect(0, s.height() - 1, s.width(), 1), kDayLine);
     }},
    // A 2-pixel accent frame; the middle stays clear.
    {"public/Calendar/CalendarHover.png",
     {27, 28},
     [](QPainter& p, const QSize& s) {
         Fill(p, s, Qt::transparent);
         p.fillRect(QRect(0, 0, s.width(), 2), kAccent);
         p.fillRect(QRect(0, s.height() - 2, s.width(), 2), kAccent);
         p.fillRect(QRect(0, 0, 2, s.height()), kAccent);
         p.fillRect(QRect(s.width() - 2, 0, 2, s.height()), kAccent);
     }},
    // A rounded accent plate inside a clear 2-pixel margin, so that a hover frame shows round it.
    {"public/Calendar/CalendarFocus.png",
     {27, 28},
     [](QPainter& p, const QSize& s) {
         Fill(p, s, Qt::transparent);
         p.setRenderHint(QPainter::Antialiasing);
         p.setPen(Qt::NoPen);
         p.setBrush(kAccentDark);
         p.drawRoundedRect(QRectF(2, 2, s.width() - 4, s.height() - 4), 3, 3);
     }},
    // The drop-down mark of the date-time editor: a small calendar sheet, dimmed while the
    // editor is disabled.
    {"public/Calendar/DateTimeEditArrow.png",
     {16, 16},
     [](QPainter& p, const QSize& s) { CalendarSheet(p, s, kText); }},
    {"public/Calendar/DateTimeEditArrow-disabled.png",
     {16, 16},
     [](QPainter& p, const QSize& s) { CalendarSheet(p, s, kDimText); }},
    // The calendar label's card: light paper with a coloured band along its top.
    {"public/calendar-background.png",
     {100, 50},
     [](QPainter& p, const QSize& s) {
         VerticalGradient(p, s, QColor(0xf6, 0xf3, 0xea), QColor(0xdd, 0xd7, 0xc8));
         p.fillRect(QRect(0, 0, s.width(), 6), QColor(0x9c, 0xb8, 0x5a));
         p.setPen(QColor(0xb8, 0xb1, 0xa0));
         p.drawLine(61 - 4, 10, 61 - 4, s.height() - 5);
     }},
};

}  // namespace
}  // namespace VarpenImages
