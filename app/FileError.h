#pragma once
// A file operation that failed: what was done, on which path, and the system's error number
// (errno) at the moment it failed. The one form in which file failures travel outside the
// platform layers; reports and logs take their text from it.

#include <string>

struct FileError {
    enum class Op { None, Create, Write, Rename, MakeFolder };

    Op op = Op::None;
    std::string path;
    int error = 0;  // errno; 0 when nothing failed

    FileError() = default;
    FileError(Op failed, std::string failedPath, int errorNumber);
    // The failure of `op` on `path` with the current errno (EIO when errno says nothing).
    static FileError FromErrno(Op failed, std::string failedPath);

    bool Failed() const { return op != Op::None; }
    // The system's words for the error number ("No space left on device").
    std::string SystemMessage() const;
    // "<path>: <system message>"; empty when nothing failed.
    std::string Text() const;
};
