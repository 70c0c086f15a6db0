// Shots of the month calendar and the date-time editor: the calendar with a mark of every kind
// and a dragged run of days, the editor alone, and the editor with its calendar pop-up open.
#include "tools/varpen-gallery/Gallery.h"

#include "widgets/CalendarLabel.h"
#include "widgets/CalendarModel.h"
#include "widgets/CalendarView.h"
#include "widgets/CalendarWidget.h"
#include "widgets/DateTimeEdit.h"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPointingDevice>
#include <QThread>
#include <QVBoxLayout>

namespace {

const QDate kShownDay(2024, 5, 14);

void Settle()
{
    for (int i = 0; i < 5; ++i) {
        QCoreApplication::processEvents();
        QThread::msleep(10);
    }
}

QPoint CellCentre(CCalendarWidget* calendar, const QDate& date)
{
    int row = -1;
    int column = -1;
    calendar->Model()->CellForDate(date, &row, &column);
    return calendar->View()->visualRect(calendar->Model()->index(row, column)).center();
}

void SendMouse(QWidget* target, QEvent::Type type, const QPoint& pos, Qt::MouseButton button, Qt::MouseButtons buttons)
{
    QMouseEvent event(type, QPointF(pos), QPointF(target->mapToGlobal(pos)), button, buttons, Qt::NoModifier,
                      QPointingDevice::primaryPointingDevice());
    QApplication::sendEvent(target, &event);
}

// Days 6 to 16 of May 2024 dragged in a multi-selection calendar, marks of kinds 0 to 3 on
// recording days and a day of kind 4 (a kind without a colour of its own).
QWidget* CalendarWithMarks()
{
    auto* calendar = new CCalendarWidget;
    calendar->SetSelectionMode(CCalendarWidget::MultiSelection);
    calendar->SetValidDateRange(kShownDay, kShownDay);
    calendar->show();
    Settle();
    const int kinds[][2] = {{2, 0}, {3, 0}, {9, 1}, {20, 2}, {21, 3}, {27, 4}, {30, 0}, {31, 0}};
    for (const auto& mark : kinds)
        calendar->SetDateMark(QDate(2024, 5, mark[0]), mark[1]);
    calendar->SetDateMark(QDate(2024, 6, 2), 0);  // a day of the next month on the page
    QWidget* viewport = calendar->View()->viewport();
    const QPoint from = CellCentre(calendar, QDate(2024, 5, 6));
    const QPoint to = CellCentre(calendar, QDate(2024, 5, 16));
    SendMouse(viewport, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    SendMouse(viewport, QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
    SendMouse(viewport, QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
    SendMouse(viewport, QEvent::MouseMove, CellCentre(calendar, QDate(2024, 5, 23)), Qt::NoButton, Qt::NoButton);
    return calendar;
}

QWidget* EditorPanel(CDateTimeEdit** editorOut)
{
    auto* panel = new QWidget;
    panel->setObjectName(QStringLiteral("GalleryPanel"));
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(12, 12, 12, 12);
    auto* editor = new CDateTimeEdit(QDateTime(kShownDay, QTime(8, 30, 0)), panel);
    editor->setFixedWidth(200);
    layout->addWidget(editor);
    layout->addStretch(1);
    *editorOut = editor;
    return panel;
}

QWidget* Editor()
{
    CDateTimeEdit* editor = nullptr;
    QWidget* panel = EditorPanel(&editor);
    panel->resize(224, 60);
    return panel;
}

// The pop-up is a window of its own: its picture is placed into the panel where it opened.
QWidget* EditorWithPopup()
{
    CDateTimeEdit* editor = nullptr;
    QWidget* panel = EditorPanel(&editor);
    panel->resize(224, 260);
    panel->move(40, 40);
    panel->show();
    Settle();
    const QRect arrow(editor->width() - 20, 0, 20, editor->height());
    SendMouse(editor, QEvent::MouseButtonPress, arrow.center(), Qt::LeftButton, Qt::LeftButton);
    Settle();
    CCalendarTimePopup* popup = editor->Popup();
    if (!popup || !popup->isVisible())
        return panel;
    const QPoint at = panel->mapFromGlobal(popup->pos());
    auto* picture = new QLabel(panel);
    picture->setPixmap(popup->grab());
    picture->setGeometry(QRect(at, popup->size()));
    popup->hide();
    picture->show();
    return panel;
}

QWidget* Label()
{
    auto* label = new CCalendarLabel;
    label->setDate(kShownDay);
    return label;
}

const Gallery::Register kCalendarShots{
    {QStringLiteral("kit-calendar-marks-range"), CalendarWithMarks},
    {QStringLiteral("kit-datetimeedit"), Editor},
    {QStringLiteral("kit-datetimeedit-popup"), EditorWithPopup},
    {QStringLiteral("kit-calendar-label"), Label},
};

}  // namespace
