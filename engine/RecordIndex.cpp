#include "engine/RecordIndex.h"

#include <algorithm>
#include <set>

namespace Varpen {

namespace {

std::string SegmentIndexPath(const std::string& channelIndexPath, const std::string& channelKey)
{
    return ResolveChild(ResolveChild(ParentPath(channelIndexPath), channelKey), "index03.bin");
}

// "<parent>/<name>/<file>", resolved as ResolveChild does; a name the parent does not list costs
// no call to the file system.
std::string ChildIndexPath(FolderNames& parent, const std::string& parentPath, const std::string& name,
                           const char* file)
{
    if (!parent.Has(name)) {
        return JoinPath(JoinPath(parentPath, name), file);
    }
    return ResolveChild(parent.Resolve(name), file);
}

// The 14-digit key of valid fields as a number: it orders as the text does.
std::uint64_t KeyNumber(const IndexTime& t)
{
    return ((((std::uint64_t(t.year) * 100 + t.month) * 100 + t.day) * 100 + t.hour) * 100 + t.minute) * 100 + t.second;
}

// A window key of 14 digits as a number; -1 (as the largest) for any other text, which is then
// compared as text.
bool KeyNumberOf(const std::string& key, std::uint64_t* out)
{
    if (key.size() != 14 || key.find_first_not_of("0123456789") != std::string::npos)
        return false;
    *out = std::stoull(key);
    return true;
}

bool FieldsValid(const IndexTime& t)
{
    return t.year >= 1970 && t.year <= 9999 && t.month >= 1 && t.month <= 12 && t.day >= 1 && t.day <= 31 &&
           t.hour <= 23 && t.minute <= 59 && t.second <= 59;
}

// Merges `added` (sorted by `less`) into `list` (sorted the same way); equal entries of `list`
// stay first, as one insertion after another would leave them. Linear.
template <typename Less>
void MergeSorted(std::list<std::string>& list, std::vector<std::string>& added, Less less)
{
    if (!std::is_sorted(added.begin(), added.end(), less)) {  // an index in writing order usually is
        std::stable_sort(added.begin(), added.end(), less);
    }
    std::list<std::string> more(std::make_move_iterator(added.begin()), std::make_move_iterator(added.end()));
    if (std::is_sorted(list.begin(), list.end(), less)) {
        list.merge(more, less);
        return;
    }
    // A caller's list in another order: each entry goes where one insertion would put it.
    for (std::string& value : more) {
        auto at = std::find_if(list.begin(), list.end(), [&](const std::string& e) { return less(value, e); });
        list.insert(at, std::move(value));
    }
}

// The channel index of every date a date index lists, each date once, latest first.
std::vector<std::string> ChannelIndexPaths(const std::string& dateIndexPath, IndexFileError* error, int* datesRead)
{
    const std::vector<IndexDate> dates = ReadDateIndex(dateIndexPath, error);
    if (datesRead)
        *datesRead = static_cast<int>(dates.size());
    const std::string recordFilePath = ParentPath(dateIndexPath);
    FolderNames recordFile(recordFilePath);
    std::vector<std::string> texts;
    texts.reserve(dates.size());
    for (const IndexDate& d : dates)
        texts.push_back(FormatDate(d.year, d.month, d.day));
    std::sort(texts.begin(), texts.end(), std::greater<>());
    texts.erase(std::unique(texts.begin(), texts.end()), texts.end());
    std::vector<std::string> paths;
    paths.reserve(texts.size());
    for (const std::string& date : texts) {
        // A date whose folder is not there has nothing to read (copies often lack some).
        if (recordFile.Has(date))
            paths.push_back(ResolveChild(recordFile.Resolve(date), "index02.bin"));
    }
    return paths;
}

}  // namespace

void RecordIndex::Note(IndexFileError error, bool missingCounts)
{
    if (m_error != IndexFileError::None || error == IndexFileError::None)
        return;
    if (error == IndexFileError::Missing && !missingCounts)
        return;
    m_error = error;
}

int RecordIndex::ReadIndex01(const char* dateIndexPath, std::list<std::string>& channelIndexPaths)
{
    if (!dateIndexPath) {
        return 0;
    }
    const std::string recordFileFolder = ParentPath(dateIndexPath);
    IndexFileError error = IndexFileError::None;
    const std::vector<IndexDate> dates = ReadDateIndex(dateIndexPath, &error);
    Note(error, false);
    FolderNames folder(recordFileFolder);
    std::vector<std::string> paths;
    paths.reserve(dates.size());
    for (const IndexDate& d : dates) {
        paths.push_back(ChildIndexPath(folder, recordFileFolder, FormatDate(d.year, d.month, d.day), "index02.bin"));
    }
    // Latest date first.
    MergeSorted(channelIndexPaths, paths, std::greater<>());
    return static_cast<int>(dates.size());
}

int RecordIndex::ReadIndex02(const char* channelIndexPath, std::list<std::string>& segmentIndexPaths)
{
    if (!channelIndexPath) {
        return 0;
    }
    IndexFileError error = IndexFileError::None;
    const std::vector<IndexChannel> channels = ReadChannelIndex(channelIndexPath, &error);
    Note(error, false);
    const std::string dateFolder = ParentPath(channelIndexPath);
    FolderNames folder(dateFolder);
    for (const IndexChannel& c : channels) {
        segmentIndexPaths.push_back(ChildIndexPath(
            folder, dateFolder, FormatChannelKey(c.sourceName, c.sourceNumber, c.channelNumber), "index03.bin"));
    }
    return static_cast<int>(channels.size());
}

int RecordIndex::ReadIndex01Paths(const char* folder, std::list<std::string>& segmentIndexPaths)
{
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

int RecordIndex::ReadIndex03Into(const char* segmentIndexPath, const std::string& beginKey, const std::string& endKey,
                                 unsigned numberFilter, std::vector<LocalSegmentFile>& out)
{
    if (!segmentIndexPath) {
        return 0;
    }
    IndexFileError error = IndexFileError::None;
    const std::vector<IndexSegment> segments = ReadSegmentIndex(segmentIndexPath, &error);
    Note(error, false);
    FolderNames folder(ParentPath(segmentIndexPath));
    int added = 0;
    // A recorder lists a channel's segments in the order it wrote them: a start the clock shows
    // twice is the pass at or after the segment before it (within the window, which the searches
    // widen to whole days), so the files of the repeated hour keep their own times.
    time_t previousStart = -1;
    std::uint64_t beginNumber = 0, endNumber = 0;
    const bool numericWindow = KeyNumberOf(beginKey, &beginNumber) && KeyNumberOf(endKey, &endNumber);
    for (const IndexSegment& s : segments) {
        if (!FieldsValid(s.start) || !FieldsValid(s.end)) {
            continue;
        }
        // A span across the hour the clock is set back ends at a smaller key than it starts.
        if (numericWindow) {
            const std::uint64_t segmentStart = KeyNumber(s.start);
            const std::uint64_t segmentEnd = std::max(KeyNumber(s.end), segmentStart);
            if (beginNumber > segmentEnd || endNumber < segmentStart) {
                continue;
            }
        } else {
            const std::string segmentStart = FormatTime(s.start);
            const std::string segmentEnd = std::max(FormatTime(s.end), segmentStart);
            if (beginKey > segmentEnd || endKey < segmentStart) {
                continue;
            }
        }
        LocalSegmentFile file;
        file.start = MakeTime(s.start, previousStart);
        file.end = MakeTime(s.end, file.start);
        if (file.start != -1)
            previousStart = file.start;
        if (numberFilter != 0 && numberFilter != s.number) {
            continue;
        }
        if (file.start == -1 || file.end == -1 || file.end < file.start) {
            continue;  // ends before it starts: a recorder disk's table drops such entries too
        }
        file.path = folder.Resolve(FormatClipFileName(s));
        file.number = s.number;
        out.push_back(std::move(file));
        ++added;
    }
    return added;
}

int RecordIndex::ReadIndex03(const char* segmentIndexPath, const std::string& beginKey, const std::string& endKey,
                             unsigned numberFilter, std::list<std::string>& files)
{
    std::vector<LocalSegmentFile> found;
    const int added = ReadIndex03Into(segmentIndexPath, beginKey, endKey, numberFilter, found);
    std::vector<std::string> paths;
    paths.reserve(found.size());
    for (LocalSegmentFile& f : found)
        paths.push_back(std::move(f.path));
    MergeSorted(files, paths, std::less<>());
    return added;
}

bool RecordIndex::HasChannelKey(const char* channelIndexPath, const std::string& channelKey)
{
    if (!channelIndexPath) {
        return false;
    }
    IndexFileError error = IndexFileError::None;
    const std::vector<IndexChannel> channels = ReadChannelIndex(channelIndexPath, &error);
    Note(error, false);
    for (const IndexChannel& c : channels) {
        if (FormatChannelKey(c.sourceName, c.sourceNumber, c.channelNumber) == channelKey) {
            return true;
        }
    }
    return false;
}

int RecordIndex::LoadChannelFiles(std::map<std::string, std::vector<int>>& groups, const FileInfo& search,
                                  const std::function<bool()>& stopped)
{
    m_error = IndexFileError::None;
    if (search.diskPath.empty()) {
        return 0;
    }
    IndexFileError error = IndexFileError::None;
    const std::vector<std::string> channelIndexes = ChannelIndexPaths(DateIndexPath(search.diskPath), &error, nullptr);
    Note(error, true);
    int added = 0;
    for (const std::string& path : channelIndexes) {
        if (stopped && stopped()) {
            break;
        }
        IndexFileError channelError = IndexFileError::None;
        for (const IndexChannel& c : ReadChannelIndex(path, &channelError)) {
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
        Note(channelError, false);
    }
    return added;
}

bool RecordIndex::HasChannelOnDay(const char* folder, const std::string& channelKey, int year, int month, int day)
{
    m_error = IndexFileError::None;
    if (!folder || !*folder || !(year > 2000 && year < 9999) || month < 1 || month > 12 || day < 1 || day > 31) {
        return false;
    }
    const std::string wanted = FormatDate(year, month, day);
    const std::string dateIndex = DateIndexPath(folder);
    IndexFileError error = IndexFileError::None;
    for (const IndexDate& d : ReadDateIndex(dateIndex, &error)) {
        if (FormatDate(d.year, d.month, d.day) == wanted) {
            const std::string dateFolder = ResolveChild(ParentPath(dateIndex), wanted);
            return HasChannelKey(ResolveChild(dateFolder, "index02.bin").c_str(), channelKey);
        }
    }
    Note(error, true);
    return false;
}

void RecordIndex::FindSegments(std::vector<LocalSegmentFile>& out, const char* channelKey, const FileInfo* search)
{
    m_error = IndexFileError::None;
    if (!channelKey || !search || search->diskPath.empty() || !IsSafeName(channelKey)) {
        return;
    }
    const std::string beginKey = FormatWindowKey(search->begin);
    const std::string endKey = FormatWindowKey(search->end);
    const std::string dateIndex = DateIndexPath(search->diskPath);
    IndexFileError error = IndexFileError::None;
    const std::vector<IndexDate> dates = ReadDateIndex(dateIndex, &error);
    Note(error, true);
    const std::string recordFilePath = ParentPath(dateIndex);
    FolderNames recordFile(recordFilePath);
    std::set<std::string> seen;  // a date listed twice is read once
    std::vector<LocalSegmentFile> found;
    for (const IndexDate& d : dates) {
        const std::string date = FormatDate(d.year, d.month, d.day);
        if (date + "000000" > endKey || date + "235959" < beginKey) {
            continue;  // only the dates of the window are opened
        }
        if (!seen.insert(date).second) {
            continue;
        }
        if (!recordFile.Has(date)) {
            continue;  // listed, but its folder is not there
        }
        const std::string channelIndex = ResolveChild(recordFile.Resolve(date), "index02.bin");
        if (!HasChannelKey(channelIndex.c_str(), channelKey)) {
            continue;
        }
        ReadIndex03Into(SegmentIndexPath(channelIndex, channelKey).c_str(), beginKey, endKey,
                        static_cast<unsigned>(search->indexType), found);
    }
    // Ascending by path: date folder, then start time. Equal paths keep their index order.
    const auto byPath = [](const LocalSegmentFile& a, const LocalSegmentFile& b) { return a.path < b.path; };
    if (!std::is_sorted(found.begin(), found.end(), byPath)) {
        std::stable_sort(found.begin(), found.end(), byPath);
    }
    out.insert(out.end(), std::make_move_iterator(found.begin()), std::make_move_iterator(found.end()));
}

void RecordIndex::FindFilesByIndex(std::list<std::string>& files, const char* channelKey, const FileInfo* search)
{
    std::vector<LocalSegmentFile> found;
    FindSegments(found, channelKey, search);
    std::vector<std::string> paths;
    paths.reserve(found.size());
    for (LocalSegmentFile& f : found)
        paths.push_back(std::move(f.path));
    MergeSorted(files, paths, std::less<>());
}

}  // namespace Varpen
