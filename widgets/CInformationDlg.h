// Short messages that need no answer: a small dark notice in the bottom-right corner of the
// screen's available area that hides itself 3000 ms after it was shown, unless the mouse cursor
// rests on it. CInformationDlg shows a text or a link to a file's folder; CSnapshotInfoWnd shows
// a snapshot just taken with a link to its folder and opens the snapshot viewer on a double
// click. One notice of each kind exists at a time and is reused. Texts are shown as they stand:
// a path with "<" or "&" is escaped, and links are proper file URLs of the folder.
// CWarnInfoDlg posts message boxes from any thread to the GUI thread.
#pragma once

#include <QFrame>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

class QGridLayout;
class QLabel;
class QTextBrowser;
class QTimer;

namespace Ui {
struct CUiSnapshotInfoWnd {
    QGridLayout* gridLayout = nullptr;
    QLabel* m_pLabelPic = nullptr;
    QTextBrowser* m_pLabelPath = nullptr;
    void setupUi(QFrame* frame);
};
}  // namespace Ui

class CInformationDlg : public QFrame {
    Q_OBJECT
public:
    static constexpr int kShow_ms = 3000;

    explicit CInformationDlg(QWidget* parent = nullptr);
    ~CInformationDlg() override;

    void ShowPicture(bool show);
    void SetLinkMode(bool link) { m_bLink = link; }
    void SetText(const QString& text);
    void StartCloseTimer();

    static void ShowInformation(const QString& text, QWidget* parent = nullptr, bool isLink = false);
    // The notice in use, or null.
    static CInformationDlg* Current();

    // The folder part of a path: up to its last "/" (the whole text when it has none).
    static QString FolderOf(const QString& path);
    // The link shown for `path`: an anchor to the folder's file URL with `shown` as its text.
    static QString LinkHtml(const QString& path, const QString& shown, const QString& style);

    QTextBrowser* PathBrowser() const { return m_ui.m_pLabelPath; }
    QLabel* PictureLabel() const { return m_ui.m_pLabelPic; }
    QTimer* CloseTimer() const { return m_pTimer; }

private slots:
    void OnClose();
    void OnAnchorClicked(const QUrl& url);

protected:
    Ui::CUiSnapshotInfoWnd m_ui;
    QTimer* m_pTimer = nullptr;
    bool m_bLink = false;
};

class CSnapshotInfoWnd : public CInformationDlg {
    Q_OBJECT
public:
    explicit CSnapshotInfoWnd(QWidget* parent = nullptr);
    ~CSnapshotInfoWnd() override;

    void SetSnapshot(const QString& path);
    QString SnapshotPath() const { return m_strSnapshotPath; }

    static void ShowSnapshotInfo(const QString& path, QWidget* parent = nullptr);
    static CSnapshotInfoWnd* Current();

protected:
    void mouseDoubleClickEvent(QMouseEvent* e) override;

private:
    QString m_strSnapshotPath;
};

class CWarnInfoDlg : public QObject {
    Q_OBJECT
public:
    static CWarnInfoDlg* GetInstance();
    // Any thread: the message box shows on the GUI thread.
    void PostMsgInfo(const QString& strTitle, const QString& strContent);
    static void SetParentWidget(QWidget* parent);

signals:
    void ShowMsgInfoSig(QString strTitle, QString strContent);

protected slots:
    void ShowMsgInfo(QString strTitle, QString strContent);

private:
    CWarnInfoDlg();
    QPointer<QWidget> m_parent;
};
