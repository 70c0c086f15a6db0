#pragma once
// The system layer: free space of folders, the screen's size and the machine's disks.
// Every call is thread-safe unless it says otherwise.

#include <cstdint>

// Free space: asks the nearest existing folder of path (the folders of an output path are often
// created later). free_bytes is what the calling user may still write; total_bytes the volume's
// size. Either pointer may be null. false when no folder of the path can be asked.
using FreeSpaceFn = bool (*)(const char* path, uint64_t* free_bytes, uint64_t* total_bytes);
bool Sys_QueryFreeSpace(const char* path, uint64_t* free_bytes, uint64_t* total_bytes);
// Replaces the free-space query (for tests); null restores the real one.
void Sys_SetFreeSpaceFunction(FreeSpaceFn fn);
// The real query (statvfs on the nearest existing folder), also while a replacement is set.
bool Sys_StatFreeSpace(const char* path, uint64_t* free_bytes, uint64_t* total_bytes);

// The primary screen's size in logical pixels; call on the GUI thread. Needs a QGuiApplication;
// false without one or without a screen.
bool Sys_GetScreenSize(int* width_px, int* height_px);
