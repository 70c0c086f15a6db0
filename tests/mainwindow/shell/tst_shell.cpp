// The title bar and the about box, offscreen on a 1280 x 800 screen.
#include "app/gui/CommonUtilGui.h"
#include "mainwindow/CDlgAbout.h"
#include "mainwindow/CWindowTitle.h"
#include "widgets/CPushButton.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <QTest>
#include <QVBoxLayout>

namespace {

// A frameless fixed-size window with the bar on top, as the main window holds it.
class Window : public QWidget {
public:
    Window()
    {
        setWindowFlags(Qt::FramelessWindowHint);
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        title = new CWindowTitle(this);
        layout->addWidget(title);
        layout->addStretch(1);
        setFixedSize(950, 700);
    }
    CWindowTitle* title = nullptr;
    bool refuseClose = false;
    int closeRequests = 0;

protected:
    void closeEvent(QCloseEvent* e) override
    {
        ++closeRequests;
        if (refuseClose)
            e->ignore();
        else
            e->accept();
    }
};

void SendMouse(QWidget* w, QEvent::Type type, const QPoint& local, const QPoint& global, Qt::MouseButton button)
{
    const Qt::MouseButtons buttons = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
    QMouseEvent e(type, QPointF(local), QPointF(global), type == QEvent::MouseMove ? Qt::NoButton : button, buttons,
                  Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

}  // namespace

class TestShell : public QObject {
    Q_OBJECT
private slots:
    void screenRule_data();
    void screenRule();
    void fullScreenAndBack();
    void minimiseAndClose();
    void dragMovesWindow_data();
    void dragMovesWindow();
    void noDragWhileFullScreen();
    void iconTakesNoFocus();

    void buildDateNumber_data();
    void buildDateNumber();
    void aboutBox();
};

void TestShell::screenRule_data()
{
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<bool>("allowed");
    QTest::newRow("1024x768") << QSize(1024, 768) << true;
    QTest::newRow("1920x1080") << QSize(1920, 1080) << true;
    QTest::newRow("narrow") << QSize(1023, 900) << false;
    QTest::newRow("low") << QSize(1280, 767) << false;
    QTest::newRow("800x800") << QSize(800, 800) << false;
}

void TestShell::screenRule()
{
    QFETCH(QSize, screen);
    QFETCH(bool, allowed);
    QCOMPARE(CWindowTitle::ScreenAllowsFullScreen(screen), allowed);
}

void TestShell::fullScreenAndBack()
{
    QCOMPARE(QGuiApplication::primaryScreen()->geometry().size(), QSize(1280, 800));
    Window w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    CPushButton* max = w.title->MaximiseButton();
    QVERIFY(max->styleSheet().contains(QLatin1String("full-screen.png")));

    QTest::mouseClick(max, Qt::LeftButton);
    QTRY_VERIFY(w.isFullScreen());
    QVERIFY(max->styleSheet().contains(QLatin1String("back.png")));
    QVERIFY(max->styleSheet().contains(QLatin1String("back_hover.png")));
    QTRY_COMPARE(w.size(), QSize(1280, 800));
    QTRY_COMPARE(w.title->width(), 1280);  // the background follows (checked by eye in the gallery)

    QTest::mouseClick(max, Qt::LeftButton);
    QTRY_VERIFY(!w.isFullScreen());
    QCOMPARE(w.minimumSize(), QSize(950, 700));
    QCOMPARE(w.maximumSize(), QSize(950, 700));
    QVERIFY(max->styleSheet().contains(QLatin1String("full-screen_hover.png")));

    // A double click with any button does the same.
    QTest::mouseDClick(w.title, Qt::RightButton, Qt::NoModifier, QPoint(200, 10));
    QTRY_VERIFY(w.isFullScreen());
    QTest::mouseDClick(w.title, Qt::LeftButton, Qt::NoModifier, QPoint(200, 10));
    QTRY_VERIFY(!w.isFullScreen());
    QCOMPARE(w.size(), QSize(950, 700));
}

void TestShell::minimiseAndClose()
{
    Window w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QTest::mouseClick(w.title->MinimiseButton(), Qt::LeftButton);
    QVERIFY(w.windowState() & Qt::WindowMinimized);
    w.showNormal();

    // The close button only asks: a window that declines stays open.
    w.refuseClose = true;
    QTest::mouseClick(w.title->CloseButton(), Qt::LeftButton);
    QCOMPARE(w.closeRequests, 1);
    QVERIFY(w.isVisible());
    w.refuseClose = false;
    QTest::mouseClick(w.title->CloseButton(), Qt::LeftButton);
    QCOMPARE(w.closeRequests, 2);
    QVERIFY(!w.isVisible());
}

void TestShell::dragMovesWindow_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<QPoint>("cursor");
    QTest::newRow("left") << int(Qt::LeftButton) << QPoint(400, 300);
    QTest::newRow("right") << int(Qt::RightButton) << QPoint(420, 310);
    // Beyond the screen: the cursor goes through the screens' available-area rule first.
    QTest::newRow("off screen") << int(Qt::LeftButton) << QPoint(5000, -300);
}

void TestShell::dragMovesWindow()
{
    QFETCH(int, button);
    QFETCH(QPoint, cursor);
    Window w;
    w.move(100, 100);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const auto b = Qt::MouseButton(button);
    const QPoint press(300, 12);
    SendMouse(w.title, QEvent::MouseButtonPress, press, w.title->mapToGlobal(press), b);
    QVERIFY(w.title->IsDragging());
    SendMouse(w.title, QEvent::MouseMove, press, cursor, b);
    const QPoint offset = w.title->mapToParent(press);
    const QPoint expected = CCommonUtil::AdjustPosToAvailable(cursor) - offset;
    QCOMPARE(w.pos(), expected);
    SendMouse(w.title, QEvent::MouseButtonRelease, press, cursor, b);
    QVERIFY(!w.title->IsDragging());
    // After the release, moves leave the window alone.
    SendMouse(w.title, QEvent::MouseMove, press, QPoint(600, 500), b);
    QCOMPARE(w.pos(), expected);
}

void TestShell::noDragWhileFullScreen()
{
    Window w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QTest::mouseClick(w.title->MaximiseButton(), Qt::LeftButton);
    QTRY_VERIFY(w.isFullScreen());
    const QPoint before = w.pos();
    SendMouse(w.title, QEvent::MouseButtonPress, QPoint(300, 10), QPoint(300, 10), Qt::LeftButton);
    QVERIFY(!w.title->IsDragging());
    SendMouse(w.title, QEvent::MouseMove, QPoint(300, 10), QPoint(500, 400), Qt::LeftButton);
    QCOMPARE(w.pos(), before);
}

void TestShell::iconTakesNoFocus()
{
    Window w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    auto* icon = w.title->findChild<CPushButton*>(QStringLiteral("m_pBtnIcon"));
    QVERIFY(icon);
    QCOMPARE(icon->focusPolicy(), Qt::NoFocus);
    QTest::mouseClick(icon, Qt::LeftButton);
    QVERIFY(!icon->hasFocus());
    QVERIFY(!w.isFullScreen());
    QCOMPARE(w.title->findChild<QLabel*>(QStringLiteral("m_pTitleLabel"))->text(), QStringLiteral("DarizArevudud"));
}

void TestShell::buildDateNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<uint>("number");
    QTest::newRow("Jun 29 2012") << "Jun 29 2012" << 20120629u;
    QTest::newRow("compiler pad") << "Dec  5 2026" << 20261205u;
    QTest::newRow("leading zero") << "Jan 05 1999" << 19990105u;
    QTest::newRow("every month") << "Oct 31 2030" << 20301031u;
    QTest::newRow("unknown month") << "Foo 29 2012" << 0u;
    QTest::newRow("lower case") << "jun 29 2012" << 0u;
    QTest::newRow("short") << "Jun 29" << 0u;
    QTest::newRow("empty") << "" << 0u;
}

