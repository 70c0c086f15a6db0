#include "platform/vrend/VideoSurface.h"

#include <QMetaObject>
#include <QPainter>
#include <QPointer>

#include <map>
#include <mutex>

namespace {

struct Entry {
    QPointer<VideoSurface> surface;
    QImage image;
    QSize pixel_size;
    int port = -1;
    VRendDrawFn draw = nullptr;
    void* user = nullptr;
    std::uint64_t frames = 0;
};

struct Registry {
    std::mutex mutex;
    std::map<std::uint32_t, Entry> entries;
    std::uint32_t next_id = 1;
};

Registry& registry()
{
    static Registry* r = new Registry;  // outlives every surface and every port thread
    return *r;
}

// Asks the surface's thread to repaint it. Called under the registry lock, so the surface is
// alive; a posted call to a surface that dies later is discarded by Qt with the surface. The call
// is posted by name and carries no data of ours, so nothing crosses to the GUI thread inside Qt's
// event queue, whose order the thread sanitizer cannot see.
void RequestRepaint(VideoSurface* surface)
{
    QMetaObject::invokeMethod(surface, "update", Qt::QueuedConnection);
}

QSize pixelSizeOf(const QWidget* w)
{
    const qreal ratio = w->devicePixelRatioF();
    return QSize(qRound(w->width() * ratio), qRound(w->height() * ratio));
}

}  // namespace

VideoSurface::VideoSurface(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    id_ = r.next_id++;
    if (r.next_id == 0)
        r.next_id = 1;
    Entry& e = r.entries[id_];
    e.surface = this;
    e.pixel_size = pixelSizeOf(this);
}

VideoSurface::~VideoSurface()
{
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    r.entries.erase(id_);
}

QImage VideoSurface::currentImage() const
{
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    auto it = r.entries.find(id_);
    return it == r.entries.end() ? QImage() : it->second.image;
}

std::uint64_t VideoSurface::framesReceived() const
{
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    auto it = r.entries.find(id_);
    return it == r.entries.end() ? 0 : it->second.frames;
}

void VideoSurface::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    auto it = r.entries.find(id_);
    if (it != r.entries.end())
        it->second.pixel_size = pixelSizeOf(this);
}

void VideoSurface::paintEvent(QPaintEvent*)
{
    QImage image;
    int port = -1;
    VRendDrawFn draw = nullptr;
    void* user = nullptr;
    {
        Registry& r = registry();
        std::lock_guard lock(r.mutex);
        auto it = r.entries.find(id_);
        if (it != r.entries.end()) {
            image = it->second.image;  // shared, no pixel copy
            port = it->second.port;
            draw = it->second.draw;
            user = it->second.user;
        }
    }
    QPainter painter(this);
    if (image.isNull()) {
        painter.fillRect(rect(), Qt::black);
        return;
    }
    painter.drawImage(rect(), image);
    if (draw)
        draw(port, &painter, user);
}

namespace vrend::surfaces {

QSize PixelSize(std::uint32_t id)
{
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    auto it = r.entries.find(id);
    return it == r.entries.end() ? QSize() : it->second.pixel_size;
}

bool Publish(std::uint32_t id, const QImage& image, int port, VRendDrawFn draw, void* user)
{
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    auto it = r.entries.find(id);
    if (it == r.entries.end() || !it->second.surface)
        return false;
    Entry& e = it->second;
    e.image = image;
    e.port = port;
    e.draw = draw;
    e.user = user;
    ++e.frames;
    RequestRepaint(e.surface);
    return true;
}

void Clear(std::uint32_t id)
{
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    auto it = r.entries.find(id);
    if (it == r.entries.end() || !it->second.surface)
        return;
    it->second.image = QImage();
    RequestRepaint(it->second.surface);
}

bool Exists(std::uint32_t id)
{
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    auto it = r.entries.find(id);
    return it != r.entries.end() && it->second.surface;
}

}  // namespace vrend::surfaces
