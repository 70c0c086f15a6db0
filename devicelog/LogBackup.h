// The log page's two small dialogs: the progress of a log search, which closes itself at 100 %
// or reports a cancel, and the backup dialog that asks for the XML file an export writes.
#pragma once

#include "widgets/CBaseDialog.h"
#include "widgets/CProgress.h"  // ProgressInfo

class QLabel;
class QProgressBar;
class QTimer;
class CPathComboBox;

namespace Ui {
struct LogSearchProgressUi {
    QLabel* pProgressLabel = nullptr;
    QProgressBar* pProgressBar = nullptr;
    void setupUi(QWidget* frame);
};
struct UiLogBackup {
    QLabel* label_2 = nullptr;
    CPathComboBox* pBackcBox = nullptr;
    void setupUi(QWidget* frame);
    void retranslateUi(QWidget* frame);
};
}  // namespace Ui

class CLogSearchProgress : public CBaseDialog {
    Q_OBJECT
public:
    static constexpr int kUpdate_ms = 500;

    explicit CLogSearchProgress(QWidget* parent = nullptr);
    ~CLogSearchProgress() override;

    void SetText(const QString& text);
    int Percent() const { return m_iPercent; }
    QProgressBar* Bar() const { return m_ui.pProgressBar; }
    // trunc(current / total x 100); a total of 0 or less leaves `percent` as it is.
    static int PercentOf(int current, int total, int percent);

signals:
    void OnCancel();

public slots:
    void UpdateBar();
    void OnProgressChanged(ProgressInfo struInfo);

private:
    Ui::LogSearchProgressUi m_ui;
    QTimer* m_pTimer = nullptr;
    int m_iPercent = 0;
};

class CLogBackup : public CBaseDialog {
    Q_OBJECT
public:
    explicit CLogBackup(QWidget* parent = nullptr);

    CPathComboBox* PathBox() const { return m_ui.pBackcBox; }

signals:
    void OnAccepted(const QString& path);

public slots:
    void OnAccepted();

private:
    Ui::UiLogBackup m_ui;
};
