// Device-log texts: the code tables in both languages, the decoding of damaged and hostile
// 68-byte records, and the XML export read back.
#include "devicelog/LogRecordText.h"
#include "devicelog/LogRows.h"
#include "devicelog/LogSearch.h"
#include "devicelog/LogTrans.h"
#include "devicelog/LogWriteThread.h"
#include "platform/diskrec/DiskImageWriter.h"
#include "tests/support/QueuedSpy.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTranslator>
#include <QXmlStreamReader>
#include <QtTest>

#include <csignal>
#include <random>
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

// Installs the translator of `language` (none for an empty name).
bool Install(QTranslator& translator, const QString& language)
{
    if (language.isEmpty())
        return true;
    if (!translator.load(TranslationsDir() + QLatin1Char('/') + language))
        return false;
    QCoreApplication::installTranslator(&translator);
    return true;
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

// The records of the pinned export: every column, texts that need XML escapes, empty cells,
// Chinese in both code pages, characters XML cannot hold, fields without a terminator.
std::vector<DR_LogRecord> PinnedRecords()
{
    std::vector<DR_LogRecord> records;
    records.push_back(Record());

    DR_LogRecord r{};
    std::memcpy(r.time, "2024-01<31>&\"xy'", 16);  // no terminator: shown as it stands, escaped
    r.major_type = 7;                              // no text: its number
    r.minor_type = 0x2D;                           // no text: its code
    std::memcpy(r.local_operator, "<a&b>\"c'd]]>", 13);
    std::memcpy(r.remote_operator, "t\tn\nr\r\\", 8);
    r.remote_host = 0xFFFFFFFFu;
    r.parameter_type = '<';
    r.channel = 255;
    r.disk = 255;
    r.alarm_input = 255;
    r.alarm_output = 255;
    records.push_back(r);

    r = DR_LogRecord{};  // an empty record: empty time, no operators, codes 0
    records.push_back(r);

    r = Record();
    std::memcpy(r.time, "20240229000000", 15);
    r.major_type = 1;
    r.minor_type = 0x1;
    std::memcpy(r.local_operator, "\xB9\xDC\xC0\xED\xD4\xB1", 7);                // GB18030
    std::memcpy(r.remote_operator, "\xE6\x93\x8D\xE4\xBD\x9C\xE5\x91\x98", 10);  // UTF-8
    r.remote_host = 0x0A000001u;
    records.push_back(r);

    r = Record();
    std::memcpy(r.local_operator, "a\xEF\xBF\xBEz\xC2\x85", 8);  // U+FFFE, U+0085
    std::memcpy(r.remote_operator,
                "\xF0\x9F\x98\x80"
                "ghijklmnopqr",
                16);  // beyond the BMP, 16 bytes
    r.parameter_type = 0;
    records.push_back(r);
    return records;
}

// The export of none and of all of PinnedRecords(), byte for byte.
const char kPinnedNone[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<LogTypes>\n"
    "    <Logs/>\n"
    "</LogTypes>\n";
const char kPinnedAll[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<LogTypes>\n"
    "    <Logs>\n"
    "        <Log>\n"
    "            <ID>1</ID>\n"
    "            <OperationTime>2024-01-31 23:59:59</OperationTime>\n"
    "            <MajorType>Operation</MajorType>\n"
    "            <MinorType>Local Login</MinorType>\n"
    "            <LocalOperator>admin</LocalOperator>\n"
    "            <RemoteOperator></RemoteOperator>\n"
    "            <RemoteHostAddress>192.168.0.1</RemoteHostAddress>\n"
    "            <ChannelNo>2</ChannelNo>\n"
    "            <DiskNo>1</DiskNo>\n"
    "            <AlarmInput>0</AlarmInput>\n"
    "            <AlarmOutput>0</AlarmOutput>\n"
    "        </Log>\n"
    "        <Log>\n"
    "            <ID>2</ID>\n"
    "            <OperationTime>2024-01&lt;31&gt;&amp;&quot;xy'</OperationTime>\n"
    "            <MajorType>7</MajorType>\n"
    "            <MinorType>0x2D</MinorType>\n"
    "            <LocalOperator>&lt;a&amp;b&gt;&quot;c'd]]&gt;</LocalOperator>\n"
    "            <RemoteOperator>t\\tn\\nr\\r\\\\</RemoteOperator>\n"
    "            <RemoteHostAddress>255.255.255.255</RemoteHostAddress>\n"
    "            <ChannelNo>255</ChannelNo>\n"
    "            <DiskNo>255</DiskNo>\n"
    "            <AlarmInput>255</AlarmInput>\n"
    "            <AlarmOutput>255</AlarmOutput>\n"
    "        </Log>\n"
    "        <Log>\n"
    "            <ID>3</ID>\n"
    "            <OperationTime></OperationTime>\n"
    "            <MajorType>0</MajorType>\n"
    "            <MinorType>0x0</MinorType>\n"
    "            <LocalOperator></LocalOperator>\n"
    "            <RemoteOperator></RemoteOperator>\n"
    "            <RemoteHostAddress>0.0.0.0</RemoteHostAddress>\n"
    "            <ChannelNo>0</ChannelNo>\n"
    "            <DiskNo>0</DiskNo>\n"
    "            <AlarmInput>0</AlarmInput>\n"
    "            <AlarmOutput>0</AlarmOutput>\n"
    "        </Log>\n"
    "        <Log>\n"
    "            <ID>4</ID>\n"
    "            <OperationTime>2024-02-29 00:00:00</OperationTime>\n"
    "            <MajorType>Alarm</MajorType>\n"
    "            <MinorType>Alarm Input</MinorType>\n"
    "            <LocalOperator>\xE7\xAE\xA1\xE7\x90\x86\xE5\x91\x98</LocalOperator>\n"
    "            <RemoteOperator>\xE6\x93\x8D\xE4\xBD\x9C\xE5\x91\x98</RemoteOperator>\n"
    "            <RemoteHostAddress>10.0.0.1</RemoteHostAddress>\n"
    "            <ChannelNo>2</ChannelNo>\n"
    "            <DiskNo>1</DiskNo>\n"
    "            <AlarmInput>0</AlarmInput>\n"
    "            <AlarmOutput>0</AlarmOutput>\n"
    "        </Log>\n"
    "        <Log>\n"
    "            <ID>5</ID>\n"
    "            <OperationTime>2024-01-31 23:59:59</OperationTime>\n"
    "            <MajorType>Operation</MajorType>\n"
    "            <MinorType>Local Login</MinorType>\n"
    "            <LocalOperator>a\xEF\xBF\xBDz\\x85</LocalOperator>\n"
    "            <RemoteOperator>\xF0\x9F\x98\x80ghijklmnopqr</RemoteOperator>\n"
    "            <RemoteHostAddress>192.168.0.1</RemoteHostAddress>\n"
    "            <ChannelNo>2</ChannelNo>\n"
    "            <DiskNo>1</DiskNo>\n"
    "            <AlarmInput>0</AlarmInput>\n"
    "            <AlarmOutput>0</AlarmOutput>\n"
    "        </Log>\n"
    "    </Logs>\n"
    "</LogTypes>\n";

// The list of `records` as the search hands it over: batches of 500, numbered from 1.
CLogRowList ListOf(const std::vector<DR_LogRecord>& records)
{
    CLogRowList list;
    LogRowBuilder builder;
    for (std::size_t first = 0; first < records.size(); first += CLogSearch::kBatchRows) {
        const int count = int(std::min(records.size() - first, std::size_t(CLogSearch::kBatchRows)));
        list.Append(builder.Build(records.data() + first, count, int(first) + 1));
    }
    return list;
}

// Exports the rows of `records` as the log list shows them.
int ExportRecords(const std::vector<DR_LogRecord>& records, const QString& path)
{
    CLogWriteThread writer;
    QueuedSpy over(&writer, &CLogWriteThread::SendWriteOver);
    writer.SetParam(path, -1, ListOf(records));
    writer.start();
    if (!over.WaitFor(1) || !writer.wait())
        return -1;
    over.Flush();
    return over.Count() == 1 ? std::get<0>(over.At(0)) : -1;
}

// Records with random bytes in every field, and the sample log's records of every code.
std::vector<DR_LogRecord> ManyRecords()
{
    std::vector<DR_LogRecord> records = diskrec::MakeSampleLogs(1200, 1704067200, 61);
    std::mt19937 random(7);
    const char kBytes[] =
        "<>&\"'\\\t\n\r\x01\x7F\x80\xC2\x85\xE6\x93\x8D\xEF\xBF\xBE\xF0\x9F\x98\x80\xB9\xDC"
        "09 az";
    for (int i = 0; i < 400; ++i) {
        DR_LogRecord r{};
        auto* bytes = reinterpret_cast<unsigned char*>(&r);
        for (std::size_t b = 0; b < sizeof r; ++b)
            bytes[b] = (random() % 3 == 0) ? static_cast<unsigned char>(random())
                                           : static_cast<unsigned char>(kBytes[random() % (sizeof kBytes - 1)]);
        if (i % 2 == 0)
            std::memcpy(r.time, "20240101120000", 15);
        r.major_type %= 6;
        r.minor_type %= 0x130;
        records.push_back(r);
    }
    return records;
}

// The document an auto-formatting XML writer makes of the rows' texts: the export's format.
QByteArray XmlWriterDocument(const std::vector<DR_LogRecord>& records)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QXmlStreamWriter xml(&buffer);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("LogTypes"));
    xml.writeStartElement(QStringLiteral("Logs"));
    for (std::size_t i = 0; i < records.size(); ++i) {
        xml.writeStartElement(QStringLiteral("Log"));
        const QStringList texts = LogRowTexts(records[i], int(i) + 1);
        for (int c = 0; c < LogColumnCount; ++c)
            if (c != LogColumnParameter)
                xml.writeTextElement(CLogWriteThread::ColumnElement(c), CLogWriteThread::XmlSafe(texts[c]));
        xml.writeEndElement();
    }
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndDocument();
    return xml.hasError() ? QByteArray("error") : buffer.data();
}

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

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
        QTest::addColumn<QByteArray>("bytes");  // the 68-byte record
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("text");
        auto row = [](const char* name, void (*edit)(DR_LogRecord&), int column, const QString& text) {
            DR_LogRecord r = Record();
            edit(r);
            QTest::newRow(name) << QByteArray(reinterpret_cast<const char*>(&r), sizeof r) << column << text;
        };
        row(
            "time", [](DR_LogRecord&) {}, LogColumnTime, QStringLiteral("2024-01-31 23:59:59"));
        // 16 digits and no terminator: the next field must not run into the text.
        row(
            "time without terminator", [](DR_LogRecord& r) { std::memcpy(r.time, "2024013123595999", 16); },
            LogColumnTime, QStringLiteral("2024013123595999"));
        row(
            "time not digits", [](DR_LogRecord& r) { std::memcpy(r.time, "2024-1\t31", 10); }, LogColumnTime,
            QStringLiteral("2024-1\\t31"));
        row(
            "major", [](DR_LogRecord&) {}, LogColumnMajor, QStringLiteral("Operation"));
        row(
            "unknown major shows its number", [](DR_LogRecord& r) { r.major_type = 5; }, LogColumnMajor,
            QStringLiteral("5"));
        row(
            "minor", [](DR_LogRecord&) {}, LogColumnMinor, QStringLiteral("Local Login"));
        row(
            "unknown minor shows its code", [](DR_LogRecord& r) { r.minor_type = 0x2D; }, LogColumnMinor,
            QStringLiteral("0x2D"));
        row(
            "operator", [](DR_LogRecord&) {}, LogColumnLocalOperator, QStringLiteral("admin"));
        row(
            "operator of 16 bytes", [](DR_LogRecord& r) { std::memcpy(r.local_operator, "abcdefghijklmnop", 16); },
            LogColumnLocalOperator, QStringLiteral("abcdefghijklmnop"));
        row(
            "operator with a tab and newline", [](DR_LogRecord& r) { std::memcpy(r.remote_operator, "a\tb\nc\\", 7); },
            LogColumnRemoteOperator, QStringLiteral("a\\tb\\nc\\\\"));
        row(
            "operator in GB18030",
            [](DR_LogRecord& r) { std::memcpy(r.local_operator, "\xB9\xDC\xC0\xED\xD4\xB1", 7); },
            LogColumnLocalOperator, QStringLiteral("管理员"));
        row(
            "address", [](DR_LogRecord&) {}, LogColumnRemoteHost, QStringLiteral("192.168.0.1"));
        row(
            "address all ones", [](DR_LogRecord& r) { r.remote_host = 0xFFFFFFFFu; }, LogColumnRemoteHost,
            QStringLiteral("255.255.255.255"));
        row(
            "parameter", [](DR_LogRecord&) {}, LogColumnParameter, QStringLiteral("A"));
        row(
            "parameter low 16 bits", [](DR_LogRecord& r) { r.parameter_type = 0x10041; }, LogColumnParameter,
            QStringLiteral("A"));
        row(
            "parameter zero", [](DR_LogRecord& r) { r.parameter_type = 0; }, LogColumnParameter, QString());
        row(
            "parameter half a surrogate", [](DR_LogRecord& r) { r.parameter_type = 0xD800; }, LogColumnParameter,
            QString());
        row(
            "channel unsigned", [](DR_LogRecord& r) { r.channel = 200; }, LogColumnChannel, QStringLiteral("200"));
        row(
            "alarm output 255", [](DR_LogRecord& r) { r.alarm_output = 255; }, LogColumnAlarmOutput,
            QStringLiteral("255"));
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

    // The list keeps rows compact and makes a cell's text when it is shown: the same text the
    // record gives, for every column, code and hostile field, in both languages.
    void listShowsTheRecordsTexts_data() { exportMatchesAnXmlWriter_data(); }

    void listShowsTheRecordsTexts()
    {
        QFETCH(QString, language);
        QTranslator translator;
        QVERIFY(Install(translator, language));
        const std::vector<DR_LogRecord> records = ManyRecords();
        const CLogRowList list = ListOf(records);
        QCOMPARE(list.Count(), int(records.size()));
        for (int row = 0; row < list.Count(); ++row) {
            const QStringList texts = LogRowTexts(records[size_t(row)], row + 1);
            for (int column = 0; column < LogColumnCount; ++column)
                if (list.Text(row, column) != texts[column])
                    QFAIL(qPrintable(QStringLiteral("row %1 column %2: %3 against %4")
                                         .arg(row)
                                         .arg(column)
                                         .arg(list.Text(row, column), texts[column])));
        }
        QCoreApplication::removeTranslator(&translator);
    }

    void exportReadsBack()
    {
        QTemporaryDir dir;
        std::vector<DR_LogRecord> records;
        for (int r = 0; r < 3; ++r) {
            DR_LogRecord record = Record();
            record.channel = uint8_t(r);
            std::memcpy(record.remote_operator, "x\x01y<&>", 7);  // a control byte XML cannot hold
            records.push_back(record);
        }
        std::memcpy(records[1].local_operator, "a\xEF\xBF\xBEz", 6);  // U+FFFE, which XML cannot hold
        CLogRowList list = ListOf(records);
        const QString path = dir.filePath(QStringLiteral("logs.xml"));
        CLogWriteThread writer;
        QueuedSpy over(&writer, &CLogWriteThread::SendWriteOver);
        writer.SetParam(path, -1, list);
        // The writer has a snapshot: the list may change meanwhile.
        list.Clear();
        list.Append(ListOf(records).Batches().first());
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

    // The bytes of an export, as they have always been written.
    void exportBytesArePinned_data()
    {
        QTest::addColumn<int>("rows");  // the first rows of PinnedRecords()
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("no rows") << 0 << QByteArray(kPinnedNone);
        QTest::newRow("every kind of text") << 5 << QByteArray(kPinnedAll);
    }

    void exportBytesArePinned()
    {
        QFETCH(int, rows);
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("logs.xml"));
        std::vector<DR_LogRecord> records = PinnedRecords();
        records.resize(std::size_t(rows));
        QCOMPARE(ExportRecords(records, path), int(CLogWriteThread::Written));
        const QByteArray written = ReadAll(path);
        if (written != bytes)
            qWarning().noquote() << "written:\n" << written;
        QCOMPARE(written, bytes);
    }

    // Every code in both languages and hostile bytes in every field: the export is what an XML
    // writer makes of the texts the list shows.
    void exportMatchesAnXmlWriter_data()
    {
        QTest::addColumn<QString>("language");
        QTest::newRow("English") << QString();
        QTest::newRow("Chinese") << QStringLiteral("varpen_zh.qm");
    }

    void exportMatchesAnXmlWriter()
    {
        QFETCH(QString, language);
        QTranslator translator;
        QVERIFY(Install(translator, language));
        const std::vector<DR_LogRecord> records = ManyRecords();
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("logs.xml"));
        const int result = ExportRecords(records, path);
        const QByteArray expected = XmlWriterDocument(records);
        QCoreApplication::removeTranslator(&translator);
        QCOMPARE(result, int(CLogWriteThread::Written));
        const QByteArray written = ReadAll(path);
        if (written != expected) {
            qsizetype at = 0;
            while (at < written.size() && at < expected.size() && written[at] == expected[at])
                ++at;
            qWarning().noquote() << "differs at" << at << ":\n"
                                 << written.mid(qMax<qsizetype>(0, at - 200), 300) << "\nexpected:\n"
                                 << expected.mid(qMax<qsizetype>(0, at - 200), 300);
        }
        QVERIFY(written == expected);
    }

    // A long export tells how far it got, now and then, and only its result tells the end.
    void exportReportsProgress()
    {
        QTemporaryDir dir;
        const int rows = 5000;  // about 2.7 MB: a few blocks
        CLogWriteThread writer;
        QueuedSpy progress(&writer, &CLogWriteThread::SignalWriteProgress);
        QueuedSpy over(&writer, &CLogWriteThread::SendWriteOver);
        writer.SetParam(dir.filePath(QStringLiteral("logs.xml")), -1,
                        ListOf(std::vector<DR_LogRecord>(rows, Record())));
        writer.start();
        QVERIFY(over.WaitFor(1));
        QVERIFY(writer.wait());
        progress.Flush();
        over.Flush();
        QCOMPARE(over.Count(), 1);
        QCOMPARE(std::get<0>(over.At(0)), int(CLogWriteThread::Written));
        QVERIFY2(progress.Count() >= 2, qPrintable(QString::number(progress.Count())));
        for (int i = 0; i < progress.Count(); ++i) {
            const auto [written, total] = progress.At(i);
            QCOMPARE(total, rows);
            QVERIFY(written > (i ? std::get<0>(progress.At(i - 1)) : 0));
            QVERIFY(written < rows);
        }
    }

    void exportOfNoRowsIsWellFormed()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("empty.xml"));
        CLogWriteThread writer;
        QueuedSpy over(&writer, &CLogWriteThread::SendWriteOver);
        writer.SetParam(path, -1, CLogRowList());
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
        writer.SetParam(dir.filePath(QStringLiteral("no/such/folder/logs.xml")), -1, CLogRowList());
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
        writer.SetParam(path, -1, ListOf(std::vector<DR_LogRecord>(5000, Record())));
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
        over.Flush();  // emitted on the writer's thread before wait() returned
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
        QTest::newRow("no ending") << "logs"
                                   << "logs.xml";
        QTest::newRow("ending") << "logs.xml"
                                << "logs.xml";
        QTest::newRow("upper-case ending") << "LOGS.XML"
                                           << "LOGS.XML";
        QTest::newRow("ending inside") << "logs.xml.bak"
                                       << "logs.xml.bak.xml";
        QTest::newRow("empty") << ""
                               << "";
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
