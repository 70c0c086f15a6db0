#include "widgets/CVolumeButton.h"

#include "app/gui/CommonUtilGui.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QHideEvent>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QSlider>

// ---------------------------------------------------------------------------------------------
// CVolumeWidget

CVolumeWidget::CVolumeWidget(QWidget* parent) : QFrame(parent, Qt::Popup)
{
    if (objectName().isEmpty())
        setObjectName(QStringLiteral("CVolumeWidgetUi"));
    resize(80, 151);
    setWindowTitle(QStringLiteral("Form"));
    setStyleSheet(QStringLiteral(
        "QWidget#CVolumeWidgetUi{border-image: url(:/images/public/Volume/VolumeBg.png) 3; border-width: 3px;}"
        "QSlider::groove:vertical{border-image: url(:/images/public/Volume/VolumeGroove.png); width:6px;}"
        "QSlider::handle:vertical{image: url(:/images/public/Volume/VolumeThumb.png); height: 19px;"
        " margin:-5px -5px -6px -5px;}"
        "QSlider::handle:vertical:hover{image: url(:/images/public/Volume/VolumeThumbPress.png);}"
        "QSlider::handle:vertical:pressed{image: url(:/images/public/Volume/VolumeThumbPress.png);}"));
    m_gridLayout = new QGridLayout(this);
    m_gridLayout->setObjectName(QStringLiteral("gridLayout"));
    m_gridLayout->setHorizontalSpacing(0);
    m_gridLayout->setVerticalSpacing(4);
    m_gridLayout->setContentsMargins(2, 7, 0, 2);
    m_pVolumnBtn = new QToolButton(this);
    m_pVolumnBtn->setObjectName(QStringLiteral("m_pVolumnBtn"));
    m_pVolumnBtn->setMaximumSize(22, 22);
    m_pVolumnBtn->setStyleSheet(QStringLiteral("border: transparent;"));
    m_pVolumnBtn->setIconSize(QSize(22, 22));
    m_pVolumnBtn->setText(QCoreApplication::translate("CVolumeWidgetUi", "..."));
    m_gridLayout->addWidget(m_pVolumnBtn, 1, 0);
    m_pVolumeSlider = new QSlider(this);
    m_pVolumeSlider->setObjectName(QStringLiteral("m_pVolumeSlider"));
    m_pVolumeSlider->setEnabled(false);
    m_pVolumeSlider->setMaximum(0xFFFF);
    m_pVolumeSlider->setOrientation(Qt::Vertical);
    m_gridLayout->addWidget(m_pVolumeSlider, 0, 0);

    setAttribute(Qt::WA_WindowPropagation);
    setFixedSize(27, 128);
}

CVolumeWidget::~CVolumeWidget() = default;

void CVolumeWidget::mousePressEvent(QMouseEvent* event)
{
    if (auto* button = qobject_cast<CVolumeButton*>(parentWidget())) {
        const QRect buttonRect(button->mapToGlobal(QPoint(0, 0)), button->size());
        if (buttonRect.contains(event->globalPosition().toPoint()))
            setAttribute(Qt::WA_NoMouseReplay);
    }
    QFrame::mousePressEvent(event);
}

void CVolumeWidget::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    setMask(CCommonUtil::GetRoundRectRegion(rect(), 2));
}

// ---------------------------------------------------------------------------------------------
// CVolumeButton

CVolumeButton::CVolumeButton(QWidget* parent) : QToolButton(parent)
{
    m_sound.Init();
    m_volume = m_sound.GetVolume();
    m_pPopup = new CVolumeWidget(this);
    connect(m_pPopup->Slider(), &QSlider::valueChanged, this, &CVolumeButton::OnSliderMoved);
    connect(m_pPopup->MuteButton(), &QToolButton::clicked, this, &CVolumeButton::OnVolumnBtnClicked);
}

CVolumeButton::~CVolumeButton()
{
    // The player layer's sound is process-wide: only stop what this button opened.
    if (m_sound.IsPlaying())
        m_sound.StopSound();
}

void CVolumeButton::OnSliderMoved(int value)
{
    m_volume = value;
    emit SignalVolumeValueChanged(value);
}

void CVolumeButton::SetIcon(const QIcon& icon)
{
    setIcon(icon);
    m_pPopup->MuteButton()->setIcon(icon);
}

void CVolumeButton::SetMuteIcon(const QIcon& icon)
{
    m_pPopup->MuteButton()->setIcon(icon);
}

void CVolumeButton::SetVoiceOpened(bool opened)
{
    m_bVoiceOpened = opened;
    m_pPopup->Slider()->setEnabled(opened);
}

void CVolumeButton::SetVolume(int volume)
{
    m_volume = qBound(0, volume, 0xFFFF);
    const QSignalBlocker blocker(this);
    m_pPopup->Slider()->setValue(m_volume);
}

int CVolumeButton::GetVolume() const
{
    return m_pPopup->Slider()->value();
}

void CVolumeButton::OnVolumnBtnClicked()
{
    emit SignalVoiceOpened(!m_bVoiceOpened);
}

void CVolumeButton::mousePressEvent(QMouseEvent* event)
{
    QToolButton::mousePressEvent(event);
    SetVolume(m_volume);
    const int w = width() - m_pPopup->width();
    QPoint p = mapToGlobal(QPoint(w / 2, -m_pPopup->height()));
    const QRect adjusted = CCommonUtil::AdjustRectToScreen(QRect(p, m_pPopup->size()), this);
    if (adjusted.topLeft() != p)
        p = adjusted.topLeft();
    m_pPopup->move(p);
    m_pPopup->show();
}

void CVolumeButton::hideEvent(QHideEvent* event)
{
    m_pPopup->hide();
    QToolButton::hideEvent(event);
}
