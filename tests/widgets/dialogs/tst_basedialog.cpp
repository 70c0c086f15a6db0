// The frameless base dialog: keys, the OK and close flags, dragging by the title strip, the
// content frame, the window shape, and the prompt seam every modal exec goes through.
#include "widgets/CBaseDialog.h"
#include "widgets/CPushButton.h"
#include "widgets/PromptHook.h"
#include "tests/support/WhenShown.h"

#include <QApplication>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

namespace {
// A subclass whose own form connects slots by name, as forms made by the form designer do.
class CFormDialog : public CBaseDialog {
    Q_OBJECT
public:
    CFormDialog() : CBaseDialog(nullptr, true, true, true) { QMetaObject::connectSlotsByName(this); }
};
}  // namespace

class TestBaseDialog : public QObject {
    Q_OBJECT
private slots:
    void keys_data();
    void keys();
    void okAndCloseFlags();
    void connectSlotsByNameDoesNotDoubleOk();
    void cancelAlwaysRejects();
    void dragByTitleStrip_data();
    void dragByTitleStrip();
    void contentWidgetsAndMask();
    void bottomBarAndSheets();
    void seamAnswersEveryExec();
};

void TestBaseDialog::keys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("bottom");
    QTest::addColumn<int>("result");  // -1: still open
    QTest::newRow("Escape, bottom bar") << int(Qt::Key_Escape) << true << -1;
    QTest::newRow("Escape, no bottom bar") << int(Qt::Key_Escape) << false << -1;
    QTest::newRow("Return, no OK shown") << int(Qt::Key_Return) << false << 1;
    QTest::newRow("Enter") << int(Qt::Key_Enter) << true << 1;
    QTest::newRow("Select") << int(Qt::Key_Select) << false << 1;
}

void TestBaseDialog::keys()
{
    QFETCH(int, key);
    QFETCH(bool, bottom);
    QFETCH(int, result);
    CBaseDialog dialog(nullptr, bottom, bottom, bottom);
    bool stillOpen = false;
    WhenShown(&dialog, [&] {
        QTest::keyClick(&dialog, Qt::Key(key));
        QTest::qWait(50);
        stillOpen = dialog.isVisible();
        if (stillOpen)
            dialog.done(7);
    });
    const int r = dialog.exec();
    if (result < 0) {
        QVERIFY(stillOpen);
        QCOMPARE(r, 7);
    } else {
        QVERIFY(!stillOpen);
        QCOMPARE(r, result);
    }
}

void TestBaseDialog::okAndCloseFlags()
{
    {
        CBaseDialog dialog(nullptr, true, true, true);
        WhenShown(&dialog, [&] { QTest::mouseClick(dialog.OkButton(), Qt::LeftButton); });
        QCOMPARE(dialog.exec(), 1);
    }
    {
        CBaseDialog dialog(nullptr, true, true, true);
        dialog.SetAcceptOnOk(false);
        QSignalSpy ok(&dialog, &CBaseDialog::ClickedOKBtnSig);
        bool open = false;
        WhenShown(&dialog, [&] {
            QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
            QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
            open = dialog.isVisible();
            dialog.OnConfirmBtnClicked();  // the same rule as the button
            dialog.done(5);
        });
        QCOMPARE(dialog.exec(), 5);
        QVERIFY(open);
        QCOMPARE(ok.count(), 3);
    }
    {
        CBaseDialog dialog(nullptr, false, false, false);
        dialog.ShowCloseBtn(true);
        QSignalSpy rejected(&dialog, &QDialog::rejected);
        WhenShown(&dialog, [&] { QTest::mouseClick(dialog.CloseButton(), Qt::LeftButton); });
        QCOMPARE(dialog.exec(), 0);
        QCOMPARE(rejected.count(), 1);
    }
    {
        CBaseDialog dialog(nullptr, false, false, false);
        dialog.ShowCloseBtn(true);
        dialog.SetCloseOnClose(false);
        QSignalSpy close(&dialog, &CBaseDialog::ClickedCloseBtnSig);
        bool open = false;
        WhenShown(&dialog, [&] {
            QTest::mouseClick(dialog.CloseButton(), Qt::LeftButton);
            open = dialog.isVisible();
            dialog.done(5);
        });
        QCOMPARE(dialog.exec(), 5);
        QVERIFY(open);
        QCOMPARE(close.count(), 1);
    }
}

void TestBaseDialog::connectSlotsByNameDoesNotDoubleOk()
{
    CFormDialog dialog;
    dialog.SetAcceptOnOk(false);
    QSignalSpy ok(&dialog, &CBaseDialog::ClickedOKBtnSig);
    dialog.show();
    QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
    QCOMPARE(ok.count(), 1);
}

void TestBaseDialog::cancelAlwaysRejects()
{
    CBaseDialog dialog(nullptr, true, true, true);
    dialog.SetAcceptOnOk(false);
    dialog.SetCloseOnClose(false);
    QSignalSpy rejected(&dialog, &QDialog::rejected);
    WhenShown(&dialog, [&] { QTest::mouseClick(dialog.CancelButton(), Qt::LeftButton); });
    QCOMPARE(dialog.exec(), 0);
    QCOMPARE(rejected.count(), 1);
}

void TestBaseDialog::dragByTitleStrip_data()
{
    QTest::addColumn<int>("pressY");
    QTest::addColumn<bool>("moves");
    QTest::newRow("y 0") << 0 << true;
    QTest::newRow("y 32, last row of the strip") << 32 << true;
    QTest::newRow("y 33, below the strip") << 33 << false;
    QTest::newRow("y 100") << 100 << false;
}

