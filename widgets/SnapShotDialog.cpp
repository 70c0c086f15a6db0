#include "widgets/SnapShotDialog.h"

#include "app/CommonUtil.h"
#include "widgets/CPathComboBox.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFrame>
#include <QGridLayout>
#include <QImage>
#include <QLabel>
#include <QMimeData>
#include <QPixmap>
#include <QSpacerItem>

#include <algorithm>

SnapShotDialog::SnapShotDialog(QWidget* parent) : CBaseDialog(parent, false, false, false)
{
    setAttribute(Qt::WA_DeleteOnClose);
    resize(800, 600);
    SetTitle(tr("Snapshot"));
    ShowCloseBtn(true);
    auto* layout = new QGridLayout(GetContentFrame());
    m_pPathComboBox = new CPathComboBox(GetContentFrame());
    m_pPathComboBox->setMinimumSize(280, 0);
    m_pPathComboBox->SetPathMode(CPathComboBox::OpenFile);
    m_pPathComboBox->SetCaption(tr("Select File"));
    m_pPathComboBox->SetFileFilter(tr("Image Files(*.png *.jpg *.jpeg *.bmp)"));
    layout->addWidget(m_pPathComboBox, 0, 0);
    layout->addItem(new QSpacerItem(305, 20, QSizePolicy::Expanding, QSizePolicy::Minimum), 0, 1);
    m_pImageLabel = new QLabel(GetContentFrame());
    m_pImageLabel->setObjectName(QStringLiteral("pImageLabel"));
    m_pImageLabel->setAlignment(Qt::AlignCenter);
    m_pImageLabel->setAcceptDrops(true);
    setAcceptDrops(true);
    layout->addWidget(m_pImageLabel, 1, 0, 1, 2);
    connect(m_pPathComboBox, &QComboBox::currentIndexChanged, this,
            [this](int index) { OnComboBoxChanged(m_pPathComboBox->itemText(index)); });
}

SnapShotDialog::~SnapShotDialog() = default;

void SnapShotDialog::SetImagePath(const QString& path)
{
    m_pPathComboBox->clear();
    m_pPathComboBox->addItem(path, QVariant());
}

void SnapShotDialog::OnComboBoxChanged(const QString& path)
{
    if (path.isEmpty())
        return;
    const QImage image(path);
    if (image.isNull()) {
        // The box names a file that is no picture: show nothing rather than the last picture.
        m_pImageLabel->setPixmap(QPixmap());
        return;
    }
    const QSize target(std::min(image.width(), m_pImageLabel->width()),
                       std::min(image.height(), m_pImageLabel->height()));
    m_pImageLabel->setPixmap(QPixmap::fromImage(image.scaled(target, Qt::KeepAspectRatio, Qt::FastTransformation)));
}

bool SnapShotDialog::event(QEvent* e)
{
    if (e->type() == QEvent::DragEnter) {
        auto* drag = static_cast<QDragEnterEvent*>(e);
        if (!CCommonUtil::GetMimeLocalFiles(drag->mimeData()).isEmpty()) {
            drag->acceptProposedAction();
            return true;
        }
        return QWidget::event(e);
    }
    if (e->type() == QEvent::Drop) {
        auto* drop = static_cast<QDropEvent*>(e);
        for (const QString& file : CCommonUtil::GetMimeLocalFiles(drop->mimeData())) {
            m_pPathComboBox->clear();
            m_pPathComboBox->addItem(file);
        }
        drop->acceptProposedAction();
        return true;
    }
    return CBaseDialog::event(e);
}
