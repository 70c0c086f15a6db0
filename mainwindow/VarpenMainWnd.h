#pragma once

#include <QMainWindow>
#include <QSize>

// The program's main window: frameless, of a fixed size. The title bar, the tab buttons and the
// pages are added as they are built.
class CVarpenMainWnd : public QMainWindow {
    Q_OBJECT
public:
    explicit CVarpenMainWnd(QWidget* parent = nullptr, Qt::WindowFlags flags = {});
    ~CVarpenMainWnd() override;

    // Called once right after show().
    void AfterShow();

    // The fixed size of the window on a screen of `screen` pixels: 1250x750 on a screen wider
    // than 4:3, else 950x780; never larger than `available` (the screen less its panels).
    static QSize WindowSizeFor(const QSize& screen, const QSize& available);

private:
    void InitUi();
};
