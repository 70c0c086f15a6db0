#include "playback/PlaybackDownLoad.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QSpacerItem>
#include <QTabWidget>
#include <QTimer>
#include <QtDebug>

#include "app/CommonUtil.h"
#include "app/FreeSpaceCache.h"
#include "engine/PlayBackInteraction.h"
#include "playback/DataDistributionThread.h"
#include "playback/DownloadPeriods.h"
#include "playback/Logging.h"
#include "widgets/CInformationDlg.h"
#include "widgets/CProgress.h"
#include "widgets/CPushButton.h"
#include "widgets/CTableView.h"
#include "widgets/CWarnDlg.h"
#include "widgets/CalendarWidget.h"
#include "widgets/DateTimeEdit.h"

namespace {

const char* const kTabSheet =
    "QTabBar::tab { color: rgb(40,40,40); background: rgb(210,210,210); border: 2px solid rgb(188,188,188);"
    " border-bottom-color: #C2C7CB; border-top-left-radius: 4px; border-top-right-radius: 4px;"
    " min-width: 24ex; padding: 2px; }"
    "QTabBar::tab:selected { background: rgb(227,227,227); border-color: rgb(205,205,205);"
    " border-bottom-color: #C2C7CB; }"
    "QTabBar::tab:!selected { margin-top: 2px; }";

constexpr int kSettingDownloadSavePath = 5;
// Wide enough for "yyyy-MM-dd hh:mm:ss" beside the calendar button.
constexpr int kEditWidth_px = 175;
// The index column holds the header's check box beside "Index".
constexpr int kIndexColumnWidth_px = 75;

}  // namespace

