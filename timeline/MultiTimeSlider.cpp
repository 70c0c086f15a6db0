#include "timeline/MultiTimeSlider.h"

#include "app/gui/CommonUtilGui.h"
#include "timeline/ChartKit.h"
#include "timeline/MultiChartView.h"
#include "timeline/RecordTypes.h"
#include "timeline/TimeSliderFilterPopup.h"

#include <QMouseEvent>
#include <QPixmap>

namespace Timeline {

int RowAtPixel(int y, const CChartAxis& yAxis, int rowCount, int chartHeight)
{
    if (y < kHeader_px || y >= chartHeight)
        return -1;
    for (int r = 0; r < rowCount; ++r) {
        const int top = yAxis.ValueToPixel(RowBarTop(r));
        if (top <= y && y < top + kBarHeight)
            return r;
    }
    return -1;
}

}  // namespace Timeline

namespace {
const char* const kMenuIcon = ":/images/public/Timeslider/Menu.png";
}  // namespace

CMultiTimeSlider::CMultiTimeSlider(QWidget* parent) : CTimeSliderBase(parent, Timeline::kZoomMultiWidest)
{
    m_view = new CMultiChartView(this);
    AttachView(m_view);
    m_view->VerticalAxis().SetReversed(false);
    m_view->VerticalAxis().SetRange(0, CMultiChartView::kVerticalSpan);
    CreateSeries();
    SetDate(QDate::currentDate());
    SetZoomLevel(m_zoomLevel);
}

CMultiTimeSlider::~CMultiTimeSlider() = default;

void CMultiTimeSlider::CreateSeries()
{
    for (int r = 0; r < Timeline::kRowCount; ++r) {
        auto* series = new CTimeRectSeries;
        series->SetMapY(true);
        m_view->AddSeries(series);
        m_rowSeries.append(series);
    }
    auto* background = new CBackGroundSeries;
    for (int k = 0; k <= Timeline::kRowCount; ++k)
        background->AddPoint(0, 28 + 24 * k);
    m_view->AddSeries(background);

    auto* axis = new CAxisSeries;
    axis->SetLabelColour(QColor(114, 114, 114));
    axis->SetTickBaseY(44);
    axis->SetLabelY(10);
    m_view->AddSeries(axis);

    auto* mouseText = new CMouseTextSeries;
    mouseText->SetTextColour(Qt::red);
    m_view->AddSeries(mouseText);

    auto* images = new CImageSeries;
    const QPixmap menu{QLatin1String(kMenuIcon)};
    for (int r = 0; r < Timeline::kRowCount; ++r)
        images->AddImage(80, 24 * r + 35, menu);
    m_view->AddSeries(images);
}

CTimeRectSeries* CMultiTimeSlider::RowSeries(int row) const
{
    return m_rowSeries.value(row);
}

// ---- Rows, names, filter entries --------------------------------------------------------------

void CMultiTimeSlider::SetChannelCount(int n)
{
    m_view->SetRowCount(n);
    for (int i = 0; i < n; ++i) {
        auto* popup = new CTimeSliderFilterPopup(this);
        connect(popup, &CTimeSliderFilterPopup::SignalFilter, this, &CMultiTimeSlider::OnTriggered);
        m_popups.append(popup);
    }
}

void CMultiTimeSlider::SetChannelNames(const QStringList& names)
{
    if (auto* bg = static_cast<CBackGroundSeries*>(m_view->FindSeriesByType(CChartSeries::kBackGround)))
        bg->SetLabels(names);
    PostUpdate();
}

void CMultiTimeSlider::AddFilterItem(int row, const QIcon& icon, const QString& text, int id)
{
    if (row >= 0 && row < m_popups.size())
        m_popups.at(row)->AddFilterItem(icon, text, id);
}

void CMultiTimeSlider::ClearFilterItems(int row)
{
    if (row >= 0 && row < m_popups.size())
        m_popups.at(row)->ClearFilterItems();
}

void CMultiTimeSlider::ClearAllFilterItems()
{
    for (int r = 0; r < m_rowSeries.size(); ++r)
        ClearFilterItems(r);
}

void CMultiTimeSlider::OnTriggered(QList<int> ids)
{
    auto* popup = qobject_cast<CTimeSliderFilterPopup*>(sender());
    const int row = m_popups.indexOf(popup);
    if (!popup || row < 0 || row >= m_rowSeries.size())
        return;
    m_rowSeries.at(row)->SetFilter(ids);
    PostUpdate();
}

// ---- Day, time, zoom, move -----------------------------------------------------------------------

void CMultiTimeSlider::SetDate(const QDate& date)
{
    if (ApplyDate(date))
        PostUpdate();
}

void CMultiTimeSlider::SetCurrentTime(const QDateTime& t)
{
    if (m_moveFlag || !t.isValid())
        return;
    SetCurrentTime(time_t(t.toSecsSinceEpoch()));
}

// ---- Segments ------------------------------------------------------------------------------------

void CMultiTimeSlider::ProjectSegments(const QList<CTimeSegment>& segments, int row)
{
    CTimeRectSeries* series = m_rowSeries.value(row);
    if (!series)
        return;
    for (const CTimeSegment& s : segments) {
        const std::optional<Timeline::Projection> p = Timeline::Project(m_day, s.Begin(), s.End());
        if (!p)
            continue;
        const QVariant brushValue = s.GetData(RecordTypes::kRoleBrush);
        const QBrush brush = brushValue.isValid() ? brushValue.value<QBrush>()
                                                  : QBrush(RecordTypes::DefaultBarColour(), Qt::SolidPattern);
        const int type = s.GetData(RecordTypes::kRoleRecordType).toInt();
        series->AddRect(QPoint(int(p->x1), Timeline::RowBarTop(row)), QPoint(int(p->x2), Timeline::RowBarBottom(row)),
                        brush, type);
    }
}

