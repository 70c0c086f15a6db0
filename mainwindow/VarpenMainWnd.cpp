#include "mainwindow/VarpenMainWnd.h"

#include "mainwindow/CDlgAbout.h"
#include "mainwindow/CWindowTitle.h"
#include "widgets/CDiskTreeBox.h"
#include "widgets/CInformationDlg.h"
#include "widgets/CPushButton.h"
#include "widgets/CWarnDlg.h"
#include "widgets/ChaseDialog.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFrame>
#include <QGridLayout>
#include <QIcon>
#include <QMoveEvent>
#include <QSignalBlocker>
#include <QStandardItemModel>
#include <QSpacerItem>
#include <QStackedWidget>
#include <QTimer>

namespace {

const char* const kChosenTab =
    "QPushButton{border-image:url(:/images/Tab/TabSelect.png); color: rgb(255, 255, 255); "
    "border-width:0px;}";
const char* const kOtherTab =
    "QPushButton{border-image:url(:/images/Tab/TabUnselect.png); color: rgb(255, 255, 255); "
    "border-width:0px;}";

CPushButton* MakeTabButton(QWidget* parent, const char* name, const char* icon, QSizePolicy::Policy horizontal)
{
    auto* button = new CPushButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setSizePolicy(horizontal, QSizePolicy::Fixed);
    button->setMinimumSize(140, 40);
    QFont font = button->font();
    font.setFamily(QStringLiteral("Arial"));
    button->setFont(font);
    button->setIcon(QIcon(QLatin1String(icon)));
    button->setIconSize(QSize(32, 32));
    return button;
}

}  // namespace

void Ui::CVarpenMainWndClass::setupUi(QMainWindow* window)
{
    if (window->objectName().isEmpty())
        window->setObjectName(QStringLiteral("CVarpenMainWndClass"));
    window->resize(932, 546);
    centralWidget = new QWidget(window);
    centralWidget->setObjectName(QStringLiteral("centralWidget"));
    gridLayout = new QGridLayout(centralWidget);
    gridLayout->setObjectName(QStringLiteral("gridLayout"));
    gridLayout->setSpacing(0);
    gridLayout->setContentsMargins(0, 0, 0, 0);
    pGridLayout = new QGridLayout();
    pGridLayout->setObjectName(QStringLiteral("pGridLayout"));
    pGridLayout->setSpacing(0);
    const QMargins style = pGridLayout->contentsMargins();
    pGridLayout->setContentsMargins(0, style.top(), 0, style.bottom());

    titleSpacer = new QSpacerItem(20, 33, QSizePolicy::Minimum, QSizePolicy::Fixed);
    pGridLayout->addItem(titleSpacer, 0, 0, 1, 1);

    pTabFrame = new QFrame(centralWidget);
    pTabFrame->setObjectName(QStringLiteral("pTabFrame"));
    pTabFrame->setFrameShape(QFrame::StyledPanel);
    pTabFrame->setFrameShadow(QFrame::Raised);
    pTabFrame->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Minimum);
    pTabFrame->setMinimumHeight(40);
    pTabFrame->setStyleSheet(QStringLiteral("QFrame{background-image:url(:/images/Tab/tab_bg.png); border:none;}"));
    gridLayout_4 = new QGridLayout(pTabFrame);
    gridLayout_4->setObjectName(QStringLiteral("gridLayout_4"));
    gridLayout_4->setSpacing(6);
    gridLayout_4->setContentsMargins(6, 2, 6, 0);
    pGridLayoutFrame = new QGridLayout();
    pGridLayoutFrame->setObjectName(QStringLiteral("pGridLayoutFrame"));
    pGridLayoutFrame->setHorizontalSpacing(3);
    pGridLayoutFrame->setVerticalSpacing(0);
    const QMargins frameStyle = pGridLayoutFrame->contentsMargins();
    pGridLayoutFrame->setContentsMargins(frameStyle.left(), 2, frameStyle.right(), frameStyle.bottom());

    pBtnPlayBack = MakeTabButton(pTabFrame, "pBtnPlayBack", ":/images/Tab/monitoring.png", QSizePolicy::Preferred);
    pBtnViewLog = MakeTabButton(pTabFrame, "pBtnViewLog", ":/images/Tab/LogSearch.png", QSizePolicy::Fixed);
    pBtnConfig = MakeTabButton(pTabFrame, "pBtnConfig", ":/images/Tab/config.png", QSizePolicy::Fixed);
    pBtnAbout = MakeTabButton(pTabFrame, "pBtnAbout", ":/images/Tab/Information.png", QSizePolicy::Fixed);
    pGridLayoutFrame->addWidget(pBtnPlayBack, 0, 0, 1, 1);
    pGridLayoutFrame->addWidget(pBtnViewLog, 0, 1, 1, 1);
    pGridLayoutFrame->addWidget(pBtnConfig, 0, 2, 1, 1);
    pGridLayoutFrame->addWidget(pBtnAbout, 0, 3, 1, 1);
    pGridLayoutFrame->addItem(new QSpacerItem(50, 17, QSizePolicy::Expanding, QSizePolicy::Minimum), 0, 4, 1, 1);
    gridLayout_4->addLayout(pGridLayoutFrame, 0, 0, 1, 1);
    pGridLayout->addWidget(pTabFrame, 1, 0, 1, 1);

    pageSpacer = new QSpacerItem(20, 438, QSizePolicy::Minimum, QSizePolicy::Expanding);
    pGridLayout->addItem(pageSpacer, 2, 0, 1, 1);
    gridLayout->addLayout(pGridLayout, 0, 0, 1, 1);
    window->setCentralWidget(centralWidget);
    retranslateUi(window);
}

