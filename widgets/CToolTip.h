// The program's own tool tip: static functions that show a short text in a frameless label near
// a global position, keep at most one such label alive and hide it after a lifetime that grows
// with the text (8000 ms, plus 40 ms per character beyond 100). The label's class, CToolLabel,
// lets the style sheet and the application font address it apart from the toolkit's tool tips.
#pragma once

#include <QBasicTimer>
#include <QLabel>
#include <QPalette>
#include <QPointer>
#include <QRect>

class CToolLabel : public QLabel {
    Q_OBJECT
public:
    static constexpr int kHideDelay_ms = 300;

    CToolLabel(const QString& text, QWidget* parent);
    ~CToolLabel() override;

    static CToolLabel* Current();

    void SetTipText(const QString& text);
    void RestartLifetime();
    void HideAfterDelay();
    void CloseNow();
    void setTipRect(QWidget* w, const QRect& r);
    bool IsDifferentTip(const QPoint& localPos, const QString& text, QObject* o) const;
    void MoveToPoint(const QPoint& pos, QWidget* w);
    static QScreen* ScreenOfTip(const QPoint& pos, QWidget* w);

    bool IsExpiring() const { return m_expireTimer.isActive(); }
    bool IsHiding() const { return m_hideTimer.isActive(); }
    QWidget* TipWidget() const { return m_widget; }
    QRect TipRect() const { return m_rect; }

    // The lifetime of a tip of `length` characters.
    static int LifetimeFor(int length);
    // Where a tip of `size` opens for the point `pos` on a screen of `screen` geometry.
    static QPoint PlaceOnScreen(const QPoint& pos, const QSize& size, const QRect& screen);

protected:
    bool eventFilter(QObject* o, QEvent* e) override;
    void timerEvent(QTimerEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    QBasicTimer m_hideTimer;
    QBasicTimer m_expireTimer;
    QPointer<QWidget> m_widget;
    QRect m_rect;
};

class CToolTip {
public:
    CToolTip() = delete;

    static void showText(const QPoint& pos, const QString& text, QWidget* w, const QRect& rect);
    static void showText(const QPoint& pos, const QString& text, QWidget* w = nullptr);
    static void hideText();
    static bool isVisible();
    static QString text();
    static QPalette palette();
    static void setPalette(const QPalette& palette);
    static QFont font();
    static void setFont(const QFont& font);
};
