#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTest>

#include <sys/statvfs.h>

#include "platform/system/system.h"
#include "tests/support/WriteFile.h"

namespace {

bool FakeFreeSpace(const char* path, uint64_t* free_bytes, uint64_t* total_bytes)
{
    if (QByteArray(path).startsWith("/full")) {
        *free_bytes = 1024;
        *total_bytes = 4096;
        return true;
    }
    return false;
}

// A block device in a fake sysfs: size in sectors, "major:minor", diskseq ("" = none),
// whether it is hardware (has device/), and partitions as (number, "major:minor").
struct FakeDisk {
    QString name;
    QByteArray size;
    QByteArray dev;
    QByteArray diskseq;
    bool hardware = true;
    QList<QPair<int, QByteArray>> partitions;
    QByteArray backingFile;
};

void AddDisk(const QString& sysRoot, const FakeDisk& d)
{
    const QString dir = sysRoot + "/block/" + d.name;
    WriteFile(dir + "/size", d.size + "\n");
    WriteFile(dir + "/dev", d.dev + "\n");
    if (!d.diskseq.isEmpty())
        WriteFile(dir + "/diskseq", d.diskseq + "\n");
    if (d.hardware)
        QDir().mkpath(dir + "/device");
    if (!d.backingFile.isNull())
        WriteFile(dir + "/loop/backing_file", d.backingFile + "\n");
    for (const auto& [number, dev] : d.partitions) {
        const QString part = dir + "/" + d.name + QString::number(number);
        WriteFile(part + "/partition", QByteArray::number(number) + "\n");
        WriteFile(part + "/dev", dev + "\n");
    }
}

QString MountLine(int id, const QByteArray& dev, const QByteArray& point, const QByteArray& fs)
{
    return QString("%1 1 %2 / %3 rw,relatime shared:1 - %4 /dev/x rw\n")
        .arg(id)
        .arg(QString(dev), QString(point), QString(fs));
}

QStringList MountPoints(unsigned int disk)
{
    std::vector<Sys_Volume> volumes;
    QStringList out;
    if (Sys_ListVolumes(disk, &volumes) < 0)
        return {"<error>"};
    for (const Sys_Volume& v : volumes)
        out << QString::fromStdString(v.mount_point);
    return out;
}

}  // namespace

class TestSystem : public QObject {
    Q_OBJECT

    QTemporaryDir m_fake;
    QString m_extraImage;
    QString m_extraFolder;

private slots:
    void initTestCase()
    {
        // A machine with a SATA disk (two mounted partitions, one bind mount, one unmounted),
        // an NVMe disk without volumes, a CD drive, a RAM disk, an unbound loop, a bound loop
        // with a mounted ext4, a snap loop (squashfs), and a device-mapper node.
        const QString sys = m_fake.filePath("sys");
        AddDisk(sys, {"sda", "1000", "8:0", "9", true, {{1, "8:1"}, {2, "8:2"}, {3, "8:3"}}, {}});
        AddDisk(sys, {"nvme0n1", "2000", "259:0", "3", true, {{1, "259:1"}}, {}});
        AddDisk(sys, {"sr0", "2000", "11:0", "4", true, {}, {}});
        AddDisk(sys, {"ram0", "2000", "1:0", "5", false, {}, {}});
        AddDisk(sys, {"loop0", "0", "7:0", "6", false, {}, ""});
        AddDisk(sys, {"loop1", "100", "7:1", "12", false, {}, "/home/u/nvr.img"});
        AddDisk(sys, {"loop2", "100", "7:2", "13", false, {}, "/var/lib/snapd/snaps/x.snap"});
        AddDisk(sys, {"dm-0", "100", "253:0", "14", false, {}, {}});
        QString mounts;
        mounts += MountLine(20, "0:25", "/", "overlay");
        mounts += MountLine(21, "8:2", "/media/u/DATA", "ext4");
        mounts += MountLine(22, "8:1", "/boot/efi", "vfat");
        mounts += MountLine(23, "8:2", "/media/u/DATA/bind/again", "ext4");  // bind mount
        mounts += MountLine(24, "11:0", "/media/cdrom", "iso9660");
        mounts += MountLine(25, "7:1", "/mnt/my\\040stick", "ext4");
        mounts += MountLine(26, "7:2", "/snap/x/1", "squashfs");
        WriteFile(m_fake.filePath("mountinfo"), mounts.toUtf8());
        Sys_SetDiskRoots(sys.toUtf8().constData(), m_fake.filePath("mountinfo").toUtf8().constData());

        m_extraImage = m_fake.filePath("disks/plain.img");
        WriteFile(m_extraImage, "VPRDISK1");
        m_extraFolder = m_fake.filePath("copied");
        QDir().mkpath(m_extraFolder + "/RecordFile");
        const QString extra = m_extraImage + "::" + m_fake.filePath("gone.img") + ":" + m_extraFolder + "/";
        qputenv("VARPEN_EXTRA_DISKS", extra.toUtf8());
    }

