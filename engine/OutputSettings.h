#pragma once
// What the engine's outputs take from the operator's settings: the snapshot format, the clip and
// download package sizes and the three save folders, as one value. The engine never reads the
// settings store itself: a player port, a downloader or an output package asks its settings
// source for the value at the moment it needs it (a snapshot, a clip, a job, a pass), so a change
// saved on the settings page counts from the next output on.
//
// The program's source is StoredOutputSettings(), which reads the store ("Settings.xml"); tests
// and tools hand in FixedOutputSettings(value) or a function of their own.

#include <cstdint>
#include <functional>
#include <string>

namespace Varpen {

// The three kinds of output and their folder names under a date folder.
enum class OutputKind { Capture, Clip, Download };

struct OutputSettings {
    static constexpr std::uint64_t kSmallPackage_bytes = 33554432;   // package size "0"
    static constexpr std::uint64_t kLargePackage_bytes = 134217728;  // package size "1"

    bool snapshotJpeg = true;  // "CaptureSaveType" "0" (or none); BMP for any other value
    std::uint64_t clipPackage_bytes = kLargePackage_bytes;
    std::uint64_t downloadPackage_bytes = kSmallPackage_bytes;
    // Folders in the local 8-bit code page, each ending with "/"; the store's source never gives an
    // empty one, a value handed in names at least the folders of the outputs it is used for.
    std::string captureFolder;
    std::string clipFolder;
    std::string downloadFolder;

    const std::string& Folder(OutputKind kind) const;
};

// Called on whichever thread needs the value (the GUI's, a player's, a downloader's).
using OutputSettingsSource = std::function<OutputSettings()>;

// The settings store's values, read at each call: "CaptureSaveType" "0" or missing is JPEG;
// "ClipPackageSize" "0" is 32 MiB, anything else or missing 128 MiB; "DownloadPackageSize" "1" is
// 128 MiB, anything else or missing 32 MiB; a folder missing, empty or a Windows drive path is
// the default one under the user's video folder.
OutputSettingsSource StoredOutputSettings();
// Always the given value.
OutputSettingsSource FixedOutputSettings(OutputSettings settings);

// The free space the folder of `kind` must keep is missing there (or cannot be read): the same
// minimum as the settings page and the play windows use (0.5 GiB for snapshots, 2 GiB otherwise).
bool OutputFolderSpaceLow(OutputKind kind, const std::string& folder);

}  // namespace Varpen
