#include "devicelog/LocalLogWidget.h"

#include "app/WorkerReaper.h"
#include "devicelog/LogBackup.h"
#include "devicelog/LogChoices.h"
#include "devicelog/LogListModel.h"
#include "devicelog/LogRecordText.h"
#include "devicelog/LogWriteThread.h"
#include "widgets/CDiskTreeBox.h"
#include "widgets/CInformationDlg.h"
#include "widgets/CPushButton.h"
#include "widgets/CTableView.h"
#include "widgets/CWarnDlg.h"
#include "widgets/CalendarWidget.h"
#include "widgets/DateTimeEdit.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QPointer>
#include <QSpacerItem>
#include <QVBoxLayout>

#include <algorithm>

// ---------------------------------------------------------------------------------------------

QEvent::Type LocalLogEvent::EventType()
{
    static const QEvent::Type type = QEvent::Type(QEvent::registerEventType());
    return type;
}

LocalLogEvent::LocalLogEvent(const LogBatch& rows, int current, int total, int queryId)
    : QEvent(EventType()), m_rows(rows), m_current(current), m_total(total), m_queryId(queryId)
{
}

LocalLogEvent::~LocalLogEvent() = default;

LogBatch LocalLogEvent::TakeRows()
{
    return std::exchange(m_rows, nullptr);
}

void LocalLogEvent::GetProgress(int& current, int& total) const
{
    current = m_current;
    total = m_total;
}

// ---------------------------------------------------------------------------------------------

namespace {

QHBoxLayout* Cell(QWidget* page, QLabel*& label, const char* labelName, QWidget* field, const char* fieldName)
{
    auto* row = new QHBoxLayout();
    row->setSpacing(6);
    label = new QLabel(page);
    label->setObjectName(QLatin1String(labelName));
    field->setObjectName(QLatin1String(fieldName));
    row->addWidget(label);
    row->addWidget(field);
    row->addItem(new QSpacerItem(40, 20, QSizePolicy::Expanding, QSizePolicy::Minimum));
    return row;
}

void SizeTypeCell(QLabel* label, QWidget* field)
{
    label->setMinimumWidth(100);
    label->setMaximumWidth(110);
    field->setMinimumWidth(145);
    field->setMaximumWidth(145);
}

}  // namespace

void Ui::CLogWidgetClass::setupUi(QWidget* page)
{
    page->setObjectName(QStringLiteral("CLogWidgetClass"));
    page->resize(1006, 678);
    page->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    // The page paints its own background (a plain widget does not without this).
    page->setAttribute(Qt::WA_StyledBackground, true);

    gridLayout_3 = new QGridLayout(page);
    gridLayout_3->setObjectName(QStringLiteral("gridLayout_3"));
    gridLayout_3->setSpacing(6);
    gridLayout_3->setContentsMargins(11, 11, 11, 11);

    auto* grid = new QGridLayout();
    grid->setObjectName(QStringLiteral("gridLayout"));
    m_pDiskcomboBox = new CDiskTreeBox(page);
    grid->addLayout(Cell(page, m_pLabelDisk, "m_pLabelDisk", m_pDiskcomboBox, "m_pDiskcomboBox"), 0, 0);
    m_pLabelDisk->setMinimumWidth(100);
    m_pLabelDisk->setMaximumHeight(30);
    m_pDiskcomboBox->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    m_pDiskcomboBox->setMinimumWidth(145);

    m_pMainTypecomboBox = new QComboBox(page);
    grid->addLayout(Cell(page, label_18, "label_18", m_pMainTypecomboBox, "m_pMainTypecomboBox"), 0, 1);
    SizeTypeCell(label_18, m_pMainTypecomboBox);
    m_pMinorTypecomboBox = new QComboBox(page);
    grid->addLayout(Cell(page, label_210, "label_210", m_pMinorTypecomboBox, "m_pMinorTypecomboBox"), 0, 2);
    SizeTypeCell(label_210, m_pMinorTypecomboBox);
    grid->addLayout(new QHBoxLayout(), 1, 0);
    m_pLogStartDateTimeEdit = new CDateTimeEdit(page);
    grid->addLayout(Cell(page, label_209, "label_209", m_pLogStartDateTimeEdit, "m_pLogStartDateTimeEdit"), 1, 1);
    SizeTypeCell(label_209, m_pLogStartDateTimeEdit);
    m_pLogStopDateTimeEdit = new CDateTimeEdit(page);
    grid->addLayout(Cell(page, label_211, "label_211", m_pLogStopDateTimeEdit, "m_pLogStopDateTimeEdit"), 1, 2);
    SizeTypeCell(label_211, m_pLogStopDateTimeEdit);

    auto* searchColumn = new QVBoxLayout();
    searchColumn->addItem(new QSpacerItem(5, 0, QSizePolicy::Minimum, QSizePolicy::Expanding));
    m_pLogSearchBtn = new CPushButton(page);
    m_pLogSearchBtn->setObjectName(QStringLiteral("m_pLogSearchBtn"));
    m_pLogSearchBtn->setIcon(QIcon(QStringLiteral(":/images/DeviceConfig/search.png")));
    m_pLogSearchBtn->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    m_pLogSearchBtn->setFixedWidth(95);
    m_pLogSearchBtn->setMaximumHeight(30);
    searchColumn->addWidget(m_pLogSearchBtn);
    searchColumn->addItem(new QSpacerItem(5, 0, QSizePolicy::Minimum, QSizePolicy::Expanding));
    grid->addLayout(searchColumn, 1, 3);
    gridLayout_3->addLayout(grid, 0, 0);

    auto* line = new QFrame(page);
    line->setObjectName(QStringLiteral("line"));
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    gridLayout_3->addWidget(line, 1, 0);

    auto* list = new QGridLayout();
    list->setObjectName(QStringLiteral("gridLayout_2"));
    label_2 = new QLabel(page);
    label_2->setObjectName(QStringLiteral("label_2"));
    list->addWidget(label_2, 0, 0);
    m_pBackupBtn = new CPushButton(page);
    m_pBackupBtn->setObjectName(QStringLiteral("m_pBackupBtn"));
    m_pBackupBtn->setMaximumSize(95, 30);
    list->addWidget(m_pBackupBtn, 0, 1);
    m_pLogTreeView = new CTableView(page);
    m_pLogTreeView->setObjectName(QStringLiteral("m_pLogTreeView"));
    list->addWidget(m_pLogTreeView, 1, 0, 1, 2);
    gridLayout_3->addLayout(list, 2, 0);
    gridLayout_3->setRowStretch(2, 1);  // the list takes the height the filters leave

    retranslateUi(page);
}

