#include "playback/Logging.h"

Q_LOGGING_CATEGORY(lcPlayback, "varpen.playback", QtWarningMsg)
