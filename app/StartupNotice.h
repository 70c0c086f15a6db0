#pragma once

#include <QString>

#include <functional>

// Shows a start-up message (title and text) and waits until the operator closes it. Used before
// the main window exists. Every notice is also written to the log.
//
// The notice dialog is a small frameless dialog of its own; tests replace the whole notice with
// SetStartupNoticeHandler. With VARPEN_TEST_QUIT_AFTER_MS set, the dialog closes by itself after
// that many milliseconds.
using StartupNoticeHandler = std::function<void(const QString& title, const QString& text)>;

void ShowStartupNotice(const QString& title, const QString& text);
// Replaces the dialog (an empty handler restores it); returns the previous handler.
StartupNoticeHandler SetStartupNoticeHandler(StartupNoticeHandler handler);
