// varpen-inspect on a folder made by varpen-sample and on recorder-disk images holding the same
// recordings: its output matches the sample manifest.
#include "platform/diskrec/DiskImageWriter.h"
#include "tests/engine/local/SampleRun.h"
#include "tests/support/ChildRun.h"

#include <QTemporaryDir>
#include <QtTest>

#include <set>

namespace {

using Run = SampleRun::ToolRun;
using SampleRun::TimeText;

Run Inspect(const QStringList& args)
{
    return SampleRun::RunTool("varpen-inspect", args, 60000);
}

}  // namespace

class TestInspect : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void channels_data();
    void channels();
    void days_data();
    void days();
    void files_data();
    void files();
    void streamStartsAtTheKeyframe_data();
    void streamStartsAtTheKeyframe();
    void refusesBadInput_data();
    void refusesBadInput();

private:
    QTemporaryDir m_dir;
    QString m_folder;
    QJsonObject m_manifest;
    QList<QJsonObject> m_files;  // in start order

    QString Source(const QString& name) const { return name == "folder" ? m_folder : m_dir.filePath(name); }
    // Channel arguments for a source: the group and number a scan of it lists.
    QStringList ChannelArgs(const QString& source, int channel) const
    {
        return source == "folder" ? QStringList{"NVR_1", QString::number(channel)}
                                  : QStringList{"NULLNULL", QString::number(channel - 1)};
    }
};

void TestInspect::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_folder = m_dir.filePath("folder");
    m_manifest =
        SampleRun::Folder(m_folder, {"--channels", "2", "--days", "3", "--segments-per-day", "2", "--segment-length",
                                     "3", "--gap", "2", "--record-types", "2,4,5", "--size", "96x64"});
    QVERIFY(!m_manifest.isEmpty());
    for (const QJsonValue& v : m_manifest["files"].toArray())
        m_files << v.toObject();
    std::sort(m_files.begin(), m_files.end(), [](const QJsonObject& a, const QJsonObject& b) {
        return a["start"].toInteger() < b["start"].toInteger();
    });
    // The same recordings on recorder disks of the three layouts.
    const QList<QPair<QString, std::string>> images{
        {"plain.img", ""}, {"nvr.img", "_NVR_DIR_\\Package000\\"}, {"dvr.img", "_DVR_DIR_\\Package000\\"}};
    for (const auto& [name, volume] : images) {
        diskrec::DiskImageWriter w;
        for (const QJsonObject& f : m_files) {
            diskrec::ImageFile file;
            file.channel = f["channel"].toInt();
            file.record_type = 1;
            file.start = f["start"].toInteger();
            file.end = f["end"].toInteger();
            file.name = f["name"].toString().left(40).toStdString();
            file.data_path = (m_folder + "/" + f["path"].toString()).toStdString();
            for (const QJsonValue& k : f["keyframes"].toArray())
                file.keyframes.push_back({k["time"].toInteger() * 1000, quint64(k["pos"].toInteger())});
            w.AddFile(volume, file);
        }
        std::string error;
        QVERIFY2(w.Write(m_dir.filePath(name).toStdString(), &error), error.c_str());
    }
    QFile junk(m_dir.filePath("junk.img"));
    QVERIFY(junk.open(QIODevice::WriteOnly));
    junk.write(QByteArray(65536, '\0'));
}

void TestInspect::channels_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("folder") << "folder" << QStringList{} << 0 << QStringList{"type 3", "NVR_1\t1", "NVR_1\t2"};
    QTest::newRow("folder, a month") << "folder" << QStringList{"--month", "2024-02"} << 0
                                     << QStringList{"type 3", "NVR_1\t1", "NVR_1\t2"};
    QTest::newRow("plain disk") << "plain.img" << QStringList{"--month", "2024-01"} << 0
                                << QStringList{"type 0", "NULLNULL\t0", "NULLNULL\t1"};
    QTest::newRow("nvr disk") << "nvr.img" << QStringList{} << 0 << QStringList{"type 1", "NULLNULL\t0", "NULLNULL\t1"};
    QTest::newRow("dvr disk, empty month")
        << "dvr.img" << QStringList{"--month", "2023-12"} << 0 << QStringList{"type 2"};
    QTest::newRow("not a recorder disk") << "junk.img" << QStringList{} << 1 << QStringList{"type -1"};
    QTest::newRow("no such path") << "missing" << QStringList{} << 1 << QStringList{"type -1"};
}

void TestInspect::channels()
{
    QFETCH(QString, source);
    QFETCH(QStringList, options);
    QFETCH(int, exitCode);
    QFETCH(QStringList, lines);
    const Run r = Inspect(QStringList{"channels", Source(source)} + options);
    QCOMPARE(r.exitCode, exitCode);
    QCOMPARE(r.Lines(), lines);
    QCOMPARE(r.err.count('\n'), exitCode == 0 ? 0 : 1);
}

void TestInspect::days_data()
{
    QTest::addColumn<QString>("source");
    for (const char* s : {"folder", "plain.img", "dvr.img"})
        QTest::newRow(s) << QString(s);
}