void Ui_CPlaybackDownloadClass::setupUi(QWidget* form)
{
    if (form->objectName().isEmpty())
        form->setObjectName(QStringLiteral("CPlaybackDownloadClass"));
    form->resize(640, 525);
    gridLayout = new QGridLayout(form);
    gridLayout->setObjectName(QStringLiteral("gridLayout"));

    m_pDownloadTabWidget = new QTabWidget(form);
    m_pDownloadTabWidget->setObjectName(QStringLiteral("m_pDownloadTabWidget"));
    m_pDownloadTabWidget->setStyleSheet(QString::fromLatin1(kTabSheet));
    tab = new QWidget();
    tab->setObjectName(QStringLiteral("tab"));
    gridLayout_2 = new QGridLayout(tab);
    gridLayout_2->setObjectName(QStringLiteral("gridLayout_2"));
    gridLayout_2->setContentsMargins(9, 9, 9, 9);
    m_pFileView = new CTableView(tab);
    m_pFileView->setObjectName(QStringLiteral("m_pFileView"));
    gridLayout_2->addWidget(m_pFileView, 0, 0);
    m_pDownloadTabWidget->addTab(tab, QString());

    tab_2 = new QWidget();
    tab_2->setObjectName(QStringLiteral("tab_2"));
    gridLayout_3 = new QGridLayout(tab_2);
    gridLayout_3->setObjectName(QStringLiteral("gridLayout_3"));
    label = new QLabel(tab_2);
    label->setObjectName(QStringLiteral("label"));
    label->setMinimumHeight(24);
    gridLayout_3->addWidget(label, 0, 1);
    label_2 = new QLabel(tab_2);
    label_2->setObjectName(QStringLiteral("label_2"));
    gridLayout_3->addWidget(label_2, 0, 2);

    QCheckBox** boxes[] = {&m_pFirstPeriodCheckBox, &m_pSecondPeriodCheckBox, &m_pThirdPeriodCheckBox,
                           &m_pFourPeriodCheckBox};
    CDateTimeEdit** begins[] = {&m_pFirstBeginTime, &m_pSecondBeginTime, &m_pThirdBeginTime, &m_pFourBeginTime};
    CDateTimeEdit** ends[] = {&m_pFirstEndTime, &m_pSecondEndTime, &m_pThirdEndTime, &m_pFourEndTime};
    QProgressBar** bars[] = {&m_pFirstProgressBar, &m_pSecondProgressBar, &m_pThirdProgressBar, &m_pFourProgressBar};
    const char* const names[] = {"First", "Second", "Third", "Four"};
    for (int k = 0; k < 4; ++k) {
        const QString n = QString::fromLatin1(names[k]);
        QCheckBox* box = new QCheckBox(tab_2);
        box->setObjectName(QStringLiteral("m_p%1PeriodCheckBox").arg(n));
        gridLayout_3->addWidget(box, k + 1, 0);
        CDateTimeEdit* begin = new CDateTimeEdit(tab_2);
        begin->setObjectName(QStringLiteral("m_p%1BeginTime").arg(n));
        begin->setEnabled(false);
        begin->setMinimumHeight(24);
        begin->setMinimumWidth(kEditWidth_px);
        gridLayout_3->addWidget(begin, k + 1, 1);
        CDateTimeEdit* end = new CDateTimeEdit(tab_2);
        end->setObjectName(QStringLiteral("m_p%1EndTime").arg(n));
        end->setEnabled(false);
        end->setMinimumHeight(24);
        end->setMinimumWidth(kEditWidth_px);
        gridLayout_3->addWidget(end, k + 1, 2);
        QProgressBar* bar = new QProgressBar(tab_2);
        bar->setObjectName(QStringLiteral("m_p%1ProgressBar").arg(n));
        bar->setValue(0);
        bar->setTextVisible(false);
        bar->setMaximumHeight(8);
        gridLayout_3->addWidget(bar, k + 1, 3);
        QObject::connect(box, &QCheckBox::toggled, begin, &QWidget::setEnabled);
        QObject::connect(box, &QCheckBox::toggled, end, &QWidget::setEnabled);
        *boxes[k] = box;
        *begins[k] = begin;
        *ends[k] = end;
        *bars[k] = bar;
    }
    gridLayout_3->addItem(new QSpacerItem(40, 20, QSizePolicy::Expanding, QSizePolicy::Minimum), 2, 4, 2, 1);
    gridLayout_3->addItem(new QSpacerItem(20, 40, QSizePolicy::Minimum, QSizePolicy::Expanding), 5, 1);
    m_pDownloadTabWidget->addTab(tab_2, QString());
    gridLayout->addWidget(m_pDownloadTabWidget, 0, 0, 1, 2);

    label_3 = new QLabel(form);
    label_3->setObjectName(QStringLiteral("label_3"));
    label_3->setMinimumHeight(23);
    gridLayout->addWidget(label_3, 1, 0);
    m_pAllFileLabel = new QLabel(form);
    m_pAllFileLabel->setObjectName(QStringLiteral("m_pAllFileLabel"));
    m_pAllFileLabel->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    gridLayout->addWidget(m_pAllFileLabel, 1, 1);
    label_4 = new QLabel(form);
    label_4->setObjectName(QStringLiteral("label_4"));
    label_4->setMinimumHeight(23);
    gridLayout->addWidget(label_4, 2, 0);
    m_pHardSpaceLabel = new QLabel(form);
    m_pHardSpaceLabel->setObjectName(QStringLiteral("m_pHardSpaceLabel"));
    gridLayout->addWidget(m_pHardSpaceLabel, 2, 1);

    horizontalLayout = new QHBoxLayout();
    horizontalLayout->setObjectName(QStringLiteral("horizontalLayout"));
    horizontalLayout->addItem(new QSpacerItem(40, 20, QSizePolicy::Expanding, QSizePolicy::Minimum));
    auto button = [form, this](const char* name) {
        CPushButton* b = new CPushButton(form);
        b->setObjectName(QString::fromLatin1(name));
        b->setMinimumWidth(90);
        horizontalLayout->addWidget(b);
        return b;
    };
    m_pDownloadBtn = button("m_pDownloadBtn");
    m_pStopBtn = button("m_pStopBtn");
    m_pCancelBtn = button("m_pCancelBtn");
    m_pDownloadBtn->setEnabled(false);
    m_pStopBtn->setEnabled(false);
    gridLayout->addLayout(horizontalLayout, 3, 0, 1, 2);

    retranslateUi(form);
    m_pDownloadTabWidget->setCurrentIndex(0);
}

