#include "images/ImageKit.h"

#include <QLinearGradient>
#include <QPainterPath>

namespace VarpenImages {

std::vector<Image>& Registry()
{
    static std::vector<Image> images;
    return images;
}

Register::Register(std::initializer_list<Image> images)
{
    for (const Image& image : images)
        Registry().push_back(image);
}

std::vector<File>& FileRegistry()
{
    static std::vector<File> files;
    return files;
}

RegisterFile::RegisterFile(std::initializer_list<File> files)
{
    for (const File& file : files)
        FileRegistry().push_back(file);
}

const QColor kAccent(0x2f, 0x7d, 0xd1);
const QColor kAccentDark(0x1c, 0x55, 0x94);
const QColor kPanel(0x23, 0x27, 0x2e);
const QColor kPanelLight(0x3a, 0x40, 0x4a);
const QColor kText(0xe6, 0xe9, 0xee);

void VerticalGradient(QPainter& p, const QSize& s, const QColor& top, const QColor& bottom)
{
    QLinearGradient g(0, 0, 0, s.height());
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    p.fillRect(QRect(QPoint(0, 0), s), g);
}

void Fill(QPainter& p, const QSize& s, const QColor& c)
{
    p.fillRect(QRect(QPoint(0, 0), s), c);
}

void Cross(QPainter& p, const QSize& s, const QColor& c, const QColor& circle)
{
    p.setRenderHint(QPainter::Antialiasing);
    if (circle.isValid()) {
        p.setPen(Qt::NoPen);
        p.setBrush(circle);
        p.drawEllipse(QRectF(0.5, 0.5, s.width() - 1, s.height() - 1));
    }
    p.setPen(QPen(c, 2, Qt::SolidLine, Qt::RoundCap));
    const int m = s.width() / 4;
    p.drawLine(m, m, s.width() - m, s.height() - m);
    p.drawLine(s.width() - m, m, m, s.height() - m);
}

void Rounded(QPainter& p, const QSize& s, const QColor& c, bool left, bool right)
{
    Fill(p, s, Qt::transparent);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    QPainterPath path;
    path.addRoundedRect(QRectF(left ? 0 : -8, 0, s.width() + (left ? 0 : 8) + (right ? 0 : 8), s.height()), 3, 3);
    p.drawPath(path);
}

void Dialog(QPainter& p, const QSize& s)
{
    Fill(p, s, kPanel);
    QLinearGradient band(0, 0, 0, 33);
    band.setColorAt(0, kPanelLight);
    band.setColorAt(1, QColor(0x2b, 0x30, 0x38));
    p.fillRect(0, 0, s.width(), 33, band);
    p.setPen(QColor(0x4a, 0x52, 0x60));
    p.drawRect(0, 0, s.width() - 1, s.height() - 1);
}

void Icon(QPainter& p, const QSize& s, const std::function<void(QPainter&)>& shape)
{
    Fill(p, s, Qt::transparent);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kText, 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    shape(p);
}

}  // namespace VarpenImages
