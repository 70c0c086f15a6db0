#include "engine/LocalIndex.h"

#include "platform/rtk/rtk.h"

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace Varpen {

namespace {

// Index files are small; anything larger than this is not an index and is read only up to here.
constexpr std::size_t kMaxIndexBytes = 64u << 20;

std::uint32_t U32(const unsigned char* p)
{
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[3]) << 24);
}
std::uint16_t U16(const unsigned char* p)
{
    return std::uint16_t(p[0] | (p[1] << 8));
}

// Calls fn(record) for each whole record within the counted ones.
template <typename Fn>
void ForEachRecord(const void* data, std::size_t size, std::size_t recordBytes, Fn fn)
{
    if (!data || size < kIndexHeaderBytes) {
        return;
    }
    const auto* bytes = static_cast<const unsigned char*>(data);
    const std::uint64_t counted = U32(bytes);
    const std::uint64_t present = (size - kIndexHeaderBytes) / recordBytes;
    const std::uint64_t count = counted < present ? counted : present;
    for (std::uint64_t i = 0; i < count; ++i) {
        fn(bytes + kIndexHeaderBytes + i * recordBytes);
    }
}

IndexTime TimeAt(const unsigned char* p)
{
    IndexTime t;
    t.year = U16(p);
    t.month = p[2];
    t.day = p[3];
    t.hour = p[4];
    t.minute = p[5];
    t.second = p[6];
    return t;
}

IndexFileError ErrorOf(int error)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return IndexFileError::Missing;
    case EACCES:
    case EPERM:
        return IndexFileError::AccessDenied;
    case EINVAL:
    case EISDIR:
        return IndexFileError::NotAFile;
    default:
        return IndexFileError::ReadFailed;
    }
}

bool ReadWholeIndex(const std::string& path, std::size_t recordBytes, std::string& out, IndexFileError* error)
{
    out.clear();
    if (error)
        *error = IndexFileError::None;
    const int fd = OpenRegularFile(path);
    if (fd < 0) {
        if (error)
            *error = ErrorOf(errno);
        return false;
    }
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0;
    if (ok) {
        unsigned char header[kIndexHeaderBytes];
        const std::int64_t n = RTK_ReadFileAt(fd, header, sizeof(header), 0);
        if (n < 0 && error)
            *error = IndexFileError::ReadFailed;
        ok = n == static_cast<std::int64_t>(sizeof(header));
        if (ok) {
            // Read only what the count asks for and the file holds.
            const std::uint64_t fileBytes = static_cast<std::uint64_t>(st.st_size);
            std::uint64_t wanted = kIndexHeaderBytes + std::uint64_t(U32(header)) * recordBytes;
            if (wanted > fileBytes)
                wanted = fileBytes;
            if (wanted > kMaxIndexBytes)
                wanted = kMaxIndexBytes;
            out.resize(static_cast<std::size_t>(wanted));
            const std::int64_t got = RTK_ReadFileAt(fd, out.data(), out.size(), 0);
            if (got < 0 && error)
                *error = IndexFileError::ReadFailed;
            out.resize(got < 0 ? 0 : static_cast<std::size_t>(got));
        }
    }
    ::close(fd);
    return ok;
}

}  // namespace

std::vector<IndexDate> ParseDateIndex(const void* data, std::size_t size)
{
    std::vector<IndexDate> dates;
    ForEachRecord(data, size, kDateRecordBytes, [&](const unsigned char* p) {
        dates.push_back(IndexDate{U16(p), p[2], p[3]});
    });
    return dates;
}

std::vector<IndexChannel> ParseChannelIndex(const void* data, std::size_t size)
{
    std::vector<IndexChannel> channels;
    ForEachRecord(data, size, kChannelRecordBytes, [&](const unsigned char* p) {
        const char* name = reinterpret_cast<const char*>(p);
        IndexChannel c;
        c.sourceName.assign(name, strnlen(name, kSourceNameBytes));
        c.sourceNumber = U16(p + 64);
        c.channelNumber = p[66];
        if (IsSafeName(c.sourceName)) {
            channels.push_back(std::move(c));
        }
    });
    return channels;
}

