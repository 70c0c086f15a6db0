// The program's main window: frameless and of a fixed size, with the title bar, a row of four tab
// buttons ("Playback", "View Log", "Config", "About") and the page stack holding the playback
// page, the log page and the settings page. It asks the settings page's save question when the
// operator leaves that page, keeps the playback page's wait overlay in step with tab changes and
// window moves, and ends the program only after the operator confirms the close.
#pragma once

#include "app/ShutdownStep.h"
#include "devicelog/LocalLogWidget.h"
#include "mainwindow/CSettingsWidget.h"
#include "mainwindow/MainTabs.h"
#include "playback/PlayBackWidget.h"

#include <QMainWindow>
#include <QPointer>
#include <QSize>

class CPushButton;
class CWindowTitle;
class QFrame;
class QGridLayout;
class QSpacerItem;
class QStackedWidget;
class QWidget;

namespace Ui {
struct CVarpenMainWndClass {
    QWidget* centralWidget = nullptr;
    QGridLayout* gridLayout = nullptr;
    QGridLayout* pGridLayout = nullptr;
    QSpacerItem* titleSpacer = nullptr;
    QFrame* pTabFrame = nullptr;
    QGridLayout* gridLayout_4 = nullptr;
    QGridLayout* pGridLayoutFrame = nullptr;
    CPushButton* pBtnPlayBack = nullptr;
    CPushButton* pBtnViewLog = nullptr;
    CPushButton* pBtnConfig = nullptr;
    CPushButton* pBtnAbout = nullptr;
    QSpacerItem* pageSpacer = nullptr;
    void setupUi(QMainWindow* window);
    void retranslateUi(QMainWindow* window);
};
}  // namespace Ui

class CVarpenMainWnd : public QMainWindow {
    Q_OBJECT
public:
    explicit CVarpenMainWnd(QWidget* parent = nullptr, Qt::WindowFlags flags = {});
    ~CVarpenMainWnd() override;

    // Called once right after show(): the playback page's first disk scan.
    void AfterShow();

    // The fixed size of the window on a screen of `screen` pixels: 1250x750 on a screen wider
    // than 4:3, else 950x780; never larger than `available` (the screen less its panels).
    static QSize WindowSizeFor(const QSize& screen, const QSize& available);

    // The pages (each null once a confirmed close has destroyed it), the stack, the form and the
    // title bar, for the entry's test hooks and for tests.
    CPlayBackWidget* PlayBackPage() const { return m_pPlayBackWidget; }
    CLocalLogWidget* LogPage() const { return m_pLocalLogWidget; }
    CSettingsWidget* SettingsPage() const { return m_pSettingsWidget; }
    QStackedWidget* Stack() const { return m_pStackedWidget; }
    const Ui::CVarpenMainWndClass& Form() const { return m_ui; }
    CWindowTitle* Title() const { return m_pTitle; }
    int CurrentPage() const { return m_tabs.CurrentPage(); }
    // A close was confirmed: the pages are going (the quit comes after the last one).
    bool IsClosing() const { return m_closing; }
    // What the last save question ended in (NotAsked when none was asked).
    SaveQuestionResult LastSaveQuestion() const { return m_lastSaveQuestion; }

public slots:
    void OnBtnClickedPlayBack();
    void OnBtnClicekdViewLog();
    void OnBtnClicekdConfig();
    void OnBtnClickedAbout();

protected:
    void moveEvent(QMoveEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void InitUi();
    void CheckSaveSettings();
    void Press(MainTabs::Button button);
    void UpdateTabLooks();
    void StopPageWorkers();
    void DestroyPages();
    // One turn of a confirmed close: pieces of the pages' shut-down for a few milliseconds, then
    // back to the event loop.
    void ContinueClose();
    Varpen::ShutdownStep NextClosePiece();
    void ChooseFirstOfferedDisk();

    static constexpr unsigned kFirstOfferedDisk = 1000;
    // A turn of the close gives the event loop back after this long; a page waiting for its
    // workers to end is asked again after the other.
    static constexpr int kCloseTurn_ms = 3;
    static constexpr int kCloseRetry_ms = 5;

    Ui::CVarpenMainWndClass m_ui;
    QPointer<CPlayBackWidget> m_pPlayBackWidget;
    QPointer<CLocalLogWidget> m_pLocalLogWidget;
    QPointer<CSettingsWidget> m_pSettingsWidget;
    QStackedWidget* m_pStackedWidget = nullptr;
    CWindowTitle* m_pTitle = nullptr;
    MainTabs::CTabState m_tabs;
    SaveQuestionResult m_lastSaveQuestion = SaveQuestionResult::NotAsked;
    bool m_closing = false;  // a close was confirmed: the pages are going
};
