// The hover tool bar of a play window: the window's tool buttons in one row, left group before
// the row's spacer and right group after it, as far as the bar's width allows; the rest go into
// an extend pop-up opened by a narrow button at the end of the row.
#pragma once

#include <QFrame>
#include <QList>

#include <array>

class QGridLayout;
class QHBoxLayout;
class QSlider;
class QSpacerItem;
class QToolButton;
class QVBoxLayout;

class CPlayWndBottom : public QFrame {
    Q_OBJECT

public:
    static constexpr int kGroupSize = 11;

    explicit CPlayWndBottom(QWidget* parent = nullptr);
    ~CPlayWndBottom() override;

    // Hides the widgets of both groups and takes the first 11 of each list, shown.
    void SetButtons(const QList<QWidget*>& left, const QList<QWidget*>& right);
    void Relayout();
    // True when the bar's window is active and the cursor is over the bar.
    bool IsCursorInside() const;

    QFrame* ExtendPopup() const { return m_pExtendWnd; }
    QToolButton* ExtendButton() const { return m_pBtnExtend; }
    int ExtendWidth() const { return m_extendWidth; }
    // Where each tool widget went: the row, or the pop-up's top or bottom row.
    enum class Place { None, Row, PopupTop, PopupBottom };
    Place PlaceOf(const QWidget* widget) const;

public slots:
    void ShowExtendWnd();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    int FillBar(int nLeft, int nRight);

    // The form.
    QGridLayout* m_gridLayout = nullptr;
    QFrame* m_pFrameToolBtns = nullptr;
    QVBoxLayout* m_verticalLayout2 = nullptr;
    QSlider* m_pSliderPlay = nullptr;
    QHBoxLayout* m_hlayoutToolBtns = nullptr;
    QSpacerItem* m_rowSpacer = nullptr;
    QToolButton* m_pBtnExtend = nullptr;
    QFrame* m_pFrameExtend = nullptr;
    QFrame* m_pFrameExtendTop = nullptr;
    QHBoxLayout* m_hlayoutExtendTop = nullptr;
    QFrame* m_pFrameExtendBottom = nullptr;
    QHBoxLayout* m_hlayoutExtendBottom = nullptr;

    QFrame* m_pExtendWnd = nullptr;
    int m_extendWidth = 0;
    bool m_mouseInPopup = false;
    std::array<QWidget*, kGroupSize> m_right{};
    std::array<QWidget*, kGroupSize> m_left{};
};
