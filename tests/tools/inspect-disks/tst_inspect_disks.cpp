// varpen-inspect's disk commands on the sample recorder-disk images: the disk list with the
// extra disks, the scan's disk type per layout, and the device-log filters.
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

#include "tests/support/ChildRun.h"

namespace {

QString BuildDir()
{
    return qEnvironmentVariable("VARPEN_BUILD_DIR", QDir::currentPath());
}
QString Sample(const QString& name)
{
    return BuildDir() + "/samples/test/" + name;
}

struct Run {
    int exit_code = -1;
    QStringList lines;
    QString err;
};

// `as_user`: a command and its arguments that run the tool as another user (empty: as we are).
Run Inspect(const QStringList& args, const QString& extra_disks = QString(), const QStringList& as_user = {})
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("VARPEN_EXTRA_DISKS", extra_disks);
    p.setProcessEnvironment(env);
    const QString tool = BuildDir() + "/bin/varpen-inspect";
    if (as_user.isEmpty()) {
        p.start(tool, args);
    } else {
        p.start(as_user.first(), as_user.mid(1) + QStringList{tool} + args);
    }
    const ChildResult c = FinishChild(p, 60000);
    Run r;
    if (!c.finished)
        return r;
    r.exit_code = c.crashed ? -2 : c.exitCode;
    r.lines = QString::fromUtf8(c.out).split('\n', Qt::SkipEmptyParts);
    r.err = QString::fromUtf8(c.err);
    return r;
}

}  // namespace

