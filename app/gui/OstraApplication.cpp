#include "app/gui/OstraApplication.h"

#include "app/ClientSetup.h"
#include "app/CommonUtil.h"
#include "app/Logging.h"
#include "app/StartupNotice.h"
#include "app/gui/OstraStyle.h"
#include "app/gui/StartupNoticeDialog.h"
#include "platform/system/system.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QLockFile>
#include <QStandardPaths>

COstraApplication::COstraApplication(int& argc, char** argv, QString key)
    : QApplication(argc, argv), m_key(std::move(key))
{
    // From here on a start-up notice without a handler shows in the foundation's own dialog.
    m_previousNoticeDialog = SetStartupNoticeDialog(ShowStartupNoticeDialog);
    setQuitOnLastWindowClosed(false);

    QFont font(QStringLiteral("Arial"), 9);
    font.setStyleHint(QFont::SansSerif, QFont::PreferAntialias);
    QApplication::setFont(font);

    QApplication::setStyle(new COstraStyle);
    QFile sheet(QStringLiteral(":/qss/Varpen.qss"));
    if (sheet.open(QIODevice::ReadOnly))
        setStyleSheet(QString::fromLatin1(sheet.readAll()));
    else
        setStyleSheet(QString());

    QCoreApplication::addLibraryPath(QStringLiteral("%1%2plugins").arg(applicationDirPath(), QStringLiteral("/")));

    GetClientSetup()->LoadConfig(CCommonUtil::GetConfigFilePath(QStringLiteral("Setup.xml")));
    if (const ClientLanguageProperty* language = GetLanguageManager()->GetCurrentLanguage()) {
        if (language->GetAppTranslator())
            QCoreApplication::installTranslator(language->GetAppTranslator());
        if (language->GetQtTranslator())
            QCoreApplication::installTranslator(language->GetQtTranslator());
    }

    // Tool tips of the kit (class CToolLabel) use a 10-point face of the application font.
    QFont toolTipFont;
    toolTipFont.setPointSize(10);
    QApplication::setFont(toolTipFont, "CToolLabel");

    // One running copy: a lock file holding this process's id. A copy that crashed or was
    // killed leaves a lock whose process is gone, which the next start takes over.
    const QString lockPath = LockFilePath(m_key);
    QDir().mkpath(QFileInfo(lockPath).absolutePath());
    m_lock = std::make_unique<QLockFile>(lockPath);
    if (m_lock->tryLock(0)) {
        m_alreadyRunning = false;
    } else if (m_lock->error() == QLockFile::LockFailedError) {
        m_alreadyRunning = true;
    } else {
        qCWarning(lcApp) << "Unable to create single instance.";
    }
}

COstraApplication::~COstraApplication()
{
    GetClientSetup()->ClearConfigs();
    m_lock.reset();  // releases the lock when this copy holds it
    SetStartupNoticeDialog(std::move(m_previousNoticeDialog));
}

QString COstraApplication::LockFilePath(const QString& key)
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    return dir + QLatin1Char('/') + key + QStringLiteral(".lock");
}

bool COstraApplication::IsAlreadyRunning()
{
    if (m_alreadyRunning)
        ShowStartupNotice(tr("DarizArevudud"), tr("Software is already running."));
    return m_alreadyRunning;
}

bool COstraApplication::ScreenSizeTooSmall(const QSize& screen)
{
    return screen.width() < 1024 || screen.height() < 768;
}

bool COstraApplication::IsScreenTooSmall()
{
    int width_px = 0;
    int height_px = 0;
    if (!Sys_GetScreenSize(&width_px, &height_px)) {
        qCWarning(lcApp) << "No screen to show the program on.";
        width_px = height_px = 0;
    }
    if (!ScreenSizeTooSmall(QSize(width_px, height_px)))
        return false;
    ShowStartupNotice(tr("DarizArevudud"), tr("The least resolution is 1024*768."));
    return true;
}
