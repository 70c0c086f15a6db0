// Device-log texts: the code tables in both languages, the decoding of damaged and hostile
// 68-byte records, and the XML export read back.
#include "devicelog/LogRecordText.h"
#include "devicelog/LogTrans.h"
#include "devicelog/LogWriteThread.h"
#include "tests/support/QueuedSpy.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QTranslator>
#include <QXmlStreamReader>
#include <QtTest>

#include <csignal>
#include <cstring>
#include <sys/resource.h>

namespace {

DR_LogRecord Record()
{
    DR_LogRecord r{};
    std::memcpy(r.time, "20240131235959", 15);
    r.major_type = 3;
    r.minor_type = 0x50;
    std::memcpy(r.local_operator, "admin", 6);
    r.remote_host = 0xC0A80001u;
    r.parameter_type = 65;
    r.channel = 2;
    r.disk = 1;
    return r;
}

QString TranslationsDir()
{
    return qEnvironmentVariable("VARPEN_BUILD_DIR") + QStringLiteral("/bin/translations");
}

// Reads an export back: one string list per "Log", in element order, with element names.
bool ReadBack(const QString& path, QVector<QStringList>* rows, QStringList* names)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QXmlStreamReader xml(&file);
    QStringList path_;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            path_ << xml.name().toString();
            if (xml.name() == QLatin1String("Log"))
                rows->append(QStringList());
            else if (path_.size() == 4) {
                names->append(xml.name().toString());
                rows->last().append(xml.readElementText());
                path_.removeLast();
            }
        } else if (xml.isEndElement()) {
            path_.removeLast();
        }
    }
    return !xml.hasError();
}

} // namespace

class TestLogTexts : public QObject {
    Q_OBJECT

private slots:
    void codeTables()
    {
        const CLogTrans t;
        QCOMPARE(t.TransMajorType(1), QStringLiteral("Alarm"));
        QCOMPARE(t.TransMajorType(4), QStringLiteral("Information"));
        QVERIFY(t.TransMajorType(0).isEmpty());
        QVERIFY(t.TransMajorType(5).isEmpty());
        QCOMPARE(t.TransMinorType(0x73), QStringLiteral("Stop Start Recording"));
        QCOMPARE(t.TransMinorType(0x42), QStringLiteral("Trun Off"));
        QCOMPARE(t.TransMinorType(0x31), t.TransMinorType(0x37));
        QCOMPARE(t.TransMinorType(0x11C), QStringLiteral("Remote RAID Adapter Upgrade"));
        for (unsigned code : {0u, 0x2Du, 0x6Du, 0x121u, 0x11Du, 0xFFFFFFFFu})
            QVERIFY2(t.TransMinorType(code).isEmpty(), qPrintable(QString::number(code, 16)));

        std::size_t count = 0;
        const unsigned* codes = CLogTrans::MinorCodes(&count);
        QCOMPARE(count, std::size_t(134));
        QSet<QString> texts;
        for (std::size_t i = 0; i < count; ++i) {
            QVERIFY(i == 0 || codes[i] > codes[i - 1]);
            texts.insert(t.TransMinorType(codes[i]));
        }
        QCOMPARE(texts.size(), 125);
    }

    void everyCodeInChinese()
    {
        QTranslator zh;
        QVERIFY(zh.load(TranslationsDir() + QStringLiteral("/varpen_zh.qm")));
        QCoreApplication::installTranslator(&zh);
        const CLogTrans t;
        std::size_t count = 0;
        const unsigned* codes = CLogTrans::MinorCodes(&count);
        for (std::size_t i = 0; i < count; ++i) {
            const QString text = t.TransMinorType(codes[i]);
            QVERIFY2(!text.isEmpty() && text != QLatin1String(CLogTrans::MinorTypeSource(codes[i])),
                     CLogTrans::MinorTypeSource(codes[i]));
        }
        for (unsigned major = 1; major <= 4; ++major)
            QVERIFY(t.TransMajorType(major) != QLatin1String(CLogTrans::MajorTypeSource(major)));
        QCOMPARE(t.TransMajorType(1), QStringLiteral("报警"));
        QCoreApplication::removeTranslator(&zh);
        QCOMPARE(t.TransMajorType(1), QStringLiteral("Alarm"));
    }

    void times_data()
    {
        QTest::addColumn<QByteArray>("field");
        QTest::addColumn<QString>("text");
        QTest::newRow("whole") << QByteArray("20240131235959") << QStringLiteral("2024-01-31 23:59:59");
        QTest::newRow("short") << QByteArray("2024013123") << QStringLiteral("2024-01-31 23:");
        QTest::newRow("four") << QByteArray("2024") << QStringLiteral("2024-");
        QTest::newRow("empty") << QByteArray() << QString();
    }

