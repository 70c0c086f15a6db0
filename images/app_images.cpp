// Images of the application frame: tabs, progress bar, slider, dialog background.
#include "images/ImageKit.h"

namespace VarpenImages {
namespace {

// A filled triangle pointing down, the drop-down mark of the combo boxes.
void DownArrow(QPainter& p, const QSize& s, const QColor& c)
{
    Fill(p, s, Qt::transparent);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawPolygon(QPolygonF({QPointF(0, 0), QPointF(s.width(), 0), QPointF(s.width() / 2.0, s.height())}));
}

const Register kAppImages{
    {"Tab/TabSelect.png", {5, 39}, [](QPainter& p, const QSize& s) { VerticalGradient(p, s, kAccent, kAccentDark); }},
    {"Tab/TabUnselect.png", {5, 39}, [](QPainter& p, const QSize& s) { VerticalGradient(p, s, kPanelLight, kPanel); }},
    {"Tab/TabClose.png",
     {16, 16},
     [](QPainter& p, const QSize& s) {
         Fill(p, s, Qt::transparent);
         Cross(p, s, kText, QColor());
     }},
    {"Tab/TabCloseHover.png",
     {16, 16},
     [](QPainter& p, const QSize& s) {
         Fill(p, s, Qt::transparent);
         Cross(p, s, Qt::white, QColor(0xc8, 0x3c, 0x3c));
     }},
    {"Tab/tab_bg.png",
     {8, 40},
     [](QPainter& p, const QSize& s) { VerticalGradient(p, s, QColor(0x2b, 0x30, 0x38), QColor(0x1b, 0x1e, 0x23)); }},
    {"Tab/monitoring.png",
     {32, 32},
     [](QPainter& p, const QSize& s) {
         Icon(p, s, [](QPainter& q) {
             q.drawRoundedRect(QRectF(3, 7, 26, 18), 3, 3);
             q.setBrush(kText);
             q.drawPolygon(QPolygonF({QPointF(13, 11), QPointF(21, 16), QPointF(13, 21)}));
         });
     }},
    {"Tab/LogSearch.png",
     {32, 32},
     [](QPainter& p, const QSize& s) {
         Icon(p, s, [](QPainter& q) {
             q.drawRect(QRectF(6, 4, 16, 22));
             q.drawLine(10, 10, 18, 10);
             q.drawLine(10, 15, 18, 15);
             q.drawEllipse(QRectF(17, 17, 8, 8));
             q.drawLine(24, 24, 28, 28);
         });
     }},
    {"Tab/config.png",
     {32, 32},
     [](QPainter& p, const QSize& s) {
         Icon(p, s, [](QPainter& q) {
             q.drawEllipse(QRectF(10, 10, 12, 12));
             for (int i = 0; i < 8; ++i) {
                 q.save();
                 q.translate(16, 16);
                 q.rotate(45.0 * i);
                 q.drawLine(0, -9, 0, -13);
                 q.restore();
             }
         });
     }},
    {"Tab/Information.png",
     {32, 32},
     [](QPainter& p, const QSize& s) {
         Icon(p, s, [](QPainter& q) {
             q.drawEllipse(QRectF(4, 4, 24, 24));
             q.drawLine(16, 14, 16, 22);
             q.drawPoint(16, 10);
         });
     }},
    {"ControlPanel/ListView-hover.png",
     {8, 8},
     [](QPainter& p, const QSize& s) { Fill(p, s, QColor(0x2f, 0x7d, 0xd1, 0x80)); }},
    {"public/ProgressBar/ProgressBarLeft.png",
     {4, 8},
     [](QPainter& p, const QSize& s) { Rounded(p, s, kPanelLight, true, false); }},
    {"public/ProgressBar/ProgressBar.png", {4, 8}, [](QPainter& p, const QSize& s) { Fill(p, s, kPanelLight); }},
    {"public/ProgressBar/ProgressBarRight.png",
     {4, 8},
     [](QPainter& p, const QSize& s) { Rounded(p, s, kPanelLight, false, true); }},
    {"public/ProgressBar/ProgressBarLeftChunk.png",
     {4, 8},
     [](QPainter& p, const QSize& s) { Rounded(p, s, kAccent, true, false); }},
    {"public/ProgressBar/ProgressBarChunk.png", {4, 8}, [](QPainter& p, const QSize& s) { Fill(p, s, kAccent); }},
    {"public/ProgressBar/ProgressBarRightChunk.png",
     {4, 8},
     [](QPainter& p, const QSize& s) { Rounded(p, s, kAccent, false, true); }},
    {"public/Slider/RadiobtnOff.png",
     {10, 10},
     [](QPainter& p, const QSize& s) {
         Fill(p, s, Qt::transparent);
         p.setRenderHint(QPainter::Antialiasing);
         p.setPen(QPen(kAccentDark, 1));
         p.setBrush(kText);
         p.drawEllipse(QRectF(0.5, 0.5, s.width() - 1, s.height() - 1));
     }},
    {"public/Slider/LeftSlider.png", {8, 4}, [](QPainter& p, const QSize& s) { Fill(p, s, kAccent); }},
    {"public/Slider/RightSlider.png", {8, 4}, [](QPainter& p, const QSize& s) { Fill(p, s, kPanelLight); }},
    {"Dialog/dialog_bg2.png", {120, 120}, [](QPainter& p, const QSize& s) { Dialog(p, s); }},
    {"public/ComboBox/arrow-down.png", {9, 6}, [](QPainter& p, const QSize& s) { DownArrow(p, s, kText); }},
    {"public/ComboBox/arrow-down-disabled.png",
     {9, 6},
     [](QPainter& p, const QSize& s) { DownArrow(p, s, QColor(0x8a, 0x93, 0xa3)); }},
};

}  // namespace
}  // namespace VarpenImages
