#include "app/CommonUtil.h"
#include "app/gui/OstraApplication.h"
#include "app/SettingsManager.h"
#include "app/StartupNotice.h"
#include "engine/WorkerReaper.h"
#include "mainwindow/EntryTestScript.h"
#include "mainwindow/SettingsPage.h"
#include "mainwindow/VarpenMainWnd.h"
#include "platform/system/system.h"
#include "widgets/CWarnDlg.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

#include <memory>

namespace {

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

}  // namespace

int main(int argc, char** argv)
{
    auto app = std::make_unique<COstraApplication>(argc, argv, QStringLiteral("Varpen"));
    SetStartupNoticeHandler(ShowStartupNoticeInWarnDlg);
    if (app->IsAlreadyRunning() || app->IsScreenTooSmall())
        return 0;

    // The only read of the settings file. Settings it lacks take their defaults at once, so that
    // snapshots, clips and downloads use the folders the settings page shows from the first start.
    CSettingsManager::Instance()->ReadSettings(CCommonUtil::GetConfigFilePath(QStringLiteral("Settings.xml")));
    SettingsPage::SeedDefaults(*CSettingsManager::Instance());

    auto window = std::make_unique<CVarpenMainWnd>();
    int width_px = 0;
    int height_px = 0;
    Sys_GetScreenSize(&width_px, &height_px);
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize available = screen ? screen->availableGeometry().size() : QSize();
    window->setFixedSize(CVarpenMainWnd::WindowSizeFor(QSize(width_px, height_px), available));

    window->show();
    window->AfterShow();
    CEntryTestScript::FromEnvironment(window.get());
    const int result = app->exec();
    window.reset();
    // The players, clips and streams the pages stopped without waiting end here, before the
    // libraries they use go.
    Varpen::CWorkerReaper::Instance().JoinAll();
    app.reset();
    return result;
}