    void times()
    {
        QFETCH(QByteArray, field);
        QFETCH(QString, text);
        QCOMPARE(CLogTrans().TransTime(field.constData()), text);
        QVERIFY(CLogTrans().TransTime(nullptr).isEmpty());
    }

    void records_data()
    {
        QTest::addColumn<QByteArray>("bytes"); // the 68-byte record
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("text");
        auto row = [](const char* name, void (*edit)(DR_LogRecord&), int column, const QString& text) {
            DR_LogRecord r = Record();
            edit(r);
            QTest::newRow(name) << QByteArray(reinterpret_cast<const char*>(&r), sizeof r) << column << text;
        };
        row("time", [](DR_LogRecord&) {}, LogColumnTime, QStringLiteral("2024-01-31 23:59:59"));
        // 16 digits and no terminator: the next field must not run into the text.
        row("time without terminator", [](DR_LogRecord& r) { std::memcpy(r.time, "2024013123595999", 16); },
            LogColumnTime, QStringLiteral("2024013123595999"));
        row("time not digits", [](DR_LogRecord& r) { std::memcpy(r.time, "2024-1\t31", 10); }, LogColumnTime,
            QStringLiteral("2024-1\\t31"));
        row("major", [](DR_LogRecord&) {}, LogColumnMajor, QStringLiteral("Operation"));
        row("unknown major shows its number", [](DR_LogRecord& r) { r.major_type = 5; }, LogColumnMajor, QStringLiteral("5"));
        row("minor", [](DR_LogRecord&) {}, LogColumnMinor, QStringLiteral("Local Login"));
        row("unknown minor shows its code", [](DR_LogRecord& r) { r.minor_type = 0x2D; }, LogColumnMinor, QStringLiteral("0x2D"));
        row("operator", [](DR_LogRecord&) {}, LogColumnLocalOperator, QStringLiteral("admin"));
        row("operator of 16 bytes", [](DR_LogRecord& r) { std::memcpy(r.local_operator, "abcdefghijklmnop", 16); },
            LogColumnLocalOperator, QStringLiteral("abcdefghijklmnop"));
        row("operator with a tab and newline", [](DR_LogRecord& r) { std::memcpy(r.remote_operator, "a\tb\nc\\", 7); },
            LogColumnRemoteOperator, QStringLiteral("a\\tb\\nc\\\\"));
        row("operator in GB18030", [](DR_LogRecord& r) { std::memcpy(r.local_operator, "\xB9\xDC\xC0\xED\xD4\xB1", 7); },
            LogColumnLocalOperator, QStringLiteral("管理员"));
        row("address", [](DR_LogRecord&) {}, LogColumnRemoteHost, QStringLiteral("192.168.0.1"));
        row("address all ones", [](DR_LogRecord& r) { r.remote_host = 0xFFFFFFFFu; }, LogColumnRemoteHost,
            QStringLiteral("255.255.255.255"));
        row("parameter", [](DR_LogRecord&) {}, LogColumnParameter, QStringLiteral("A"));
        row("parameter low 16 bits", [](DR_LogRecord& r) { r.parameter_type = 0x10041; }, LogColumnParameter, QStringLiteral("A"));
        row("parameter zero", [](DR_LogRecord& r) { r.parameter_type = 0; }, LogColumnParameter, QString());
        row("parameter half a surrogate", [](DR_LogRecord& r) { r.parameter_type = 0xD800; }, LogColumnParameter, QString());
        row("channel unsigned", [](DR_LogRecord& r) { r.channel = 200; }, LogColumnChannel, QStringLiteral("200"));
        row("alarm output 255", [](DR_LogRecord& r) { r.alarm_output = 255; }, LogColumnAlarmOutput, QStringLiteral("255"));
    }

