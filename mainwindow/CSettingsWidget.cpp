#include "mainwindow/CSettingsWidget.h"

#include "app/CommonUtil.h"
#include "app/SettingsManager.h"
#include "mainwindow/SettingsPage.h"
#include "widgets/CComboBoxes.h"
#include "widgets/CInformationDlg.h"
#include "widgets/CPathComboBox.h"
#include "widgets/CPushButton.h"
#include "widgets/CToolTip.h"
#include "widgets/CWarnDlg.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QSpacerItem>

namespace {

constexpr int kCaptureType = CSettingsManager::CaptureSaveType;

QFrame* MakeLine(QWidget* parent, const char* name)
{
    auto* line = new QFrame(parent);
    line->setObjectName(QLatin1String(name));
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

}  // namespace

CSettingsWidget::CSettingsWidget(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("CSettingsWidget"));
    resize(802, 631);
    auto* grid = new QGridLayout(this);
    grid->setObjectName(QStringLiteral("gridLayout_7"));
    grid->setSpacing(6);
    grid->setContentsMargins(11, 11, 11, 11);

    const char* sectionNames[3] = {"label", "label_4", "label_7"};
    const char* lineNames[3] = {"line", "line_2", "line_3"};
    const char* comboNames[3] = {"m_pComboBoxCapture", "m_pComboBoxClip", "m_pComboBoxDownload"};
    const char* pathNames[3] = {"m_pLineEditCapture", "m_pLineEditClip", "m_pLineEditDownload"};
    const char* btnNames[3] = {"m_pBtnCaptureSavePath", "m_pBtnClipSavePath", "m_pBtnDownloadSavePath"};
    const char* labelNames[6] = {"label_2", "label_3", "label_5", "label_6", "label_8", "label_9"};
    CComboBox** combos[3] = {&m_pComboBoxCapture, &m_pComboBoxClip, &m_pComboBoxDownload};
    CPathComboBox** paths[3] = {&m_pLineEditCapture, &m_pLineEditClip, &m_pLineEditDownload};
    CPushButton** buttons[3] = {&m_pBtnCaptureSavePath, &m_pBtnClipSavePath, &m_pBtnDownloadSavePath};

    for (int s = 0; s < 3; ++s) {
        auto* section = new QVBoxLayout;
        auto* header = new QHBoxLayout;
        auto* title = new QLabel(this);
        title->setObjectName(QLatin1String(sectionNames[s]));
        m_sectionLabels.append(title);
        header->addWidget(title);
        header->addWidget(MakeLine(this, lineNames[s]), 1);
        section->addLayout(header);

        auto* body = new QHBoxLayout;
        body->addItem(new QSpacerItem(20, 100, QSizePolicy::Fixed, QSizePolicy::Minimum));
        auto* fields = new QGridLayout;
        auto* typeLabel = new QLabel(this);
        typeLabel->setObjectName(QLatin1String(labelNames[2 * s]));
        typeLabel->setMinimumWidth(100);
        auto* pathLabel = new QLabel(this);
        pathLabel->setObjectName(QLatin1String(labelNames[2 * s + 1]));
        pathLabel->setMinimumWidth(100);
        m_fieldLabels << typeLabel << pathLabel;

        auto* combo = new CComboBox(this);
        combo->setObjectName(QLatin1String(comboNames[s]));
        combo->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        combo->setMinimumWidth(120);
        *combos[s] = combo;

        // A folder is kept whole whatever its length; the box shows its start and the tool tip
        // the whole text.
        auto* path = new CPathComboBox(this);
        path->setObjectName(QLatin1String(pathNames[s]));
        path->SetPathMode(CPathComboBox::Directory);
        path->setMinimumSize(400, 22);
        path->setMaximumWidth(500);
        *paths[s] = path;

        auto* btn = new CPushButton(this);
        btn->setObjectName(QLatin1String(btnNames[s]));
        btn->setMinimumHeight(22);
        btn->setMaximumSize(95, 30);
        *buttons[s] = btn;

        fields->addWidget(typeLabel, 0, 0);
        fields->addWidget(combo, 0, 1);
        fields->addWidget(pathLabel, 1, 0);
        fields->addWidget(path, 1, 1);
        fields->addWidget(btn, 1, 2);
        fields->setColumnStretch(3, 1);
        body->addLayout(fields, 1);
        section->addLayout(body);
        grid->addLayout(section, s, 0, 1, 3);
    }
    grid->addItem(new QSpacerItem(20, 40, QSizePolicy::Minimum, QSizePolicy::Fixed), 3, 0);
    m_pBtnSave = new CPushButton(this);
    m_pBtnSave->setObjectName(QStringLiteral("m_pBtnSave"));
    m_pBtnSave->setMinimumHeight(22);
    m_pBtnSave->setMaximumSize(95, 30);
    grid->addWidget(m_pBtnSave, 4, 2);
    grid->addItem(new QSpacerItem(20, 40, QSizePolicy::Minimum, QSizePolicy::Expanding), 7, 0);

