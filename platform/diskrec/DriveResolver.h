// How "\\.\PHYSICALDRIVE<n>" becomes a device or image path. By default the system layer's disk
// list answers (the real disks plus VARPEN_EXTRA_DISKS); tests may install another resolver.
#pragma once

#include <string>

namespace diskrec {

// Gives the device or image path of disk number n, or "" when there is no such disk.
using DriveResolverFn = std::string (*)(int drive_number);

// Installs the resolver (null removes it: disk numbers then no longer resolve and only plain
// device or image paths can be read).
void SetDriveResolver(DriveResolverFn fn);
std::string ResolveDrive(int drive_number);

}  // namespace diskrec