    void records()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, column);
        QFETCH(QString, text);
        DR_LogRecord r;
        std::memcpy(&r, bytes.constData(), sizeof r);
        const QStringList row = LogRowTexts(r, 7);
        QCOMPARE(row.size(), int(LogColumnCount));
        QCOMPARE(row[LogColumnId], QStringLiteral("7"));
        QCOMPARE(row[column], text);
    }

    void exportReadsBack()
    {
        QTemporaryDir dir;
        QStandardItemModel model(0, LogColumnCount);
        for (int r = 0; r < 3; ++r) {
            DR_LogRecord record = Record();
            record.channel = uint8_t(r);
            std::memcpy(record.remote_operator, "x\x01y<&>", 7); // a control byte XML cannot hold
            QList<QStandardItem*> items;
            for (const QString& text : LogRowTexts(record, r + 1))
                items << new QStandardItem(text);
            model.appendRow(items);
        }
        model.item(1, LogColumnLocalOperator)->setText(QStringLiteral("a\x02z")); // raw, unescaped
        const QString path = dir.filePath(QStringLiteral("logs.xml"));
        CLogWriteThread writer;
        QueuedSpy over(&writer, &CLogWriteThread::SendWriteOver);
        writer.SetParam(path, -1, &model);
        model.clear(); // the writer works from its own copy
        writer.start();
        QVERIFY(over.WaitFor(1, 10000));
        QVERIFY(writer.wait());
        QCOMPARE(std::get<0>(over.At(0)), int(CLogWriteThread::Written));

        QVector<QStringList> rows;
        QStringList names;
        QVERIFY(ReadBack(path, &rows, &names));
        QCOMPARE(rows.size(), 3);
        QCOMPARE(names.mid(0, 11),
                 (QStringList{"ID", "OperationTime", "MajorType", "MinorType", "LocalOperator", "RemoteOperator",
                              "RemoteHostAddress", "ChannelNo", "DiskNo", "AlarmInput", "AlarmOutput"}));
        QCOMPARE(rows[2][0], QStringLiteral("3"));
        QCOMPARE(rows[2][1], QStringLiteral("2024-01-31 23:59:59"));
        QCOMPARE(rows[2][5], QStringLiteral("x\\x01y<&>"));
        QCOMPARE(rows[1][4], QStringLiteral("a\uFFFDz"));
        QCOMPARE(rows[2][7], QStringLiteral("2"));
    }

    void exportOfNoRowsIsWellFormed()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("empty.xml"));
        CLogWriteThread writer;
        QueuedSpy over(&writer, &CLogWriteThread::SendWriteOver);
        writer.SetRows(path, {});
        writer.start();
        QVERIFY(over.WaitFor(1, 10000));
        QVERIFY(writer.wait());
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QXmlStreamReader xml(&file);
        QStringList elements;
        while (!xml.atEnd())
            if (xml.readNext() == QXmlStreamReader::StartElement)
                elements << xml.name().toString();
        QVERIFY(!xml.hasError());
        QCOMPARE(elements, (QStringList{"LogTypes", "Logs"}));
    }

    void failedExportKeepsTheOldFile()
    {
        QTemporaryDir dir;
        CLogWriteThread writer;
        QueuedSpy over(&writer, &CLogWriteThread::SendWriteOver);
        writer.SetRows(dir.filePath(QStringLiteral("no/such/folder/logs.xml")), {});
        writer.start();
        QVERIFY(over.WaitFor(1, 10000));
        QVERIFY(writer.wait());
        QCOMPARE(std::get<0>(over.At(0)), int(CLogWriteThread::OpenFailed));

        const QString path = dir.filePath(QStringLiteral("logs.xml"));
        {
            QFile old(path);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("old export");
        }
        QVector<QStringList> rows(5000, QStringList(LogColumnCount, QStringLiteral("some text")));
        writer.SetRows(path, rows);
        // The file system fills up after 4 KiB: the write fails part-way.
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        rlimit small = saved;
        small.rlim_cur = 4096;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        writer.start();
        writer.wait();
        setrlimit(RLIMIT_FSIZE, &saved);
        over.Flush(); // emitted on the writer's thread before wait() returned
        QCOMPARE(over.Count(), 2);
        QCOMPARE(std::get<0>(over.At(1)), int(CLogWriteThread::WriteFailed));
        QFile old(path);
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("old export"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("logs.xml")});
    }

    void backupFileNames_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("used");
        QTest::newRow("no ending") << "logs" << "logs.xml";
        QTest::newRow("ending") << "logs.xml" << "logs.xml";
        QTest::newRow("upper-case ending") << "LOGS.XML" << "LOGS.XML";
        QTest::newRow("ending inside") << "logs.xml.bak" << "logs.xml.bak.xml";
        QTest::newRow("empty") << "" << "";
    }

    void backupFileNames()
    {
        QFETCH(QString, typed);
        QFETCH(QString, used);
        QCOMPARE(CLogWriteThread::BackupFileName(typed), used);
    }
};

QTEST_GUILESS_MAIN(TestLogTexts)
#include "tst_logtexts.moc"
