// The gallery shows the program's widgets one by one, for a person to work them or for
// pictures: each area registers its shots in a file of its own here (<area>_shots.cpp) with a
// static Gallery::Register object.
#pragma once

#include <QString>

#include <functional>
#include <initializer_list>

class QWidget;

namespace Gallery {

struct Shot {
    QString name;                    // picture file name without ".png"
    std::function<QWidget*()> make;  // builds the widget, in the state to show; owned by the caller
};

struct Register {
    Register(std::initializer_list<Shot> shots);
};

} // namespace Gallery
