// The record-type filter pop-up: the "All" box's three states, OK and Cancel, a press outside,
// ampersands in labels, and emptiness.
#include "timeline/TimeSliderFilterPopup.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QIcon>
#include <QMouseEvent>
#include <QtTest>

namespace {

void Fill(CTimeSliderFilterPopup& popup)
{
    popup.AddFilterItem(QIcon(), QStringLiteral("Schedule"), 0);
    popup.AddFilterItem(QIcon(), QStringLiteral("Alarm"), 1);
    popup.AddFilterItem(QIcon(), QStringLiteral("Command"), 2);
}

}  // namespace

class TestFilterPopup : public QObject {
    Q_OBJECT

private slots:
    void newItemsStartCheckedAndSaved()
    {
        CTimeSliderFilterPopup popup;
        QVERIFY(popup.IsEmpty());
        Fill(popup);
        QVERIFY(!popup.IsEmpty());
        QCOMPARE(popup.SavedIds(), (QList<int>{0, 1, 2}));
        for (QCheckBox* box : popup.ItemBoxes())
            QVERIFY(box->isChecked());
        QCOMPARE(popup.AllBox()->checkState(), Qt::Checked);
        QCOMPARE(popup.windowFlags() & Qt::Popup, Qt::Popup);
    }

    // Clicks on the item boxes and on "All", and the state "All" shows after each.
    void allBox_data()
    {
        QTest::addColumn<QStringList>("clicks");  // "0", "1", "2" item boxes, "A" the All box
        QTest::addColumn<QList<bool>>("items");
        QTest::addColumn<int>("all");
        QTest::newRow("one unchecked: partial")
            << QStringList{"0"} << QList<bool>{false, true, true} << int(Qt::PartiallyChecked);
        QTest::newRow("two unchecked: partial")
            << QStringList{"0", "2"} << QList<bool>{false, true, false} << int(Qt::PartiallyChecked);
        QTest::newRow("all unchecked one by one")
            << QStringList{"0", "1", "2"} << QList<bool>{false, false, false} << int(Qt::Unchecked);
        QTest::newRow("partial, All: all checked")
            << QStringList{"0", "2", "A"} << QList<bool>{true, true, true} << int(Qt::Checked);
        QTest::newRow("partial, All twice: none")
            << QStringList{"0", "2", "A", "A"} << QList<bool>{false, false, false} << int(Qt::Unchecked);
        QTest::newRow("unchecked, All: straight to checked")
            << QStringList{"A", "A"} << QList<bool>{true, true, true} << int(Qt::Checked);
        QTest::newRow("checked again one by one")
            << QStringList{"A", "0", "1", "2"} << QList<bool>{true, true, true} << int(Qt::Checked);
    }

    void allBox()
    {
        QFETCH(QStringList, clicks);
        QFETCH(QList<bool>, items);
        QFETCH(int, all);
        CTimeSliderFilterPopup popup;
        Fill(popup);
        popup.show();
        const QList<QCheckBox*> boxes = popup.ItemBoxes();
        for (const QString& c : clicks) {
            QCheckBox* box = c == QLatin1String("A") ? popup.AllBox() : boxes.at(c.toInt());
            QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
        }
        for (int i = 0; i < 3; ++i)
            QCOMPARE(boxes.at(i)->isChecked(), items.at(i));
        QCOMPARE(int(popup.AllBox()->checkState()), all);
    }

    void okReportsCheckedIdsInOrder()
    {
        CTimeSliderFilterPopup popup;
        Fill(popup);
        popup.show();
        QSignalSpy filter(&popup, &CTimeSliderFilterPopup::SignalFilter);
        popup.ItemBoxes().at(1)->setChecked(false);
        QTest::mouseClick(popup.OkButton(), Qt::LeftButton);
        QCOMPARE(filter.count(), 1);
        QCOMPARE(filter.at(0).at(0).value<QList<int>>(), (QList<int>{0, 2}));
        QCOMPARE(popup.SavedIds(), (QList<int>{0, 2}));
        QVERIFY(!popup.isVisible());

        // Every box unchecked: an empty list (the row then shows no bars).
        popup.show();
        popup.AllBox()->setCheckState(Qt::Unchecked);
        QTest::mouseClick(popup.OkButton(), Qt::LeftButton);
        QCOMPARE(filter.count(), 2);
        QCOMPARE(filter.at(1).at(0).value<QList<int>>(), QList<int>());
    }

