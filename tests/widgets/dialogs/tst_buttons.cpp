// The kit's buttons: the delayed release and the speed dial's positions.
#include "widgets/CPushButton.h"
#include "widgets/CSpeedButton.h"
#include "widgets/CToolButton.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

class TestButtons : public QObject {
    Q_OBJECT
private slots:
    void pushButtonForwards();
    void delayAfterTheLastRelease();
    void delayWaitsWhileChecked();
    void delayKeepsAutoRepeat();
    void dialPress_data();
    void dialPress();
    void dialKeepsItsGeometry();
    void setSpeedAndLabels();
    void disabledLook();
    void toolButtonLock();
    void userToolButtonData();
};

void TestButtons::pushButtonForwards()
{
    QWidget parent;
    CPushButton a(QStringLiteral("OK"), &parent);
    QCOMPARE(a.text(), QStringLiteral("OK"));
    QCOMPARE(a.parentWidget(), &parent);
    QCOMPARE(QString::fromLatin1(a.metaObject()->className()), QStringLiteral("CPushButton"));
}

void TestButtons::delayAfterTheLastRelease()
{
    QWidget parent;
    CDelayButton button(QStringLiteral(">"), &parent);
    parent.show();
    QSignalSpy spy(&button, &CDelayButton::SignalDelayRelease);
    QElapsedTimer clock;
    QTest::mouseClick(&button, Qt::LeftButton);
    QTest::qWait(1500);
    QCOMPARE(spy.count(), 0);
    QTest::mouseClick(&button, Qt::LeftButton);
    clock.start();
    QVERIFY(spy.wait(4000));
    QVERIFY2(clock.elapsed() >= 1900, qPrintable(QString::number(clock.elapsed())));
    QTest::qWait(300);
    QCOMPARE(spy.count(), 1);
}

void TestButtons::delayWaitsWhileChecked()
{
    QWidget parent;
    CDelayButton button(&parent);
    button.setCheckable(true);
    parent.show();
    QSignalSpy spy(&button, &CDelayButton::SignalDelayRelease);
    QTest::mouseClick(&button, Qt::LeftButton);  // now checked
    QVERIFY(button.isChecked());
    QTest::qWait(2300);
    QCOMPARE(spy.count(), 0);
    button.setChecked(false);
    QVERIFY(spy.wait(2500));  // at the next 2000 ms tick
    QCOMPARE(spy.count(), 1);
}

void TestButtons::delayKeepsAutoRepeat()
{
    QWidget parent;
    CDelayButton button(&parent);
    button.setAutoRepeat(true);
    button.setAutoRepeatDelay(50);
    button.setAutoRepeatInterval(20);
    parent.show();
    QSignalSpy clicks(&button, &QAbstractButton::clicked);
    QTest::mousePress(&button, Qt::LeftButton);
    QTest::qWait(250);
    QTest::mouseRelease(&button, Qt::LeftButton);
    QVERIFY2(clicks.count() >= 3, qPrintable(QString::number(clicks.count())));
}

void TestButtons::dialPress_data()
{
    QTest::addColumn<int>("speed");
    QTest::addColumn<QPoint>("press");
    QTest::addColumn<int>("result");  // 100: no signal
    QTest::newRow("0, x 0") << 0 << QPoint(0, 15) << -3;
    QTest::newRow("0, x 40 (column 3, knob)") << 0 << QPoint(40, 15) << 0;
    QTest::newRow("0, x 50 (column 4, knob)") << 0 << QPoint(50, 15) << 0;
    QTest::newRow("0, x 60 (column 5)") << 0 << QPoint(60, 15) << 1;
    QTest::newRow("0, x 96 (column 8, clamped)") << 0 << QPoint(96, 15) << 3;
    QTest::newRow("0, x 99") << 0 << QPoint(99, 15) << 3;
    QTest::newRow("-3, column 2") << -3 << QPoint(30, 15) << -2;
    QTest::newRow("3, column 5") << 3 << QPoint(65, 15) << 2;
    QTest::newRow("band top y 8") << 0 << QPoint(0, 8) << -3;
    QTest::newRow("band bottom y 22") << 0 << QPoint(0, 22) << -3;
    QTest::newRow("above the band y 7") << 0 << QPoint(0, 7) << 100;
    QTest::newRow("below the band y 23") << 0 << QPoint(0, 23) << 100;
}

void TestButtons::dialPress()
{
    QFETCH(int, speed);
    QFETCH(QPoint, press);
    QFETCH(int, result);
    QWidget parent;
    CSpeedButton dial(&parent);  // built with a parent: 100 x 30
    dial.SetSpeed(speed);
    parent.show();
    QSignalSpy spy(&dial, &CSpeedButton::OnClickSpeed);
    QSignalSpy clicked(&dial, &QAbstractButton::clicked);
    QTest::mousePress(&dial, Qt::LeftButton, {}, press);
    QTest::mouseRelease(&dial, Qt::LeftButton, {}, press);
    if (result == 100) {
        QCOMPARE(spy.count(), 0);
        QCOMPARE(dial.GetSpeed(), speed);
    } else {
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.first().first().toInt(), result);
        QCOMPARE(dial.GetSpeed(), result);
    }
    QCOMPARE(clicked.count(), 0);  // the dial never acts as a plain button
}

