// A modeless, self-deleting viewer titled "Snapshot" that shows one picture scaled into its
// window (never enlarged). Another picture can be chosen with the path box or dropped onto it.
#pragma once

#include "widgets/CBaseDialog.h"

class CPathComboBox;
class QLabel;

class SnapShotDialog : public CBaseDialog {
    Q_OBJECT
public:
    explicit SnapShotDialog(QWidget* parent = nullptr);
    ~SnapShotDialog() override;

    void SetImagePath(const QString& path);
    CPathComboBox* PathBox() const { return m_pPathComboBox; }
    QLabel* ImageLabel() const { return m_pImageLabel; }

protected:
    bool event(QEvent* e) override;

private slots:
    void OnComboBoxChanged(const QString& path);

private:
    CPathComboBox* m_pPathComboBox = nullptr;
    QLabel* m_pImageLabel = nullptr;
};
