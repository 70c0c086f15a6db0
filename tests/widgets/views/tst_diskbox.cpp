// The disk box on a fake machine (a fake sysfs tree, a mount table and extra disks), on a
// machine with many disks, on a failed disk list, and on this machine.
#include <QAbstractItemView>
#include <QDir>
#include <QFile>
#include <QLibraryInfo>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>
#include <QTreeView>

#include "platform/system/system.h"
#include "tests/support/WriteFile.h"
#include "widgets/CDiskTreeBox.h"

namespace {

// A hardware disk with diskseq `seq` and partitions (number, "major:minor").
void AddDisk(const QString& sysRoot, const QString& name, const QByteArray& dev, const QByteArray& seq,
             const QList<QPair<int, QByteArray>>& partitions = {})
{
    const QString dir = sysRoot + "/block/" + name;
    WriteFile(dir + "/size", "1000\n");
    WriteFile(dir + "/dev", dev + "\n");
    WriteFile(dir + "/diskseq", seq + "\n");
    QDir().mkpath(dir + "/device");
    for (const auto& [number, partDev] : partitions) {
        const QString part = dir + "/" + name + QString::number(number);
        WriteFile(part + "/partition", QByteArray::number(number) + "\n");
        WriteFile(part + "/dev", partDev + "\n");
    }
}

QString MountLine(int id, const QByteArray& dev, const QByteArray& point)
{
    return QString("%1 1 %2 / %3 rw,relatime shared:1 - ext4 /dev/x rw\n").arg(id).arg(QString(dev), QString(point));
}

QStringList Rows(const QStandardItemModel* model, int role)
{
    QStringList out;
    for (int r = 0; r < model->rowCount(); ++r) {
        const QStandardItem* disk = model->item(r);
        out << disk->data(role).toString();
        for (int c = 0; c < disk->rowCount(); ++c)
            out << "  " + disk->child(c)->data(role).toString();
    }
    return out;
}

// Picks a row of the pop-up by clicking it, as the operator does.
void ClickPopupRow(CDiskTreeBox& box, const QModelIndex& index)
{
    box.showPopup();
    QTreeView* view = box.TreeView();
    QVERIFY(QTest::qWaitForWindowExposed(view->window()));
    view->scrollTo(index);
    const QPoint at = view->visualRect(index).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QTRY_VERIFY(!view->isVisible());
}

}  // namespace

class TestDiskBox : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_folder;
    QString m_image;

    void UseFakeMachine(int extraHardDisks)
    {
        const QString sys = m_dir.filePath(QString("sys%1").arg(extraHardDisks));
        AddDisk(sys, "sda", "8:0", "9", {{1, "8:1"}, {2, "8:2"}});
        AddDisk(sys, "vdb", "252:16", "4");
        for (int i = 0; i < extraHardDisks; ++i)
            AddDisk(sys, QString("vdz%1").arg(QChar('a' + i)), QByteArray("252:") + QByteArray::number(100 + i),
                    QByteArray::number(20 + i));
        QString mounts = MountLine(21, "8:1", "/boot/efi") + MountLine(22, "8:2", "/media/op/REC\\040DISK");
        WriteFile(m_dir.filePath("mountinfo"), mounts.toUtf8());
        Sys_SetDiskRoots(sys.toUtf8().constData(), m_dir.filePath("mountinfo").toUtf8().constData());
    }

