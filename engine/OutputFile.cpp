#include "engine/OutputFile.h"

#include "platform/rtk/rtk.h"

COutputFile::~COutputFile()
{
    try {
        Close(std::string());
    } catch (...) {
        // Closing without a final name renames nothing and cannot throw; stay safe anyway.
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
    return true;
}

unsigned int COutputFile::Write(const void* data, unsigned int length)
{
    if (m_handle == -1)
        return 0;
    if (RTK_WriteFile(m_handle, data, length, nullptr) == -1)
        throw Varpen::CStorageException();
    m_written += length;
    return length;
}

void COutputFile::Close(const std::string& finalName)
{
    if (m_handle == -1)
        return;
    RTK_CloseFile(m_handle);
    m_handle = -1;
    if (!finalName.empty() && finalName != m_path) {
        RTK_DeleteFile(finalName.c_str());
        if (RTK_RenameFile(m_path.c_str(), finalName.c_str()) == -1)
            throw Varpen::CStorageException();
    }
}
