#include "mainwindow/CWindowTitle.h"

#include "app/gui/CommonUtilGui.h"
#include "widgets/CPushButton.h"

#include <QEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QScreen>
#include <QWindow>

namespace {

QString ButtonStyle(const char* normal, const char* hover)
{
    return QStringLiteral(
               "QPushButton{border:none;margin:0;border-image:url(:/images/title/%1);}"
               "QPushButton:hover{border:none;margin:0;border-image:url(:/images/title/%2);}")
        .arg(QLatin1String(normal), QLatin1String(hover));
}

const char* const kTitle = QT_TRANSLATE_NOOP("QObject", "DarizArevudud");

}  // namespace

CWindowTitle::CWindowTitle(QWidget* parent) : QWidget(parent), m_pParentWnd(parent)
{
    setObjectName(QStringLiteral("CWindowTitle"));
    setAutoFillBackground(true);
    InitUi();
    connect(m_pBtnMax, &QPushButton::clicked, this, &CWindowTitle::ChaneMaxSizeOrRestore);
    connect(m_pBtnClose, &QPushButton::clicked, this, &CWindowTitle::OnCloseWindow);
    connect(m_pBtnMin, &QPushButton::clicked, this, &CWindowTitle::showSmall);
    m_pBtnIcon->setFocusPolicy(Qt::NoFocus);
    m_pBtnMin->setFocusPolicy(Qt::ClickFocus);
    m_pBtnClose->setFocusPolicy(Qt::ClickFocus);
    m_pBtnMax->setFocusPolicy(Qt::ClickFocus);
    UpdateMaxButtonStyle();
    UpdateBackground();
}

CWindowTitle::~CWindowTitle() = default;

void CWindowTitle::InitUi()
{
    m_pLayout = new QHBoxLayout(this);
    m_pLayout->setSpacing(1);
    m_pLayout->setContentsMargins(4, 1, 4, 1);

    m_pLeftLayout = new QHBoxLayout;
    m_pLeftLayout->setSpacing(1);
    m_pBtnIcon = new CPushButton(this);
    m_pBtnIcon->setObjectName(QStringLiteral("m_pBtnIcon"));
    m_pBtnIcon->setFixedSize(32, 32);
    m_pBtnIcon->setStyleSheet(QStringLiteral("QPushButton{border-image:url(:/images/title/Eye.png);}"));
    m_pLeftSpacer = new QSpacerItem(0, 0, QSizePolicy::Expanding, QSizePolicy::Minimum);
    m_pLeftLayout->addWidget(m_pBtnIcon);
    m_pLeftLayout->addItem(m_pLeftSpacer);

    m_pTitleLabel = new QLabel(QCoreApplication::translate("QObject", kTitle), this);
    m_pTitleLabel->setObjectName(QStringLiteral("m_pTitleLabel"));
    QSizePolicy policy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    policy.setHeightForWidth(m_pTitleLabel->sizePolicy().hasHeightForWidth());
    m_pTitleLabel->setSizePolicy(policy);
    m_pTitleLabel->setAlignment(Qt::AlignCenter);

    m_pRightLayout = new QHBoxLayout;
    m_pRightLayout->setSpacing(1);
    m_pRightSpacer = new QSpacerItem(0, 0, QSizePolicy::Expanding, QSizePolicy::Minimum);
    m_pRightLayout->addItem(m_pRightSpacer);
    m_pBtnMin = new CPushButton(this);
    m_pBtnMin->setObjectName(QStringLiteral("m_pBtnMin"));
    m_pBtnMax = new CPushButton(this);
    m_pBtnMax->setObjectName(QStringLiteral("m_pBtnMax"));
    m_pBtnClose = new CPushButton(this);
    m_pBtnClose->setObjectName(QStringLiteral("m_pBtnClose"));
    for (CPushButton* b : {m_pBtnMin, m_pBtnMax, m_pBtnClose}) {
        b->setFixedSize(20, 20);
        m_pRightLayout->addWidget(b);
    }

    m_pLayout->addLayout(m_pLeftLayout, 1);
    m_pLayout->addWidget(m_pTitleLabel, 1);
    m_pLayout->addLayout(m_pRightLayout, 1);
}

