#include "playback/PlayBackWidgetForm.h"

#include "app/gui/CommonUtilGui.h"
#include "timeline/MultiTimeSlider.h"
#include "widgets/CDiskTreeBox.h"
#include "widgets/CGroupTreeView.h"
#include "widgets/CPushButton.h"
#include "widgets/CSpeedButton.h"
#include "widgets/CVolumeButton.h"
#include "widgets/CalendarWidget.h"
#include "widgets/DateTimeEdit.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QSpacerItem>
#include <QToolButton>

namespace {

// The search panel's label and field widths: the 210-pixel column holds both and the spacing, and
// a field shows a whole "yyyy-MM-dd hh:mm:ss" beside its calendar button.
constexpr int kPanelLabel_px = 48;
constexpr int kPanelField_px = 152;

QSizePolicy Policy(QSizePolicy::Policy h, QSizePolicy::Policy v)
{
    return QSizePolicy(h, v);
}

void FixWidth(QWidget* w, int width)
{
    w->setMinimumWidth(width);
    w->setMaximumWidth(width);
}

void FixHeight(QWidget* w, int height)
{
    w->setMinimumHeight(height);
    w->setMaximumHeight(height);
}

// The play bar's buttons show their 40x32 icons only. Where the bar is narrow (a 950-pixel window
// leaves it 728 pixels) they give up their padding down to one pixel beside the icon, so that the
// row fits and no button runs into its neighbour.
constexpr int kBarIcon_px = 40;
constexpr int kBarButtonMin_px = kBarIcon_px + 2;

QToolButton* BarButton(QWidget* parent, const char* name, const char* icon)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setIconSize(QSize(kBarIcon_px, 32));
    button->setIcon(CCommonUtil::LoadIcon(QString::fromLatin1(icon)));
    button->setMinimumWidth(kBarButtonMin_px);
    return button;
}

QFrame* RaisedPanel(QWidget* parent, const char* name)
{
    auto* frame = new QFrame(parent);
    frame->setObjectName(QString::fromLatin1(name));
    frame->setFrameShape(QFrame::StyledPanel);
    frame->setFrameShadow(QFrame::Raised);
    return frame;
}

QLabel* FixedLabel(QWidget* parent, const char* name, int width)
{
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setSizePolicy(Policy(QSizePolicy::Fixed, QSizePolicy::Preferred));
    FixWidth(label, width);
    return label;
}

}  // namespace

