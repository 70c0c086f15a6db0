// The kit's tool tip: lifetime, placement on the screen, reuse of the one label, and the events
// that close it.
#include "widgets/CToolTip.h"

#include <QApplication>
#include <QScreen>
#include <QTest>

class TestToolTip : public QObject {
    Q_OBJECT
private slots:
    void cleanup();
    void lifetime_data();
    void lifetime();
    void placement_data();
    void placement();
    void showsAndReuses();
    void emptyTextCreatesNothing();
    void emptyTextHidesAfterDelay();
    void closesOnDeactivateNotOnPress();
    void rectRequiresWidget();
};

void TestToolTip::cleanup()
{
    delete CToolLabel::Current();
    QCoreApplication::processEvents();
}

void TestToolTip::lifetime_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("ms");
    QTest::newRow("short") << 5 << 8000;
    QTest::newRow("100") << 100 << 8000;
    QTest::newRow("101") << 101 << 8040;
    QTest::newRow("350") << 350 << 18000;
}

void TestToolTip::lifetime()
{
    QFETCH(int, length);
    QFETCH(int, ms);
    QCOMPARE(CToolLabel::LifetimeFor(length), ms);
}

void TestToolTip::placement_data()
{
    QTest::addColumn<QPoint>("pos");
    QTest::addColumn<QPoint>("expected");
    const QSize tip(100, 30);
    Q_UNUSED(tip);
    // Screen 1280 x 1024 at (0, 0), tip 100 x 30.
    QTest::newRow("middle") << QPoint(600, 500) << QPoint(602, 521);
    QTest::newRow("right edge: opens to the left") << QPoint(1250, 500) << QPoint(1250 + 2 - 104, 521);
    QTest::newRow("bottom edge: opens above") << QPoint(600, 1000) << QPoint(602, 1021 - 54);
    QTest::newRow("bottom-right corner") << QPoint(1279, 1023) << QPoint(1279 + 2 - 104, 1023 + 21 - 54);
    QTest::newRow("top-left corner") << QPoint(0, 0) << QPoint(2, 21);
    QTest::newRow("left of the screen: clamped") << QPoint(-50, 500) << QPoint(0, 521);
}

void TestToolTip::placement()
{
    QFETCH(QPoint, pos);
    QFETCH(QPoint, expected);
    QCOMPARE(CToolLabel::PlaceOnScreen(pos, QSize(100, 30), QRect(0, 0, 1280, 1024)), expected);
    // Placed on a second screen to the right, the same rules hold in its coordinates.
    QCOMPARE(CToolLabel::PlaceOnScreen(pos + QPoint(1280, 0), QSize(100, 30), QRect(1280, 0, 1280, 1024)),
             expected + QPoint(1280, 0));
}

void TestToolTip::showsAndReuses()
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QPoint pos = screen.center();
    CToolTip::showText(pos, QStringLiteral("Please input file path"));
    QVERIFY(CToolTip::isVisible());
    CToolLabel* label = CToolLabel::Current();
    QVERIFY(label);
    QCOMPARE(label->objectName(), QStringLiteral("ctooltip_label"));
    QCOMPARE(QString::fromLatin1(label->metaObject()->className()), QStringLiteral("CToolLabel"));
    QVERIFY(label->windowFlags() & Qt::ToolTip);
    QVERIFY(!label->parentWidget());
    QCOMPARE(label->pos(), CToolLabel::PlaceOnScreen(pos, label->size(), screen));
    QCOMPARE(label->font().pointSize(), CToolTip::font().pointSize());

    // The same text again: nothing changes, the lifetime is not restarted.
    QTest::qWait(200);
    const int before = label->IsExpiring() ? 1 : 0;
    label->move(label->pos() + QPoint(1, 1));
    const QPoint moved = label->pos();
    CToolTip::showText(pos, QStringLiteral("Please input file path"));
    QCOMPARE(CToolLabel::Current(), label);
    QCOMPARE(label->pos(), moved);
    QCOMPARE(before, 1);

    // Another text: the same label, resized and moved.
    const QString longer = QStringLiteral("The free space of the folder is less than it needs");
    CToolTip::showText(pos + QPoint(10, 10), longer);
    QCOMPARE(CToolLabel::Current(), label);
    QCOMPARE(CToolTip::text(), longer);
    QCOMPARE(label->size(), label->sizeHint() + QSize(1, label->size().height() - label->sizeHint().height()));
    QCOMPARE(label->pos(), CToolLabel::PlaceOnScreen(pos + QPoint(10, 10), label->size(), screen));
}

void TestToolTip::emptyTextCreatesNothing()
{
    CToolTip::showText(QPoint(10, 10), QString());
    QVERIFY(!CToolLabel::Current());
    QVERIFY(!CToolTip::isVisible());
    QCOMPARE(CToolTip::text(), QString());
}

void TestToolTip::emptyTextHidesAfterDelay()
{
    CToolTip::showText(QPoint(100, 100), QStringLiteral("tip"));
    QPointer<CToolLabel> label = CToolLabel::Current();
    CToolTip::showText(QPoint(100, 100), QString());
    QVERIFY(label->IsHiding());
    QTRY_VERIFY_WITH_TIMEOUT(!label, 2000);
}

void TestToolTip::closesOnDeactivateNotOnPress()
{
    QWidget other;
    other.resize(200, 100);
    other.show();
    QVERIFY(QTest::qWaitForWindowExposed(&other));
    CToolTip::showText(QPoint(300, 300), QStringLiteral("tip"));
    QPointer<CToolLabel> label = CToolLabel::Current();
    QTest::mouseClick(&other, Qt::LeftButton);
    QCoreApplication::processEvents();
    QVERIFY(label && label->isVisible());
    QEvent deactivate(QEvent::WindowDeactivate);
    QApplication::sendEvent(&other, &deactivate);
    QTRY_VERIFY_WITH_TIMEOUT(!label, 1000);
    QVERIFY(!CToolTip::isVisible());
}

void TestToolTip::rectRequiresWidget()
{
    QWidget w;
    w.resize(100, 100);
    CToolTip::showText(QPoint(50, 50), QStringLiteral("tip"), &w, QRect(0, 0, 50, 50));
    CToolLabel* label = CToolLabel::Current();
    QCOMPARE(label->TipWidget(), &w);
    QTest::ignoreMessage(QtWarningMsg, "CToolTip::setTipRect: Cannot pass null widget if rect is set");
    label->setTipRect(nullptr, QRect(0, 0, 10, 10));
    QCOMPARE(label->TipRect(), QRect(0, 0, 50, 50));
    // Outside the rectangle within the same widget: a different tip.
    QVERIFY(label->IsDifferentTip(QPoint(70, 70), QStringLiteral("tip"), &w));
    QVERIFY(!label->IsDifferentTip(QPoint(10, 10), QStringLiteral("tip"), &w));
}

QTEST_MAIN(TestToolTip)
#include "tst_tooltip.moc"
