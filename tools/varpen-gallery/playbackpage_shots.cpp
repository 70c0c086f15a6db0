// Shots of the playback page ("PlayBackWidget"): the page as an operator sees it after a disk
// scan and a search of two channels: the channel tree, today's date in the search panel, the
// start grid with two bound windows and their bars on the time line. No recordings are needed:
// the tree and the bars are filled the way the scan and the search fill them.
#include "tools/varpen-gallery/Gallery.h"

#include "playback/PlayBackWidget.h"
#include "playback/PlaybackWnd.h"
#include "timeline/MultiTimeSlider.h"
#include "timeline/RecordTypes.h"
#include "widgets/CGroupTreeView.h"

#include <QStandardItemModel>

namespace {

QWidget* MakePage()
{
    auto* page = new CPlayBackWidget(nullptr, QSize(1280, 1024));
    page->resize(1250, 718);

    QStandardItemModel* model = page->ChannelModel();
    auto* group = new QStandardItem(QIcon(QStringLiteral(":/images/Import/GroupList/group.png")),
                                    CPlayBackWidget::tr("DVR Video"));
    group->setCheckable(true);
    group->setEditable(false);
    for (int channel = 0; channel < 4; ++channel) {
        auto* item = new QStandardItem(CPlayBackWidget::tr("channel") + QString::number(channel + 1));
        item->setCheckable(true);
        item->setEditable(false);
        item->setCheckState(channel < 2 ? Qt::Checked : Qt::Unchecked);
        group->appendRow(item);
    }
    model->appendRow(group);
    page->Form().m_pPlayBackTreeView->expandAll();

    const QDate today = QDate::currentDate();
    TimeSegmentRows rows;
    const auto at = [today](int h, int m) { return QDateTime(today, QTime(h, m)); };
    rows[0] = {RecordTypes::MakeSegment(at(8, 0), at(10, 20), 4), RecordTypes::MakeSegment(at(11, 0), at(13, 40), 2),
               RecordTypes::MakeSegment(at(15, 10), at(18, 0), 4)};
    rows[1] = {RecordTypes::MakeSegment(at(9, 30), at(12, 0), 7), RecordTypes::MakeSegment(at(14, 0), at(16, 45), 4)};
    CMultiTimeSlider* timeLine = page->Form().m_pMultiTimeSlider;
    timeLine->SetDate(today);
    timeLine->SetRecordSegments(rows);
    timeLine->SetCurrentTime(at(12, 0));
    page->PlayWindow(0)->SetChannelInfo(Varpen::CChannel(0, QString()));
    page->PlayWindow(1)->SetChannelInfo(Varpen::CChannel(1, QString()));
    return page;
}

const Gallery::Register kPlaybackPageShots{
    {QStringLiteral("PlayBackWidget"), [] { return MakePage(); }},
};

}  // namespace