void TestButtons::dialKeepsItsGeometry()
{
    QWidget parent;
    CSpeedButton dial(&parent);
    dial.resize(200, 60);
    parent.show();
    QSignalSpy spy(&dial, &CSpeedButton::OnClickSpeed);
    // Still the 100 x 30 dial: x 60 is column 5 and y 30 is off its band.
    QTest::mouseClick(&dial, Qt::LeftButton, {}, QPoint(60, 15));
    QCOMPARE(spy.last().first().toInt(), 1);
    QTest::mouseClick(&dial, Qt::LeftButton, {}, QPoint(60, 30));
    QCOMPARE(spy.count(), 1);
    QCOMPARE(CSpeedButton::SpeedFromPos(QPoint(60, 15), 0, 100, 30), 1);
}

void TestButtons::setSpeedAndLabels()
{
    QWidget parent;
    CSpeedButton dial(&parent);
    QSignalSpy spy(&dial, &CSpeedButton::OnClickSpeed);
    dial.SetSpeed(2);
    QCOMPARE(spy.count(), 0);
    QCOMPARE(dial.GetSpeed(), 2);
    QCOMPARE(CSpeedButton::BackgroundFor(2), QStringLiteral(":/images/MainView/ButtonIcon/speedRight.png"));
    QCOMPARE(dial.icon().pixmap(115, 17).toImage(), QPixmap(CSpeedButton::BackgroundFor(2)).toImage());
    QCOMPARE(CSpeedButton::BackgroundFor(-1), QStringLiteral(":/images/MainView/ButtonIcon/speedLeft.png"));
    QCOMPARE(CSpeedButton::BackgroundFor(0), QStringLiteral(":/images/MainView/ButtonIcon/speedCenter.png"));
    const QStringList labels{"X1/8", "X1/4", "X1/2", "X1", "X2", "X4", "X8"};
    for (int s = -3; s <= 3; ++s)
        QCOMPARE(CSpeedButton::LabelFor(s), labels.at(s + 3));
    QVERIFY(CSpeedButton::LabelFor(4).isEmpty());
    for (const char* image :
         {":/images/MainView/ButtonIcon/speedFore.png", ":/images/MainView/ButtonIconDis/speedFore_dis.png"})
        QCOMPARE(QPixmap(QLatin1String(image)).size(), QSize(29, 17));
    QCOMPARE(QPixmap(CSpeedButton::BackgroundFor(0)).size(), QSize(115, 17));
}

void TestButtons::disabledLook()
{
    QWidget parent;
    CSpeedButton dial(&parent);
    QVERIFY(!dial.HasEnabledLook());
    dial.SetDisabled(false);
    QVERIFY(dial.HasEnabledLook());
    dial.setEnabled(false);  // the base's own call leaves the look alone
    QVERIFY(dial.HasEnabledLook());
    dial.SetDisabled(true);
    QVERIFY(!dial.HasEnabledLook());
    QVERIFY(!dial.isEnabled());
}

void TestButtons::toolButtonLock()
{
    QWidget parent;
    CToolButton button(&parent);
    QCOMPARE(button.SetLock(true)->SetLockTime(300), &button);
    parent.show();
    QSignalSpy clicks(&button, &QAbstractButton::clicked);
    QTest::mouseClick(&button, Qt::LeftButton);
    QCOMPARE(clicks.count(), 1);
    QVERIFY(button.IsLocked());
    QTest::mouseClick(&button, Qt::LeftButton);  // within the lock time: ignored
    QCOMPARE(clicks.count(), 1);
    QTRY_VERIFY_WITH_TIMEOUT(!button.IsLocked(), 1500);
    QTest::mouseClick(&button, Qt::LeftButton);
    QCOMPARE(clicks.count(), 2);

    CToolButton plain(&parent);
    QSignalSpy plainClicks(&plain, &QAbstractButton::clicked);
    QTest::mouseClick(&plain, Qt::LeftButton);
    QTest::mouseClick(&plain, Qt::LeftButton);
    QCOMPARE(plainClicks.count(), 2);
    QVERIFY(!plain.IsLocked());
}

void TestButtons::userToolButtonData()
{
    CUserToolButton button;
    QVERIFY(!button.GetUserData().isValid());
    button.SetUserData(QStringLiteral("CH01"));
    QCOMPARE(button.GetUserData().toString(), QStringLiteral("CH01"));
}

QTEST_MAIN(TestButtons)
#include "tst_buttons.moc"