void Ui_CPlayBackWidget::setupUi(QWidget* page)
{
    if (page->objectName().isEmpty())
        page->setObjectName(QStringLiteral("CPlayBackWidget"));
    page->resize(1328, 813);

    gridLayout_9 = new QGridLayout(page);
    gridLayout_9->setObjectName(QStringLiteral("gridLayout_9"));
    gridLayout_9->setSpacing(0);
    gridLayout_9->setContentsMargins(6, 0, 6, 0);

    // Left column.
    gridLayout_8 = new QGridLayout();
    gridLayout_8->setObjectName(QStringLiteral("gridLayout_8"));
    gridLayout_8->setSpacing(0);
    {
        const QMargins m = gridLayout_8->contentsMargins();
        gridLayout_8->setContentsMargins(m.left(), m.top(), m.right(), 6);
    }
    gridLayout_3 = new QGridLayout();
    gridLayout_3->setObjectName(QStringLiteral("gridLayout_3"));
    gridLayout_3->setSpacing(0);
    m_pLabelDisk = FixedLabel(page, "m_pLabelDisk", 65);
    gridLayout_3->addWidget(m_pLabelDisk, 0, 1);
    m_pComboBoxDisk = new CDiskTreeBox(page);
    m_pComboBoxDisk->setObjectName(QStringLiteral("m_pComboBoxDisk"));
    m_pComboBoxDisk->setSizePolicy(Policy(QSizePolicy::Fixed, QSizePolicy::Fixed));
    FixWidth(m_pComboBoxDisk, 142);
    gridLayout_3->addWidget(m_pComboBoxDisk, 0, 2);
    gridLayout_8->addLayout(gridLayout_3, 0, 0);

    m_pPlayBackTreeView = new CGroupTreeView(page);
    m_pPlayBackTreeView->setObjectName(QStringLiteral("m_pPlayBackTreeView"));
    m_pPlayBackTreeView->setSizePolicy(Policy(QSizePolicy::Fixed, QSizePolicy::Expanding));
    FixWidth(m_pPlayBackTreeView, 210);
    gridLayout_8->addWidget(m_pPlayBackTreeView, 1, 0);

    m_pBottomFrame = RaisedPanel(page, "m_pBottomFrame");
    m_pBottomFrame->setSizePolicy(Policy(QSizePolicy::Fixed, QSizePolicy::Fixed));
    FixWidth(m_pBottomFrame, 210);
    m_pBottomFrame->setStyleSheet(
        QStringLiteral("QFrame#m_pBottomFrame{border:none; background-color: rgb(204, 204, 204);}"));
    gridLayout_5 = new QGridLayout(m_pBottomFrame);
    gridLayout_5->setObjectName(QStringLiteral("gridLayout_5"));
    gridLayout_5->setSpacing(0);
    gridLayout_5->setContentsMargins(0, 0, 0, 0);
    gridLayout_4 = new QGridLayout();
    gridLayout_4->setObjectName(QStringLiteral("gridLayout_4"));
    gridLayout_4->setSpacing(6);
    gridLayout = new QGridLayout();
    gridLayout->setObjectName(QStringLiteral("gridLayout"));
    gridLayout->setSpacing(6);
    gridLayout->addItem(new QSpacerItem(20, 5, QSizePolicy::Minimum, QSizePolicy::Fixed), 1, 0);
    horizontalLayout = new QHBoxLayout();
    horizontalLayout->setObjectName(QStringLiteral("horizontalLayout"));
    horizontalLayout->setSpacing(6);
    horizontalLayout->addItem(new QSpacerItem(8, 20, QSizePolicy::Expanding, QSizePolicy::Minimum));
    m_pCalendarWidget = new CCalendarWidget(m_pBottomFrame);
    m_pCalendarWidget->setObjectName(QStringLiteral("m_pCalendarWidget"));
    m_pCalendarWidget->setSizePolicy(Policy(QSizePolicy::Expanding, QSizePolicy::Preferred));
    m_pCalendarWidget->setMinimumSize(0, 0);
    m_pCalendarWidget->setLayoutDirection(Qt::LeftToRight);
    m_pCalendarWidget->setStyleSheet(QStringLiteral("QWidget\n{\n\talignment: center;\n}"));
    horizontalLayout->addWidget(m_pCalendarWidget);
    horizontalLayout->addItem(new QSpacerItem(8, 20, QSizePolicy::Expanding, QSizePolicy::Minimum));
    gridLayout->addLayout(horizontalLayout, 2, 0);
    gridLayout_4->addLayout(gridLayout, 0, 0);

    gridLayout_2 = new QGridLayout();
    gridLayout_2->setObjectName(QStringLiteral("gridLayout_2"));
    gridLayout_2->setSpacing(6);
    gridLayout_2->setColumnMinimumWidth(0, 1);
    gridLayout_2->setColumnMinimumWidth(1, 4);
    // One row of the search panel: a fixed label and its date-and-time field.
    const auto timeRow = [this](int row, QLabel*& label, const char* labelName, CDateTimeEdit*& edit,
                                const char* editName) {
        label = FixedLabel(m_pBottomFrame, labelName, kPanelLabel_px);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        gridLayout_2->addWidget(label, row, 0);
        edit = new CDateTimeEdit(m_pBottomFrame);
        edit->setObjectName(QString::fromLatin1(editName));
        edit->setSizePolicy(Policy(QSizePolicy::Preferred, QSizePolicy::Fixed));
        FixWidth(edit, kPanelField_px);
        gridLayout_2->addWidget(edit, row, 1);
    };
    timeRow(0, m_pLabelBeginTime, "m_pLabelBeginTime", m_pDateTimeEditBeginTime, "m_pDateTimeEditBeginTime");
    timeRow(1, m_pLabelEndTime, "m_pLabelEndTime", m_pDateTimeEditEndTime, "m_pDateTimeEditEndTime");
    m_pLabelEndTime_2 = FixedLabel(m_pBottomFrame, "m_pLabelEndTime_2", kPanelLabel_px);
    m_pLabelEndTime_2->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    gridLayout_2->addWidget(m_pLabelEndTime_2, 2, 0);
    m_pRecordTypeComboBox = new QComboBox(m_pBottomFrame);
    m_pRecordTypeComboBox->setObjectName(QStringLiteral("m_pRecordTypeComboBox"));
    FixWidth(m_pRecordTypeComboBox, kPanelField_px);
    gridLayout_2->addWidget(m_pRecordTypeComboBox, 2, 1);
    m_pSearchBtn = new CPushButton(m_pBottomFrame);
    m_pSearchBtn->setObjectName(QStringLiteral("m_pSearchBtn"));
    m_pSearchBtn->setSizePolicy(Policy(QSizePolicy::Fixed, QSizePolicy::Fixed));
    FixWidth(m_pSearchBtn, 210);
    gridLayout_2->addWidget(m_pSearchBtn, 4, 0, 1, 2);
    gridLayout_4->addLayout(gridLayout_2, 1, 0);
    gridLayout_5->addLayout(gridLayout_4, 0, 0);
    gridLayout_8->addWidget(m_pBottomFrame, 2, 0);
    gridLayout_9->addLayout(gridLayout_8, 0, 0, 4, 1);

    // Right column: play area, black line, play bar, time line.
    m_pPlayAreaFrame = RaisedPanel(page, "m_pPlayAreaFrame");
    m_pPlayAreaFrame->setSizePolicy(Policy(QSizePolicy::Fixed, QSizePolicy::Preferred));
    m_pPlayAreaFrame->setMaximumSize(65536, 65536);
    m_pPlayAreaFrame->setSizeIncrement(784, 0);
    m_pPlayAreaFrame->setStyleSheet(
        QStringLiteral("QFrame#m_pPlayAreaFrame{border-image: url(:/images/MainView/PlayArea_Background.png);\n}"));
    gridLayout_9->addWidget(m_pPlayAreaFrame, 0, 1);

    frame_4 = RaisedPanel(page, "frame_4");
    frame_4->setSizePolicy(Policy(QSizePolicy::Expanding, QSizePolicy::Preferred));
    FixHeight(frame_4, 4);
    frame_4->setStyleSheet(QStringLiteral("background-color: rgb(0, 0, 0);"));
    gridLayout_9->addWidget(frame_4, 1, 1);

    m_pFrameBottom = RaisedPanel(page, "m_pFrameBottom");
    m_pFrameBottom->setSizePolicy(Policy(QSizePolicy::Expanding, QSizePolicy::Preferred));
    FixHeight(m_pFrameBottom, 56);
    m_pFrameBottom->setStyleSheet(QStringLiteral(
        "QFrame{ \nbackground-image: url(:/images/MainView/MainView_Bottom_Background.png);\nborder: none;\n}\n"
        "QToolButton\n{\n\tborder: transparent;\n\tcolor: rgb(255, 255, 255);\n}\n"
        "QToolButton:disabled\n{\n\tborder: transparent;\n    color:gray;\n}"));
    gridLayout_6 = new QGridLayout(m_pFrameBottom);
    gridLayout_6->setObjectName(QStringLiteral("gridLayout_6"));
    gridLayout_6->setSpacing(6);
    gridLayout_6->setContentsMargins(11, 11, 11, 11);
    gridLayout_7 = new QGridLayout();
    gridLayout_7->setObjectName(QStringLiteral("gridLayout_7"));
    gridLayout_7->setSpacing(6);

    m_pSpeedCtrl = new CSpeedButton(m_pFrameBottom);
    m_pSpeedCtrl->setObjectName(QStringLiteral("m_pSpeedCtrl"));
    FixWidth(m_pSpeedCtrl, 100);
    m_pSpeedCtrl->setIconSize(QSize(150, 50));
    gridLayout_7->addWidget(m_pSpeedCtrl, 0, 0);
    m_pBtnSyn = BarButton(m_pFrameBottom, "m_pBtnSyn", ":/images/MainView/ButtonIcon/cycle_ctrl.png");
    gridLayout_7->addWidget(m_pBtnSyn, 0, 1);
    m_pBtnPlay = BarButton(m_pFrameBottom, "m_pBtnPlay", ":/images/MainView/ButtonIcon/StartViewing.png");
    gridLayout_7->addWidget(m_pBtnPlay, 0, 2);
    m_pBtnStop = BarButton(m_pFrameBottom, "m_pBtnStop", ":/images/MainView/ButtonIcon/StopViewing.png");
    gridLayout_7->addWidget(m_pBtnStop, 0, 3);
    m_pBtnFrame = BarButton(m_pFrameBottom, "m_pBtnFrame", ":/images/MainView/ButtonIcon/StepPlay.png");
    gridLayout_7->addWidget(m_pBtnFrame, 0, 4);
    m_pBtnAdapt = BarButton(m_pFrameBottom, "m_pBtnAdapt", ":/images/MainView/ButtonIcon/cycle.png");
    gridLayout_7->addWidget(m_pBtnAdapt, 0, 5);
    gridLayout_7->addItem(new QSpacerItem(279, 20, QSizePolicy::Expanding, QSizePolicy::Minimum), 0, 6);
    m_pVolumeBtn = new CVolumeButton(m_pFrameBottom);
    m_pVolumeBtn->setObjectName(QStringLiteral("m_pVolumeBtn"));
    m_pVolumeBtn->setMinimumSize(43, 35);
    m_pVolumeBtn->setMaximumWidth(43);
    m_pVolumeBtn->setIconSize(QSize(40, 32));
    m_pVolumeBtn->SetIcon(QIcon(QStringLiteral(":/images/public/Volume/BigCloseSound.png")));
    gridLayout_7->addWidget(m_pVolumeBtn, 0, 7);
    m_pOneCutBtn = BarButton(m_pFrameBottom, "m_pOneCutBtn", ":/images/MainView/CutWnd/Cut_1_1.png");
    gridLayout_7->addWidget(m_pOneCutBtn, 0, 8);
    m_pFourCutBtn = BarButton(m_pFrameBottom, "m_pFourCutBtn", ":/images/MainView/CutWnd/Cut_2_4.png");
    gridLayout_7->addWidget(m_pFourCutBtn, 0, 9);
    m_pNineBtn = BarButton(m_pFrameBottom, "m_pNineBtn", ":/images/MainView/CutWnd/Cut_3_9.png");
    gridLayout_7->addWidget(m_pNineBtn, 0, 10);
    m_pMoreCutBtn = BarButton(m_pFrameBottom, "m_pMoreCutBtn", ":/images/MainView/CutWnd/Cut_4_16.png");
    m_pMoreCutBtn->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    m_pMoreCutBtn->setAutoRaise(false);
    gridLayout_7->addWidget(m_pMoreCutBtn, 0, 11);
    m_pFullScreenBtn = BarButton(m_pFrameBottom, "m_pFullScreenBtn", ":/images/MainView/ButtonIcon/FullScreen.png");
    {
        QIcon icon(QStringLiteral(":/images/MainView/ButtonIcon/FullScreen.png"));
        const QString disabled = QStringLiteral(":/images/MainView/ButtonIconDis/fullscreen_dis.png");
        icon.addFile(disabled, QSize(), QIcon::Disabled, QIcon::Off);
        icon.addFile(disabled, QSize(), QIcon::Disabled, QIcon::On);
        m_pFullScreenBtn->setIcon(icon);
    }
    gridLayout_7->addWidget(m_pFullScreenBtn, 0, 12);
    gridLayout_7->addItem(new QSpacerItem(279, 20, QSizePolicy::Expanding, QSizePolicy::Minimum), 0, 13);
    m_pBtnDownload = BarButton(m_pFrameBottom, "m_pBtnDownload", ":/images/MainView/Preview/DownLoad.png");
    gridLayout_7->addWidget(m_pBtnDownload, 0, 14);
    gridLayout_6->addLayout(gridLayout_7, 0, 0);
    gridLayout_9->addWidget(m_pFrameBottom, 2, 1);

    m_pMultiTimeSlider = new CMultiTimeSlider(page);
    m_pMultiTimeSlider->setObjectName(QStringLiteral("m_pMultiTimeSlider"));
    m_pMultiTimeSlider->setSizePolicy(Policy(QSizePolicy::Expanding, QSizePolicy::Preferred));
    FixHeight(m_pMultiTimeSlider, 126);
    m_pMultiTimeSlider->setFrameShadow(QFrame::Raised);
    m_pMultiTimeSlider->setLineWidth(0);
    gridLayout_9->addWidget(m_pMultiTimeSlider, 3, 1);

    retranslateUi(page);
}

