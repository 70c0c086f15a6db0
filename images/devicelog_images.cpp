// Images of the log page: the magnifier of its "Search" button.
#include "images/ImageKit.h"

namespace VarpenImages {
namespace {

const Register kDeviceLogImages{
    {"DeviceConfig/search.png",
     {16, 16},
     [](QPainter& p, const QSize& s) {
         Icon(p, s, [](QPainter& q) {
             q.setPen(QPen(kText, 1.8, Qt::SolidLine, Qt::RoundCap));
             q.drawEllipse(QRectF(2.5, 2.5, 8, 8));
             q.drawLine(QPointF(9.5, 9.5), QPointF(14, 14));
         });
     }},
};

}  // namespace
}  // namespace VarpenImages
