// The QFrame base of a page: overridable hooks (a page type, a close confirmation, a leave
// action and further empty hooks) and the toolkit's paint, move and resize handling.
#pragma once

#include <QFrame>

class CBaseFrame : public QFrame {
    Q_OBJECT
public:
    explicit CBaseFrame(QWidget* parent = nullptr);
    ~CBaseFrame() override;

    virtual int GetFrameType() = 0;
    virtual void FrameHook1() {}
    virtual bool ConfirmClose() { return true; }
    virtual bool FrameQuery() { return true; }
    virtual void FrameHook2() {}
    virtual void FrameHook3() {}
    virtual void LeavePage() {}
    virtual void FrameHook4() {}

    void SetFlag(bool flag)
    {
        if (m_flag != flag)
            m_flag = flag;
    }
    bool Flag() const { return m_flag; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    bool m_flag = false;
};
