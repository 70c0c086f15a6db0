// The wait dialogs. ChaseDialog is modal: run with exec() while a worker searches or writes, it
// closes itself at its next 500 ms tick after the worker reports the end (SetStopChase) and tells
// the worker to stop when the operator cancels (SignalCancel). An outcome reported before the
// modal loop shows the dialog is kept until the loop has started, so it is never lost.
// CFakeChaseDialog is the playback page's long-lived channel-search overlay.
#pragma once

#include "widgets/CBaseDialog.h"

class QGridLayout;
class QLabel;
class QMovie;
class QTimer;
class QToolButton;

// The outcome a wait dialog holds until its tick acts on it: none yet, or a QDialog::DialogCode.
constexpr int kChaseNoResult = -1;

class ChaseDialog : public CBaseDialog {
    Q_OBJECT
public:
    static constexpr int kTick_ms = 500;

    ChaseDialog(QWidget* parent, const QString& movieFile, const QString& title, bool showCancel);
    ~ChaseDialog() override;

    int PendingResult() const { return m_nResult; }
    QMovie* Movie() const { return m_pMovie; }

signals:
    void SignalCancel();

public slots:
    void UpdateInfo();
    void SetStopChase();
    void OnSlotRejectChase();
    void OnImmediatelyStopChase();

private:
    QTimer* m_pTimer = nullptr;
    QMovie* m_pMovie = nullptr;
    int m_nResult = kChaseNoResult;
};

class CFakeChaseDialog : public CBaseDialog {
    Q_OBJECT
public:
    CFakeChaseDialog(QWidget* parent, const QString& movieFile);
    ~CFakeChaseDialog() override;

    QLabel* ChaseLabel() const { return m_pChaseLabel; }
    QLabel* MovieLabel() const { return m_pMovieLabel; }
    QLabel* NoChannelLabel() const { return m_pNoChannelLabel; }
    QToolButton* InfoButton() const { return m_pInfoBtn; }

signals:
    void SignalCancel();

public slots:
    void UpdateInfo();
    void SetStopChase();
    void OnSlotRejectChase();
    void OnImmediatelyStopChase();
    void ShowNoChannelInfo();
    void ShowChaseInfo();
    void setSize(int width, int heigth);
    void mousePressEvent(QMouseEvent* e) override;

private:
    QTimer* m_pTimer = nullptr;
    int m_nResult = kChaseNoResult;
    QGridLayout* m_pLayout = nullptr;
    bool m_bShowOnTick = true;
    QLabel* m_pChaseLabel = nullptr;
    QLabel* m_pMovieLabel = nullptr;
    QLabel* m_pNoChannelLabel = nullptr;
    QToolButton* m_pInfoBtn = nullptr;
};
