#include "engine/OutputFile.h"

#include <cstring>

#include "platform/rtk/rtk.h"

COutputFile::~COutputFile()
{
    try {
        Close(std::string());
    } catch (...) {
        // Owners that care about the last bytes flush or close before they go.
    }
}

bool COutputFile::Open(const std::string& path)
{
    Close(std::string());
    const int handle = RTK_OpenFile(path.c_str(), RTK_FILE_CREATE_OUTPUT, RTK_SHARE_WRITE);
    if (handle == -1)
        return false;
    m_handle = handle;
    m_path = path;
    m_written = 0;
    m_buffered_bytes = 0;
    if (m_bufferCapacity_bytes == 0) {
        m_buffer.reset();
        m_bufferSize_bytes = 0;
    } else if (m_bufferSize_bytes != m_bufferCapacity_bytes) {
        m_buffer = std::make_unique<unsigned char[]>(m_bufferCapacity_bytes);
        m_bufferSize_bytes = m_bufferCapacity_bytes;
    }
    return true;
}

void COutputFile::WriteThrough(const void* data, std::size_t length)
{
    if (RTK_WriteFile(m_handle, data, length, nullptr) == -1)
        throw Varpen::CStorageException();
}

unsigned int COutputFile::Write(const void* data, unsigned int length)
{
    if (m_handle == -1)
        return 0;
    if (m_bufferSize_bytes == 0) {
        WriteThrough(data, length);
    } else {
        if (m_buffered_bytes + length > m_bufferSize_bytes)
            Flush();
        if (length >= m_bufferSize_bytes) {
            WriteThrough(data, length);  // as large as a chunk already: no copy
        } else {
            std::memcpy(m_buffer.get() + m_buffered_bytes, data, length);
            m_buffered_bytes += length;
        }
    }
    m_written += length;
    return length;
}

void COutputFile::Flush()
{
    if (m_handle == -1 || m_buffered_bytes == 0)
        return;
    const std::size_t pending = m_buffered_bytes;
    m_buffered_bytes = 0;
    WriteThrough(m_buffer.get(), pending);
}

void COutputFile::Close(const std::string& finalName)
{
    if (m_handle == -1)
        return;
    bool flushed = true;
    try {
        Flush();
    } catch (const Varpen::CStorageException&) {
        flushed = false;
    }
    RTK_CloseFile(m_handle);
    m_handle = -1;
    m_buffered_bytes = 0;
    if (!flushed)
        throw Varpen::CStorageException();
    if (!finalName.empty() && finalName != m_path) {
        RTK_DeleteFile(finalName.c_str());
        if (RTK_RenameFile(m_path.c_str(), finalName.c_str()) == -1)
            throw Varpen::CStorageException();
    }
}
