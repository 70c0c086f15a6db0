#include "mainwindow/Logging.h"

Q_LOGGING_CATEGORY(lcMainWindow, "varpen.mainwindow", QtWarningMsg)
