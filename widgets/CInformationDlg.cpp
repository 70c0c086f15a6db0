#include "widgets/CInformationDlg.h"

#include "widgets/CWarnDlg.h"
#include "widgets/PromptHook.h"
#include "widgets/SnapShotDialog.h"

#include <QApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QFileInfo>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QScreen>
#include <QTextBrowser>
#include <QThread>
#include <QTimer>

#include <mutex>

void Ui::CUiSnapshotInfoWnd::setupUi(QFrame* frame)
{
    if (frame->objectName().isEmpty())
        frame->setObjectName(QStringLiteral("CUiSnapshotInfoWnd"));
    frame->resize(200, 150);
    frame->setStyleSheet(QStringLiteral("QWidget#CUiSnapshotInfoWnd{background: rgb(15, 15, 15); border: 2px;}"));
    frame->setWindowTitle(QCoreApplication::translate("CUiSnapshotInfoWnd", "Form"));
    gridLayout = new QGridLayout(frame);
    gridLayout->setObjectName(QStringLiteral("gridLayout"));
    gridLayout->setVerticalSpacing(3);
    gridLayout->setContentsMargins(20, -1, 20, 2);
    m_pLabelPic = new QLabel(frame);
    m_pLabelPic->setObjectName(QStringLiteral("m_pLabelPic"));
    m_pLabelPic->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Expanding);
    m_pLabelPic->setStyleSheet(QStringLiteral("background-color: rgb(0, 0, 0);"));
    m_pLabelPic->setScaledContents(true);
    gridLayout->addWidget(m_pLabelPic, 0, 0, 1, 1);
    m_pLabelPath = new QTextBrowser(frame);
    m_pLabelPath->setObjectName(QStringLiteral("m_pLabelPath"));
    m_pLabelPath->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    m_pLabelPath->setMinimumSize(QSize(160, 0));
    m_pLabelPath->setMaximumSize(QSize(160, 25));
    m_pLabelPath->setStyleSheet(QStringLiteral("background: rgb(15, 15, 15);\ncolor: rgb(255, 255, 255);"));
    m_pLabelPath->setFrameShape(QFrame::NoFrame);
    m_pLabelPath->setOpenLinks(false);
    m_pLabelPath->setOpenExternalLinks(false);
    m_pLabelPath->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    gridLayout->addWidget(m_pLabelPath, 1, 0, 1, 1);
}

namespace {
QPointer<CInformationDlg>& InformationNotice()
{
    static QPointer<CInformationDlg> notice;
    return notice;
}
QPointer<CSnapshotInfoWnd>& SnapshotNotice()
{
    static QPointer<CSnapshotInfoWnd> notice;
    return notice;
}

void PlaceBottomRight(QWidget* notice, QWidget* parent)
{
    const QScreen* screen = parent && parent->screen() ? parent->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect r = screen->availableGeometry();
    notice->move(r.right() - notice->width(), r.bottom() - notice->height());
}

void ReportNotice(const QString& className, const QString& text, QWidget* notice)
{
    CPrompt prompt;
    prompt.kind = CPrompt::Notice;
    prompt.className = className;
    prompt.text = text;
    prompt.dialog = notice;
    CPromptHook::Notify(prompt);
}
}  // namespace

CInformationDlg::CInformationDlg(QWidget* parent) : QFrame(parent)
{
    m_bLink = false;
    m_ui.setupUi(this);
    connect(m_ui.m_pLabelPath, &QTextBrowser::anchorClicked, this, &CInformationDlg::OnAnchorClicked);
    ShowPicture(false);
    m_pTimer = new QTimer(this);
    m_pTimer->setSingleShot(true);
    connect(m_pTimer, &QTimer::timeout, this, &CInformationDlg::OnClose);
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::SplashScreen);
    setFixedSize(200, 150);
}

CInformationDlg::~CInformationDlg() = default;

void CInformationDlg::ShowPicture(bool show)
{
    m_ui.m_pLabelPic->setVisible(show);
}

QString CInformationDlg::FolderOf(const QString& path)
{
    const int slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? path : path.left(slash);
}

QString CInformationDlg::LinkHtml(const QString& path, const QString& shown, const QString& style)
{
    QString folder = FolderOf(path);
    if (folder.isEmpty() && path.startsWith(QLatin1Char('/')))
        folder = QStringLiteral("/");  // a file at the root
    const QString href = QUrl::fromLocalFile(folder).toString(QUrl::FullyEncoded);
    return QStringLiteral("<a href=\"%1\" style=\"%2\">%3</a>").arg(href.toHtmlEscaped(), style, shown.toHtmlEscaped());
}

