// varpen-inspect's stream, play and download commands on damaged recordings and busy output
// folders: a failure is never reported as success, and a download lists only what it wrote.
#include "tests/engine/local/SampleRun.h"
#include "tests/support/ChildRun.h"

#include <QDirIterator>
#include <QTemporaryDir>
#include <QtTest>

namespace {

using Run = SampleRun::ToolRun;
using SampleRun::TimeText;

Run Inspect(const QStringList& args)
{
    return SampleRun::RunTool("varpen-inspect", args, 90000);
}

}  // namespace

class TestInspectOutputs : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_folder;
    QString m_clean;  // a folder of two whole segments
    QList<QJsonObject> m_cleanFiles;
    QList<QJsonObject> m_files;  // in start order

    QStringList Channel() const { return {m_folder, "NVR_1", "1"}; }
    // Damages the segment of file `index` in place.
    bool Damage(int index, const QString& how)
    {
        const QString path = m_folder + "/" + m_files.at(index)["path"].toString();
        const QByteArray whole = SampleRun::ReadAll(path);
        if (!QFile::remove(path))
            return false;
        if (how == "folder")
            return QDir().mkpath(path);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly))
            return false;
        if (how == "short")
            f.write(QByteArray(20, 'x'));
        if (how == "noise") {
            QByteArray noise = whole.left(40);
            quint32 x = 12345;
            while (noise.size() < whole.size()) {
                x = x * 1103515245u + 12345u;
                noise.append(char(x >> 24));
            }
            f.write(noise);
        }
        return true;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_folder = m_dir.filePath("folder");
        const QJsonObject manifest =
            SampleRun::Folder(m_folder, {"--channels", "1", "--days", "1", "--segments-per-day", "6",
                                         "--segment-length", "3", "--gap", "2", "--size", "96x64"});
        QVERIFY(!manifest.isEmpty());
        for (const QJsonValue& v : manifest["files"].toArray())
            m_files << v.toObject();
        std::sort(m_files.begin(), m_files.end(), [](const QJsonObject& a, const QJsonObject& b) {
            return a["start"].toInteger() < b["start"].toInteger();
        });
        QCOMPARE(m_files.size(), 6);
        m_clean = m_dir.filePath("clean");
        const QJsonObject clean =
            SampleRun::Folder(m_clean, {"--channels", "1", "--days", "1", "--segments-per-day", "2", "--segment-length",
                                        "3", "--gap", "2", "--size", "96x64"});
        QVERIFY(!clean.isEmpty());
        for (const QJsonValue& v : clean["files"].toArray())
            m_cleanFiles << v.toObject();
        std::sort(m_cleanFiles.begin(), m_cleanFiles.end(), [](const QJsonObject& a, const QJsonObject& b) {
            return a["start"].toInteger() < b["start"].toInteger();
        });
        // Segments 0 to 2 damaged three ways, 5 keeps its header over noise; 3 and 4 stay whole.
        QVERIFY(Damage(0, "folder"));
        QVERIFY(Damage(1, "short"));
        QVERIFY(Damage(2, "empty"));
        QVERIFY(Damage(5, "noise"));
    }

    // A segment that is a folder, too short or empty gives no stream: exit 1 and no bytes.
    void streamOfADamagedSegmentFails_data()
    {
        QTest::addColumn<int>("index");
        QTest::newRow("folder") << 0;
        QTest::newRow("short") << 1;
        QTest::newRow("empty") << 2;
    }
    void streamOfADamagedSegmentFails()
    {
        QFETCH(int, index);
        const Run r = Inspect(QStringList{"stream"} + Channel() +
                              QStringList{TimeText(m_files.at(index)["start"].toInteger() + 1)});
        QCOMPARE(r.exitCode, 1);
        QVERIFY(r.out.size() <= 40);
        QCOMPARE(r.err.count('\n'), 1);
    }

    // A whole segment still streams.
    void streamOfAWholeSegment()
    {
        const Run r =
            Inspect(QStringList{"stream"} + Channel() + QStringList{TimeText(m_files.at(3)["start"].toInteger())});
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.out.size() > 40);
    }

    // Playback that starts but shows no frame (a stream header over noise) is no success.
    void playWithoutAFrameFails()
    {
        const qint64 s = m_files.at(5)["start"].toInteger();
        const Run r = Inspect(QStringList{"play"} + Channel() +
                              QStringList{TimeText(s), TimeText(s + 2), "--at", TimeText(s), "--seconds", "2"});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains("varpen-inspect: "), r.err.constData());
    }

    // Downloads run at once into one folder: each lists the files its own job wrote, never those
    // that appeared meanwhile, and nothing unfinished is left.
    void downloadListsWhatItWrote()
    {
        const QString out = m_dir.filePath("out1");
        const qint64 s = m_cleanFiles.first()["start"].toInteger();
        const qint64 e = m_cleanFiles.last()["end"].toInteger();
        constexpr int kRuns = 4;
        QList<QProcess*> runs;
        for (int i = 0; i < kRuns; ++i) {
            auto* p = new QProcess(this);
            p->start(SampleRun::Tool("varpen-inspect"), {"download", m_clean, "NVR_1", "1", TimeText(s), TimeText(e),
                                                         out, "--by", i % 2 ? "time" : "file"});
            runs << p;
        }
        QSet<QString> all;
        for (QProcess* p : runs) {
            const ChildResult r = FinishChild(*p, 90000);
            QVERIFY(r.Ok());
            QStringList written;
            for (const QString& line : QString::fromUtf8(r.out).split('\n', Qt::SkipEmptyParts))
                if (line.startsWith("written\t"))
                    written << line.section('\t', 1, 1);
            QCOMPARE(written.size(), 2);
            for (const QString& path : written) {
                QVERIFY2(QFileInfo(path).size() > 40, qPrintable(path));
                QVERIFY2(!all.contains(path), qPrintable(path));  // no run claims another's file
                all.insert(path);
            }
        }
        QDirIterator it(out, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        int files = 0;
        while (it.hasNext()) {
            QVERIFY2(!QFileInfo(it.next()).fileName().startsWith('.'), qPrintable(it.filePath()));
            ++files;
        }
        QCOMPARE(files, 2 * kRuns);
    }

    // A download by time writes only what overlaps its window; a window with no recording in it
    // is an error, though the search around it finds the day's recordings.
    void downloadOfAnEmptyWindowFails_data()
    {
        QTest::addColumn<QString>("by");
        QTest::newRow("by time") << "time";
        QTest::newRow("by file") << "file";
    }
    void downloadOfAnEmptyWindowFails()
    {
        QFETCH(QString, by);
        const QString out = m_dir.filePath("out2" + by);
        const qint64 end = m_cleanFiles.last()["end"].toInteger();
        const Run r = Inspect(QStringList{"download", m_clean, "NVR_1", "1"} +
                              QStringList{TimeText(end + 600), TimeText(end + 1200), out, "--by", by});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains("no recording"), r.err.constData());
        QVERIFY(!r.out.contains("written"));
        QDirIterator it(out, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        QVERIFY(!it.hasNext());
    }

    // A download across a damaged segment ends with an error and keeps only whole outputs.
    void downloadAcrossADamagedSegmentFails()
    {
        const QString out = m_dir.filePath("out3");
        const Run r = Inspect(QStringList{"download"} + Channel() +
                              QStringList{TimeText(m_files.at(2)["start"].toInteger()),
                                          TimeText(m_files.at(3)["end"].toInteger()), out, "--by", "file"});
        QCOMPARE(r.exitCode, 1);
        QDirIterator it(out, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            QVERIFY2(!QFileInfo(path).fileName().startsWith('.'), qPrintable(path));
            QVERIFY2(QFileInfo(path).size() > 40, qPrintable(path));
        }
    }
};

QTEST_GUILESS_MAIN(TestInspectOutputs)
#include "tst_inspect_outputs.moc"
