#include "devicelog/LogWriteThread.h"

#include "app/ThreadHandOver.h"
#include "devicelog/LogRecordText.h"
#include "devicelog/Logging.h"

#include <QAbstractItemModel>
#include <QBuffer>
#include <QDebug>
#include <QSaveFile>
#include <QScopeGuard>
#include <QXmlStreamWriter>

namespace {

const char* const kColumnElements[LogColumnCount] = {
    "ID",      "OperationTime", "MajorType", "MinorType",  "LocalOperator", "RemoteOperator",
    "RemoteHostAddress", "ParameterType", "ChannelNo", "DiskNo", "AlarmInput", "AlarmOutput"};

bool XmlChar(char32_t u)
{
    return u == 0x9 || u == 0xA || u == 0xD || (u >= 0x20 && u <= 0xD7FF) || (u >= 0xE000 && u <= 0xFFFD)
        || (u >= 0x10000 && u <= 0x10FFFF);
}

} // namespace

CLogWriteThread::CLogWriteThread(QObject* parent) : QThread(parent) {}

CLogWriteThread::~CLogWriteThread()
{
    wait();
    ThreadHandOver::Joined(this);
}

void CLogWriteThread::SetParam(const QString& fileName, int, const QAbstractItemModel* model)
{
    QVector<QStringList> rows;
    if (model) {
        const int columns = qMin(model->columnCount(), int(LogColumnCount));
        rows.reserve(model->rowCount());
        for (int r = 0; r < model->rowCount(); ++r) {
            QStringList row;
            for (int c = 0; c < columns; ++c)
                row << model->index(r, c).data(Qt::DisplayRole).toString();
            rows << row;
        }
    }
    SetRows(fileName, rows);
}

void CLogWriteThread::SetRows(const QString& fileName, const QVector<QStringList>& rows)
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

void CLogWriteThread::run()
{
    const auto leave = qScopeGuard([this] { ThreadHandOver::Leave(this); });
    QSaveFile file(m_fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        qCWarning(lcDeviceLog) << "Error: cannot write file" << m_fileName;
        emit SendWriteOver(OpenFailed);
        return;
    }
    // The document is built in memory a chunk at a time and each chunk written whole: the writer's
    // many small writes would otherwise each go through the file.
    QBuffer chunk;
    chunk.open(QIODevice::WriteOnly);
    bool writeFailed = false;
    const auto flushChunk = [&] {
        if (!chunk.data().isEmpty() && file.write(chunk.data()) != chunk.data().size())
            writeFailed = true;
        chunk.buffer().clear();
        chunk.seek(0);
    };
    QStringList names;
    for (int c = 0; c < LogColumnCount; ++c)
        names << ColumnElement(c);
    QXmlStreamWriter xml(&chunk);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("LogTypes"));
    xml.writeStartElement(QStringLiteral("Logs"));
    for (const QStringList& row : qAsConst(m_rows)) {
        if (m_stop.load()) {
            file.cancelWriting();
            emit SendWriteOver(WriteFailed);
            return;
        }
        xml.writeStartElement(QStringLiteral("Log"));
        for (int c = 0; c < row.size() && c < LogColumnCount; ++c) {
            if (c == LogColumnParameter)
                continue;
            xml.writeTextElement(names[c], XmlSafe(row[c]));
        }
        xml.writeEndElement();
        if (chunk.data().size() >= 1024 * 1024)
            flushChunk();
    }
    xml.writeEndElement(); // Logs
    xml.writeEndElement(); // LogTypes
    xml.writeEndDocument();
    flushChunk();
    const bool written = !xml.hasError() && !writeFailed && file.commit();
    emit SendWriteOver(written ? Written : WriteFailed);
}
