#include "engine/DiskDevices.h"

#include "platform/system/system.h"

int CDiskDevices::EnumDiskInterfaces(QStringList* paths)
{
    std::vector<Sys_Disk> disks;
    const int count = Sys_ListDisks(&disks, kMaxDisks);
    if (paths) {
        paths->clear();
        for (const Sys_Disk& disk : disks)
            paths->append(QString::fromStdString(disk.path));
    }
    return count;
}

int CDiskDevices::GetDiskNumbers(std::vector<unsigned int>* numbers)
{
    std::vector<Sys_Disk> disks;
    const int count = Sys_ListDisks(&disks, kMaxDisks);
    if (numbers) {
        numbers->clear();
        for (const Sys_Disk& disk : disks)
            numbers->push_back(disk.number);
    }
    return count;
}

unsigned int CDiskDevices::GetDriveNumber(const QString& mountPoint)
{
    return Sys_DiskNumberOfVolume(mountPoint.toUtf8().constData());
}

int CDiskDevices::GetDriveLetters(unsigned int diskNumber, QStringList* mountPoints)
{
    if (!mountPoints)
        return -1;
    mountPoints->clear();
    std::vector<Sys_Volume> volumes;
    const int count = Sys_ListVolumes(diskNumber, &volumes);
    for (const Sys_Volume& volume : volumes)
        mountPoints->append(QString::fromStdString(volume.mount_point));
    return count;
}

QString CDiskDevices::GetVolumeLabel(const QString& mountPoint)
{
    const unsigned int disk = GetDriveNumber(mountPoint);
    if (disk == static_cast<unsigned int>(-1))
        return {};
    std::vector<Sys_Volume> volumes;
    Sys_ListVolumes(disk, &volumes);
    QString wanted = mountPoint;
    if (!wanted.endsWith('/'))
        wanted += '/';
    for (const Sys_Volume& volume : volumes)
        if (QString::fromStdString(volume.mount_point) == wanted)
            return QString::fromStdString(volume.label);
    return {};
}
