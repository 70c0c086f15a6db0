#pragma once

#include <QString>

#include <functional>

// Shows a start-up message (title and text) and waits until the operator closes it. Used before
// the main window exists. Every notice is also written to the log.
//
// The foundation cannot show the widget kit's dialogs, so the notice is replaceable: the program's
// entry (mainwindow/main.cpp) points it at the kit's message box, CWarnDlg, and tests replace it
// with SetStartupNoticeHandler. Without a handler the foundation's own small frameless dialog
// shows (app/gui/StartupNoticeDialog.h), which the application object puts in place while it
// lives; a program without one (a tool) only writes the notice to the log. With
// VARPEN_TEST_QUIT_AFTER_MS set, either dialog closes by itself after that many milliseconds.
using StartupNoticeHandler = std::function<void(const QString& title, const QString& text)>;

void ShowStartupNotice(const QString& title, const QString& text);
// Replaces the dialog (an empty handler restores it); returns the previous handler.
StartupNoticeHandler SetStartupNoticeHandler(StartupNoticeHandler handler);
// What shows a notice while no handler is set: the foundation's own dialog, given by the
// application object (empty: the log only). Returns the previous one.
StartupNoticeHandler SetStartupNoticeDialog(StartupNoticeHandler dialog);
