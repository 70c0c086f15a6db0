// The output file of clips and downloads, on real files.
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>

#include "engine/OutputFile.h"
#include "platform/rtk/rtk.h"

namespace {

QByteArray Read(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

}  // namespace

class TestOutputFile : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { RTK_Test_FailWritesAfter(-1); }

    void writesAndCounts()
    {
        QTemporaryDir dir;
        const std::string path = (dir.path() + "/a.mp4").toStdString();
        COutputFile out;
        QVERIFY(!out.IsOpen());
        QCOMPARE(out.Write("x", 1), 0u);  // closed: nothing, no exception
        QVERIFY(out.Open(path));
        QCOMPARE(out.Write("hello", 5), 5u);
        QCOMPARE(out.Write(" world", 6), 6u);
        QCOMPARE(out.GetWrittenBytes(), 11u);
        out.Close(std::string());
        QVERIFY(!out.IsOpen());
        QCOMPARE(Read(QString::fromStdString(path)), QByteArray("hello world"));
        QCOMPARE(out.Write("x", 1), 0u);
    }

    // Where the file ends up for each final name.
    void finalNames_data()
    {
        QTest::addColumn<QString>("finalName");  // relative to the folder; "=" means the path itself
        QTest::addColumn<QString>("expected");   // where the data is afterwards
        QTest::addRow("empty keeps the path") << ""
                                              << "work.mp4";
        QTest::addRow("same as the path") << "="
                                          << "work.mp4";
        QTest::addRow("new name") << "final.mp4"
                                  << "final.mp4";
        QTest::addRow("replaces what stood there") << "old.mp4"
                                                   << "old.mp4";
    }
    void finalNames()
    {
        QFETCH(QString, finalName);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        const QString work = dir.path() + "/work.mp4";
        QFile old(dir.path() + "/old.mp4");
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("previous");
        old.close();
        COutputFile out;
        QVERIFY(out.Open(work.toStdString()));
        out.Write("data", 4);
        const QString final = finalName == "=" ? work : finalName.isEmpty() ? QString() : dir.path() + "/" + finalName;
        out.Close(final.toStdString());
        QCOMPARE(Read(dir.path() + "/" + expected), QByteArray("data"));
        if (expected != "work.mp4")
            QVERIFY(!QFile::exists(work));
    }

    void reopeningClosesTheFirstFileUnrenamed()
    {
        QTemporaryDir dir;
        COutputFile out;
        QVERIFY(out.Open((dir.path() + "/1.mp4").toStdString()));
        out.Write("one", 3);
        QVERIFY(out.Open((dir.path() + "/2.mp4").toStdString()));
        QCOMPARE(out.GetWrittenBytes(), 0u);
        out.Write("two", 3);
        out.Close(std::string());
        QCOMPARE(Read(dir.path() + "/1.mp4"), QByteArray("one"));
        QCOMPARE(Read(dir.path() + "/2.mp4"), QByteArray("two"));
    }

    void failedOpenLeavesItClosed()
    {
        QTemporaryDir dir;
        COutputFile out;
        QVERIFY(!out.Open((dir.path() + "/no/such/folder/x.mp4").toStdString()));
        QVERIFY(!out.IsOpen());
        QVERIFY(out.GetPath().empty());
        // An existing recording is never overwritten by a new output of the same name.
        QFile existing(dir.path() + "/taken.mp4");
        QVERIFY(existing.open(QIODevice::WriteOnly));
        existing.write("keep");
        existing.close();
        QVERIFY(!out.Open((dir.path() + "/taken.mp4").toStdString()));
        QCOMPARE(Read(dir.path() + "/taken.mp4"), QByteArray("keep"));
    }

    void failedWriteThrowsAndKeepsWhatWasWritten()
    {
        QTemporaryDir dir;
        COutputFile out;
        QVERIFY(out.Open((dir.path() + "/full.mp4").toStdString()));
        out.Write("abcd", 4);
        RTK_Test_FailWritesAfter(2);
        bool thrown = false;
        try {
            out.Write("efgh", 4);
        } catch (const Varpen::CStorageException& e) {
            thrown = true;
            QCOMPARE(QByteArray(e.what()), QByteArray("Write file exception."));
            // The failure travels with the path and the error of the call that failed.
            QCOMPARE(int(e.Error().op), int(FileError::Op::Write));
            QCOMPARE(QString::fromStdString(e.Error().path), dir.path() + "/full.mp4");
            QCOMPARE(e.Error().error, ENOSPC);
            QCOMPARE(QString::fromStdString(e.Error().Text()), dir.path() + "/full.mp4: No space left on device");
        }
        QVERIFY(thrown);
        QCOMPARE(out.GetWrittenBytes(), 4u);
        RTK_Test_FailWritesAfter(-1);
        out.Close(std::string());
        QCOMPARE(Read(dir.path() + "/full.mp4"), QByteArray("abcdef"));
    }