void Ui::CLogWidgetClass::retranslateUi(QWidget* page)
{
    page->setWindowTitle(QCoreApplication::translate("CLogWidgetClass", "CLocalLogWidget"));
    m_pLabelDisk->setText(QCoreApplication::translate("CLogWidgetClass", "Disk Name:"));
    label_18->setText(QCoreApplication::translate("CLogWidgetClass", "Main Type:"));
    label_210->setText(QCoreApplication::translate("CLogWidgetClass", "Minor Type:"));
    label_209->setText(QCoreApplication::translate("CLogWidgetClass", "Start Time:"));
    label_211->setText(QCoreApplication::translate("CLogWidgetClass", "Stop Time:"));
    m_pLogSearchBtn->setText(QCoreApplication::translate("CLogWidgetClass", "Search"));
    label_2->setText(QCoreApplication::translate("CLogWidgetClass", "Log List"));
    m_pBackupBtn->setText(QCoreApplication::translate("CLogWidgetClass", "Export"));
}

// ---------------------------------------------------------------------------------------------

CLocalLogWidget::CLocalLogWidget(QWidget* parent) : QWidget(parent)
{
    m_ui.setupUi(this);
    // The list shows the page's compact rows; the model the list built for itself goes.
    m_model = new CLogListModel(m_ui.m_pLogTreeView);
    m_ui.m_pLogTreeView->setModel(m_model);
    m_showTimer.setSingleShot(true);
    connect(&m_showTimer, &QTimer::timeout, this, &CLocalLogWidget::ShowTakenRows);
    InitFrame();
    connect(m_ui.m_pMainTypecomboBox, &QComboBox::currentIndexChanged, this, &CLocalLogWidget::MainTypeChange);
    connect(m_ui.m_pLogSearchBtn, &QPushButton::clicked, this, &CLocalLogWidget::QueryLocalLog);
    qRegisterMetaType<LogBatch>("LogBatch");
    NewSearch();
    connect(m_ui.m_pBackupBtn, &QPushButton::clicked, this, &CLocalLogWidget::OnBackupClicked);
}

CLocalLogWidget::~CLocalLogWidget()
{
    // What a close has not done yet, in the same order; the workers are joined here.
    while (ShutdownPiece(true) != Varpen::ShutdownStep::Done) {
    }
}

