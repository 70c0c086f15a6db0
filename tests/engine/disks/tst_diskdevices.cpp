#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "engine/DiskDevices.h"
#include "platform/system/system.h"
#include "tests/support/WriteFile.h"

namespace {

// One disk of a fake sysfs with numbered partitions; majors/minors follow the kernel's scheme.
void AddDisk(const QString& sys, const QString& name, int major, int diskseq, QList<int> partitions)
{
    const QString dir = sys + "/block/" + name;
    WriteFile(dir + "/size", "2048\n");
    WriteFile(dir + "/dev", QString("%1:0\n").arg(major).toUtf8());
    WriteFile(dir + "/diskseq", QByteArray::number(diskseq));
    QDir().mkpath(dir + "/device");
    for (int p : partitions) {
        WriteFile(dir + "/" + name + QString::number(p) + "/partition", QByteArray::number(p));
        WriteFile(dir + "/" + name + QString::number(p) + "/dev", QString("%1:%2").arg(major).arg(p).toUtf8());
    }
}

}  // namespace

class TestDiskDevices : public QObject {
    Q_OBJECT

    QTemporaryDir m_root;
    QString m_folder;

private slots:
    void initTestCase()
    {
        const QString sys = m_root.filePath("sys");
        AddDisk(sys, "sda", 8, 1, {1, 2});  // system disk, both partitions mounted
        AddDisk(sys, "sdb", 9, 5, {1});     // USB stick, not mounted
        AddDisk(sys, "sr0", 11, 2, {});     // optical: never listed
        WriteFile(m_root.filePath("mountinfo"),
                  "1 0 8:2 / / rw - ext4 /dev/sda2 rw\n"
                  "2 1 8:1 / /boot/efi rw - vfat /dev/sda1 rw\n"
                  "3 1 11:0 / /media/cdrom ro - iso9660 /dev/sr0 ro\n");
        Sys_SetDiskRoots(sys.toUtf8().constData(), m_root.filePath("mountinfo").toUtf8().constData());
        m_folder = m_root.filePath("copied recording");
        QDir().mkpath(m_folder);
        qputenv("VARPEN_EXTRA_DISKS", m_folder.toUtf8());
    }

    void cleanupTestCase()
    {
        Sys_SetDiskRoots(nullptr, nullptr);
        qunsetenv("VARPEN_EXTRA_DISKS");
    }

    void listsDisksAndVolumes()
    {
        CDiskDevices devices;
        QStringList paths;
        QCOMPARE(devices.EnumDiskInterfaces(&paths), 3);
        QCOMPARE(paths, (QStringList{"/dev/sda", "/dev/sdb", m_folder}));

        std::vector<unsigned int> numbers;
        QCOMPARE(devices.GetDiskNumbers(&numbers), 3);
        QCOMPARE(numbers, (std::vector<unsigned int>{1, 5, 1000}));

        QStringList volumes;
        QCOMPARE(devices.GetDriveLetters(1, &volumes), 2);
        QCOMPARE(volumes, (QStringList{"/boot/efi/", "/"}));
        QCOMPARE(devices.GetDriveLetters(5, &volumes), 0);  // a disk with no mounted volume
        QVERIFY(volumes.isEmpty());
        QCOMPARE(devices.GetDriveLetters(2, &volumes), 0);  // the optical drive's number
        QCOMPARE(devices.GetDriveLetters(1000, &volumes), 1);
        QCOMPARE(volumes, QStringList{m_folder + "/"});
        QCOMPARE(devices.GetDriveLetters(1, nullptr), -1);
    }

    void driveNumbersAndLabels()
    {
        CDiskDevices devices;
        QCOMPARE(devices.GetDriveNumber("/boot/efi/"), 1u);
        QCOMPARE(devices.GetDriveNumber(m_folder), 1000u);
        QCOMPARE(devices.GetDriveNumber("/media/cdrom/"), unsigned(-1));
        QCOMPARE(devices.GetDriveNumber(""), unsigned(-1));
        QCOMPARE(devices.GetVolumeLabel(m_folder + "/"), QString("copied recording"));
        QCOMPARE(devices.GetVolumeLabel("/nowhere/"), QString());
    }

    void moreThanHundredDisksGiveTheFirstHundred()
    {
        QTemporaryDir dir;
        const QString sys = dir.filePath("sys");
        for (int i = 0; i < 105; ++i)
            AddDisk(sys, QString("vd%1").arg(i, 3, 10, QChar('0')), 200 + i, 10 + i, {});
        WriteFile(dir.filePath("mountinfo"), "");
        Sys_SetDiskRoots(sys.toUtf8().constData(), dir.filePath("mountinfo").toUtf8().constData());
        CDiskDevices devices;
        std::vector<unsigned int> numbers;
        QCOMPARE(devices.GetDiskNumbers(&numbers), 100);
        QCOMPARE(numbers.front(), 10u);
        QCOMPARE(numbers.back(), 109u);
        Sys_SetDiskRoots(dir.filePath("none").toUtf8().constData(), dir.filePath("none").toUtf8().constData());
        qunsetenv("VARPEN_EXTRA_DISKS");
        QCOMPARE(devices.GetDiskNumbers(&numbers), -1);
        QVERIFY(numbers.empty());
        QStringList volumes;
        QCOMPARE(devices.GetDriveLetters(1, &volumes), -1);
        initTestCase();
    }
};

QTEST_GUILESS_MAIN(TestDiskDevices)
#include "tst_diskdevices.moc"
