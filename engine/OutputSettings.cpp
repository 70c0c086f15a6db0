#include "engine/OutputSettings.h"

#include "app/CommonUtil.h"
#include "app/SettingsManager.h"
#include "engine/DownloadPlan.h"

#include <optional>
#include <utility>

namespace Varpen {

namespace {

int FolderKey(OutputKind kind)
{
    switch (kind) {
    case OutputKind::Capture:
        return CSettingsManager::CaptureSavePath;
    case OutputKind::Clip:
        return CSettingsManager::ClipSavePath;
    case OutputKind::Download:
        break;
    }
    return CSettingsManager::DownloadSavePath;
}

std::string StoredFolder(OutputKind kind)
{
    return CCommonUtil::QStringToStdLocal(CCommonUtil::GetOutputSavePath(FolderKey(kind)));
}

OutputSettings ReadStore()
{
    const CSettingsManager* store = CSettingsManager::Instance();
    const auto value = [store](int key, const char* missing) {
        const std::optional<QString> v = store->GetValueByIndex(key);
        return v ? *v : QString::fromLatin1(missing);
    };
    OutputSettings s;
    s.snapshotJpeg = value(CSettingsManager::CaptureSaveType, "0") == QLatin1String("0");
    s.clipPackage_bytes = value(CSettingsManager::ClipPackageSize, "1") == QLatin1String("0")
                              ? OutputSettings::kSmallPackage_bytes
                              : OutputSettings::kLargePackage_bytes;
    s.downloadPackage_bytes = DownloadPackageSizeBytes(value(CSettingsManager::DownloadPackageSize, ""));
    s.captureFolder = StoredFolder(OutputKind::Capture);
    s.clipFolder = StoredFolder(OutputKind::Clip);
    s.downloadFolder = StoredFolder(OutputKind::Download);
    return s;
}

}  // namespace

const std::string& OutputSettings::Folder(OutputKind kind) const
{
    switch (kind) {
    case OutputKind::Capture:
        return captureFolder;
    case OutputKind::Clip:
        return clipFolder;
    case OutputKind::Download:
        break;
    }
    return downloadFolder;
}

OutputSettingsSource StoredOutputSettings()
{
    return &ReadStore;
}

OutputSettingsSource FixedOutputSettings(OutputSettings settings)
{
    return [settings = std::move(settings)] { return settings; };
}

bool OutputFolderSpaceLow(OutputKind kind, const std::string& folder)
{
    return CheckSavePathDiskSpace(SavePathMinFreeGB(FolderKey(kind)), -1, QString::fromLocal8Bit(folder));
}

}  // namespace Varpen
