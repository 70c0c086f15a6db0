// Combo boxes and the volume button.
#include <QApplication>
#include <QLineEdit>
#include <QScreen>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <QTreeView>
#include <QStandardItemModel>

#include "widgets/CComboBoxes.h"
#include "widgets/CVolumeButton.h"

class TestControls : public QObject {
    Q_OBJECT

private slots:
    // ---- combo boxes -------------------------------------------------------------------------
    void comboToolTipFollowsText()
    {
        CComboBox box;
        box.addItem("first entry");
        QCOMPARE(box.toolTip(), QString("first entry"));  // the first add makes it current
        box.addItem("second, rather long entry");
        box.setCurrentIndex(1);
        QCOMPARE(box.toolTip(), QString("second, rather long entry"));
        box.setEditable(true);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        box.lineEdit()->selectAll();
        QTest::keyClicks(box.lineEdit(), "typed");
        QCOMPARE(box.toolTip(), QString("typed"));
        box.clear();
        QCOMPARE(box.toolTip(), QString());
    }

    void treeBoxShowsChildrenWithoutHeader()
    {
        TreeBox box;
        auto* model = new QStandardItemModel(&box);
        auto* parent = new QStandardItem("parent");
        parent->appendRow(new QStandardItem("child"));
        model->appendRow(parent);
        box.setModel(model);
        box.ExpandAll();
        QCOMPARE(box.view(), static_cast<QAbstractItemView*>(box.TreeView()));
        QVERIFY(box.TreeView()->isHeaderHidden());
        QVERIFY(box.TreeView()->isExpanded(model->index(0, 0)));
    }

    void scheduleBoxSignalsInsteadOfList()
    {
        CScheduleComBoBox box;
        box.addItem("x");
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        QSignalSpy spy(&box, &CScheduleComBoBox::ShowDialog);
        box.showPopup();
        QTest::mouseClick(&box, Qt::LeftButton);
        QCOMPARE(spy.count(), 2);
        QVERIFY(!box.view()->isVisible());
    }

    // ---- volume button -----------------------------------------------------------------------
    void openingShowsTheLastVolumeSilently()
    {
        CVolumeButton button;
        button.resize(43, 35);
        button.show();
        QVERIFY(QTest::qWaitForWindowExposed(&button));
        QSignalSpy volume(&button, &CVolumeButton::SignalVolumeValueChanged);
        QTest::mousePress(&button, Qt::LeftButton);
        QVERIFY(button.Popup()->isVisible());
        QCOMPARE(button.Popup()->Slider()->value(), 32767);
        QCOMPARE(volume.count(), 0);
        button.SetVoiceOpened(true);
        button.Popup()->Slider()->setValue(10000);
        QCOMPARE(volume.count(), 1);
        QCOMPARE(volume.at(0).at(0).toInt(), 10000);
        button.Popup()->hide();
        QTest::mouseRelease(&button, Qt::LeftButton);
        // Reopening shows what the operator set, not the starting volume.
        QTest::mousePress(&button, Qt::LeftButton);
        QCOMPARE(button.Popup()->Slider()->value(), 10000);
        QCOMPARE(volume.count(), 1);
        button.SetVolume(20000);  // the owner's value for another window
        QCOMPARE(volume.count(), 1);
        QCOMPARE(button.GetVolume(), 20000);
        button.Popup()->hide();
    }

    void muteAsksForTheOppositeState()
    {
        CVolumeButton button;
        QSignalSpy opened(&button, &CVolumeButton::SignalVoiceOpened);
        QVERIFY(!button.Popup()->Slider()->isEnabled());
        button.Popup()->MuteButton()->click();
        QCOMPARE(opened.count(), 1);
        QCOMPARE(opened.at(0).at(0).toBool(), true);
        QVERIFY(!button.IsVoiceOpened());  // unchanged until the owner answers
        QVERIFY(!button.Popup()->Slider()->isEnabled());
        button.SetVoiceOpened(true);
        QVERIFY(button.Popup()->Slider()->isEnabled());
        button.Popup()->MuteButton()->click();
        QCOMPARE(opened.at(1).at(0).toBool(), false);
    }

    void popupStandsAboveAndInsideTheScreen()
    {
        QWidget host;
        const QRect screen = host.screen()->geometry();
        host.setGeometry(screen.right() - 200, screen.top() + 300, 200, 100);
        auto* button = new CVolumeButton(&host);
        button->setGeometry(200 - 10, 50, 43, 35);  // sticks out at the right edge
        auto* centred = new CVolumeButton(&host);
        centred->setGeometry(20, 50, 43, 35);
        host.show();
        QVERIFY(QTest::qWaitForWindowExposed(&host));
        QTest::mousePress(centred, Qt::LeftButton);
        const QPoint top = centred->mapToGlobal(QPoint(0, 0));
        // The offscreen platform places a moved window as if it had the frame of the host.
        const QPoint frame = host.geometry().topLeft() - host.frameGeometry().topLeft();
        QCOMPARE(centred->Popup()->pos() - frame, QPoint(top.x() + (43 - 27) / 2, top.y() - 128));
        QCOMPARE(centred->Popup()->size(), QSize(27, 128));
        centred->Popup()->hide();
        QTest::mouseRelease(centred, Qt::LeftButton);

        QTest::mousePress(button, Qt::LeftButton);
        const QRect placed = button->Popup()->geometry().translated(-frame);
        const int centredX = button->mapToGlobal(QPoint(0, 0)).x() + (43 - 27) / 2;
        QVERIFY(placed.x() < centredX);  // moved left to stay on the screen
        QVERIFY(placed.right() <= screen.right());
        QVERIFY(button->Popup()->isVisible());
        button->hide();  // hiding the button (leaving the page) hides the pop-up
        QVERIFY(!button->Popup()->isVisible());
    }

    void pressOnButtonClosesWithoutReopening()
    {
        CVolumeButton button;
        button.resize(43, 35);
        button.show();
        QVERIFY(QTest::qWaitForWindowExposed(&button));
        QTest::mousePress(&button, Qt::LeftButton);
        QTest::mouseRelease(&button, Qt::LeftButton);
        CVolumeWidget* popup = button.Popup();
        QVERIFY(popup->isVisible());
        const QPoint global = button.mapToGlobal(QPoint(10, 10));
        QMouseEvent press(QEvent::MouseButtonPress, popup->mapFromGlobal(global), global, Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(popup, &press);
        QVERIFY(popup->testAttribute(Qt::WA_NoMouseReplay));
        QVERIFY(!popup->isVisible());
    }
};

QTEST_MAIN(TestControls)
#include "tst_controls.moc"