void Ui_CPlaybackDownloadClass::retranslateUi(QWidget* form)
{
    form->setWindowTitle(QCoreApplication::translate("CPlaybackDownloadClass", "Form"));
    m_pDownloadTabWidget->setTabText(m_pDownloadTabWidget->indexOf(tab),
                                     QCoreApplication::translate("CPlaybackDownloadClass", "Download By File"));
    m_pDownloadTabWidget->setTabText(m_pDownloadTabWidget->indexOf(tab_2),
                                     QCoreApplication::translate("CPlaybackDownloadClass", "Download By Time"));
    label->setText(QCoreApplication::translate("CPlaybackDownloadClass", "Start Time"));
    label_2->setText(QCoreApplication::translate("CPlaybackDownloadClass", "End Time"));
    m_pFirstPeriodCheckBox->setText(QCoreApplication::translate("CPlaybackDownloadClass", "Time Period 1"));
    m_pSecondPeriodCheckBox->setText(QCoreApplication::translate("CPlaybackDownloadClass", "Time Period 2"));
    m_pThirdPeriodCheckBox->setText(QCoreApplication::translate("CPlaybackDownloadClass", "Time Period 3"));
    m_pFourPeriodCheckBox->setText(QCoreApplication::translate("CPlaybackDownloadClass", "Time Period 4"));
    label_3->setText(QCoreApplication::translate("CPlaybackDownloadClass", "All selected files size:"));
    label_4->setText(QCoreApplication::translate("CPlaybackDownloadClass", "The remaining disk space size:"));
    m_pDownloadBtn->setText(QCoreApplication::translate("CPlaybackDownloadClass", "DownLoad"));
    m_pStopBtn->setText(QCoreApplication::translate("CPlaybackDownloadClass", "Stop"));
    m_pCancelBtn->setText(QCoreApplication::translate("CPlaybackDownloadClass", "Cancel"));
}

// ------------------------------------------------------------------------------------------

CPlaybackDownLoad::CPlaybackDownLoad(const CDownloadWindowSource& source, int windowIndex, QWidget* parent)
    : CBaseDialog(parent, false, false, false), m_source(source), m_windowIndex(windowIndex)
{
    Init();
}

CPlaybackDownLoad::~CPlaybackDownLoad()
{
    // A job still running ends with the dialog; its last events have no one to go to.
    disconnect(&m_downloader, nullptr, this, nullptr);
    m_pCheckTimer->stop();
    m_downloader.Stop(false);
}

