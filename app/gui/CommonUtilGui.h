#pragma once

#include "app/CommonUtil.h"

#include <QIcon>
#include <QPixmap>
#include <QPoint>
#include <QRect>
#include <QRegion>
#include <QString>
#include <QVector>

class QWidget;

// The common utilities that work on pictures, window shapes and screens: they need QtGui and
// QtWidgets, so they live beside the style and the application object, apart from the rest of
// CCommonUtil (app/CommonUtil.h), which the engine uses too.
namespace CCommonUtil {

// Images and window shapes.
QPixmap LoadPixmap(const QString& path);
// The icon of an image file, read once: later calls with the same path share it (a QIcon made
// from a file decodes the file at once, and the sixteen play windows ask for the same few). GUI
// thread only; the icons kept go when the application object does.
QIcon LoadIcon(const QString& path);
QRegion GetRoundRectRegion(const QRect& r, int radius);
QRegion GetTopRoundRectRegion(const QRect& r, int radius);
QRegion GetLeftRoundRectRegion(const QRect& r, int radius);
QRegion GetRightRoundRectRegion(const QRect& r, int radius);

// Screen geometry.
struct ScreenArea {
    QRect geometry;
    QRect available;
};
QPoint AdjustPosToAvailable(const QPoint& p);
// The same rule over given screens (first = the screens of the desktop).
QPoint AdjustPosToAvailable(const QPoint& p, const QVector<ScreenArea>& screens);
QRect AdjustRectToScreen(const QRect& r, const QWidget* w);
QRect AdjustRectToScreen(QRect r, const QRect& screen);

}  // namespace CCommonUtil
