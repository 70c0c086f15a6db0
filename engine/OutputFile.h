#pragma once
// The writer of clip and download files, and the rules every output of the station follows:
// where snapshots, clips and downloads go, how they are named, and how a package is written.
//
// COutputFile writes through the runtime's file calls, counts what it wrote and can give the file
// its final name when it closes. A failed write or rename throws Varpen::CStorageException, which
// carries the FileError (path and error number) of the call that failed.
// With a write buffer (SetBufferBytes) small writes are gathered and reach the file in large
// chunks; Flush and Close hand the rest to the file, and a chunk that cannot be written throws
// there as a direct write would.
//
// COutputPackage is one output package of a clip or a download: it is written under a hidden
// temporary name in its final folder and takes its final name only when it is complete, so an
// interrupted or failed output never stands under a final name and never replaces anything.

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <exception>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/FileError.h"
#include "engine/OutputSettings.h"

namespace Varpen {

class CStorageException : public std::exception {
public:
    CStorageException() = default;
    explicit CStorageException(FileError error) : m_error(std::move(error)) {}
    CStorageException(const CStorageException&) = default;
    const char* what() const noexcept override { return "Write file exception."; }
    // The write or rename that failed, with its path and error number.
    const FileError& Error() const { return m_error; }

private:
    FileError m_error;
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
    // Flushes and closes; with a final name that is not empty and differs from the path, the file
    // takes that name, atomically replacing whatever stood there. Throws CStorageException when
    // the flush or the rename fails; the file is closed either way, and after a failed flush or
    // rename it keeps its working path (an incomplete file never takes the final name, and what
    // stood under the final name stays whole).
    void Close(const std::string& finalName);
    // Closes without writing the buffered bytes and deletes the file.
    void Discard();
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

namespace Varpen {

// `base` joined by exactly one separator to the date "%Y%m%d" of `dateOf` (no date folder when
// it is -1), then "Capture/", "Clip/" or "Download/".
std::string OutputFolderUnder(const std::string& base, OutputKind kind, time_t dateOf);
// OutputFolderUnder(the save folder of `kind` in `settings`, kind, dateOf).
std::string OutputFolder(const OutputSettings& settings, OutputKind kind, time_t dateOf);
// "<label>_<stamp><tick><ext>", or "channel<channelPlusOne>_<stamp><tick><ext>" without a label;
// the stamp is "%Y%m%d%H%M%S" of `stamp`.
std::string OutputFileName(const std::string& label, int channelPlusOne, time_t stamp, const std::string& tick,
                           const std::string& ext);
// The distinguishing part of output names: milliseconds since the process started on the steady
// clock, or the clock set by SetOutputNameClock (tests; null restores the default).
using OutputNameClock = int64_t (*)();
void SetOutputNameClock(OutputNameClock clock);
std::string OutputNameTick();
// Makes the folder with every level above it. false with the level that failed and the system's
// error in `error`.
bool MakeOutputFolder(const std::string& folder, FileError* error);
// Something stands under `path`: a file, a folder or a link (a dangling one too).
bool OutputPathTaken(const std::string& path);
// "<stem><ext>", else "<stem>-1<ext>", "<stem>-2<ext>", ...: the first path in `folder` under
// which nothing stands; empty when none of the first 1000 is free.
std::string FreeOutputPath(const std::string& folder, const std::string& stem, const std::string& ext);

// One output package of a clip or a download. One thread at a time, as its owner arranges.
class COutputPackage {
public:
    struct Name {
        OutputKind kind = OutputKind::Download;
        time_t dateOf = -1;  // the date folder's day; -1: no date folder
        std::string label;   // empty: "channel<n>"
        int channelPlusOne = 0;
        time_t stamp = 0;  // the time in the name
        std::string ext = ".mp4";
    };

    COutputPackage() = default;
    ~COutputPackage();  // an open package is abandoned
    COutputPackage(const COutputPackage&) = delete;
    COutputPackage& operator=(const COutputPackage&) = delete;

    void SetBufferBytes(std::size_t size_bytes) { m_file.SetBufferBytes(size_bytes); }
    // Where the kind's save folder is read at each Open (the settings store by default).
    void SetOutputSettings(OutputSettingsSource settings) { m_settings = std::move(settings); }
    // The folder the packages go to, in place of the kind's save folder.
    void SetSaveFolder(const std::string& folder) { m_saveFolder = folder; }

