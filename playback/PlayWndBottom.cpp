#include "playback/PlayWndBottom.h"

#include "app/gui/CommonUtilGui.h"
#include "playback/BottomBarFill.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QResizeEvent>
#include <QSlider>
#include <QSpacerItem>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

int LastUsed(const std::array<QWidget*, CPlayWndBottom::kGroupSize>& group)
{
    int n = 0;
    for (int i = 0; i < int(group.size()); ++i)
        if (group[size_t(i)])
            n = i + 1;
    return n;
}

// Puts `widget` into `layout` just before its last item (the row's spacer).
void InsertBeforeSpacer(QHBoxLayout* layout, QWidget* widget)
{
    layout->insertWidget(qMax(0, layout->count() - 1), widget);
}

}  // namespace

CPlayWndBottom::CPlayWndBottom(QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("CUiPlayerWndBottom"));
    setWindowTitle(tr("Form"));
    resize(503, 145);

    m_gridLayout = new QGridLayout(this);
    m_gridLayout->setObjectName(QStringLiteral("gridLayout"));
    m_gridLayout->setContentsMargins(0, 0, 0, 0);

    m_pFrameToolBtns = new QFrame(this);
    m_pFrameToolBtns->setObjectName(QStringLiteral("m_pFrameToolBtns"));
    m_pFrameToolBtns->setMinimumSize(0, 0);
    m_pFrameToolBtns->setMaximumSize(16777215, 60);
    m_pFrameToolBtns->setStyleSheet(QStringLiteral(
        "QFrame#m_pFrameToolBtns\n{\nborder-image: url(:/images/MainView/bottom_background.png);\nborder:none;\n}"));
    m_gridLayout->addWidget(m_pFrameToolBtns, 0, 0);

    m_verticalLayout2 = new QVBoxLayout(m_pFrameToolBtns);
    m_verticalLayout2->setObjectName(QStringLiteral("verticalLayout_2"));
    m_verticalLayout2->setSpacing(0);
    const QMargins margins = m_verticalLayout2->contentsMargins();
    m_verticalLayout2->setContentsMargins(9, 2, margins.right(), 2);

    m_pSliderPlay = new QSlider(Qt::Horizontal, m_pFrameToolBtns);
    m_pSliderPlay->setObjectName(QStringLiteral("m_pSliderPlay"));
    m_pSliderPlay->setMaximumHeight(10);
    m_verticalLayout2->addWidget(m_pSliderPlay);

    m_hlayoutToolBtns = new QHBoxLayout();
    m_hlayoutToolBtns->setObjectName(QStringLiteral("hlayoutToolBtns"));
    m_hlayoutToolBtns->setSpacing(2);
    m_rowSpacer = new QSpacerItem(3000, 20, QSizePolicy::Expanding, QSizePolicy::Minimum);
    m_hlayoutToolBtns->addItem(m_rowSpacer);
    m_pBtnExtend = new QToolButton(m_pFrameToolBtns);
    m_pBtnExtend->setObjectName(QStringLiteral("m_pBtnExtend"));
    m_pBtnExtend->setFixedWidth(10);
    m_pBtnExtend->setStyleSheet(QStringLiteral("border-image: url(:/images/MainView/ButtonIcon/cycle_ctrl.png);"));
    m_pBtnExtend->setText(QString());
    m_hlayoutToolBtns->addWidget(m_pBtnExtend);
    m_verticalLayout2->addLayout(m_hlayoutToolBtns);

    m_pFrameExtend = new QFrame(this);
    m_pFrameExtend->setObjectName(QStringLiteral("m_pFrameExtend"));
    m_pFrameExtend->setMaximumWidth(300);
    m_pFrameExtend->setStyleSheet(QStringLiteral("QFrame\n{\nbackground:black;\nborder:2px solid gray;\n}"));
    auto* extendLayout = new QVBoxLayout(m_pFrameExtend);
    extendLayout->setObjectName(QStringLiteral("verticalLayout"));
    extendLayout->setSpacing(0);
    extendLayout->setContentsMargins(0, 0, 0, 0);

    m_pFrameExtendTop = new QFrame(m_pFrameExtend);
    m_pFrameExtendTop->setObjectName(QStringLiteral("m_pFrameExtendTop"));
    m_pFrameExtendTop->setStyleSheet(QStringLiteral("QFrame\n{\nborder:none;\n}"));
    m_hlayoutExtendTop = new QHBoxLayout(m_pFrameExtendTop);
    m_hlayoutExtendTop->setObjectName(QStringLiteral("hlayoutExtendTop"));
    m_hlayoutExtendTop->setSpacing(1);
    QMargins top = m_hlayoutExtendTop->contentsMargins();
    top.setBottom(2);
    m_hlayoutExtendTop->setContentsMargins(top);
    m_hlayoutExtendTop->addItem(new QSpacerItem(40, 20, QSizePolicy::Expanding, QSizePolicy::Minimum));
    extendLayout->addWidget(m_pFrameExtendTop);

    m_pFrameExtendBottom = new QFrame(m_pFrameExtend);
    m_pFrameExtendBottom->setObjectName(QStringLiteral("m_pFrameExtendBottom"));
    m_pFrameExtendBottom->setStyleSheet(QStringLiteral("QFrame\n{\nborder:none;\n}"));
    m_hlayoutExtendBottom = new QHBoxLayout(m_pFrameExtendBottom);
    m_hlayoutExtendBottom->setObjectName(QStringLiteral("hlayoutExtendBottom"));
    m_hlayoutExtendBottom->setSpacing(1);
    QMargins bottom = m_hlayoutExtendBottom->contentsMargins();
    bottom.setTop(0);
    m_hlayoutExtendBottom->setContentsMargins(bottom);
    m_hlayoutExtendBottom->addItem(new QSpacerItem(40, 20, QSizePolicy::Expanding, QSizePolicy::Minimum));
    extendLayout->addWidget(m_pFrameExtendBottom);
    m_gridLayout->addWidget(m_pFrameExtend, 1, 0);

    // The pop-up: a frameless window of the bar that holds the extend frame.
    m_pExtendWnd = new QFrame(this, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    m_pExtendWnd->setObjectName(QStringLiteral("m_pExtendWnd"));
    m_gridLayout->removeWidget(m_pFrameExtend);
    m_pFrameExtend->setParent(m_pExtendWnd);
    m_pFrameExtend->move(0, 0);
    m_pFrameExtend->show();
    m_pExtendWnd->installEventFilter(this);
    m_pExtendWnd->setMouseTracking(true);
    m_pFrameToolBtns->setMouseTracking(true);
    m_pSliderPlay->hide();
    connect(m_pBtnExtend, &QToolButton::clicked, this, &CPlayWndBottom::ShowExtendWnd);
}