    InitCombos();
    Retranslate();
    // Snapshots, clips and downloads use the same values the page shows from the first start.
    SettingsPage::SeedDefaults(*CSettingsManager::Instance());
    GetSettings();

    connect(m_pBtnSave, &QPushButton::clicked, this, &CSettingsWidget::OnSaveBtnClicked);
    connect(m_pBtnCaptureSavePath, &QPushButton::clicked, this, &CSettingsWidget::OnCaptureSavePathClicked);
    connect(m_pBtnClipSavePath, &QPushButton::clicked, this, &CSettingsWidget::OnClipSavePathClicked);
    connect(m_pBtnDownloadSavePath, &QPushButton::clicked, this, &CSettingsWidget::OnDownloadSavePathClicked);
}

CSettingsWidget::~CSettingsWidget() = default;

void CSettingsWidget::InitCombos()
{
    m_pComboBoxCapture->addItem(QStringLiteral("JPEG"), 0);
    m_pComboBoxCapture->addItem(QStringLiteral("BMP"), 1);
    for (CComboBox* c : {m_pComboBoxClip, m_pComboBoxDownload}) {
        c->addItem(QStringLiteral("32MB"), 0);
        c->addItem(QStringLiteral("128MB"), 1);
    }
}

void CSettingsWidget::Retranslate()
{
    m_sectionLabels[0]->setText(tr("Capture"));
    m_sectionLabels[1]->setText(tr("Clip"));
    m_sectionLabels[2]->setText(tr("Download"));
    for (int s = 0; s < 3; ++s) {
        m_fieldLabels[2 * s]->setText(s == 0 ? tr("Save Type:") : tr("Package Size:"));
        m_fieldLabels[2 * s + 1]->setText(tr("Save Path:"));
    }
    for (CPushButton* b : {m_pBtnCaptureSavePath, m_pBtnClipSavePath, m_pBtnDownloadSavePath})
        b->setText(tr("change"));
    m_pBtnSave->setText(tr("Save"));
    m_pComboBoxCapture->setItemText(0, tr("JPEG"));
    m_pComboBoxCapture->setItemText(1, tr("BMP"));
    for (CComboBox* c : {m_pComboBoxClip, m_pComboBoxDownload}) {
        c->setItemText(0, tr("32MB"));
        c->setItemText(1, tr("128MB"));
    }
    for (CPathComboBox* p : {m_pLineEditCapture, m_pLineEditClip, m_pLineEditDownload})
        p->SetCaption(tr("Select Directory"));
}

void CSettingsWidget::changeEvent(QEvent* e)
{
    if (e->type() == QEvent::LanguageChange)
        Retranslate();
    QWidget::changeEvent(e);
}

CComboBox* CSettingsWidget::ComboOf(int index) const
{
    switch (index) {
    case CSettingsManager::CaptureSaveType:
        return m_pComboBoxCapture;
    case CSettingsManager::ClipPackageSize:
        return m_pComboBoxClip;
    case CSettingsManager::DownloadPackageSize:
        return m_pComboBoxDownload;
    default:
        return nullptr;
    }
}

CPathComboBox* CSettingsWidget::PathOf(int index) const
{
    switch (index) {
    case CSettingsManager::CaptureSavePath:
        return m_pLineEditCapture;
    case CSettingsManager::ClipSavePath:
        return m_pLineEditClip;
    case CSettingsManager::DownloadSavePath:
        return m_pLineEditDownload;
    default:
        return nullptr;
    }
}

QStringList CSettingsWidget::StoredValues() const
{
    QStringList values;
    for (int i = 0; i < SettingsPage::kCount; ++i)
        values << CSettingsManager::Instance()->GetValueByIndex(i).value_or(QString());
    return values;
}

void CSettingsWidget::ShowValue(int index, const QString& stored)
{
    if (CPathComboBox* path = PathOf(index)) {
        const QString shown = SettingsPage::ShownPath(stored);
        path->clear();
        path->addItem(shown);
        path->setToolTip(shown);
    } else if (CComboBox* combo = ComboOf(index)) {
        combo->setCurrentIndex(combo->findData(SettingsPage::ComboDataFor(index, stored)));
    }
}

