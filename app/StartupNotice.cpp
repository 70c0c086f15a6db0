#include "app/StartupNotice.h"

#include <cstdio>
#include <mutex>

namespace {

std::mutex g_handlerLock;
StartupNoticeHandler g_handler;
StartupNoticeHandler g_dialog;

}  // namespace

void ShowStartupNotice(const QString& title, const QString& text)
{
    std::fprintf(stderr, "varpen: notice [%s] %s\n", qPrintable(title), qPrintable(text));
    StartupNoticeHandler handler;
    {
        std::lock_guard<std::mutex> guard(g_handlerLock);
        handler = g_handler ? g_handler : g_dialog;
    }
    if (handler)
        handler(title, text);
}

StartupNoticeHandler SetStartupNoticeHandler(StartupNoticeHandler handler)
{
    std::lock_guard<std::mutex> guard(g_handlerLock);
    StartupNoticeHandler previous = std::move(g_handler);
    g_handler = std::move(handler);
    return previous;
}

StartupNoticeHandler SetStartupNoticeDialog(StartupNoticeHandler dialog)
{
    std::lock_guard<std::mutex> guard(g_handlerLock);
    StartupNoticeHandler previous = std::move(g_dialog);
    g_dialog = std::move(dialog);
    return previous;
}