CPlayWndBottom::~CPlayWndBottom() = default;

void CPlayWndBottom::SetButtons(const QList<QWidget*>& left, const QList<QWidget*>& right)
{
    for (QWidget*& w : m_left) {
        if (w)
            w->hide();
        w = nullptr;
    }
    for (QWidget*& w : m_right) {
        if (w)
            w->hide();
        w = nullptr;
    }
    for (int i = 0; i < left.size() && i < kGroupSize; ++i) {
        m_left[size_t(i)] = left[i];
        if (left[i])
            left[i]->show();
    }
    for (int i = 0; i < right.size() && i < kGroupSize; ++i) {
        m_right[size_t(i)] = right[i];
        if (right[i])
            right[i]->show();
    }
}

int CPlayWndBottom::FillBar(int nLeft, int nRight)
{
    QList<int> leftWidths;
    QList<int> rightWidths;
    for (int i = 0; i < nLeft; ++i)
        leftWidths << (m_left[size_t(i)] ? m_left[size_t(i)]->width() : 0);
    for (int j = 0; j < nRight; ++j)
        rightWidths << (m_right[size_t(j)] ? m_right[size_t(j)]->width() : 0);
    const BottomBarFill fill = FillBottomBar(width(), leftWidths, rightWidths, m_pBtnExtend->width());

    // Every tool widget leaves the layout it was in; the row is then built anew: left widgets,
    // the spacer, right widgets, the extend button last.
    for (const auto* group : {&m_left, &m_right}) {
        for (QWidget* w : *group) {
            if (!w)
                continue;
            m_hlayoutToolBtns->removeWidget(w);
            m_hlayoutExtendTop->removeWidget(w);
            m_hlayoutExtendBottom->removeWidget(w);
        }
    }
    m_hlayoutToolBtns->removeItem(m_rowSpacer);
    m_hlayoutToolBtns->removeWidget(m_pBtnExtend);
    for (int i = 0; i < fill.leftInRow; ++i)
        if (QWidget* w = m_left[size_t(i)])
            m_hlayoutToolBtns->addWidget(w);
    m_hlayoutToolBtns->addItem(m_rowSpacer);
    for (int j = 0; j < fill.rightInRow; ++j)
        if (QWidget* w = m_right[size_t(j)])
            m_hlayoutToolBtns->addWidget(w);
    m_hlayoutToolBtns->addWidget(m_pBtnExtend);
    m_pBtnExtend->setVisible(fill.extendShown);
    return fill.result;
}

