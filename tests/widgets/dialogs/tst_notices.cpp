// The bottom-right notices: placement, the 3000 ms timer and the cursor rule, links to the
// folder as proper file URLs with the text shown as it stands, reuse of the one notice, the
// snapshot notice, and message boxes posted from another thread.
#include "widgets/CInformationDlg.h"
#include "widgets/CWarnDlg.h"
#include "widgets/PromptHook.h"
#include "widgets/SnapShotDialog.h"

#include <QCursor>
#include <QDesktopServices>
#include <QImage>
#include <QLabel>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTimer>

#include <thread>

namespace {
// The href of the first anchor in the browser's document.
QString AnchorOf(const QTextBrowser* browser)
{
    for (QTextBlock block = browser->document()->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            if (format.isAnchor())
                return format.anchorHref();
        }
    }
    return QString();
}

class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void Open(const QUrl& url) { urls.append(url); }
};

void MoveCursorAway()
{
    QCursor::setPos(QGuiApplication::primaryScreen()->geometry().topLeft());
}
}  // namespace

class TestNotices : public QObject {
    Q_OBJECT
private slots:
    void init() { MoveCursorAway(); }
    void placedBottomRightAndHides();
    void staysWhileTheCursorRestsOnIt();
    void reusedAndRestarted();
    void newNoticeAfterItsParentWent();
    void links_data();
    void links();
    void linkClickOpensTheFolder();
    void plainTextIsShownAsItStands();
    void snapshotNotice();
    void snapshotDoubleClickOpensViewers();
    void warnInfoFromAnotherThread();
};

void TestNotices::placedBottomRightAndHides()
{
    CPromptScript script;
    QWidget parent;
    CInformationDlg::ShowInformation(QStringLiteral("Save successful."), &parent, false);
    CInformationDlg* notice = CInformationDlg::Current();
    QVERIFY(notice);
    QVERIFY(notice->isVisible());
    QCOMPARE(notice->size(), QSize(200, 150));
    const QRect r = parent.screen()->availableGeometry();
    QCOMPARE(notice->pos(), QPoint(r.right() - 200, r.bottom() - 150));
    QCOMPARE(notice->windowFlags() & Qt::WindowStaysOnTopHint, Qt::WindowStaysOnTopHint);
    QCOMPARE(script.Texts(CPrompt::Notice), QStringList{QStringLiteral("Save successful.")});
    QTest::qWait(2700);
    QVERIFY(notice->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(!notice->isVisible(), 1000);
    QCOMPARE(CInformationDlg::Current(), notice);  // hidden, not deleted
}

void TestNotices::staysWhileTheCursorRestsOnIt()
{
    QWidget parent;
    CInformationDlg::ShowInformation(QStringLiteral("No video found!"), &parent, false);
    CInformationDlg* notice = CInformationDlg::Current();
    // Run the expiry at once rather than waiting 3000 ms: the rule is the same at each expiry.
    QCursor::setPos(notice->geometry().center());
    QMetaObject::invokeMethod(notice, "OnClose");
    QVERIFY(notice->isVisible());
    QVERIFY(notice->CloseTimer()->isActive());
    MoveCursorAway();
    QMetaObject::invokeMethod(notice, "OnClose");
    QVERIFY(!notice->isVisible());
}

void TestNotices::reusedAndRestarted()
{
    QWidget parent;
    CInformationDlg::ShowInformation(QStringLiteral("first"), &parent, false);
    CInformationDlg* notice = CInformationDlg::Current();
    QTest::qWait(1500);
    CInformationDlg::ShowInformation(QStringLiteral("second"), &parent, false);
    QCOMPARE(CInformationDlg::Current(), notice);
    QCOMPARE(notice->PathBrowser()->toPlainText(), QStringLiteral("second"));
    QVERIFY(notice->CloseTimer()->remainingTime() > 2500);
}

void TestNotices::newNoticeAfterItsParentWent()
{
    auto parent = std::make_unique<QWidget>();
    CInformationDlg::ShowInformation(QStringLiteral("a"), parent.get(), false);
    QPointer<CInformationDlg> first = CInformationDlg::Current();
    // The notice in use may belong to another parent from an earlier test: start from this one.
    if (first->parentWidget() != parent.get()) {
        delete first.data();
        CInformationDlg::ShowInformation(QStringLiteral("a"), parent.get(), false);
        first = CInformationDlg::Current();
    }
    parent.reset();
    QVERIFY(!first);
    QVERIFY(!CInformationDlg::Current());
    QWidget other;
    CInformationDlg::ShowInformation(QStringLiteral("b"), &other, false);
    QVERIFY(CInformationDlg::Current());
    QCOMPARE(CInformationDlg::Current()->parentWidget(), &other);
}

void TestNotices::links_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("href");
    QTest::newRow("snapshot") << "/home/op/cap/20240305/a.jpg"
                              << "file:///home/op/cap/20240305";
    QTest::newRow("apostrophe in a folder") << "/home/op/it's/a.jpg"
                                            << "file:///home/op/it's";
    QTest::newRow("markup and ampersand") << "/tmp/a<b>&c/x.mp4"
                                          << "file:///tmp/a%3Cb%3E&c";
    QTest::newRow("blank and hash") << "/tmp/my clips #1/x.mp4"
                                    << "file:///tmp/my%20clips%20%231";
    QTest::newRow("Chinese folder") << QStringLiteral("/tmp/录像/x.mp4") << "file:///tmp/%E5%BD%95%E5%83%8F";
}

