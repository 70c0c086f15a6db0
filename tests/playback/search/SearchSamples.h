// Small recordings for the playback search tests (and a look at the channel tree's rows), written at test time by
// varpen-sample: a local recording folder and recorder-disk images, two channels over two days.
#pragma once

#include <QDate>
#include <QProcess>
#include <QStandardItemModel>
#include <QString>
#include <QStringList>

#include "tests/support/ChildRun.h"

namespace searchtest {

// The sample's first day and its two days' recordings: 10:00:00 on, segments of 4 s.
inline QDate FirstDay()
{
    return QDate(2024, 1, 30);
}

inline QString SampleTool()
{
    return QString::fromLocal8Bit(qgetenv("VARPEN_BUILD_DIR")) + QStringLiteral("/bin/varpen-sample");
}

inline bool RunSampleTool(const QStringList& args)
{
    return RunChild(SampleTool(), args, 180000).Ok();
}

// A local folder: channels 1 and 2 of "NVR_1", two segments a day, record types alarm (folder
// number 2 = recorder type 1) and schedule (folder number 8 = recorder type 3) in turn.
inline bool MakeFolder(const QString& dir)
{
    return RunSampleTool({QStringLiteral("folder"), dir, QStringLiteral("--channels"), QStringLiteral("2"),
                          QStringLiteral("--days"), QStringLiteral("2"), QStringLiteral("--segments-per-day"),
                          QStringLiteral("2"), QStringLiteral("--segment-length"), QStringLiteral("4"),
                          QStringLiteral("--gap"), QStringLiteral("2"), QStringLiteral("--size"),
                          QStringLiteral("160x120"), QStringLiteral("--record-types"), QStringLiteral("2,8"),
                          QStringLiteral("--start-date"), FirstDay().toString(Qt::ISODate)});
}

// A recorder-disk image (layout plain, nvr or dvr), channels 0 and 1, or a broken one.
inline bool MakeDisk(const QString& image, const QString& layout, const QString& broken = QString())
{
    QStringList args{QStringLiteral("disk"),
                     image,
                     QStringLiteral("--layout"),
                     layout,
                     QStringLiteral("--channels"),
                     QStringLiteral("2"),
                     QStringLiteral("--days"),
                     QStringLiteral("2"),
                     QStringLiteral("--segments-per-day"),
                     QStringLiteral("2"),
                     QStringLiteral("--segment-length"),
                     QStringLiteral("2"),
                     QStringLiteral("--logs"),
                     QStringLiteral("0"),
                     QStringLiteral("--record-types"),
                     QStringLiteral("1,3"),
                     QStringLiteral("--start-date"),
                     FirstDay().toString(Qt::ISODate)};
    if (!broken.isEmpty())
        args << QStringLiteral("--broken") << broken;
    return RunSampleTool(args);
}

// The rows of a channel tree as "group: child child ...".
inline QStringList Rows(const QStandardItemModel& model)
{
    QStringList rows;
    for (int g = 0; g < model.rowCount(); ++g) {
        QStandardItem* group = model.item(g);
        QString row = group->text() + QLatin1Char(':');
        for (int c = 0; c < group->rowCount(); ++c)
            row += QLatin1Char(' ') + group->child(c)->text();
        rows << row;
    }
    return rows;
}

}  // namespace searchtest
