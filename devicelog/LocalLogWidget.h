// The "View Log" page: a disk, a major and a minor type and a time window of at most 30 days;
// the device logs found on the disk fill a 12-column list in batches; the list exports to XML.
#pragma once

#include "app/ShutdownStep.h"
#include "devicelog/LogSearch.h"
#include "widgets/CProgress.h"  // ProgressInfo

#include <QElapsedTimer>
#include <QEvent>
#include <QList>
#include <QTimer>
#include <QWidget>

#include <memory>

class QComboBox;
class QGridLayout;
class QLabel;
class CDateTimeEdit;
class CDiskTreeBox;
class CLogListModel;
class CLogWriteThread;
class CPushButton;
class CTableView;

// One batch of rows re-posted to the page. A batch that is never taken (a cancelled query, a page
// that goes) goes with the event.
class LocalLogEvent : public QEvent {
public:
    static QEvent::Type EventType();

    LocalLogEvent(const LogBatch& rows, int current, int total, int queryId);
    ~LocalLogEvent() override;

    LogBatch TakeRows();
    int Size() const { return m_rows ? int(m_rows->rows.size()) : 0; }
    void GetProgress(int& current, int& total) const;
    int QueryId() const { return m_queryId; }

private:
    LogBatch m_rows;
    int m_current;
    int m_total;
    int m_queryId;
};

namespace Ui {
struct CLogWidgetClass {
    QGridLayout* gridLayout_3 = nullptr;
    QLabel* m_pLabelDisk = nullptr;
    CDiskTreeBox* m_pDiskcomboBox = nullptr;
    QLabel* label_18 = nullptr;
    QComboBox* m_pMainTypecomboBox = nullptr;
    QLabel* label_210 = nullptr;
    QComboBox* m_pMinorTypecomboBox = nullptr;
    QLabel* label_209 = nullptr;
    CDateTimeEdit* m_pLogStartDateTimeEdit = nullptr;
    QLabel* label_211 = nullptr;
    CDateTimeEdit* m_pLogStopDateTimeEdit = nullptr;
    CPushButton* m_pLogSearchBtn = nullptr;
    QLabel* label_2 = nullptr;
    CPushButton* m_pBackupBtn = nullptr;
    CTableView* m_pLogTreeView = nullptr;
    void setupUi(QWidget* page);
    void retranslateUi(QWidget* page);
};
}  // namespace Ui

class CLocalLogWidget : public QWidget {
    Q_OBJECT
public:
    // A query's rows beyond this many bring the notice (once per query).
    static constexpr int kRowNotice = 2000;
    // Batches taken within this time after the list last grew are shown together: a list of many
    // thousand rows is laid out and painted a few times a second, not once per batch (a list that
    // takes long to lay out, less often still).
    static constexpr int kShowEvery_ms = 50;

    explicit CLocalLogWidget(QWidget* parent = nullptr);
    // Stops the searches and the export and joins them.
    ~CLocalLogWidget() override;

    // Tells the search and the export to stop without waiting: the main window calls it on every
    // page before it destroys them, so that the joins of the destructors overlap.
    void StopWorkers();
    // One short piece of the page's shut-down, for a close that must not hold the GUI thread: the
    // workers are told to stop, their ends awaited (Wait while one runs, unless `may_wait`: then
    // it is joined here), and the listed rows let go on a thread of their own (a million of them
    // take a while to free). Done once only the page itself is left to delete; the destructor runs
    // what is left of it.
    Varpen::ShutdownStep ShutdownPiece(bool may_wait = false);

    const Ui::CLogWidgetClass& Form() const { return m_ui; }
    // The search of the next (or running) query; a cancelled one is replaced by a new object.
    CLogSearch* Search() const { return m_search.get(); }
    CLogListModel* ListModel() const { return m_model; }
    // Cancelled searches handed to the reaper that have not ended yet (they end at their next
    // check).
    int RetiredWorkers() const;
    bool HasNoRows() const { return m_noRows; }
    // The notice of a query cut after `listed` records, and the export's result for a list of
    // `written` rows taken from such a query.
    static QString CutNotice(int listed);
    static QString CutBackupResult(int written);

signals:
    void SetProgressChanged(ProgressInfo info);
    void StopChase();

public slots:
    void InitFrame();
    void QueryLocalLog();
    void MainTypeChange();
    void OnCancelFindLog();
    void OnSetLogInfoToView(LogBatch listItems, int iCurrent, int iTotal, int queryId);
    void OnSetLogInfoNullToView();
    void OnSetLogInfoErrorToView(int error);
    void OnBackupClicked();
    void OnBackUp(const QString& strXmlName);
    void OnWriteOver(int code);

protected:
    void customEvent(QEvent* event) override;

private:
    // The path the search opens for the current disk box entry; empty without one.
    QString CurrentDiskPath() const;
    // Appends the batches taken since the list last grew, and shows the last row.
    void ShowTakenRows();
    // A new search object; the reports of the ones before it are not taken any more.
    void NewSearch();

    Ui::CLogWidgetClass m_ui;
    CLogListModel* m_model = nullptr;  // the list's model, owned by the list
    std::unique_ptr<CLogSearch> m_search;
    unsigned m_searchSerial = 0;                // the search object whose reports the page takes
    std::unique_ptr<CLogWriteThread> m_writer;  // the running export, if any
    QList<LogBatch> m_taken;                    // batches taken, not yet in the list
    QElapsedTimer m_lastShown;                  // since the list last grew in this query
    qint64 m_showEvery_ms = kShowEvery_ms;      // the time between two growths of the list
    QTimer m_showTimer;                         // shows taken batches when no further batch comes
    bool m_noRows = true;
    int m_rowCount = 0;          // rows appended in the running query
    bool m_noticeShown = false;  // the 2000-row notice of the running query
    bool m_listCut = false;      // the running (or last) query was cut at the search's limit
    int m_queryId = -1;          // the query whose batches the list takes
    enum class Shutdown { Begin, Workers, Rows, Done };
    Shutdown m_shutdown = Shutdown::Begin;  // how far the shut-down is
};
