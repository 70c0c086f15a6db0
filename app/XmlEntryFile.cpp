#include "app/XmlEntryFile.h"

#include "app/CommonUtil.h"

#include <QDebug>
#include <QFile>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QXmlStreamReader>

namespace {

// Reads the value of a key element whose start tag was just read: the text of its first
// "Value" child. A key without one gets an empty value once its own end tag is met; it never
// takes the "Value" of a later element. False when the file breaks off inside the key.
bool ReadKeyValue(QXmlStreamReader& reader, QString* value)
{
    int depth = 0;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement()) {
            if (depth == 0 && reader.name() == QLatin1String("Value")) {
                *value = reader.readElementText(QXmlStreamReader::SkipChildElements);
                return !reader.hasError();
            }
            ++depth;
        } else if (reader.isEndElement()) {
            if (depth == 0)
                return true;
            --depth;
        }
    }
    return !reader.hasError();
}

} // namespace

bool NeedsCodePageFallback(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString decoded = utf8.decode(bytes);   // decoding happens on conversion
    if (!utf8.hasError())
        return false;
    // A declared encoding other than UTF-8 is honoured by the XML reader itself.
    static const QRegularExpression declared(QStringLiteral("^\\s*<\\?xml[^>]*encoding\\s*=\\s*[\"']([^\"']+)"));
    const QRegularExpressionMatch match = declared.match(QString::fromLatin1(bytes.left(200)));
    return !match.hasMatch() || match.captured(1).compare(QLatin1String("UTF-8"), Qt::CaseInsensitive) == 0;
}

std::optional<XmlEntries> ReadXmlEntryFile(const QString& path, const QString& rootName,
                                           const QStringList& knownKeys)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        qDebug() << "No file to read...";
        return std::nullopt;
    }
    const QByteArray bytes = file.readAll();
    QXmlStreamReader reader;
    const bool decodedHere = NeedsCodePageFallback(bytes);
    if (decodedHere)
        reader.addData(CCommonUtil::LocalToQString(bytes));
    else
        reader.addData(bytes);

    XmlEntries entries;
    while (!reader.atEnd()) {
        reader.readNext();
        if (!reader.isStartElement())
            continue;
        const QString name = reader.name().toString();
        if (name == rootName)
            continue;
        QString value;
        if (knownKeys.contains(name)) {
            if (!ReadKeyValue(reader, &value))
                break;
            if (decodedHere && value.contains(QChar::ReplacementCharacter))
                continue;
        }
        entries.append({name, value});
    }
    if (reader.hasError())
        qDebug() << "File" << path << "is damaged:" << reader.errorString();
    return entries;
}