void TestBaseDialog::dragByTitleStrip()
{
    QFETCH(int, pressY);
    QFETCH(bool, moves);
    CBaseDialog dialog(nullptr, true, true, true);
    dialog.show();
    dialog.move(100, 100);
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    const QPoint start = dialog.pos();
    // The press lands on a free part of the dialog, beside the title label.
    const QPoint press(3, pressY);
    QMouseEvent down(QEvent::MouseButtonPress, press, dialog.mapToGlobal(press), Qt::LeftButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(&dialog, &down);
    const QPoint to = dialog.mapToGlobal(press) + QPoint(50, 40);
    QMouseEvent move(QEvent::MouseMove, press + QPoint(50, 40), to, Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&dialog, &move);
    QMouseEvent up(QEvent::MouseButtonRelease, press + QPoint(50, 40), to, Qt::LeftButton, Qt::NoButton,
                   Qt::NoModifier);
    QApplication::sendEvent(&dialog, &up);
    QCOMPARE(dialog.pos(), moves ? start + QPoint(50, 40) : start);
    // After the release a move drags nothing.
    QMouseEvent later(QEvent::MouseMove, press, dialog.mapToGlobal(press) + QPoint(30, 30), Qt::NoButton, Qt::NoButton,
                      Qt::NoModifier);
    const QPoint before = dialog.pos();
    QApplication::sendEvent(&dialog, &later);
    QCOMPARE(dialog.pos(), before);
}

void TestBaseDialog::contentWidgetsAndMask()
{
    CBaseDialog dialog(nullptr, true, true, true);
    QVERIFY(!dialog.SetContentWidget(nullptr));
    QVERIFY(!dialog.GetContentFrame()->layout());
    auto* a = new QLabel(QStringLiteral("a"));
    auto* b = new QLabel(QStringLiteral("b"));
    QVERIFY(dialog.SetContentWidget(a));
    QVERIFY(dialog.SetContentWidget(b));
    auto* grid = qobject_cast<QGridLayout*>(dialog.GetContentFrame()->layout());
    QVERIFY(grid);
    QCOMPARE(grid->count(), 2);
    QCOMPARE(grid->contentsMargins(), QMargins(0, 0, 0, 0));
    QCOMPARE(a->parentWidget(), dialog.GetContentFrame());
    QVERIFY(grid->indexOf(a) != grid->indexOf(b));

    dialog.show();
    for (const QSize size : {QSize(437, 327), QSize(300, 200), QSize(640, 480)}) {
        dialog.resize(size);
        QCoreApplication::processEvents();
        QCOMPARE(dialog.mask().boundingRect(), QRect(QPoint(0, 0), size));
        // The corners are bent: the very corner pixel is outside, the middle inside.
        QVERIFY(!dialog.mask().contains(QPoint(0, 0)));
        QVERIFY(dialog.mask().contains(QPoint(size.width() / 2, size.height() / 2)));
    }
}

void TestBaseDialog::bottomBarAndSheets()
{
    CBaseDialog withBar(nullptr, true, false, true);
    QCOMPARE(withBar.objectName(), QStringLiteral("CBaseDialogClass"));
    QVERIFY(withBar.styleSheet().contains(QStringLiteral("dialog_bg.png")));
    QVERIFY(withBar.windowFlags() & Qt::FramelessWindowHint);
    withBar.show();
    QVERIFY(withBar.BottomFrame()->isVisible());
    QVERIFY(!withBar.OkButton()->isVisible());
    QVERIFY(withBar.CancelButton()->isVisible());
    QVERIFY(!withBar.CloseButton()->isVisible());
    QCOMPARE(withBar.OkButton()->text(), QStringLiteral("OK"));

    CBaseDialog plain(nullptr, false, true, true);
    QVERIFY(plain.styleSheet().contains(QStringLiteral("dialog_bg2.png")));
    QCOMPARE(plain.layout()->contentsMargins(), QMargins(6, 4, 6, 11));
    plain.SetBottomVisible(true);
    QVERIFY(plain.styleSheet().contains(QStringLiteral("dialog_bg.png")));
    plain.show();
    QVERIFY(plain.OkButton()->isVisible());
    QVERIFY(plain.BottomFrame()->isVisible());
    plain.SetTitle(QStringLiteral("Search..."));
    QCOMPARE(plain.GetTitle(), QStringLiteral("Search..."));
}

void TestBaseDialog::seamAnswersEveryExec()
{
    CPromptScript script(0);
    script.Then(1);
    CBaseDialog first(nullptr, true, true, true);
    first.SetTitle(QStringLiteral("About"));
    QSignalSpy accepted(&first, &QDialog::accepted);
    QCOMPARE(first.exec(), 1);  // never shown, never blocks
    QCOMPARE(accepted.count(), 1);
    QVERIFY(!first.isVisible());

    CBaseDialog second(nullptr, true, true, true);
    QSignalSpy rejected(&second, &QDialog::rejected);
    QCOMPARE(second.exec(), 0);  // the default answer
    QCOMPARE(rejected.count(), 1);

    QCOMPARE(script.Count(CPrompt::Exec), 2);
    QCOMPARE(script.Prompts().at(0).className, QStringLiteral("CBaseDialog"));
    QCOMPARE(script.Prompts().at(0).title, QStringLiteral("About"));

    // An answer may let the real modal loop run.
    script.Then([](const CPrompt& prompt) {
        QTimer::singleShot(20, prompt.dialog.data(), [d = prompt.dialog] { static_cast<QDialog*>(d.data())->done(3); });
        return CPromptHook::kRunModal;
    });
    CBaseDialog third(nullptr, true, true, true);
    QCOMPARE(third.exec(), 3);
}

QTEST_MAIN(TestBaseDialog)
#include "tst_basedialog.moc"
