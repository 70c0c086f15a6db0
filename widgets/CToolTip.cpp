#include "widgets/CToolTip.h"

#include "widgets/Logging.h"

#include <QApplication>
#include <QDebug>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QStylePainter>
#include <QTextDocument>

#include <algorithm>
#include <memory>

namespace {
CToolLabel* g_current = nullptr;

QPalette& TipPalette()
{
    static QPalette palette;
    return palette;
}
}  // namespace

int CToolLabel::LifetimeFor(int length)
{
    return 8000 + 40 * std::max(0, length - 100);
}

QPoint CToolLabel::PlaceOnScreen(const QPoint& pos, const QSize& size, const QRect& screen)
{
    QPoint p = pos + QPoint(2, 21);
    const int w = size.width();
    const int h = size.height();
    if (p.x() + w > screen.x() + screen.width())
        p.rx() -= 4 + w;
    if (p.y() + h > screen.y() + screen.height())
        p.ry() -= 24 + h;
    if (p.y() < screen.y())
        p.setY(screen.y());
    if (p.x() + w > screen.x() + screen.width())
        p.setX(screen.x() + screen.width() - w);
    if (p.x() < screen.x())
        p.setX(screen.x());
    if (p.y() + h > screen.y() + screen.height())
        p.setY(screen.y() + screen.height() - h);
    return p;
}

CToolLabel::CToolLabel(const QString& text, QWidget* parent) : QLabel(parent, Qt::ToolTip)
{
    // At most one label: a new one replaces the last.
    delete g_current;
    g_current = this;
    setForegroundRole(QPalette::ToolTipText);
    setBackgroundRole(QPalette::ToolTipBase);
    setPalette(CToolTip::palette());
    ensurePolished();
    setMargin(1 + style()->pixelMetric(QStyle::PM_ToolTipLabelFrameWidth, nullptr, this));
    setFrameStyle(QFrame::NoFrame);
    setAlignment(Qt::AlignLeft);
    setIndent(1);
    qApp->installEventFilter(this);
    setWindowOpacity(style()->styleHint(QStyle::SH_ToolTipLabel_Opacity, nullptr, this) / 255.0);
    setMouseTracking(true);
    SetTipText(text);
}

CToolLabel::~CToolLabel()
{
    if (g_current == this)
        g_current = nullptr;
}

CToolLabel* CToolLabel::Current()
{
    return g_current;
}

void CToolLabel::SetTipText(const QString& text)
{
    setWordWrap(Qt::mightBeRichText(text));
    setText(text);
    QFontMetrics fm(font());
    QSize extra(1, 0);
    if (fm.descent() == 2 && fm.ascent() >= 11)
        ++extra.rheight();
    resize(sizeHint() + extra);
    RestartLifetime();
}

void CToolLabel::RestartLifetime()
{
    m_expireTimer.start(LifetimeFor(int(text().length())), this);
    m_hideTimer.stop();
}

void CToolLabel::HideAfterDelay()
{
    if (!m_hideTimer.isActive())
        m_hideTimer.start(kHideDelay_ms, this);
}

void CToolLabel::CloseNow()
{
    close();
    deleteLater();
}

void CToolLabel::setTipRect(QWidget* w, const QRect& r)
{
    if (!m_rect.isNull() && !w) {
        qCWarning(lcWidgets, "CToolTip::setTipRect: Cannot pass null widget if rect is set");
        return;
    }
    m_widget = w;
    m_rect = r;
}

bool CToolLabel::IsDifferentTip(const QPoint& localPos, const QString& text, QObject* o) const
{
    if (text != this->text() || o != m_widget.data())
        return true;
    if (!m_rect.isNull())
        return !m_rect.contains(localPos);
    return false;
}

QScreen* CToolLabel::ScreenOfTip(const QPoint& pos, QWidget* w)
{
    if (QScreen* at = QGuiApplication::screenAt(pos))
        return at;
    if (w && w->screen())
        return w->screen();
    return QGuiApplication::primaryScreen();
}

