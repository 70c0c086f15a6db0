// The frame of one play window: the video surface the player paints into, one pixel inside the
// border, and the selection border (yellow for the page's current window, black otherwise).
#pragma once

#include <QFrame>

#include <cstdint>

class VideoSurface;

class CBasePlayFrame : public QFrame {
    Q_OBJECT

public:
    explicit CBasePlayFrame(QWidget* parent = nullptr);
    ~CBasePlayFrame() override;

    void SetSelected(bool selected);
    bool IsSelected() const { return m_selected; }
    // Sets the object name and clears the selection; the border shows from then on.
    void SetFrameName(const QString& name);
    // The handle the engine plays into: the video surface's id in the player's registry.
    std::uint32_t GetPlayWndId() const;
    VideoSurface* Surface() const { return m_pSurface; }

    int SurfaceOffsetX() const { return m_offsetX; }
    int SurfaceOffsetY() const { return m_offsetY; }

    // The rectangle kept for the video inside the frame and the picture-fit choice, both kept
    // here for the play window.
    QRect VideoRect() const { return {m_videoX, m_videoY, m_videoWidth, m_videoHeight}; }
    void SetVideoRect(const QRect& rect);
    int AdaptType() const { return m_adaptType; }
    void SetAdaptTypeValue(int type) { m_adaptType = type; }

private:
    VideoSurface* m_pSurface = nullptr;
    int m_offsetX = 1;
    int m_offsetY = 1;
    bool m_selected = false;
    int m_videoWidth = 0;
    int m_videoHeight = 0;
    int m_videoX = 0;
    int m_videoY = 0;
    int m_adaptType = 0;
};
