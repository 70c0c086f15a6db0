#pragma once

#include <QProxyStyle>

// The application's style: tabs, progress bars and horizontal sliders drawn from images, no
// focus rectangles, tab-bar base lines or styled-panel frames. Everything else is the classic
// "Windows" style. The application style sheet is laid over it.
class COstraStyle : public QProxyStyle {
    Q_OBJECT
public:
    COstraStyle();
    ~COstraStyle() override;

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
    QRect subElementRect(SubElement element, const QStyleOption* option,
                         const QWidget* widget = nullptr) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                            const QWidget* widget = nullptr) const override;
    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl subControl,
                         const QWidget* widget = nullptr) const override;
    int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                    const QWidget* widget = nullptr) const override;
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget = nullptr) const override;

    // Width in pixels of the filled middle part of a progress bar `width` pixels wide.
    static qint64 ProgressChunkWidth(int width, int leftChunkWidth, int rightWidth, qint64 minimum, qint64 maximum,
                                     qint64 progress);

private:
    void DrawProgressBar(const QStyleOption* option, QPainter* painter) const;
    void DrawHorizontalSlider(const QStyleOptionComplex* option, QPainter* painter, const QWidget* widget) const;
};
