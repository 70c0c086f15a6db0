// Images of the play window: its 22x22 tool icons, the hover ground of a tool button, the title
// band and the digital-zoom cursor.
#include "images/ImageKit.h"

#include <QPainterPath>

namespace VarpenImages {
namespace {

const QColor kLine(0xe8, 0xec, 0xf0);
const QColor kRed(0xe0, 0x3c, 0x3c);

void Tool(QPainter& p, const QSize& s, const std::function<void(QPainter&)>& shape)
{
    Fill(p, s, Qt::transparent);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kLine, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    shape(p);
}

void Speaker(QPainter& q)
{
    q.drawPolygon(
        QPolygonF({QPointF(4, 9), QPointF(7, 9), QPointF(11, 5), QPointF(11, 17), QPointF(7, 13), QPointF(4, 13)}));
}

void Glass(QPainter& q, double cx, double cy, double r)
{
    q.drawEllipse(QPointF(cx, cy), r, r);
    q.drawLine(QPointF(cx + r * 0.7, cy + r * 0.7), QPointF(cx + r * 1.8, cy + r * 1.8));
    q.drawLine(QPointF(cx - r * 0.5, cy), QPointF(cx + r * 0.5, cy));
    q.drawLine(QPointF(cx, cy - r * 0.5), QPointF(cx, cy + r * 0.5));
}

const Register kPlayWndImages{
    {"MainView/Preview/snapshot.png",
     {22, 22},
     [](QPainter& p, const QSize& s) {
         Tool(p, s, [](QPainter& q) {
             // A camera body with its lens.
             q.drawRoundedRect(QRectF(3, 7, 16, 11), 2, 2);
             q.drawLine(QPointF(8, 7), QPointF(9.5, 4.5));
             q.drawLine(QPointF(9.5, 4.5), QPointF(12.5, 4.5));
             q.drawLine(QPointF(12.5, 4.5), QPointF(14, 7));
             q.drawEllipse(QPointF(11, 12.5), 3, 3);
         });
     }},
    {"MainView/Preview/record.png",
     {22, 22},
     [](QPainter& p, const QSize& s) {
         Tool(p, s, [](QPainter& q) {
             // A film camera: box and a cone.
             q.drawRoundedRect(QRectF(3, 7, 11, 9), 1.5, 1.5);
             q.drawPolygon(QPolygonF({QPointF(14, 10), QPointF(19, 7.5), QPointF(19, 15.5), QPointF(14, 13)}));
         });
     }},
    {"MainView/Preview/Recording.png",
     {22, 22},
     [](QPainter& p, const QSize& s) {
         Tool(p, s, [](QPainter& q) {
             q.drawRoundedRect(QRectF(3, 7, 11, 9), 1.5, 1.5);
             q.drawPolygon(QPolygonF({QPointF(14, 10), QPointF(19, 7.5), QPointF(19, 15.5), QPointF(14, 13)}));
             q.setPen(Qt::NoPen);
             q.setBrush(kRed);
             q.drawEllipse(QPointF(8.5, 11.5), 2.6, 2.6);
         });
     }},
    {"MainView/Preview/eZoom.png",
     {22, 22},
     [](QPainter& p, const QSize& s) { Tool(p, s, [](QPainter& q) { Glass(q, 9, 9, 5.5); }); }},
    {"MainView/Preview/DownLoad.png",
     {22, 22},
     [](QPainter& p, const QSize& s) {
         Tool(p, s, [](QPainter& q) {
             q.drawLine(QPointF(11, 3), QPointF(11, 14));
             q.drawPolyline(QPolygonF({QPointF(6.5, 9.5), QPointF(11, 14), QPointF(15.5, 9.5)}));
             q.drawPolyline(QPolygonF({QPointF(4, 15), QPointF(4, 19), QPointF(18, 19), QPointF(18, 15)}));
         });
     }},
    {"MainView/Preview/hover.png",
     {22, 22},
     [](QPainter& p, const QSize& s) {
         Fill(p, s, Qt::transparent);
         p.setRenderHint(QPainter::Antialiasing);
         p.setPen(QColor(0x6a, 0x9f, 0xd8));
         p.setBrush(QColor(0x3c, 0x6e, 0xa8, 0x90));
         p.drawRoundedRect(QRectF(0.5, 0.5, s.width() - 1, s.height() - 1), 3, 3);
     }},
    {"MainView/PlayBack/FullScreen.png",
     {22, 22},
     [](QPainter& p, const QSize& s) {
         Tool(p, s, [](QPainter& q) {
             // Four corners pointing out.
             q.drawPolyline(QPolygonF({QPointF(3, 8), QPointF(3, 3), QPointF(8, 3)}));
             q.drawPolyline(QPolygonF({QPointF(14, 3), QPointF(19, 3), QPointF(19, 8)}));
             q.drawPolyline(QPolygonF({QPointF(19, 14), QPointF(19, 19), QPointF(14, 19)}));
             q.drawPolyline(QPolygonF({QPointF(8, 19), QPointF(3, 19), QPointF(3, 14)}));
         });
     }},
    {"public/Volume/OpenSound.png",
     {22, 22},
     [](QPainter& p, const QSize& s) {
         Tool(p, s, [](QPainter& q) {
             Speaker(q);
             q.drawArc(QRectF(9, 7, 7, 8), -50 * 16, 100 * 16);
             q.drawArc(QRectF(8, 4, 11, 14), -50 * 16, 100 * 16);
         });
     }},
    {"public/Volume/CloseSound.png",
     {22, 22},
     [](QPainter& p, const QSize& s) {
         Tool(p, s, [](QPainter& q) {
             Speaker(q);
             q.setPen(QPen(kRed, 1.6, Qt::SolidLine, Qt::RoundCap));
             q.drawLine(QPointF(14, 8), QPointF(19, 14));
             q.drawLine(QPointF(19, 8), QPointF(14, 14));
         });
     }},
    // "title/title_bg.png" (the title and time labels' band) is drawn with the title bar's images.
    {"cursor/EZoom.png",
     {22, 22},
     [](QPainter& p, const QSize& s) {
         Fill(p, s, Qt::transparent);
         p.setRenderHint(QPainter::Antialiasing);
         // A dark outline under a light glass, readable on any picture; hot spot at the centre.
         p.setBrush(Qt::NoBrush);
         p.setPen(QPen(QColor(0, 0, 0, 200), 3.2, Qt::SolidLine, Qt::RoundCap));
         Glass(p, 9, 9, 5.5);
         p.setPen(QPen(Qt::white, 1.4, Qt::SolidLine, Qt::RoundCap));
         Glass(p, 9, 9, 5.5);
     }},
};

}  // namespace
}  // namespace VarpenImages
