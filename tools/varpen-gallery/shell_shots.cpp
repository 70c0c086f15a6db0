// Shots of the program shell: the settings page, the about box and the title bar.
#include "tools/varpen-gallery/Gallery.h"

#include "mainwindow/CDlgAbout.h"
#include "mainwindow/CSettingsWidget.h"
#include "mainwindow/CWindowTitle.h"

#include <QVBoxLayout>
#include <QWidget>

namespace {

QWidget* SettingsPageShot()
{
    auto* page = new CSettingsWidget;
    page->resize(802, 420);
    return page;
}

QWidget* AboutShot()
{
    return new CDlgAbout(nullptr);
}

// The bar across a window's top, as the main window holds it.
QWidget* TitleShot()
{
    auto* w = new QWidget;
    auto* layout = new QVBoxLayout(w);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new CWindowTitle(w));
    w->resize(950, 36);
    return w;
}

const Gallery::Register kShellShots{
    {QStringLiteral("CSettingsWidget"), SettingsPageShot},
    {QStringLiteral("CDlgAbout"), AboutShot},
    {QStringLiteral("CWindowTitle"), TitleShot},
};

}  // namespace