void CPlaybackDownLoad::Init()
{
    m_ui.setupUi(GetContentFrame());
    m_ui.m_pStopBtn->setEnabled(false);
    const QDate today = QDate::currentDate();
    for (int k = 0; k < kPeriodCount; ++k) {
        PeriodBegin(k)->setDateTime(today.startOfDay());
        PeriodEnd(k)->setDateTime(QDateTime(today, QTime(23, 59, 59)));
    }
    m_pCheckTimer = new QTimer(this);
    m_pCheckTimer->setInterval(kCheck_ms);
    connect(m_pCheckTimer, &QTimer::timeout, this, &CPlaybackDownLoad::OnDownLoadCheck);
    // The free space is read on the cache's worker: its answer updates the label when it comes.
    connect(
        CFreeSpaceCache::Instance(), &CFreeSpaceCache::Answered, this,
        [this](const QString& folder) {
            if (folder == CCommonUtil::GetOutputSavePath(kSettingDownloadSavePath))
                ShowFreeSpace(CFreeSpaceCache::Instance()->Peek(folder));
        },
        Qt::QueuedConnection);
    ShowCloseBtn(true);
    resize(650, 640);
    connect(m_ui.m_pDownloadBtn, &QPushButton::clicked, this, &CPlaybackDownLoad::OnDownLoad);
    connect(m_ui.m_pStopBtn, &QPushButton::clicked, this, &CPlaybackDownLoad::OnStopDonload);
    connect(m_ui.m_pCancelBtn, &QPushButton::clicked, this, &QWidget::close);

    m_pFileModel = new CStandardItemModel(m_ui.m_pFileView);
    m_pFileModel->insertColumns(0, CDataDistributionThread::kColumnCount);
    m_pFileModel->setHorizontalHeaderLabels({tr("Index"), tr("Start Time"), tr("End Time"), tr("Size"), tr("Status")});
    m_pFileModel->setHeaderData(0, Qt::Horizontal, Qt::Unchecked, Qt::CheckStateRole);
    m_ui.m_pFileView->setModel(m_pFileModel);
    m_ui.m_pFileView->setColumnWidth(0, kIndexColumnWidth_px);
    m_ui.m_pFileView->setColumnWidth(1, 160);
    m_ui.m_pFileView->setColumnWidth(2, 160);
    m_ui.m_pFileView->setColumnWidth(4, 160);

    connect(m_pFileModel, &QStandardItemModel::itemChanged, this, &CPlaybackDownLoad::OnSelectFileSizeChanged);
    for (int k = 0; k < kPeriodCount; ++k) {
        connect(PeriodBox(k), &QCheckBox::stateChanged, this, &CPlaybackDownLoad::OnSelectFileSizeChanged);
        connect(PeriodBegin(k), &QDateTimeEdit::dateTimeChanged, this, &CPlaybackDownLoad::OnSelectFileSizeChanged);
        connect(PeriodEnd(k), &QDateTimeEdit::dateTimeChanged, this, &CPlaybackDownLoad::OnSelectFileSizeChanged);
    }
    // Every signal of the downloader leaves from its own thread: they arrive queued, in order.
    connect(&m_downloader, &Varpen::CStreamDownloader::DownloadSignal, this, &CPlaybackDownLoad::OnPlaybackRemoteEvent);
    connect(&m_downloader, &Varpen::CStreamDownloader::DownloadFiles, this, &CPlaybackDownLoad::OnGetFiles);
    OnSelectFileSizeChanged();
}

QCheckBox* CPlaybackDownLoad::PeriodBox(int k) const
{
    QCheckBox* const boxes[] = {m_ui.m_pFirstPeriodCheckBox, m_ui.m_pSecondPeriodCheckBox, m_ui.m_pThirdPeriodCheckBox,
                                m_ui.m_pFourPeriodCheckBox};
    return boxes[k];
}
CDateTimeEdit* CPlaybackDownLoad::PeriodBegin(int k) const
{
    CDateTimeEdit* const edits[] = {m_ui.m_pFirstBeginTime, m_ui.m_pSecondBeginTime, m_ui.m_pThirdBeginTime,
                                    m_ui.m_pFourBeginTime};
    return edits[k];
}
CDateTimeEdit* CPlaybackDownLoad::PeriodEnd(int k) const
{
    CDateTimeEdit* const edits[] = {m_ui.m_pFirstEndTime, m_ui.m_pSecondEndTime, m_ui.m_pThirdEndTime,
                                    m_ui.m_pFourEndTime};
    return edits[k];
}
QProgressBar* CPlaybackDownLoad::PeriodBar(int k) const
{
    QProgressBar* const bars[] = {m_ui.m_pFirstProgressBar, m_ui.m_pSecondProgressBar, m_ui.m_pThirdProgressBar,
                                  m_ui.m_pFourProgressBar};
    return bars[k];
}

time_t CPlaybackDownLoad::ToTime(const QDateTime& t)
{
    return time_t(t.toSecsSinceEpoch());
}

CPlayBackInteraction* CPlaybackDownLoad::Engine() const
{
    return m_source.engine ? m_source.engine(m_windowIndex) : nullptr;
}

void CPlaybackDownLoad::SetTitle(const QString& name)
{
    m_windowName = name;
    CBaseDialog::SetTitle(tr("Files download") + "(" + name + ")");
}