private slots:
    void initTestCase()
    {
        // A copied recording folder whose name has blanks and brackets, and a recorder image.
        m_folder = m_dir.filePath("Copy (2) [cam 1]");
        QDir().mkpath(m_folder + "/RecordFile");
        m_image = m_dir.filePath("nvr.img");
        WriteFile(m_image, "VPRDISK1");
        qputenv("VARPEN_EXTRA_DISKS", (m_image + ":" + m_folder).toUtf8());
    }

    void cleanupTestCase()
    {
        Sys_SetDiskRoots(nullptr, nullptr);
        qunsetenv("VARPEN_EXTRA_DISKS");
    }

    void fakeMachineTextsAndRoles()
    {
        UseFakeMachine(0);
        CDiskTreeBox box;
        const QStandardItemModel* model = box.DiskModel();
        const QString folderLabel = model->item(3) ? model->item(3)->child(0)->text().section('(', 0, 0) : QString();
        QCOMPARE(Rows(model, Qt::DisplayRole),
                 (QStringList{"Physical Disk 9", "  (/boot/efi/)", "  (/media/op/REC DISK/)", "Physical Disk 4 ",
                              "Physical Disk 1000 ", "Physical Disk 1001", "  " + model->item(3)->child(0)->text()}));
        QVERIFY(model->item(3)->child(0)->text().endsWith("(" + m_folder + "/)"));
        Q_UNUSED(folderLabel);
        QCOMPARE(Rows(model, CDiskTreeBox::kPositionRole),
                 (QStringList{"0", "  0", "  1", "100", "200", "300", "  300"}));
        QCOMPARE(Rows(model, CDiskTreeBox::kKindRole),
                 (QStringList{"Physical", "  ", "  ", "Physical", "Physical", "Physical", "  "}));
        QCOMPARE(Rows(model, CDiskTreeBox::kDiskNumberRole),
                 (QStringList{"9", "  9", "  9", "4", "1000", "1001", "  1001"}));
        QCOMPARE(Rows(model, CDiskTreeBox::kSourcePathRole),
                 (QStringList{"/dev/sda", "  /boot/efi/", "  /media/op/REC DISK/", "/dev/vdb", m_image, m_folder,
                              "  " + m_folder + "/"}));
        QCOMPARE(Rows(model, Qt::ToolTipRole), Rows(model, Qt::DisplayRole));
        QCOMPARE(box.currentIndex(), 0);
        QCOMPARE(box.CurrentDiskNumber(), 9);
        QCOMPARE(box.CurrentDiskName(), QString("\\\\.\\PHYSICALDRIVE9"));
        QVERIFY(box.TreeView()->isExpanded(model->index(0, 0)));
        QVERIFY(box.TreeView()->isHeaderHidden());
    }

    void choosingAVolumeReadsItsData()
    {
        UseFakeMachine(0);
        CDiskTreeBox box;
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        const QStandardItemModel* model = box.DiskModel();
        // The folder disk's volume: its text holds blanks and brackets, the data does not care.
        ClickPopupRow(box, model->item(3)->child(0)->index());
        QCOMPARE(box.currentIndex(), 0);  // the row within its disk: the same as the first disk's
        QCOMPARE(box.currentText(), model->item(3)->child(0)->text());
        QCOMPARE(box.CurrentDiskNumber(), 1001);
        QCOMPARE(box.CurrentSourcePath(), m_folder + "/");
        QVERIFY(!box.CurrentIsDisk());
        QCOMPARE(box.toolTip(), box.currentText());

        ClickPopupRow(box, model->index(0, 0));
        QCOMPARE(box.CurrentDiskNumber(), 9);
        QCOMPARE(box.CurrentSourcePath(), QString("/dev/sda"));
        QVERIFY(box.CurrentIsDisk());

        QVERIFY(box.SelectEntry(9, "/media/op/REC DISK/"));
        QCOMPARE(box.currentText(), QString("(/media/op/REC DISK/)"));
        QCOMPARE(box.CurrentSourcePath(), QString("/media/op/REC DISK/"));
        QVERIFY(box.SelectEntry(1000));
        QCOMPARE(box.CurrentSourcePath(), m_image);
        QVERIFY(!box.SelectEntry(77));
    }

    void chineseTextsKeepTheData()
    {
        QTranslator zh;
        const QString qm = qEnvironmentVariable("VARPEN_BUILD_DIR") + "/bin/translations/varpen_zh.qm";
        if (!zh.load(qm))
            QSKIP("no Chinese translation built");
        QCoreApplication::installTranslator(&zh);
        UseFakeMachine(0);
        CDiskTreeBox box;
        QCoreApplication::removeTranslator(&zh);
        const QString text = box.DiskModel()->item(0)->text();
        QVERIFY2(!text.startsWith("Physical"), qPrintable(text));
        QVERIFY(text.endsWith("9"));
        QVERIFY(box.SelectEntry(9, "/boot/efi/"));
        QCOMPARE(box.CurrentDiskNumber(), 9);
        QCOMPARE(box.CurrentSourcePath(), QString("/boot/efi/"));
    }

    void manyDisksAllListed()
    {
        UseFakeMachine(12);
        CDiskTreeBox box;
        QCOMPARE(box.DiskModel()->rowCount(), 16);
        QCOMPARE(box.DiskModel()->item(13)->data(CDiskTreeBox::kPositionRole).toUInt(), 1300u);
    }

    void failedDiskListGivesAnEmptyBox()
    {
        Sys_SetDiskRoots(m_dir.filePath("no-such-sys").toUtf8().constData(),
                         m_dir.filePath("no-such-mountinfo").toUtf8().constData());
        qunsetenv("VARPEN_EXTRA_DISKS");
        CDiskTreeBox box;
        qputenv("VARPEN_EXTRA_DISKS", (m_image + ":" + m_folder).toUtf8());
        QCOMPARE(box.DiskModel()->rowCount(), 0);
        QCOMPARE(box.currentIndex(), -1);
        QCOMPARE(box.CurrentDiskNumber(), -1);
        QVERIFY(box.CurrentSourcePath().isEmpty());
        QVERIFY(box.CurrentDiskName().isEmpty());
    }

    void thisMachine()
    {
        Sys_SetDiskRoots(nullptr, nullptr);
        qunsetenv("VARPEN_EXTRA_DISKS");
        CDiskTreeBox box;
        qputenv("VARPEN_EXTRA_DISKS", (m_image + ":" + m_folder).toUtf8());
        const QStandardItemModel* model = box.DiskModel();
        for (int r = 0; r < model->rowCount(); ++r) {
            const QStandardItem* disk = model->item(r);
            const QString path = disk->data(CDiskTreeBox::kSourcePathRole).toString();
            QVERIFY2(path.startsWith("/dev/"), qPrintable(path));
            QVERIFY2(!path.contains("zram") && !path.contains("/dev/ram"), qPrintable(path));
            QVERIFY(disk->text().endsWith(disk->data(CDiskTreeBox::kDiskNumberRole).toString()) ||
                    disk->text().endsWith(disk->data(CDiskTreeBox::kDiskNumberRole).toString() + " "));
            for (int c = 0; c < disk->rowCount(); ++c)
                QVERIFY(disk->child(c)->data(CDiskTreeBox::kSourcePathRole).toString().endsWith('/'));
        }
        qInfo("this machine lists %d disk(s): %s", model->rowCount(),
              qPrintable(Rows(model, Qt::DisplayRole).join(" | ")));
    }
};

QTEST_MAIN(TestDiskBox)
#include "tst_diskbox.moc"
