// Images of the playback page: the play windows' hover bar and its extend button.
#include "images/ImageKit.h"

#include <QPainterPath>

namespace VarpenImages {
namespace {

const Register kPlaybackImages{
    {"MainView/bottom_background.png", {8, 28},
     [](QPainter& p, const QSize& s) {
         QColor top(0x30, 0x35, 0x3d, 0xe0);
         QColor bottom(0x16, 0x19, 0x1d, 0xf0);
         VerticalGradient(p, s, top, bottom);
         p.setPen(QColor(0x4a, 0x52, 0x60));
         p.drawLine(0, 0, s.width(), 0);
     }},
    {"MainView/ButtonIcon/cycle_ctrl.png", {40, 32},
     [](QPainter& p, const QSize& s) {
         Icon(p, s, [](QPainter& q) {
             // Two chevrons: "more".
             q.drawPolyline(QPolygonF({QPointF(12, 9), QPointF(19, 16), QPointF(12, 23)}));
             q.drawPolyline(QPolygonF({QPointF(21, 9), QPointF(28, 16), QPointF(21, 23)}));
         });
     }},
};

} // namespace
} // namespace VarpenImages