void CPlaybackDownLoad::FillFileList()
{
    CheckDiskSpace();
    if (!m_refill)
        return;
    ClearFileTable();
    m_pFileModel->setHeaderData(0, Qt::Horizontal, Qt::Unchecked, Qt::CheckStateRole);
    m_tableFiles.clear();
    // A window that no search has bound yet has nothing to list: the show after its first
    // search builds the table.
    if (!Engine())
        return;
    m_refill = false;
    m_tableFiles = m_source.files ? m_source.files(m_windowIndex) : Varpen::SingleFileList();
    CProgress progress(this);
    CDataDistributionThread feeder(m_tableFiles, this);
    connect(&feeder, &CDataDistributionThread::SignalProgressChanged, &progress,
            qOverload<int, int>(&CProgress::OnProgressChanged), Qt::QueuedConnection);
    connect(this, &CPlaybackDownLoad::SignalFinishedRev, &feeder, &CDataDistributionThread::OnStartNow);
    connect(&feeder, &CDataDistributionThread::SendFinished, &progress, &CProgress::OnConfirmBtnClicked);
    connect(&feeder, &CDataDistributionThread::SignalSendItems, this, &CPlaybackDownLoad::OnRevItems);
    feeder.Start();
    progress.exec();
    OnUpdateDownloadBtnState();
    // The feeder goes first: its destructor lets the worker send what is left and joins it.
}

void CPlaybackDownLoad::OnRevItems(const QList<QStandardItem*>& listItems)
{
    m_pFileModel->appendRow(listItems);
    emit SignalFinishedRev();
}

void CPlaybackDownLoad::ClearFileTable()
{
    m_jobStatusItems.clear();
    m_pFileModel->removeRows(0, m_pFileModel->rowCount());
}

void CPlaybackDownLoad::ResetPeriods()
{
    m_refill = true;
    ResetProgress();
    const QDateTime now = QDateTime::currentDateTime();
    for (int k = 0; k < kPeriodCount; ++k) {
        PeriodBox(k)->setChecked(false);
        PeriodBegin(k)->setDateTime(now);
        PeriodEnd(k)->setDateTime(QDateTime(now.date(), QTime(23, 59, 59)));
    }
}

bool CPlaybackDownLoad::IsRowChecked(int row) const
{
    const QStandardItem* item = m_pFileModel->item(row, 0);
    return item && item->checkState() != Qt::Unchecked;
}

bool CPlaybackDownLoad::IsHeaderChecked() const
{
    for (int r = 0; r < m_pFileModel->rowCount(); ++r)
        if (IsRowChecked(r))
            return true;
    return false;
}

bool CPlaybackDownLoad::IsAnyPeriodChecked() const
{
    for (int k = 0; k < kPeriodCount; ++k)
        if (PeriodBox(k)->isChecked())
            return true;
    return false;
}

bool CPlaybackDownLoad::IsAnythingSelected() const
{
    return IsHeaderChecked() || IsAnyPeriodChecked();
}

quint64 CPlaybackDownLoad::SumCheckedFileSizes() const
{
    quint64 total = 0;
    for (int r = 0; r < m_pFileModel->rowCount(); ++r)
        if (IsRowChecked(r))
            total += m_pFileModel->item(r, 0)->data(CDataDistributionThread::kSizeRole).toULongLong();
    return total;
}

quint64 CPlaybackDownLoad::SumCheckedPeriodSizes() const
{
    CPlayBackInteraction* engine = Engine();
    if (!engine)
        return 0;
    quint64 total = 0;
    for (int k = 0; k < kPeriodCount; ++k)
        if (PeriodBox(k)->isChecked())
            total += engine->GetDataSizeByTime(ToTime(PeriodBegin(k)->dateTime()), ToTime(PeriodEnd(k)->dateTime()));
    return total;
}

void CPlaybackDownLoad::OnSelectFileSizeChanged()
{
    m_ui.m_pAllFileLabel->setText(CCommonUtil::FormatSize(SumCheckedFileSizes() + SumCheckedPeriodSizes()));
    OnUpdateDownloadBtnState();
}

