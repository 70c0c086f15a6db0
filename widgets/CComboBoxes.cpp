#include "widgets/CComboBoxes.h"

#include <QHeaderView>
#include <QTreeView>

CComboBox::CComboBox(QWidget* parent) : QComboBox(parent)
{
    connect(this, &QComboBox::editTextChanged, this, &CComboBox::OnTextChanged);
    connect(this, &QComboBox::currentTextChanged, this, &CComboBox::OnTextChanged);
}

CComboBox::~CComboBox() = default;

void CComboBox::OnTextChanged(const QString& strText)
{
    setToolTip(strText);
}

void CComboBox::mousePressEvent(QMouseEvent* event)
{
    QComboBox::mousePressEvent(event);
}

TreeBox::TreeBox(QWidget* parent) : CComboBox(parent), m_treeView(new QTreeView(this))
{
    m_treeView->setHeaderHidden(true);
    setView(m_treeView);
}

TreeBox::~TreeBox() = default;

void TreeBox::ExpandAll()
{
    m_treeView->expandAll();
}

void TreeBox::mousePressEvent(QMouseEvent* event)
{
    CComboBox::mousePressEvent(event);
}

CScheduleComBoBox::CScheduleComBoBox(QWidget* parent) : QComboBox(parent) {}
CScheduleComBoBox::~CScheduleComBoBox() = default;

void CScheduleComBoBox::showPopup()
{
    emit ShowDialog();
}
