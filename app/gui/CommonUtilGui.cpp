#include "app/gui/CommonUtilGui.h"

#include "app/ClientSetup.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QHash>
#include <QImage>
#include <QPixmapCache>
#include <QScreen>
#include <QWidget>

// ------------------------------------------------------------------------------------------
// Images and regions

QPixmap CCommonUtil::LoadPixmap(const QString& path)
{
    QPixmap pixmap;
    if (QPixmapCache::find(path, &pixmap))
        return pixmap;
    const QImage image(path);
    pixmap = QPixmap::fromImage(image, Qt::OrderedDither | Qt::OrderedAlphaDither);
    if (!pixmap.isNull())
        QPixmapCache::insert(path, pixmap);
    return pixmap;
}

namespace {

QHash<QString, QIcon>& Icons()
{
    static QHash<QString, QIcon> icons;
    return icons;
}

void ForgetIcons()
{
    Icons().clear();
}

}  // namespace

QIcon CCommonUtil::LoadIcon(const QString& path)
{
    QHash<QString, QIcon>& icons = Icons();
    if (const auto found = icons.constFind(path); found != icons.constEnd())
        return *found;
    // Dropped while the application object goes, before the pictures' platform does (a routine
    // runs once: the first icon kept after each drop asks for it again).
    if (icons.isEmpty())
        qAddPostRoutine(ForgetIcons);
    const QIcon icon(path);
    icons.insert(path, icon);
    return icon;
}

QPixmap ClientLanguageProperty::GetSplash() const
{
    return CCommonUtil::LoadPixmap(m_splashImage);
}

namespace {

QRegion Corner(int x, int y, int radius)
{
    return QRegion(x, y, 2 * radius, 2 * radius, QRegion::Ellipse);
}

QRegion TopLeft(const QRect& r, int radius)
{
    return Corner(r.x(), r.y(), radius);
}
QRegion TopRight(const QRect& r, int radius)
{
    return Corner(r.right() + 1 - 2 * radius, r.y(), radius);
}
QRegion BottomLeft(const QRect& r, int radius)
{
    return Corner(r.x(), r.bottom() + 1 - 2 * radius, radius);
}
QRegion BottomRight(const QRect& r, int radius)
{
    return Corner(r.right() + 1 - 2 * radius, r.bottom() + 1 - 2 * radius, radius);
}

}  // namespace

QRegion CCommonUtil::GetRoundRectRegion(const QRect& r, int radius)
{
    return QRegion(r.adjusted(radius, 0, -radius, 0)) + QRegion(r.adjusted(0, radius, 0, -radius)) +
           TopLeft(r, radius) + TopRight(r, radius) + BottomLeft(r, radius) + BottomRight(r, radius);
}

QRegion CCommonUtil::GetTopRoundRectRegion(const QRect& r, int radius)
{
    return QRegion(r.adjusted(0, radius, 0, 0)) + QRegion(r.adjusted(radius, 0, -radius, 0)) + TopLeft(r, radius) +
           TopRight(r, radius);
}

QRegion CCommonUtil::GetLeftRoundRectRegion(const QRect& r, int radius)
{
    return QRegion(r.adjusted(radius, 0, 0, 0)) + QRegion(r.adjusted(0, radius, 0, -radius)) + TopLeft(r, radius) +
           BottomLeft(r, radius);
}

QRegion CCommonUtil::GetRightRoundRectRegion(const QRect& r, int radius)
{
    return QRegion(r.adjusted(0, 0, -radius, 0)) + QRegion(r.adjusted(0, radius, 0, -radius)) + TopRight(r, radius) +
           BottomRight(r, radius);
}

// ------------------------------------------------------------------------------------------
// Screen geometry

QPoint CCommonUtil::AdjustPosToAvailable(const QPoint& p, const QVector<ScreenArea>& screens)
{
    if (screens.isEmpty())
        return p;
    for (const ScreenArea& s : screens) {
        if (s.available.contains(p))
            return p;
    }
    const ScreenArea* at = &screens.first();
    for (const ScreenArea& s : screens) {
        if (s.geometry.contains(p)) {
            at = &s;
            break;
        }
    }
    const QRect a = at->available;
    const QRect s = at->geometry;
    const auto spansRow = [&screens](int row) {
        for (const ScreenArea& o : screens) {
            if (o.available.y() <= row && row <= o.available.bottom())
                return true;
        }
        return false;
    };
    const auto spansColumn = [&screens](int column) {
        for (const ScreenArea& o : screens) {
            if (o.available.x() <= column && column <= o.available.right())
                return true;
        }
        return false;
    };
    if (a.contains(s.topLeft()) && a.contains(s.topRight()))  // task bar at the bottom
        return spansRow(s.bottom() + 1) ? p : QPoint(p.x(), a.bottom());
    if (a.contains(s.topLeft()) && a.contains(s.bottomLeft()))  // at the right
        return spansColumn(s.right() + 1) ? p : QPoint(a.right(), p.y());
    if (a.contains(s.topRight()) && a.contains(s.bottomRight()))  // at the left
        return spansColumn(s.x() - 1) ? p : QPoint(a.x(), p.y());
    return spansRow(s.top() - 1) ? p : QPoint(p.x(), a.y());  // at the top
}

QPoint CCommonUtil::AdjustPosToAvailable(const QPoint& p)
{
    QVector<ScreenArea> screens;
    for (const QScreen* screen : QGuiApplication::screens())
        screens.append({screen->geometry(), screen->availableGeometry()});
    // The screen at the point comes first, as the desktop names it.
    if (const QScreen* at = QGuiApplication::screenAt(p)) {
        const ScreenArea first{at->geometry(), at->availableGeometry()};
        for (int i = 0; i < screens.size(); ++i) {
            if (screens[i].geometry == first.geometry) {
                screens.move(i, 0);
                break;
            }
        }
    }
    return AdjustPosToAvailable(p, screens);
}

QRect CCommonUtil::AdjustRectToScreen(QRect r, const QRect& s)
{
    if (r.x() + r.width() > s.right())
        r.setX(s.right() - r.width());
    if (r.y() + r.height() > s.bottom())
        r.setY(s.bottom() - r.height());
    return r;
}

QRect CCommonUtil::AdjustRectToScreen(const QRect& r, const QWidget* w)
{
    const QScreen* screen = w ? w->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return r;
    return AdjustRectToScreen(r, screen->geometry());
}
