#include "engine/RecordIndex.h"

#include <algorithm>

namespace Varpen {

namespace {

std::string ChannelIndexPath(const std::string& recordFileFolder, const IndexDate& d) {
  return ResolveChild(ResolveChild(recordFileFolder, FormatDate(d.year, d.month, d.day)), "index02.bin");
}

std::string SegmentIndexPath(const std::string& channelIndexPath, const std::string& channelKey) {
  return ResolveChild(ResolveChild(ParentPath(channelIndexPath), channelKey), "index03.bin");
}

// Keeps `list` in ascending order.
void InsertAscending(std::list<std::string>& list, std::string value) {
  auto at = std::find_if(list.begin(), list.end(), [&](const std::string& e) { return e > value; });
  list.insert(at, std::move(value));
}

}  // namespace

int RecordIndex::ReadIndex01(const char* dateIndexPath, std::list<std::string>& channelIndexPaths) {
  if (!dateIndexPath) {
    return 0;
  }
  const std::string recordFileFolder = ParentPath(dateIndexPath);
  const std::vector<IndexDate> dates = ReadDateIndex(dateIndexPath);
  for (const IndexDate& d : dates) {
    std::string path = ChannelIndexPath(recordFileFolder, d);
    // Latest date first.
    auto at = std::find_if(channelIndexPaths.begin(), channelIndexPaths.end(),
                           [&](const std::string& e) { return e < path; });
    channelIndexPaths.insert(at, std::move(path));
  }
  return static_cast<int>(dates.size());
}

int RecordIndex::ReadIndex02(const char* channelIndexPath, std::list<std::string>& segmentIndexPaths) {
  if (!channelIndexPath) {
    return 0;
  }
  const std::vector<IndexChannel> channels = ReadChannelIndex(channelIndexPath);
  for (const IndexChannel& c : channels) {
    segmentIndexPaths.push_back(
        SegmentIndexPath(channelIndexPath, FormatChannelKey(c.sourceName, c.sourceNumber, c.channelNumber)));
  }
  return static_cast<int>(channels.size());
}

int RecordIndex::ReadIndex01Paths(const char* folder, std::list<std::string>& segmentIndexPaths) {
  if (!folder || !*folder) {
    return 0;
  }
  std::list<std::string> channelIndexes;
  ReadIndex01(DateIndexPath(folder).c_str(), channelIndexes);
  const std::size_t before = segmentIndexPaths.size();
  for (const std::string& path : channelIndexes) {
    ReadIndex02(path.c_str(), segmentIndexPaths);
  }
  return static_cast<int>(segmentIndexPaths.size() - before);
}

int RecordIndex::ReadIndex03(const char* segmentIndexPath, const std::string& beginKey, const std::string& endKey,
                             unsigned numberFilter, std::list<std::string>& files) {
  if (!segmentIndexPath) {
    return 0;
  }
  const std::string folder = ParentPath(segmentIndexPath);
  int added = 0;
  for (const IndexSegment& s : ReadSegmentIndex(segmentIndexPath)) {
    if (beginKey > FormatTime(s.end) || endKey < FormatTime(s.start)) {
      continue;
    }
    if (numberFilter != 0 && numberFilter != s.number) {
      continue;
    }
    InsertAscending(files, ResolveChild(folder, FormatClipFileName(s)));
    ++added;
  }
  return added;
}

bool RecordIndex::HasChannelKey(const char* channelIndexPath, const std::string& channelKey) {
  if (!channelIndexPath) {
    return false;
  }
  for (const IndexChannel& c : ReadChannelIndex(channelIndexPath)) {
    if (FormatChannelKey(c.sourceName, c.sourceNumber, c.channelNumber) == channelKey) {
      return true;
    }
  }
  return false;
}

int RecordIndex::LoadChannelFiles(std::map<std::string, std::vector<int>>& groups, const FileInfo& search) {
  if (search.diskPath.empty()) {
    return 0;
  }
  std::list<std::string> channelIndexes;
  ReadIndex01(DateIndexPath(search.diskPath).c_str(), channelIndexes);
  int added = 0;
  for (const std::string& path : channelIndexes) {
    for (const IndexChannel& c : ReadChannelIndex(path)) {
      auto [it, isNew] = groups.try_emplace(FormatGroupKey(c.sourceName, c.sourceNumber));
      std::vector<int>& numbers = it->second;
      if (isNew) {
        ++added;
      }
      auto at = std::lower_bound(numbers.begin(), numbers.end(), c.channelNumber);
      if (at == numbers.end() || *at != c.channelNumber) {
        numbers.insert(at, c.channelNumber);
      }
    }
  }
  return added;
}

bool RecordIndex::HasChannelOnDay(const char* folder, const std::string& channelKey, int year, int month, int day) {
  if (!folder || !*folder || !(year > 2000 && year < 9999) || month < 1 || month > 12 || day < 1 || day > 31) {
    return false;
  }
  const std::string wanted = FormatDate(year, month, day);
  const std::string dateIndex = DateIndexPath(folder);
  for (const IndexDate& d : ReadDateIndex(dateIndex)) {
    if (FormatDate(d.year, d.month, d.day) == wanted) {
      return HasChannelKey(ChannelIndexPath(ParentPath(dateIndex), d).c_str(), channelKey);
    }
  }
  return false;
}

void RecordIndex::FindFilesByIndex(std::list<std::string>& files, const char* channelKey, const FileInfo* search) {
  if (!channelKey || !search || search->diskPath.empty() || !IsSafeName(channelKey)) {
    return;
  }
  const std::string beginKey = FormatWindowKey(search->begin);
  const std::string endKey = FormatWindowKey(search->end);
  const std::string dateIndex = DateIndexPath(search->diskPath);
  const std::string recordFileFolder = ParentPath(dateIndex);
  std::vector<std::string> seen;  // a date listed twice is read once
  for (const IndexDate& d : ReadDateIndex(dateIndex)) {
    const std::string date = FormatDate(d.year, d.month, d.day);
    if (date + "000000" > endKey || date + "235959" < beginKey) {
      continue;  // only the dates of the window are opened
    }
    if (std::find(seen.begin(), seen.end(), date) != seen.end()) {
      continue;
    }
    seen.push_back(date);
    const std::string channelIndex = ChannelIndexPath(recordFileFolder, d);
    if (!HasChannelKey(channelIndex.c_str(), channelKey)) {
      continue;
    }
    ReadIndex03(SegmentIndexPath(channelIndex, channelKey).c_str(), beginKey, endKey,
                static_cast<unsigned>(search->indexType), files);
  }
}

}  // namespace Varpen
