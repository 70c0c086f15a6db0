#include "platform/system/Logging.h"

Q_LOGGING_CATEGORY(lcSystem, "varpen.system", QtWarningMsg)
