// Shots of the time line: the multi-row time slider with 16 rows of generated recordings over
// three days, one picture per zoom level ("CMultiTimeSlider-<level>"), and the record-type
// filter pop-up. Live, a person can zoom, move and drag, read the time under the mouse, filter a
// row through its menu icon, switch between the three days, and click a bar: the label under the
// time line shows the row and the time reported.
#include "tools/varpen-gallery/Gallery.h"

#include "timeline/MultiTimeSlider.h"
#include "timeline/RecordTypes.h"
#include "timeline/TimeSlider.h"
#include "timeline/TimeSliderFilterPopup.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRandomGenerator>
#include <QVBoxLayout>
#include <QWidget>

namespace {

const QDate kFirstDay(2024, 1, 29);

// Per row, recordings over three days: mostly schedule runs of 10 to 90 minutes, with alarm
// and command recordings between them; a few rows stay empty on some days.
TimeSegmentRows MakeRows()
{
    QRandomGenerator random(30);
    TimeSegmentRows rows;
    for (int r = 0; r < Timeline::kRowCount; ++r) {
        QList<CTimeSegment>& list = rows[r];
        for (int d = 0; d < 3; ++d) {
            if ((r + d) % 7 == 6)
                continue;
            const QDateTime origin = kFirstDay.addDays(d).startOfDay();
            qint64 t = random.bounded(3600);
            while (t < 86400) {
                const int pick = int(random.bounded(10));
                const int type = pick < 6 ? 3 : pick < 9 ? 1 + int(random.bounded(2)) : 7;
                const qint64 length = type == 3 ? 600 + random.bounded(4800) : 60 + random.bounded(900);
                list.append(RecordTypes::MakeSegment(origin.addSecs(t), origin.addSecs(t + length), type));
                t += length + random.bounded(1800);
            }
        }
    }
    return rows;
}

// The slider as the playback page sets it up, on the middle day at noon, at `level`.
QWidget* MakeTimeLine(int level)
{
    auto* w = new QWidget;
    auto* layout = new QVBoxLayout(w);
    auto* slider = new CMultiTimeSlider(w);
    slider->setMinimumHeight(126);
    slider->SetChannelCount(16);
    QStringList names;
    for (int i = 1; i <= 16; ++i)
        names << QCoreApplication::translate("TimelineShots", "Window") +
                     QStringLiteral("%1").arg(i, 2, 10, QLatin1Char('0'));
    slider->SetChannelNames(names);
    slider->SetDate(kFirstDay.addDays(1));
    const TimeSegmentRows rows = MakeRows();
    slider->SetRecordSegments(rows);
    for (auto it = rows.cbegin(); it != rows.cend(); ++it)
        for (const RecordTypes::FilterEntry& e : RecordTypes::FilterEntries())
            slider->AddFilterItem(it.key(), RecordTypes::FilterIcon(e.id), QString::fromLatin1(e.text), e.id);
    for (int l = Timeline::kZoomMultiWidest; l < level; ++l)
        slider->OnSlotZoomOut();
    slider->SetCurrentTime(QDateTime(kFirstDay.addDays(1), QTime(12, 0)));

    auto* days = new QHBoxLayout;
    for (int d = 0; d < 3; ++d) {
        const QDate date = kFirstDay.addDays(d);
        auto* b = new QPushButton(QLocale().toString(date, QLocale::ShortFormat), w);
        QObject::connect(b, &QPushButton::clicked, slider, [slider, date] { slider->SetDate(date); });
        days->addWidget(b);
    }
    days->addStretch(1);
    auto* clicked = new QLabel(QCoreApplication::translate("TimelineShots", "Click a bar to play it."), w);
    QObject::connect(slider, &CMultiTimeSlider::MouseClick, clicked, [clicked](int row, time_t t) {
        clicked->setText(
            QCoreApplication::translate("TimelineShots", "Row %1 at %2")
                .arg(row + 1)
                .arg(QDateTime::fromSecsSinceEpoch(qint64(t)).toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"))));
    });
    layout->addLayout(days);
    layout->addWidget(slider);
    layout->addWidget(clicked);
    w->resize(1100, 210);
    return w;
}

QWidget* MakeFilterPopup()
{
    auto* popup = new CTimeSliderFilterPopup;
    for (const RecordTypes::FilterEntry& e : RecordTypes::FilterEntries())
        popup->AddFilterItem(RecordTypes::FilterIcon(e.id), QString::fromLatin1(e.text), e.id);
    popup->ItemBoxes().at(1)->setChecked(false);
    popup->adjustSize();
    return popup;
}

// The single-row slider with tags, shown large (buttons and full labels).
QWidget* MakeTagTimeSlider()
{
    auto* slider = new CTagTimeSlider;
    const QDate day = kFirstDay.addDays(1);
    slider->SetDate(day);
    const TimeSegmentRows rows = MakeRows();
    QList<CTimeSegment> bars;
    for (const CTimeSegment& s : rows.value(0))
        bars.append(s);
    slider->SetRecordSegments(bars);
    QList<CTimeSegment> tags;
    for (int h : {7, 13, 18}) {
        CTimeSegment tag(QDateTime(day, QTime(h, 20)), QDateTime(day, QTime(h, 50)));
        tag.SetData(QStringLiteral("%1:20").arg(h), 32);
        tags.append(tag);
    }
    slider->SetTags(tags);
    slider->ShowMaxsize();
    slider->SetCurrentTime(QDateTime(day, QTime(12, 0)));
    slider->resize(900, 60);
    return slider;
}

const Gallery::Register kTimelineShots{
    {QStringLiteral("CMultiTimeSlider-9"), [] { return MakeTimeLine(9); }},
    {QStringLiteral("CMultiTimeSlider-10"), [] { return MakeTimeLine(10); }},
    {QStringLiteral("CMultiTimeSlider-11"), [] { return MakeTimeLine(11); }},
    {QStringLiteral("CMultiTimeSlider-12"), [] { return MakeTimeLine(12); }},
    {QStringLiteral("CMultiTimeSlider-13"), [] { return MakeTimeLine(13); }},
    {QStringLiteral("CTimeSliderFilterPopup"), MakeFilterPopup},
    {QStringLiteral("CTagTimeSlider"), MakeTagTimeSlider},
};

}  // namespace
