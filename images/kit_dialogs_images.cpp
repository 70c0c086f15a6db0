// Images of the kit's dialogs, notices, tool tips and buttons: the dialog frame with its bottom
// bar, the title bar's close button, the speed dial and the wait animation "Loading.gif".
#include "images/ImageKit.h"

#include <QFile>
#include <QImage>
#include <QLinearGradient>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <string>
#include <map>
#include <vector>

namespace VarpenImages {
namespace {

// The dialog frame with a bottom bar: the title band on top and a bar band of 50 pixels below.
void DialogWithBar(QPainter& p, const QSize& s)
{
    Dialog(p, s);
    const int bar = s.height() - 50;
    p.fillRect(1, bar, s.width() - 2, 49, QColor(0x1d, 0x21, 0x27));
    p.setPen(QColor(0x3a, 0x40, 0x4a));
    p.drawLine(1, bar, s.width() - 2, bar);
}

void CloseButton(QPainter& p, const QSize& s, bool hover)
{
    Fill(p, s, Qt::transparent);
    p.setRenderHint(QPainter::Antialiasing);
    if (hover) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0xc8, 0x3c, 0x3c));
        p.drawRoundedRect(QRectF(1, 1, s.width() - 2, s.height() - 2), 3, 3);
    }
    p.setPen(QPen(hover ? Qt::white : kText, 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(6, 6), QPointF(s.width() - 6, s.height() - 6));
    p.drawLine(QPointF(s.width() - 6, 6), QPointF(6, s.height() - 6));
}

// The speed dial's groove; `side` < 0 lights the slow half, > 0 the fast half.
void SpeedGroove(QPainter& p, const QSize& s, int side)
{
    Fill(p, s, Qt::transparent);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF groove(1, 5, s.width() - 2, s.height() - 10);
    p.setPen(QPen(QColor(0x4a, 0x52, 0x60), 1));
    p.setBrush(QColor(0x1b, 0x1e, 0x23));
    p.drawRoundedRect(groove, 3.5, 3.5);
    if (side != 0) {
        const qreal mid = s.width() / 2.0;
        const QRectF lit = side < 0 ? QRectF(groove.left(), groove.top(), mid - groove.left(), groove.height())
                                    : QRectF(mid, groove.top(), groove.right() - mid, groove.height());
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x2f, 0x7d, 0xd1, 0x90));
        p.drawRoundedRect(lit, 3.5, 3.5);
    }
    p.setPen(QPen(QColor(0x8a, 0x93, 0xa3), 1));
    for (int i = 0; i < 8; ++i) {
        const qreal x = 1 + (s.width() - 2) * i / 7.0;
        p.drawLine(QPointF(x, s.height() / 2.0 - 1), QPointF(x, s.height() / 2.0 + 1));
    }
}

void SpeedKnob(QPainter& p, const QSize& s, bool enabled)
{
    Fill(p, s, Qt::transparent);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, s.height());
    g.setColorAt(0, enabled ? QColor(0x5a, 0x9c, 0xe6) : QColor(0x6a, 0x70, 0x7a));
    g.setColorAt(1, enabled ? kAccentDark : QColor(0x44, 0x49, 0x52));
    p.setPen(QPen(enabled ? QColor(0x9c, 0xc4, 0xf0) : QColor(0x80, 0x86, 0x90), 1));
    p.setBrush(g);
    p.drawRoundedRect(QRectF(0.5, 0.5, s.width() - 1, s.height() - 1), 4, 4);
}

// ---- A small GIF writer for the wait animation (Qt reads GIF but cannot write it) ----------

void PutBits(std::vector<unsigned char>& out, unsigned& acc, int& nbits, int code, int size)
{
    acc |= unsigned(code) << nbits;
    nbits += size;
    while (nbits >= 8) {
        out.push_back(static_cast<unsigned char>(acc & 0xff));
        acc >>= 8;
        nbits -= 8;
    }
}

