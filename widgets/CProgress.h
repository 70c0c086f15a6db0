// The modal progress dialog: the owner feeds it counts (current of total); the dialog shows the
// percentage and accepts itself when the bar is full. Cancel rejects it and emits SignalCancel.
#pragma once

#include "widgets/CBaseDialog.h"

#include <QMetaType>

class QLabel;
class QProgressBar;
class QTimer;

struct ProgressInfo {
    int current = 0;
    int total = 0;
};
Q_DECLARE_METATYPE(ProgressInfo)

namespace Ui {
struct ProgressUi {
    QLabel* pProgressLabel = nullptr;
    QProgressBar* pProgressBar = nullptr;
    void setupUi(QWidget* frame);
};
}  // namespace Ui

class CProgress : public CBaseDialog {
    Q_OBJECT
public:
    static constexpr int kUpdate_ms = 100;

    explicit CProgress(QWidget* parent = nullptr);
    ~CProgress() override;

    void SetLabelText(const QString& text);
    int Percent() const { return m_nPercent; }
    QProgressBar* Bar() const { return m_ui.pProgressBar; }
    // trunc(current / total x 100); -1 when total is 0 (the count is ignored).
    static int PercentOf(int current, int total, bool* ignored);

signals:
    void SignalCancel();

public slots:
    void OnUpdateBar();
    void OnProgressChanged(ProgressInfo struInfo);
    void OnProgressChanged(int iCurrent, int iTotal);

private:
    Ui::ProgressUi m_ui;
    QTimer* m_pTimer = nullptr;
    int m_nPercent = 0;
};
