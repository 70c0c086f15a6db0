// How "\\.\PHYSICALDRIVE<n>" becomes a device or image path. The machine's disk list lives in
// the system layer; it registers its resolver here so the disk layer needs no link to it.
#pragma once

#include <string>

namespace diskrec {

// Gives the device or image path of disk number n, or "" when there is no such disk.
using DriveResolverFn = std::string (*)(int drive_number);

// Installs the resolver (null removes it). Without one, disk numbers do not resolve and only
// plain device or image paths can be read.
void SetDriveResolver(DriveResolverFn fn);
std::string ResolveDrive(int drive_number);

}  // namespace diskrec
