// varpen-gallery [--lang en|zh] [--shots DIR] [NAME...]
// varpen-gallery [--lang en|zh] [--shots DIR] --demo NAME [--sample DIR] [--out DIR]
//   Without --shots: a window that lists every registered widget and demo; choosing one shows it
//   live. With --shots: writes DIR/<name>.png for every widget (or only the NAMEs given) and exits.
//   --demo NAME runs one demo alone (with --shots: its picture once it plays). --sample takes a
//   recording folder written by varpen-sample in place of a new one; --out is where the demos
//   put snapshots, clips and downloads.
#include "tools/varpen-gallery/Gallery.h"

#include "app/WorkerReaper.h"
#include "app/gui/OstraApplication.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPixmap>
#include <QPointer>
#include <QScopeGuard>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <vector>

namespace Gallery {
namespace {
std::vector<Shot>& Shots()
{
    static std::vector<Shot> shots;
    return shots;
}
std::vector<Shot>& DemoList()
{
    static std::vector<Shot> demos;
    return demos;
}
}  // namespace

Register::Register(std::initializer_list<Shot> shots)
{
    for (const Shot& shot : shots)
        Shots().push_back(shot);
}

RegisterDemo::RegisterDemo(std::initializer_list<Shot> demos)
{
    for (const Shot& demo : demos)
        DemoList().push_back(demo);
}

DemoSettings& Demos()
{
    static DemoSettings settings;
    return settings;
}
}  // namespace Gallery

