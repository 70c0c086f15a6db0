#include "timeline/TimeSlider.h"

#include "timeline/ChartKit.h"
#include "timeline/ChartView.h"
#include "timeline/RecordTypes.h"
#include "widgets/CToolTip.h"
#include "widgets/CValidators.h"
#include "widgets/CWarnDlg.h"

#include <QAction>
#include <QCursor>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>

#include <cmath>

namespace {
const QString kTimeFormat = QStringLiteral("yyyy-MM-dd hh:mm:ss");
constexpr int kBarTop = 29;
constexpr int kBarBottom = 36;
constexpr int kTagNameRole = 32;
}  // namespace

// ---- CTimeSlider --------------------------------------------------------------------------------

CTimeSlider::CTimeSlider(QWidget* parent) : CTimeSliderBase(parent, Timeline::kZoomWidest)
{
    m_view = new CChartView(this);
    AttachView(m_view);
    m_view->installEventFilter(this);

    auto* groove = new CGrooveSeries;
    groove->AddPoint(0, 26.0);
    m_view->AddSeries(groove);
    m_view->AddSeries(new CTimeRectSeries);
    auto* axis = new CAxisSeries;
    axis->SetLabelColour(QColor(150, 150, 150));
    m_view->AddSeries(axis);
    auto* text = new CMouseTextSeries;
    text->SetTextColour(Qt::white);
    m_view->AddSeries(text);

    SetDate(QDate::currentDate());
    SetZoomLevel(Timeline::kZoomWidest);
}

CTimeSlider::~CTimeSlider()
{
    m_view->removeEventFilter(this);
}

CTimeRectSeries* CTimeSlider::Bars() const
{
    return static_cast<CTimeRectSeries*>(m_view->GetSeries(1));
}

void CTimeSlider::SetTitleText(const QString& text)
{
    m_view->SetTitleText(text);
}

void CTimeSlider::SetDate(const QDate& date)
{
    ApplyDate(date);
}

void CTimeSlider::ProjectOntoDay()
{
    CTimeRectSeries* bars = Bars();
    const QList<int> filter = bars->Filter();
    bars->Clear();
    bars->SetFilter(filter);
    for (const CTimeSegment& s : std::as_const(m_segments))
        ProjectSegment(s);
}

void CTimeSlider::ProjectSegment(const CTimeSegment& s)
{
    const std::optional<Timeline::Projection> p = Timeline::Project(m_day, s.Begin(), s.End());
    if (!p)
        return;
    const QVariant brushValue = s.GetData(RecordTypes::kRoleBrush);
    const QBrush brush =
        brushValue.isValid() ? brushValue.value<QBrush>() : QBrush(QColor(131, 131, 131), Qt::SolidPattern);
    Bars()->AddRect(QPoint(int(p->x1), kBarTop), QPoint(int(p->x2), kBarBottom), brush,
                    s.GetData(RecordTypes::kRoleRecordType).toInt());
}

void CTimeSlider::SetCurrentTime(const QDateTime& t)
{
    if (TimeHeld() || !t.isValid() || !m_day.IsValid())
        return;
    m_view->SetTimeText(t.toString(kTimeFormat));  // as given, before it is taken into the day
    const qint64 ts = m_day.ClampSecs(t.toSecsSinceEpoch());
    m_span.CentreOn(double(ts - m_day.OriginSecs()));
    SyncAxis();
    PostUpdate();
}

void CTimeSlider::ShowMaxsize()
{
    m_view->ShowButtons();
    if (auto* axis = m_view->FindSeriesByType(CChartSeries::kAxis))
        axis->SetStyleFlag(false);
    if (m_zoomLevel < Timeline::kZoomMultiWidest)
        m_zoomLevel = Timeline::kZoomMultiWidest;
    SetZoomLevel(m_zoomLevel);
}

void CTimeSlider::ShowNormalSize()
{
    m_view->HideButtons();
    if (auto* axis = m_view->FindSeriesByType(CChartSeries::kAxis))
        axis->SetStyleFlag(true);
    SetZoomLevel(Timeline::kZoomWidest);  // the stored level stays
}

void CTimeSlider::AddRecordSegment(const QDateTime& begin, const QDateTime& end, const QBrush& brush, int type)
{
    CTimeSegment segment(begin, end);
    segment.SetData(brush, RecordTypes::kRoleBrush);
    segment.SetData(type, RecordTypes::kRoleRecordType);
    m_segments.append(segment);
    ProjectSegment(segment);
    PostUpdate();
}