class TestInspectDisks : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        // Not a recorder disk: random bytes of a plausible size.
        QFile junk(m_dir.filePath("junk.img"));
        QVERIFY(junk.open(QIODevice::WriteOnly));
        QByteArray bytes(1 << 20, '\0');
        quint32 x = 12345;
        for (char& c : bytes)
            c = char((x = x * 1103515245u + 12345u) >> 24);
        junk.write(bytes);
        junk.close();
        m_extra = QStringList{Sample("disk-plain.img"), Sample("disk-nvr.img"), Sample("disk-dvr.img"), junk.fileName(),
                              m_dir.path()}
                      .join(':');
    }

    void listsTheExtraDisks()
    {
        const Run r = Inspect({"disks"}, m_extra);
        QCOMPARE(r.exit_code, 0);
        const QStringList expected_paths{Sample("disk-plain.img"), Sample("disk-nvr.img"), Sample("disk-dvr.img"),
                                         m_dir.filePath("junk.img"), m_dir.path()};
        QStringList extra_lines;
        for (const QString& line : r.lines) {
            const QStringList fields = line.split('\t');
            QCOMPARE(fields.size(), 3);
            if (fields[0].toInt() >= 1000)
                extra_lines << line;
        }
        QCOMPARE(extra_lines.size(), expected_paths.size());
        for (int i = 0; i < expected_paths.size(); ++i) {
            const QStringList fields = extra_lines[i].split('\t');
            QCOMPARE(fields[0].toInt(), 1000 + i);
            QCOMPARE(QFileInfo(fields[1]).canonicalFilePath(), QFileInfo(expected_paths[i]).canonicalFilePath());
        }
        // A folder is a disk whose one volume is the folder itself; an image has none.
        QVERIFY(extra_lines[0].split('\t')[2].isEmpty());
        const QString folder_volume = extra_lines[4].split('\t')[2];
        QCOMPARE(QFileInfo(folder_volume).canonicalFilePath(), QFileInfo(m_dir.path()).canonicalFilePath());
    }

    void scanGivesTheDiskType_data()
    {
        QTest::addColumn<int>("disk");
        QTest::addColumn<QString>("type_line");
        QTest::addColumn<int>("exit_code");
        QTest::newRow("plain layout") << 1000 << "type 0" << 0;
        QTest::newRow("NVR layout") << 1001 << "type 1" << 0;
        QTest::newRow("DVR layout") << 1002 << "type 2" << 0;
        QTest::newRow("random bytes") << 1003 << "type -1" << 1;
        QTest::newRow("no such disk") << 1099 << "type -1" << 1;
    }
    void scanGivesTheDiskType()
    {
        QFETCH(int, disk);
        QFETCH(QString, type_line);
        QFETCH(int, exit_code);
        const Run r = Inspect({"channels", QString("\\\\.\\PHYSICALDRIVE%1").arg(disk), "--month", "2024-01"}, m_extra);
        QCOMPARE(r.exit_code, exit_code);
        QVERIFY(!r.lines.isEmpty());
        QCOMPARE(r.lines.first(), type_line);
        if (exit_code == 0)
            QVERIFY(r.lines.size() > 1);
    }

    // A disk we may not read is reported as such, not as a disk without recordings. As root the
    // tool runs as "nobody" on a root-only copy; otherwise the copy has no read right at all.
    void unreadableDiskSaysSo()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                      QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther |
                                                      QFile::ExeOther));
        const QString image = dir.filePath("locked.img");
        QVERIFY(QFile::copy(Sample("disk-plain.img"), image));
        QStringList as_user;
        if (geteuid() == 0) {
            const QString setpriv = QStandardPaths::findExecutable("setpriv");
            if (setpriv.isEmpty())
                QSKIP("running as root without setpriv to drop the right");
            QVERIFY(QFile::setPermissions(image, QFile::ReadOwner | QFile::WriteOwner));
            as_user = {setpriv, "--reuid=65534", "--regid=65534", "--clear-groups", "--"};
        } else {
            QVERIFY(QFile::setPermissions(image, QFileDevice::Permissions()));
        }
        const Run r = Inspect({"channels", image, "--month", "2024-01"}, QString(), as_user);
        QCOMPARE(r.exit_code, 1);
        QCOMPARE(r.lines, QStringList{"type -1"});
        QVERIFY2(r.err.contains("no right to read"), qPrintable(r.err));

        // The same disk, readable, is scanned as usual.
        QVERIFY(QFile::setPermissions(image, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther));
        const Run readable = Inspect({"channels", image, "--month", "2024-01"}, QString(), as_user);
        QCOMPARE(readable.exit_code, 0);
        QCOMPARE(readable.lines.value(0), QString("type 0"));
    }

    void logsFilterByTypeAndTime()
    {
        const QString disk = "\\\\.\\PHYSICALDRIVE1001";
        const Run all = Inspect({"logs", disk, "2000-01-01 00:00:00", "2037-12-31 23:59:59"}, m_extra);
        QCOMPARE(all.exit_code, 0);
        QVERIFY(all.lines.size() > 10);
        QSet<int> majors;
        for (const QString& line : all.lines) {
            const QStringList fields = line.split('\t');
            QCOMPARE(fields.size(), 11);
            majors << fields[1].toInt();
        }
        QVERIFY(majors.size() > 1);

        // By major type, then by major and minor type: exactly the matching records of the full list.
        const QStringList first = all.lines.first().split('\t');
        for (const QStringList& filter :
             {QStringList{"--major", first[1]}, QStringList{"--major", first[1], "--minor", first[2]}}) {
            const Run some =
                Inspect(QStringList{"logs", disk, "2000-01-01 00:00:00", "2037-12-31 23:59:59"} + filter, m_extra);
            QCOMPARE(some.exit_code, 0);
            QStringList expected;
            for (const QString& line : all.lines) {
                const QStringList fields = line.split('\t');
                if (fields[1] == first[1] && (filter.size() == 2 || fields[2] == first[2]))
                    expected << line;
            }
            QVERIFY(!expected.isEmpty());
            QCOMPARE(some.lines, expected);
        }

        // Both ends of the window count: a window from the second record's time to the third's.
        QVERIFY(all.lines.size() >= 3);
        const QString from = all.lines[1].split('\t')[0];
        const QString to = all.lines[2].split('\t')[0];
        QVERIFY(from < to);
        const Run window = Inspect({"logs", disk, from, to}, m_extra);
        QCOMPARE(window.exit_code, 0);
        QCOMPARE(window.lines, (QStringList{all.lines[1], all.lines[2]}));
    }

    void logsRefuseBadInput_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("not a recorder disk")
            << QStringList{"logs", "\\\\.\\PHYSICALDRIVE1003", "2024-01-01 00:00:00", "2024-02-01 00:00:00"};
        QTest::newRow("end before start")
            << QStringList{"logs", "\\\\.\\PHYSICALDRIVE1001", "2024-02-01 00:00:00", "2024-01-01 00:00:00"};
        QTest::newRow("bad time") << QStringList{"logs", "\\\\.\\PHYSICALDRIVE1001", "yesterday",
                                                 "2024-01-01 00:00:00"};
        QTest::newRow("bad major") << QStringList{
            "logs", "\\\\.\\PHYSICALDRIVE1001", "2024-01-01 00:00:00", "2024-02-01 00:00:00", "--major", "x"};
        QTest::newRow("missing minor value")
            << QStringList{"logs", "\\\\.\\PHYSICALDRIVE1001", "2024-01-01 00:00:00", "2024-02-01 00:00:00", "--minor"};
        QTest::newRow("disks with an argument") << QStringList{"disks", "extra"};
    }
    void logsRefuseBadInput()
    {
        QFETCH(QStringList, args);
        const Run r = Inspect(args, m_extra);
        QCOMPARE(r.exit_code, 1);
    }

private:
    QTemporaryDir m_dir;
    QString m_extra;
};

QTEST_GUILESS_MAIN(TestInspectDisks)
#include "tst_inspect_disks.moc"
