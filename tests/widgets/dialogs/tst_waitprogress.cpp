// The wait dialogs and the progress dialog: ending early, cancelled, at once; the overlay's
// faces; percentages, cancel and progress sent from another thread.
#include "app/ThreadHandOver.h"
#include "widgets/CPushButton.h"
#include "widgets/CProgress.h"
#include "widgets/ChaseDialog.h"
#include "widgets/PromptHook.h"
#include "tests/support/WhenShown.h"

#include <QLabel>
#include <QMovie>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QToolButton>

namespace {
const QString kMovie = QStringLiteral(":/images/Loading.gif");

// Sends progress from its own thread, as the download dialog's table thread does.
class Feeder : public QThread {
    Q_OBJECT
public:
    void run() override
    {
        for (int i = 1; i <= 4; ++i) {
            msleep(20);
            emit Progress(ProgressInfo{i, 4});
        }
        ThreadHandOver::Leave(this);
    }
signals:
    void Progress(ProgressInfo info);
};
}  // namespace

class TestWaitProgress : public QObject {
    Q_OBJECT
private slots:
    void animationIsCompiledIn();
    void finishBeforeExecIsNotLost();
    void finishSurvivesEventsBeforeExec();
    void cancelEmitsOnce();
    void lastOutcomeWins();
    void immediateStop();
    void writingDialogHasNoButtons();
    void overlayFaces();
    void progressTable_data();
    void progressTable();
    void progressCancel();
    void progressAcrossThreads();
    void progressKeysAndZeroStart();
};

void TestWaitProgress::animationIsCompiledIn()
{
    QMovie movie(kMovie);
    QVERIFY(movie.isValid());
    QVERIFY2(movie.frameCount() > 1, qPrintable(QString::number(movie.frameCount())));
    QVERIFY(movie.jumpToFrame(0));
    QCOMPARE(movie.currentImage().size(), QSize(64, 64));
}

void TestWaitProgress::finishBeforeExecIsNotLost()
{
    ChaseDialog dialog(nullptr, kMovie, QStringLiteral("Search..."), true);
    dialog.SetStopChase();
    // Ends the loop three ticks on if the outcome was lost. Timers fire in the order they are
    // due, so on a slow machine both may fire in one pass, the dialog's tick first: the guard
    // leaves a dialog that has already ended alone.
    QTimer guard;
    guard.setSingleShot(true);
    connect(&guard, &QTimer::timeout, &dialog, [&dialog] {
        if (dialog.isVisible())
            dialog.done(-5);
    });
    guard.start(3 * ChaseDialog::kTick_ms);
    QCOMPARE(dialog.exec(), 1);
}

void TestWaitProgress::finishSurvivesEventsBeforeExec()
{
    ChaseDialog dialog(nullptr, kMovie, QStringLiteral("Writing..."), false);
    dialog.SetStopChase();
    // Ticks that run before the modal loop must not eat the outcome.
    QTest::qWait(1200);
    QCOMPARE(dialog.PendingResult(), 1);
    QTimer guard;
    guard.setSingleShot(true);
    connect(&guard, &QTimer::timeout, &dialog, [&dialog] {
        if (dialog.isVisible())
            dialog.done(-5);
    });
    guard.start(3000);
    QCOMPARE(dialog.exec(), 1);
}

void TestWaitProgress::cancelEmitsOnce()
{
    ChaseDialog dialog(nullptr, kMovie, QStringLiteral("Search..."), true);
    QSignalSpy cancel(&dialog, &ChaseDialog::SignalCancel);
    WhenShown(&dialog, [&] {
        QVERIFY(!dialog.OkButton()->isVisible());
        QTest::mouseClick(dialog.CancelButton(), Qt::LeftButton);
    });
    QCOMPARE(dialog.exec(), 0);
    QCOMPARE(cancel.count(), 1);
    QCOMPARE(dialog.size(), QSize(280, 190));
    QCOMPARE(dialog.GetTitle(), QStringLiteral("Search..."));
}

void TestWaitProgress::lastOutcomeWins()
{
    ChaseDialog dialog(nullptr, kMovie, QStringLiteral("Search..."), true);
    QSignalSpy cancel(&dialog, &ChaseDialog::SignalCancel);
    WhenShown(&dialog, [&] {
        dialog.SetStopChase();
        dialog.OnSlotRejectChase();
    });
    QCOMPARE(dialog.exec(), 0);
    QCOMPARE(cancel.count(), 1);
}

void TestWaitProgress::immediateStop()
{
    ChaseDialog dialog(nullptr, kMovie, QStringLiteral("Writing..."), false);
    bool closedAtOnce = false;
    WhenShown(&dialog, [&] {
        dialog.OnImmediatelyStopChase();
        closedAtOnce = !dialog.isVisible() && dialog.result() == 1;
    });
    QCOMPARE(dialog.exec(), 1);
    QVERIFY(closedAtOnce);
}

void TestWaitProgress::writingDialogHasNoButtons()
{
    ChaseDialog dialog(nullptr, kMovie, QStringLiteral("Writing..."), false);
    dialog.show();
    QVERIFY(!dialog.BottomFrame()->isVisible());
    QVERIFY(!dialog.CancelButton()->isVisible());
    QTest::keyClick(&dialog, Qt::Key_Escape);
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.Movie()->state(), QMovie::Running);
}

