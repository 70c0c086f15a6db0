#include "devicelog/LogWriteThread.h"

#include "app/ThreadHandOver.h"
#include "devicelog/LogRecordText.h"
#include "devicelog/Logging.h"

#include <QDebug>
#include <QIODevice>
#include <QSaveFile>
#include <QScopeGuard>

#include <cstring>
#include <vector>

namespace {

const char* const kColumnElements[LogColumnCount] = {"ID",
                                                     "OperationTime",
                                                     "MajorType",
                                                     "MinorType",
                                                     "LocalOperator",
                                                     "RemoteOperator",
                                                     "RemoteHostAddress",
                                                     "ParameterType",
                                                     "ChannelNo",
                                                     "DiskNo",
                                                     "AlarmInput",
                                                     "AlarmOutput"};

// The document, laid out as an auto-formatting XML writer lays it out: four blanks per level.
const char kHead[] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<LogTypes>\n    <Logs>";
const char kTail[] = "\n    </Logs>\n</LogTypes>\n";
const char kEmpty[] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<LogTypes>\n    <Logs/>\n</LogTypes>\n";
const char kLogOpen[] = "\n        <Log>";
const char kLogClose[] = "\n        </Log>";

constexpr qsizetype kBlockBytes = 1024 * 1024;

bool XmlChar(char32_t u)
{
    return u == 0x9 || u == 0xA || u == 0xD || (u >= 0x20 && u <= 0xD7FF) || (u >= 0xE000 && u <= 0xFFFD) ||
           (u >= 0x10000 && u <= 0x10FFFF);
}

// The element text of `text`: characters XML cannot hold replaced, markup escaped, in UTF-8.
QByteArray ElementText(const QString& text)
{
    const QByteArray utf8 = CLogWriteThread::XmlSafe(text).toUtf8();
    QByteArray out;
    out.reserve(utf8.size());
    for (const char c : utf8) {
        switch (c) {
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '&':
            out += "&amp;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
            break;
        }
    }
    return out;
}

struct Tag {
    QByteArray open;   // "\n            <Name>"
    QByteArray close;  // "</Name>"
};

char* Put(char* p, const char* bytes, qsizetype size)
{
    std::memcpy(p, bytes, size_t(size));
    return p + size;
}

char* Put(char* p, const QByteArray& bytes)
{
    return Put(p, bytes.constData(), bytes.size());
}

char* PutNumber(char* p, std::uint32_t value)
{
    char digits[10];
    int n = 0;
    do {
        digits[n++] = char('0' + value % 10);
        value /= 10;
    } while (value);
    while (n)
        *p++ = digits[--n];
    return p;
}

char* PutHost(char* p, std::uint32_t address)
{
    p = PutNumber(p, (address >> 24) & 0xffu);
    *p++ = '.';
    p = PutNumber(p, (address >> 16) & 0xffu);
    *p++ = '.';
    p = PutNumber(p, (address >> 8) & 0xffu);
    *p++ = '.';
    return PutNumber(p, address & 0xffu);
}

}  // namespace

CLogWriteThread::CLogWriteThread(QObject* parent) : QThread(parent) {}

CLogWriteThread::~CLogWriteThread()
{
    wait();
    ThreadHandOver::Joined(this);
}

void CLogWriteThread::SetParam(const QString& fileName, int, const CLogRowList& rows)
{
    // Set while no export runs: the last one has ended, and what it read may be replaced.
    ThreadHandOver::Joined(this);
    m_fileName = fileName;
    m_rows = rows;
}

QString CLogWriteThread::ColumnElement(int column)
{
    return column >= 0 && column < LogColumnCount ? QString::fromLatin1(kColumnElements[column]) : QString();
}

QString CLogWriteThread::BackupFileName(const QString& typed)
{
    if (typed.isEmpty())
        return {};
    return typed.endsWith(QLatin1String(".xml"), Qt::CaseInsensitive) ? typed : typed + QStringLiteral(".xml");
}

QString CLogWriteThread::XmlSafe(const QString& text)
{
    // Most texts hold nothing to replace: look before copying.
    const auto clean = [](const QString& t) {
        for (qsizetype i = 0; i < t.size(); ++i) {
            const char16_t u = t[i].unicode();
            if (u < 0x20 ? !(u == 0x9 || u == 0xA || u == 0xD) : (u >= 0xD800 || u == 0xFFFE || u == 0xFFFF))
                return false;
        }
        return true;
    };
    if (clean(text))
        return text;
    QString out;
    out.reserve(text.size());
    const auto codePoints = text.toUcs4();
    for (char32_t u : codePoints) {
        if (XmlChar(u))
            out += QString::fromUcs4(&u, 1);
        else
            out += QChar(0xFFFD);
    }
    return out;
}