Varpen::ShutdownStep CLocalLogWidget::ShutdownPiece(bool may_wait)
{
    using Varpen::ShutdownStep;
    switch (m_shutdown) {
    case Shutdown::Begin:
        // Nothing more may reach the page: reports and batches still on their way are not taken
        // (their rows go with them). Everything is told to stop before anything waits for one.
        m_search->disconnect(this);
        ++m_searchSerial;
        m_queryId = -1;
        StopWorkers();
        m_showTimer.stop();
        m_shutdown = Shutdown::Workers;
        return ShutdownStep::More;
    case Shutdown::Workers: {
        const bool running = m_search->isRunning() || (m_writer && m_writer->isRunning()) || RetiredWorkers() > 0;
        if (running && !may_wait)
            return ShutdownStep::Wait;
        m_search.reset();
        m_writer.reset();
        Varpen::CWorkerReaper::Instance().JoinRetired(this);
        m_shutdown = Shutdown::Rows;
        return ShutdownStep::More;
    }
    case Shutdown::Rows: {
        // The rows are shared and never changed: the last reference goes on the reaper's thread.
        CLogRowList rows = m_model->Rows();
        QList<LogBatch> taken;
        taken.swap(m_taken);
        m_model->Clear();
        if (!rows.IsEmpty() || !taken.isEmpty()) {
            // The piece only holds them: they go with it, on its thread.
            Varpen::CWorkerReaper::Instance().Retire([rows = std::move(rows), taken = std::move(taken)] {});
        }
        m_shutdown = Shutdown::Done;
        return ShutdownStep::Done;
    }
    case Shutdown::Done:
        break;
    }
    return ShutdownStep::Done;
}

int CLocalLogWidget::RetiredWorkers() const
{
    return Varpen::CWorkerReaper::Instance().Kept(this);
}

void CLocalLogWidget::StopWorkers()
{
    m_search->StopSearch();
    if (m_writer)
        m_writer->Stop();
}

void CLocalLogWidget::NewSearch()
{
    m_search = std::make_unique<CLogSearch>();
    const unsigned serial = ++m_searchSerial;
    // Queued: the page takes each report on its own thread, and only from its current search.
    connect(
        m_search.get(), &CLogSearch::SetLogInfoNullToView, this,
        [this, serial] {
            if (serial == m_searchSerial)
                OnSetLogInfoNullToView();
        },
        Qt::QueuedConnection);
    connect(m_search.get(), &CLogSearch::SetLogInfoToView, this, &CLocalLogWidget::OnSetLogInfoToView,
            Qt::QueuedConnection);
    connect(
        m_search.get(), &CLogSearch::SetLogInfoErrorToView, this,
        [this, serial](int error) {
            if (serial == m_searchSerial)
                OnSetLogInfoErrorToView(error);
        },
        Qt::QueuedConnection);
}

void CLocalLogWidget::InitFrame()
{
    m_ui.m_pLogStopDateTimeEdit->setDateTime(QDateTime(QDate::currentDate().addDays(1), QTime(23, 59, 59)));

    m_ui.m_pMainTypecomboBox->clear();
    for (const LogChoice& c : LogMajorChoices())
        m_ui.m_pMainTypecomboBox->addItem(c.text, c.code);

    m_ui.m_pMinorTypecomboBox->clear();
    m_ui.m_pMinorTypecomboBox->addItem(QCoreApplication::translate("CLocalLogWidget", "All"), 0);
    m_ui.m_pMinorTypecomboBox->view()->setFixedWidth(260);
    m_ui.m_pMinorTypecomboBox->setSizeAdjustPolicy(QComboBox::AdjustToContents);

    CTableView* view = m_ui.m_pLogTreeView;
    m_model->SetHeaderLabels({tr("ID"), tr("Operation time"), tr("Major Type"), tr("Minor Type"), tr("Local Operator"),
                              tr("Remote Operator"), tr("Remote Host Address"), tr("Parameter Type"), tr("Channel No"),
                              tr("Disk No"), tr("Alarm Input"), tr("Alarm Output")});
    const int widths[] = {50, 130, 100, 140, 100, 100, 100, 100, 80, 80, 80, 80};
    for (int column = 0; column < 12; ++column)
        view->setColumnWidth(column, widths[column]);
    view->hideColumn(LogColumnParameter);
}

void CLocalLogWidget::MainTypeChange()
{
    const int major = m_ui.m_pMainTypecomboBox->currentData().toInt();
    m_ui.m_pMinorTypecomboBox->clear();
    for (const LogChoice& c : LogMinorChoices(major))
        m_ui.m_pMinorTypecomboBox->addItem(c.text, c.code);
}

