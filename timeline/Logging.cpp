#include "timeline/Logging.h"

Q_LOGGING_CATEGORY(lcTimeline, "varpen.timeline", QtWarningMsg)
