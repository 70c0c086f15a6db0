#include "widgets/Logging.h"

Q_LOGGING_CATEGORY(lcWidgets, "varpen.widgets", QtWarningMsg)
