// The message box: width from the text, height from the laid-out text, the results of both
// modes, the question without a parent, texts shown as they stand, and the prompt seam.
#include "widgets/CWarnDlg.h"
#include "widgets/CPushButton.h"
#include "widgets/PromptHook.h"
#include "tests/support/WhenShown.h"

#include <QFrame>
#include <QSignalSpy>
#include <QTest>
#include <QScreen>
#include <QScrollBar>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTimer>

namespace {
// Builds a box as ExecWarn does and shows it without a modal loop, to measure it.
void ShowAsWarn(CWarnDlg& dialog, const QString& text)
{
    dialog.AdjustWidthToText(text);
    dialog.ShowCloseBtn(true);
    dialog.SetBottomVisible(false);
    dialog.SetTitleAndText(QStringLiteral("Information"), text);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QCoreApplication::processEvents();
}
}  // namespace

class TestWarnDlg : public QObject {
    Q_OBJECT
private slots:
    void widthRule_data();
    void widthRule();
    void widthFromTheText();
    void shortTextIsCentred();
    void longTextMakesTheBoxTaller();
    void textTallerThanTheScreenScrolls();
    void warnResults_data();
    void warnResults();
    void questionResults();
    void questionWithoutParent();
    void markupIsShownAsText();
    void seamRecordsWarningsAndQuestions();
};

void TestWarnDlg::widthRule_data()
{
    QTest::addColumn<int>("textWidth");
    QTest::addColumn<QSize>("widths");  // dialog width, browser width
    QTest::newRow("short") << 100 << QSize(300, 115);
    QTest::newRow("last that fits the minimum (w + 10 = 288)") << 263 << QSize(300, 278);
    QTest::newRow("first above the minimum") << 264 << QSize(301, 279);
    QTest::newRow("middle") << 500 << QSize(537, 515);
    QTest::newRow("last below the maximum (w + 10 = 1011)") << 986 << QSize(1023, 1001);
    QTest::newRow("at the maximum (w + 10 = 1012)") << 987 << QSize(1024, 1002);
    QTest::newRow("very long") << 5000 << QSize(1024, 1002);
}

void TestWarnDlg::widthRule()
{
    QFETCH(int, textWidth);
    QFETCH(QSize, widths);
    QCOMPARE(CWarnDlg::WidthsForText(textWidth), widths);
}

void TestWarnDlg::widthFromTheText()
{
    CWarnDlg shortBox;
    const QString text = QStringLiteral("DiskSpace is low.");
    shortBox.AdjustWidthToText(text);
    QCOMPARE(shortBox.width(), 300);
    QCOMPARE(shortBox.height(), 225);
    QCOMPARE(shortBox.Browser()->width(), shortBox.Browser()->fontMetrics().horizontalAdvance(text) + 15);

    CWarnDlg longBox;
    longBox.AdjustWidthToText(QString(400, QLatin1Char('W')));
    QCOMPARE(longBox.width(), 1024);
    QCOMPARE(longBox.Browser()->width(), 1002);
}

void TestWarnDlg::shortTextIsCentred()
{
    CWarnDlg dialog;
    ShowAsWarn(dialog, QStringLiteral("DiskSpace is low."));
    const QFrame* content = dialog.GetContentFrame();
    const QTextBrowser* browser = dialog.Browser();
    QCOMPARE(browser->height(), int(browser->document()->size().height() + 10.0));
    QCOMPARE(browser->x(), content->width() / 2 - browser->width() / 2);
    QCOMPARE(browser->y(), content->height() / 2 - browser->height() / 2);
    QCOMPARE(dialog.height(), 225);
}

void TestWarnDlg::longTextMakesTheBoxTaller()
{
    CWarnDlg dialog;
    QStringList words;
    for (int i = 0; i < 700; ++i)
        words << QStringLiteral("recording");
    ShowAsWarn(dialog, words.join(QLatin1Char(' ')));
    const QFrame* content = dialog.GetContentFrame();
    const QTextBrowser* browser = dialog.Browser();
    QCOMPARE(dialog.width(), 1024);
    QVERIFY2(dialog.height() > 225, qPrintable(QString::number(dialog.height())));
    // The whole text shows: the browser is as tall as the text and lies inside the content frame.
    QCOMPARE(browser->height(), int(browser->document()->size().height() + 10.0));
    QVERIFY(browser->y() >= 0);
    QVERIFY2(
        browser->y() + browser->height() <= content->height(),
        qPrintable(QStringLiteral("%1 + %2 > %3").arg(browser->y()).arg(browser->height()).arg(content->height())));
    QCOMPARE(dialog.Browser()->toPlainText().size(), words.join(QLatin1Char(' ')).size());
}

