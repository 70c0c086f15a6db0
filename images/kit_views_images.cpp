// Images of the item views, the check boxes, the group tree and the volume pop-up.
#include "images/ImageKit.h"

#include <QPainterPath>

namespace VarpenImages {
namespace {

const QColor kBoxEdge(0x8a, 0x93, 0xa3);
const QColor kBoxFill(0x1b, 0x1e, 0x23);

// A 16×16 check box: 0 unchecked, 1 partly, 2 checked; `hover` lights the edge.
void CheckBox(QPainter& p, const QSize& s, int state, bool hover)
{
    Fill(p, s, Qt::transparent);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(hover ? kAccent : kBoxEdge, 1.2));
    p.setBrush(state == 2 ? kAccent : kBoxFill);
    p.drawRoundedRect(QRectF(1.5, 1.5, s.width() - 3, s.height() - 3), 2, 2);
    if (state == 2) {
        p.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(QPolygonF({QPointF(4.5, 8.5), QPointF(7, 11), QPointF(11.5, 5)}));
    } else if (state == 1) {
        p.setPen(Qt::NoPen);
        p.setBrush(kAccent);
        p.drawRect(QRectF(4.5, 4.5, s.width() - 9, s.height() - 9));
    }
}

// A 22×22 triangle arrow of the group bars: pointing down (open) or up (closed).
void Arrow(QPainter& p, const QSize& s, bool down, const QColor& c)
{
    Fill(p, s, Qt::transparent);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    if (down)
        p.drawPolygon(QPolygonF({QPointF(6, 9), QPointF(16, 9), QPointF(11, 15)}));
    else
        p.drawPolygon(QPolygonF({QPointF(6, 14), QPointF(16, 14), QPointF(11, 8)}));
}

// A nine-patch frame with a 2-pixel edge.
void Frame(QPainter& p, const QSize& s, const QColor& fill, const QColor& edge)
{
    Fill(p, s, edge);
    p.fillRect(QRect(2, 2, s.width() - 4, s.height() - 4), fill);
}

void Speaker(QPainter& q, bool open)
{
    q.setBrush(kText);
    q.drawPolygon(
        QPolygonF({QPointF(8, 13), QPointF(13, 13), QPointF(19, 8), QPointF(19, 24), QPointF(13, 19), QPointF(8, 19)}));
    q.setBrush(Qt::NoBrush);
    if (open) {
        q.drawArc(QRectF(17, 11, 8, 10), -60 * 16, 120 * 16);
        q.drawArc(QRectF(17, 7, 14, 18), -60 * 16, 120 * 16);
    } else {
        q.drawLine(QPointF(24, 12), QPointF(32, 20));
        q.drawLine(QPointF(32, 12), QPointF(24, 20));
    }
}

const Register kKitViewsImages{
    {"public/CheckBox/checkbox.png", {16, 16}, [](QPainter& p, const QSize& s) { CheckBox(p, s, 2, false); }},
    {"public/CheckBox/uncheckbox.png", {16, 16}, [](QPainter& p, const QSize& s) { CheckBox(p, s, 0, false); }},
    {"public/CheckBox/PartiallyCheckBox.png", {16, 16}, [](QPainter& p, const QSize& s) { CheckBox(p, s, 1, false); }},
    {"public/CheckBox/checkbox_hover.png", {16, 16}, [](QPainter& p, const QSize& s) { CheckBox(p, s, 2, true); }},
    {"public/CheckBox/uncheckbox_hover.png", {16, 16}, [](QPainter& p, const QSize& s) { CheckBox(p, s, 0, true); }},
    {"public/CheckBox/PartiallyCheckBoxHover.png",
     {16, 16},
     [](QPainter& p, const QSize& s) { CheckBox(p, s, 1, true); }},
    {"public/TreeView/tree_bg.png",
     {12, 12},
     [](QPainter& p, const QSize& s) { Frame(p, s, QColor(0x1b, 0x1e, 0x23), QColor(0x36, 0x3c, 0x45)); }},
    {"public/TreeView/table_bg.png",
     {12, 12},
     [](QPainter& p, const QSize& s) { Frame(p, s, QColor(0x1b, 0x1e, 0x23), QColor(0x4a, 0x52, 0x60)); }},
    {"public/TreeView/ViewMidItem.png",
     {4, 25},
     [](QPainter& p, const QSize& s) { VerticalGradient(p, s, QColor(0x2f, 0x7d, 0xd1), QColor(0x1c, 0x55, 0x94)); }},
    {"public/TreeView/TreeSelect.png",
     {208, 28},
     [](QPainter& p, const QSize& s) {
         VerticalGradient(p, s, QColor(0x28, 0x5f, 0x9e), QColor(0x1c, 0x4a, 0x7d));
         p.fillRect(QRect(0, 0, 3, s.height()), kAccent);
     }},
    {"public/TreeView/TreeNormal.png",
     {208, 25},
     [](QPainter& p, const QSize& s) {
         VerticalGradient(p, s, QColor(0x3a, 0x40, 0x4a), QColor(0x2b, 0x30, 0x38));
         p.fillRect(QRect(0, s.height() - 1, s.width(), 1), QColor(0x1b, 0x1e, 0x23));
     }},
    {"public/TreeView/TreeArrowDown.png", {22, 22}, [](QPainter& p, const QSize& s) { Arrow(p, s, true, kText); }},
    {"public/TreeView/TreeArrowUp.png", {22, 22}, [](QPainter& p, const QSize& s) { Arrow(p, s, false, kText); }},
    {"public/TreeView/TreeArrowHover.png",
     {22, 22},
     [](QPainter& p, const QSize& s) {
         Fill(p, s, Qt::transparent);
         p.setRenderHint(QPainter::Antialiasing);
         p.setPen(Qt::NoPen);
         p.setBrush(QColor(0x2f, 0x7d, 0xd1, 0x90));
         p.drawEllipse(QRectF(1, 1, s.width() - 2, s.height() - 2));
     }},
    {"public/TreeView/camera.png",
     {32, 32},
     [](QPainter& p, const QSize& s) {
         Icon(p, s, [](QPainter& q) {
             q.drawRoundedRect(QRectF(4, 10, 18, 13), 2, 2);
             q.drawPolygon(QPolygonF({QPointF(22, 14), QPointF(28, 10), QPointF(28, 23), QPointF(22, 19)}));
         });
     }},
    {"DeviceConfig/Analog_Channel.png",
     {32, 32},
     [](QPainter& p, const QSize& s) {
         Icon(p, s, [](QPainter& q) {
             q.drawRect(QRectF(5, 8, 22, 16));
             q.drawLine(10, 28, 22, 28);
         });
     }},
    {"public/Volume/VolumeBg.png",
     {27, 128},
     [](QPainter& p, const QSize& s) { Frame(p, s, QColor(0x2b, 0x30, 0x38), QColor(0x4a, 0x52, 0x60)); }},
    {"public/Volume/VolumeGroove.png",
     {6, 24},
     [](QPainter& p, const QSize& s) {
         Fill(p, s, Qt::transparent);
         p.setRenderHint(QPainter::Antialiasing);
         p.setPen(Qt::NoPen);
         p.setBrush(QColor(0x1b, 0x1e, 0x23));
         p.drawRoundedRect(QRectF(0, 0, s.width(), s.height()), 3, 3);
         p.setBrush(kAccent);
         p.drawRoundedRect(QRectF(1.5, 1, s.width() - 3, s.height() - 2), 1.5, 1.5);
     }},
    {"public/Volume/VolumeThumb.png",
     {16, 19},
     [](QPainter& p, const QSize& s) {
         Fill(p, s, Qt::transparent);
         p.setRenderHint(QPainter::Antialiasing);
         p.setPen(QPen(kAccentDark, 1));
         p.setBrush(kText);
         p.drawEllipse(QRectF(2.5, 4, 11, 11));
     }},
    {"public/Volume/VolumeThumbPress.png",
     {16, 19},
     [](QPainter& p, const QSize& s) {
         Fill(p, s, Qt::transparent);
         p.setRenderHint(QPainter::Antialiasing);
         p.setPen(QPen(kAccentDark, 1));
         p.setBrush(kAccent);
         p.drawEllipse(QRectF(2.5, 4, 11, 11));
     }},
    {"public/Volume/BigOpenSound.png",
     {40, 32},
     [](QPainter& p, const QSize& s) { Icon(p, s, [](QPainter& q) { Speaker(q, true); }); }},
    {"public/Volume/BigCloseSound.png",
     {40, 32},
     [](QPainter& p, const QSize& s) { Icon(p, s, [](QPainter& q) { Speaker(q, false); }); }},
};

}  // namespace
}  // namespace VarpenImages
