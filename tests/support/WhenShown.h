// Drives a modal dialog from inside its own loop: the action runs once the dialog is shown, that
// is once exec() has started its loop.
#pragma once

#include <QDialog>
#include <QTimer>

#include <functional>

// Runs `action` once the modal loop of `dialog` is running (polled every 10 ms on the loop).
inline void WhenShown(QDialog* dialog, std::function<void()> action)
{
    auto* timer = new QTimer(dialog);  // owned by the dialog
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, dialog, [dialog, timer, action] {
        if (!dialog->isVisible())
            return;
        timer->stop();
        action();
    });
    timer->start();
}
