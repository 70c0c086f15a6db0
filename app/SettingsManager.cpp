#include "app/SettingsManager.h"

#include "app/Logging.h"
#include "app/XmlEntryFile.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QXmlStreamWriter>

namespace {

const char* const kKeyNames[CSettingsManager::KeyCount] = {
    "CaptureSaveType", "CaptureSavePath", "ClipPackageSize", "ClipSavePath", "DownloadPackageSize", "DownloadSavePath"};

}  // namespace

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
    return EntryKeyName(kKeyNames, index);
}

bool CSettingsManager::ReadSettings(const QString& path)
{
    bool refused = false;
    const std::optional<XmlEntries> entries =
        ReadXmlEntryFile(path, QStringLiteral("Settings"), EntryKeyList(kKeyNames), &refused);
    if (refused)
        NoticeRefusedEntryFile(path);
    if (!entries)
        return false;
    std::lock_guard<std::mutex> guard(m_lock);
    for (const auto& entry : *entries) {
        auto item = std::make_unique<CSettings>(entry.first, entry.second);
        m_items.append(item.get());
        m_owned.push_back(std::move(item));
    }
    return true;
}

bool CSettingsManager::WriteEntries(const SettingsEntries& entries, const QString& path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        qCWarning(lcApp) << "Error: cannot write file";
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
        qCWarning(lcApp) << "Error: cannot write file";
        return false;
    }
    return true;
}

bool CSettingsManager::WriteSettings(const QString& path) const
{
    return WriteEntries(Snapshot(), path);
}

SettingsEntries CSettingsManager::Snapshot() const
{
    SettingsEntries entries;
    std::lock_guard<std::mutex> guard(m_lock);
    for (const CSettings* item : m_items)
        entries.append({item->GetName(), item->GetValue()});
    return entries;
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

bool CSettingsManager::SaveSettings(const SettingsEntries& entries, const QString& path)
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