void CTimeSlider::SetRecordSegments(const QList<CTimeSegment>& segments)
{
    if (segments.isEmpty())
        return;
    m_segments.append(segments);
    for (const CTimeSegment& s : segments)
        ProjectSegment(s);
    PostUpdate();
}

void CTimeSlider::ClearSegments()
{
    m_segments.clear();
    Bars()->Clear();
    PostUpdate();
}

void CTimeSlider::mouseReleaseEvent(QMouseEvent* event)
{
    m_moveFlag = false;
    const bool pressed = m_dragging;  // a press in the chart area started this
    EndDrag();
    if (event->button() != Qt::LeftButton || !pressed)
        return;
    ClearMouseText();
    const QRect panel = PanelRect();
    const QPoint pos = event->position().toPoint();
    if (m_span.Min() == m_span.SavedMin()) {
        if (pos.y() > 26 && pos.y() < 36 && panel.width() > 0) {
            const double savedWidth = m_span.SavedMax() - m_span.SavedMin();
            const time_t t = time_t(
                OriginSecs() +
                qint64(std::trunc(double(pos.x() - panel.left()) * savedWidth / panel.width() + m_span.SavedMin())));
            emit MouseClick(t);
            emit MouseClick(t, t + time_t(std::trunc(m_span.Width() / panel.width())));
        }
    } else {
        emit MouseClick(time_t(std::trunc(double(OriginSecs()) + m_span.Centre())));
    }
    PostUpdate();
}

// The slider learns of the mouse entering and leaving through its view.
bool CTimeSlider::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_view) {
        if (event->type() == QEvent::Enter)
            MouseEntered();
        else if (event->type() == QEvent::Leave)
            MouseLeft();
    }
    return CTimeSliderBase::eventFilter(watched, event);
}

// ---- CLineEditDialog ----------------------------------------------------------------------------

CLineEditDialog::CLineEditDialog(QWidget* parent) : CBaseDialog(parent, true, true, true)
{
    SetTitle(tr("Edit Tag"));
    ShowCloseBtn(true);
    setFixedSize(280, 210);
    auto* grid = new QGridLayout(GetContentFrame());
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(8);
    auto* timeLabel = new QLabel(tr("Tag Time:"), GetContentFrame());
    timeLabel->setFixedSize(80, 28);
    m_time = new QLineEdit(GetContentFrame());
    m_time->setReadOnly(true);
    m_time->setFixedSize(160, 28);
    auto* nameLabel = new QLabel(tr("Tag Name:"), GetContentFrame());
    nameLabel->setFixedSize(80, 28);
    m_name = new QLineEdit(GetContentFrame());
    m_name->setFixedSize(160, 28);
    m_name->setValidator(new CRegExpValidator(40, m_name));  // 40 bytes, no pattern
    grid->addWidget(timeLabel, 0, 0);
    grid->addWidget(m_time, 0, 1);
    grid->addWidget(nameLabel, 1, 0);
    grid->addWidget(m_name, 1, 1);
    m_name->setFocus();
}

void CLineEditDialog::SetTagTime(const QString& text)
{
    m_time->setText(text);
}

void CLineEditDialog::SetTagName(const QString& name)
{
    m_givenName = name;
    m_name->setText(name);
}

void CLineEditDialog::done(int r)
{
    if (r == QDialog::Accepted) {
        const QString name = m_name->text().trimmed();
        if (name.isEmpty()) {
            m_name->setFocus();
            CToolTip::showText(mapToGlobal(m_name->pos()), tr("Tag name cannot be empty."), this);
            return;
        }
        if (name != m_givenName)
            emit SignalSaveInput(name);
    }
    emit SignalClosed();
    CBaseDialog::done(r);
}

// ---- CTagTimeSlider -----------------------------------------------------------------------------

CTagTimeSlider::CTagTimeSlider(QWidget* parent) : CTimeSlider(parent)
{
    CreateExtraSeries();
    m_view->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_view, &QWidget::customContextMenuRequested, this, &CTagTimeSlider::RightMouseResponse);
    m_edit = new QAction(tr("Edit tag"), this);
    m_delete = new QAction(tr("Delete tag"), this);
    connect(m_edit, &QAction::triggered, this, &CTagTimeSlider::OnSlotEdit);
    connect(m_delete, &QAction::triggered, this, &CTagTimeSlider::OnSlotDel);
    m_runMenu = [](QMenu& menu) { menu.exec(QCursor::pos()); };
}