void CSettingsWidget::GetSettings()
{
    SettingsPage::SeedDefaults(*CSettingsManager::Instance());
    const QStringList stored = StoredValues();
    for (int i = 0; i < SettingsPage::kCount; ++i)
        ShowValue(i, stored.value(i));
}

void CSettingsWidget::RevertSetting(int index)
{
    ShowValue(index, StoredValues().value(index));
}

QStringList CSettingsWidget::EditValues() const
{
    QStringList values;
    for (int i = 0; i < SettingsPage::kCount; ++i) {
        if (CPathComboBox* path = PathOf(i))
            values << path->currentText();
        else if (CComboBox* combo = ComboOf(i))
            values << (combo->currentIndex() < 0 ? QString() : combo->currentData().toString());
    }
    return values;
}

bool CSettingsWidget::IsSettingsChanged()
{
    return SettingsPage::FirstChanged(StoredValues(), EditValues()) >= 0;
}

bool CSettingsWidget::OnSaveBtnClicked()
{
    m_refusedIndex = -1;
    const QStringList edits = EditValues();
    for (int index : {int(CSettingsManager::CaptureSavePath), int(CSettingsManager::ClipSavePath),
                      int(CSettingsManager::DownloadSavePath)}) {
        const SettingsPage::Space space = SettingsPage::CheckFolderSpace(edits.value(index), index);
        if (space == SettingsPage::Space::Enough)
            continue;
        QString tip;
        if (space == SettingsPage::Space::Unknown)
            tip = tr("The free space of this folder cannot be checked.");
        else if (index == CSettingsManager::CaptureSavePath)
            tip = tr("At least 500M disk space is need.");
        else
            tip = tr("At least 2G disk space is need.");
        CPathComboBox* field = PathOf(index);
        CToolTip::showText(field->mapToGlobal(QPoint(0, 0)), tip);
        m_refusedIndex = index;
        return false;
    }

    bool failed = false;
    if (IsSettingsChanged()) {
        SettingsEntries entries;
        for (int i = 0; i < SettingsPage::kCount; ++i)
            entries.append({CSettingsManager::GetKeyName(i), edits.value(i)});
        // The store takes the values only when the file was written, so a failed write leaves the
        // page changed and nothing is lost at the next start.
        failed = !CSettingsManager::Instance()->SaveSettings(
            entries, CCommonUtil::GetConfigFilePath(QStringLiteral("Settings.xml")));
    }
    if (!failed)
        CInformationDlg::ShowInformation(tr("Save successful."), this, false);
    else
        CWarnDlg::ShowWarn(tr("Error"), tr("Save failed."), this);
    return true;
}

void CSettingsWidget::OnCaptureSavePathClicked()
{
    m_pLineEditCapture->showPopup();
}

void CSettingsWidget::OnClipSavePathClicked()
{
    m_pLineEditClip->showPopup();
}

void CSettingsWidget::OnDownloadSavePathClicked()
{
    m_pLineEditDownload->showPopup();
}

SaveQuestionResult CheckSaveSettings(CSettingsWidget* page, QWidget* window)
{
    if (!page || !page->IsSettingsChanged())
        return SaveQuestionResult::NotAsked;
    if (CWarnDlg::ShowQuestion(QCoreApplication::translate("CVarpenMainWnd", "Information"),
                               QCoreApplication::translate("CVarpenMainWnd", "Save new settings?"),
                               window) != QDialog::Accepted) {
        page->GetSettings();
        return SaveQuestionResult::Dropped;
    }
    bool refusedAny = false;
    // Each refusal puts back only the refused folder and saves the rest. A refused folder that
    // already is the stored one cannot be put back: then nothing can be saved and the edits stay.
    for (int attempt = 0; attempt < SettingsPage::kCount; ++attempt) {
        if (page->OnSaveBtnClicked())
            break;
        if (!refusedAny)
            CInformationDlg::ShowInformation(QCoreApplication::translate("CVarpenMainWnd", "DiskSpace is low."), window,
                                             false);
        refusedAny = true;
        const int refused = page->RefusedIndex();
        const QString before = page->EditValues().value(refused);
        page->RevertSetting(refused);
        if (page->EditValues().value(refused) == before)
            return SaveQuestionResult::Refused;
        if (!page->IsSettingsChanged())
            return SaveQuestionResult::PartlySaved;
    }
    if (page->IsSettingsChanged())
        return SaveQuestionResult::WriteFailed;  // "Save failed." was shown
    return refusedAny ? SaveQuestionResult::PartlySaved : SaveQuestionResult::Saved;
}
