// varpen-inspect on damaged local recording folders (FIFOs in place of files, an unreadable index,
// entries that end before they start, a segment of 4 GiB, a folder name that is not UTF-8) and on
// a device log whose fields hold control characters: every command ends, and says what it found.
#include "platform/diskrec/DiskImageWriter.h"
#include "tests/engine/local/SampleRun.h"
#include "tests/support/ChildRun.h"

#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct Run {
    int exitCode = -1;  // -2: still running after 30 s (killed)
    QByteArray out;
    QByteArray err;
};

Run Exec(const QString& program, const QStringList& args)
{
    const ChildResult c = RunChild(program, args, 30000);
    Run r;
    if (!c.finished) {
        r.exitCode = -2;
        return r;
    }
    r.exitCode = c.crashed ? -3 : c.exitCode;
    r.out = c.out;
    r.err = c.err;
    return r;
}

Run Inspect(const QStringList& args)
{
    return Exec(SampleRun::Tool("varpen-inspect"), args);
}

const char* const kDay = "RecordFile/20240130";
const char* const kChannel = "RecordFile/20240130/NVR_1_1";

void MakeFifo(const QString& path)
{
    QFile::remove(path);
    QDir(path).removeRecursively();
    QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0644), 0);
}

bool CopyTree(const QString& from, const QString& to)
{
    return Exec("/bin/cp", {"-a", from, to}).exitCode == 0;
}

}  // namespace

class TestHostileLocal : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void damagedFolders_data();
    void damagedFolders();
    void folderNameNotUtf8();
    void springGapIsSaid();
    void logFieldsStayOnOneLine();

private:
    QTemporaryDir m_dir;
    QString m_good;
    QString m_segmentName;
};

void TestHostileLocal::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_good = m_dir.filePath("good");
    const QJsonObject manifest = SampleRun::Folder(m_good, {"--channels", "1", "--days", "1", "--segments-per-day", "1",
                                                            "--segment-length", "2", "--size", "96x64"});
    QVERIFY(!manifest.isEmpty());
    m_segmentName = manifest["files"].toArray().first().toObject()["name"].toString();
}

void TestHostileLocal::damagedFolders_data()
{
    QTest::addColumn<QString>("damage");
    QTest::addColumn<int>("channelsExit");
    QTest::addColumn<int>("filesExit");
    QTest::addColumn<int>("fileLines");   // lines `files` prints
    QTest::addColumn<int>("streamExit");  // stream and frame at the segment's first second
    QTest::newRow("index01 is a FIFO") << "fifo01" << 1 << 1 << 0 << 1;
    QTest::newRow("index03 is a FIFO") << "fifo03" << 0 << 1 << 0 << 1;
    QTest::newRow("index02 is a folder") << "folder02" << 1 << 1 << 0 << 1;
    QTest::newRow("segment is a FIFO") << "fifoSegment" << 0 << 0 << 1 << 1;
    QTest::newRow("entry ends before it starts") << "endBeforeStart" << 0 << 0 << 0 << 1;
    QTest::newRow("segment of 4 GiB") << "huge" << 0 << 0 << 1 << -1;
}

void TestHostileLocal::damagedFolders()
{
    QFETCH(QString, damage);
    QFETCH(int, channelsExit);
    QFETCH(int, filesExit);
    QFETCH(int, fileLines);
    QFETCH(int, streamExit);
    const QString folder = m_dir.filePath(damage);
    QVERIFY(CopyTree(m_good, folder));
    const QString segment = folder + "/" + kChannel + "/" + m_segmentName;
    qint64 hugeBytes = 0;
    if (damage == "fifo01") {
        MakeFifo(folder + "/RecordFile/index01.bin");
    } else if (damage == "fifo03") {
        MakeFifo(folder + "/" + kChannel + "/index03.bin");
    } else if (damage == "folder02") {
        QFile::remove(folder + "/" + kDay + "/index02.bin");
        QVERIFY(QDir().mkpath(folder + "/" + kDay + "/index02.bin"));
    } else if (damage == "fifoSegment") {
        MakeFifo(segment);
    } else if (damage == "endBeforeStart") {
        // Start and end of the one entry swapped, the file renamed to match.
        const QString index = folder + "/" + kChannel + "/index03.bin";
        QByteArray bytes = SampleRun::ReadAll(index);
        const QByteArray start = bytes.mid(8, 8), end = bytes.mid(16, 8);
        bytes.replace(8, 8, end);
        bytes.replace(16, 8, start);
        QFile f(index);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
        const QStringList parts = m_segmentName.split('_');
        QVERIFY(QFile::rename(segment, folder + "/" + kChannel + "/" + parts[1] + "_" + parts[0] + "_" + parts[2]));
    } else if (damage == "huge") {
        hugeBytes = (qint64(1) << 32) + 4096;
        QVERIFY(::truncate(QFile::encodeName(segment).constData(), off_t(hugeBytes)) == 0);  // sparse
    }
    const QString from = "2024-01-30 00:00:00", to = "2024-01-30 23:59:59";
    const QString at = m_segmentName.left(4) + "-" + m_segmentName.mid(4, 2) + "-" + m_segmentName.mid(6, 2) + " " +
                       m_segmentName.mid(8, 2) + ":" + m_segmentName.mid(10, 2) + ":" + m_segmentName.mid(12, 2);

    const Run channels = Inspect({"channels", folder});
    QCOMPARE(channels.exitCode, channelsExit);
    if (channelsExit)
        QCOMPARE(channels.err.count('\n'), 1);
    const Run files = Inspect({"files", folder, "NVR_1", "1", from, to});
    QCOMPARE(files.exitCode, filesExit);
    const QList<QByteArray> lines = files.out.split('\n');
    QCOMPARE(int(files.out.count('\n')), fileLines);
    if (hugeBytes)
        QCOMPARE(lines.first().split('\t').value(2), QByteArray::number(hugeBytes));
    if (streamExit >= 0) {
        QCOMPARE(Inspect({"stream", folder, "NVR_1", "1", at}).exitCode, streamExit);
        QCOMPARE(Inspect({"frame", folder, "NVR_1", "1", at, m_dir.filePath(damage + ".png")}).exitCode, streamExit);
    }
}

