// Images of the time lines: move and zoom buttons, the row menu icon, the record-type filter
// icons, the single-row slider's groove, background, buttons and tag pin.
//
// The zoom-in buttons widen the visible span (the day shows more, smaller) and the zoom-out
// buttons narrow it, so their glyphs are drawn by what they do: a magnifier with a minus for
// "zoom in", with a plus for "zoom out".
#include "images/ImageKit.h"

#include <QPainterPath>

namespace VarpenImages {
namespace {

const QColor kButton(0x3a, 0x3c, 0x40);
const QColor kButtonEdge(0x5a, 0x5d, 0x63);

// A small square button face with a light glyph.
void ButtonFace(QPainter& p, const QSize& s, const QColor& face, const std::function<void(QPainter&)>& glyph)
{
    Fill(p, s, Qt::transparent);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kButtonEdge, 1));
    p.setBrush(face);
    p.drawRoundedRect(QRectF(0.5, 0.5, s.width() - 1, s.height() - 1), 3, 3);
    p.setPen(QPen(kText, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    glyph(p);
}

void Arrow(QPainter& p, const QSize& s, bool left)
{
    const qreal cx = s.width() / 2.0, cy = s.height() / 2.0, d = s.height() * 0.22;
    p.setBrush(kText);
    p.setPen(Qt::NoPen);
    if (left)
        p.drawPolygon(
            QPolygonF({QPointF(cx - d, cy), QPointF(cx + d * 0.8, cy - d * 1.2), QPointF(cx + d * 0.8, cy + d * 1.2)}));
    else
        p.drawPolygon(
            QPolygonF({QPointF(cx + d, cy), QPointF(cx - d * 0.8, cy - d * 1.2), QPointF(cx - d * 0.8, cy + d * 1.2)}));
}

void Magnifier(QPainter& p, const QSize& s, bool plus)
{
    const qreal r = s.height() * 0.26;
    const QPointF c(s.width() / 2.0 - r * 0.3, s.height() / 2.0 - r * 0.3);
    p.drawEllipse(c, r, r);
    p.drawLine(c + QPointF(r * 0.75, r * 0.75), c + QPointF(r * 1.7, r * 1.7));
    const qreal a = r * 0.55;
    p.drawLine(c - QPointF(a, 0), c + QPointF(a, 0));
    if (plus)
        p.drawLine(c - QPointF(0, a), c + QPointF(0, a));
}

void FilterIcon(QPainter& p, const QSize& s, const QColor& c, const std::function<void(QPainter&)>& glyph)
{
    Fill(p, s, Qt::transparent);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawRoundedRect(QRectF(1, 1, s.width() - 2, s.height() - 2), 3, 3);
    p.setPen(QPen(Qt::white, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    glyph(p);
}

void Groove(QPainter& p, const QSize& s, bool left, bool right)
{
    Rounded(p, s, QColor(0x55, 0x58, 0x5e), left, right);
}

const Register kTimelineImages{
    {"public/Timeslider/MultiMoveLeft.png",
     {19, 19},
     [](QPainter& p, const QSize& s) { ButtonFace(p, s, kButton, [&](QPainter& q) { Arrow(q, s, true); }); }},
    {"public/Timeslider/MultiMoveRight.png",
     {19, 19},
     [](QPainter& p, const QSize& s) { ButtonFace(p, s, kButton, [&](QPainter& q) { Arrow(q, s, false); }); }},
    {"public/Timeslider/MultiZoomin.png",
     {19, 19},
     [](QPainter& p, const QSize& s) { ButtonFace(p, s, kButton, [&](QPainter& q) { Magnifier(q, s, false); }); }},
    {"public/Timeslider/MultiZoomout.png",
     {19, 19},
     [](QPainter& p, const QSize& s) { ButtonFace(p, s, kButton, [&](QPainter& q) { Magnifier(q, s, true); }); }},
    {"public/Timeslider/Menu.png",
     {12, 12},
     [](QPainter& p, const QSize& s) {
         Fill(p, s, Qt::transparent);
         p.setRenderHint(QPainter::Antialiasing);
         p.setPen(QPen(QColor(0xb4, 0xb8, 0xbe), 1.6, Qt::SolidLine, Qt::RoundCap));
         for (int i = 0; i < 3; ++i)
             p.drawLine(QPointF(2, 2.5 + 3.5 * i), QPointF(10, 2.5 + 3.5 * i));
     }},
    {"public/Timeslider/IconContinuous.png",
     {16, 16},
     [](QPainter& p, const QSize& s) {
         FilterIcon(p, s, QColor(103, 121, 254), [](QPainter& q) {
             q.drawEllipse(QRectF(3.5, 3.5, 9, 9));
             q.drawLine(QPointF(8, 5.5), QPointF(8, 8));
             q.drawLine(QPointF(8, 8), QPointF(10, 9.5));
         });
     }},
    {"public/Timeslider/IconEvent.png",
     {16, 16},
     [](QPainter& p, const QSize& s) {
         FilterIcon(p, s, QColor(197, 113, 43), [](QPainter& q) {
             q.drawLine(QPointF(8, 3.5), QPointF(8, 9.5));
             q.drawPoint(QPointF(8, 12.5));
         });
     }},
    {"public/Timeslider/IconCommand.png",
     {16, 16},
     [](QPainter& p, const QSize& s) {
         FilterIcon(p, s, QColor(90, 160, 30), [](QPainter& q) {
             q.drawPolyline(QPolygonF({QPointF(4, 5), QPointF(7.5, 8), QPointF(4, 11)}));
             q.drawLine(QPointF(8.5, 11.5), QPointF(12, 11.5));
         });
     }},
    {"public/Timeslider/slider-left-bar.png", {4, 11}, [](QPainter& p, const QSize& s) { Groove(p, s, true, false); }},
    {"public/Timeslider/slider-bar.png", {4, 11}, [](QPainter& p, const QSize& s) { Groove(p, s, false, false); }},
    {"public/Timeslider/slider-right-bar.png", {4, 11}, [](QPainter& p, const QSize& s) { Groove(p, s, false, true); }},
    {"public/Timeslider/timeslider_Background.png",
     {8, 60},
     [](QPainter& p, const QSize& s) { VerticalGradient(p, s, QColor(0x2a, 0x2c, 0x30), QColor(0x17, 0x18, 0x1b)); }},
    {"public/Timeslider/move-left.png",
     {19, 19},
     [](QPainter& p, const QSize& s) { ButtonFace(p, s, kButton, [&](QPainter& q) { Arrow(q, s, true); }); }},
    {"public/Timeslider/move-right.png",
     {19, 19},
     [](QPainter& p, const QSize& s) { ButtonFace(p, s, kButton, [&](QPainter& q) { Arrow(q, s, false); }); }},
    {"public/Timeslider/zoomin.png",
     {32, 26},
     [](QPainter& p, const QSize& s) {
         Fill(p, s, Qt::transparent);
         p.setRenderHint(QPainter::Antialiasing);
         p.setPen(QPen(kText, 2, Qt::SolidLine, Qt::RoundCap));
         Magnifier(p, s, false);
     }},
    {"public/Timeslider/zoomout.png",
     {32, 26},
     [](QPainter& p, const QSize& s) {
         Fill(p, s, Qt::transparent);
         p.setRenderHint(QPainter::Antialiasing);
         p.setPen(QPen(kText, 2, Qt::SolidLine, Qt::RoundCap));
         Magnifier(p, s, true);
     }},
    {"public/Timeslider/zoom_hover.png",
     {32, 26},
     [](QPainter& p, const QSize& s) { ButtonFace(p, s, kPanelLight, [](QPainter&) {}); }},
    {"public/Timeslider/zoom_in.png",
     {32, 26},
     [](QPainter& p, const QSize& s) { ButtonFace(p, s, kAccentDark, [](QPainter&) {}); }},
    {"public/Timeslider/Tag.png",
     {16, 18},
     [](QPainter& p, const QSize& s) {
         Fill(p, s, Qt::transparent);
         p.setRenderHint(QPainter::Antialiasing);
         QPainterPath pin;
         pin.moveTo(8, 17);
         pin.lineTo(3, 9);
         pin.arcTo(QRectF(2.5, 1.5, 11, 11), 210, -240);
         pin.closeSubpath();
         p.setPen(QPen(QColor(0x7a, 0x2a, 0x12), 1));
         p.setBrush(QColor(0xe8, 0x6a, 0x2c));
         p.drawPath(pin);
         p.setBrush(Qt::white);
         p.setPen(Qt::NoPen);
         p.drawEllipse(QPointF(8, 7), 2, 2);
     }},
};

}  // namespace
}  // namespace VarpenImages