void CToolLabel::MoveToPoint(const QPoint& pos, QWidget* w)
{
    const QScreen* screen = ScreenOfTip(pos, w);
    const QRect geometry = screen ? screen->geometry() : QRect(QPoint(0, 0), size());
    move(PlaceOnScreen(pos, size(), geometry));
}

bool CToolLabel::eventFilter(QObject* o, QEvent* e)
{
    switch (e->type()) {
    case QEvent::Leave:
        HideAfterDelay();
        break;
    case QEvent::WindowActivate:
    case QEvent::WindowDeactivate:
        CloseNow();
        break;
    default:
        break;
    }
    return QLabel::eventFilter(o, e);
}

void CToolLabel::timerEvent(QTimerEvent* e)
{
    if (e->timerId() == m_hideTimer.timerId() || e->timerId() == m_expireTimer.timerId()) {
        m_hideTimer.stop();
        m_expireTimer.stop();
        CloseNow();
    }
}

void CToolLabel::mouseMoveEvent(QMouseEvent* e)
{
    if (m_rect.isNull())
        return;
    QPoint pos = e->globalPosition().toPoint();
    if (m_widget)
        pos = m_widget->mapFromGlobal(pos);
    if (!m_rect.contains(pos))
        HideAfterDelay();
    QLabel::mouseMoveEvent(e);
}

void CToolLabel::paintEvent(QPaintEvent* e)
{
    QStylePainter painter(this);
    QStyleOptionFrame option;
    option.initFrom(this);
    painter.setPen(Qt::red);
    painter.drawPrimitive(QStyle::PE_PanelTipLabel, option);
    painter.end();
    QLabel::paintEvent(e);
}

void CToolLabel::resizeEvent(QResizeEvent* e)
{
    QStyleHintReturnMask mask;
    QStyleOption option;
    option.initFrom(this);
    if (style()->styleHint(QStyle::SH_ToolTip_Mask, &option, this, &mask))
        setMask(mask.region);
    QLabel::resizeEvent(e);
}

void CToolTip::showText(const QPoint& pos, const QString& text, QWidget* w, const QRect& rect)
{
    CToolLabel* label = CToolLabel::Current();
    if (label && label->isVisible()) {
        if (text.isEmpty()) {
            label->HideAfterDelay();
            return;
        }
        const QPoint localPos = w ? w->mapFromGlobal(pos) : pos;
        if (label->IsDifferentTip(localPos, text, w)) {
            label->SetTipText(text);
            label->setTipRect(w, rect);
            label->MoveToPoint(pos, w);
        }
        return;
    }
    if (text.isEmpty())
        return;
    // The label is a window of its own on the screen of the point, never a child of `w`.
    label = new CToolLabel(text, nullptr);
    if (QScreen* screen = CToolLabel::ScreenOfTip(pos, w))
        label->setScreen(screen);
    label->setTipRect(w, rect);
    label->MoveToPoint(pos, w);
    label->setObjectName(QStringLiteral("ctooltip_label"));
    label->show();
}

void CToolTip::showText(const QPoint& pos, const QString& text, QWidget* w)
{
    showText(pos, text, w, QRect());
}

void CToolTip::hideText()
{
    if (CToolLabel* label = CToolLabel::Current(); label && label->isVisible())
        label->hide();
}

bool CToolTip::isVisible()
{
    const CToolLabel* label = CToolLabel::Current();
    return label && label->isVisible();
}

QString CToolTip::text()
{
    const CToolLabel* label = CToolLabel::Current();
    return label ? label->text() : QString();
}

QPalette CToolTip::palette()
{
    return TipPalette();
}

void CToolTip::setPalette(const QPalette& palette)
{
    TipPalette() = palette;
    if (CToolLabel* label = CToolLabel::Current())
        label->setPalette(palette);
}

QFont CToolTip::font()
{
    return QApplication::font("CToolLabel");
}

void CToolTip::setFont(const QFont& font)
{
    QApplication::setFont(font, "CToolLabel");
}
