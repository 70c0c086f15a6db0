#include "mainwindow/SettingsPage.h"

#include "app/CommonUtil.h"
#include "app/SettingsManager.h"

#include <QVector>

namespace SettingsPage {

bool IsPathKey(int index)
{
    return index == CSettingsManager::CaptureSavePath || index == CSettingsManager::ClipSavePath ||
           index == CSettingsManager::DownloadSavePath;
}

QString DefaultValue(int index)
{
    switch (index) {
    case CSettingsManager::CaptureSaveType:
        return QStringLiteral("0");
    case CSettingsManager::ClipPackageSize:
    case CSettingsManager::DownloadPackageSize:
        return QStringLiteral("1");
    default:
        return ShownPath(QString());
    }
}

QString ShownPath(const QString& stored)
{
    QString folder = CCommonUtil::EffectiveSavePath(stored, QString());
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

int ComboDataFor(int index, const QString& stored)
{
    bool ok = false;
    const uint value = stored.toUInt(&ok);
    if (ok && value <= 1 && stored == QString::number(value))
        return int(value);
    return DefaultValue(index).toInt();
}

int FirstChanged(const QStringList& stored, const QStringList& edits)
{
    const int n = int(qMax(stored.size(), edits.size()));
    for (int i = 0; i < n; ++i) {
        if (stored.value(i) != edits.value(i))
            return i;
    }
    return -1;
}

Space CheckFolderSpace(const QString& folder, int index)
{
    if (!CheckSavePathDiskSpace(SavePathMinFreeGB(index), -1, folder))
        return Space::Enough;
    // Refused: say whether the folder has too little space or cannot be asked at all.
    quint64 free_bytes = 0;
    if (folder.isEmpty() || CCommonUtil::IsWindowsDrivePath(folder) ||
        !QueryDiskFreeSpace(folder, &free_bytes, nullptr))
        return Space::Unknown;
    return Space::Low;
}

void SeedDefaults(CSettingsManager& store)
{
    QVector<CSettings*> items;
    store.GetAllSettings(items);
    bool missing = false;
    for (int i = 0; i < kCount; ++i) {
        if (!items.value(i)) {
            items[i] = new CSettings(CSettingsManager::GetKeyName(i), DefaultValue(i));
            missing = true;
        }
    }
    if (missing)
        store.SetAllSettings(items);  // the store owns the new items
}

}  // namespace SettingsPage
