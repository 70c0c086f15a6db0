// The logging category of the recording access and playback engine: its debug lines are off by
// default and show with QT_LOGGING_RULES="varpen.engine.debug=true" (or "varpen.*.debug=true" for
// every layer); its warnings always show.
#pragma once

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcEngine)
