// Test hooks of the program's entry, for the smoke test and the start-up benchmark: a script of
// steps that works the real window as an operator would (VARPEN_TEST_SCRIPT), and the older
// quit-after hook (VARPEN_TEST_QUIT_AFTER_MS). Each step reports a line "varpen: ..." on the
// error output. Modal boxes are answered the way an operator answers them: the box shows, and
// its own button is pressed.
#pragma once

#include "app/LoopLag.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <QStringList>
#include <QTimer>

class CVarpenMainWnd;

class CEntryTestScript : public QObject {
    Q_OBJECT
public:
    // Steps, separated by commas:
    //   calendar:yyyy-MM  show that month in the calendar (the disk is scanned for it again)
    //   ready             wait until the channel tree lists channels and has been painted
    //   tabs              "View Log", "Config", "About" (the box is closed), then "Playback"
    //   search:yyyy-MM-dd[:N]  tick the first N channels (2 when N is left out) and search that
    //                     day; wait for the bars of each searched window
    //   play              click the first bar of window 1; wait until it plays, or until it has
    //                     said why it cannot ("varpen: play refused: TEXT"; the script goes on)
    //   sync              synchronous playback on over every bound window, then the click of play;
    //                     wait until each window plays or has stopped with an error
    //   download          window 1's download dialog, every row ticked, started; wait until the
    //                     job has ended ("varpen: download done D failed F")
    //   lag               "varpen: lag worst_ms W p99_ms P": how late the event loop has run since
    //                     the script started (CLoopLag)
    //   clip:SECONDS      press window 1's clip button, let it play SECONDS, press it again; prints
    //                     "clip PATH shown <time> to <time>" (the file written, the pictures shown at
    //                     the two presses), or fails with the station's message
    //   shot:NAME         with VARPEN_TEST_SHOTS set, a picture of the screen as NAME.png there
    //   close             the title bar's close button, "Sure to close software" answered yes
    // No step waits on the GUI thread: each is polled by a timer until it is done.
    // A failed step reports "varpen: step NAME FAILED: why" and ends the program with exit code 3.
    CEntryTestScript(CVarpenMainWnd* window, const QStringList& steps);

    // Arms the hooks the environment asks for (the quit-after hook too); null without a script.
    static CEntryTestScript* FromEnvironment(CVarpenMainWnd* window);

private:
    void Next();
    void Poll();
    void Fail(const QString& why);
    void Done();
    void AnswerModal();
    void SaveShot(const QString& name);

    bool StepReady();
    bool StepTabs();
    bool StepCalendar(const QString& month);
    bool StepSearch(const QString& argument);
    bool StepPlay();
    bool StepSync();
    bool StepDownload();
    bool StepLag();
    bool StepClip(const QString& seconds);
    bool StepClose();

    CVarpenMainWnd* m_window;
    QStringList m_steps;
    QString m_step;
    int m_phase = 0;
    int m_polls = 0;
    bool m_painted = false;
    qint64 m_clicked = 0;   // the time the play step clicked
    qint64 m_saidMark = 0;  // the count of texts said when the running step acted
    int m_ticked = 0;       // rows the download step ticked
    CLoopLag m_lag;
    qint64 m_clipShown_ms = -1;  // the picture shown when the clip step pressed the button first
    qint64 m_clipStopShown_ms = -1;  // the picture shown when it pressed the button again
    QElapsedTimer m_clipTimer;
    bool m_busy = false;  // a step is running (it may run a modal loop)
    QPointer<QWidget> m_modalSeen;
    QTimer m_poll;
    QTimer m_modal;
};

// The quit-after hook: prints when the window is shown, then after `quitAfter_ms` optionally saves
// a picture of the screen (VARPEN_TEST_SCREENSHOT) and closes the window through its confirmation.
void ArmTestQuit(CVarpenMainWnd* window);
