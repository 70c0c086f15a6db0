#pragma once

#include <QPair>
#include <QString>
#include <QVector>

#include <memory>
#include <mutex>
#include <optional>
#include <vector>

// One user setting: a key text (an element name of "Settings.xml") and its value text.
// Name and value may be read from worker threads while the GUI thread edits them, so every
// access copies under the item's own lock.
class CSettings {
public:
    CSettings() = default;
    CSettings(const QString& name, const QString& value);
    virtual ~CSettings() = default;

    CSettings(const CSettings&) = delete;
    CSettings& operator=(const CSettings&) = delete;

    void SetName(const QString& name);
    void SetValue(const QString& value);
    QString GetName() const;
    QString GetValue() const;

private:
    mutable std::mutex m_lock;
    QString m_name;
    QString m_value;
};

#include "app/XmlEntryFile.h"

// (name, value) pairs in store order.
using SettingsEntries = XmlEntries;

// The process-wide settings store. It keeps texts only and interprets no value.
class CSettingsManager {
public:
    // Index of the six known keys.
    enum Key {
        CaptureSaveType = 0,
        CaptureSavePath = 1,
        ClipPackageSize = 2,
        ClipSavePath = 3,
        DownloadPackageSize = 4,
        DownloadSavePath = 5,
        KeyCount = 6
    };

    CSettingsManager() = default;
    ~CSettingsManager();
    CSettingsManager(const CSettingsManager&) = delete;
    CSettingsManager& operator=(const CSettingsManager&) = delete;

    static CSettingsManager* Instance();

    // Appends what the file holds to the store. False only when the file cannot be opened.
    // A malformed file never stops the program: entries read before the fault are kept.
    bool ReadSettings(const QString& path);
    // Writes every held item. The file is replaced only when the whole write succeeded.
    bool WriteSettings(const QString& path) const;

    static QString GetKeyName(int index);
    CSettings* GetSettingByIndex(int index) const;
    void GetAllSettings(QVector<CSettings*>& out) const;
    // The store holds exactly the given items from now on (null entries are skipped) and owns
    // them. Items it held before and that are not handed back stay alive until Clear(), since a
    // worker thread may still read one it fetched earlier.
    void SetAllSettings(QVector<CSettings*> items);
    void Clear();

    // Thread-safe copy of the value of a known key; empty optional when the key is absent.
    std::optional<QString> GetValueByIndex(int index) const;

    // Writes the given (name, value) entries to `path`, and only when that succeeded makes the
    // store hold exactly these entries (existing items of the same name are updated in place).
    // On failure neither the file nor the store changes.
    bool SaveSettings(const SettingsEntries& entries, const QString& path);

    // A copy of every held item, in order, taken under the store's lock.
    SettingsEntries Snapshot() const;
    int Count() const;

private:
    static bool WriteEntries(const SettingsEntries& entries, const QString& path);
    CSettings* FindLocked(const QString& name) const;
    void AdoptLocked(CSettings* item);

    mutable std::mutex m_lock;
    QVector<CSettings*> m_items;                      // what the store holds, in order
    std::vector<std::unique_ptr<CSettings>> m_owned;  // every item it ever held, until Clear()
};