void CPlayWndBottom::Relayout()
{
    m_pBtnExtend->hide();
    m_pFrameExtendTop->setMaximumWidth(100000);
    m_extendWidth = 0;
    int topWidth = 18;
    int bottomWidth = 18;

    const int nLeft = LastUsed(m_left);
    const int nRight = LastUsed(m_right);
    const int r = FillBar(nLeft, nRight);
    setMinimumHeight(28);
    if (r == -1)
        return;

    int firstRight = 0;
    if (r < 100) {
        m_pFrameExtendBottom->show();
        for (int i = r; i < nLeft; ++i) {
            if (QWidget* w = m_left[size_t(i)]) {
                InsertBeforeSpacer(m_hlayoutExtendBottom, w);
                bottomWidth += w->minimumWidth() + 1;
            }
        }
    } else {
        m_pFrameExtendBottom->hide();
        firstRight = r - 100;
    }
    for (int j = firstRight; j < nRight; ++j) {
        if (QWidget* w = m_right[size_t(j)]) {
            InsertBeforeSpacer(m_hlayoutExtendTop, w);
            topWidth += w->minimumWidth() + 1;
        }
    }

    m_extendWidth = qMax(topWidth, bottomWidth);
    m_hlayoutExtendTop->setContentsMargins(9, 1, 9, 1);
    if (bottomWidth > 18) {
        m_hlayoutExtendBottom->setContentsMargins(9, 1, 9, 1);
        m_pFrameExtend->resize(m_extendWidth, 57);
    } else {
        m_pFrameExtend->resize(m_extendWidth, 31);
    }
    m_pExtendWnd->resize(m_pFrameExtend->size());
}

bool CPlayWndBottom::IsCursorInside() const
{
    return window()->isActiveWindow() && rect().contains(mapFromGlobal(QCursor::pos()));
}

CPlayWndBottom::Place CPlayWndBottom::PlaceOf(const QWidget* widget) const
{
    if (!widget)
        return Place::None;
    if (m_hlayoutToolBtns->indexOf(widget) >= 0)
        return Place::Row;
    if (m_hlayoutExtendTop->indexOf(widget) >= 0)
        return Place::PopupTop;
    if (m_hlayoutExtendBottom->indexOf(widget) >= 0)
        return Place::PopupBottom;
    return Place::None;
}

void CPlayWndBottom::ShowExtendWnd()
{
    m_pExtendWnd->setFocus();
    const QRect button(m_pBtnExtend->mapTo(this, QPoint(0, 0)), m_pBtnExtend->size());
    const QPoint wanted = mapToGlobal(QPoint(button.right() + 1 - m_pExtendWnd->width(), button.bottom() + 1));
    const QRect adjusted = CCommonUtil::AdjustRectToScreen(QRect(wanted, m_pExtendWnd->size()), this);
    // Near a screen edge the pop-up opens above the bar.
    const QPoint at = adjusted.topLeft() != wanted ? adjusted.topLeft() - QPoint(0, height()) : wanted;
    m_pExtendWnd->move(at);
    m_pExtendWnd->show();
}

bool CPlayWndBottom::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_pExtendWnd)
        return QFrame::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::FocusOut:
        m_pExtendWnd->hide();
        return true;
    case QEvent::Enter:
        m_mouseInPopup = true;
        break;
    case QEvent::Leave:
        m_mouseInPopup = false;
        m_pExtendWnd->hide();
        if (!rect().contains(mapFromGlobal(QCursor::pos())))
            hide();
        break;
    default:
        break;
    }
    return QFrame::eventFilter(watched, event);
}

void CPlayWndBottom::resizeEvent(QResizeEvent* event)
{
    if (event->size().width() != event->oldSize().width())
        Relayout();
    QFrame::resizeEvent(event);
}

void CPlayWndBottom::hideEvent(QHideEvent* event)
{
    m_pExtendWnd->hide();
    QFrame::hideEvent(event);
}
