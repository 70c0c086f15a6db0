#pragma once
// The writer of clip and download files: writes through the runtime's file calls, counts what it
// wrote and can give the file its final name when it closes. A failed write or rename throws
// Varpen::CStorageException.

#include <exception>
#include <string>

namespace Varpen {

class CStorageException : public std::exception {
public:
    CStorageException() = default;
    CStorageException(const CStorageException&) = default;
    const char* what() const noexcept override { return "Write file exception."; }
};

}  // namespace Varpen

class COutputFile {
public:
    COutputFile() = default;
    ~COutputFile();
    COutputFile(const COutputFile&) = delete;
    COutputFile& operator=(const COutputFile&) = delete;

    // Closes the file held (keeping its name), then creates `path` for writing. False when it
    // cannot be created (also when a file of that name exists); the object is then closed.
    bool Open(const std::string& path);
    // Writes all `length` bytes; 0 on a closed file. Throws CStorageException when the write fails
    // (what reached the file before the failure stays there).
    unsigned int Write(const void* data, unsigned int length);
    // Closes; with a final name that is not empty and differs from the path, whatever stands
    // under that name is replaced by the file. Throws CStorageException when the rename fails
    // (the file then stays closed under its working path).
    void Close(const std::string& finalName);
    bool IsOpen() const { return m_handle != -1; }
    unsigned int GetWrittenBytes() const { return m_written; }
    const std::string& GetPath() const { return m_path; }

private:
    int m_handle = -1;
    std::string m_path;
    unsigned int m_written = 0;
};
