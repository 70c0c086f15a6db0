#include "widgets/CMutiroleDialog.h"

#include "widgets/CBaseDialog.h"

#include <QFrame>
#include <QKeyEvent>

// The host dialog tells its frame when it goes first (its parent was destroyed), so that the
// frame, deleted with it as its content, never deletes it a second time.
class CMutiroleHost : public CBaseDialog {
public:
    explicit CMutiroleHost(CMutiroleDialog* frame) : CBaseDialog(nullptr, true, true, true), m_frame(frame) {}
    ~CMutiroleHost() override
    {
        if (m_frame)
            m_frame->m_pHostDialog = nullptr;
    }
    CMutiroleDialog* m_frame;
};

CMutiroleDialog::CMutiroleDialog(QWidget* parent) : QFrame(parent), m_pParentWidget(parent)
{
    setParent(parent);
}

CMutiroleDialog::~CMutiroleDialog()
{
    if (CMutiroleHost* host = m_pHostDialog) {
        m_pHostDialog = nullptr;
        host->m_frame = nullptr;
        setParent(nullptr);
        delete host;
    }
}

QDialog* CMutiroleDialog::HostDialog() const
{
    return m_pHostDialog;
}

void CMutiroleDialog::PrepareHost(QWidget* parent)
{
    if (!m_pHostDialog)
        m_pHostDialog = new CMutiroleHost(this);
    connect(m_pHostDialog, &CBaseDialog::ClickedCloseBtnSig, this, &CMutiroleDialog::DialogCloseSlot,
            Qt::UniqueConnection);
    m_pHostDialog->SetCloseOnClose(false);
    m_pHostDialog->setParent(parent, Qt::Dialog | Qt::FramelessWindowHint);
    if (parentWidget() != m_pHostDialog->GetContentFrame())  // once: a second call would add a cell
        m_pHostDialog->SetContentWidget(this);
    setStyleSheet(QStringLiteral("QFrame#CMutiroleDialog{background-color: transparent;}"));
}

int CMutiroleDialog::ExecDialog(QWidget* parent, const QString& title)
{
    const QSize size = this->size();
    PrepareHost(parent);
    m_pHostDialog->resize(size);
    m_pHostDialog->SetTitle(title);
    return m_pHostDialog->exec();
}

void CMutiroleDialog::ShowDialog(QWidget* parent, const QString& title, int width, int height)
{
    if (!parent)
        return;
    PrepareHost(parent);
    m_pHostDialog->resize(width, height);
    m_pHostDialog->SetTitle(title);
    m_pHostDialog->ShowCloseBtn(true);
    m_pHostDialog->SetBottomVisible(false);
    m_pHostDialog->show();
}

bool CMutiroleDialog::CloseDialog()
{
    return m_pHostDialog ? m_pHostDialog->close() : false;
}

void CMutiroleDialog::DialogCloseSlot()
{
    CloseDialog();
}

void CMutiroleDialog::MoveDialog(int x, int y)
{
    if (m_pHostDialog)
        m_pHostDialog->move(x, y);
    else
        move(x, y);
}

int CMutiroleDialog::DialogHeight() const
{
    return m_pHostDialog ? m_pHostDialog->height() : height();
}

int CMutiroleDialog::DialogWidth() const
{
    return m_pHostDialog ? m_pHostDialog->width() : width();
}

void CMutiroleDialog::keyPressEvent(QKeyEvent* e)
{
    if (!m_pHostDialog)
        return;
    switch (e->key()) {
    case Qt::Key_Escape:
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Select:
        // Handled here: passed on, the key would reach the host and accept it a second time.
        m_pHostDialog->accept();
        e->accept();
        return;
    default:
        break;
    }
    QWidget::keyPressEvent(e);
}
