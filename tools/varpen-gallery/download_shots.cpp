// Shots of the download dialog: the file table filled with a window's recordings, some ticked,
// one job under way; and the time tab with two ticked periods and their progress.
#include "tools/varpen-gallery/Gallery.h"

#include "playback/DataDistributionThread.h"
#include "playback/PlaybackDownLoad.h"
#include "widgets/CTableView.h"
#include "widgets/CalendarWidget.h"
#include "widgets/DateTimeEdit.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDateTime>
#include <QProgressBar>
#include <QStandardItemModel>
#include <QTabWidget>

namespace {

QString Status(const char* text)
{
    return QCoreApplication::translate("CPlaybackDownLoad", text);
}

// A dialog of window 1 whose table holds eight recordings of one morning.
CPlaybackDownLoad* FilledDialog()
{
    auto* dialog = new CPlaybackDownLoad(CDownloadWindowSource{}, 0, nullptr);
    dialog->SetTitle(QStringLiteral(" Window01: channel1"));
    const time_t t0 = QDateTime(QDate(2024, 3, 5), QTime(8, 0)).toSecsSinceEpoch();
    for (int i = 0; i < 8; ++i) {
        const Varpen::CSingleFile file("f", "", 96ull * 1024 * 1024 + i * 7340032ull, t0 + i * 1800,
                                       t0 + i * 1800 + 1799, 3, "", 0);
        dialog->OnRevItems(CDataDistributionThread::MakeRow(file, i));
    }
    QStandardItemModel* model = dialog->FileModel();
    const Qt::CheckState ticks[] = {Qt::Unchecked, Qt::Unchecked, Qt::Checked,   Qt::Checked,
                                    Qt::Checked,   Qt::Unchecked, Qt::Unchecked, Qt::Unchecked};
    for (int i = 0; i < 8; ++i)
        model->item(i, 0)->setCheckState(ticks[i]);
    model->item(0, 4)->setText(Status("Download Completed"));
    model->item(1, 4)->setText(Status("Download Completed"));
    model->item(2, 4)->setText(Status("Downloading"));
    dialog->CheckDiskSpace();
    return dialog;
}

QWidget* ByFile()
{
    return FilledDialog();
}

QWidget* ByTime()
{
    CPlaybackDownLoad* dialog = FilledDialog();
    dialog->Form().m_pDownloadTabWidget->setCurrentIndex(1);
    const QDate day(2024, 3, 5);
    dialog->PeriodBox(0)->setChecked(true);
    dialog->PeriodBegin(0)->setDateTime(QDateTime(day, QTime(8, 15)));
    dialog->PeriodEnd(0)->setDateTime(QDateTime(day, QTime(8, 45)));
    dialog->PeriodBar(0)->setValue(100);
    dialog->PeriodBox(1)->setChecked(true);
    dialog->PeriodBegin(1)->setDateTime(QDateTime(day, QTime(10, 0)));
    dialog->PeriodEnd(1)->setDateTime(QDateTime(day, QTime(11, 30)));
    dialog->PeriodBar(1)->setValue(40);
    for (int k = 2; k < 4; ++k) {
        dialog->PeriodBegin(k)->setDateTime(day.startOfDay());
        dialog->PeriodEnd(k)->setDateTime(QDateTime(day, QTime(23, 59, 59)));
    }
    return dialog;
}

const Gallery::Register kDownloadShots{
    {"CPlaybackDownLoad", ByFile},
    {"CPlaybackDownLoad_Time", ByTime},
};

}  // namespace
