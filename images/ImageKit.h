// The program's images are drawn from shapes at build time, so the repository holds no binary
// image. Each area of the program keeps its images in a file of its own beside this one
// (<area>_images.cpp, with the list of file names in <area>_images.cmake) and registers them with
// a static VarpenImages::Register object; varpen-draw-images writes them all.
#pragma once

#include <QColor>
#include <QPainter>
#include <QSize>
#include <QString>

#include <functional>
#include <initializer_list>
#include <vector>

namespace VarpenImages {

using Draw = std::function<void(QPainter&, const QSize&)>;

struct Image {
    const char* path;  // relative to ":/images/"
    QSize size;
    Draw draw;
};

// Every registered image, in registration order.
std::vector<Image>& Registry();

struct Register {
    Register(std::initializer_list<Image> images);
};

// A file that is not a single drawn PNG (an animation): `write` writes it at the given path.
struct File {
    const char* path;  // relative to ":/images/"
    std::function<bool(const QString& path)> write;
};
std::vector<File>& FileRegistry();
struct RegisterFile {
    RegisterFile(std::initializer_list<File> files);
};

// The palette shared by all images.
extern const QColor kAccent;
extern const QColor kAccentDark;
extern const QColor kPanel;
extern const QColor kPanelLight;
extern const QColor kText;

void VerticalGradient(QPainter& p, const QSize& s, const QColor& top, const QColor& bottom);
void Fill(QPainter& p, const QSize& s, const QColor& c);
// A cross of colour `c`, on a filled circle when `circle` is valid.
void Cross(QPainter& p, const QSize& s, const QColor& c, const QColor& circle);
// A bar end rounded on the left and/or right.
void Rounded(QPainter& p, const QSize& s, const QColor& c, bool left, bool right);
// A dialog background: panel colour, a title band of 33 pixels and a border.
void Dialog(QPainter& p, const QSize& s);
// A line icon on a transparent ground: `shape` draws with the text colour, 2.5 px round pen.
void Icon(QPainter& p, const QSize& s, const std::function<void(QPainter&)>& shape);

}  // namespace VarpenImages
