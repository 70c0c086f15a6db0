#include "app/SettingsManager.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>


namespace {

const char* const kKeyNames[CSettingsManager::KeyCount] = {
    "CaptureSaveType", "CaptureSavePath", "ClipPackageSize",
    "ClipSavePath",    "DownloadPackageSize", "DownloadSavePath"};

bool IsKnownKey(QStringView name)
{
    for (const char* key : kKeyNames) {
        if (name == QLatin1String(key))
            return true;
    }
    return false;
}

// Reads the value of a key element whose start tag was just read: the text of its first
// "Value" child. A key without one gets an empty value once its own end tag is met; it never
// takes the "Value" of a later element. Returns false when the file breaks off inside the key,
// so a half-read entry is not kept.
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

CSettings::CSettings(const QString& name, const QString& value) : m_name(name), m_value(value) {}

void CSettings::SetName(const QString& name)
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_name = name;
}

void CSettings::SetValue(const QString& value)
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_value = value;
}

QString CSettings::GetName() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_name;
}

QString CSettings::GetValue() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_value;
}

CSettingsManager::~CSettingsManager()
{
    Clear();
}

CSettingsManager* CSettingsManager::Instance()
{
    // Built once, thread-safely, on first use; deleted at process exit.
    static const std::unique_ptr<CSettingsManager> instance = std::make_unique<CSettingsManager>();
    return instance.get();
}

QString CSettingsManager::GetKeyName(int index)
{
    if (index < 0 || index >= KeyCount)
        return QString();
    return QString::fromLatin1(kKeyNames[index]);
}

bool CSettingsManager::ReadSettings(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        qDebug() << "No file to read...";
        return false;
    }

    QVector<CSettings*> found;
    QXmlStreamReader reader(&file);
    while (!reader.atEnd()) {
        reader.readNext();
        if (!reader.isStartElement())
            continue;
        const QString name = reader.name().toString();
        if (name == QLatin1String("Settings"))
            continue;
        QString value;
        if (IsKnownKey(name) && !ReadKeyValue(reader, &value))
            break;
        found.append(new CSettings(name, value)); // adopted below
    }
    if (reader.hasError())
        qDebug() << "Settings file" << path << "is damaged:" << reader.errorString();

    std::lock_guard<std::mutex> guard(m_lock);
    for (CSettings* item : std::as_const(found))
        AdoptLocked(item);
    m_items += found;
    return true;
}

bool CSettingsManager::WriteEntries(const QVector<QPair<QString, QString>>& entries, const QString& path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        qDebug() << "Error: cannot write file";
        return false;
    }
    QXmlStreamWriter writer(&file);
    writer.setAutoFormatting(true);
    writer.writeStartDocument();
    writer.writeStartElement(QStringLiteral("Settings"));
    for (const auto& entry : entries) {
        writer.writeStartElement(entry.first);
        writer.writeTextElement(QStringLiteral("Value"), entry.second);
        writer.writeEndElement();
    }
    writer.writeEndElement();
    if (writer.hasError() || !file.commit()) {
        qDebug() << "Error: cannot write file";
        return false;
    }
    return true;
}

bool CSettingsManager::WriteSettings(const QString& path) const
{
    QVector<QPair<QString, QString>> entries;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        for (const CSettings* item : m_items)
            entries.append({item->GetName(), item->GetValue()});
    }
    return WriteEntries(entries, path);
}

CSettings* CSettingsManager::FindLocked(const QString& name) const
{
    for (CSettings* item : m_items) {
        if (item->GetName() == name)
            return item;
    }
    return nullptr;
}

CSettings* CSettingsManager::GetSettingByIndex(int index) const
{
    const QString key = GetKeyName(index);
    if (key.isEmpty())
        return nullptr;
    std::lock_guard<std::mutex> guard(m_lock);
    return FindLocked(key);
}

std::optional<QString> CSettingsManager::GetValueByIndex(int index) const
{
    const QString key = GetKeyName(index);
    if (key.isEmpty())
        return std::nullopt;
    std::lock_guard<std::mutex> guard(m_lock);
    if (const CSettings* item = FindLocked(key))
        return item->GetValue();
    return std::nullopt;
}

void CSettingsManager::GetAllSettings(QVector<CSettings*>& out) const
{
    out.clear();
    for (int i = 0; i < KeyCount; ++i)
        out.append(GetSettingByIndex(i));
}

void CSettingsManager::AdoptLocked(CSettings* item)
{
    for (const auto& owned : m_owned) {
        if (owned.get() == item)
            return;
    }
    m_owned.emplace_back(item);
}

void CSettingsManager::SetAllSettings(QVector<CSettings*> items)
{
    items.removeAll(nullptr);
    std::lock_guard<std::mutex> guard(m_lock);
    for (CSettings* item : std::as_const(items))
        AdoptLocked(item);
    m_items = items;
}

void CSettingsManager::Clear()
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_items.clear();
    m_owned.clear();
}

bool CSettingsManager::SaveSettings(const QVector<QPair<QString, QString>>& entries, const QString& path)
{
    if (!WriteEntries(entries, path))
        return false;
    QVector<CSettings*> items;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        for (const auto& entry : entries) {
            CSettings* item = nullptr;
            for (CSettings* held : std::as_const(m_items)) {
                if (held->GetName() == entry.first && !items.contains(held)) {
                    item = held;
                    break;
                }
            }
            if (item)
                item->SetValue(entry.second);
            else
                item = new CSettings(entry.first, entry.second);
            items.append(item);
        }
    }
    SetAllSettings(items);
    return true;
}

int CSettingsManager::Count() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_items.size();
}
