#include "engine/Logging.h"

#include "platform/rtk/RtkLog.h"
#include "platform/streamfmt/StreamLog.h"

Q_LOGGING_CATEGORY(lcEngine, "varpen.engine", QtWarningMsg)

namespace {

// The layers beneath the engine that link no Qt hand their lines (and FFmpeg's) to categories of
// their own, so that the same logging rules switch them on. Set up with the engine: every program
// that holds engine code gets it before main.
Q_LOGGING_CATEGORY(lcRtk, "varpen.rtk", QtWarningMsg)
Q_LOGGING_CATEGORY(lcStreamFmt, "varpen.streamfmt", QtWarningMsg)

void ToRtk(int level, const char* line)
{
    if (level >= RTK_LOG_WARNING)
        qCWarning(lcRtk, "%s", line);
    else
        qCDebug(lcRtk, "%s", line);
}

void ToStreamFmt(int level, const char* line)
{
    if (level >= SF_LOG_WARNING)
        qCWarning(lcStreamFmt, "%s", line);
    else
        qCDebug(lcStreamFmt, "%s", line);
}

[[maybe_unused]] const bool kHooksSet = (RTK_SetLogHook(&ToRtk), SF_SetLogHook(&ToStreamFmt), true);

}  // namespace
