// The widget tree of the playback page: the disk box, channel tree, calendar and search panel in
// a fixed 210-pixel column on the left; the play area, its play bar and the multi-row time line
// on the right.
#pragma once

class CCalendarWidget;
class CDateTimeEdit;
class CDiskTreeBox;
class CGroupTreeView;
class CMultiTimeSlider;
class CPushButton;
class CSpeedButton;
class CVolumeButton;
class QComboBox;
class QFrame;
class QGridLayout;
class QHBoxLayout;
class QLabel;
class QSpacerItem;
class QToolButton;
class QWidget;

class Ui_CPlayBackWidget {
public:
    QGridLayout* gridLayout_9 = nullptr;
    QGridLayout* gridLayout_8 = nullptr;
    QGridLayout* gridLayout_3 = nullptr;
    QLabel* m_pLabelDisk = nullptr;
    CDiskTreeBox* m_pComboBoxDisk = nullptr;
    CGroupTreeView* m_pPlayBackTreeView = nullptr;
    QFrame* m_pBottomFrame = nullptr;
    QGridLayout* gridLayout_5 = nullptr;
    QGridLayout* gridLayout_4 = nullptr;
    QGridLayout* gridLayout = nullptr;
    QHBoxLayout* horizontalLayout = nullptr;
    CCalendarWidget* m_pCalendarWidget = nullptr;
    QGridLayout* gridLayout_2 = nullptr;
    QLabel* m_pLabelBeginTime = nullptr;
    CDateTimeEdit* m_pDateTimeEditBeginTime = nullptr;
    QLabel* m_pLabelEndTime = nullptr;
    CDateTimeEdit* m_pDateTimeEditEndTime = nullptr;
    QLabel* m_pLabelEndTime_2 = nullptr;
    QComboBox* m_pRecordTypeComboBox = nullptr;
    CPushButton* m_pSearchBtn = nullptr;
    QFrame* m_pPlayAreaFrame = nullptr;
    QFrame* frame_4 = nullptr;
    QFrame* m_pFrameBottom = nullptr;
    QGridLayout* gridLayout_6 = nullptr;
    QGridLayout* gridLayout_7 = nullptr;
    CSpeedButton* m_pSpeedCtrl = nullptr;
    QToolButton* m_pBtnSyn = nullptr;
    QToolButton* m_pBtnPlay = nullptr;
    QToolButton* m_pBtnStop = nullptr;
    QToolButton* m_pBtnFrame = nullptr;
    QToolButton* m_pBtnAdapt = nullptr;
    CVolumeButton* m_pVolumeBtn = nullptr;
    QToolButton* m_pOneCutBtn = nullptr;
    QToolButton* m_pFourCutBtn = nullptr;
    QToolButton* m_pNineBtn = nullptr;
    QToolButton* m_pMoreCutBtn = nullptr;
    QToolButton* m_pFullScreenBtn = nullptr;
    QToolButton* m_pBtnDownload = nullptr;
    CMultiTimeSlider* m_pMultiTimeSlider = nullptr;

    void setupUi(QWidget* page);
    void retranslateUi(QWidget* page);
};
