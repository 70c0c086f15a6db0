#include "mainwindow/VarpenMainWnd.h"

#include <QWidget>

CVarpenMainWnd::CVarpenMainWnd(QWidget* parent, Qt::WindowFlags flags) : QMainWindow(parent, flags)
{
    setObjectName(QStringLiteral("CVarpenMainWndClass"));
    setFixedSize(1024, 768);
    InitUi();
}

CVarpenMainWnd::~CVarpenMainWnd() = default;

void CVarpenMainWnd::InitUi()
{
    setWindowTitle(tr("DarizArevudud"));
    setStyleSheet(QString::fromUtf8("QMainWindow#CVarpenMainWndClass{border-image:url(\":/images/Dialog/dialog_bg2.png\") 58;\n"
                                    "border-width:58;}"));
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowSystemMenuHint);
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("centralWidget"));
    setCentralWidget(central);
}

void CVarpenMainWnd::AfterShow() {}

QSize CVarpenMainWnd::WindowSizeFor(const QSize& screen, const QSize& available)
{
    QSize size(950, 780);
    if (screen.width() > 0 && double(screen.height()) / double(screen.width()) < 0.75)
        size = QSize(1250, 750);
    if (available.isValid())
        size = size.boundedTo(available);
    return size;
}
