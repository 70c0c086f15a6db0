#include "app/FileError.h"

#include <cerrno>
#include <cstring>
#include <utility>

FileError::FileError(Op failed, std::string failedPath, int errorNumber)
    : op(failed), path(std::move(failedPath)), error(errorNumber)
{
}

FileError FileError::FromErrno(Op failed, std::string failedPath)
{
    const int number = errno;
    return FileError(failed, std::move(failedPath), number != 0 ? number : EIO);
}

std::string FileError::SystemMessage() const
{
    char buffer[256] = {};
    // The GNU form: the message may be a static text instead of the buffer.
    return std::string(strerror_r(error, buffer, sizeof buffer));
}

std::string FileError::Text() const
{
    if (!Failed())
        return std::string();
    return path + ": " + SystemMessage();
}
