// Fuzz target for device-log records as a recorder disk delivers them: the input is a run of
// 68-byte records. Each becomes the twelve texts of a log row, which must show on one line and be
// what the list's compact row shows, and the rows are exported to XML as the log page's backup
// does; the file must read back with every row and every text it was given.
#include <QFile>
#include <QStringList>
#include <QVector>
#include <QXmlStreamReader>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "devicelog/LogRecordText.h"
#include "devicelog/LogRows.h"
#include "devicelog/LogWriteThread.h"
#include "platform/diskrec/diskrec.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

// The export runs on the caller's thread here: no thread is needed to check what it writes.
class Export : public CLogWriteThread {
public:
    using CLogWriteThread::run;
};

constexpr std::size_t kMaxRecords = 64;

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

bool OnOneLine(const QString& text)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x20 || (u >= 0x7F && u < 0xA0) || u == 0x2028 || u == 0x2029)
            return false;
    }
    return true;
}

// The rows the file holds, as texts by column (the parameter column is not exported).
bool ReadBack(const QString& path, QVector<QStringList>* rows)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("Log")) {
            QStringList row;
            while (xml.readNextStartElement()) {
                row << xml.name().toString() << xml.readElementText();
            }
            rows->append(row);
        }
    }
    return !xml.hasError();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::size_t count = std::min(size / sizeof(DR_LogRecord), kMaxRecords);
    std::vector<DR_LogRecord> records(count);
    if (count > 0)
        std::memcpy(records.data(), data, count * sizeof(DR_LogRecord));
    // The list holds the rows compactly, in two batches that share texts; each cell shows what
    // the record's texts say.
    CLogRowList list;
    LogRowBuilder builder;
    const int half = int(count / 2);
    list.Append(builder.Build(records.data(), half, 1));
    list.Append(builder.Build(records.data() + half, int(count) - half, half + 1));
    Check(list.Count() == int(count));
    QVector<QStringList> rows;
    for (std::size_t i = 0; i < count; ++i) {
        const QStringList row = LogRowTexts(records[i], int(i) + 1);
        Check(row.size() == LogColumnCount);
        Check(row[LogColumnId] == QString::number(i + 1));
        for (int c = 0; c < LogColumnCount; ++c) {
            Check(OnOneLine(row[c]));
            Check(list.Text(int(i), c) == row[c]);
        }
        rows << row;
    }

    static const QString path = QString::fromStdString(fuzz::ScratchPath("logs.xml"));
    Export writer;
    writer.SetParam(path, -1, list);
    writer.run();
    QVector<QStringList> back;
    Check(ReadBack(path, &back));
    Check(back.size() == rows.size());
    for (qsizetype r = 0; r < rows.size(); ++r) {
        QStringList expected;
        for (int c = 0; c < LogColumnCount; ++c) {
            if (c != LogColumnParameter)
                expected << CLogWriteThread::ColumnElement(c) << CLogWriteThread::XmlSafe(rows[r][c]);
        }
        Check(back[r] == expected);
    }
    return 0;
}