void CInformationDlg::SetText(const QString& text)
{
    m_ui.m_pLabelPath->setMaximumHeight(16777215);
    if (!m_bLink) {
        m_ui.m_pLabelPath->setTextCursor(QTextCursor());
        m_ui.m_pLabelPath->setPlainText(text);
        return;
    }
    m_ui.m_pLabelPath->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_ui.m_pLabelPath->setHtml(
        LinkHtml(text, text, QStringLiteral("background-color:transparent;border:none;color: rgb(255, 255, 255);")));
}

void CInformationDlg::StartCloseTimer()
{
    m_pTimer->start(kShow_ms);
}

void CInformationDlg::OnClose()
{
    if (rect().contains(mapFromGlobal(QCursor::pos())))
        StartCloseTimer();
    else
        hide();
}

void CInformationDlg::OnAnchorClicked(const QUrl& url)
{
    QDesktopServices::openUrl(url);
}

CInformationDlg* CInformationDlg::Current()
{
    return InformationNotice().data();
}

void CInformationDlg::ShowInformation(const QString& text, QWidget* parent, bool isLink)
{
    QPointer<CInformationDlg>& notice = InformationNotice();
    if (!notice) {
        notice = new CInformationDlg(parent);
        notice->setAttribute(Qt::WA_DeleteOnClose);
    }
    PlaceBottomRight(notice, parent);
    notice->SetLinkMode(isLink);
    notice->SetText(text);
    notice->show();
    notice->StartCloseTimer();
    ReportNotice(QStringLiteral("CInformationDlg"), text, notice);
}

CSnapshotInfoWnd::CSnapshotInfoWnd(QWidget* parent) : CInformationDlg(parent)
{
    ShowPicture(true);
    SetLinkMode(true);
    // The path is elided to one line.
    m_ui.m_pLabelPath->setLineWrapMode(QTextEdit::NoWrap);
    m_ui.m_pLabelPath->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

CSnapshotInfoWnd::~CSnapshotInfoWnd() = default;

CSnapshotInfoWnd* CSnapshotInfoWnd::Current()
{
    return SnapshotNotice().data();
}

void CSnapshotInfoWnd::SetSnapshot(const QString& path)
{
    m_strSnapshotPath = path;
    const int room = m_ui.m_pLabelPath->contentsRect().width() - 8;
    const QString shown = fontMetrics().elidedText(path, Qt::ElideRight, room, Qt::TextShowMnemonic);
    m_ui.m_pLabelPath->setHtml(LinkHtml(path, shown, QStringLiteral("color: rgb(255, 255, 255);")));
    // A snapshot that is gone shows an empty picture (the fallback image is not among ours).
    const QPixmap picture =
        QFileInfo::exists(path) ? QPixmap(path) : QPixmap(QStringLiteral(":images/Import/importStream.png"));
    m_ui.m_pLabelPic->setPixmap(picture);
}

void CSnapshotInfoWnd::ShowSnapshotInfo(const QString& path, QWidget* parent)
{
    QPointer<CSnapshotInfoWnd>& notice = SnapshotNotice();
    if (!notice) {
        notice = new CSnapshotInfoWnd(parent);
        notice->setAttribute(Qt::WA_DeleteOnClose);
    }
    PlaceBottomRight(notice, parent);
    notice->SetSnapshot(path);
    notice->show();
    notice->StartCloseTimer();
    ReportNotice(QStringLiteral("CSnapshotInfoWnd"), path, notice);
}

void CSnapshotInfoWnd::mouseDoubleClickEvent(QMouseEvent* e)
{
    auto* viewer = new SnapShotDialog(parentWidget());
    viewer->SetImagePath(m_strSnapshotPath);
    viewer->show();
    hide();
    CInformationDlg::mouseDoubleClickEvent(e);
}

CWarnInfoDlg::CWarnInfoDlg() = default;

CWarnInfoDlg* CWarnInfoDlg::GetInstance()
{
    static std::once_flag once;
    static CWarnInfoDlg* instance = nullptr;
    std::call_once(once, [] {
        instance = new CWarnInfoDlg;
        // The object, and so its slot, lives on the GUI thread whichever thread used it first.
        if (QCoreApplication::instance() && instance->thread() != QCoreApplication::instance()->thread())
            instance->moveToThread(QCoreApplication::instance()->thread());
        connect(instance, &CWarnInfoDlg::ShowMsgInfoSig, instance, &CWarnInfoDlg::ShowMsgInfo);
    });
    return instance;
}

void CWarnInfoDlg::PostMsgInfo(const QString& strTitle, const QString& strContent)
{
    emit ShowMsgInfoSig(strTitle, strContent);
}

void CWarnInfoDlg::SetParentWidget(QWidget* parent)
{
    GetInstance()->m_parent = parent;
}

void CWarnInfoDlg::ShowMsgInfo(QString strTitle, QString strContent)
{
    CWarnDlg dialog(m_parent);
    dialog.ExecWarn(strTitle, strContent);
}
