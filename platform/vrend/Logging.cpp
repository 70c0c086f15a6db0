#include "platform/vrend/Logging.h"

Q_LOGGING_CATEGORY(lcVrend, "varpen.vrend", QtWarningMsg)
