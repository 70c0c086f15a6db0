#pragma once

#include <QApplication>
#include <QSize>
#include <QString>

#include "app/StartupNotice.h"

#include <memory>

class QLockFile;

// The program's application object. While it is built it sets the font, style, style sheet,
// plug-in path, reads "Setup.xml", installs the translators of the chosen language, and takes
// the one-running-copy lock named by `key`.
class COstraApplication : public QApplication {
    Q_OBJECT
public:
    COstraApplication(int& argc, char** argv, QString key);
    ~COstraApplication() override;

    // Tells the operator and returns true when another copy of the program runs.
    bool IsAlreadyRunning();
    // Tells the operator and returns true when the primary screen is below 1024x768.
    bool IsScreenTooSmall();

    // The rule of IsScreenTooSmall on a given screen size.
    static bool ScreenSizeTooSmall(const QSize& screen);
    // Path of the lock file that marks a running copy for `key`.
    static QString LockFilePath(const QString& key);

private:
    bool m_alreadyRunning = false;
    QString m_key;
    std::unique_ptr<QLockFile> m_lock;
    StartupNoticeHandler m_previousNoticeDialog;  // put back when this object goes
};
