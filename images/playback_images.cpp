// Images of the playback page: the play windows' hover bar and its extend button, the play bar's
// buttons, the window-count buttons of both screen shapes and the play area's grounds.
#include "images/ImageKit.h"

#include <QPainterPath>

namespace VarpenImages {
namespace {

const Register kPlaybackImages{
    {"MainView/bottom_background.png",
     {8, 28},
     [](QPainter& p, const QSize& s) {
         QColor top(0x30, 0x35, 0x3d, 0xe0);
         QColor bottom(0x16, 0x19, 0x1d, 0xf0);
         VerticalGradient(p, s, top, bottom);
         p.setPen(QColor(0x4a, 0x52, 0x60));
         p.drawLine(0, 0, s.width(), 0);
     }},
    {"MainView/ButtonIcon/cycle_ctrl.png",
     {40, 32},
     [](QPainter& p, const QSize& s) {
         Icon(p, s, [](QPainter& q) {
             // Two chevrons: "more".
             q.drawPolyline(QPolygonF({QPointF(12, 9), QPointF(19, 16), QPointF(12, 23)}));
             q.drawPolyline(QPolygonF({QPointF(21, 9), QPointF(28, 16), QPointF(21, 23)}));
         });
     }},
};

const QColor kBarLine(0xe8, 0xec, 0xf0);
const QColor kBarGrey(0x80, 0x84, 0x8a);

// A 40x32 play-bar icon drawn in a 24x24 box at the centre.
void BarIcon(QPainter& p, const QSize& s, const QColor& c, const std::function<void(QPainter&)>& shape)
{
    Fill(p, s, Qt::transparent);
    p.setRenderHint(QPainter::Antialiasing);
    p.translate((s.width() - 24) / 2.0, (s.height() - 24) / 2.0);
    p.setPen(QPen(c, 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    shape(p);
}

// A grid of rows x columns cells in the 24x24 box; `wide` draws a 16:9 frame.
void CutGrid(QPainter& q, int rows, int columns, bool wide)
{
    const QRectF frame = wide ? QRectF(1, 5, 22, 14) : QRectF(3, 3, 18, 18);
    q.setPen(QPen(kBarLine, 1.5));
    q.setBrush(QColor(0x3c, 0x6e, 0xa8, 0x80));
    q.drawRect(frame);
    for (int r = 1; r < rows; ++r) {
        const double y = frame.top() + frame.height() * r / rows;
        q.drawLine(QPointF(frame.left(), y), QPointF(frame.right(), y));
    }
    for (int c = 1; c < columns; ++c) {
        const double x = frame.left() + frame.width() * c / columns;
        q.drawLine(QPointF(x, frame.top()), QPointF(x, frame.bottom()));
    }
}

void Corners(QPainter& q)
{
    q.drawPolyline(QPolygonF({QPointF(3, 9), QPointF(3, 3), QPointF(9, 3)}));
    q.drawPolyline(QPolygonF({QPointF(15, 3), QPointF(21, 3), QPointF(21, 9)}));
    q.drawPolyline(QPolygonF({QPointF(21, 15), QPointF(21, 21), QPointF(15, 21)}));
    q.drawPolyline(QPolygonF({QPointF(9, 21), QPointF(3, 21), QPointF(3, 15)}));
}

const Register kPlayBarImages{
    {"MainView/ButtonIcon/StartViewing.png",
     {40, 32},
     [](QPainter& p, const QSize& s) {
         BarIcon(p, s, kBarLine, [](QPainter& q) {
             q.setBrush(kBarLine);
             q.drawPolygon(QPolygonF({QPointF(7, 4), QPointF(20, 12), QPointF(7, 20)}));
         });
     }},
    {"MainView/ButtonIcon/PauseViewing.png",
     {40, 32},
     [](QPainter& p, const QSize& s) {
         BarIcon(p, s, kBarLine, [](QPainter& q) {
             q.setBrush(kBarLine);
             q.drawRect(QRectF(6, 4, 4, 16));
             q.drawRect(QRectF(14, 4, 4, 16));
         });
     }},
    {"MainView/ButtonIcon/StopViewing.png",
     {40, 32},
     [](QPainter& p, const QSize& s) {
         BarIcon(p, s, kBarLine, [](QPainter& q) {
             q.setBrush(kBarLine);
             q.drawRect(QRectF(5, 5, 14, 14));
         });
     }},
    {"MainView/ButtonIcon/StepPlay.png",
     {40, 32},
     [](QPainter& p, const QSize& s) {
         BarIcon(p, s, kBarLine, [](QPainter& q) {
             q.setBrush(kBarLine);
             q.drawPolygon(QPolygonF({QPointF(4, 5), QPointF(15, 12), QPointF(4, 19)}));
             q.drawRect(QRectF(17, 5, 3, 14));
         });
     }},
    {"MainView/ButtonIcon/cycle.png",
     {40, 32},
     [](QPainter& p, const QSize& s) {
         // Fit: a frame with arrows to its sides.
         BarIcon(p, s, kBarLine, [](QPainter& q) {
             q.drawRect(QRectF(6, 7, 12, 10));
             q.drawLine(QPointF(1, 12), QPointF(4, 12));
             q.drawLine(QPointF(20, 12), QPointF(23, 12));
             q.drawPolyline(QPolygonF({QPointF(3, 10), QPointF(1, 12), QPointF(3, 14)}));
             q.drawPolyline(QPolygonF({QPointF(21, 10), QPointF(23, 12), QPointF(21, 14)}));
         });
     }},
    {"MainView/ButtonIcon/asynchro.png",
     {40, 32},
     [](QPainter& p, const QSize& s) {
         // Synchronous play on: two locked bars.
         BarIcon(p, s, QColor(0x7c, 0xd0, 0x6a), [](QPainter& q) {
             q.drawLine(QPointF(3, 8), QPointF(21, 8));
             q.drawLine(QPointF(3, 16), QPointF(21, 16));
             q.drawLine(QPointF(12, 4), QPointF(12, 20));
         });
     }},
    {"MainView/ButtonIcon/FullScreen.png",
     {40, 32},
     [](QPainter& p, const QSize& s) { BarIcon(p, s, kBarLine, Corners); }},
    {"MainView/ButtonIconDis/fullscreen_dis.png",
     {40, 32},
     [](QPainter& p, const QSize& s) { BarIcon(p, s, kBarGrey, Corners); }},
    {"MainView/CutWnd/Cut_1_1.png",
     {40, 32},
     [](QPainter& p, const QSize& s) { BarIcon(p, s, kBarLine, [](QPainter& q) { CutGrid(q, 1, 1, false); }); }},
    {"MainView/CutWnd/Cut_2_4.png",
     {40, 32},
     [](QPainter& p, const QSize& s) { BarIcon(p, s, kBarLine, [](QPainter& q) { CutGrid(q, 2, 2, false); }); }},
    {"MainView/CutWnd/Cut_3_9.png",
     {40, 32},
     [](QPainter& p, const QSize& s) { BarIcon(p, s, kBarLine, [](QPainter& q) { CutGrid(q, 3, 3, false); }); }},
    {"MainView/CutWnd/Cut_4_16.png",
     {40, 32},
     [](QPainter& p, const QSize& s) { BarIcon(p, s, kBarLine, [](QPainter& q) { CutGrid(q, 4, 4, false); }); }},
    {"MainView/CutWnd/1_Ex(1).png",
     {40, 32},
     [](QPainter& p, const QSize& s) { BarIcon(p, s, kBarLine, [](QPainter& q) { CutGrid(q, 1, 1, true); }); }},
    {"MainView/CutWnd/4_Ex(1).png",
     {40, 32},
     [](QPainter& p, const QSize& s) { BarIcon(p, s, kBarLine, [](QPainter& q) { CutGrid(q, 2, 2, true); }); }},
    {"MainView/CutWnd/9_Ex(1).png",
     {40, 32},
     [](QPainter& p, const QSize& s) { BarIcon(p, s, kBarLine, [](QPainter& q) { CutGrid(q, 3, 3, true); }); }},
    {"MainView/CutWnd/16_Ex(1).png",
     {40, 32},
     [](QPainter& p, const QSize& s) { BarIcon(p, s, kBarLine, [](QPainter& q) { CutGrid(q, 4, 4, true); }); }},
    {"MainView/PlayArea_Background.png",
     {64, 64},
     [](QPainter& p, const QSize& s) { Fill(p, s, QColor(0x10, 0x12, 0x15)); }},
    {"MainView/MainView_Bottom_Background.png",
     {8, 56},
     [](QPainter& p, const QSize& s) { VerticalGradient(p, s, QColor(0x3a, 0x40, 0x48), QColor(0x1c, 0x20, 0x25)); }},
};

}  // namespace
}  // namespace VarpenImages
