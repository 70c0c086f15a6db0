// The playback speed dial: a strip of seven positions from "X1/8" to "X8" with a knob the
// operator moves by clicking. The dial keeps the geometry the button had when it was built.
#pragma once

#include <QString>
#include <QToolButton>

class CSpeedButton : public QToolButton {
    Q_OBJECT
public:
    static constexpr int kMiss = 100;

    explicit CSpeedButton(QWidget* parent = nullptr);
    ~CSpeedButton() override;

    void SetSpeed(int speed);
    int GetSpeed() const { return m_speed; }
    void SetDisabled(bool disabled);
    bool HasEnabledLook() const { return m_enabledLook; }
    // The background image for a speed: "speedLeft.png", "speedCenter.png" or "speedRight.png".
    static QString BackgroundFor(int speed);
    static QString LabelFor(int speed);  // "X1/8" ... "X8"; empty outside -3..3
    // The position under `pos` on a dial of `width` x `height` at `speed`; kMiss off the band.
    static int SpeedFromPos(const QPoint& pos, int speed, int width, int height);
    int SpeedFromPos(const QPoint& pos) const;

signals:
    void OnClickSpeed(int iSpeed);

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void paintEvent(QPaintEvent* e) override;

private:
    int m_speed = 0;
    bool m_enabledLook = false;
    int m_x = 0;
    int m_y = 0;
    int m_width = 0;
    int m_height = 0;
};