void TestInspect::days()
{
    QFETCH(QString, source);
    for (int channel : {1, 2}) {
        for (const QString month : {"2024-01", "2024-02"}) {
            std::set<QString> expected;
            for (const QJsonObject& f : m_files) {
                const QString day = f["start_text"].toString().left(10);
                if (f["channel"].toInt() == channel && day.startsWith(month))
                    expected.insert(day);
            }
            const Run r =
                Inspect(QStringList{"days", Source(source)} + ChannelArgs(source, channel) + QStringList{month});
            QCOMPARE(r.exitCode, 0);
            QCOMPARE(r.Lines(), QStringList(expected.begin(), expected.end()));
        }
    }
}

void TestInspect::files_data()
{
    QTest::addColumn<QString>("source");
    for (const char* s : {"folder", "nvr.img"})
        QTest::newRow(s) << QString(s);
}

void TestInspect::files()
{
    QFETCH(QString, source);
    const qint64 from = m_files.first()["start"].toInteger() + 1;  // overlaps the first file
    const qint64 to = m_files.last()["start"].toInteger();
    for (int channel : {1, 2}) {
        QStringList expected;
        for (const QJsonObject& f : m_files) {
            if (f["channel"].toInt() != channel)
                continue;
            QString line = f["start_text"].toString() + "\t" + f["end_text"].toString() + "\t" +
                           QString::number(f["size"].toInteger());
            if (source == "folder")
                line += "\t" + m_folder + "/" + f["path"].toString();
            expected << line;
        }
        const Run r = Inspect(QStringList{"files", Source(source)} + ChannelArgs(source, channel) +
                              QStringList{TimeText(from), TimeText(to)});
        QCOMPARE(r.exitCode, 0);
        QStringList got = r.Lines();
        if (source != "folder") {
            for (QString& l : got)
                l = l.section('\t', 0, 2);  // a disk names its files its own way
        }
        QCOMPARE(got, expected);
    }
    // One record type: segment number 4 is recorder type 10.
    const Run typed =
        Inspect(QStringList{"files", m_folder, "NVR_1", "1", TimeText(from), TimeText(to), "--type", "10"});
    QCOMPARE(typed.exitCode, 0);
    for (const QString& line : typed.Lines())
        QVERIFY2(line.endsWith("_4.mp4"), qPrintable(line));
    QVERIFY(!typed.Lines().isEmpty());
}

void TestInspect::streamStartsAtTheKeyframe_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<int>("secondsIn");
    QTest::newRow("folder, file start") << "folder" << 0;
    QTest::newRow("folder, inside") << "folder" << 2;
    QTest::newRow("disk, inside") << "plain.img" << 1;
}

void TestInspect::streamStartsAtTheKeyframe()
{
    QFETCH(QString, source);
    QFETCH(int, secondsIn);
    const QJsonObject f = m_files.at(2);
    const qint64 t = f["start"].toInteger() + secondsIn;
    qint64 keyPos = -1;
    for (const QJsonValue& k : f["keyframes"].toArray())
        if (k["time"].toInteger() <= t)
            keyPos = k["pos"].toInteger();
    QVERIFY(keyPos >= 40);
    const QByteArray bytes = SampleRun::ReadAll(m_folder + "/" + f["path"].toString());
    const Run r = Inspect(QStringList{"stream", Source(source)} + ChannelArgs(source, f["channel"].toInt()) +
                          QStringList{TimeText(t)});
    QCOMPARE(r.exitCode, 0);
    const QByteArray expected = bytes.left(40) + bytes.mid(secondsIn == 0 ? 40 : keyPos);
    QCOMPARE(r.out.size(), expected.size());
    QVERIFY(r.out == expected);
}

void TestInspect::refusesBadInput_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::newRow("nothing") << QStringList{};
    QTest::newRow("unknown command") << QStringList{"frobnicate"};
    QTest::newRow("channels without source") << QStringList{"channels"};
    QTest::newRow("bad month") << QStringList{"channels", "/tmp", "--month", "2024-13"};
    QTest::newRow("month without value") << QStringList{"channels", "/tmp", "--month"};
    QTest::newRow("days bad number") << QStringList{"days", "/tmp", "NVR_1", "x", "2024-01"};
    QTest::newRow("files bad time") << QStringList{"files", "/tmp", "NVR_1", "1", "2024-01-30", "2024-01-31 00:00:00"};
    QTest::newRow("files empty window") << QStringList{
        "files", "@folder", "NVR_1", "1", "2024-01-31 00:00:00", "2024-01-30 00:00:00"};
    QTest::newRow("files not a disk") << QStringList{"files", "@junk.img",           "NULLNULL",
                                                     "0",     "2024-01-30 00:00:00", "2024-01-31 00:00:00"};
    QTest::newRow("stream no recording") << QStringList{"stream", "@folder", "NVR_1", "1", "2024-01-30 23:00:00"};
    QTest::newRow("stream no such channel") << QStringList{"stream", "@folder", "NVR_9", "1", "2024-01-30 10:00:00"};
}

void TestInspect::refusesBadInput()
{
    QFETCH(QStringList, args);
    for (QString& a : args)
        if (a.startsWith('@'))
            a = Source(a.mid(1));
    const Run r = Inspect(args);
    QCOMPARE(r.exitCode, 1);
    QCOMPARE(r.err.count('\n'), 1);
    QVERIFY(r.err.startsWith("varpen-inspect: "));
}

QTEST_GUILESS_MAIN(TestInspect)
#include "tst_inspect.moc"
