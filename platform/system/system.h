#pragma once
// The system layer: free space of folders, the screen's size and the machine's disks.
// Every call is thread-safe unless it says otherwise.

#include <cstdint>
#include <string>
#include <vector>

// Free space: asks the nearest existing folder of path (the folders of an output path are often
// created later). free_bytes is what the calling user may still write; total_bytes the volume's
// size. Either pointer may be null. false when no folder of the path can be asked.
using FreeSpaceFn = bool (*)(const char* path, uint64_t* free_bytes, uint64_t* total_bytes);
bool Sys_QueryFreeSpace(const char* path, uint64_t* free_bytes, uint64_t* total_bytes);
// Replaces the free-space query (for tests); null restores the real one.
void Sys_SetFreeSpaceFunction(FreeSpaceFn fn);
// True while a replacement is set.
bool Sys_FreeSpaceReplaced();
// The real query (statvfs on the nearest existing folder), also while a replacement is set.
bool Sys_StatFreeSpace(const char* path, uint64_t* free_bytes, uint64_t* total_bytes);

// The primary screen's size in logical pixels; call on the GUI thread. Needs a QGuiApplication;
// false without one or without a screen.
bool Sys_GetScreenSize(int* width_px, int* height_px);

// ---------------------------------------------------------------------------------------------
// Disks
//
// The machine's disks come from <sys root>/block: hardware disks and bound loop devices; RAM
// disks, optical drives, device-mapper and RAID nodes and loops carrying a mounted squashfs are
// left out. A disk's number n (its name is "\\.\PHYSICALDRIVE<n>") is the kernel's diskseq,
// stable while the disk is attached and never reused; without diskseq, the position in the list.
// VARPEN_EXTRA_DISKS (colon-separated paths) adds disks numbered 1000 + the position of the entry
// among the non-empty ones:
// an image file (or a device node) is a recorder disk without volumes, a folder is a disk whose
// one volume is that folder. Entries that do not exist are left out, keeping the others' numbers.
// Volumes are the mounts (<mountinfo>) of a disk and its partitions, in partition order, one per
// partition (the shortest mount point of bind mounts), each ending with "/".

enum Sys_DiskKind { SYS_DISK_DEVICE = 0, SYS_DISK_IMAGE = 1, SYS_DISK_FOLDER = 2 };

struct Sys_Disk {
    unsigned int number = 0;
    Sys_DiskKind kind = SYS_DISK_DEVICE;
    std::string name;  // kernel name ("sda"), or the path of an extra disk
    std::string path;  // what to open: "/dev/sda", the image file or the folder
};

struct Sys_Volume {
    std::string mount_point;  // ends with "/"
    std::string label;        // the file system's label, the folder's name, or empty
    int partition = 0;        // 0 = the whole disk
};

// Disks in list order (hardware and loop devices by kernel name, then the extra disks), at most
// max_disks. Returns the count, -1 when the disk list cannot be read.
int Sys_ListDisks(std::vector<Sys_Disk>* disks, int max_disks = 100);
// The mounted volumes on disk disk_number. Returns the count (0 for a disk without volumes or an
// unknown number), -1 when volumes is null or the mount table cannot be read.
int Sys_ListVolumes(unsigned int disk_number, std::vector<Sys_Volume>* volumes);
// The number of the disk holding the volume mounted at mount_point (with or without the trailing
// "/"), or -1 (as unsigned) when it is not a listed volume.
unsigned int Sys_DiskNumberOfVolume(const char* mount_point);
// The path to open for disk disk_number, "" when there is no such disk. Fits
// diskrec::SetDriveResolver.
std::string Sys_DiskPathOf(int disk_number);
// Resolves "\\.\PHYSICALDRIVE<n>" (exactly that form) to the disk's path; "" otherwise.
std::string Sys_ResolveDriveName(const char* drive_name);
// Moves the roots for tests: the folder that holds block/ (default "/sys") and the mount table
// (default "/proc/self/mountinfo"). Null restores a default.
void Sys_SetDiskRoots(const char* sys_root, const char* mountinfo_path);
