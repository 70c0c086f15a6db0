#include "engine/OutputFile.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "engine/Records.h"
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
        throw Varpen::CStorageException(FileError::FromErrno(FileError::Op::Write, m_path));
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
    FileError flushError;
    try {
        Flush();
    } catch (const Varpen::CStorageException& e) {
        flushError = e.Error();
    }
    RTK_CloseFile(m_handle);
    m_handle = -1;
    m_buffered_bytes = 0;
    if (flushError.Failed())
        throw Varpen::CStorageException(flushError);
    // The rename replaces the old file atomically: deleting it first would lose it when the
    // rename then fails.
    if (!finalName.empty() && finalName != m_path && RTK_RenameFile(m_path.c_str(), finalName.c_str()) == -1)
        throw Varpen::CStorageException(FileError::FromErrno(FileError::Op::Rename, finalName));
}

void COutputFile::Discard()
{
    if (m_handle == -1)
        return;
    RTK_CloseFile(m_handle);
    m_handle = -1;
    m_buffered_bytes = 0;
    RTK_DeleteFile(m_path.c_str());
}

namespace Varpen {

namespace {

const auto s_processOrigin = std::chrono::steady_clock::now();
std::atomic<OutputNameClock> s_nameClock{nullptr};

const char* FolderName(OutputKind kind)
{
    switch (kind) {
    case OutputKind::Capture:
        return "Capture/";
    case OutputKind::Clip:
        return "Clip/";
    case OutputKind::Download:
        break;
    }
    return "Download/";
}

// Moves `from` to `to` only when nothing stands under `to`; errno EEXIST when something does.
bool RenameNoReplace(const std::string& from, const std::string& to)
{
#ifdef RENAME_NOREPLACE
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
#endif
    // A file system without the flag: a hard link never replaces, then the old name goes.
    if (::link(from.c_str(), to.c_str()) != 0)
        return false;
    ::unlink(from.c_str());
    return true;
}

}  // namespace

std::string OutputFolderUnder(const std::string& base, OutputKind kind, time_t dateOf)
{
    std::string folder = base;
    if (!folder.empty() && folder.back() != '/')
        folder += '/';
    if (dateOf != -1)
        folder += TimeToDateStamp(dateOf) + "/";
    folder += FolderName(kind);
    return folder;
}

std::string OutputFolder(const OutputSettings& settings, OutputKind kind, time_t dateOf)
{
    return OutputFolderUnder(settings.Folder(kind), kind, dateOf);
}

std::string OutputFileName(const std::string& label, int channelPlusOne, time_t stamp, const std::string& tick,
                           const std::string& ext)
{
    const std::string head = label.empty() ? "channel" + IntToStdString(channelPlusOne) : label;
    return head + "_" + TimeToFileStamp(stamp) + tick + ext;
}

void SetOutputNameClock(OutputNameClock clock)
{
    s_nameClock.store(clock);
}

std::string OutputNameTick()
{
    int64_t ms;
    if (const OutputNameClock clock = s_nameClock.load())
        ms = clock();
    else
        ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - s_processOrigin)
                 .count();
    return IntToStdString(static_cast<int>(ms % 2147483647));
}

bool MakeOutputFolder(const std::string& folder, FileError* error)
{
    if (folder.empty()) {
        if (error)
            *error = FileError(FileError::Op::MakeFolder, folder, ENOENT);
        return false;
    }
    // Each level in turn, so that the reason names the level that failed.
    for (std::size_t pos = folder.find('/', 1);; pos = folder.find('/', pos + 1)) {
        const std::string level = pos == std::string::npos ? folder : folder.substr(0, pos);
        if (!level.empty()) {
            struct stat st {};
            if (::stat(level.c_str(), &st) == 0) {
                if (!S_ISDIR(st.st_mode)) {
                    if (error)
                        *error = FileError(FileError::Op::MakeFolder, level, ENOTDIR);
                    return false;
                }
            } else if (::mkdir(level.c_str(), 0777) != 0 && errno != EEXIST) {
                if (error)
                    *error = FileError(FileError::Op::MakeFolder, level, errno);
                return false;
            }
        }
        if (pos == std::string::npos || pos + 1 >= folder.size())
            break;
    }
    return true;
}

bool OutputPathTaken(const std::string& path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 || errno != ENOENT;
}

std::string FreeOutputPath(const std::string& folder, const std::string& stem, const std::string& ext)
{
    for (int n = 0; n < 1000; ++n) {
        const std::string path = folder + stem + (n == 0 ? std::string() : "-" + IntToStdString(n)) + ext;
        if (!OutputPathTaken(path))
            return path;
    }
    return std::string();
}

