#include "playback/DownloadPeriods.h"

PeriodCheckResult CheckDownloadPeriods(const QList<DownloadPeriod>& ticked)
{
    for (const DownloadPeriod& p : ticked)
        if (p.begin >= p.end)
            return {PeriodCheckResult::EndNotAfterBegin, p.number};
    auto inside = [](const QDateTime& t, const DownloadPeriod& p) { return t >= p.begin && t <= p.end; };
    for (int a = 0; a < ticked.size(); ++a)
        for (int b = 0; b < ticked.size(); ++b)
            if (a != b && (inside(ticked[b].begin, ticked[a]) || inside(ticked[b].end, ticked[a])))
                return {PeriodCheckResult::Cross, 0};
    return {};
}

bool PeriodHasFiles(const Varpen::SingleFileList& files, time_t begin, time_t end)
{
    for (const Varpen::SingleFilePtr& f : files) {
        const time_t s = f->GetStartTime();
        const time_t e = f->GetEndTime();
        if ((begin >= s && begin <= e) || (end >= s && end <= e) || (begin <= s && end >= e))
            return true;
    }
    return false;
}