// A folder whose name is not UTF-8 opens: the tool passes its bytes as they are.
void TestHostileLocal::folderNameNotUtf8()
{
    const QByteArray name = QFile::encodeName(m_dir.path()) + "/caf\xe9-\xff";
    QVERIFY(Exec("/bin/cp", {"-a", m_good, m_dir.filePath("latin")}).exitCode == 0);
    QCOMPARE(::rename(QFile::encodeName(m_dir.filePath("latin")).constData(), name.constData()), 0);
    const QString script = QString(
                               "\"$0\" channels \"$(printf '%1/caf\\351-\\377')\" && "
                               "\"$0\" files \"$(printf '%1/caf\\351-\\377')\" NVR_1 1 '2024-01-30 00:00:00' "
                               "'2024-01-30 23:59:59'")
                               .arg(m_dir.path());
    const Run r = Exec("/bin/sh", {"-c", script, SampleRun::Tool("varpen-inspect")});
    // The toolkit's temporary folder cannot name it to remove it: remove it by its bytes here.
    const Run removed = Exec("/bin/sh", {"-c", QString("rm -rf \"$(printf '%1/caf\\351-\\377')\"").arg(m_dir.path())});
    QCOMPARE(removed.exitCode, 0);
    QCOMPARE(r.exitCode, 0);
    QVERIFY(r.out.startsWith("type 3\nNVR_1\t1\n"));
    QVERIFY2(r.out.contains(name + "/RecordFile/20240130/NVR_1_1/"), r.out.constData());
}

void TestHostileLocal::springGapIsSaid()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("TZ", "Europe/Berlin");
    const ChildResult r =
        RunChild(SampleRun::Tool("varpen-inspect"),
                 {"files", m_good, "NVR_1", "1", "2024-03-31 02:30:00", "2024-03-31 04:00:00"}, 30000, env);
    QVERIFY(r.finished && !r.crashed);
    QCOMPARE(r.exitCode, 1);
    QVERIFY(r.err.contains("this local time does not exist"));
}

// TAB, line feed and other control characters inside an operator's name never split a record.
void TestHostileLocal::logFieldsStayOnOneLine()
{
    diskrec::DiskImageWriter writer;
    diskrec::ImageFile file;
    file.start = QDateTime(QDate(2024, 1, 30), QTime(10, 0)).toSecsSinceEpoch();
    file.end = file.start + 1;
    file.data.assign(400, 0);
    writer.AddFile("", file);
    std::vector<DR_LogRecord> logs = diskrec::MakeSampleLogs(3, file.start, 60);
    static const char kLocal[] = "ad\tm\nin\x01\\";  // with its NUL: 10 of the field's 16 bytes
    static const char kRemote[] = "x\ry";
    static_assert(sizeof(kLocal) <= sizeof(DR_LogRecord::local_operator));
    std::memcpy(logs[1].local_operator, kLocal, sizeof(kLocal));
    std::memcpy(logs[1].remote_operator, kRemote, sizeof(kRemote));
    for (const DR_LogRecord& r : logs)
        writer.AddLog(r);
    const std::string image = m_dir.filePath("log.img").toStdString();
    std::string error;
    QVERIFY2(writer.Write(image, &error), error.c_str());
    const Run r = Inspect({"logs", QString::fromStdString(image), "2024-01-30 00:00:00", "2024-01-30 23:59:59"});
    QCOMPARE(r.exitCode, 0);
    const QList<QByteArray> lines = r.out.split('\n');
    QCOMPARE(r.out.count('\n'), 3);
    for (const QByteArray& line : lines.mid(0, 3))
        QCOMPARE(line.count('\t'), 10);
    QCOMPARE(lines[1].split('\t')[3], QByteArray("ad\\tm\\nin\\x01\\\\"));
    QCOMPARE(lines[1].split('\t')[4], QByteArray("x\\ry"));
}

QTEST_GUILESS_MAIN(TestHostileLocal)
#include "tst_hostile_local.moc"