bool CLogWriteThread::WriteDocument(QIODevice& out, const CLogRowList& rows, const std::function<bool(int)>& progress)
{
    if (rows.IsEmpty())
        return out.write(kEmpty, qsizetype(sizeof kEmpty - 1)) == qsizetype(sizeof kEmpty - 1);

    Tag tags[LogColumnCount];
    qsizetype tagBytes = qsizetype(sizeof kLogOpen + sizeof kLogClose);
    for (int c = 0; c < LogColumnCount; ++c) {
        tags[c].open = "\n            <" + QByteArray(kColumnElements[c]) + '>';
        tags[c].close = "</" + QByteArray(kColumnElements[c]) + '>';
        tagBytes += tags[c].open.size() + tags[c].close.size();
    }
    // Numbers, the time and the address take at most this much beside their tags.
    constexpr qsizetype kValueBytes = 10 + 19 + 15 + 4 * 3;

    QByteArray block;
    block.resize(kBlockBytes + 64 * 1024);
    char* p = block.data();
    int written = 0;
    const auto flush = [&] {
        const qsizetype size = p - block.constData();
        p = block.data();
        if (size > 0 && out.write(block.constData(), size) != size)
            return false;
        return !progress || progress(written);
    };

    p = Put(p, kHead, qsizetype(sizeof kHead - 1));
    std::vector<QByteArray> texts;
    for (const LogBatch& batch : rows.Batches()) {
        texts.clear();
        texts.reserve(size_t(batch->texts.size()));
        for (const QString& text : batch->texts)
            texts.push_back(ElementText(text));
        for (const LogRow& row : batch->rows) {
            const bool timeIsText = row.time & LogRow::kTimeIsText;
            const QByteArray* time = timeIsText ? &texts[size_t(row.time & ~LogRow::kTimeIsText)] : nullptr;
            const qsizetype need = tagBytes + kValueBytes + (time ? time->size() : 0) + texts[row.major].size() +
                                   texts[row.minor].size() + texts[row.localOperator].size() +
                                   texts[row.remoteOperator].size();
            if (p - block.constData() + need > block.size()) {
                if (!flush())
                    return false;
                if (need > block.size())
                    block.resize(need);
                p = block.data();
            }
            p = Put(p, kLogOpen, qsizetype(sizeof kLogOpen - 1));
            p = PutNumber(Put(p, tags[LogColumnId].open), row.number);
            p = Put(p, tags[LogColumnId].close);
            p = Put(p, tags[LogColumnTime].open);
            if (time) {
                p = Put(p, *time);
            } else {
                LogPackedTimeChars(std::int64_t(row.time), p);
                p += 19;
            }
            p = Put(p, tags[LogColumnTime].close);
            p = Put(Put(Put(p, tags[LogColumnMajor].open), texts[row.major]), tags[LogColumnMajor].close);
            p = Put(Put(Put(p, tags[LogColumnMinor].open), texts[row.minor]), tags[LogColumnMinor].close);
            p = Put(Put(Put(p, tags[LogColumnLocalOperator].open), texts[row.localOperator]),
                    tags[LogColumnLocalOperator].close);
            p = Put(Put(Put(p, tags[LogColumnRemoteOperator].open), texts[row.remoteOperator]),
                    tags[LogColumnRemoteOperator].close);
            p = Put(PutHost(Put(p, tags[LogColumnRemoteHost].open), row.host), tags[LogColumnRemoteHost].close);
            // The parameter column is not written.
            p = Put(PutNumber(Put(p, tags[LogColumnChannel].open), row.channel), tags[LogColumnChannel].close);
            p = Put(PutNumber(Put(p, tags[LogColumnDisk].open), row.disk), tags[LogColumnDisk].close);
            p = Put(PutNumber(Put(p, tags[LogColumnAlarmInput].open), row.alarmInput), tags[LogColumnAlarmInput].close);
            p = Put(PutNumber(Put(p, tags[LogColumnAlarmOutput].open), row.alarmOutput),
                    tags[LogColumnAlarmOutput].close);
            p = Put(p, kLogClose, qsizetype(sizeof kLogClose - 1));
            ++written;
            if (p - block.constData() >= kBlockBytes && !flush())
                return false;
        }
    }
    if (p - block.constData() + qsizetype(sizeof kTail) > block.size() && !flush())
        return false;
    p = Put(p, kTail, qsizetype(sizeof kTail - 1));
    return flush();
}

void CLogWriteThread::run()
{
    const auto leave = qScopeGuard([this] { ThreadHandOver::Leave(this); });
    QSaveFile file(m_fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        qCWarning(lcDeviceLog) << "Error: cannot write file" << m_fileName;
        emit SendWriteOver(OpenFailed);
        return;
    }
    const int total = m_rows.Count();
    const bool written = WriteDocument(file, m_rows,
                                       [&](int rows) {
                                           if (m_stop.load())
                                               return false;
                                           if (rows < total)
                                               emit SignalWriteProgress(rows, total);
                                           return true;
                                       }) &&
                         file.commit();
    m_rows = CLogRowList();  // the snapshot's rows go as soon as they are written
    emit SendWriteOver(written ? Written : WriteFailed);
}