    void failedRenameThrowsAndKeepsTheWorkingFile()
    {
        QTemporaryDir dir;
        COutputFile out;
        QVERIFY(out.Open((dir.path() + "/w.mp4").toStdString()));
        out.Write("z", 1);
        const QString final = dir.path() + "/missing/dir/f.mp4";
        FileError error;
        try {
            out.Close(final.toStdString());
        } catch (const Varpen::CStorageException& e) {
            error = e.Error();
        }
        QCOMPARE(int(error.op), int(FileError::Op::Rename));
        QCOMPARE(QString::fromStdString(error.path), final);
        QCOMPARE(error.error, ENOENT);
        QVERIFY(!out.IsOpen());
        QCOMPARE(Read(dir.path() + "/w.mp4"), QByteArray("z"));
    }
    // A package is hidden while written and takes a free final name when complete: whatever
    // stands under the chosen name (a file, a folder, a dangling link) is left alone.
    void packageTakesAFreeName_data()
    {
        QTest::addColumn<QString>("occupant");
        QTest::newRow("nothing") << "";
        QTest::newRow("a file") << "file";
        QTest::newRow("a folder") << "folder";
        QTest::newRow("a dangling link") << "link";
    }
    void packageTakesAFreeName()
    {
        QFETCH(QString, occupant);
        QTemporaryDir dir;
        Varpen::SetOutputNameClock([]() -> std::int64_t { return 77; });
        const QString folder = dir.path() + "/20240102/Download/";
        QVERIFY(QDir().mkpath(folder));
        const QString chosen = folder + "channel1_20240102030405" + "77.mp4";
        if (occupant == "file") {
            QFile f(chosen);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("precious");
        } else if (occupant == "folder") {
            QVERIFY(QDir().mkpath(chosen));
        } else if (occupant == "link") {
            QVERIFY(QFile::link(dir.path() + "/nowhere", chosen));
        }
        Varpen::COutputPackage package;
        package.SetSaveFolder(dir.path().toStdString());
        Varpen::COutputPackage::Name name;
        name.dateOf = name.stamp = QDateTime(QDate(2024, 1, 2), QTime(3, 4, 5)).toSecsSinceEpoch();
        name.channelPlusOne = 1;
        const bool opened = package.Open(name);
        Varpen::SetOutputNameClock(nullptr);
        QVERIFY2(opened, package.Error().c_str());
        const QString expected = occupant.isEmpty() ? chosen : folder + "channel1_2024010203040577-1.mp4";
        QCOMPARE(QString::fromStdString(package.FinalPath()), expected);
        package.Write("data", 4);
        QVERIFY(!QFileInfo::exists(expected));  // nothing under a final name until complete
        QVERIFY(package.Finish());
        QCOMPARE(Read(expected), QByteArray("data"));
        if (occupant == "file")
            QCOMPARE(Read(chosen), QByteArray("precious"));
        if (occupant == "link")
            QVERIFY(QFileInfo(chosen).isSymLink());
        // Nothing hidden is left behind.
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System).filter(".part"), QStringList());
    }

    // An incomplete package never takes its final name: abandoned, or failed mid-way.
    void incompletePackageLeavesNothing_data()
    {
        QTest::addColumn<bool>("failWrite");
        QTest::newRow("abandoned") << false;
        QTest::newRow("write failed") << true;
    }
    void incompletePackageLeavesNothing()
    {
        QFETCH(bool, failWrite);
        QTemporaryDir dir;
        Varpen::COutputPackage package;
        package.SetSaveFolder(dir.path().toStdString());
        package.SetBufferBytes(64);
        Varpen::COutputPackage::Name name;
        name.stamp = 1704164645;
        QVERIFY(package.Open(name));
        const QString final = QString::fromStdString(package.FinalPath());
        package.Write("0123456789", 10);
        if (failWrite) {
            RTK_Test_FailWritesAfter(4);
            QVERIFY(!package.Finish());
            QVERIFY(!package.Error().empty());
        } else {
            package.Abandon();
        }
        QVERIFY(!QFileInfo::exists(final));
        QCOMPARE(QDir(QFileInfo(final).path()).entryList(QDir::Files | QDir::Hidden), QStringList());
    }

    // A folder that cannot be made fails the open with its reason.
    void folderThatCannotBeMade()
    {
        QTemporaryDir dir;
        QFile blocker(dir.path() + "/blocker");
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        FileError error;
        QVERIFY(!Varpen::MakeOutputFolder((dir.path() + "/blocker/a/b/").toStdString(), &error));
        QVERIFY2(QString::fromStdString(error.Text()).contains("Not a directory"), error.Text().c_str());
        QVERIFY(Varpen::MakeOutputFolder((dir.path() + "/x/y/z/").toStdString(), &error));
        QVERIFY(QFileInfo(dir.path() + "/x/y/z").isDir());
        Varpen::COutputPackage package;
        package.SetSaveFolder((dir.path() + "/blocker").toStdString());
        QVERIFY(!package.Open(Varpen::COutputPackage::Name{}));
        QVERIFY(!package.Error().empty());
    }
};

QTEST_GUILESS_MAIN(TestOutputFile)
#include "tst_output_file.moc"
