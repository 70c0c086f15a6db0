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

// Live demos: widgets that play real recordings. The live window lists them after the shots,
// --demo NAME runs one alone; --shots pictures them only when asked for with --demo.
struct RegisterDemo {
    RegisterDemo(std::initializer_list<Shot> demos);
};

// What the demos work on, from the command line: a recording folder written by varpen-sample
// (empty: the demo writes one into a temporary folder) and the folder for snapshots, clips and
// downloads (empty: a temporary folder).
struct DemoSettings {
    QString sampleDir;
    QString outputDir;
};
DemoSettings& Demos();

// A demo sets this property on its widget once it plays; --shots waits for it.
inline constexpr const char* kDemoReadyProperty = "galleryDemoReady";

}  // namespace Gallery