    void cleanupTestCase()
    {
        Sys_SetDiskRoots(nullptr, nullptr);
        qunsetenv("VARPEN_EXTRA_DISKS");
    }

    void freeSpaceAsksNearestExistingFolder()
    {
        QTemporaryDir dir;
        uint64_t freeBytes = 0, totalBytes = 0;
        const QByteArray missing = (dir.path() + "/Varpen/20240131/clips").toUtf8();
        QVERIFY(Sys_QueryFreeSpace(missing.constData(), &freeBytes, &totalBytes));
        struct statvfs st {};
        QCOMPARE(statvfs(dir.path().toUtf8().constData(), &st), 0);
        QCOMPARE(totalBytes, uint64_t(st.f_blocks) * st.f_frsize);
        QVERIFY(freeBytes <= totalBytes);
        QVERIFY(Sys_QueryFreeSpace("relative/not/there", &freeBytes, &totalBytes));
        QVERIFY(!Sys_QueryFreeSpace("", &freeBytes, &totalBytes));
        QVERIFY(!Sys_QueryFreeSpace(nullptr, &freeBytes, &totalBytes));
    }

    void freeSpaceFunctionIsReplaceable()
    {
        Sys_SetFreeSpaceFunction(&FakeFreeSpace);
        uint64_t freeBytes = 0, totalBytes = 0;
        QVERIFY(Sys_QueryFreeSpace("/full/disk", &freeBytes, &totalBytes));
        QCOMPARE(freeBytes, uint64_t(1024));
        QVERIFY(!Sys_QueryFreeSpace("/tmp", &freeBytes, &totalBytes));
        Sys_SetFreeSpaceFunction(nullptr);
        QVERIFY(Sys_QueryFreeSpace("/tmp", &freeBytes, &totalBytes));
        QVERIFY(totalBytes > 4096);
    }

    void screenSizeIsPrimaryScreen()
    {
        int width = 0, height = 0;
        QVERIFY(Sys_GetScreenSize(&width, &height));
        const QRect geometry = QGuiApplication::primaryScreen()->geometry();
        QCOMPARE(width, geometry.width());
        QCOMPARE(height, geometry.height());
        QVERIFY(width > 0 && height > 0);
    }

    void listsDisksWithStableNumbers()
    {
        std::vector<Sys_Disk> disks;
        QCOMPARE(Sys_ListDisks(&disks), 5);
        QStringList got;
        for (const Sys_Disk& d : disks)
            got << QString("%1=%2").arg(d.number).arg(QString::fromStdString(d.path));
        const QStringList expected = {"12=/dev/loop1", "3=/dev/nvme0n1", "9=/dev/sda", "1000=" + m_extraImage,
                                      "1002=" + m_extraFolder};
        QCOMPARE(got, expected);
        QCOMPARE(disks[3].kind, SYS_DISK_IMAGE);
        QCOMPARE(disks[4].kind, SYS_DISK_FOLDER);
        QCOMPARE(Sys_ListDisks(&disks, 2), 2);
        QCOMPARE(Sys_ListDisks(nullptr), -1);
    }

    void volumesOfDisks_data()
    {
        QTest::addColumn<unsigned int>("disk");
        QTest::addColumn<QStringList>("mountPoints");
        QTest::newRow("two partitions, bind mount folded") << 9u << QStringList{"/boot/efi/", "/media/u/DATA/"};
        QTest::newRow("disk without volumes") << 3u << QStringList{};
        QTest::newRow("loop with escaped mount point") << 12u << QStringList{"/mnt/my stick/"};
        QTest::newRow("cd drive is no disk") << 4u << QStringList{};
        QTest::newRow("recorder image has no volumes") << 1000u << QStringList{};
        QTest::newRow("folder is its own volume") << 1002u << QStringList{m_extraFolder + "/"};
        QTest::newRow("unknown disk") << 77u << QStringList{};
    }