CTagTimeSlider::~CTagTimeSlider() = default;

void CTagTimeSlider::CreateExtraSeries()
{
    m_tags = new CTagSeries(QPixmap(QStringLiteral(":/images/public/Timeslider/Tag.png")));
    m_view->InsertSeries(3, m_tags);
}

void CTagTimeSlider::SetTags(const QList<CTimeSegment>& tags)
{
    if (tags.isEmpty())
        return;
    m_tagSegments.append(tags);
    for (const CTimeSegment& s : tags)
        ProjectTag(s);
    PostUpdate();
}

void CTagTimeSlider::ProjectTag(const CTimeSegment& s)
{
    const std::optional<Timeline::Projection> p = Timeline::Project(Day(), s.Begin(), s.End());
    if (p)
        m_tags->AddTag(QPoint(int(p->x1), kBarTop), QPoint(int(p->x2), kBarBottom), s.GetData(kTagNameRole).toString());
}

void CTagTimeSlider::ProjectOntoDay()
{
    CTimeSlider::ProjectOntoDay();
    if (!m_tags)
        return;
    m_tags->Clear();
    for (const CTimeSegment& s : std::as_const(m_tagSegments))
        ProjectTag(s);
}

void CTagTimeSlider::ClearSegments()
{
    m_tagSegments.clear();
    m_tags->Clear();
    CTimeSlider::ClearSegments();
}

void CTagTimeSlider::mousePressEvent(QMouseEvent* event)
{
    if (m_tags->HitTest(event->position().toPoint(), nullptr))
        return;
    CTimeSlider::mousePressEvent(event);
}

void CTagTimeSlider::mouseReleaseEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    int key = -1;
    if (PanelRect().contains(pos) && m_tags->HitTest(pos, &key)) {
        if (event->button() == Qt::LeftButton)
            emit MouseClick(time_t(OriginSecs() + key));
        return;
    }
    if (!PanelRect().contains(pos)) {
        // A drag begun in the chart area ends here too, reporting nothing.
        m_moveFlag = false;
        EndDrag();
        return;
    }
    CTimeSlider::mouseReleaseEvent(event);
}

void CTagTimeSlider::RightMouseResponse(QPoint ptMouse)
{
    int key = -1;
    if (!m_tags->HitTest(ptMouse, &key))
        return;
    m_tagKey = key;
    m_tagMenuFlag = true;
    {
        QMenu menu(this);
        menu.addAction(m_edit);
        menu.addAction(m_delete);
        m_runMenu(menu);
    }
    m_tagKey = -1;
    m_tagMenuFlag = false;
    m_view->setAttribute(Qt::WA_UnderMouse, true);
    PostUpdate();
}

void CTagTimeSlider::OnSlotEdit()
{
    emit SignalBeginEditTag();
    {
        CLineEditDialog dialog(this);
        dialog.SetTagTime(Timeline::TimeText(OriginSecs() + m_tagKey));
        dialog.SetTagName(m_tags->TagName(m_tagKey));
        connect(&dialog, &CLineEditDialog::SignalSaveInput, this, &CTagTimeSlider::OnSlotSaveTag);
        dialog.exec();
    }
    emit SignalEndEditTag();
}

void CTagTimeSlider::OnSlotSaveTag(QString strTagText)
{
    emit SignalSetTagLable(strTagText, time_t(OriginSecs() + m_tagKey));
}

void CTagTimeSlider::OnSlotDel()
{
    if (CWarnDlg::ShowQuestion(tr("Information"), tr("Are you sure you want to delete the tag?"), this) > 0) {
        m_tags->RemoveTag(m_tagKey);
        // The kept tag goes too, so that a change of day does not bring it back.
        for (int i = 0; i < m_tagSegments.size(); ++i) {
            const std::optional<Timeline::Projection> p =
                Timeline::Project(Day(), m_tagSegments.at(i).Begin(), m_tagSegments.at(i).End());
            if (p && p->x1 == m_tagKey) {
                m_tagSegments.removeAt(i);
                break;
            }
        }
        emit SignalDelTag(time_t(OriginSecs() + m_tagKey));
        PostUpdate();
    }
}
