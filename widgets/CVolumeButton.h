// The sound control of the playback page: a tool button that opens a small pop-up above itself
// with a vertical volume slider and a mute button. The button only relays: the page applies the
// volume and the sound state to the player and tells the button the new state.
#pragma once

#include "engine/SoundControl.h"

#include <QFrame>
#include <QToolButton>

class QGridLayout;
class QSlider;

class CVolumeWidget : public QFrame {
    Q_OBJECT
public:
    explicit CVolumeWidget(QWidget* parent = nullptr);
    ~CVolumeWidget() override;

    QToolButton* MuteButton() const { return m_pVolumnBtn; }
    QSlider* Slider() const { return m_pVolumeSlider; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QGridLayout* m_gridLayout;
    QToolButton* m_pVolumnBtn;
    QSlider* m_pVolumeSlider;
};

class CVolumeButton : public QToolButton {
    Q_OBJECT
public:
    explicit CVolumeButton(QWidget* parent = nullptr);
    ~CVolumeButton() override;

    void SetIcon(const QIcon& icon);
    void SetMuteIcon(const QIcon& icon);
    void SetVoiceOpened(bool opened);
    bool IsVoiceOpened() const { return m_bVoiceOpened; }
    // Shows `volume` on the slider without emitting SignalVolumeValueChanged; the pop-up shows
    // it again at its next opening.
    void SetVolume(int volume);
    int GetVolume() const;
    CVolumeWidget* Popup() const { return m_pPopup; }

signals:
    void SignalVolumeValueChanged(int iValue);
    void SignalVoiceOpened(bool bOpened);

public slots:
    void OnVolumnBtnClicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void OnSliderMoved(int value);

    CVolumeWidget* m_pPopup = nullptr;
    bool m_bVoiceOpened = false;
    CSoundControl m_sound;
    int m_volume;  // the last volume the slider showed or the owner set
};
