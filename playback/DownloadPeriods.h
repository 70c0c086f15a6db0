// The checks of the download dialog's time periods, apart from the widgets.
#pragma once

#include <QDateTime>
#include <QList>

#include <ctime>

#include "engine/Records.h"

struct DownloadPeriod {
    int number = 0;  // 1 to 4, as the dialog shows it
    QDateTime begin;
    QDateTime end;
};

struct PeriodCheckResult {
    enum Kind { Ok, EndNotAfterBegin, Cross };
    Kind kind = Ok;
    int number = 0;  // the period refused for EndNotAfterBegin
};

// The ticked periods, in their order: each must begin before it ends; no two may overlap or
// touch (a begin or an end of one inside another, ends included).
PeriodCheckResult CheckDownloadPeriods(const QList<DownloadPeriod>& ticked);

// Some file overlaps [begin, end] (ends included).
bool PeriodHasFiles(const Varpen::SingleFileList& files, time_t begin, time_t end);
