#pragma once

#include <QString>

// The foundation's own start-up notice: a small frameless dialog with the title, the text and
// an "OK" button, shown modally. COstraApplication installs it as the notice's dialog
// (SetStartupNoticeDialog, app/StartupNotice.h) while it lives. With VARPEN_TEST_QUIT_AFTER_MS
// set it closes by itself after that many milliseconds.
void ShowStartupNoticeDialog(const QString& title, const QString& text);