QString CLocalLogWidget::CurrentDiskPath() const
{
    const CDiskTreeBox* box = m_ui.m_pDiskcomboBox;
    if (box->currentIndex() < 0)
        return {};
    // A disk is opened by its engine name; a volume by its folder.
    return box->CurrentIsDisk() ? box->CurrentDiskName() : box->CurrentSourcePath();
}

void CLocalLogWidget::QueryLocalLog()
{
    if (m_search->isRunning())
        return;
    m_model->Clear();
    m_taken.clear();
    m_showTimer.stop();
    m_lastShown.invalidate();
    m_showEvery_ms = kShowEvery_ms;
    m_noRows = true;
    m_rowCount = 0;
    m_noticeShown = false;
    m_listCut = false;

    LogSearchCondition condition;
    condition.Init();
    condition.major = m_ui.m_pMainTypecomboBox->currentData().toInt();
    condition.minor = m_ui.m_pMinorTypecomboBox->currentData().toInt();
    const QDateTime start = m_ui.m_pLogStartDateTimeEdit->dateTime();
    const QDateTime stop = m_ui.m_pLogStopDateTimeEdit->dateTime();
    condition.start = ToLogSearchTime(start);
    condition.end = ToLogSearchTime(stop);
    condition.hasStart = condition.hasEnd = true;

    const LogWindowCheck check = CheckLogWindow(start, stop);
    if (check != LogWindowCheck::Ok) {
        CWarnDlg::ShowWarn(tr("Information"), LogWindowMessage(check), this);
        return;
    }
    const QString path = CurrentDiskPath();
    if (path.isEmpty()) {
        CInformationDlg::ShowInformation(tr("Can not search the selected disk"), this);
        return;
    }

    // The dialog lives on the heap: should the page go while it is up, it goes with the page.
    QPointer<CLogSearchProgress> progress = new CLogSearchProgress(this);
    qRegisterMetaType<ProgressInfo>("ProgressInfo");
    connect(this, &CLocalLogWidget::SetProgressChanged, progress.data(), &CLogSearchProgress::OnProgressChanged);
    connect(progress.data(), &CLogSearchProgress::OnCancel, this, &CLocalLogWidget::OnCancelFindLog);

    m_search->SetCondition(condition);
    m_search->SetDiskPath(path.toLocal8Bit());
    m_queryId = m_search->QueryId();
    m_search->start(QThread::InheritPriority);
    progress->exec();
    delete progress.data();
}

void CLocalLogWidget::OnSetLogInfoToView(LogBatch listItems, int iCurrent, int iTotal, int queryId)
{
    QCoreApplication::postEvent(this, new LocalLogEvent(listItems, iCurrent, iTotal, queryId));
}

void CLocalLogWidget::customEvent(QEvent* event)
{
    if (event->type() != LocalLogEvent::EventType()) {
        QWidget::customEvent(event);
        return;
    }
    auto* batch = static_cast<LocalLogEvent*>(event);
    if (batch->QueryId() != m_queryId)
        return;  // a cancelled query's batch: its rows go with the event
    int current = 0;
    int total = 0;
    batch->GetProgress(current, total);
    m_rowCount += batch->Size();
    if (!m_listCut && m_search->WasCut()) {
        // Said as the list starts, so the operator may cancel and narrow the search. It takes the
        // place of the 2000-row notice, which would replace it on the screen a moment later.
        m_listCut = true;
        m_noticeShown = true;
        CInformationDlg::ShowInformation(CutNotice(total), this);
    }
    if (m_rowCount >= kRowNotice && !m_noticeShown) {
        m_noticeShown = true;
        CInformationDlg::ShowInformation(tr("The log should less than 2000, Please constrain the Parameter!"), this);
    }
    m_taken.append(batch->TakeRows());
    m_noRows = false;
    // The first rows of a query and its last show at once; between them the list grows a few
    // times a second (the search goes on meanwhile).
    if (current >= total || !m_lastShown.isValid() || m_lastShown.elapsed() >= m_showEvery_ms)
        ShowTakenRows();
    else if (!m_showTimer.isActive())
        m_showTimer.start(int(m_showEvery_ms - m_lastShown.elapsed()));
    m_search->ContinueSearch();
    emit SetProgressChanged(ProgressInfo{current, total});
}

void CLocalLogWidget::ShowTakenRows()
{
    m_showTimer.stop();
    if (m_taken.isEmpty())
        return;
    QElapsedTimer cost;
    cost.start();
    m_model->Append(m_taken);
    m_taken.clear();
    m_ui.m_pLogTreeView->scrollTo(m_model->index(m_model->rowCount() - 1, 0));  // lays the list out
    // A long list takes long to lay out: it grows less often, so that the GUI stays mostly free.
    m_showEvery_ms = std::max<qint64>(kShowEvery_ms, 4 * cost.elapsed());
    m_lastShown.start();
}

