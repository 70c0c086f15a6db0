// Draws the small images of the program's resources into a folder at build time:
//   varpen-draw-images <output folder>
// Every image is drawn from shapes, so the repository holds no binary image.

#include <QColor>
#include <QDir>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QString>

#include <cstdio>
#include <functional>

namespace {

using Draw = std::function<void(QPainter&, const QSize&)>;

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

void Fill(QPainter& p, const QSize& s, const QColor& c) { p.fillRect(QRect(QPoint(0, 0), s), c); }

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

struct Image {
    const char* path;
    QSize size;
    Draw draw;
};

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    const Image images[] = {
        {"Tab/TabSelect.png", {5, 39}, [](QPainter& p, const QSize& s) { VerticalGradient(p, s, kAccent, kAccentDark); }},
        {"Tab/TabUnselect.png", {5, 39}, [](QPainter& p, const QSize& s) { VerticalGradient(p, s, kPanelLight, kPanel); }},
        {"Tab/TabClose.png", {16, 16}, [](QPainter& p, const QSize& s) { Fill(p, s, Qt::transparent); Cross(p, s, kText, QColor()); }},
        {"Tab/TabCloseHover.png", {16, 16}, [](QPainter& p, const QSize& s) { Fill(p, s, Qt::transparent); Cross(p, s, Qt::white, QColor(0xc8, 0x3c, 0x3c)); }},
        {"Tab/tab_bg.png", {8, 40}, [](QPainter& p, const QSize& s) { VerticalGradient(p, s, QColor(0x2b, 0x30, 0x38), QColor(0x1b, 0x1e, 0x23)); }},
        {"Tab/monitoring.png", {32, 32}, [](QPainter& p, const QSize& s) {
             Icon(p, s, [](QPainter& q) {
                 q.drawRoundedRect(QRectF(3, 7, 26, 18), 3, 3);
                 q.setBrush(kText);
                 q.drawPolygon(QPolygonF({QPointF(13, 11), QPointF(21, 16), QPointF(13, 21)}));
             });
         }},
        {"Tab/LogSearch.png", {32, 32}, [](QPainter& p, const QSize& s) {
             Icon(p, s, [](QPainter& q) {
                 q.drawRect(QRectF(6, 4, 16, 22));
                 q.drawLine(10, 10, 18, 10);
                 q.drawLine(10, 15, 18, 15);
                 q.drawEllipse(QRectF(17, 17, 8, 8));
                 q.drawLine(24, 24, 28, 28);
             });
         }},
        {"Tab/config.png", {32, 32}, [](QPainter& p, const QSize& s) {
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
        {"Tab/Information.png", {32, 32}, [](QPainter& p, const QSize& s) {
             Icon(p, s, [](QPainter& q) {
                 q.drawEllipse(QRectF(4, 4, 24, 24));
                 q.drawLine(16, 14, 16, 22);
                 q.drawPoint(16, 10);
             });
         }},
        {"ControlPanel/ListView-hover.png", {8, 8}, [](QPainter& p, const QSize& s) { Fill(p, s, QColor(0x2f, 0x7d, 0xd1, 0x80)); }},
        {"public/ProgressBar/ProgressBarLeft.png", {4, 8}, [](QPainter& p, const QSize& s) { Rounded(p, s, kPanelLight, true, false); }},
        {"public/ProgressBar/ProgressBar.png", {4, 8}, [](QPainter& p, const QSize& s) { Fill(p, s, kPanelLight); }},
        {"public/ProgressBar/ProgressBarRight.png", {4, 8}, [](QPainter& p, const QSize& s) { Rounded(p, s, kPanelLight, false, true); }},
        {"public/ProgressBar/ProgressBarLeftChunk.png", {4, 8}, [](QPainter& p, const QSize& s) { Rounded(p, s, kAccent, true, false); }},
        {"public/ProgressBar/ProgressBarChunk.png", {4, 8}, [](QPainter& p, const QSize& s) { Fill(p, s, kAccent); }},
        {"public/ProgressBar/ProgressBarRightChunk.png", {4, 8}, [](QPainter& p, const QSize& s) { Rounded(p, s, kAccent, false, true); }},
        {"public/Slider/RadiobtnOff.png", {10, 10}, [](QPainter& p, const QSize& s) {
             Fill(p, s, Qt::transparent);
             p.setRenderHint(QPainter::Antialiasing);
             p.setPen(QPen(kAccentDark, 1));
             p.setBrush(kText);
             p.drawEllipse(QRectF(0.5, 0.5, s.width() - 1, s.height() - 1));
         }},
        {"public/Slider/LeftSlider.png", {8, 4}, [](QPainter& p, const QSize& s) { Fill(p, s, kAccent); }},
        {"public/Slider/RightSlider.png", {8, 4}, [](QPainter& p, const QSize& s) { Fill(p, s, kPanelLight); }},
        {"Dialog/dialog_bg2.png", {120, 120}, [](QPainter& p, const QSize& s) { Dialog(p, s); }},
    };
    for (const Image& image : images) {
        const QString path = out + QLatin1Char('/') + QLatin1String(image.path);
        QDir().mkpath(path.left(path.lastIndexOf(QLatin1Char('/'))));
        QImage canvas(image.size, QImage::Format_ARGB32_Premultiplied);
        canvas.fill(Qt::transparent);
        {
            QPainter painter(&canvas);
            image.draw(painter, image.size);
        }
        if (!canvas.save(path, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
