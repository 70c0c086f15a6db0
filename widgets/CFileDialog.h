// The program's file and folder dialog: the toolkit's widget-based file dialog (never the
// desktop's native one) inside the frameless base dialog. Four static functions run one
// modally and return the choice, as the toolkit's static functions do. Saving over an existing
// file asks first (a CWarnDlg question); "no" returns to the dialog.
#pragma once

#include "widgets/CBaseDialog.h"

#include <QFileDialog>
#include <QStringList>

class CFileDialog : public CBaseDialog {
    Q_OBJECT
public:
    explicit CFileDialog(QWidget* parent = nullptr);
    ~CFileDialog() override;

    static QString GetOpenFileName(QWidget* parent, const QString& caption, const QString& dir, const QString& filter,
                                   QString* selectedFilter = nullptr, QFileDialog::Options options = {});
    static QString GetSaveFileName(QWidget* parent, const QString& caption, const QString& dir, const QString& filter,
                                   const QString& fileName, QString* selectedFilter = nullptr,
                                   QFileDialog::Options options = {});
    static QString GetExistingDirectory(QWidget* parent, const QString& caption, const QString& dir,
                                        QFileDialog::Options options = QFileDialog::ShowDirsOnly);
    static QStringList GetOpenFileNames(QWidget* parent, const QString& caption, const QString& dir,
                                        const QString& filter, QString* selectedFilter = nullptr,
                                        QFileDialog::Options options = {});

    // True when `path` may be written: it does not exist, or the operator agreed to replace it
    // (a CWarnDlg question on `parent`).
    static bool ConfirmReplace(QWidget* parent, const QString& path);

    static QString GetStartDirectory(const QString& dir);
    static QString GetExistingAbsoluteDir(const QString& path);

    // Creates the toolkit's widget-based file dialog inside the frame (once) and returns it.
    QFileDialog* EmbedFileDialog();
    // The embedded file dialog, for tests that answer a prompt of this class.
    QFileDialog* FileDialog() const { return m_pFileDialog; }

    static const char* const kRowTint;

private:
    enum class Mode { OpenFile, SaveFile, Directory, OpenFiles };
    // Runs one dialog; false when the operator cancelled. Returns the chosen files and filter.
    static bool Run(QWidget* parent, const QString& caption, const QString& dir, Mode mode, const QString& filter,
                    const QString& fileName, QString* selectedFilter, QFileDialog::Options options, QStringList* files);

    QFileDialog* m_pFileDialog = nullptr;
};
