#include "app/XmlEntryFile.h"

#include "app/CommonUtil.h"
#include "app/Logging.h"
#include "app/StartupNotice.h"

#include <QCoreApplication>

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QXmlStreamReader>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

}  // namespace

bool NeedsCodePageFallback(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString decoded = utf8.decode(bytes);  // decoding happens on conversion
    if (!utf8.hasError())
        return false;
    // A declared encoding other than UTF-8 is honoured by the XML reader itself.
    static const QRegularExpression declared(QStringLiteral("^\\s*<\\?xml[^>]*encoding\\s*=\\s*[\"']([^\"']+)"));
    const QRegularExpressionMatch match = declared.match(QString::fromLatin1(bytes.left(200)));
    return !match.hasMatch() || match.captured(1).compare(QLatin1String("UTF-8"), Qt::CaseInsensitive) == 0;
}

std::optional<XmlEntries> ReadXmlEntryFile(const QString& path, const QString& rootName, const QStringList& knownKeys,
                                           bool* refused)
{
    if (refused)
        *refused = false;
    // O_NONBLOCK: opening a FIFO for reading would wait for a writer.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        qCDebug(lcApp) << "No file to read...";
        return std::nullopt;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > kMaxEntryFileBytes) {
        ::close(fd);
        qCWarning(lcApp) << "File" << path << "is not a settings file of a sane size; it is not read.";
        if (refused)
            *refused = true;
        return std::nullopt;
    }
    QByteArray bytes;
    {
        const int flags = ::fcntl(fd, F_GETFL);
        if (flags >= 0)
            ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
        QFile file;
        if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
            ::close(fd);
            qCDebug(lcApp) << "No file to read...";
            return std::nullopt;
        }
        // What the file held when asked (a buffer of the limit's size for a file of a few hundred
        // bytes is waste), never more than the limit, should the file grow meanwhile.
        bytes = file.read(qMin(qint64(st.st_size), kMaxEntryFileBytes));
    }
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
        qCWarning(lcApp) << "File" << path << "is damaged:" << reader.errorString();
    return entries;
}

void NoticeRefusedEntryFile(const QString& path)
{
    ShowStartupNotice(QCoreApplication::translate("COstraApplication", "DarizArevudud"),
                      QCoreApplication::translate("XmlEntryFile",
                                                  "The file %1 is not a settings file that can be read. "
                                                  "The program starts with its default settings.")
                          .arg(QDir::toNativeSeparators(path)));
}