std::vector<IndexSegment> ParseSegmentIndex(const void* data, std::size_t size)
{
    std::vector<IndexSegment> segments;
    ForEachRecord(data, size, kSegmentRecordBytes, [&](const unsigned char* p) {
        segments.push_back(IndexSegment{TimeAt(p), TimeAt(p + 8), U32(p + 16)});
    });
    return segments;
}

int OpenRegularFile(const std::string& path)
{
    return RTK_OpenReadOnly(path.c_str());
}

std::vector<IndexDate> ReadDateIndex(const std::string& path, IndexFileError* error)
{
    std::string bytes;
    ReadWholeIndex(path, kDateRecordBytes, bytes, error);
    return ParseDateIndex(bytes.data(), bytes.size());
}

std::vector<IndexChannel> ReadChannelIndex(const std::string& path, IndexFileError* error)
{
    std::string bytes;
    ReadWholeIndex(path, kChannelRecordBytes, bytes, error);
    return ParseChannelIndex(bytes.data(), bytes.size());
}

std::vector<IndexSegment> ReadSegmentIndex(const std::string& path, IndexFileError* error)
{
    std::string bytes;
    ReadWholeIndex(path, kSegmentRecordBytes, bytes, error);
    return ParseSegmentIndex(bytes.data(), bytes.size());
}

std::string FormatDate(int year, int month, int day)
{
    char text[48];
    std::snprintf(text, sizeof(text), "%04d%02d%02d", year, month, day);
    return text;
}

std::string FormatGroupKey(const std::string& source, int sourceNumber)
{
    return source + "_" + std::to_string(sourceNumber);
}

std::string FormatChannelKey(const std::string& source, int sourceNumber, int ch)
{
    return FormatGroupKey(source, sourceNumber) + "_" + std::to_string(ch);
}

std::string FormatTime(const IndexTime& t)
{
    char text[80];
    std::snprintf(text, sizeof(text), "%04d%02d%02d%02d%02d%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
    return text;
}

std::string FormatWindowKey(const RecordTime& t)
{
    char text[80];
    std::snprintf(text, sizeof(text), "%d%02d%02d%02d%02d%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
    return text;
}

std::string FormatClipFileName(const IndexSegment& s)
{
    return FormatTime(s.start) + "_" + FormatTime(s.end) + "_" + std::to_string(s.number) + ".mp4";
}

bool IsSafeName(const std::string& name)
{
    if (name.empty() || name == "." || name == "..") {
        return false;
    }
    return name.find('/') == std::string::npos && name.find('\\') == std::string::npos;
}

std::string JoinPath(const std::string& folder, const std::string& name)
{
    if (folder.empty()) {
        return name;
    }
    if (folder.back() == '/') {
        return folder + name;
    }
    return folder + "/" + name;
}

std::string ResolveChild(const std::string& folder, const std::string& name)
{
    const std::string exact = JoinPath(folder, name);
    if (::access(exact.c_str(), F_OK) == 0) {
        return exact;
    }
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.empty() ? "." : folder.c_str()), ::closedir);
    if (!dir) {
        return exact;
    }
    while (const dirent* entry = ::readdir(dir.get())) {
        if (::strcasecmp(entry->d_name, name.c_str()) == 0) {
            return JoinPath(folder, entry->d_name);
        }
    }
    return exact;
}

FolderNames::FolderNames(std::string folder) : m_folder(std::move(folder)) {}

void FolderNames::List()
{
    if (m_listed)
        return;
    m_listed = true;
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(m_folder.empty() ? "." : m_folder.c_str()), ::closedir);
    if (!dir)
        return;
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string name = entry->d_name;
        m_exact.emplace(name, name);
        std::string folded = name;
        for (char& c : folded)
            c = char(std::tolower(static_cast<unsigned char>(c)));
        m_folded.emplace(std::move(folded), name);
    }
}