void TestShell::buildDateNumber()
{
    QFETCH(QString, text);
    QFETCH(uint, number);
    QCOMPARE(CDlgAbout::BuildDateNumber(text), number);
}

void TestShell::aboutBox()
{
    // The build's own date: eight digits, a sensible year.
    const unsigned date = CDlgAbout::GetBuildDate();
    QCOMPARE(date, CDlgAbout::BuildDateNumber(CDlgAbout::BuildDateText()));
    QVERIFY2(date >= 20240101u && date <= 99991231u, qPrintable(CDlgAbout::BuildDateText()));

    CDlgAbout box(nullptr);
    QCOMPARE(box.AboutLabel()->text(),
             QStringLiteral("Local Playback Software\n v2.00.00.04 Build") + QString::number(date));
    QCOMPARE(box.AboutLabel()->alignment(), Qt::AlignCenter);
    QCOMPARE(box.AboutLabel()->font().pointSize(), 13);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QCOMPARE(box.size(), QSize(400, 200));
    QCOMPARE(box.minimumSize(), box.maximumSize());
}

// A 1280 x 800 screen (the offscreen default is too small for full screen).
int main(int argc, char** argv)
{
    const QString config =
        QDir::temp().filePath(QStringLiteral("tst_shell_screen_%1.json").arg(QCoreApplication::applicationPid()));
    {
        QFile f(config);
        if (f.open(QIODevice::WriteOnly))
            f.write(
                R"({"screens":[{"name":"main","x":0,"y":0,"width":1280,"height":800,"logicalDpi":96,"logicalBaseDpi":96,"dpr":1}]})");
    }
    qputenv("QT_QPA_PLATFORM", QByteArray("offscreen:configfile=") + config.toUtf8());
    QApplication app(argc, argv);
    TestShell test;
    const int rc = QTest::qExec(&test, argc, argv);
    QFile::remove(config);
    return rc;
}

#include "tst_shell.moc"
