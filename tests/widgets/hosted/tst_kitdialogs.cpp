// The name entry dialog and the multi-role frame.
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>

#include "widgets/CInputInfoDlg.h"
#include "widgets/CMutiroleDialog.h"
#include "widgets/CPushButton.h"
#include "widgets/CToolTip.h"
#include "widgets/PromptHook.h"

class TestKitDialogs : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { CToolTip::hideText(); }

    void nameTable_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("message");  // empty: accepted
        QTest::newRow("blanks") << "   "
                                << "Name cannot be empty.";
        QTest::newRow("slash") << "a/b"
                               << "Name cannot contain the following symbol (' ).";
        QTest::newRow("colon") << "a:b"
                               << "Name cannot contain the following symbol (' ).";
        QTest::newRow("star") << "a*b"
                              << "Name cannot contain the following symbol (' ).";
        QTest::newRow("ok, trimmed") << "  ok name "
                                     << "";
    }

    void nameTable()
    {
        QFETCH(QString, name);
        QFETCH(QString, message);
        CInputInfoDlg dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QSignalSpy accepted(&dialog, &CInputInfoDlg::ClickedOKSig);
        dialog.SetName(name);
        dialog.OkButton()->click();
        if (message.isEmpty()) {
            QCOMPARE(accepted.count(), 1);
            QCOMPARE(accepted.at(0).at(0).toString(), name.trimmed());
            QCOMPARE(accepted.at(0).at(1).toPoint(), dialog.NameEdit()->mapToGlobal(QPoint(0, 0)));
        } else {
            QCOMPARE(accepted.count(), 0);
            QCOMPARE(CToolTip::text(), message);
        }
        QVERIFY(dialog.isVisible());  // the dialog stays open either way
    }

    void returnChecksOnceAndStaysOpen()
    {
        CInputInfoDlg dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QSignalSpy accepted(&dialog, &CInputInfoDlg::ClickedOKSig);
        dialog.SetName("camera");
        QTest::keyClick(&dialog, Qt::Key_Return);
        QCOMPARE(accepted.count(), 1);
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.result(), 0);
        QTest::keyClick(&dialog, Qt::Key_Escape);
        QVERIFY(dialog.isVisible());
    }

    void typingThroughTheNameValidator()
    {
        CInputInfoDlg dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QTest::keyClicks(dialog.NameEdit(), "abc'd'");
        QCOMPARE(dialog.NameEdit()->text(), QString("abcd"));
        QTest::keyClicks(dialog.NameEdit(), QString(70, 'x'));
        QCOMPARE(dialog.NameEdit()->text().size(), 64);
    }

    void hostCloseButtonClosesTheHost()
    {
        QWidget parent;
        auto* frame = new CMutiroleDialog(&parent);
        frame->resize(300, 200);
        frame->ShowDialog(&parent, "Panel", 320, 240);
        QDialog* host = frame->HostDialog();
        QVERIFY(host);
        QVERIFY(host->isVisible());
        QCOMPARE(host->size(), QSize(320, 240));
        QCOMPARE(frame->DialogWidth(), 320);
        int closes = 0;
        connect(static_cast<CBaseDialog*>(host), &CBaseDialog::ClickedCloseBtnSig, [&] { ++closes; });
        frame->ShowDialog(&parent, "Panel", 320, 240);  // a second showing adds no connection
        static_cast<CBaseDialog*>(host)->CloseButton()->click();
        QCOMPARE(closes, 1);
        QVERIFY(!host->isVisible());
    }

    void execGoesThroughTheHost()
    {
        CPromptScript script(1);
        CMutiroleDialog frame;
        frame.resize(250, 150);
        QCOMPARE(frame.ExecDialog(nullptr, "Title"), 1);
        QCOMPARE(frame.HostDialog()->size(), QSize(250, 150));
        QCOMPARE(frame.ExecDialog(nullptr, "Title"), 1);
        QCOMPARE(frame.parentWidget(), static_cast<CBaseDialog*>(frame.HostDialog())->GetContentFrame());
    }

    void destroyingTheFrameDeletesTheHostOnce()
    {
        QWidget parent;
        auto* frame = new CMutiroleDialog(&parent);
        frame->ShowDialog(&parent, "Panel", 200, 100);
        QPointer<QDialog> host = frame->HostDialog();
        delete frame;
        QVERIFY(!host);
    }

    void destroyingTheHostsParentDeletesBothOnce()
    {
        auto* parent = new QWidget;
        QPointer<CMutiroleDialog> frame = new CMutiroleDialog(parent);
        frame->ShowDialog(parent, "Panel", 200, 100);
        QPointer<QDialog> host = frame->HostDialog();
        delete parent;  // the host goes with its parent, and the frame with the host
        QVERIFY(!host);
        QVERIFY(!frame);
    }

    void keysOnlyWhileHosted()
    {
        QWidget parent;
        auto* frame = new CMutiroleDialog;  // once hosted, the host owns it
        QKeyEvent ret(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(frame, &ret);  // no host: dropped
        frame->ShowDialog(&parent, "Panel", 200, 100);
        QSignalSpy accepted(frame->HostDialog(), &QDialog::accepted);
        QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(frame, &esc);
        QCOMPARE(accepted.count(), 0);
        QKeyEvent ret2(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(frame, &ret2);
        QCOMPARE(accepted.count(), 1);  // accepted once, not again by the host's own key handling
    }
};

QTEST_MAIN(TestKitDialogs)
#include "tst_kitdialogs.moc"
