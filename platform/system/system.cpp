#include "platform/system/system.h"

#include <atomic>
#include <cerrno>
#include <string>

#include <sys/statvfs.h>

#include <QGuiApplication>
#include <QRect>
#include <QScreen>

namespace {

std::atomic<FreeSpaceFn> g_freeSpaceFn{nullptr};

// The path without its last component ("/a/b/c" -> "/a/b", "a" -> ".", "/a" -> "/").
std::string ParentOf(const std::string& path)
{
    std::string p = path;
    while (p.size() > 1 && p.back() == '/')
        p.pop_back();
    const size_t slash = p.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return p.substr(0, slash);
}

}  // namespace

bool Sys_StatFreeSpace(const char* path, uint64_t* free_bytes, uint64_t* total_bytes)
{
    if (!path || !*path)
        return false;
    std::string current = path;
    for (;;) {
        struct statvfs st {};
        if (::statvfs(current.c_str(), &st) == 0) {
            if (free_bytes)
                *free_bytes = uint64_t(st.f_bavail) * uint64_t(st.f_frsize);
            if (total_bytes)
                *total_bytes = uint64_t(st.f_blocks) * uint64_t(st.f_frsize);
            return true;
        }
        // Only a missing folder sends us up the tree; a refusal or an I/O error is an answer.
        if (errno != ENOENT && errno != ENOTDIR)
            return false;
        const std::string parent = ParentOf(current);
        if (parent == current)
            return false;
        current = parent;
    }
}

bool Sys_QueryFreeSpace(const char* path, uint64_t* free_bytes, uint64_t* total_bytes)
{
    const FreeSpaceFn fn = g_freeSpaceFn.load();
    return fn ? fn(path, free_bytes, total_bytes) : Sys_StatFreeSpace(path, free_bytes, total_bytes);
}

void Sys_SetFreeSpaceFunction(FreeSpaceFn fn)
{
    g_freeSpaceFn.store(fn);
}

bool Sys_FreeSpaceReplaced()
{
    return g_freeSpaceFn.load() != nullptr;
}

bool Sys_GetScreenSize(int* width_px, int* height_px)
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return false;
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return false;
    const QRect geometry = screen->geometry();
    if (width_px)
        *width_px = geometry.width();
    if (height_px)
        *height_px = geometry.height();
    return true;
}
