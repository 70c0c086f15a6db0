// varpen-gallery [--lang en|zh] [--shots DIR] [NAME...]
//   Without --shots: a window that lists every registered widget; choosing one shows it live.
//   With --shots: writes DIR/<name>.png for every widget (or only the NAMEs given) and exits.
#include "tools/varpen-gallery/Gallery.h"

#include "app/OstraApplication.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPixmap>
#include <QPointer>
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
} // namespace

Register::Register(std::initializer_list<Shot> shots)
{
    for (const Shot& shot : shots)
        Shots().push_back(shot);
}
} // namespace Gallery

namespace {

int Usage()
{
    std::fprintf(stderr, "usage: varpen-gallery [--lang en|zh] [--shots DIR] [NAME...]\n");
    return 2;
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

} // namespace

int main(int argc, char** argv)
{
    QString lang = QStringLiteral("en");
    QString shotsDir;
    QStringList only;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--lang") && i + 1 < argc)
            lang = QString::fromLocal8Bit(argv[++i]);
        else if (!std::strcmp(argv[i], "--shots") && i + 1 < argc)
            shotsDir = QString::fromLocal8Bit(argv[++i]);
        else if (argv[i][0] == '-')
            return Usage();
        else
            only << QString::fromLocal8Bit(argv[i]);
    }
    if (lang != QLatin1String("en") && lang != QLatin1String("zh"))
        return Usage();

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

    if (!shotsDir.isEmpty())
        return WriteShots(shotsDir, only);

    QWidget window;
    window.setWindowTitle(QStringLiteral("varpen-gallery"));
    auto* layout = new QHBoxLayout(&window);
    auto* list = new QListWidget(&window);
    auto* stack = new QStackedWidget(&window);
    list->setFixedWidth(240);
    layout->addWidget(list);
    layout->addWidget(stack, 1);
    for (const Gallery::Shot& shot : Gallery::Shots())
        list->addItem(shot.name);
    QObject::connect(list, &QListWidget::currentRowChanged, stack, [stack](int row) {
        while (stack->count() > 0) {
            QWidget* old = stack->widget(0);
            stack->removeWidget(old);
            old->deleteLater();
        }
        if (row < 0 || row >= int(Gallery::Shots().size()))
            return;
        if (QWidget* w = Gallery::Shots()[size_t(row)].make())
            stack->addWidget(w);
    });
    window.resize(1200, 800);
    window.show();
    if (list->count() > 0)
        list->setCurrentRow(0);
    return app.exec();
}
