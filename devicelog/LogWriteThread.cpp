#include "devicelog/LogWriteThread.h"

#include "devicelog/LogRecordText.h"

#include <QAbstractItemModel>
#include <QDebug>
#include <QSaveFile>
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

CLogWriteThread::~CLogWriteThread() { wait(); }

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
    QSaveFile file(m_fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        qDebug() << "Error: cannot write file" << m_fileName;
        emit SendWriteOver(OpenFailed);
        return;
    }
    QXmlStreamWriter xml(&file);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("LogTypes"));
    xml.writeStartElement(QStringLiteral("Logs"));
    for (const QStringList& row : qAsConst(m_rows)) {
        xml.writeStartElement(QStringLiteral("Log"));
        for (int c = 0; c < row.size() && c < LogColumnCount; ++c) {
            if (c == LogColumnParameter)
                continue;
            xml.writeTextElement(ColumnElement(c), XmlSafe(row[c]));
        }
        xml.writeEndElement();
    }
    xml.writeEndElement(); // Logs
    xml.writeEndElement(); // LogTypes
    xml.writeEndDocument();
    const bool written = !xml.hasError() && file.commit();
    emit SendWriteOver(written ? Written : WriteFailed);
}