void CMultiTimeSlider::ProjectOntoDay()
{
    for (int r = 0; r < m_rowSeries.size(); ++r)
        ProjectRow(r);
}

void CMultiTimeSlider::ProjectRow(int row)
{
    CTimeRectSeries* series = m_rowSeries.value(row);
    if (!series)
        return;
    const QList<int> filter = series->Filter();
    series->Clear();
    series->SetFilter(filter);
    ProjectSegments(m_segments.value(row), row);
}

void CMultiTimeSlider::SetRecordSegments(const TimeSegmentRows& rows)
{
    for (auto it = rows.cbegin(); it != rows.cend(); ++it) {
        const int row = it.key();
        if (row < 0 || row >= m_rowSeries.size())
            break;
        m_segments[row].append(it.value());
        ProjectSegments(it.value(), row);
    }
    PostUpdate();
}

void CMultiTimeSlider::AddRowSegments(const QList<CTimeSegment>& segments, int row)
{
    if (row < 0 || row >= m_rowSeries.size())
        return;
    m_segments[row].append(segments);
    ProjectSegments(segments, row);
    PostUpdate();
}

void CMultiTimeSlider::AddSegment(const QDateTime& begin, const QDateTime& end, const QBrush& brush, int type)
{
    CTimeSegment segment(begin, end);
    segment.SetData(brush, RecordTypes::kRoleBrush);
    segment.SetData(type, RecordTypes::kRoleRecordType);
    AddRowSegments({segment}, 1);
}

void CMultiTimeSlider::RemoveSegmentType(int type, int row)
{
    CTimeRectSeries* series = m_rowSeries.value(row);
    if (!series)
        return;
    series->RemoveType(type);
    auto it = m_segments.find(row);
    if (it != m_segments.end())
        it->removeIf([type](const CTimeSegment& s) { return s.GetData(RecordTypes::kRoleRecordType).toInt() == type; });
    PostUpdate();
}

void CMultiTimeSlider::ClearAllSegments()
{
    m_segments.clear();
    for (CTimeRectSeries* s : std::as_const(m_rowSeries))
        s->Clear();
}

void CMultiTimeSlider::ClearSegments(int row)
{
    if (row < 0 || row >= m_rowSeries.size())
        return;
    m_segments.remove(row);
    m_rowSeries.at(row)->Clear();
    PostUpdate();
}

void CMultiTimeSlider::Reset()
{
    ClearAllSegments();
    SetDate(QDate::currentDate());
    m_zoomLevel = Timeline::kZoomMultiWidest;
    SetZoomLevel(m_zoomLevel);
    PostUpdate();
}

// ---- Mouse -----------------------------------------------------------------------------------------

bool CMultiTimeSlider::ClickTarget(const QPoint& pos, int* row, time_t* t) const
{
    const QRect panel = PanelRect();
    if (panel.width() <= 0 || !panel.contains(pos))
        return false;
    // Row geometry from the current scroll position and size, not from the last paint.
    CChartAxis yAxis = m_view->VerticalAxis();
    yAxis.LayoutOver(panel.top(), panel.height());
    const int r = Timeline::RowAtPixel(pos.y(), yAxis, int(m_rowSeries.size()), panel.bottom() + 1);
    if (r < 0 || !m_rowSeries.at(r)->HasVisibleBar(m_span.Min(), m_span.Max()))
        return false;
    const std::optional<qint64> secs = m_span.SecondAt(pos.x(), panel.left(), panel.width());
    if (!secs)
        return false;
    *row = r;
    *t = time_t(m_day.OriginSecs() + *secs);
    return true;
}

void CMultiTimeSlider::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint pos = event->position().toPoint();
    int index = -1;
    auto* images = static_cast<CImageSeries*>(m_view->FindSeriesByType(CChartSeries::kImage));
    // Menu icons scrolled under the header band are not there for the operator.
    if (images && pos.y() >= Timeline::kHeader_px && images->HitTest(pos, &index)) {
        if (index >= 0 && index < m_popups.size() && !m_popups.at(index)->IsEmpty()) {
            CTimeSliderFilterPopup* popup = m_popups.at(index);
            popup->adjustSize();
            const QRect wanted(event->globalPosition().toPoint(), popup->size());
            popup->move(CCommonUtil::AdjustRectToScreen(wanted, this).topLeft());
            popup->show();
        }
        return;
    }
    CTimeSliderBase::mousePressEvent(event);  // elsewhere in the chart area a drag begins
}

void CMultiTimeSlider::mouseReleaseEvent(QMouseEvent* event)
{
    m_moveFlag = false;
    EndDrag();
    const QPoint pos = event->position().toPoint();
    if (event->button() != Qt::LeftButton || !PanelRect().contains(pos))
        return;
    ClearMouseText();
    int row = -1;
    time_t t = 0;
    if (ClickTarget(pos, &row, &t))
        emit MouseClick(row, t);
    PostUpdate();
}

// The slider learns of the mouse entering and leaving through its own events.
void CMultiTimeSlider::enterEvent(QEnterEvent* event)
{
    CTimeSliderBase::enterEvent(event);
    MouseEntered();
}

void CMultiTimeSlider::leaveEvent(QEvent* event)
{
    CTimeSliderBase::leaveEvent(event);
    MouseLeft();
}