void Ui::CVarpenMainWndClass::retranslateUi(QMainWindow* window)
{
    window->setWindowTitle(QCoreApplication::translate("CVarpenMainWndClass", "DarizArevudud"));
    pBtnPlayBack->setText(QCoreApplication::translate("CVarpenMainWndClass", "Playback"));
    pBtnViewLog->setText(QCoreApplication::translate("CVarpenMainWndClass", "View Log"));
    pBtnConfig->setText(QCoreApplication::translate("CVarpenMainWndClass", "Config"));
    pBtnAbout->setText(QCoreApplication::translate("CVarpenMainWndClass", "About"));
}

CVarpenMainWnd::CVarpenMainWnd(QWidget* parent, Qt::WindowFlags flags) : QMainWindow(parent, flags)
{
    setFixedSize(1024, 768);
    m_ui.setupUi(this);
    InitUi();
    OnBtnClickedPlayBack();
    connect(m_ui.pBtnPlayBack, &QPushButton::clicked, this, &CVarpenMainWnd::OnBtnClickedPlayBack);
    connect(m_ui.pBtnViewLog, &QPushButton::clicked, this, &CVarpenMainWnd::OnBtnClicekdViewLog);
    connect(m_ui.pBtnConfig, &QPushButton::clicked, this, &CVarpenMainWnd::OnBtnClicekdConfig);
    connect(m_ui.pBtnAbout, &QPushButton::clicked, this, &CVarpenMainWnd::OnBtnClickedAbout);
}

// The pages are children of the window; should they still be here (no confirmed close, or an
// event loop that ended before the close was through), they go in the same order as on a close,
// each stopping and joining its own threads.
CVarpenMainWnd::~CVarpenMainWnd()
{
    DestroyPages();
}

void CVarpenMainWnd::InitUi()
{
    setStyleSheet(
        QString::fromUtf8("QMainWindow#CVarpenMainWndClass{border-image:url(\":/images/Dialog/dialog_bg2.png\") 58;\n"
                          "border-width:58;}"));
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowSystemMenuHint);

    m_pTitle = new CWindowTitle(this);
    m_ui.pGridLayout->addWidget(m_pTitle, 0, 0, 1, 2);

    m_pStackedWidget = new QStackedWidget(this);
    m_pStackedWidget->setObjectName(QStringLiteral("m_pStackedWidget"));
    m_ui.pGridLayout->addWidget(m_pStackedWidget, 2, 0);

    // The pages are built in the stack that holds them: moving a built page into it would
    // polish its whole widget tree a second time.
    m_pPlayBackWidget = new CPlayBackWidget(m_pStackedWidget);
    m_pLocalLogWidget = new CLocalLogWidget(m_pStackedWidget);
    m_pSettingsWidget = new CSettingsWidget(m_pStackedWidget);
    m_pStackedWidget->addWidget(m_pPlayBackWidget);
    m_pStackedWidget->addWidget(m_pLocalLogWidget);
    m_pStackedWidget->addWidget(m_pSettingsWidget);
}

