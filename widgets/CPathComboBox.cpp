#include "widgets/CPathComboBox.h"

#include "widgets/CFileDialog.h"
#include "widgets/Logging.h"

#include <QDebug>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QRegularExpression>

CPathComboBox::CPathComboBox(QWidget* parent) : QComboBox(parent) {}

CPathComboBox::~CPathComboBox() = default;

void CPathComboBox::SetPathMode(int mode)
{
    m_nMode = mode;
    setToolTip(currentText());
}

QString CPathComboBox::SuffixOfFilter(const QString& filter)
{
    static const QRegularExpression pattern(QStringLiteral("\\*(\\.[^\\s;*()]+)"));
    const QRegularExpressionMatch match = pattern.match(filter);
    return match.hasMatch() ? match.captured(1) : QString();
}

QString CPathComboBox::WithSuffix(const QString& name, const QString& filter)
{
    const QString suffix = SuffixOfFilter(filter);
    if (suffix.isEmpty() || name.endsWith(suffix, Qt::CaseInsensitive))
        return name;
    return name + suffix;
}

void CPathComboBox::SetOnlyEntry(const QString& path, bool tip)
{
    clear();
    addItem(path);
    if (tip)
        setToolTip(path);
}

void CPathComboBox::showPopup()
{
    const QString start = currentText().isEmpty() ? QStringLiteral(".") : currentText();
    switch (m_nMode) {
    case SaveFile: {
        for (;;) {
            const QString name = CFileDialog::GetSaveFileName(this, m_strCaption, start, m_strFilter, QString());
            if (name.isNull())
                return;
            // The suffix may name another file than the one the dialog asked about.
            const QString full = WithSuffix(name, m_strFilter);
            if (full != name && !CFileDialog::ConfirmReplace(this, full))
                continue;  // back to the dialog
            SetOnlyEntry(full, true);
            return;
        }
    }
    case OpenFile: {
        const QString name = CFileDialog::GetOpenFileName(this, m_strCaption, start, m_strFilter, nullptr,
                                                          QFileDialog::DontUseNativeDialog);
        if (name.isNull())
            return;
        SetOnlyEntry(name, true);
        return;
    }
    case Directory: {
        if (m_strCaption.isEmpty())
            m_strCaption = tr("Select Directory");
        QString dir = CFileDialog::GetExistingDirectory(this, m_strCaption, start, QFileDialog::ShowDirsOnly);
        if (dir.isNull())
            return;
        if (!dir.endsWith(QLatin1Char('/')))
            dir += QLatin1Char('/');
        SetOnlyEntry(dir, true);
        return;
    }
    case OpenFiles: {
        const QStringList files = CFileDialog::GetOpenFileNames(this, m_strCaption, start, m_strFilter);
        if (files.isEmpty())
            return;
        clear();
        addItems(files);
        return;
    }
    default:
        qCWarning(lcWidgets) << "CPathComboBox: no path mode set, nothing to open";
        return;
    }
}

void CPathComboBox::mousePressEvent(QMouseEvent* e)
{
    const QRect arrow(width() - kArrow_px, 0, kArrow_px, height());
    if (arrow.contains(e->position().toPoint()))
        QComboBox::mousePressEvent(e);
}

void CPathComboBox::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Space && lineEdit())
        return;
    QComboBox::keyPressEvent(e);
}