bool FolderNames::Has(const std::string& name)
{
    List();
    if (m_exact.count(name))
        return true;
    std::string folded = name;
    for (char& c : folded)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return m_folded.count(folded) != 0;
}

std::string FolderNames::Resolve(const std::string& name)
{
    List();
    if (m_exact.count(name))
        return JoinPath(m_folder, name);
    std::string folded = name;
    for (char& c : folded)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    const auto it = m_folded.find(folded);
    return JoinPath(m_folder, it == m_folded.end() ? name : it->second);
}

QString PathFromBytes(const std::string& bytes)
{
    QString out;
    out.reserve(int(bytes.size()));
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t n = bytes.size();
    std::size_t i = 0;
    while (i < n) {
        const unsigned char c = p[i];
        int length = 0;
        char32_t cp = 0;
        if (c < 0x80) {
            length = 1, cp = c;
        } else if ((c & 0xE0) == 0xC0) {
            length = 2, cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            length = 3, cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            length = 4, cp = c & 0x07;
        }
        bool valid = length > 0 && i + std::size_t(length) <= n;
        for (int k = 1; valid && k < length; ++k) {
            if ((p[i + k] & 0xC0) != 0x80)
                valid = false;
            else
                cp = (cp << 6) | (p[i + k] & 0x3F);
        }
        // Overlong forms, surrogates and values above U+10FFFF are not UTF-8 either.
        if (valid && ((length == 2 && cp < 0x80) || (length == 3 && cp < 0x800) || (length == 4 && cp < 0x10000) ||
                      (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF)) {
            valid = false;
        }
        if (!valid) {
            out.append(QChar(char16_t(0xDC00 + c)));
            ++i;
            continue;
        }
        if (cp >= 0x10000) {
            out.append(QChar(char16_t(0xD800 + ((cp - 0x10000) >> 10))));
            out.append(QChar(char16_t(0xDC00 + ((cp - 0x10000) & 0x3FF))));
        } else {
            out.append(QChar(char16_t(cp)));
        }
        i += std::size_t(length);
    }
    return out;
}

std::string PathToBytes(const QString& path)
{
    std::string out;
    out.reserve(std::size_t(path.size()));
    const int n = int(path.size());
    for (int i = 0; i < n; ++i) {
        const char16_t u = path.at(i).unicode();
        char32_t cp = u;
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < n && path.at(i + 1).unicode() >= 0xDC00 &&
            path.at(i + 1).unicode() <= 0xDFFF) {
            cp = 0x10000 + ((char32_t(u) - 0xD800) << 10) + (path.at(i + 1).unicode() - 0xDC00);
            ++i;
        } else if (u >= 0xDC80 && u <= 0xDCFF) {
            out += char(u - 0xDC00);  // a byte that was not UTF-8
            continue;
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            cp = 0xFFFD;
        }
        if (cp < 0x80) {
            out += char(cp);
        } else if (cp < 0x800) {
            out += char(0xC0 | (cp >> 6)), out += char(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += char(0xE0 | (cp >> 12)), out += char(0x80 | ((cp >> 6) & 0x3F)), out += char(0x80 | (cp & 0x3F));
        } else {
            out += char(0xF0 | (cp >> 18)), out += char(0x80 | ((cp >> 12) & 0x3F)),
                out += char(0x80 | ((cp >> 6) & 0x3F)), out += char(0x80 | (cp & 0x3F));
        }
    }
    return out;
}

std::string ParentPath(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string FileNamePart(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string RecordFileFolder(const std::string& folder)
{
    return ResolveChild(folder, "RecordFile");
}

std::string DateIndexPath(const std::string& folder)
{
    return ResolveChild(RecordFileFolder(folder), "index01.bin");
}

bool IsLocalRecordingFolder(const std::string& folder)
{
    if (folder.empty()) {
        return false;
    }
    struct stat st {};
    return ::stat(DateIndexPath(folder).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace Varpen
