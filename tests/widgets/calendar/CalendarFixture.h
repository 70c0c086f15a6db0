// Small helpers shared by the calendar tests: cells by date, mouse events with held buttons,
// and the language chosen through the client setup.
#pragma once

#include "app/ClientSetup.h"
#include "widgets/CalendarModel.h"
#include "widgets/CalendarView.h"
#include "widgets/CalendarWidget.h"

#include <QApplication>
#include <QFile>
#include <QMouseEvent>
#include <QPointingDevice>
#include <QTemporaryDir>
#include <QWheelEvent>

namespace CalendarFixture {

inline QModelIndex CellIndex(const CCalendarModel* model, const QDate& date)
{
    int row = -1;
    int column = -1;
    model->CellForDate(date, &row, &column);
    return model->index(row, column);
}

inline QPoint CellCentre(CCalendarWidget* calendar, const QDate& date)
{
    return calendar->View()->visualRect(CellIndex(calendar->Model(), date)).center();
}

inline void Mouse(QWidget* target, QEvent::Type type, const QPoint& pos, Qt::MouseButton button,
                  Qt::MouseButtons buttons)
{
    QMouseEvent event(type, QPointF(pos), QPointF(target->mapToGlobal(pos)), button, buttons, Qt::NoModifier,
                      QPointingDevice::primaryPointingDevice());
    QApplication::sendEvent(target, &event);
}

// A left-button press on one day, a move with the button held and a release on another.
inline void Drag(CCalendarWidget* calendar, const QDate& from, const QDate& to)
{
    QWidget* viewport = calendar->View()->viewport();
    Mouse(viewport, QEvent::MouseButtonPress, CellCentre(calendar, from), Qt::LeftButton, Qt::LeftButton);
    Mouse(viewport, QEvent::MouseMove, CellCentre(calendar, to), Qt::NoButton, Qt::LeftButton);
    Mouse(viewport, QEvent::MouseButtonRelease, CellCentre(calendar, to), Qt::LeftButton, Qt::NoButton);
}

// A press and a release on one day, without a move between them.
inline void Click(CCalendarWidget* calendar, const QDate& day)
{
    QWidget* viewport = calendar->View()->viewport();
    Mouse(viewport, QEvent::MouseButtonPress, CellCentre(calendar, day), Qt::LeftButton, Qt::LeftButton);
    Mouse(viewport, QEvent::MouseButtonRelease, CellCentre(calendar, day), Qt::LeftButton, Qt::NoButton);
}

inline void Wheel(QWidget* target, int delta)
{
    const QPointF pos(target->width() / 2, target->height() / 2);
    QWheelEvent event(pos, target->mapToGlobal(pos), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &event);
}

// The program finds its translations beside itself; the tests run from tests-bin/.
inline void LinkTranslations()
{
    const QString build = qEnvironmentVariable("VARPEN_BUILD_DIR");
    QFile::link(build + QStringLiteral("/bin/translations"), build + QStringLiteral("/tests-bin/translations"));
}

// Makes the client setup choose a language (0 English, 1 Chinese) for widgets built from now on.
inline bool ChooseLanguage(int translator)
{
    QTemporaryDir dir;
    if (!dir.isValid())
        return false;
    QFile file(dir.filePath(QStringLiteral("Setup.xml")));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(QStringLiteral("<Configs><Translator><Value>%1</Value></Translator>"
                              "<VersionType><Value>1</Value></VersionType></Configs>")
                   .arg(translator)
                   .toUtf8());
    file.close();
    GetClientSetup()->ClearConfigs();
    return GetClientSetup()->LoadConfig(file.fileName());
}

}  // namespace CalendarFixture