void CVarpenMainWnd::AfterShow()
{
    if (!m_pPlayBackWidget || m_closing)
        return;
    ChooseFirstOfferedDisk();
    m_pPlayBackWidget->InitDiskTree();
}

// Disks offered through VARPEN_EXTRA_DISKS (numbered from 1000 on, listed after the machine's
// own) were offered to be opened: the first of them is chosen for the first scan, and the log
// page starts on the same disk.
void CVarpenMainWnd::ChooseFirstOfferedDisk()
{
    CDiskTreeBox* box = m_pPlayBackWidget->Form().m_pComboBoxDisk;
    if (!box || !box->DiskModel())
        return;
    QStandardItemModel* model = box->DiskModel();
    for (int row = 0; row < model->rowCount(); ++row) {
        const uint number = model->item(row)->data(CDiskTreeBox::kDiskNumberRole).toUInt();
        if (number < kFirstOfferedDisk)
            continue;
        {
            const QSignalBlocker quiet(box);  // the scan starts once, below
            box->SelectEntry(number);
        }
        if (m_pLocalLogWidget)
            m_pLocalLogWidget->Form().m_pDiskcomboBox->SelectEntry(number);
        return;
    }
}

QSize CVarpenMainWnd::WindowSizeFor(const QSize& screen, const QSize& available)
{
    QSize size(950, 780);
    if (screen.width() > 0 && double(screen.height()) / double(screen.width()) < 0.75)
        size = QSize(1250, 750);
    if (available.isValid())
        size = size.boundedTo(available);
    return size;
}

void CVarpenMainWnd::OnBtnClickedPlayBack()
{
    Press(MainTabs::PlaybackButton);
}

void CVarpenMainWnd::OnBtnClicekdViewLog()
{
    Press(MainTabs::ViewLogButton);
}

void CVarpenMainWnd::OnBtnClicekdConfig()
{
    Press(MainTabs::ConfigButton);
}

void CVarpenMainWnd::OnBtnClickedAbout()
{
    Press(MainTabs::AboutButton);
}

void CVarpenMainWnd::Press(MainTabs::Button button)
{
    if (m_closing)
        return;  // the pages are going
    const MainTabs::Step step = m_tabs.StepFor(button);
    if (step.askSave)
        CheckSaveSettings();
    if (step.openAbout) {
        // With the window as parent the box opens over it (a box without one may open behind
        // the window or elsewhere on the screen under X11 and Wayland).
        CDlgAbout about(this);
        about.exec();
        return;
    }
    if (step.page == MainTabs::NoPage || !m_pStackedWidget)
        return;
    m_tabs.Apply(step);
    m_pStackedWidget->setCurrentIndex(step.page);
    UpdateTabLooks();
    if (!m_pPlayBackWidget)
        return;
    CFakeChaseDialog* overlay = m_pPlayBackWidget->ChaseOverlay();
    if (!overlay)
        return;
    switch (step.overlay) {
    case MainTabs::Overlay::Hide:
        overlay->hide();
        break;
    case MainTabs::Overlay::ShowIfScanning:
        if (m_pPlayBackWidget->IsDiskSearchRunning())
            overlay->show();
        break;
    case MainTabs::Overlay::Unchanged:
        break;
    }
}

void CVarpenMainWnd::UpdateTabLooks()
{
    const std::array<bool, MainTabs::kButtonCount> chosen = m_tabs.ChosenButtons();
    CPushButton* buttons[MainTabs::kButtonCount] = {m_ui.pBtnPlayBack, m_ui.pBtnViewLog, m_ui.pBtnConfig,
                                                    m_ui.pBtnAbout};
    for (int i = 0; i < MainTabs::kButtonCount; ++i)
        buttons[i]->setStyleSheet(QLatin1String(chosen[i] ? kChosenTab : kOtherTab));
}

