// The single-row time line over one day: recording bars on a groove, time ticks, the time under
// the mouse, a marker for the current time, zoom, move and a click that reports a time; and its
// tag variant, with named pins that can be clicked, renamed through CLineEditDialog and deleted.
// No page of the station shows them; they belong to the time-line kit.
#pragma once

#include "timeline/TimeSegment.h"
#include "timeline/TimeSliderBase.h"
#include "widgets/CBaseDialog.h"

#include <QDialog>
#include <QList>

#include <ctime>
#include <functional>

class CChartView;
class CTagSeries;
class CTimeRectSeries;
class QAction;
class QLineEdit;
class QMenu;

class CTimeSlider : public CTimeSliderBase {
    Q_OBJECT

public:
    explicit CTimeSlider(QWidget* parent = nullptr);
    ~CTimeSlider() override;

    void SetDate(const QDate& date);
    void SetCurrentTime(const QDateTime& t);
    using CTimeSliderBase::SetCurrentTime;
    void AddRecordSegment(const QDateTime& begin, const QDateTime& end, const QBrush& brush, int type);
    void SetRecordSegments(const QList<CTimeSegment>& segments);
    virtual void ClearSegments();
    void SetTitleText(const QString& text);

    CChartView* View() const { return m_view; }
    CTimeRectSeries* Bars() const;

signals:
    void MouseClick(time_t tmClick);
    void MouseClick(time_t tmBegin, time_t tmEnd);

public slots:
    void ShowMaxsize();
    void ShowNormalSize();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    virtual void CreateExtraSeries() {}
    void ProjectOntoDay() override;
    bool TimeHeld() const override { return m_moveFlag || m_tagMenuFlag; }
    bool LeaveMayReport() const override { return !m_tagMenuFlag; }
    void ProjectSegment(const CTimeSegment& segment);

    CChartView* m_view = nullptr;
    bool m_tagMenuFlag = false;
    QList<CTimeSegment> m_segments;  // every bar given, kept whole
};

// The tag editor: the tag's time (read-only) and its name (at most 40 bytes, not empty).
class CLineEditDialog : public CBaseDialog {
    Q_OBJECT

public:
    explicit CLineEditDialog(QWidget* parent = nullptr);
    void SetTagTime(const QString& text);
    void SetTagName(const QString& name);
    QLineEdit* NameField() const { return m_name; }
    QLineEdit* TimeField() const { return m_time; }

signals:
    void SignalSaveInput(QString name);
    void SignalClosed();

public slots:
    void done(int r) override;

private:
    QLineEdit* m_time = nullptr;
    QLineEdit* m_name = nullptr;
    QString m_givenName;
};

class CTagTimeSlider : public CTimeSlider {
    Q_OBJECT

public:
    // Runs the tag menu (by default at the mouse pointer); tests replace it so that nothing
    // blocks. The tag editor and the delete question go through the kit's prompt seam.
    using MenuRunner = std::function<void(QMenu&)>;

    explicit CTagTimeSlider(QWidget* parent = nullptr);
    ~CTagTimeSlider() override;

    // Tags from segments: name under role 32, clipped to the day like the bars.
    void SetTags(const QList<CTimeSegment>& tags);
    void ClearSegments() override;

    void SetMenuRunner(MenuRunner run) { m_runMenu = std::move(run); }
    CTagSeries* Tags() const { return m_tags; }
    int TagKey() const { return m_tagKey; }
    QAction* EditAction() const { return m_edit; }
    QAction* DeleteAction() const { return m_delete; }

signals:
    void SignalDelTag(time_t t);
    void SignalSetTagLable(QString name, time_t t);
    void SignalBeginEditTag();
    void SignalEndEditTag();

public slots:
    void OnSlotSaveTag(QString strTagText);
    void RightMouseResponse(QPoint ptMouse);
    void OnSlotEdit();
    void OnSlotDel();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void CreateExtraSeries() override;
    void ProjectOntoDay() override;

private:
    void ProjectTag(const CTimeSegment& tag);

    QList<CTimeSegment> m_tagSegments;  // every tag given, kept whole
    CTagSeries* m_tags = nullptr;
    QAction* m_edit = nullptr;
    QAction* m_delete = nullptr;
    int m_tagKey = -1;
    MenuRunner m_runMenu;
};
