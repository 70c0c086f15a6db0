#include "playback/ChannelTree.h"

#include "engine/SearchDiskThread.h"
#include "platform/diskrec/diskrec.h"

#include <QCoreApplication>
#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QStandardItemModel>

#include <algorithm>

namespace ChannelTree {

namespace {

QStandardItem* NewGroup(const QString& text, bool withIcon)
{
    auto* group = new QStandardItem(text);
    group->setCheckable(true);
    group->setEditable(false);
    group->setData(text, kChannelRole);
    if (withIcon)
        group->setIcon(QIcon(QString::fromLatin1(kGroupIcon)));
    return group;
}

QStandardItem* NewChannel(int number, bool local)
{
    // Recorder disks count channels from 0 and show them from 1; a folder names them as it
    // numbers them.
    auto* channel = new QStandardItem(QCoreApplication::translate("CPlayBackWidget", "channel") +
                                      QString::number(local ? number : number + 1));
    channel->setCheckable(true);
    channel->setCheckState(Qt::Unchecked);
    channel->setEditable(false);
    channel->setData(number, kChannelRole);
    channel->setData(local, kFlagRole);
    return channel;
}

// Errors that say the disk could not be read, as opposed to "read, and not a recorder disk".
bool IsReadError(int diskError)
{
    return diskError != DR_ERR_NONE && diskError != DR_ERR_NOT_RECORDER_DISK && diskError != DR_ERR_NO_VOLUME;
}

bool IsChannel(const QModelIndex& index)
{
    return index.isValid() && index.parent().isValid() && !index.parent().parent().isValid();
}

}  // namespace

QString ScanPathFor(bool isDisk, qint64 diskNumber, const QString& sourcePath)
{
    if (diskNumber < 0)
        return {};
    if (!isDisk)
        return sourcePath;
    if (!sourcePath.isEmpty() && QFileInfo(sourcePath).isDir())
        return sourcePath;
    return QStringLiteral("\\\\.\\PHYSICALDRIVE") + QString::number(diskNumber);
}

std::vector<time_t> MonthDayStarts(int year, int month)
{
    std::vector<time_t> days;
    const QDate first(year, month, 1);
    if (!first.isValid())
        return days;
    for (QDate d = first; d.month() == first.month() && d.year() == first.year(); d = d.addDays(1))
        days.push_back(time_t(d.startOfDay().toSecsSinceEpoch()));
    return days;
}

QString GroupText(int diskType)
{
    switch (diskType) {
    case CSearchDiskThread::kDiskNvr:
        return QCoreApplication::translate("CPlayBackWidget", "PCREC Video");
    case CSearchDiskThread::kDiskDvr:
        return QCoreApplication::translate("CPlayBackWidget", "Encoder Video");
    default:
        return QCoreApplication::translate("CPlayBackWidget", "DVR Video");
    }
}

ScanOutcome FillModel(QStandardItemModel& model, const ScanReport& report)
{
    // A new result replaces the tree: rows are never added to an old one.
    model.removeRows(0, model.rowCount());
    if (model.columnCount() != 1)
        model.setColumnCount(1);
    const bool readError = IsReadError(report.diskError);
    if (!report.finished)
        return readError ? ScanOutcome::Unreadable : ScanOutcome::NoChannels;

    bool anyChannel = false;
    if (report.diskType != CSearchDiskThread::kDiskLocal) {
        const std::vector<int> channels = report.result.empty() ? std::vector<int>{} : report.result.begin()->second;
        if (!channels.empty()) {
            QStandardItem* group = NewGroup(GroupText(report.diskType), true);
            for (int number : channels)
                group->appendRow(NewChannel(number, false));
            model.appendRow(group);
            anyChannel = true;
        }
    } else {
        for (const auto& [device, channels] : report.result) {
            QStandardItem* group = NewGroup(QString::fromLocal8Bit(device.c_str()), false);
            for (int number : channels)
                group->appendRow(NewChannel(number, true));
            model.appendRow(group);
            anyChannel = anyChannel || !channels.empty();
        }
    }
    if (anyChannel)
        return ScanOutcome::Channels;
    return readError ? ScanOutcome::Unreadable : ScanOutcome::NoChannels;
}

std::optional<Varpen::CChannel> ChannelOf(const QModelIndex& index)
{
    if (!IsChannel(index))
        return std::nullopt;
    Varpen::CChannel channel(index.data(kChannelRole).toInt(), index.parent().data(kChannelRole).toString());
    channel.SetFlag(index.data(kFlagRole).toBool());
    return channel;
}

QList<QModelIndex> CheckedChannels(const QStandardItemModel& model)
{
    QList<QModelIndex> checked;
    for (int g = 0; g < model.rowCount(); ++g) {
        const QModelIndex group = model.index(g, 0);
        for (int c = 0; c < model.rowCount(group); ++c) {
            const QModelIndex channel = model.index(c, 0, group);
            if (channel.data(Qt::CheckStateRole).toInt() == Qt::Checked)
                checked.append(channel);
        }
    }
    return checked;
}

QList<QModelIndex> ChannelsAmong(QList<QModelIndex> indexes)
{
    indexes.erase(std::remove_if(indexes.begin(), indexes.end(),
                                 [](const QModelIndex& i) { return !IsChannel(i) || i.column() != 0; }),
                  indexes.end());
    std::sort(indexes.begin(), indexes.end(), [](const QModelIndex& a, const QModelIndex& b) {
        return a.parent().row() != b.parent().row() ? a.parent().row() < b.parent().row() : a.row() < b.row();
    });
    indexes.erase(std::unique(indexes.begin(), indexes.end()), indexes.end());
    return indexes;
}

void UncheckAll(QStandardItemModel& model)
{
    for (int g = 0; g < model.rowCount(); ++g) {
        QStandardItem* group = model.item(g);
        for (int c = 0; c < group->rowCount(); ++c) {
            QStandardItem* channel = group->child(c);
            if (channel && channel->checkState() == Qt::Checked)
                channel->setCheckState(Qt::Unchecked);
        }
    }
}

namespace {

// Every channel row of the tree with the channel it stands for.
template <typename Model, typename Visit>
void ForEachChannel(Model& model, Visit visit)
{
    for (int g = 0; g < model.rowCount(); ++g) {
        QStandardItem* group = model.item(g);
        const QString groupText = group->data(kChannelRole).toString();
        for (int c = 0; c < group->rowCount(); ++c) {
            QStandardItem* channel = group->child(c);
            visit(*channel,
                  TickedChannel{groupText, channel->data(kChannelRole).toInt(), channel->data(kFlagRole).toBool()});
        }
    }
}

}  // namespace

void UpdateTicks(const QStandardItemModel& model, Ticks& ticks)
{
    ForEachChannel(model, [&ticks](const QStandardItem& row, const TickedChannel& channel) {
        if (row.checkState() == Qt::Checked)
            ticks.insert(channel);
        else
            ticks.erase(channel);
    });
}

void TickAgain(QStandardItemModel& model, const Ticks& ticks)
{
    if (ticks.empty())
        return;
    ForEachChannel(model, [&ticks](QStandardItem& row, const TickedChannel& channel) {
        if (ticks.count(channel) != 0 && row.checkState() != Qt::Checked)
            row.setCheckState(Qt::Checked);
    });
}

QString DiskKey(const QString& scanPath)
{
    // A folder is named with or without its closing "/"; a disk name holds no "/".
    return scanPath.contains(QLatin1Char('/')) ? QDir::cleanPath(scanPath) : scanPath;
}

QString ListText(const QList<QModelIndex>& channels)
{
    QString text;
    QModelIndex group;
    for (const QModelIndex& channel : channels) {
        if (!IsChannel(channel))
            continue;
        if (channel.parent() != group) {
            if (!text.isEmpty())
                text += QStringLiteral("; ");
            group = channel.parent();
            text += group.data(Qt::DisplayRole).toString() + QLatin1Char(' ');
        } else {
            text += QStringLiteral(", ");
        }
        text += channel.data(Qt::DisplayRole).toString();
    }
    return text;
}

}  // namespace ChannelTree
