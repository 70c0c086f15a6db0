#pragma once
// The writer of clip and download files: writes through the runtime's file calls, counts what it
// wrote and can give the file its final name when it closes. A failed write or rename throws
// Varpen::CStorageException.
//
// With a write buffer (SetBufferBytes) small writes are gathered and reach the file in large
// chunks; Flush and Close hand the rest to the file, and a chunk that cannot be written throws
// there as a direct write would.

#include <cstddef>
#include <exception>
#include <memory>
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
    // Writes all `length` bytes (into the buffer when one is set and they fit); 0 on a closed
    // file. Throws CStorageException when a write to the file fails (what reached the file before
    // the failure stays there; what the buffer held is dropped).
    unsigned int Write(const void* data, unsigned int length);
    // Hands the buffered bytes to the file. Throws CStorageException when that fails (the buffered
    // bytes are then dropped). Nothing on a closed or unbuffered file.
    void Flush();
    // Flushes and closes; with a final name that is not empty and differs from the path, whatever
    // stands under that name is replaced by the file. Throws CStorageException when the flush or
    // the rename fails; the file is closed either way, and after a failed flush it keeps its
    // working path (an incomplete file never takes the final name).
    void Close(const std::string& finalName);
    bool IsOpen() const { return m_handle != -1; }
    // Bytes accepted by Write since the open, the buffered ones included.
    unsigned int GetWrittenBytes() const { return m_written; }
    const std::string& GetPath() const { return m_path; }

    // Size of the write buffer; 0 (the default) writes every call straight through. Takes effect
    // at the next Open.
    void SetBufferBytes(std::size_t size_bytes) { m_bufferCapacity_bytes = size_bytes; }
    std::size_t GetBufferedBytes() const { return m_buffered_bytes; }

private:
    void WriteThrough(const void* data, std::size_t length);

    int m_handle = -1;
    std::string m_path;
    unsigned int m_written = 0;
    std::size_t m_bufferCapacity_bytes = 0;
    std::unique_ptr<unsigned char[]> m_buffer;
    std::size_t m_bufferSize_bytes = 0;  // size of m_buffer
    std::size_t m_buffered_bytes = 0;
};
