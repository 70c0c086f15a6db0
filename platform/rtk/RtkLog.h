// Log lines of the runtime layer, which links no Qt. A line goes to the hook that the program sets
// (the engine hands it to the logging category "varpen.rtk"); with no hook set, a warning goes to
// the error output and a debug line is dropped.
#pragma once

enum RTK_LogLevel : int { RTK_LOG_DEBUG = 0, RTK_LOG_WARNING = 1 };

// Gets one line, without its line end. Called on the thread that logs.
using RTK_LogHook = void (*)(int level, const char* line);

// Sets the hook; null restores the default. Thread-safe.
void RTK_SetLogHook(RTK_LogHook hook);
// Formats a line as printf does (at most 1023 bytes) and hands it on.
void RTK_Log(int level, const char* format, ...) __attribute__((format(printf, 2, 3)));
