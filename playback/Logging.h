// The logging category of the playback page: its debug lines are off by default and show with
// QT_LOGGING_RULES="varpen.playback.debug=true" (or "varpen.*.debug=true" for every layer); its
// warnings always show.
#pragma once

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcPlayback)
