// Shared by the fuzz targets whose reader takes a file path: the input is written to a file of
// this process in memory (/dev/shm when there is one).
#pragma once

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

namespace fuzz {

// The path of this process's file `name` (e.g. "settings.xml").
inline std::string ScratchPath(const std::string& name)
{
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::is_directory("/dev/shm", error)
                                             ? std::filesystem::path("/dev/shm")
                                             : std::filesystem::temp_directory_path(error);
    return (folder / ("varpen-fuzz-" + std::to_string(::getpid()) + "-" + name)).string();
}

// Writes the input to ScratchPath(name) as a new file (a new inode on tmpfs), so that a reader
// that knows a file by its identity, size and time never takes it for the last run's file.
// Empty when it cannot be written.
inline std::string WriteScratch(const std::string& name, const std::uint8_t* data, std::size_t size)
{
    const std::string path = ScratchPath(name);
    std::remove(path.c_str());
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return {};
    const bool written = std::fwrite(data, 1, size, f) == size;
    return std::fclose(f) == 0 && written ? path : std::string();
}

}  // namespace fuzz
