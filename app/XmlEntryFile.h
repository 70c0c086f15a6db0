#pragma once

#include <QPair>
#include <QString>
#include <QStringList>
#include <QVector>

#include <cstddef>
#include <optional>

// (name, value) pairs in file order.
using XmlEntries = QVector<QPair<QString, QString>>;

// Reads one of the program's entry files ("Settings.xml", "Setup.xml"): every start element
// other than the root becomes an entry of that name; a known key takes the text of its first
// "Value" child, other elements get an empty value. A damaged file keeps the entries read before
// the fault; an entry cut off by it is dropped. Bytes that are not UTF-8 under a UTF-8 (or no)
// declaration are read as GB18030, and a known key whose value still cannot be decoded is
// dropped. nullopt when the file cannot be opened ("No file to read..." in the debug log).
// Only a regular file of at most kMaxEntryFileBytes is read: a FIFO, a device or an outsized file
// in its place is refused without reading it (nullopt, and *refused set when given), so that it
// can never hold up the start or fill the memory.
constexpr qint64 kMaxEntryFileBytes = 1 << 20;
std::optional<XmlEntries> ReadXmlEntryFile(const QString& path, const QString& rootName, const QStringList& knownKeys,
                                           bool* refused = nullptr);

// The start-up message for an entry file that ReadXmlEntryFile refused.
void NoticeRefusedEntryFile(const QString& path);

// The key names of an entry file, given as a table of texts.
template <std::size_t N>
QString EntryKeyName(const char* const (&keys)[N], int index)
{
    return index >= 0 && index < int(N) ? QString::fromLatin1(keys[index]) : QString();
}

template <std::size_t N>
QStringList EntryKeyList(const char* const (&keys)[N])
{
    QStringList list;
    for (const char* key : keys)
        list.append(QString::fromLatin1(key));
    return list;
}

// True when an XML file's bytes are not valid UTF-8 although they declare UTF-8 or no encoding.
bool NeedsCodePageFallback(const QByteArray& bytes);
