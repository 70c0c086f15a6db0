#include "platform/diskrec/Logging.h"

Q_LOGGING_CATEGORY(lcDiskRec, "varpen.diskrec", QtWarningMsg)
