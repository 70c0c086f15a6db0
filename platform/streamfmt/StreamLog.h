// Log lines of the stream format layer and of FFmpeg beneath it; the layer links no Qt. A line
// goes to the hook that the program sets (the engine hands it to the logging category
// "varpen.streamfmt"); with no hook set, a warning goes to the error output and a debug line is
// dropped. While a hook is set, FFmpeg's own lines (on a damaged stream, several per frame) come
// to it as debug lines, its fatal ones as warnings, within FFmpeg's log level (av_log_set_level).
#pragma once

enum SF_LogLevel : int { SF_LOG_DEBUG = 0, SF_LOG_WARNING = 1 };

// Gets one line, without its line end. Called on the thread that logs.
using SF_LogHook = void (*)(int level, const char* line);

// Sets the hook and routes FFmpeg's lines to it; null restores both defaults. Thread-safe.
void SF_SetLogHook(SF_LogHook hook);
// Formats a line as printf does (at most 1023 bytes) and hands it on.
void SF_Log(int level, const char* format, ...) __attribute__((format(printf, 2, 3)));
