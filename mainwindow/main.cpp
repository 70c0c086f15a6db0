#include "app/CommonUtil.h"
#include "app/OstraApplication.h"
#include "app/SettingsManager.h"
#include "app/StartupNotice.h"
#include "mainwindow/VarpenMainWnd.h"
#include "platform/system/system.h"
#include "widgets/CWarnDlg.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

#include <cstdio>
#include <memory>

namespace {

// Test hook: with VARPEN_TEST_QUIT_AFTER_MS set, the program reports its window when shown and
// again before it quits, optionally saves a picture of the screen to VARPEN_TEST_SCREENSHOT, and
// quits after that many milliseconds.
void ArmTestQuit(const CVarpenMainWnd& window)
{
    bool ok = false;
    const int quitAfter_ms = qEnvironmentVariableIntValue("VARPEN_TEST_QUIT_AFTER_MS", &ok);
    if (!ok || quitAfter_ms < 0)
        return;
    std::fprintf(stderr, "varpen: started %dx%d\n", window.width(), window.height());
    QTimer::singleShot(quitAfter_ms, qApp, [&window] {
        std::fprintf(stderr, "varpen: window shown %dx%d visible=%d\n", window.width(), window.height(),
                     window.isVisible() ? 1 : 0);
        const QString shot = qEnvironmentVariable("VARPEN_TEST_SCREENSHOT");
        if (!shot.isEmpty() && QGuiApplication::primaryScreen())
            QGuiApplication::primaryScreen()->grabWindow(0).save(shot);
        QCoreApplication::quit();
    });
}

// The start-up notices ("Software is already running.", "The least resolution is 1024*768.")
// show in the kit's message box. With VARPEN_TEST_QUIT_AFTER_MS set it closes by itself after that
// many milliseconds.
void ShowStartupNoticeInWarnDlg(const QString& title, const QString& text)
{
    CWarnDlg dialog(nullptr);
    bool ok = false;
    const int closeAfter_ms = qEnvironmentVariableIntValue("VARPEN_TEST_QUIT_AFTER_MS", &ok);
    if (ok && closeAfter_ms >= 0)
        QTimer::singleShot(closeAfter_ms, &dialog, [&dialog] { dialog.done(QDialog::Accepted); });
    dialog.ExecWarn(title, text);
}

} // namespace

int main(int argc, char** argv)
{
    auto app = std::make_unique<COstraApplication>(argc, argv, QStringLiteral("Varpen"));
    SetStartupNoticeHandler(ShowStartupNoticeInWarnDlg);
    if (app->IsAlreadyRunning() || app->IsScreenTooSmall())
        return 0;

    CSettingsManager::Instance()->ReadSettings(CCommonUtil::GetConfigFilePath(QStringLiteral("Settings.xml")));

    auto window = std::make_unique<CVarpenMainWnd>();
    int width_px = 0;
    int height_px = 0;
    Sys_GetScreenSize(&width_px, &height_px);
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize available = screen ? screen->availableGeometry().size() : QSize();
    window->setFixedSize(CVarpenMainWnd::WindowSizeFor(QSize(width_px, height_px), available));

    window->show();
    window->AfterShow();
    ArmTestQuit(*window);
    const int result = app->exec();
    window.reset();
    app.reset();
    return result;
}