void TestWarnDlg::textTallerThanTheScreenScrolls()
{
    CWarnDlg dialog;
    QStringList lines;
    for (int i = 0; i < 200; ++i)
        lines << QStringLiteral("Line %1 of a very long report").arg(i);
    ShowAsWarn(dialog, lines.join(QLatin1Char('\n')));
    QCoreApplication::processEvents();
    const int room = dialog.screen()->availableGeometry().height();
    QCOMPARE(dialog.height(), room);
    const QTextBrowser* browser = dialog.Browser();
    QVERIFY(browser->y() + browser->height() <= dialog.GetContentFrame()->height());
    QVERIFY(browser->verticalScrollBar()->maximum() > 0);  // the rest of the text scrolls
}

void TestWarnDlg::warnResults_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("result");
    QTest::newRow("Return accepts, no OK shown") << "return" << 1;
    QTest::newRow("close button") << "close" << 0;
    QTest::newRow("Escape leaves it open") << "escape" << -1;
}

void TestWarnDlg::warnResults()
{
    QFETCH(QString, action);
    QFETCH(int, result);
    CWarnDlg dialog;
    bool open = false;
    bool okShown = true;
    WhenShown(&dialog, [&] {
        okShown = dialog.OkButton()->isVisible() || dialog.BottomFrame()->isVisible();
        if (action == QLatin1String("return"))
            QTest::keyClick(&dialog, Qt::Key_Return);
        else if (action == QLatin1String("close"))
            QTest::mouseClick(dialog.CloseButton(), Qt::LeftButton);
        else
            QTest::keyClick(&dialog, Qt::Key_Escape);
        QTest::qWait(30);
        open = dialog.isVisible();
        if (open)
            dialog.done(9);
    });
    const int r = dialog.ExecWarn(QStringLiteral("Error"), QStringLiteral("DownLoad Exception."));
    QVERIFY(!okShown);
    QCOMPARE(dialog.GetTitle(), QStringLiteral("Error"));
    if (result < 0) {
        QVERIFY(open);
        QCOMPARE(r, 9);
    } else {
        QCOMPARE(r, result);
    }
}

void TestWarnDlg::questionResults()
{
    for (const bool ok : {true, false}) {
        QWidget parent;
        CWarnDlg dialog(&parent);
        WhenShown(&dialog, [&] {
            QVERIFY(dialog.OkButton()->isVisible());
            QVERIFY(dialog.CancelButton()->isVisible());
            QVERIFY(dialog.CloseButton()->isVisible());
            QTest::mouseClick(ok ? dialog.OkButton() : dialog.CancelButton(), Qt::LeftButton);
        });
        QCOMPARE(dialog.ExecQuestion(QStringLiteral("Confirm"), QStringLiteral("Sure to close software")), ok ? 1 : 0);
    }
}

void TestWarnDlg::questionWithoutParent()
{
    CPromptScript script(1);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("not asked")));
    QCOMPARE(CWarnDlg::ShowQuestion(QStringLiteral("Information"), QStringLiteral("Save new settings?"), nullptr), -1);
    // Nothing was shown, but the question is on record.
    QCOMPARE(script.Count(CPrompt::Question), 1);
    QVERIFY(!script.Prompts().first().dialog);
    QCOMPARE(script.Prompts().first().text, QStringLiteral("Save new settings?"));
    for (QWidget* w : QApplication::topLevelWidgets())
        QVERIFY(!qobject_cast<CWarnDlg*>(w));
}

void TestWarnDlg::markupIsShownAsText()
{
    CWarnDlg dialog;
    const QString text = QStringLiteral("Cannot write /tmp/<b>clips</b> & more");
    dialog.SetTitleAndText(QStringLiteral("Error"), text);
    QCOMPARE(dialog.Browser()->toPlainText(), text);
}

void TestWarnDlg::seamRecordsWarningsAndQuestions()
{
    CPromptScript script(0);
    script.Then(1).Then(0);
    QWidget parent;
    QCOMPARE(CWarnDlg::ShowQuestion(QStringLiteral("Confirm"), QStringLiteral("Sure to close software"), &parent), 1);
    QCOMPARE(CWarnDlg::ShowQuestion(QStringLiteral("Information"), QStringLiteral("Save new settings?"), &parent), 0);
    QCOMPARE(CWarnDlg::ShowWarn(QStringLiteral("Error"), QStringLiteral("DownLoad Exception."), nullptr), 0);
    QCOMPARE(script.Texts(CPrompt::Question),
             QStringList({QStringLiteral("Sure to close software"), QStringLiteral("Save new settings?")}));
    QCOMPARE(script.Texts(CPrompt::Warn), QStringList({QStringLiteral("DownLoad Exception.")}));
    QCOMPARE(script.Prompts().at(2).title, QStringLiteral("Error"));
    QCOMPARE(script.Prompts().at(2).className, QStringLiteral("CWarnDlg"));
    QCOMPARE(script.Pending(), 0);
}

QTEST_MAIN(TestWarnDlg)
#include "tst_warndlg.moc"
