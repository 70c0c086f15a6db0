#include "platform/system/system.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>

#include <dirent.h>
#include <sys/stat.h>

#include <QStorageInfo>

namespace {

constexpr unsigned int kFirstExtraDiskNumber = 1000;
constexpr unsigned int kNoDisk = static_cast<unsigned int>(-1);

std::mutex g_rootsLock;
std::string g_sysRoot = "/sys";
std::string g_mountInfoPath = "/proc/self/mountinfo";

void Roots(std::string* sys_root, std::string* mountinfo)
{
    std::lock_guard<std::mutex> lock(g_rootsLock);
    *sys_root = g_sysRoot;
    *mountinfo = g_mountInfoPath;
}

bool ReadText(const std::string& path, std::string* text)
{
    std::ifstream in(path);
    if (!in)
        return false;
    std::stringstream buffer;
    buffer << in.rdbuf();
    *text = buffer.str();
    while (!text->empty() && (text->back() == '\n' || text->back() == ' '))
        text->pop_back();
    return true;
}

bool Exists(const std::string& path, bool* is_dir = nullptr)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return false;
    if (is_dir)
        *is_dir = S_ISDIR(st.st_mode);
    return true;
}

std::vector<std::string> Entries(const std::string& folder, bool* ok = nullptr)
{
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    if (ok)
        *ok = dir != nullptr;
    if (!dir)
        return names;
    while (dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] != '.')
            names.emplace_back(entry->d_name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

bool StartsWith(const std::string& text, const char* prefix)
{
    return text.rfind(prefix, 0) == 0;
}

std::string WithSlash(std::string path)
{
    if (path.empty() || path.back() != '/')
        path.push_back('/');
    return path;
}

// Mount points in mountinfo escape space, tab, newline and backslash as \ooo.
std::string Unescape(const std::string& field)
{
    std::string out;
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const std::string oct = field.substr(i + 1, 3);
            if (oct.size() == 3 && std::all_of(oct.begin(), oct.end(), [](char c) { return c >= '0' && c <= '7'; })) {
                out.push_back(static_cast<char>(std::strtol(oct.c_str(), nullptr, 8)));
                i += 3;
                continue;
            }
        }
        out.push_back(field[i]);
    }
    return out;
}

struct Mount {
    std::string dev;  // "major:minor"
    std::string mount_point;
    std::string fs_type;
};

bool ReadMounts(const std::string& path, std::vector<Mount>* mounts)
{
    std::ifstream in(path);
    if (!in)
        return false;
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::vector<std::string> f;
        std::string word;
        while (fields >> word)
            f.push_back(word);
        const auto dash = std::find(f.begin(), f.end(), "-");
        if (f.size() < 5 || dash == f.end() || dash + 1 == f.end() || dash - f.begin() < 6)
            continue;
        mounts->push_back({f[2], Unescape(f[4]), *(dash + 1)});
    }
    return true;
}

struct BlockDisk {
    Sys_Disk disk;
    std::map<std::string, int> devs;  // "major:minor" of the disk (0) and its partitions
};

bool Excluded(const std::string& name)
{
    for (const char* prefix : {"ram", "zram", "sr", "dm-", "md"})
        if (StartsWith(name, prefix))
            return true;
    return false;
}

// The hardware and loop disks of <sys root>/block, numbered. false when block/ cannot be read.
bool ReadBlockDisks(const std::string& sys_root, const std::vector<Mount>& mounts, std::vector<BlockDisk>* out)
{
    bool ok = false;
    const std::string block = sys_root + "/block";
    const std::vector<std::string> names = Entries(block, &ok);
    if (!ok)
        return false;
    bool allHaveSeq = true;
    std::vector<long long> seqs;
    for (const std::string& name : names) {
        if (Excluded(name))
            continue;
        const std::string dir = block + "/" + name;
        std::string text;
        if (!ReadText(dir + "/size", &text) || std::atoll(text.c_str()) <= 0)
            continue;  // unbound loops and empty card readers have no media
        const bool hardware = Exists(dir + "/device");
        const bool boundLoop = StartsWith(name, "loop") && ReadText(dir + "/loop/backing_file", &text) && !text.empty();
        if (!hardware && !boundLoop)
            continue;
        BlockDisk disk;
        disk.disk.kind = SYS_DISK_DEVICE;
        disk.disk.name = name;
        disk.disk.path = "/dev/" + name;
        if (ReadText(dir + "/dev", &text))
            disk.devs[text] = 0;
        for (const std::string& child : Entries(dir)) {
            std::string number, dev;
            if (ReadText(dir + "/" + child + "/partition", &number) && ReadText(dir + "/" + child + "/dev", &dev))
                disk.devs[dev] = std::atoi(number.c_str());
        }
        if (boundLoop) {
            // Snap packages and the like: a loop under a mounted squashfs is no disk of the user's.
            const bool squashfs = std::any_of(mounts.begin(), mounts.end(), [&](const Mount& m) {
                return m.fs_type == "squashfs" && disk.devs.count(m.dev);
            });
            if (squashfs)
                continue;
        }
        std::string seq;
        if (ReadText(dir + "/diskseq", &seq) && !seq.empty())
            seqs.push_back(std::atoll(seq.c_str()));
        else
            allHaveSeq = false;
        out->push_back(std::move(disk));
    }
    for (size_t i = 0; i < out->size(); ++i)
        (*out)[i].disk.number = allHaveSeq ? static_cast<unsigned int>(seqs[i]) : static_cast<unsigned int>(i);
    return true;
}

