// The playback page's channel tree apart from the page: the path a disk-box entry is scanned
// by, the days of a scanned month, the tree rows a finished scan gives by disk type, the channel
// an item stands for, and the ticked channels a search binds.
#pragma once

#include "engine/Records.h"

#include <QList>
#include <QModelIndex>
#include <QString>

#include <ctime>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <vector>

class QStandardItemModel;

namespace ChannelTree {

constexpr int kChannelRole = Qt::UserRole + 1;  // 33: group text, or the channel number (int)
constexpr int kFlagRole = Qt::UserRole + 2;     // 34: channel flag (bool)
constexpr const char* kGroupIcon = ":/images/Import/GroupList/group.png";

// The path to scan for an entry of the disk box, from its item data: a volume by its folder; a
// disk by its engine name "\\.\PHYSICALDRIVE<n>", or by its folder when the disk is a folder of
// recordings. Empty when there is no entry (number -1).
QString ScanPathFor(bool isDisk, qint64 diskNumber, const QString& sourcePath);

// 00:00:00 local time of every day of the month, first to last, ascending.
std::vector<time_t> MonthDayStarts(int year, int month);

// The group row's text of a recorder disk type (0 to 2; any other shows like 0).
QString GroupText(int diskType);

// How a scan ended, for the page to say.
enum class ScanOutcome {
    Channels,    // the tree holds channels
    NoChannels,  // the disk was read and holds no recordings
    Unreadable,  // the disk or its index could not be read (diskError tells why); a disk
                 // that was read and holds no recorder layout counts as NoChannels
};

// What the disk searcher handed over when it reported.
struct ScanReport {
    bool finished = false;  // GetResult: the scan ran to its end
    int diskType = -1;
    int diskError = 0;  // the recorder-disk library's error, 0 when none
    std::map<std::string, std::vector<int>> result;
};

// Empties the model, then fills it from the report: disk types 0 to 2 (and any but 3) one group
// with the channels of the result's first entry, type 3 one group per device. An unfinished
// scan fills nothing. Channel rows are unchecked; every row is check-able and not editable.
ScanOutcome FillModel(QStandardItemModel& model, const ScanReport& report);

// The channel an item stands for: only a row under a group is a channel (name: its group's
// text, number and flag from the row). nullopt for a group or an invalid index.
std::optional<Varpen::CChannel> ChannelOf(const QModelIndex& index);

// Channel rows whose check state is checked, groups in row order and channels in row order.
QList<QModelIndex> CheckedChannels(const QStandardItemModel& model);
// The channel rows among `indexes`, in tree order (groups left out), without repeats.
QList<QModelIndex> ChannelsAmong(QList<QModelIndex> indexes);
// Unchecks every checked channel row.
void UncheckAll(QStandardItemModel& model);
// A ticked channel, known again in a tree that another scan of the same disk built: its group's
// text, its number and its flag.
struct TickedChannel {
    QString group;
    int number = 0;
    bool flag = false;
    bool operator<(const TickedChannel& o) const
    {
        return std::tie(group, number, flag) < std::tie(o.group, o.number, o.flag);
    }
};
using Ticks = std::set<TickedChannel>;
// Brings `ticks` up to date with a tree of their disk: a channel the tree lists counts as ticked
// exactly when its row is; channels the tree does not list keep what they had.
void UpdateTicks(const QStandardItemModel& model, Ticks& ticks);
// Ticks again the channel rows of `ticks` that the tree holds.
void TickAgain(QStandardItemModel& model, const Ticks& ticks);
// The disk a scan path names, the same for the path of a folder disk and of its volume.
QString DiskKey(const QString& scanPath);

// Channel rows named as the tree shows them, each group's text once before its channels, in the
// order given: "NVR_1 channel15, channel16; NVR_2 channel1".
QString ListText(const QList<QModelIndex>& channels);

}  // namespace ChannelTree