void TestNotices::links()
{
    QFETCH(QString, path);
    QFETCH(QString, href);
    QWidget parent;
    CInformationDlg::ShowInformation(path, &parent, true);
    const QTextBrowser* browser = CInformationDlg::Current()->PathBrowser();
    QCOMPARE(AnchorOf(browser), href);
    QCOMPARE(QUrl(href).toLocalFile(), CInformationDlg::FolderOf(path));
    // The link's text is the whole path, as it stands.
    QCOMPARE(browser->toPlainText(), path);
}

void TestNotices::linkClickOpensTheFolder()
{
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "Open");
    QWidget parent;
    CInformationDlg::ShowInformation(QStringLiteral("/tmp/clips/20240305/b.mp4"), &parent, true);
    QTextBrowser* browser = CInformationDlg::Current()->PathBrowser();
    emit browser->anchorClicked(QUrl(AnchorOf(browser)));
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    QCOMPARE(catcher.urls.size(), 1);
    QCOMPARE(catcher.urls.first().toLocalFile(), QStringLiteral("/tmp/clips/20240305"));
}

void TestNotices::plainTextIsShownAsItStands()
{
    QWidget parent;
    const QString text = QStringLiteral("<b>No video</b> & found");
    CInformationDlg::ShowInformation(text, &parent, false);
    QCOMPARE(CInformationDlg::Current()->PathBrowser()->toPlainText(), text);
    QVERIFY(AnchorOf(CInformationDlg::Current()->PathBrowser()).isEmpty());
}

void TestNotices::snapshotNotice()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("20240305/ch01.jpg"));
    QDir().mkpath(QFileInfo(path).path());
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(Qt::red);
    QVERIFY(image.save(path));
    QWidget parent;
    CSnapshotInfoWnd::ShowSnapshotInfo(path, &parent);
    CSnapshotInfoWnd* notice = CSnapshotInfoWnd::Current();
    QVERIFY(notice && notice->isVisible());
    QVERIFY(notice != static_cast<CSnapshotInfoWnd*>(CInformationDlg::Current()));
    QVERIFY(notice->PictureLabel()->isVisible());
    QVERIFY(!notice->PictureLabel()->pixmap().isNull());
    QCOMPARE(QUrl(AnchorOf(notice->PathBrowser())).toLocalFile(), QFileInfo(path).path());

    // A snapshot that is gone still shows the notice and the link, with no picture.
    const QString gone = dir.filePath(QStringLiteral("20240305/gone.jpg"));
    CSnapshotInfoWnd::ShowSnapshotInfo(gone, &parent);
    QCOMPARE(CSnapshotInfoWnd::Current(), notice);
    QVERIFY(notice->isVisible());
    QVERIFY(notice->PictureLabel()->pixmap().isNull());
    QCOMPARE(notice->SnapshotPath(), gone);
    QCOMPARE(QUrl(AnchorOf(notice->PathBrowser())).toLocalFile(), QFileInfo(gone).path());
}

void TestNotices::snapshotDoubleClickOpensViewers()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("shot.png"));
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::blue);
    QVERIFY(image.save(path));
    QWidget parent;
    CSnapshotInfoWnd::ShowSnapshotInfo(path, &parent);
    CSnapshotInfoWnd* notice = CSnapshotInfoWnd::Current();
    QTest::mouseDClick(notice, Qt::LeftButton);
    QVERIFY(!notice->isVisible());
    CSnapshotInfoWnd::ShowSnapshotInfo(path, &parent);
    QTest::mouseDClick(notice, Qt::LeftButton);
    const QList<SnapShotDialog*> viewers = parent.findChildren<SnapShotDialog*>();
    QCOMPARE(viewers.size(), 2);
    for (SnapShotDialog* viewer : viewers) {
        QVERIFY(viewer->isVisible());
        QVERIFY(viewer->testAttribute(Qt::WA_DeleteOnClose));
    }
    QPointer<SnapShotDialog> first = viewers.first();
    first->close();
    QTRY_VERIFY(!first);
}

void TestNotices::warnInfoFromAnotherThread()
{
    CPromptScript script(1);
    // The first use of the poster is on a worker thread, as the engine's are.
    std::thread worker([] {
        CWarnInfoDlg::GetInstance()->PostMsgInfo(QStringLiteral("Error"), QStringLiteral("Write file exception."));
    });
    worker.join();
    QTRY_COMPARE(script.Count(CPrompt::Warn), 1);
    QCOMPARE(CWarnInfoDlg::GetInstance()->thread(), QCoreApplication::instance()->thread());
    QCOMPARE(script.Prompts().first().title, QStringLiteral("Error"));
    QCOMPARE(script.Prompts().first().text, QStringLiteral("Write file exception."));
}

QTEST_MAIN(TestNotices)
#include "tst_notices.moc"