void CPlaybackDownLoad::OnUpdateDownloadBtnState()
{
    if (!Engine())
        return;
    m_ui.m_pDownloadBtn->setEnabled(!m_jobRunning && !m_downloader.IsBusy());
}

int CPlaybackDownLoad::CheckDiskSpace()
{
    // From the free-space cache: the GUI never waits for the folder's disk.
    return ShowFreeSpace(CFreeSpaceCache::Instance()->Read(CCommonUtil::GetOutputSavePath(kSettingDownloadSavePath)));
}

int CPlaybackDownLoad::ShowFreeSpace(const CFreeSpaceCache::Reading& reading)
{
    if (!reading.known) {
        // Not read yet (a slow disk): the label waits for the answer, and a start goes ahead: the
        // downloader checks the folder on its own thread before it writes.
        return kSpaceEnough;
    }
    if (!reading.ok) {
        // Unknown free space is too little: nothing is started on a folder that cannot be asked.
        m_ui.m_pHardSpaceLabel->setText(tr("Unknown"));
        return kSpaceLow;
    }
    m_ui.m_pHardSpaceLabel->setText(CCommonUtil::FormatSize(reading.freeBytes));
    return reading.freeBytes < kMinFree_bytes ? kSpaceLow : kSpaceEnough;
}

void CPlaybackDownLoad::OnDownLoad()
{
    if (CheckDiskSpace() == kSpaceLow) {
        CInformationDlg::ShowInformation(tr("Disk space is too low"), this, false);
        return;
    }
    if (!Engine() || m_jobRunning || m_downloader.IsBusy())
        return;
    emit SignalBeginDownLoad();
    ResetProgress();
    if (!CheckPeriods())
        return;
    m_downloader.SetUseIndex(m_useIndex);
    StartNextDownload();
}

bool CPlaybackDownLoad::CheckPeriods()
{
    QList<DownloadPeriod> ticked;
    for (int k = 0; k < kPeriodCount; ++k)
        if (PeriodBox(k)->isChecked())
            ticked << DownloadPeriod{k + 1, PeriodBegin(k)->dateTime(), PeriodEnd(k)->dateTime()};
    const PeriodCheckResult r = CheckDownloadPeriods(ticked);
    if (r.kind == PeriodCheckResult::EndNotAfterBegin) {
        CInformationDlg::ShowInformation(tr("The segment") + QStringLiteral(" %1 ").arg(r.number) +
                                             tr("the start time should be earlier than end time."),
                                         this, false);
        return false;
    }
    if (r.kind == PeriodCheckResult::Cross) {
        CInformationDlg::ShowInformation(tr("The time cross."), this, false);
        return false;
    }
    return true;
}

void CPlaybackDownLoad::StartNextDownload()
{
    if (IsHeaderChecked())
        DownloadByFile();
    else if (IsAnyPeriodChecked())
        DownloadByTime();
}

void CPlaybackDownLoad::StartAccepted(const QString& what)
{
    m_startWhat = what;
    m_jobRunning = true;
    m_pCheckTimer->start();
    // The downloader opens the first recording on its own thread; the row says so meanwhile,
    // and the operator may stop it already.
    if (m_mode == JobMode::ByFile)
        SetStatus(0, tr("Starting"));
    SetBusyState(true);
    OnUpdateDownloadBtnState();
}

void CPlaybackDownLoad::StartFailed(const QString& what)
{
    OnUpdateDownloadBtnState();
    QString text = tr("Download could not be started.") + QLatin1Char(' ') + what;
    const QString reason = QString::fromStdString(m_downloader.GetLastError());
    if (!reason.isEmpty())
        text += QStringLiteral("\n") + reason;
    CWarnDlg::ShowWarn(tr("Error"), text, this);
}

