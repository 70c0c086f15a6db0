// The download dialog of one play window: the window's found files in a table ("Download By
// File") and up to four time periods ("Download By Time"), downloaded to ".mp4" files under the
// download folder by the dialog's own downloader, one job at a time; a job that finishes starts
// the next ticked item. A start returns at once: the rows show "Starting" until the downloader
// reports the job started or failed. Busy state and progress come from that downloader.
#pragma once

#include <QList>
#include <QString>

#include <ctime>
#include <functional>

#include "app/FreeSpaceCache.h"
#include "engine/Records.h"
#include "engine/StreamDownloader.h"
#include "widgets/CBaseDialog.h"

class CDateTimeEdit;
class CPlayBackInteraction;
class CPushButton;
class CStandardItemModel;
class CTableView;
class QCheckBox;
class QGridLayout;
class QHBoxLayout;
class QLabel;
class QProgressBar;
class QSpacerItem;
class QStandardItem;
class QTabWidget;
class QTimer;

struct Ui_CPlaybackDownloadClass {
    QGridLayout* gridLayout = nullptr;
    QTabWidget* m_pDownloadTabWidget = nullptr;
    QWidget* tab = nullptr;
    QGridLayout* gridLayout_2 = nullptr;
    CTableView* m_pFileView = nullptr;
    QWidget* tab_2 = nullptr;
    QGridLayout* gridLayout_3 = nullptr;
    QLabel* label = nullptr;
    QLabel* label_2 = nullptr;
    QCheckBox* m_pFirstPeriodCheckBox = nullptr;
    QCheckBox* m_pSecondPeriodCheckBox = nullptr;
    QCheckBox* m_pThirdPeriodCheckBox = nullptr;
    QCheckBox* m_pFourPeriodCheckBox = nullptr;
    CDateTimeEdit* m_pFirstBeginTime = nullptr;
    CDateTimeEdit* m_pFirstEndTime = nullptr;
    CDateTimeEdit* m_pSecondBeginTime = nullptr;
    CDateTimeEdit* m_pSecondEndTime = nullptr;
    CDateTimeEdit* m_pThirdBeginTime = nullptr;
    CDateTimeEdit* m_pThirdEndTime = nullptr;
    CDateTimeEdit* m_pFourBeginTime = nullptr;
    CDateTimeEdit* m_pFourEndTime = nullptr;
    QProgressBar* m_pFirstProgressBar = nullptr;
    QProgressBar* m_pSecondProgressBar = nullptr;
    QProgressBar* m_pThirdProgressBar = nullptr;
    QProgressBar* m_pFourProgressBar = nullptr;
    QLabel* label_3 = nullptr;
    QLabel* m_pAllFileLabel = nullptr;
    QLabel* label_4 = nullptr;
    QLabel* m_pHardSpaceLabel = nullptr;
    QHBoxLayout* horizontalLayout = nullptr;
    CPushButton* m_pDownloadBtn = nullptr;
    CPushButton* m_pStopBtn = nullptr;
    CPushButton* m_pCancelBtn = nullptr;

    void setupUi(QWidget* form);
    void retranslateUi(QWidget* form);
};

// What the dialog reads of its play window through the playback page: the window's engine
// (null while the page holds none for it) and the files its last search found, in time order.
struct CDownloadWindowSource {
    std::function<CPlayBackInteraction*(int window)> engine;
    std::function<Varpen::SingleFileList(int window)> files;
};

class CPlaybackDownLoad : public CBaseDialog {
    Q_OBJECT
public:
    static constexpr int kCheck_ms = 1000;
    static constexpr quint64 kMinFree_bytes = 2ull * 1024 * 1024 * 1024;
    static constexpr int kPeriodCount = 4;

    CPlaybackDownLoad(const CDownloadWindowSource& source, int windowIndex, QWidget* parent = nullptr);
    ~CPlaybackDownLoad() override;

    void SetTitle(const QString& name);
    void SetDownloadFlag(bool useIndex) { m_useIndex = useIndex; }
    // Refreshes the free space and, on the first show with the window bound and after a reset,
    // rebuilds the table.
    void FillFileList();
    // The play window was reset: the next show rebuilds the table; periods cleared.
    void ResetPeriods();
    void ClearFileTable();

    // kSpaceLow when the download folder has less than 2 GiB free (or its free space cannot be
    // asked), else kSpaceEnough.
    // Read from the free-space cache: a folder not read yet counts as enough (the downloader
    // checks it again on its own thread) and its label fills in when the answer comes.
    int CheckDiskSpace();
    static constexpr int kSpaceEnough = 0;
    static constexpr int kSpaceLow = 1;

    // For tests and the gallery.
    Ui_CPlaybackDownloadClass& Form() { return m_ui; }
    CStandardItemModel* FileModel() const { return m_pFileModel; }
    Varpen::CStreamDownloader& Downloader() { return m_downloader; }
    QCheckBox* PeriodBox(int k) const;  // k = 0..3
    CDateTimeEdit* PeriodBegin(int k) const;
    CDateTimeEdit* PeriodEnd(int k) const;
    QProgressBar* PeriodBar(int k) const;
    bool IsJobRunning() const { return m_jobRunning; }
    // The kind of the running (or last) job, as a number: 0 by file, 1 by time.
    int Mode() const { return int(m_mode); }

signals:
    void SignalFinishedRev();
    void SignalBeginDownLoad();

public slots:
    void OnDownLoad();
    void OnStopDonload();
    void OnDownLoadCheck();
    void OnPlaybackRemoteEvent(int code, int index, int count);
    void OnGetFiles(QString name);
    void OnRevItems(const QList<QStandardItem*>& listItems);
    void OnUpdateDownloadBtnState();
    void OnSelectFileSizeChanged();

private:
    // Shows a reading in the free-space label; CheckDiskSpace's result for it.
    int ShowFreeSpace(const CFreeSpaceCache::Reading& reading);
    void Init();
    CPlayBackInteraction* Engine() const;
    bool IsHeaderChecked() const;
    bool IsRowChecked(int row) const;
    bool IsAnyPeriodChecked() const;
    bool IsAnythingSelected() const;
    quint64 SumCheckedFileSizes() const;
    quint64 SumCheckedPeriodSizes() const;
    bool CheckPeriods();
    void StartNextDownload();
    void DownloadByFile();
    void DownloadByTime();
    void SetBusyState(bool busy);
    void ResetProgress();
    void OnProgressPos(int pos);
    void SetStatus(int position, const QString& text);
    void EndJob();
    // A start the downloader took: the job runs; `what` names it if its start fails later.
    void StartAccepted(const QString& what);
    void StartFailed(const QString& what);
    static time_t ToTime(const QDateTime& t);

    Ui_CPlaybackDownloadClass m_ui;
    CDownloadWindowSource m_source;
    int m_windowIndex = -1;
    CStandardItemModel* m_pFileModel = nullptr;
    QList<QStandardItem*> m_jobStatusItems;
    QString m_lastFileName;
    bool m_useIndex = false;
    QTimer* m_pCheckTimer = nullptr;
    QString m_windowName;
    Varpen::SingleFileList m_tableFiles;  // the files the table rows stand for, by position
    bool m_refill = true;
    enum class JobMode : int { ByFile = 0, ByTime = 1 };
    JobMode m_mode = JobMode::ByFile;
    bool m_jobRunning = false;  // from an accepted start until the job's end event
    QString m_startWhat;        // the running job's name in a failed start's message
    Varpen::CStreamDownloader m_downloader;
};