// ---- Packages ----------------------------------------------------------------------------------

COutputPackage::~COutputPackage()
{
    Abandon();
}

bool COutputPackage::Open(const Name& name)
{
    Abandon();
    m_error = FileError();
    const std::string base = m_saveFolder.empty() ? m_settings().Folder(name.kind) : m_saveFolder;
    m_folder = OutputFolderUnder(base, name.kind, name.dateOf);
    if (!MakeOutputFolder(m_folder, &m_error))
        return false;
    const std::string file = OutputFileName(name.label, name.channelPlusOne, name.stamp, OutputNameTick(), "");
    m_stem = file;
    m_ext = name.ext;
    for (int attempt = 0; attempt < 1000; ++attempt) {
        m_finalPath = FreeOutputPath(m_folder, m_stem, m_ext);
        if (m_finalPath.empty())
            break;
        // Hidden, beside its final name, so the move at the end stays on one file system.
        const std::string leaf = m_finalPath.substr(m_folder.size());
        const std::string temp = m_folder + "." + leaf + ".part";
        if (m_file.Open(temp))
            return true;
        if (errno != EEXIST) {
            m_error = FileError(FileError::Op::Create, temp, errno);
            m_finalPath.clear();
            return false;
        }
        // Another writer holds that temporary name: a later number is taken.
        m_stem = file + "-" + IntToStdString(attempt + 1);
    }
    m_error = FileError(FileError::Op::Create, m_folder, EEXIST);
    m_finalPath.clear();
    return false;
}

bool COutputPackage::Finish()
{
    if (!m_file.IsOpen())
        return false;
    const std::string temp = m_file.GetPath();
    try {
        m_file.Close(std::string());
    } catch (const CStorageException& e) {
        m_error = e.Error();
        RTK_DeleteFile(temp.c_str());
        return false;
    }
    std::string target = m_finalPath;
    for (int attempt = 0; attempt < 1000 && !target.empty(); ++attempt) {
        if (RenameNoReplace(temp, target)) {
            m_finalPath = target;
            return true;
        }
        if (errno != EEXIST)
            break;
        target = FreeOutputPath(m_folder, m_stem, m_ext);
    }
    m_error = FileError(FileError::Op::Rename, target, errno);
    RTK_DeleteFile(temp.c_str());
    return false;
}

void COutputPackage::Abandon()
{
    m_file.Discard();
}

// ---- Packaged output -------------------------------------------------------------------------

void CPackagedOutput::SetHeader(const unsigned char* header, std::size_t size_bytes)
{
    m_headerBytes = std::min(size_bytes, sizeof m_header);
    if (header && m_headerBytes > 0)
        std::memcpy(m_header, header, m_headerBytes);
}

bool CPackagedOutput::RollOver(bool headerBlock)
{
    COutputPackage::Name name;
    if (!m_package.Finish())
        return false;
    m_rolled.push_back(m_package.FinalPath());
    if (!m_next || !m_next(m_user, &name))
        return false;
    if (!m_package.Open(name))
        return false;
    if (!headerBlock && m_headerBytes > 0) {
        m_package.Write(m_header, static_cast<unsigned int>(m_headerBytes));
        m_repeated_bytes += m_headerBytes;
    }
    return true;
}

bool CPackagedOutput::Write(const unsigned char* data, unsigned int size, unsigned int unit_bytes, bool headerBlock)
{
    const unsigned int unitMax = unit_bytes == 0 || headerBlock ? std::max(size, 1u) : unit_bytes;
    unsigned int runStart = 0;  // first byte not written yet
    unsigned int offset = 0;    // end of the units taken into the run
    auto writeRun = [&] {
        if (offset > runStart)
            m_package.Write(data + runStart, offset - runStart);
        runStart = offset;
    };
    while (offset < size) {
        const unsigned int unit = std::min(unitMax, size - offset);
        const uint64_t inPackage = uint64_t(m_package.Bytes()) + (offset - runStart);
        if (inPackage + unit > m_limit_bytes && inPackage > 0) {
            writeRun();
            if (!RollOver(headerBlock))
                return false;
        }
        offset += unit;
    }
    writeRun();
    return true;
}

std::vector<std::string> CPackagedOutput::TakeRolledOver()
{
    std::vector<std::string> out;
    out.swap(m_rolled);
    return out;
}

}  // namespace Varpen