void CPlaybackDownLoad::DownloadByFile()
{
    m_mode = JobMode::ByFile;
    m_jobStatusItems.clear();
    Varpen::SingleFileList files;
    for (int r = 0; r < m_pFileModel->rowCount(); ++r) {
        if (!IsRowChecked(r))
            continue;
        // The row names its file by its position in the list the table was filled from.
        const int position = m_pFileModel->item(r, 0)->data(CDataDistributionThread::kPositionRole).toInt();
        if (position < 0 || position >= int(m_tableFiles.size()))
            continue;
        files.push_back(m_tableFiles[size_t(position)]);
        m_jobStatusItems << m_pFileModel->item(r, CDataDistributionThread::kStatusColumn);
    }
    CPlayBackInteraction* engine = Engine();
    if (!engine || files.empty())
        return;
    auto param = std::make_unique<Varpen::CStreamDownloaderParam>(engine->GetChannel().GetNumber());
    m_downloader.SetUseIndex(m_useIndex);
    if (m_downloader.SetTask(param) && m_downloader.StartByFile(files, {}, {})) {
        StartAccepted(tr("(%n file(s))", nullptr, int(files.size())));
        return;
    }
    m_jobStatusItems.clear();
    StartFailed(tr("(%n file(s))", nullptr, int(files.size())));
}

void CPlaybackDownLoad::DownloadByTime()
{
    CPlayBackInteraction* engine = Engine();
    if (!engine)
        return;
    OnStopDonload();
    m_mode = JobMode::ByTime;
    m_jobStatusItems.clear();
    m_downloader.SetUseIndex(m_useIndex);
    const Varpen::SingleFileList windowFiles =
        m_source.files ? m_source.files(m_windowIndex) : Varpen::SingleFileList();
    for (int k = 0; k < kPeriodCount; ++k) {
        if (!PeriodBox(k)->isChecked())
            continue;
        const time_t begin = ToTime(PeriodBegin(k)->dateTime());
        const time_t end = ToTime(PeriodEnd(k)->dateTime());
        if (!PeriodHasFiles(windowFiles, begin, end)) {
            PeriodBox(k)->setChecked(false);
            continue;
        }
        auto param = std::make_unique<Varpen::CStreamDownloaderParam>(engine->GetChannel().GetNumber());
        if (m_downloader.SetTask(param) && m_downloader.StartByTime(engine->GetFileList(), begin, end)) {
            StartAccepted(PeriodBox(k)->text());
        } else {
            StartFailed(PeriodBox(k)->text());
        }
        return;
    }
}

void CPlaybackDownLoad::SetBusyState(bool busy)
{
    m_ui.m_pFileView->setEnabled(!busy);
    for (int k = 0; k < kPeriodCount; ++k) {
        PeriodBox(k)->setEnabled(!busy);
        PeriodBegin(k)->setEnabled(!busy && PeriodBox(k)->isChecked());
        PeriodEnd(k)->setEnabled(!busy && PeriodBox(k)->isChecked());
    }
    m_ui.m_pStopBtn->setEnabled(busy);
}

void CPlaybackDownLoad::ResetProgress()
{
    for (int k = 0; k < kPeriodCount; ++k)
        PeriodBar(k)->setValue(0);
}

void CPlaybackDownLoad::OnDownLoadCheck()
{
    OnProgressPos(-1);
    CheckDiskSpace();
}

void CPlaybackDownLoad::OnProgressPos(int pos)
{
    qCDebug(lcPlayback, "===pld=== uPos=%d", pos);
    if (m_mode != JobMode::ByTime)
        return;
    int value = pos;
    if (pos == -1) {
        // The job's progress, from the downloader that runs it.
        if (!m_downloader.IsBusy())
            return;
        value = m_downloader.GetProgress();
    }
    for (int k = 0; k < kPeriodCount; ++k) {
        if (PeriodBox(k)->isChecked()) {
            PeriodBar(k)->setValue(value);
            if (k == 0)
                qCDebug(lcPlayback, "===pld=== iValue=%d", value);
            return;
        }
    }
}

void CPlaybackDownLoad::SetStatus(int position, const QString& text)
{
    if (position >= 0 && position < m_jobStatusItems.size())
        m_jobStatusItems[position]->setText(text);
}

