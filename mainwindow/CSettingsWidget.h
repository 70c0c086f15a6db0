// The "Config" page: the snapshot format, the three output folders and the two package sizes.
// It shows what the settings store holds, checks the free space of the folders when "Save" is
// pressed and writes "Settings.xml"; the store takes the new values only once the file is written.
#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

class CComboBox;
class CPathComboBox;
class CPushButton;
class QLabel;

class CSettingsWidget : public QWidget {
    Q_OBJECT
public:
    explicit CSettingsWidget(QWidget* parent = nullptr);
    ~CSettingsWidget() override;

    // The six values as the widgets show them, in key order.
    QStringList EditValues() const;
    // The index of the folder the last save refused (free space), or -1.
    int RefusedIndex() const { return m_refusedIndex; }
    // Puts the stored value of one setting back into its widget.
    void RevertSetting(int index);

    // Widgets, for the main window's save question and for tests.
    CComboBox* ComboOf(int index) const;
    CPathComboBox* PathOf(int index) const;
    CPushButton* SaveButton() const { return m_pBtnSave; }

public slots:
    // False only when a folder was refused for its free space (its tool tip is shown).
    bool OnSaveBtnClicked();
    void OnCaptureSavePathClicked();
    void OnClipSavePathClicked();
    void OnDownloadSavePathClicked();
    bool IsSettingsChanged();
    // Shows the stored values, dropping the operator's edits.
    void GetSettings();

protected:
    void changeEvent(QEvent* e) override;

private:
    void InitCombos();
    void Retranslate();
    QStringList StoredValues() const;
    void ShowValue(int index, const QString& stored);

    CComboBox* m_pComboBoxCapture = nullptr;
    CComboBox* m_pComboBoxClip = nullptr;
    CComboBox* m_pComboBoxDownload = nullptr;
    CPathComboBox* m_pLineEditCapture = nullptr;
    CPathComboBox* m_pLineEditClip = nullptr;
    CPathComboBox* m_pLineEditDownload = nullptr;
    CPushButton* m_pBtnCaptureSavePath = nullptr;
    CPushButton* m_pBtnClipSavePath = nullptr;
    CPushButton* m_pBtnDownloadSavePath = nullptr;
    CPushButton* m_pBtnSave = nullptr;
    QList<QLabel*> m_sectionLabels;  // "Capture", "Clip", "Download"
    QList<QLabel*> m_fieldLabels;    // "Save Type:", "Save Path:", "Package Size:", ... in rows
    int m_refusedIndex = -1;
};

// What the main window's "Save new settings?" question ended in.
enum class SaveQuestionResult {
    NotAsked,     // no page, or nothing changed
    Saved,        // saved (the page showed "Save successful.")
    PartlySaved,  // a folder short of space was put back, the other edits were saved
    WriteFailed,  // "Save failed."; the edits stay on the page, still marked changed
    Refused,      // a stored folder is short of space: nothing saved, the edits stay on the page
    Dropped       // answered no: the stored values are shown again
};

// The question the main window asks before leaving the settings page or closing: "Save new
// settings?" when the page has changes. A folder refused for its free space gets "DiskSpace is
// low." and only that folder is put back; the other edits are saved. When the refused folder is the
// stored one (nothing to put back) nothing is saved and the edits stay on the page.
SaveQuestionResult CheckSaveSettings(CSettingsWidget* page, QWidget* window);