    void cancelRestoresSavedOnly()
    {
        CTimeSliderFilterPopup popup;
        Fill(popup);
        popup.show();
        QSignalSpy filter(&popup, &CTimeSliderFilterPopup::SignalFilter);
        // Saved: 0 and 2.
        popup.ItemBoxes().at(1)->setChecked(false);
        QTest::mouseClick(popup.OkButton(), Qt::LeftButton);

        popup.show();
        popup.ItemBoxes().at(0)->setChecked(false);  // saved: comes back
        popup.ItemBoxes().at(1)->setChecked(true);   // not saved: stays checked
        QTest::mouseClick(popup.CancelButton(), Qt::LeftButton);
        QVERIFY(!popup.isVisible());
        QCOMPARE(filter.count(), 1);
        QVERIFY(popup.ItemBoxes().at(0)->isChecked());
        QVERIFY(popup.ItemBoxes().at(1)->isChecked());
        QVERIFY(popup.ItemBoxes().at(2)->isChecked());
        QCOMPARE(popup.SavedIds(), (QList<int>{0, 2}));
    }

    void pressOutsideCancels()
    {
        CTimeSliderFilterPopup popup;
        Fill(popup);
        popup.move(100, 100);
        popup.show();
        popup.ItemBoxes().at(2)->setChecked(false);
        QSignalSpy filter(&popup, &CTimeSliderFilterPopup::SignalFilter);
        const QPointF outside(-20, -20);  // local: left of and above the pop-up
        QMouseEvent press(QEvent::MouseButtonPress, outside, popup.mapToGlobal(outside), Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QApplication::sendEvent(&popup, &press);
        QVERIFY(!popup.isVisible());
        QVERIFY(popup.ItemBoxes().at(2)->isChecked());
        QCOMPARE(filter.count(), 0);

        // A press inside changes nothing.
        popup.show();
        popup.ItemBoxes().at(2)->setChecked(false);
        const QPointF inside(5, 5);
        QMouseEvent pressIn(QEvent::MouseButtonPress, inside, popup.mapToGlobal(inside), Qt::LeftButton, Qt::LeftButton,
                            Qt::NoModifier);
        QApplication::sendEvent(&popup, &pressIn);
        QVERIFY(popup.isVisible());
        QVERIFY(!popup.ItemBoxes().at(2)->isChecked());
    }

    void ampersands_data()
    {
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("shown");
        QTest::newRow("none") << "Alarm"
                              << "Alarm";
        QTest::newRow("one") << "A&B"
                             << "A&&B";
        QTest::newRow("two: only the first") << "A&B&C"
                                             << "A&&B&C";
    }

    void ampersands()
    {
        QFETCH(QString, label);
        QFETCH(QString, shown);
        CTimeSliderFilterPopup popup;
        popup.AddFilterItem(QIcon(), label, 4);
        QCOMPARE(popup.ItemBoxes().at(0)->text(), shown);
    }

    void clearMakesEmpty()
    {
        CTimeSliderFilterPopup popup;
        Fill(popup);
        popup.AllBox()->setCheckState(Qt::Unchecked);
        popup.ClearFilterItems();
        QVERIFY(popup.IsEmpty());
        QVERIFY(popup.ItemBoxes().isEmpty());
        QVERIFY(popup.SavedIds().isEmpty());
        QCOMPARE(popup.AllBox()->checkState(), Qt::Unchecked);  // keeps its state
        popup.AddFilterItem(QIcon(), QStringLiteral("Alarm"), 1);
        QCOMPARE(popup.SavedIds(), QList<int>{1});
        QCOMPARE(popup.AllBox()->checkState(), Qt::Checked);
    }
};

QTEST_MAIN(TestFilterPopup)
#include "tst_filter_popup.moc"
