#include "devicelog/Logging.h"

Q_LOGGING_CATEGORY(lcDeviceLog, "varpen.devicelog", QtWarningMsg)
