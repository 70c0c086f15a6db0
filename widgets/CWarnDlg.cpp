#include "widgets/CWarnDlg.h"

#include "widgets/Logging.h"

#include <QAbstractTextDocumentLayout>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDebug>
#include <QFrame>
#include <QGuiApplication>
#include <QScreen>
#include <QTextBrowser>
#include <QTextDocument>

#include <algorithm>

void Ui::CWarnDlgClass::setupUi(QWidget* frame)
{
    frame->resize(298, 151);
    m_pBrowserTxt = new QTextBrowser(frame);
    m_pBrowserTxt->setObjectName(QStringLiteral("m_pBrowserTxt"));
    m_pBrowserTxt->setGeometry(QRect(50, 30, 141, 61));
    m_pBrowserTxt->setTextInteractionFlags(Qt::NoTextInteraction);
    m_pBrowserTxt->setOpenLinks(false);
    m_pBrowserTxt->setFrameShape(QFrame::NoFrame);
    m_pBrowserTxt->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_pBrowserTxt->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    frame->setWindowTitle(QCoreApplication::translate("CWarnDlgClass", "CWarmDlg"));
}

CWarnDlg::CWarnDlg(QWidget* parent) : CBaseDialog(parent, true, true, true)
{
    m_ui.setupUi(GetContentFrame());
    m_nMinWidth = kMinWidth;
    m_nHeight = kHeight;
    m_nMargin = kMargin;
    m_nMaxWidth = kMaxWidth;
    setStyleSheet(QStringLiteral("QFrame#CWarnDlg{background-color: transparent;}"));
    m_ui.m_pBrowserTxt->setStyleSheet(QStringLiteral("background-color: transparent;"));
    QFont body(QStringLiteral("Arial"), 9);
    body.setWeight(QFont::Normal);
    m_ui.m_pBrowserTxt->document()->setDefaultFont(body);
    m_ui.m_pBrowserTxt->document()->setDocumentMargin(0);
    QTextOption centred(Qt::AlignHCenter);
    centred.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    m_ui.m_pBrowserTxt->document()->setDefaultTextOption(centred);
    m_ui.m_pBrowserTxt->setPlainText(QString());
    connect(m_ui.m_pBrowserTxt->document()->documentLayout(), &QAbstractTextDocumentLayout::documentSizeChanged, this,
            &CWarnDlg::TextNeededSize);
    // The browser also follows the content frame when the layout gives it its final size.
    GetContentFrame()->installEventFilter(this);
}

CWarnDlg::~CWarnDlg() = default;

QSize CWarnDlg::WidthsForText(int textWidth_px)
{
    const int w = textWidth_px + 15;
    if (w + 10 <= kMinWidth - kMargin)
        return QSize(kMinWidth, w);
    if (w + 10 >= kMaxWidth - kMargin)
        return QSize(kMaxWidth, kMaxWidth - kMargin - 10);
    return QSize(w + 10 + kMargin, w);
}

void CWarnDlg::AdjustWidthToText(const QString& text)
{
    const QSize widths = WidthsForText(m_ui.m_pBrowserTxt->fontMetrics().horizontalAdvance(text));
    resize(widths.width(), m_nHeight);
    m_ui.m_pBrowserTxt->setFixedWidth(widths.height());
}

void CWarnDlg::FitBrowserToWidth()
{
    m_ui.m_pBrowserTxt->setFixedWidth(width() - 10);
}

void CWarnDlg::SetTitleAndText(const QString& title, const QString& text)
{
    SetTitle(title);
    m_ui.m_pBrowserTxt->setPlainText(text);
    m_promptText = text;
}

int CWarnDlg::ExecWarn(const QString& title, const QString& text)
{
    AdjustWidthToText(text);
    ShowCloseBtn(true);
    SetBottomVisible(false);
    SetTitleAndText(title, text);
    m_promptKind = CPrompt::Warn;
    return exec();
}

int CWarnDlg::ExecQuestion(const QString& title, const QString& text)
{
    AdjustWidthToText(text);
    ShowCloseBtn(true);
    SetBottomVisible(true);
    SetTitleAndText(title, text);
    m_promptKind = CPrompt::Question;
    return exec();
}

int CWarnDlg::ShowWarn(const QString& title, const QString& text, QWidget* parent)
{
    CWarnDlg dialog(parent);
    return dialog.ExecWarn(title, text);
}

int CWarnDlg::ShowQuestion(const QString& title, const QString& text, QWidget* parent)
{
    if (!parent) {
        // Nobody is asked; callers take -1 as no. Say so rather than drop the question silently.
        qCWarning(lcWidgets).noquote() << "CWarnDlg::ShowQuestion without a parent, not asked:" << title << "-" << text;
        CPrompt prompt;
        prompt.kind = CPrompt::Question;
        prompt.className = QStringLiteral("CWarnDlg");
        prompt.title = title;
        prompt.text = text;
        CPromptHook::Notify(prompt);
        return -1;
    }
    CWarnDlg dialog(parent);
    return dialog.ExecQuestion(title, text);
}

void CWarnDlg::TextNeededSize(const QSizeF&)
{
    QTextBrowser* browser = m_ui.m_pBrowserTxt;
    QFrame* content = GetContentFrame();
    if (!browser || !content || !browser->parentWidget() || !browser->document())
        return;
    const int h = int(browser->document()->size().height() + 10.0);
    const int c = content->height();
    if (h <= c) {
        browser->setFixedHeight(h);
        browser->move(content->width() / 2 - browser->width() / 2, c / 2 - browser->height() / 2);
        return;
    }
    const int grown = height() + (h - c) + 30;
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    const int room = screen ? screen->availableGeometry().height() : grown;
    if (grown <= room) {
        browser->setFixedHeight(h);
        resize(width(), grown);
    } else {
        // A text taller than the screen: the box keeps to the screen, so that its buttons stay
        // in reach, and the text scrolls.
        if (height() != room)
            resize(width(), room);
        browser->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        browser->setFixedHeight(std::max(30, content->height() - 30));
    }
    browser->move(content->width() / 2 - browser->width() / 2, 15);
}

bool CWarnDlg::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == GetContentFrame() && e->type() == QEvent::Resize)
        TextNeededSize(QSizeF());
    return CBaseDialog::eventFilter(watched, e);
}

void CWarnDlg::closeEvent(QCloseEvent* e)
{
    hide();
    e->ignore();
}
