// Shots of the application frame: the style sheet's look of plain widgets.
#include "tools/varpen-gallery/Gallery.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>

namespace {

QWidget* StyleSample()
{
    auto* w = new QWidget;
    auto* layout = new QVBoxLayout(w);
    layout->addWidget(new QLabel(QObject::tr("Information")));
    auto* bar = new QProgressBar;
    bar->setValue(40);
    layout->addWidget(bar);
    layout->addWidget(new QPushButton(QObject::tr("OK")));
    w->resize(320, 140);
    return w;
}

const Gallery::Register kAppShots{{QStringLiteral("style-sample"), StyleSample}};

}  // namespace
