#include "engine/LocalIndex.h"

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <memory>

namespace Varpen {

namespace {

// Index files are small; anything larger than this is not an index and is read only up to here.
constexpr std::size_t kMaxIndexBytes = 64u << 20;

std::uint32_t U32(const unsigned char* p) {
  return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
         (std::uint32_t(p[3]) << 24);
}
std::uint16_t U16(const unsigned char* p) { return std::uint16_t(p[0] | (p[1] << 8)); }

// Calls fn(record) for each whole record within the counted ones.
template <typename Fn>
void ForEachRecord(const void* data, std::size_t size, std::size_t recordBytes, Fn fn) {
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

IndexTime TimeAt(const unsigned char* p) {
  IndexTime t;
  t.year = U16(p);
  t.month = p[2];
  t.day = p[3];
  t.hour = p[4];
  t.minute = p[5];
  t.second = p[6];
  return t;
}

bool ReadWholeIndex(const std::string& path, std::size_t recordBytes, std::string& out) {
  out.clear();
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    return false;
  }
  struct stat st {};
  bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  if (ok) {
    unsigned char header[kIndexHeaderBytes];
    ok = ::pread(fd, header, sizeof(header), 0) == static_cast<ssize_t>(sizeof(header));
    if (ok) {
      // Read only what the count asks for and the file holds.
      const std::uint64_t fileBytes = static_cast<std::uint64_t>(st.st_size);
      std::uint64_t wanted = kIndexHeaderBytes + std::uint64_t(U32(header)) * recordBytes;
      if (wanted > fileBytes) wanted = fileBytes;
      if (wanted > kMaxIndexBytes) wanted = kMaxIndexBytes;
      out.resize(static_cast<std::size_t>(wanted));
      std::size_t got = 0;
      while (got < out.size()) {
        const ssize_t n = ::pread(fd, out.data() + got, out.size() - got, static_cast<off_t>(got));
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
      }
      out.resize(got);
    }
  }
  ::close(fd);
  return ok;
}

}  // namespace

std::vector<IndexDate> ParseDateIndex(const void* data, std::size_t size) {
  std::vector<IndexDate> dates;
  ForEachRecord(data, size, kDateRecordBytes, [&](const unsigned char* p) {
    dates.push_back(IndexDate{U16(p), p[2], p[3]});
  });
  return dates;
}

std::vector<IndexChannel> ParseChannelIndex(const void* data, std::size_t size) {
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

std::vector<IndexSegment> ParseSegmentIndex(const void* data, std::size_t size) {
  std::vector<IndexSegment> segments;
  ForEachRecord(data, size, kSegmentRecordBytes, [&](const unsigned char* p) {
    segments.push_back(IndexSegment{TimeAt(p), TimeAt(p + 8), U32(p + 16)});
  });
  return segments;
}

std::vector<IndexDate> ReadDateIndex(const std::string& path) {
  std::string bytes;
  ReadWholeIndex(path, kDateRecordBytes, bytes);
  return ParseDateIndex(bytes.data(), bytes.size());
}

std::vector<IndexChannel> ReadChannelIndex(const std::string& path) {
  std::string bytes;
  ReadWholeIndex(path, kChannelRecordBytes, bytes);
  return ParseChannelIndex(bytes.data(), bytes.size());
}

std::vector<IndexSegment> ReadSegmentIndex(const std::string& path) {
  std::string bytes;
  ReadWholeIndex(path, kSegmentRecordBytes, bytes);
  return ParseSegmentIndex(bytes.data(), bytes.size());
}

std::string FormatDate(int year, int month, int day) {
  char text[48];
  std::snprintf(text, sizeof(text), "%04d%02d%02d", year, month, day);
  return text;
}

std::string FormatGroupKey(const std::string& source, int sourceNumber) {
  return source + "_" + std::to_string(sourceNumber);
}

std::string FormatChannelKey(const std::string& source, int sourceNumber, int ch) {
  return FormatGroupKey(source, sourceNumber) + "_" + std::to_string(ch);
}

std::string FormatTime(const IndexTime& t) {
  char text[80];
  std::snprintf(text, sizeof(text), "%04d%02d%02d%02d%02d%02d", t.year, t.month, t.day, t.hour, t.minute,
                t.second);
  return text;
}

std::string FormatWindowKey(const RecordTime& t) {
  char text[80];
  std::snprintf(text, sizeof(text), "%d%02d%02d%02d%02d%02d", t.year, t.month, t.day, t.hour, t.minute,
                t.second);
  return text;
}

std::string FormatClipFileName(const IndexSegment& s) {
  return FormatTime(s.start) + "_" + FormatTime(s.end) + "_" + std::to_string(s.number) + ".mp4";
}

bool IsSafeName(const std::string& name) {
  if (name.empty() || name == "." || name == "..") {
    return false;
  }
  return name.find('/') == std::string::npos && name.find('\\') == std::string::npos;
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (folder.empty()) {
    return name;
  }
  if (folder.back() == '/') {
    return folder + name;
  }
  return folder + "/" + name;
}

std::string ResolveChild(const std::string& folder, const std::string& name) {
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

std::string ParentPath(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string FileNamePart(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string RecordFileFolder(const std::string& folder) { return ResolveChild(folder, "RecordFile"); }

std::string DateIndexPath(const std::string& folder) {
  return ResolveChild(RecordFileFolder(folder), "index01.bin");
}

bool IsLocalRecordingFolder(const std::string& folder) {
  if (folder.empty()) {
    return false;
  }
  struct stat st {};
  return ::stat(DateIndexPath(folder).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace Varpen
