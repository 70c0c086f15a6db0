#include "platform/streamfmt/StreamLog.h"

extern "C" {
#include <libavutil/log.h>
}

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

std::atomic<SF_LogHook> g_hook{nullptr};

void Emit(int level, const char* line)
{
    if (const SF_LogHook hook = g_hook.load()) {
        hook(level, line);
    } else if (level >= SF_LOG_WARNING) {
        std::fprintf(stderr, "%s\n", line);
    }
}

void FromFfmpeg(void* context, int level, const char* format, va_list args)
{
    if (level > av_log_get_level())
        return;
    // FFmpeg may build one line from several calls: its prefix comes with the first part only.
    thread_local int printPrefix = 1;
    char line[1024];
    av_log_format_line2(context, level, format, args, line, sizeof line, &printPrefix);
    std::size_t n = std::strlen(line);
    while (n > 0 && (line[n - 1] == '\n' || line[n - 1] == '\r'))
        line[--n] = '\0';
    if (n > 0)
        Emit(level <= AV_LOG_FATAL ? SF_LOG_WARNING : SF_LOG_DEBUG, line);
}

}  // namespace

void SF_SetLogHook(SF_LogHook hook)
{
    g_hook.store(hook);
    av_log_set_callback(hook ? &FromFfmpeg : &av_log_default_callback);
}

void SF_Log(int level, const char* format, ...)
{
    char line[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    Emit(level, line);
}
