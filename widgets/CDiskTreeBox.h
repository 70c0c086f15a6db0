// The disk choice: a combo box whose tree pop-up lists the machine's disks ("Physical Disk" and
// the disk's number) and under each its mounted volumes ("label(mount point)"). Choices are read
// from item data, never from the text: every row carries the disk number, disk rows the path
// to open, volume rows the folder. The list is read once, when the box is built.
#pragma once

#include "widgets/CComboBoxes.h"

#include <QList>
#include <QString>

class QStandardItemModel;
class QStandardItem;
class CDiskDevices;

// What the box lists, read from the engine's disk list: plain data, so it can be checked apart
// from the widget.
struct DiskBoxVolume {
    QString mountPoint;  // ends with "/"
    QString label;       // may be empty
};
struct DiskBoxDisk {
    unsigned int number = 0;
    QString path;              // what to open: a device node, an image file or a folder
    bool volumesKnown = true;  // false when the volumes could not be listed
    QList<DiskBoxVolume> volumes;
};
// Every disk CDiskDevices lists, with its volumes; empty when the list cannot be read.
QList<DiskBoxDisk> ReadDiskBoxDisks(CDiskDevices& devices);

class CDiskTreeBox : public TreeBox {
    Q_OBJECT
public:
    // Roles of the items: 33 row position × 100 (+ the volume's position), 34 "Physical" on
    // disk rows; and the data the pages read.
    static constexpr int kPositionRole = Qt::UserRole + 1;    // 33
    static constexpr int kKindRole = Qt::UserRole + 2;        // 34
    static constexpr int kDiskNumberRole = Qt::UserRole + 3;  // unsigned: the disk's number
    static constexpr int kSourcePathRole = Qt::UserRole + 4;  // disk rows: the path to open;
                                                              // volume rows: the folder

    explicit CDiskTreeBox(QWidget* parent = nullptr);
    ~CDiskTreeBox() override;

    QStandardItemModel* DiskModel() const { return m_model; }

    // The disk number of the current entry (a disk or one of its volumes); -1 without one.
    qint64 CurrentDiskNumber() const;
    // The current entry's path: a volume's folder, or a disk's path to open; empty without one.
    QString CurrentSourcePath() const;
    // Whether the current entry is a disk row (not a volume).
    bool CurrentIsDisk() const;
    // The engine's name of the current entry's disk, "\\.\PHYSICALDRIVE<n>"; empty without one.
    QString CurrentDiskName() const;
    // Makes the entry of disk `number` current, or its volume `mountPoint` when not empty.
    bool SelectEntry(unsigned int number, const QString& mountPoint = QString());

public slots:
    // Fills the model from the machine's disks.
    void GetWindowsDiskInfo();

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    void Fill(const QList<DiskBoxDisk>& disks);

    QStandardItemModel* m_model;
};