void CPlaybackDownLoad::EndJob()
{
    m_pCheckTimer->stop();
    m_jobRunning = false;
    SetBusyState(false);
    OnUpdateDownloadBtnState();
}

void CPlaybackDownLoad::OnPlaybackRemoteEvent(int code, int index, int count)
{
    const bool valid = index != -1 && index >= 0 && index < m_jobStatusItems.size();
    switch (Varpen::DownloadEvent(code)) {
    case Varpen::DownloadEvent::Started:
        SetBusyState(true);
        OnUpdateDownloadBtnState();
        m_ui.m_pDownloadBtn->setEnabled(false);
        break;
    case Varpen::DownloadEvent::Stopped:
        EndJob();
        if (m_mode == JobMode::ByFile) {
            if (!valid)
                break;
            SetStatus(index, tr("Manual Stop"));
        }
        // A stopped period keeps the progress its bar had reached.
        CInformationDlg::ShowInformation(m_lastFileName, this, true);
        OnUpdateDownloadBtnState();
        break;
    case Varpen::DownloadEvent::Complete:
        EndJob();
        if (m_mode == JobMode::ByTime) {
            OnProgressPos(100);
            for (int k = 0; k < kPeriodCount; ++k) {
                if (PeriodBox(k)->isChecked()) {
                    PeriodBox(k)->setChecked(false);
                    break;
                }
            }
        }
        if (IsAnythingSelected()) {
            StartNextDownload();
            if (m_jobRunning)
                break;
        }
        if (!m_lastFileName.isEmpty())
            CInformationDlg::ShowInformation(m_lastFileName, this, true);
        OnUpdateDownloadBtnState();
        break;
    case Varpen::DownloadEvent::Failed:
        EndJob();
        CWarnDlg::ShowWarn(tr("Error"), tr("DownLoad Exception."), this);
        if (m_mode == JobMode::ByFile && valid)
            SetStatus(index, tr("Download Exception"));
        OnUpdateDownloadBtnState();
        break;
    case Varpen::DownloadEvent::NextFile:
        if (m_mode == JobMode::ByFile) {
            if (index + 1 < 0 || index + 1 >= m_jobStatusItems.size())
                break;
            SetStatus(index + 1, tr("Downloading"));
        }
        m_ui.m_pDownloadBtn->setEnabled(false);
        break;
    case Varpen::DownloadEvent::FileClosed:
        if (m_mode != JobMode::ByFile || !valid)
            break;
        SetStatus(index, tr("Download Completed"));
        if (QStandardItem* box = m_pFileModel->item(m_jobStatusItems[index]->row(), 0))
            box->setCheckState(Qt::Unchecked);
        CInformationDlg::ShowInformation(m_lastFileName, this, true);
        break;
    case Varpen::DownloadEvent::StartFailed: {
        // The start was accepted but its first recording gave nothing: said once, with why.
        EndJob();
        const QString reason = QString::fromStdString(m_downloader.GetLastError());
        if (m_mode == JobMode::ByFile && !m_jobStatusItems.isEmpty()) {
            SetStatus(0, tr("Download Exception"));
            m_jobStatusItems[0]->setToolTip(reason);
        }
        m_jobStatusItems.clear();
        StartFailed(m_startWhat);
        break;
    }
    case Varpen::DownloadEvent::DiskFull:
        EndJob();
        CWarnDlg::ShowWarn(tr("Error"), tr("Disk space is not enough. At least 2G disk space is need."), this);
        if (m_mode == JobMode::ByFile && valid)
            SetStatus(index, tr("Download Exception"));
        OnUpdateDownloadBtnState();
        break;
    default:
        break;
    }
    Q_UNUSED(count);
}

void CPlaybackDownLoad::OnGetFiles(QString name)
{
    m_lastFileName = name;
}

void CPlaybackDownLoad::OnStopDonload()
{
    if (!Engine())
        return;
    m_downloader.Stop(false);
    m_pCheckTimer->stop();
}
