#pragma once
// The machine's physical disks for the disk box: their numbers (a disk's name is
// "\\.\PHYSICALDRIVE<n>") and the volumes on each. Volumes are mount points ending with "/",
// where the disk box used to show drive letters. No state: every call reads the system afresh.
// Call on the GUI thread.

#include <QString>
#include <QStringList>
#include <vector>

class CDiskDevices {
public:
    // At most this many disks are listed.
    static constexpr int kMaxDisks = 100;

    CDiskDevices() = default;
    ~CDiskDevices() = default;

    // The paths of the present disks (devices, image files or folders), in list order, at most
    // kMaxDisks. Returns their count; -1 when the disk list cannot be read.
    int EnumDiskInterfaces(QStringList* paths);
    // The numbers of the present disks in the same order. Returns the count, -1 on failure (then
    // numbers is left empty).
    int GetDiskNumbers(std::vector<unsigned int>* numbers);
    // The number of the disk that holds the volume mounted at mountPoint, or (unsigned) -1.
    unsigned int GetDriveNumber(const QString& mountPoint);
    // The mount points of the volumes on diskNumber, in partition order. Returns their count
    // (0 for a disk without volumes); -1 when mountPoints is null or the mount table cannot be
    // read.
    int GetDriveLetters(unsigned int diskNumber, QStringList* mountPoints);
    // The label of the volume at mountPoint (the file system's label, a folder disk's name), or
    // empty.
    QString GetVolumeLabel(const QString& mountPoint);
};