// LZW of one frame's colour indices (GIF variant: codes grow from minCodeSize + 1 to 12 bits).
std::vector<unsigned char> Lzw(const std::vector<unsigned char>& pixels, int minCodeSize)
{
    std::vector<unsigned char> out;
    unsigned acc = 0;
    int nbits = 0;
    const int clear = 1 << minCodeSize;
    const int eoi = clear + 1;
    std::map<int, int> dict;
    int next = clear + 2;
    int size = minCodeSize + 1;
    PutBits(out, acc, nbits, clear, size);
    int prefix = pixels.front();
    for (size_t i = 1; i < pixels.size(); ++i) {
        const int key = (prefix << 8) | pixels[i];
        const auto found = dict.find(key);
        if (found != dict.end()) {
            prefix = found->second;
            continue;
        }
        PutBits(out, acc, nbits, prefix, size);
        if (next < 4096) {
            dict[key] = next++;
            if (next > (1 << size) && size < 12)
                ++size;
        } else {
            PutBits(out, acc, nbits, clear, size);
            dict.clear();
            next = clear + 2;
            size = minCodeSize + 1;
        }
        prefix = pixels[i];
    }
    PutBits(out, acc, nbits, prefix, size);
    PutBits(out, acc, nbits, eoi, size);
    if (nbits > 0)
        out.push_back(static_cast<unsigned char>(acc & 0xff));
    return out;
}

// A ring of eight dots whose bright dot turns: 12 frames of 64 x 64, 80 ms each, looping.
bool WriteLoadingGif(const QString& path)
{
    const int side = 64;
    const int frames = 12;
    // Palette: 0 transparent, 1..15 from the panel's edge colour to the accent's light tint.
    std::vector<QColor> palette{QColor(0, 0, 0)};
    for (int i = 1; i < 16; ++i) {
        const qreal t = (i - 1) / 14.0;
        palette.emplace_back(int(0x3a + t * (0x8c - 0x3a)), int(0x40 + t * (0xc4 - 0x40)),
                             int(0x4a + t * (0xf4 - 0x4a)));
    }
    std::vector<unsigned char> gif;
    auto bytes = [&gif](std::initializer_list<int> b) {
        for (int v : b)
            gif.push_back(static_cast<unsigned char>(v));
    };
    auto word = [&gif](int v) {
        gif.push_back(static_cast<unsigned char>(v & 0xff));
        gif.push_back(static_cast<unsigned char>((v >> 8) & 0xff));
    };
    for (char c : std::string("GIF89a"))
        gif.push_back(static_cast<unsigned char>(c));
    word(side);
    word(side);
    bytes({0xf3, 0, 0});  // global colour table of 16 entries
    for (const QColor& c : palette)
        bytes({c.red(), c.green(), c.blue()});
    // Loop for ever.
    bytes({0x21, 0xff, 0x0b});
    for (char c : std::string("NETSCAPE2.0"))
        gif.push_back(static_cast<unsigned char>(c));
    bytes({0x03, 0x01, 0x00, 0x00, 0x00});
    for (int f = 0; f < frames; ++f) {
        QImage canvas(side, side, QImage::Format_ARGB32);
        canvas.fill(Qt::transparent);
        {
            QPainter p(&canvas);
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(Qt::NoPen);
            for (int d = 0; d < 8; ++d) {
                const double angle = (d * 45.0 - 90.0) * M_PI / 180.0;
                const int age = ((f * 8 / frames) - d + 8) % 8;  // 0: the bright dot
                const int shade = std::max(1, 15 - age * 2);
                p.setBrush(palette[size_t(shade)]);
                const QPointF centre(side / 2.0 + 22 * std::cos(angle), side / 2.0 + 22 * std::sin(angle));
                const double r = age == 0 ? 6.0 : 5.0 - age * 0.3;
                p.drawEllipse(centre, r, r);
            }
        }
        std::vector<unsigned char> indices;
        indices.reserve(size_t(side * side));
        for (int y = 0; y < side; ++y) {
            for (int x = 0; x < side; ++x) {
                const QColor c = canvas.pixelColor(x, y);
                if (c.alpha() < 128) {
                    indices.push_back(0);
                    continue;
                }
                int best = 1;
                int bestDistance = 1 << 30;
                for (int i = 1; i < 16; ++i) {
                    const int dr = c.red() - palette[size_t(i)].red();
                    const int dg = c.green() - palette[size_t(i)].green();
                    const int db = c.blue() - palette[size_t(i)].blue();
                    const int distance = dr * dr + dg * dg + db * db;
                    if (distance < bestDistance) {
                        bestDistance = distance;
                        best = i;
                    }
                }
                indices.push_back(static_cast<unsigned char>(best));
            }
        }
        bytes({0x21, 0xf9, 0x04, 0x09});  // restore to background, transparent colour given
        word(8);                          // 80 ms
        bytes({0x00, 0x00});              // transparent index 0
        bytes({0x2c});
        word(0);
        word(0);
        word(side);
        word(side);
        bytes({0x00, 0x04});  // no local table; LZW minimum code size 4
        const std::vector<unsigned char> data = Lzw(indices, 4);
        for (size_t at = 0; at < data.size(); at += 255) {
            const size_t n = std::min<size_t>(255, data.size() - at);
            gif.push_back(static_cast<unsigned char>(n));
            gif.insert(gif.end(), data.begin() + long(at), data.begin() + long(at + n));
        }
        bytes({0x00});
    }
    bytes({0x3b});
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    return file.write(reinterpret_cast<const char*>(gif.data()), qint64(gif.size())) == qint64(gif.size());
}

