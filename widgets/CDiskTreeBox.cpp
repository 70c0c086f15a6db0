#include "widgets/CDiskTreeBox.h"

#include "engine/DiskDevices.h"

#include <QStandardItemModel>
#include <QTreeView>

#include <vector>

QList<DiskBoxDisk> ReadDiskBoxDisks(CDiskDevices& devices)
{
    QList<DiskBoxDisk> disks;
    std::vector<unsigned int> numbers;
    const int count = devices.GetDiskNumbers(&numbers);
    if (count <= 0)
        return disks;
    QStringList paths;
    const int pathCount = devices.EnumDiskInterfaces(&paths);
    for (int i = 0; i < count && i < static_cast<int>(numbers.size()); ++i) {
        DiskBoxDisk disk;
        disk.number = numbers[static_cast<size_t>(i)];
        if (pathCount == count)
            disk.path = paths.value(i);
        QStringList mounts;
        const int volumeCount = devices.GetDriveLetters(disk.number, &mounts);
        disk.volumesKnown = volumeCount >= 0;
        for (const QString& mount : mounts)
            disk.volumes.append({mount, devices.GetVolumeLabel(mount)});
        disks.append(disk);
    }
    return disks;
}

CDiskTreeBox::CDiskTreeBox(QWidget* parent) : TreeBox(parent), m_model(new QStandardItemModel(this))
{
    GetWindowsDiskInfo();
}

CDiskTreeBox::~CDiskTreeBox() = default;

void CDiskTreeBox::GetWindowsDiskInfo()
{
    CDiskDevices devices;
    Fill(ReadDiskBoxDisks(devices));
}

void CDiskTreeBox::Fill(const QList<DiskBoxDisk>& disks)
{
    m_model->clear();
    m_model->insertColumns(0, 1);
    setModel(m_model);
    for (int i = 0; i < disks.size(); ++i) {
        const DiskBoxDisk& disk = disks.at(i);
        auto* item = new QStandardItem;
        item->setEditable(false);
        QString text = tr("Physical Disk ") + QString::number(disk.number);
        if (disk.volumesKnown && disk.volumes.isEmpty())
            text += QLatin1Char(' ');
        item->setText(text);
        item->setData(static_cast<uint>(i * 100), kPositionRole);
        item->setData(QStringLiteral("Physical"), kKindRole);
        item->setData(disk.number, kDiskNumberRole);
        item->setData(disk.path, kSourcePathRole);
        item->setToolTip(text);
        m_model->setItem(i, item);
        for (int j = 0; j < disk.volumes.size(); ++j) {
            const DiskBoxVolume& volume = disk.volumes.at(j);
            const QString childText = volume.label + QLatin1Char('(') + volume.mountPoint + QLatin1Char(')');
            auto* child = new QStandardItem(childText);
            child->setEditable(false);
            child->setData(static_cast<uint>(i * 100 + j), kPositionRole);
            child->setData(disk.number, kDiskNumberRole);
            child->setData(volume.mountPoint, kSourcePathRole);
            child->setToolTip(childText);
            item->appendRow(child);
        }
    }
    ExpandAll();
    if (!disks.isEmpty())
        setCurrentIndex(0);
}

qint64 CDiskTreeBox::CurrentDiskNumber() const
{
    const QVariant number = currentData(kDiskNumberRole);
    return number.isValid() ? static_cast<qint64>(number.toUInt()) : -1;
}

QString CDiskTreeBox::CurrentSourcePath() const
{
    return currentData(kSourcePathRole).toString();
}

bool CDiskTreeBox::CurrentIsDisk() const
{
    return currentData(kKindRole).isValid();
}

QString CDiskTreeBox::CurrentDiskName() const
{
    const qint64 number = CurrentDiskNumber();
    if (number < 0)
        return {};
    return QStringLiteral("\\\\.\\PHYSICALDRIVE") + QString::number(number);
}

bool CDiskTreeBox::SelectEntry(unsigned int number, const QString& mountPoint)
{
    for (int row = 0; row < m_model->rowCount(); ++row) {
        QStandardItem* disk = m_model->item(row);
        if (disk->data(kDiskNumberRole).toUInt() != number)
            continue;
        if (mountPoint.isEmpty()) {
            setCurrentIndex(row);
            return true;
        }
        for (int j = 0; j < disk->rowCount(); ++j) {
            if (disk->child(j)->data(kSourcePathRole).toString() != mountPoint)
                continue;
            // The box picks rows under its root; a volume is picked with its disk as root.
            setRootModelIndex(disk->index());
            setCurrentIndex(j);
            setRootModelIndex(QModelIndex());
            TreeView()->setRootIndex(QModelIndex());
            ExpandAll();
            return true;
        }
        return false;
    }
    return false;
}

void CDiskTreeBox::mousePressEvent(QMouseEvent* event)
{
    TreeBox::mousePressEvent(event);
}