    // Abandons an open package, makes the folder, chooses a free final name and creates the
    // temporary file beside it. false with the reason in Error() when the folder cannot be made
    // or the file cannot be created.
    bool Open(const Name& name);
    // Throws CStorageException when the file cannot take the bytes.
    unsigned int Write(const void* data, unsigned int length) { return m_file.Write(data, length); }
    void Flush() { m_file.Flush(); }
    // The package is complete: flushed, closed and moved to its final name (the next free name
    // when something took the chosen one meanwhile; nothing is ever replaced). false (the
    // temporary file deleted, the reason in Error()) when its last bytes or the move failed.
    bool Finish();
    // The package is incomplete: closed and deleted. Nothing when none is open.
    void Abandon();

    bool IsOpen() const { return m_file.IsOpen(); }
    // Bytes written into the open package.
    unsigned int Bytes() const { return m_file.GetWrittenBytes(); }
    // The final path chosen for the open package, or the one the last finished package took.
    const std::string& FinalPath() const { return m_finalPath; }
    // Why the last Open or Finish failed: "<path>: <system message>" (empty when it did not).
    std::string Error() const { return m_error.Text(); }

private:
    COutputFile m_file;
    OutputSettingsSource m_settings = StoredOutputSettings();
    std::string m_saveFolder;
    std::string m_folder;
    std::string m_stem;
    std::string m_ext;
    std::string m_finalPath;
    FileError m_error;
};

// A stream written into packages of at most a package size, each beginning with the stream
// header: the roll-over rule of downloads. (Clips roll over at keyframes, CPlayPort.)
class CPackagedOutput {
public:
    // The name of the package that follows a full one; false when none can be named.
    using NextName = bool (*)(void* user, COutputPackage::Name* name);

    void SetBufferBytes(std::size_t size_bytes) { m_package.SetBufferBytes(size_bytes); }
    void SetSaveFolder(const std::string& folder) { m_package.SetSaveFolder(folder); }
    void SetPackageBytes(uint64_t size_bytes) { m_limit_bytes = size_bytes; }
    // The header written first into every package opened by a roll-over (at most 40 bytes kept).
    void SetHeader(const unsigned char* header, std::size_t size_bytes);
    std::size_t HeaderBytes() const { return m_headerBytes; }
    const unsigned char* Header() const { return m_header; }
    void SetNextName(NextName next, void* user)
    {
        m_next = next;
        m_user = user;
    }

    bool Open(const COutputPackage::Name& name) { return m_package.Open(name); }
    // Writes the block cut into units of `unit_bytes` (0: the whole block is one unit). Before a
    // unit that would take a package holding something past the package size, the package is
    // finished (it takes its final name) and the next one opened, the header first (not for a
    // header block, which begins the package itself); so a unit larger than a package still goes
    // out whole, and no byte is lost or repeated at a cut. false when a package could not be
    // finished or opened (the reason in Error()); throws CStorageException when a write fails.
    bool Write(const unsigned char* data, unsigned int size, unsigned int unit_bytes, bool headerBlock);
    // Header bytes that roll-overs added (they are not stream bytes of the job).
    uint64_t RepeatedHeaderBytes() const { return m_repeated_bytes; }

    COutputPackage& Package() { return m_package; }
    const COutputPackage& Package() const { return m_package; }
    unsigned int Bytes() const { return m_package.Bytes(); }
    bool Finish() { return m_package.Finish(); }
    void Abandon() { m_package.Abandon(); }
    bool IsOpen() const { return m_package.IsOpen(); }
    const std::string& FinalPath() const { return m_package.FinalPath(); }
    std::string Error() const { return m_package.Error(); }
    // Final paths of the packages finished by roll-overs since the last call.
    std::vector<std::string> TakeRolledOver();

private:
    bool RollOver(bool headerBlock);

    COutputPackage m_package;
    uint64_t m_limit_bytes = 0;
    unsigned char m_header[40] = {};
    std::size_t m_headerBytes = 0;
    NextName m_next = nullptr;
    void* m_user = nullptr;
    uint64_t m_repeated_bytes = 0;
    std::vector<std::string> m_rolled;
};

}  // namespace Varpen