const Register kKitDialogImages{
    {"Dialog/dialog_bg.png", {160, 160}, [](QPainter& p, const QSize& s) { DialogWithBar(p, s); }},
    {"title/close.png", {20, 20}, [](QPainter& p, const QSize& s) { CloseButton(p, s, false); }},
    {"title/close_hover.png", {20, 20}, [](QPainter& p, const QSize& s) { CloseButton(p, s, true); }},
    {"MainView/ButtonIcon/speedLeft.png", {115, 17}, [](QPainter& p, const QSize& s) { SpeedGroove(p, s, -1); }},
    {"MainView/ButtonIcon/speedCenter.png", {115, 17}, [](QPainter& p, const QSize& s) { SpeedGroove(p, s, 0); }},
    {"MainView/ButtonIcon/speedRight.png", {115, 17}, [](QPainter& p, const QSize& s) { SpeedGroove(p, s, 1); }},
    {"MainView/ButtonIcon/speedFore.png", {29, 17}, [](QPainter& p, const QSize& s) { SpeedKnob(p, s, true); }},
    {"MainView/ButtonIconDis/speedFore_dis.png", {29, 17}, [](QPainter& p, const QSize& s) { SpeedKnob(p, s, false); }},
    // The path box's arrow: three dots, "browse".
    {"public/PathBox/browse.png",
     {14, 14},
     [](QPainter& p, const QSize& s) {
         Fill(p, s, Qt::transparent);
         p.setRenderHint(QPainter::Antialiasing);
         p.setPen(Qt::NoPen);
         p.setBrush(kText);
         for (int i = 0; i < 3; ++i)
             p.drawEllipse(QPointF(2.5 + i * 4.5, s.height() / 2.0), 1.6, 1.6);
     }},
    // The tool tip's panel: a light card with a darker edge, border-image 4.
    {"button/button_hover.png",
     {12, 12},
     [](QPainter& p, const QSize& s) {
         Fill(p, s, QColor(0xfb, 0xf6, 0xdc));
         p.setPen(QColor(0xb8, 0xa9, 0x5a));
         p.drawRect(0, 0, s.width() - 1, s.height() - 1);
     }},
};

const RegisterFile kKitDialogFiles{{"Loading.gif", WriteLoadingGif}};

}  // namespace
}  // namespace VarpenImages