std::vector<Sys_Disk> ExtraDisks()
{
    std::vector<Sys_Disk> disks;
    const char* env = std::getenv("VARPEN_EXTRA_DISKS");
    if (!env)
        return disks;
    std::istringstream list(env);
    std::string path;
    unsigned int position = 0;
    while (std::getline(list, path, ':')) {
        if (path.empty())
            continue;
        const unsigned int number = kFirstExtraDiskNumber + position++;
        bool isDir = false;
        if (!Exists(path, &isDir))
            continue;
        while (isDir && path.size() > 1 && path.back() == '/')
            path.pop_back();
        disks.push_back({number, isDir ? SYS_DISK_FOLDER : SYS_DISK_IMAGE, path, path});
    }
    return disks;
}

std::string FolderLabel(const std::string& folder)
{
    const size_t slash = folder.find_last_of('/');
    return slash == std::string::npos ? folder : folder.substr(slash + 1);
}

std::string VolumeLabel(const std::string& mount_point)
{
    const QString path = QString::fromStdString(mount_point);
    QStorageInfo info(path);
    if (!info.isValid() || WithSlash(info.rootPath().toStdString()) != mount_point)
        return {};
    return info.name().toStdString();
}

// Everything the disk calls need, read once per call.
struct Snapshot {
    bool disks_ok = false;
    bool mounts_ok = false;
    std::vector<Mount> mounts;
    std::vector<BlockDisk> block;
    std::vector<Sys_Disk> extra;
};

Snapshot ReadSnapshot()
{
    Snapshot s;
    std::string sysRoot, mountInfo;
    Roots(&sysRoot, &mountInfo);
    s.mounts_ok = ReadMounts(mountInfo, &s.mounts);
    s.disks_ok = ReadBlockDisks(sysRoot, s.mounts, &s.block);
    s.extra = ExtraDisks();
    return s;
}

// The volumes of a disk. Labels cost a query of each file system: only asked when wanted.
std::vector<Sys_Volume> VolumesOf(const Snapshot& s, unsigned int disk_number, bool with_labels)
{
    std::vector<Sys_Volume> volumes;
    for (const Sys_Disk& extra : s.extra) {
        if (extra.number == disk_number && extra.kind == SYS_DISK_FOLDER)
            volumes.push_back({WithSlash(extra.path), FolderLabel(extra.path), 0});
    }
    for (const BlockDisk& disk : s.block) {
        if (disk.disk.number != disk_number)
            continue;
        std::map<int, std::string> byPartition;  // the shortest mount point of each partition
        for (const Mount& m : s.mounts) {
            const auto dev = disk.devs.find(m.dev);
            if (dev == disk.devs.end())
                continue;
            std::string& chosen = byPartition[dev->second];
            const std::string point = WithSlash(m.mount_point);
            if (chosen.empty() || point.size() < chosen.size())
                chosen = point;
        }
        for (const auto& [partition, point] : byPartition)
            volumes.push_back({point, with_labels ? VolumeLabel(point) : std::string(), partition});
    }
    return volumes;
}

}  // namespace

int Sys_ListDisks(std::vector<Sys_Disk>* disks, int max_disks)
{
    if (!disks)
        return -1;
    disks->clear();
    const Snapshot s = ReadSnapshot();
    if (!s.disks_ok && s.extra.empty())
        return -1;
    for (const BlockDisk& disk : s.block)
        disks->push_back(disk.disk);
    disks->insert(disks->end(), s.extra.begin(), s.extra.end());
    if (max_disks >= 0 && disks->size() > size_t(max_disks))
        disks->resize(size_t(max_disks));
    return static_cast<int>(disks->size());
}

int Sys_ListVolumes(unsigned int disk_number, std::vector<Sys_Volume>* volumes)
{
    if (!volumes)
        return -1;
    volumes->clear();
    const Snapshot s = ReadSnapshot();
    if (!s.mounts_ok)
        return -1;
    *volumes = VolumesOf(s, disk_number, true);
    return static_cast<int>(volumes->size());
}

unsigned int Sys_DiskNumberOfVolume(const char* mount_point)
{
    if (!mount_point || !*mount_point)
        return kNoDisk;
    const std::string wanted = WithSlash(mount_point);
    const Snapshot s = ReadSnapshot();
    std::vector<unsigned int> numbers;
    for (const BlockDisk& disk : s.block)
        numbers.push_back(disk.disk.number);
    for (const Sys_Disk& disk : s.extra)
        numbers.push_back(disk.number);
    for (unsigned int number : numbers) {
        for (const Sys_Volume& volume : VolumesOf(s, number, false))
            if (volume.mount_point == wanted)
                return number;
    }
    return kNoDisk;
}

std::string Sys_DiskPathOf(int disk_number)
{
    if (disk_number < 0)
        return {};
    std::vector<Sys_Disk> disks;
    Sys_ListDisks(&disks, -1);
    for (const Sys_Disk& disk : disks)
        if (disk.number == static_cast<unsigned int>(disk_number))
            return disk.path;
    return {};
}

std::string Sys_ResolveDriveName(const char* drive_name)
{
    static const std::string prefix = "\\\\.\\PHYSICALDRIVE";
    if (!drive_name)
        return {};
    const std::string text = drive_name;
    if (!StartsWith(text, prefix.c_str()) || text.size() == prefix.size() || text.size() > prefix.size() + 9)
        return {};
    const std::string digits = text.substr(prefix.size());
    if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return {};
    return Sys_DiskPathOf(std::atoi(digits.c_str()));
}

void Sys_SetDiskRoots(const char* sys_root, const char* mountinfo_path)
{
    std::lock_guard<std::mutex> lock(g_rootsLock);
    g_sysRoot = sys_root ? sys_root : "/sys";
    g_mountInfoPath = mountinfo_path ? mountinfo_path : "/proc/self/mountinfo";
}
