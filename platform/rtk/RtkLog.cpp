#include "platform/rtk/RtkLog.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>

namespace {

std::atomic<RTK_LogHook> g_hook{nullptr};

}  // namespace

void RTK_SetLogHook(RTK_LogHook hook)
{
    g_hook.store(hook);
}

void RTK_Log(int level, const char* format, ...)
{
    char line[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    if (const RTK_LogHook hook = g_hook.load()) {
        hook(level, line);
    } else if (level >= RTK_LOG_WARNING) {
        std::fprintf(stderr, "%s\n", line);
    }
}