void CVarpenMainWnd::CheckSaveSettings()
{
    m_lastSaveQuestion = ::CheckSaveSettings(m_pSettingsWidget, this);
}

void CVarpenMainWnd::moveEvent(QMoveEvent* event)
{
    // The playback page's wait overlay is a window of its own: it follows the main window.
    if (!m_closing && m_pPlayBackWidget && m_pStackedWidget &&
        m_pStackedWidget->currentIndex() == MainTabs::PlaybackPage) {
        QMoveEvent forwarded(event->pos(), event->oldPos());
        QCoreApplication::sendEvent(m_pPlayBackWidget, &forwarded);
    }
    QMainWindow::moveEvent(event);
}

void CVarpenMainWnd::closeEvent(QCloseEvent* event)
{
    if (m_closing) {
        // Confirmed before: the pages are already going.
        event->accept();
        return;
    }
    m_lastSaveQuestion = SaveQuestionResult::NotAsked;
    if (m_tabs.CloseAsksSave() && m_pSettingsWidget)
        CheckSaveSettings();
    if (CWarnDlg::ShowQuestion(tr("Confirm"), tr("Sure to close software"), this) != QDialog::Accepted) {
        event->ignore();
        return;
    }
    // Every page's workers are told to stop now; the pages then go from the event loop, a few
    // milliseconds at a time, in the order playback, log, settings page. A page whose workers
    // have not ended yet is asked again a little later, so the close lasts as long as the slowest
    // worker's current step and the window never stops answering meanwhile. The quit is queued
    // once the last page has gone. The accepted close hides the window at once.
    m_closing = true;
    StopPageWorkers();
    QTimer::singleShot(0, this, &CVarpenMainWnd::ContinueClose);
    event->accept();
}

void CVarpenMainWnd::ContinueClose()
{
    QElapsedTimer turn;
    turn.start();
    for (;;) {
        switch (NextClosePiece()) {
        case Varpen::ShutdownStep::Done:
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
            return;
        case Varpen::ShutdownStep::Wait:
            QTimer::singleShot(kCloseRetry_ms, this, &CVarpenMainWnd::ContinueClose);
            return;
        case Varpen::ShutdownStep::More:
            if (turn.elapsed() >= kCloseTurn_ms) {
                QTimer::singleShot(0, this, &CVarpenMainWnd::ContinueClose);
                return;
            }
            break;
        }
    }
}

Varpen::ShutdownStep CVarpenMainWnd::NextClosePiece()
{
    using Varpen::ShutdownStep;
    if (m_pPlayBackWidget) {
        const ShutdownStep step = m_pPlayBackWidget->ShutdownPiece();
        if (step == ShutdownStep::Done)
            delete m_pPlayBackWidget.data();
        return step == ShutdownStep::Wait ? ShutdownStep::Wait : ShutdownStep::More;
    }
    if (m_pLocalLogWidget) {
        const ShutdownStep step = m_pLocalLogWidget->ShutdownPiece();
        if (step == ShutdownStep::Done)
            delete m_pLocalLogWidget.data();
        return step == ShutdownStep::Wait ? ShutdownStep::Wait : ShutdownStep::More;
    }
    if (m_pSettingsWidget) {
        delete m_pSettingsWidget.data();
        return ShutdownStep::More;
    }
    return ShutdownStep::Done;
}

// Every page's workers are told to stop before any page waits for one, so that no page's wait
// lasts for a worker of a later page that was not told yet.
void CVarpenMainWnd::StopPageWorkers()
{
    if (m_pPlayBackWidget)
        m_pPlayBackWidget->StopWorkers();
    if (m_pLocalLogWidget)
        m_pLocalLogWidget->StopWorkers();
}

// What a close has not destroyed yet (all of it when there was none): playback, log and settings
// page, in that order, each destructor waiting for its own workers.
void CVarpenMainWnd::DestroyPages()
{
    StopPageWorkers();
    delete m_pPlayBackWidget.data();
    delete m_pLocalLogWidget.data();
    delete m_pSettingsWidget.data();
}

void CVarpenMainWnd::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange && m_ui.pBtnPlayBack)
        m_ui.retranslateUi(this);
    QMainWindow::changeEvent(event);
}
