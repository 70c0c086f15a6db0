#include "widgets/CFileDialog.h"

#include "widgets/CWarnDlg.h"

#include <QDir>
#include <QFileInfo>
#include <QSplitter>

const char* const CFileDialog::kRowTint =
    "QListView::item:hover,QTreeView#treeView::item:hover     {         background-color:rgb(251,251,194);"
    "        color:rgb(0,0,0);    }     QListView::item:selected,QTreeView#treeView::item:selected    {  "
    "       background-color:rgb(238,238,238);        color:rgb(0,0,0);    } ";

CFileDialog::CFileDialog(QWidget* parent) : CBaseDialog(parent, false, false, false)
{
    ShowCloseBtn(true);
    setStyleSheet(styleSheet() + QLatin1String(kRowTint));
    resize(600, 400);
}

CFileDialog::~CFileDialog() = default;

QString CFileDialog::GetExistingAbsoluteDir(const QString& path)
{
    const QFileInfo info(QDir::current(), path);
    if (info.exists() && info.isDir())
        return QDir::cleanPath(info.absoluteFilePath());
    const QFileInfo parent(info.absolutePath());
    if (parent.exists() && parent.isDir())
        return QDir::cleanPath(parent.absoluteFilePath());
    return QString();
}

QString CFileDialog::GetStartDirectory(const QString& dir)
{
    if (!dir.isEmpty()) {
        const QString existing = GetExistingAbsoluteDir(dir);
        if (!existing.isEmpty())
            return existing;
    }
    return QDir::currentPath();
}

QFileDialog* CFileDialog::EmbedFileDialog()
{
    if (m_pFileDialog)
        return m_pFileDialog;
    m_pFileDialog = new QFileDialog(nullptr, QString(), QString(), QString());
    m_pFileDialog->setOption(QFileDialog::DontUseNativeDialog);
    SetContentWidget(m_pFileDialog);  // the frame owns it from here
    // Room for the side bar's place names.
    if (auto* splitter = m_pFileDialog->findChild<QSplitter*>(QStringLiteral("splitter")))
        splitter->setSizes({130, 470});
    return m_pFileDialog;
}

bool CFileDialog::ConfirmReplace(QWidget* parent, const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return true;
    const QString text = tr("%1 already exists.\nDo you want to replace it?").arg(info.fileName());
    return CWarnDlg::ShowQuestion(tr("Confirm"), text, parent) == QDialog::Accepted;
}

bool CFileDialog::Run(QWidget* parent, const QString& caption, const QString& dir, Mode mode, const QString& filter,
                      const QString& fileName, QString* selectedFilter, QFileDialog::Options options,
                      QStringList* files)
{
    CFileDialog frame(parent);
    QFileDialog* fileDialog = frame.EmbedFileDialog();
    frame.SetTitle(caption);
    fileDialog->setDirectory(GetStartDirectory(dir));
    switch (mode) {
    case Mode::OpenFile:
        if (!filter.isEmpty())
            fileDialog->setNameFilter(filter);
        fileDialog->setFileMode(QFileDialog::ExistingFile);
        break;
    case Mode::SaveFile:
        if (!filter.isEmpty())
            fileDialog->setNameFilter(filter);
        fileDialog->selectFile(fileName);
        fileDialog->setFileMode(QFileDialog::AnyFile);
        fileDialog->setAcceptMode(QFileDialog::AcceptSave);
        break;
    case Mode::Directory:
        fileDialog->setFileMode(QFileDialog::Directory);
        break;
    case Mode::OpenFiles:
        if (!filter.isEmpty())
            fileDialog->setNameFilter(filter);
        fileDialog->setFileMode(QFileDialog::ExistingFiles);
        break;
    }
    // The overwrite question is ours (below), asked through the kit's message box; the file
    // dialog never offers folder creation, renaming or deletion, and is never the native one.
    fileDialog->setOptions(options | QFileDialog::DontConfirmOverwrite | QFileDialog::ReadOnly |
                           QFileDialog::DontUseNativeDialog);
    connect(fileDialog, &QDialog::accepted, &frame, &QDialog::accept);
    connect(fileDialog, &QDialog::rejected, &frame, &QDialog::reject);
    if (selectedFilter)
        fileDialog->selectNameFilter(*selectedFilter);

    for (;;) {
        if (frame.exec() != QDialog::Accepted)
            return false;
        const QStringList chosen = fileDialog->selectedFiles();
        if (mode == Mode::SaveFile && !chosen.isEmpty() && !ConfirmReplace(&frame, chosen.value(0))) {
            fileDialog->show();  // back to the dialog, as the operator left it
            continue;
        }
        if (selectedFilter && mode != Mode::Directory)
            *selectedFilter = fileDialog->selectedNameFilter();
        *files = chosen;
        return true;
    }
}

QString CFileDialog::GetOpenFileName(QWidget* parent, const QString& caption, const QString& dir, const QString& filter,
                                     QString* selectedFilter, QFileDialog::Options options)
{
    QStringList files;
    if (!Run(parent, caption, dir, Mode::OpenFile, filter, QString(), selectedFilter, options, &files))
        return QString();
    return files.value(0);
}

QString CFileDialog::GetSaveFileName(QWidget* parent, const QString& caption, const QString& dir, const QString& filter,
                                     const QString& fileName, QString* selectedFilter, QFileDialog::Options options)
{
    QStringList files;
    if (!Run(parent, caption, dir, Mode::SaveFile, filter, fileName, selectedFilter, options, &files))
        return QString();
    return files.value(0);
}

QString CFileDialog::GetExistingDirectory(QWidget* parent, const QString& caption, const QString& dir,
                                          QFileDialog::Options options)
{
    QStringList files;
    if (!Run(parent, caption, dir, Mode::Directory, QString(), QString(), nullptr, options, &files))
        return QString();
    return files.value(0);
}

QStringList CFileDialog::GetOpenFileNames(QWidget* parent, const QString& caption, const QString& dir,
                                          const QString& filter, QString* selectedFilter, QFileDialog::Options options)
{
    QStringList files;
    if (!Run(parent, caption, dir, Mode::OpenFiles, filter, QString(), selectedFilter, options, &files))
        return QStringList();
    return files;
}