void CWindowTitle::UpdateMaxButtonStyle()
{
    m_pTitleLabel->setStyleSheet(QStringLiteral("color:rgb(255, 255, 255);"));
    m_pBtnMin->setStyleSheet(ButtonStyle("mini.png", "mini_hover.png"));
    m_pBtnClose->setStyleSheet(ButtonStyle("close.png", "close_hover.png"));
    const bool full = m_pParentWnd && m_pParentWnd->isFullScreen();
    m_pBtnMax->setStyleSheet(full ? ButtonStyle("back.png", "back_hover.png")
                                  : ButtonStyle("full-screen.png", "full-screen_hover.png"));
}

// The background follows the bar's size (a full-screen window would otherwise tile it).
void CWindowTitle::UpdateBackground()
{
    QPixmap bg(QStringLiteral(":/images/title/title_bg.png"));
    if (bg.isNull() || width() <= 0 || height() <= 0)
        return;
    QPalette pal = palette();
    pal.setBrush(QPalette::Window, QBrush(bg.scaled(size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
    setPalette(pal);
}

void CWindowTitle::resizeEvent(QResizeEvent* e)
{
    QWidget::resizeEvent(e);
    UpdateBackground();
}

void CWindowTitle::changeEvent(QEvent* e)
{
    if (e->type() == QEvent::LanguageChange)
        m_pTitleLabel->setText(QCoreApplication::translate("QObject", kTitle));
    QWidget::changeEvent(e);
}

void CWindowTitle::ShowMinimizeButton(bool show)
{
    m_pBtnMin->setVisible(show);
}

bool CWindowTitle::ScreenAllowsFullScreen(const QSize& screen)
{
    return screen.width() >= 1024 && screen.height() >= 768;
}

QPoint CWindowTitle::MoveTarget(const QPoint& global, const QPoint& offset)
{
    return CCommonUtil::AdjustPosToAvailable(global) - offset;
}

bool CWindowTitle::ScreenLargeEnough() const
{
    if (!m_pParentWnd)
        return false;
    QScreen* screen = m_pParentWnd->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen && ScreenAllowsFullScreen(screen->geometry().size());
}

void CWindowTitle::showSmall()
{
    if (m_pParentWnd)
        m_pParentWnd->showMinimized();
}

void CWindowTitle::ChaneMaxSizeOrRestore()
{
    if (!ScreenLargeEnough())
        return;
    if (m_pParentWnd->isFullScreen()) {
        m_pParentWnd->showNormal();
        // A fixed-size window goes back to its size (window managers refuse full screen to a
        // window whose minimum equals its maximum, so the limit is lifted meanwhile).
        if (m_fixedSize.isValid())
            m_pParentWnd->setFixedSize(m_fixedSize);
        m_fixedSize = QSize();
        UpdateMaxButtonStyle();
    } else {
        ChangSizeToFull();
    }
}

void CWindowTitle::ChangSizeToFull()
{
    if (!ScreenLargeEnough())
        return;
    if (m_pParentWnd->minimumSize() == m_pParentWnd->maximumSize()) {
        m_fixedSize = m_pParentWnd->minimumSize();
        m_pParentWnd->setMinimumSize(0, 0);
        m_pParentWnd->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    }
    m_pParentWnd->showFullScreen();
    UpdateMaxButtonStyle();
}

void CWindowTitle::OnCloseWindow()
{
    if (m_pParentWnd)
        m_pParentWnd->close();
}

void CWindowTitle::mousePressEvent(QMouseEvent* e)
{
    if (!m_pParentWnd || m_pParentWnd->isFullScreen())
        return;
    // Wayland moves windows only itself: hand the drag to the window system there.
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
        if (QWindow* handle = m_pParentWnd->window()->windowHandle()) {
            if (handle->startSystemMove())
                return;
        }
    }
    m_bPressed = true;
    m_pressOffset = mapToParent(e->position().toPoint());
}

void CWindowTitle::mouseReleaseEvent(QMouseEvent*)
{
    m_bPressed = false;
}

void CWindowTitle::mouseDoubleClickEvent(QMouseEvent*)
{
    ChaneMaxSizeOrRestore();
}

void CWindowTitle::mouseMoveEvent(QMouseEvent* e)
{
    if (!m_bPressed || !m_pParentWnd)
        return;
    m_pParentWnd->move(MoveTarget(e->globalPosition().toPoint(), m_pressOffset));
}
