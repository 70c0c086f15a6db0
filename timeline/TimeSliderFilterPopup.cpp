#include "timeline/TimeSliderFilterPopup.h"

#include "widgets/CPushButton.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpacerItem>

CTimeSliderFilterPopup::CTimeSliderFilterPopup(QWidget* parent) : QFrame(parent, Qt::Popup)
{
    setObjectName(QStringLiteral("CTimeSliderFilterPopup"));
    auto* grid = new QGridLayout(this);
    m_form = new QFormLayout;
    m_form->setContentsMargins(9, 9, 9, 9);
    m_form->setSpacing(6);
    grid->addLayout(m_form, 0, 0);

    m_all = new QCheckBox(tr("All"), this);
    m_all->setTristate(true);
    m_form->setWidget(0, QFormLayout::LabelRole, m_all);
    connect(m_all, &QCheckBox::stateChanged, this, &CTimeSliderFilterPopup::OnStateChanged);

    m_ok = new CPushButton(tr("OK"), this);
    m_cancel = new CPushButton(tr("Cancel"), this);
    m_ok->setMinimumWidth(80);
    m_cancel->setMinimumWidth(80);
    auto* buttons = new QHBoxLayout;
    buttons->setObjectName(QStringLiteral("horizontalLayout"));
    buttons->addItem(new QSpacerItem(40, 20, QSizePolicy::Expanding, QSizePolicy::Minimum));
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    grid->addLayout(buttons, 1, 0);
    connect(m_ok, &QPushButton::clicked, this, &CTimeSliderFilterPopup::OnClickOkBtn);
    connect(m_cancel, &QPushButton::clicked, this, &CTimeSliderFilterPopup::OnClickCancelBtn);

    setStyleSheet(
        QStringLiteral("QFrame{border-style: solid; border-width: 1px; border-color: rgb(0, 0, 0); border-radius: 1px; "
                       "background-color: rgb(33, 33, 33); padding: 0px;}QCheckBox{color:rgb(255, 255, 255);}"));
}

CTimeSliderFilterPopup::~CTimeSliderFilterPopup() = default;

QList<QCheckBox*> CTimeSliderFilterPopup::ItemBoxes() const
{
    QList<QCheckBox*> boxes;
    for (const auto& item : m_items)
        boxes.append(item.first);
    return boxes;
}

QAbstractButton* CTimeSliderFilterPopup::OkButton() const
{
    return m_ok;
}
QAbstractButton* CTimeSliderFilterPopup::CancelButton() const
{
    return m_cancel;
}

void CTimeSliderFilterPopup::AddFilterItem(const QIcon& icon, const QString& text, int id)
{
    QString shown = text;
    const int amp = shown.indexOf(QLatin1Char('&'));
    if (amp >= 0)
        shown.insert(amp, QLatin1Char('&'));
    auto* box = new QCheckBox(shown, this);
    connect(box, &QCheckBox::stateChanged, this, &CTimeSliderFilterPopup::OnFilterStateChanged);
    box->setIcon(icon);
    m_items.append({box, id});
    box->setChecked(true);
    const int n = m_form->count() + 1;
    m_form->setWidget(n / 2, n % 2 == 0 ? QFormLayout::LabelRole : QFormLayout::FieldRole, box);
    m_saved.append(id);
}

void CTimeSliderFilterPopup::ClearFilterItems()
{
    for (const auto& item : std::as_const(m_items)) {
        m_form->removeWidget(item.first);
        delete item.first;
    }
    m_items.clear();
    m_saved.clear();
    // Rows left empty by the removed boxes would keep their spacing.
    while (m_form->rowCount() > 1)
        m_form->removeRow(m_form->rowCount() - 1);
}

bool CTimeSliderFilterPopup::IsEmpty() const
{
    return m_form->count() < 2;
}

void CTimeSliderFilterPopup::OnStateChanged(int state)
{
    if (state == Qt::PartiallyChecked) {
        m_all->setCheckState(Qt::Checked);
        return;
    }
    for (const auto& item : std::as_const(m_items)) {
        const QSignalBlocker block(item.first);
        item.first->setChecked(state == Qt::Checked);
    }
}

void CTimeSliderFilterPopup::OnFilterStateChanged()
{
    int checked = 0;
    for (const auto& item : std::as_const(m_items))
        if (item.first->isChecked())
            ++checked;
    Qt::CheckState all = Qt::PartiallyChecked;
    if (checked == int(m_items.size()))
        all = Qt::Checked;
    else if (checked == 0)
        all = Qt::Unchecked;
    const QSignalBlocker block(m_all);
    m_all->setCheckState(all);
}

void CTimeSliderFilterPopup::OnClickOkBtn()
{
    QList<int> ids;
    for (const auto& item : std::as_const(m_items))
        if (item.first->isChecked())
            ids.append(item.second);
    m_saved = ids;
    emit SignalFilter(ids);
    hide();
}

void CTimeSliderFilterPopup::OnClickCancelBtn()
{
    for (const auto& item : std::as_const(m_items))
        if (m_saved.contains(item.second))
            item.first->setChecked(true);
    hide();
}

void CTimeSliderFilterPopup::mousePressEvent(QMouseEvent* event)
{
    if (!geometry().contains(event->globalPosition().toPoint())) {
        setAttribute(Qt::WA_NoMouseReplay);
        OnClickCancelBtn();
    }
}