void TestWaitProgress::overlayFaces()
{
    QWidget page;
    CFakeChaseDialog overlay(&page, kMovie);
    QVERIFY(!overlay.isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(overlay.isVisible(), 1500);  // shows itself at its first tick
    QVERIFY(!overlay.ChaseLabel()->isVisible());
    QVERIFY(!overlay.MovieLabel()->isVisible());
    QVERIFY(!overlay.NoChannelLabel()->isVisible());
    QVERIFY(!overlay.InfoButton()->isVisible());
    overlay.ShowChaseInfo();
    QVERIFY(overlay.ChaseLabel()->isVisible() && overlay.MovieLabel()->isVisible());
    QVERIFY(!overlay.NoChannelLabel()->isVisible() && !overlay.InfoButton()->isVisible());
    QCOMPARE(overlay.ChaseLabel()->text(), QStringLiteral("Searching for channels"));
    overlay.ShowNoChannelInfo();
    QVERIFY(!overlay.ChaseLabel()->isVisible() && !overlay.MovieLabel()->isVisible());
    QVERIFY(overlay.NoChannelLabel()->isVisible() && overlay.InfoButton()->isVisible());
    QVERIFY(!overlay.InfoButton()->isEnabled());

    // It cannot be dragged, and a hidden overlay is not shown again by later ticks.
    const QPoint before = overlay.pos();
    QTest::mousePress(&overlay, Qt::LeftButton, {}, QPoint(5, 5));
    QMouseEvent move(QEvent::MouseMove, QPoint(60, 60), overlay.mapToGlobal(QPoint(60, 60)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&overlay, &move);
    QCOMPARE(overlay.pos(), before);
    overlay.setSize(400, 300);
    QCOMPARE(overlay.size(), QSize(400, 300));
    overlay.hide();
    QTest::qWait(700);
    QVERIFY(!overlay.isVisible());

    // A scan that starts and ends before the first tick: the overlay it closed stays closed.
    CFakeChaseDialog quick(&page, kMovie);
    quick.show();
    quick.ShowChaseInfo();
    quick.close();
    QTest::qWait(700);
    QVERIFY(!quick.isVisible());
}

void TestWaitProgress::progressTable_data()
{
    QTest::addColumn<int>("current");
    QTest::addColumn<int>("total");
    QTest::addColumn<int>("bar");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("1 of 3") << 1 << 3 << 33 << false;
    QTest::newRow("2 of 3") << 2 << 3 << 66 << false;
    QTest::newRow("3 of 3") << 3 << 3 << 100 << true;
    QTest::newRow("7 of 5, clamped") << 7 << 5 << 100 << true;
    QTest::newRow("total 0 ignored") << 5 << 0 << 40 << false;
    QTest::newRow("negative keeps the bar") << -1 << 3 << 40 << false;
    QTest::newRow("huge count") << 2000000000 << 1 << 100 << true;
}

void TestWaitProgress::progressTable()
{
    QFETCH(int, current);
    QFETCH(int, total);
    QFETCH(int, bar);
    QFETCH(bool, accepted);
    CProgress progress;
    int value = -1;
    bool open = false;
    WhenShown(&progress, [&] {
        progress.OnProgressChanged(2, 5);  // 40 first
        progress.OnProgressChanged(current, total);
        value = progress.Bar()->value();
        open = progress.isVisible();
        if (open)
            progress.done(7);
    });
    const int result = progress.exec();
    QCOMPARE(value, bar);
    QCOMPARE(result, accepted ? 1 : 7);
    QCOMPARE(open, !accepted);
}

void TestWaitProgress::progressCancel()
{
    CProgress progress;
    QSignalSpy cancel(&progress, &CProgress::SignalCancel);
    WhenShown(&progress, [&] {
        QVERIFY(!progress.OkButton()->isVisible());
        QTest::mouseClick(progress.CancelButton(), Qt::LeftButton);
    });
    QCOMPARE(progress.exec(), 0);
    QCOMPARE(cancel.count(), 1);
    QCOMPARE(progress.size(), QSize(374, 184));
    QCOMPARE(progress.GetTitle(), QStringLiteral("Progress"));
}

void TestWaitProgress::progressAcrossThreads()
{
    CProgress progress;
    Feeder feeder;
    connect(&feeder, &Feeder::Progress, &progress, qOverload<ProgressInfo>(&CProgress::OnProgressChanged),
            Qt::QueuedConnection);
    // The same through the name the record is registered under.
    QCOMPARE(QMetaType::fromName("ProgressInfo"), QMetaType::fromType<ProgressInfo>());
    QTimer guard;
    guard.setSingleShot(true);
    connect(&guard, &QTimer::timeout, &progress, [&progress] {
        if (progress.isVisible())
            progress.done(-5);
    });
    guard.start(5000);
    WhenShown(&progress, [&] { feeder.start(); });
    QCOMPARE(progress.exec(), 1);
    feeder.wait();
    ThreadHandOver::Joined(&feeder);
    QCOMPARE(progress.Bar()->value(), 100);
}

void TestWaitProgress::progressKeysAndZeroStart()
{
    CProgress progress;
    bool escapeKeptOpen = false;
    WhenShown(&progress, [&] {
        QTest::qWait(250);  // the timer re-applies 0
        QCOMPARE(progress.Bar()->value(), 0);
        QTest::keyClick(&progress, Qt::Key_Escape);
        escapeKeptOpen = progress.isVisible();
        QTest::keyClick(&progress, Qt::Key_Return);
    });
    QCOMPARE(progress.exec(), 1);
    QVERIFY(escapeKeptOpen);
}

QTEST_MAIN(TestWaitProgress)
#include "tst_waitprogress.moc"
