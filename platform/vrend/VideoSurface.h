// The widget the player layer paints into. Its id in a process-wide registry is the "window
// handle" the engine hands to VRend_Play as a number.
#pragma once

#include <QImage>
#include <QWidget>

#include <cstdint>

#include "platform/vrend/vrend.h"

class VideoSurface : public QWidget {
    Q_OBJECT
public:
    explicit VideoSurface(QWidget* parent = nullptr);
    ~VideoSurface() override;

    // Id >= 1, unique in the process while the widget lives.
    std::uint32_t surfaceId() const { return id_; }
    // The frame painted last (a copy), for tests and snapshots of the window.
    QImage currentImage() const;
    // Number of frames handed to this surface so far.
    std::uint64_t framesReceived() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    std::uint32_t id_ = 0;
};

// Calls of the player layer on the registry. Thread-safe; a surface that is gone is forgotten
// and frames for it are dropped.
namespace vrend::surfaces {

// Pixel size of the surface (size x device pixel ratio); empty when the id is unknown.
QSize PixelSize(std::uint32_t id);
// Hands a frame to the surface and asks it to repaint on the GUI thread. False when unknown.
bool Publish(std::uint32_t id, const QImage& image, int port, VRendDrawFn draw, void* user);
// Shows black (stop).
void Clear(std::uint32_t id);
bool Exists(std::uint32_t id);

}  // namespace vrend::surfaces
