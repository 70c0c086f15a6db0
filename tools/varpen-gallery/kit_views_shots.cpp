// Shots of the kit's views and boxes: a table with the check-box header, a tree, the channel
// tree with its group bars, the disk box open, the volume pop-up and the combo boxes.
#include "tools/varpen-gallery/Gallery.h"

#include "widgets/CComboBoxes.h"
#include "widgets/CDiskTreeBox.h"
#include "widgets/CGroupTreeView.h"
#include "widgets/CTableView.h"
#include "widgets/CTreeView.h"
#include "widgets/CTreeViewModel.h"
#include "widgets/CVolumeButton.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QSlider>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QTreeView>
#include <QVBoxLayout>

namespace {

struct KitViewsShots {
    Q_DECLARE_TR_FUNCTIONS(KitViewsShots)
};

CTreeViewItem* Row(const QStringList& texts, int check)
{
    auto* item = new CTreeViewItem;
    for (int c = 0; c < texts.size(); ++c)
        item->SetData(c, Qt::DisplayRole, texts.at(c));
    item->SetData(0, Qt::CheckStateRole, check);
    return item;
}

QWidget* Table()
{
    auto* view = new CTableView;
    view->SetHeaderLabels({KitViewsShots::tr("File name"), KitViewsShots::tr("Start time"),
                           KitViewsShots::tr("End time"), KitViewsShots::tr("Size")});
    view->model()->setHeaderData(0, Qt::Horizontal, 0, Qt::CheckStateRole);
    QList<CTreeViewItem*> rows;
    const int checks[] = {2, 2, 0, 2, 0, 0};
    for (int i = 0; i < 6; ++i)
        rows << Row({QString("ch%1_20240305%2.mp4").arg(i % 3 + 1, 2, 10, QChar('0')).arg(80000 + i * 1500),
                     QString("2024-03-05 %1:00:00").arg(8 + i, 2, 10, QChar('0')),
                     QString("2024-03-05 %1:59:59").arg(8 + i, 2, 10, QChar('0')), QString("%1 MB").arg(120 + i * 37)},
                    checks[i]);
    view->AppendRow(rows);
    view->model()->setData(view->model()->index(0, 0), 2, Qt::CheckStateRole);  // the box follows the rows
    view->setColumnWidth(0, 210);
    view->setColumnWidth(1, 150);
    view->setColumnWidth(2, 150);
    view->setCurrentIndex(view->model()->index(1, 0));
    view->resize(640, 230);
    return view;
}

QWidget* Tree()
{
    auto* view = new CTreeView;
    view->SetHeaderLabels({KitViewsShots::tr("Channel")});
    auto* model = view->OwnModel();
    model->setHeaderData(0, Qt::Horizontal, 1, Qt::CheckStateRole);
    for (int g = 0; g < 2; ++g) {
        model->InsertItems(g, {Row({KitViewsShots::tr("Recorder %1").arg(g + 1)}, 0)});
        QList<CTreeViewItem*> channels;
        for (int c = 0; c < 4; ++c)
            channels << Row({KitViewsShots::tr("Camera %1").arg(g * 4 + c + 1, 2, 10, QChar('0'))}, 0);
        model->InsertItems(0, channels, model->index(g, 0));
    }
    view->expandAll();
    model->setData(model->index(1, 0, model->index(0, 0)), 2, Qt::CheckStateRole);
    model->setData(model->index(2, 0, model->index(0, 0)), 2, Qt::CheckStateRole);
    model->setData(model->index(1, 0), 2, Qt::CheckStateRole);
    view->resize(260, 320);
    return view;
}

QWidget* ChannelTree()
{
    auto* view = new CGroupTreeView;
    auto* model = new QStandardItemModel(view);
    const int groups[] = {4, 3, 2};
    for (int g = 0; g < 3; ++g) {
        auto* group = new QStandardItem(KitViewsShots::tr("Disk channels %1").arg(g + 1));
        group->setCheckable(true);
        group->setCheckState(g == 0 ? Qt::PartiallyChecked : Qt::Unchecked);
        for (int c = 0; c < groups[g]; ++c) {
            auto* channel = new QStandardItem(KitViewsShots::tr("Channel %1").arg(c + 1, 2, 10, QChar('0')));
            channel->setCheckable(true);
            channel->setCheckState(g == 0 && c < 2 ? Qt::Checked : Qt::Unchecked);
            group->appendRow(channel);
        }
        model->appendRow(group);
    }
    view->setModel(model);
    view->collapse(model->index(2, 0));
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view->setCurrentIndex(model->index(1, 0, model->index(0, 0)));
    view->resize(220, 360);
    return view;
}

// The disk box with its pop-up drawn open below it (the real pop-up is a window of its own).
QWidget* DiskBox()
{
    static QTemporaryDir disks;
    const QString folder = disks.filePath(KitViewsShots::tr("NVR copy (2024-03-05)"));
    QDir().mkpath(folder + "/RecordFile");
    QFile image(disks.filePath("recorder.img"));
    if (image.open(QIODevice::WriteOnly))
        image.write("VPRDISK1");
    image.close();
    const QByteArray old = qgetenv("VARPEN_EXTRA_DISKS");
    qputenv("VARPEN_EXTRA_DISKS", (image.fileName() + ":" + folder).toUtf8());
    auto* w = new QWidget;
    auto* layout = new QVBoxLayout(w);
    layout->setSpacing(0);
    auto* box = new CDiskTreeBox(w);
    qputenv("VARPEN_EXTRA_DISKS", old);
    layout->addWidget(box);
    auto* open = new QTreeView(w);
    open->setHeaderHidden(true);
    open->setModel(box->model());
    open->expandAll();
    open->setCurrentIndex(box->model()->index(box->model()->rowCount() - 1, 0));
    layout->addWidget(open);
    w->resize(420, 260);
    return w;
}

QWidget* VolumePopup()
{
    auto* w = new QWidget;
    w->resize(120, 200);
    auto* button = new CVolumeButton(w);
    button->SetIcon(QIcon(":/images/public/Volume/BigOpenSound.png"));
    button->setIconSize(QSize(40, 32));
    button->setGeometry(38, 160, 43, 35);
    // The pop-up as it stands above its button, drawn inside the shot.
    auto* popup = new CVolumeWidget(w);
    popup->setWindowFlags(Qt::Widget);
    popup->MuteButton()->setIcon(QIcon(":/images/public/Volume/BigOpenSound.png"));
    popup->Slider()->setEnabled(true);
    popup->Slider()->setValue(40000);
    popup->move(38 + (43 - 27) / 2, 160 - 128);
    popup->show();
    return w;
}

QWidget* Combos()
{
    auto* w = new QWidget;
    auto* layout = new QGridLayout(w);
    auto* plain = new CComboBox(w);
    plain->addItems({"JPEG", "BMP", "PNG"});
    layout->addWidget(new QLabel(KitViewsShots::tr("Snapshot format"), w), 0, 0);
    layout->addWidget(plain, 0, 1);
    auto* sizes = new CComboBox(w);
    sizes->addItems({"128 MB", "256 MB", "512 MB", "1024 MB"});
    sizes->setCurrentIndex(2);
    layout->addWidget(new QLabel(KitViewsShots::tr("Package size"), w), 1, 0);
    layout->addWidget(sizes, 1, 1);
    auto* tree = new TreeBox(w);
    auto* model = new QStandardItemModel(tree);
    auto* parent = new QStandardItem(KitViewsShots::tr("Recorder 1"));
    parent->appendRow(new QStandardItem(KitViewsShots::tr("Camera 01")));
    model->appendRow(parent);
    tree->setModel(model);
    tree->ExpandAll();
    layout->addWidget(new QLabel(KitViewsShots::tr("Tree box"), w), 2, 0);
    layout->addWidget(tree, 2, 1);
    auto* schedule = new CScheduleComBoBox(w);
    schedule->addItem(KitViewsShots::tr("Every day"));
    layout->addWidget(new QLabel(KitViewsShots::tr("Schedule"), w), 3, 0);
    layout->addWidget(schedule, 3, 1);
    w->resize(360, 170);
    return w;
}

const Gallery::Register kKitViewsShots{
    {QStringLiteral("views-table"), Table},
    {QStringLiteral("views-tree"), Tree},
    {QStringLiteral("views-channel-tree"), ChannelTree},
    {QStringLiteral("views-disk-box"), DiskBox},
    {QStringLiteral("views-volume-popup"), VolumePopup},
    {QStringLiteral("views-combos"), Combos},
};

}  // namespace