void CLocalLogWidget::OnSetLogInfoNullToView()
{
    emit SetProgressChanged(ProgressInfo{1, 1});
    CInformationDlg::ShowInformation(tr("No log found!"), this);
}

void CLocalLogWidget::OnSetLogInfoErrorToView(int error)
{
    emit SetProgressChanged(ProgressInfo{1, 1});
    CInformationDlg::ShowInformation(tr("The log of the selected disk cannot be read (error %1).").arg(error), this);
}

QString CLocalLogWidget::CutNotice(int listed)
{
    return tr("More than %1 logs were found: only the first %1 are listed. Please narrow the search.").arg(listed);
}

QString CLocalLogWidget::CutBackupResult(int written)
{
    return tr("Backup successful. The file holds the %1 listed logs only: more than %2 logs were found.")
        .arg(written)
        .arg(CLogSearch::kMaxRecords);
}

void CLocalLogWidget::OnCancelFindLog()
{
    // The search may be inside a slow read: it is told to stop, not waited for. It ends at its
    // next record, kept by the reaper; a new search object serves the next query.
    m_search->StopSearch();
    m_queryId = -1;   // batches still on their way are dropped
    ShowTakenRows();  // those taken stay listed
    if (!m_search->isRunning())
        return;
    // Still connected: a batch it sends before it ends is dropped by its query id (with its rows);
    // its other reports are dropped because it is no longer the page's search.
    Varpen::CWorkerReaper::Instance().Retire(std::move(m_search), this);
    NewSearch();
}

void CLocalLogWidget::OnBackupClicked()
{
    std::vector<LogRecord> records;
    m_search->GetResult(records);
    if (m_noRows) {
        CInformationDlg::ShowInformation(tr("No log had been searched"), this);
        return;
    }
    CLogBackup backup(this);
    connect(&backup, qOverload<const QString&>(&CLogBackup::OnAccepted), this, &CLocalLogWidget::OnBackUp);
    backup.exec();
}

void CLocalLogWidget::OnBackUp(const QString& strXmlName)
{
    if (strXmlName.isEmpty() || m_writer)
        return;  // one export at a time
    const QString name = CLogWriteThread::BackupFileName(strXmlName);
    if (QFileInfo::exists(name) &&
        CWarnDlg::ShowQuestion(tr("Information"), tr("The file already exists. Do you want to replace it?"), this) !=
            QDialog::Accepted)
        return;

    // The rows go to the writer as they are listed, without a copy; the progress dialog shows how
    // far it got and closes when it reports. Nothing here waits for the writer. The dialog lives on
    // the heap: should the page go while it is up, the page's destructor stops and joins the
    // writer, and the dialog goes with the page.
    QPointer<CLocalLogWidget> self(this);
    QPointer<CProgress> progress = new CProgress(this);
    progress->SetLabelText(tr("Writing..."));
    progress->ShowCloseBtn(false);
    progress->SetBottomVisible(false);
    connect(this, &CLocalLogWidget::StopChase, progress.data(), &QDialog::accept);
    m_writer = std::make_unique<CLogWriteThread>();
    m_writer->SetParam(name, -1, m_model->Rows());
    connect(m_writer.get(), &CLogWriteThread::SignalWriteProgress, progress.data(),
            qOverload<int, int>(&CProgress::OnProgressChanged), Qt::QueuedConnection);
    connect(m_writer.get(), &CLogWriteThread::SendWriteOver, this, &CLocalLogWidget::OnWriteOver, Qt::QueuedConnection);
    m_writer->start(QThread::InheritPriority);
    progress->exec();
    if (!self)
        return;
    delete progress.data();
}

void CLocalLogWidget::OnWriteOver(int code)
{
    emit StopChase();
    // The writer reports as the last thing it does: joining it takes no time.
    if (m_writer) {
        m_writer->wait();
        m_writer.reset();
    }
    switch (code) {
    case CLogWriteThread::OpenFailed:
        CWarnDlg::ShowWarn(tr("Error"), tr("Open file failed!"), this);
        break;
    case CLogWriteThread::Written:
        CInformationDlg::ShowInformation(m_listCut ? CutBackupResult(m_model->rowCount()) : tr("Backup successful."),
                                         this);
        break;
    case CLogWriteThread::WriteFailed:
        CInformationDlg::ShowInformation(tr("Backup Failed."), this);
        break;
    default:
        CWarnDlg::ShowWarn(tr("Error"), tr("Unknown error."), this);
        break;
    }
}
