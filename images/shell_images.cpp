// The main window's title bar: the eye icon, the minimise, full-screen and restore buttons and
// the bar's background.
#include "images/ImageKit.h"

#include <QLinearGradient>
#include <QPainterPath>

using namespace VarpenImages;

namespace {

const QColor kGlyph(0xe8, 0xee, 0xf6);

void Plate(QPainter& p, const QSize& s, bool hover)
{
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.fillRect(QRect(QPoint(0, 0), s), Qt::transparent);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    p.setRenderHint(QPainter::Antialiasing);
    if (hover) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x4b, 0x6f, 0x9c));
        p.drawRoundedRect(QRectF(1, 1, s.width() - 2, s.height() - 2), 3, 3);
    }
    p.setPen(QPen(kGlyph, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
}

void Mini(QPainter& p, const QSize& s, bool hover)
{
    Plate(p, s, hover);
    p.drawLine(QPointF(5, s.height() - 6), QPointF(s.width() - 5, s.height() - 6));
}

// Four corner marks pointing outwards.
void Full(QPainter& p, const QSize& s, bool hover)
{
    Plate(p, s, hover);
    const qreal a = 5, b = s.width() - 5, c = 9, d = s.width() - 9;
    p.drawPolyline(QPolygonF{{a, c}, {a, a}, {c, a}});
    p.drawPolyline(QPolygonF{{d, a}, {b, a}, {b, c}});
    p.drawPolyline(QPolygonF{{a, d}, {a, b}, {c, b}});
    p.drawPolyline(QPolygonF{{d, b}, {b, b}, {b, d}});
}

// Two overlapping frames: back to the window.
void Back(QPainter& p, const QSize& s, bool hover)
{
    Plate(p, s, hover);
    p.setPen(QPen(kGlyph, 1.6));
    p.drawRect(QRectF(5, 8, 8, 7));
    p.drawPolyline(QPolygonF{{8, 8}, {8, 5}, {15, 5}, {15, 12}, {13, 12}});
}

void Eye(QPainter& p, const QSize& s)
{
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.fillRect(QRect(QPoint(0, 0), s), Qt::transparent);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal w = s.width(), h = s.height();
    QPainterPath lid;
    lid.moveTo(3, h / 2);
    lid.quadTo(w / 2, h * 0.12, w - 3, h / 2);
    lid.quadTo(w / 2, h * 0.88, 3, h / 2);
    p.setPen(QPen(kGlyph, 2));
    p.setBrush(QColor(0x2a, 0x3c, 0x55));
    p.drawPath(lid);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x5f, 0xb4, 0xe8));
    p.drawEllipse(QPointF(w / 2, h / 2), h * 0.2, h * 0.2);
    p.setBrush(QColor(0x10, 0x18, 0x24));
    p.drawEllipse(QPointF(w / 2, h / 2), h * 0.09, h * 0.09);
}

void TitleBackground(QPainter& p, const QSize& s)
{
    QLinearGradient g(0, 0, 0, s.height());
    g.setColorAt(0, QColor(0x33, 0x4a, 0x68));
    g.setColorAt(1, QColor(0x1c, 0x2a, 0x3d));
    p.fillRect(QRect(QPoint(0, 0), s), g);
    p.setPen(QColor(0x12, 0x1b, 0x27));
    p.drawLine(0, s.height() - 1, s.width(), s.height() - 1);
}

const Register kShellImages{
    {"title/Eye.png", {32, 32}, [](QPainter& p, const QSize& s) { Eye(p, s); }},
    {"title/mini.png", {20, 20}, [](QPainter& p, const QSize& s) { Mini(p, s, false); }},
    {"title/mini_hover.png", {20, 20}, [](QPainter& p, const QSize& s) { Mini(p, s, true); }},
    {"title/full-screen.png", {20, 20}, [](QPainter& p, const QSize& s) { Full(p, s, false); }},
    {"title/full-screen_hover.png", {20, 20}, [](QPainter& p, const QSize& s) { Full(p, s, true); }},
    {"title/back.png", {20, 20}, [](QPainter& p, const QSize& s) { Back(p, s, false); }},
    {"title/back_hover.png", {20, 20}, [](QPainter& p, const QSize& s) { Back(p, s, true); }},
    {"title/title_bg.png", {64, 34}, [](QPainter& p, const QSize& s) { TitleBackground(p, s); }},
};

}  // namespace