    void volumesOfDisks()
    {
        QFETCH(unsigned int, disk);
        QFETCH(QStringList, mountPoints);
        QCOMPARE(MountPoints(disk), mountPoints);
    }

    void volumeDetails()
    {
        std::vector<Sys_Volume> volumes;
        QCOMPARE(Sys_ListVolumes(9, &volumes), 2);
        QCOMPARE(volumes[0].partition, 1);
        QCOMPARE(volumes[1].partition, 2);
        QCOMPARE(Sys_ListVolumes(1002, &volumes), 1);
        QCOMPARE(QString::fromStdString(volumes[0].label), QString("copied"));
        QCOMPARE(Sys_ListVolumes(9, nullptr), -1);
    }

    void diskOfVolume_data()
    {
        QTest::addColumn<QString>("mountPoint");
        QTest::addColumn<unsigned int>("disk");
        QTest::newRow("partition") << "/media/u/DATA/" << 9u;
        QTest::newRow("without slash") << "/media/u/DATA" << 9u;
        QTest::newRow("folder disk") << m_extraFolder << 1002u;
        QTest::newRow("cd drive") << "/media/cdrom/" << unsigned(-1);
        QTest::newRow("not a disk") << "/" << unsigned(-1);
        QTest::newRow("bind mount is not a volume of its own") << "/media/u/DATA/bind/again/" << unsigned(-1);
    }

    void diskOfVolume()
    {
        QFETCH(QString, mountPoint);
        QFETCH(unsigned int, disk);
        QCOMPARE(Sys_DiskNumberOfVolume(mountPoint.toUtf8().constData()), disk);
    }

    void resolvesDriveNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("path");
        QTest::newRow("real disk") << "\\\\.\\PHYSICALDRIVE9"
                                   << "/dev/sda";
        QTest::newRow("image") << "\\\\.\\PHYSICALDRIVE1000" << m_extraImage;
        QTest::newRow("folder") << "\\\\.\\PHYSICALDRIVE1002" << m_extraFolder;
        QTest::newRow("missing extra") << "\\\\.\\PHYSICALDRIVE1001"
                                       << "";
        QTest::newRow("excluded cd") << "\\\\.\\PHYSICALDRIVE4"
                                     << "";
        QTest::newRow("no number") << "\\\\.\\PHYSICALDRIVE"
                                   << "";
        QTest::newRow("trailing text") << "\\\\.\\PHYSICALDRIVE9x"
                                       << "";
        QTest::newRow("negative") << "\\\\.\\PHYSICALDRIVE-1"
                                  << "";
        QTest::newRow("plain path") << "/dev/sda"
                                    << "";
    }

    void resolvesDriveNames()
    {
        QFETCH(QString, name);
        QFETCH(QString, path);
        QCOMPARE(QString::fromStdString(Sys_ResolveDriveName(name.toUtf8().constData())), path);
    }

    void numbersFallBackToPositionWithoutDiskseq()
    {
        QTemporaryDir dir;
        const QString sys = dir.filePath("sys");
        AddDisk(sys, {"sdb", "10", "8:16", "", true, {}, {}});
        AddDisk(sys, {"sda", "10", "8:0", "7", true, {}, {}});
        WriteFile(dir.filePath("mountinfo"), MountLine(1, "8:16", "/mnt/b", "ext4").toUtf8());
        Sys_SetDiskRoots(sys.toUtf8().constData(), dir.filePath("mountinfo").toUtf8().constData());
        qunsetenv("VARPEN_EXTRA_DISKS");
        std::vector<Sys_Disk> disks;
        QCOMPARE(Sys_ListDisks(&disks), 2);
        QCOMPARE(disks[0].number, 0u);
        QCOMPARE(disks[1].number, 1u);
        QCOMPARE(MountPoints(1), QStringList{"/mnt/b/"});

        Sys_SetDiskRoots(dir.filePath("nothing").toUtf8().constData(), dir.filePath("nothing").toUtf8().constData());
        QCOMPARE(Sys_ListDisks(&disks), -1);
        QCOMPARE(MountPoints(1), QStringList{"<error>"});
        initTestCase();
    }
};

QTEST_MAIN(TestSystem)
#include "tst_system.moc"
