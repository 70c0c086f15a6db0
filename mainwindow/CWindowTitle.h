// The title bar of the frameless main window: the eye icon, the title, and the minimise, full
// screen/restore and close buttons. Dragging it moves the window (through the window system's
// own move where it offers one, as on Wayland), a double click switches full screen.
#pragma once

#include <QPoint>
#include <QWidget>

class CPushButton;
class QHBoxLayout;
class QLabel;
class QSpacerItem;

class CWindowTitle : public QWidget {
    Q_OBJECT
public:
    explicit CWindowTitle(QWidget* parent);
    ~CWindowTitle() override;

    void ShowMinimizeButton(bool show);

    // Full screen needs a screen of at least 1024 x 768.
    static bool ScreenAllowsFullScreen(const QSize& screen);
    // Where the window goes for a cursor at `global` when the press was at `offset` (in the
    // window's coordinates): the cursor is first held inside the screens' available areas.
    static QPoint MoveTarget(const QPoint& global, const QPoint& offset);

    CPushButton* MinimiseButton() const { return m_pBtnMin; }
    CPushButton* MaximiseButton() const { return m_pBtnMax; }
    CPushButton* CloseButton() const { return m_pBtnClose; }
    bool IsDragging() const { return m_bPressed; }

public slots:
    void showSmall();

private slots:
    void ChangSizeToFull();
    void ChaneMaxSizeOrRestore();
    void OnCloseWindow();

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    void InitUi();
    void UpdateMaxButtonStyle();
    void UpdateBackground();
    bool ScreenLargeEnough() const;

    QHBoxLayout* m_pLayout = nullptr;
    QHBoxLayout* m_pLeftLayout = nullptr;
    QHBoxLayout* m_pRightLayout = nullptr;
    QSpacerItem* m_pLeftSpacer = nullptr;
    QSpacerItem* m_pRightSpacer = nullptr;
    CPushButton* m_pBtnMin = nullptr;
    CPushButton* m_pBtnClose = nullptr;
    CPushButton* m_pBtnMax = nullptr;
    CPushButton* m_pBtnIcon = nullptr;
    bool m_bPressed = false;
    QPoint m_pressOffset;
    QLabel* m_pTitleLabel = nullptr;
    QWidget* m_pParentWnd = nullptr;
    QSize m_fixedSize;  // a fixed-size window's size, lifted while full screen
};