void Ui_CPlayBackWidget::retranslateUi(QWidget* page)
{
    page->setWindowTitle(QCoreApplication::translate("CPlayBackWidget", "CPlayBackWidget"));
    m_pLabelDisk->setText(QCoreApplication::translate("CPlayBackWidget", "Disk Name:"));
    m_pLabelBeginTime->setText(QCoreApplication::translate("CPlayBackWidget", "From:"));
    m_pLabelEndTime->setText(QCoreApplication::translate("CPlayBackWidget", "To:"));
    m_pSearchBtn->setText(QCoreApplication::translate("CPlayBackWidget", "Search"));
    m_pLabelEndTime_2->setText(QCoreApplication::translate("CPlayBackWidget", "Type:"));
    m_pBtnSyn->setText(QCoreApplication::translate("CPlayBackWidget", "Play"));
    m_pBtnPlay->setText(QCoreApplication::translate("CPlayBackWidget", "Play"));
    m_pBtnStop->setText(QCoreApplication::translate("CPlayBackWidget", "Stop"));
    m_pBtnFrame->setText(QCoreApplication::translate("CPlayBackWidget", "Frame"));
    m_pBtnAdapt->setText(QCoreApplication::translate("CPlayBackWidget", "Frame"));
    m_pOneCutBtn->setText(QStringLiteral("..."));
    m_pFourCutBtn->setText(QStringLiteral("..."));
    m_pNineBtn->setText(QStringLiteral("..."));
    m_pFullScreenBtn->setToolTip(QCoreApplication::translate("CPlayBackWidget", "Full Screen"));
    m_pFullScreenBtn->setText(QString());
    m_pBtnDownload->setText(QString());
    m_pSpeedCtrl->setText(QString());
    m_pVolumeBtn->setText(QString());
}