namespace {

int Usage()
{
    std::fprintf(stderr,
                 "usage: varpen-gallery [--lang en|zh] [--shots DIR] [NAME...]\n"
                 "       varpen-gallery [--lang en|zh] [--shots DIR] --demo NAME [--sample DIR] [--out DIR]\n"
                 "demos:");
    for (const Gallery::Shot& demo : Gallery::DemoList())
        std::fprintf(stderr, " %s", qPrintable(demo.name));
    std::fprintf(stderr, "\n");
    return 2;
}

const Gallery::Shot* FindDemo(const QString& name)
{
    for (const Gallery::Shot& demo : Gallery::DemoList()) {
        if (demo.name == name)
            return &demo;
    }
    return nullptr;
}

// A demo writes its sample and starts playing first: the picture is taken once it plays (two
// minutes at most), a moment later.
int WriteDemoShot(const QString& dir, const Gallery::Shot& demo)
{
    QDir().mkpath(dir);
    std::unique_ptr<QWidget> widget(demo.make());
    widget->resize(1200, 800);
    widget->show();
    QElapsedTimer waited;
    waited.start();
    while (!widget->property(Gallery::kDemoReadyProperty).toBool() && waited.elapsed() < 120000) {
        QCoreApplication::processEvents();
        QThread::msleep(20);
    }
    if (!widget->property(Gallery::kDemoReadyProperty).toBool()) {
        std::fprintf(stderr, "%s did not start playing\n", qPrintable(demo.name));
        return 1;
    }
    for (int i = 0; i < 50; ++i) {
        QCoreApplication::processEvents();
        QThread::msleep(20);
    }
    const QString path = dir + QLatin1Char('/') + demo.name + QStringLiteral(".png");
    if (!widget->grab().save(path, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return 1;
    }
    std::printf("%s\n", qPrintable(path));
    return 0;
}

// Lets queued work, layouts and timers of a freshly shown widget settle.
void Settle()
{
    for (int i = 0; i < 5; ++i) {
        QCoreApplication::processEvents();
        QThread::msleep(20);
    }
}

int WriteShots(const QString& dir, const QStringList& only)
{
    QDir().mkpath(dir);
    int written = 0;
    for (const Gallery::Shot& shot : Gallery::Shots()) {
        if (!only.isEmpty() && !only.contains(shot.name))
            continue;
        std::unique_ptr<QWidget> widget(shot.make());
        if (!widget)
            continue;
        widget->show();
        Settle();
        const QString path = dir + QLatin1Char('/') + shot.name + QStringLiteral(".png");
        if (!widget->grab().save(path, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
        std::printf("%s\n", qPrintable(path));
        ++written;
    }
    if (written == 0) {
        std::fprintf(stderr, "no widget matched\n");
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    QString lang = QStringLiteral("en");
    QString shotsDir;
    QString demoName;
    QStringList only;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--lang") && i + 1 < argc)
            lang = QString::fromLocal8Bit(argv[++i]);
        else if (!std::strcmp(argv[i], "--shots") && i + 1 < argc)
            shotsDir = QString::fromLocal8Bit(argv[++i]);
        else if (!std::strcmp(argv[i], "--demo") && i + 1 < argc)
            demoName = QString::fromLocal8Bit(argv[++i]);
        else if (!std::strcmp(argv[i], "--sample") && i + 1 < argc)
            Gallery::Demos().sampleDir = QDir(QString::fromLocal8Bit(argv[++i])).absolutePath();
        else if (!std::strcmp(argv[i], "--out") && i + 1 < argc)
            Gallery::Demos().outputDir = QDir(QString::fromLocal8Bit(argv[++i])).absolutePath();
        else if (argv[i][0] == '-')
            return Usage();
        else
            only << QString::fromLocal8Bit(argv[i]);
    }
    if (lang != QLatin1String("en") && lang != QLatin1String("zh"))
        return Usage();
    const Gallery::Shot* demo = nullptr;
    if (!demoName.isEmpty()) {
        demo = FindDemo(demoName);
        if (!demo || !only.isEmpty())
            return Usage();
    }

    // The language comes from the client setup file: give the gallery a setup of its own.
    QTemporaryDir config;
    if (!config.isValid())
        return 1;
    QFile setup(config.path() + QStringLiteral("/Setup.xml"));
    if (!setup.open(QIODevice::WriteOnly))
        return 1;
    setup.write(QStringLiteral("<Configs><Translator><Value>%1</Value></Translator></Configs>\n")
                    .arg(lang == QLatin1String("zh") ? 1 : 0)
                    .toUtf8());
    setup.close();
    qputenv("VARPEN_CONFIG_DIR", QFile::encodeName(config.path() + QLatin1Char('/')));

    COstraApplication app(argc, argv, QStringLiteral("VarpenGallery-%1").arg(QCoreApplication::applicationPid()));
    app.setQuitOnLastWindowClosed(true);
    // As the program does: what the pages handed to the reaper ends before the application goes.
    const auto joinWorkers = qScopeGuard([] { Varpen::CWorkerReaper::Instance().JoinAll(); });

    if (demo && !shotsDir.isEmpty())
        return WriteDemoShot(shotsDir, *demo);
    if (!shotsDir.isEmpty())
        return WriteShots(shotsDir, only);
    if (demo) {
        std::unique_ptr<QWidget> alone(demo->make());
        alone->setWindowTitle(QStringLiteral("varpen-gallery: ") + demo->name);
        alone->resize(1200, 800);
        alone->show();
        return app.exec();
    }

    QWidget window;
    window.setWindowTitle(QStringLiteral("varpen-gallery"));
    auto* layout = new QHBoxLayout(&window);
    auto* list = new QListWidget(&window);
    auto* stack = new QStackedWidget(&window);
    list->setFixedWidth(240);
    layout->addWidget(list);
    layout->addWidget(stack, 1);
    std::vector<Gallery::Shot> entries = Gallery::Shots();
    entries.insert(entries.end(), Gallery::DemoList().begin(), Gallery::DemoList().end());
    for (const Gallery::Shot& shot : entries)
        list->addItem(shot.name);
    QObject::connect(list, &QListWidget::currentRowChanged, stack, [stack, entries](int row) {
        while (stack->count() > 0) {
            QWidget* old = stack->widget(0);
            stack->removeWidget(old);
            old->deleteLater();
        }
        if (row < 0 || row >= int(entries.size()))
            return;
        if (QWidget* w = entries[size_t(row)].make())
            stack->addWidget(w);
    });
    window.resize(1200, 800);
    window.show();
    if (list->count() > 0)
        list->setCurrentRow(0);
    return app.exec();
}
