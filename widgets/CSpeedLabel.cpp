#include "widgets/CSpeedLabel.h"

#include <QGridLayout>
#include <QLabel>

CSpeedLabel::CSpeedLabel(QWidget* parent) : QWidget(parent)
{
    if (objectName().isEmpty())
        setObjectName(QStringLiteral("CSpeedLabelUi"));
    resize(108, 44);
    setWindowTitle(QStringLiteral("Form"));
    m_gridLayout = new QGridLayout(this);
    m_gridLayout->setObjectName(QStringLiteral("gridLayout"));
    m_gridLayout->setSpacing(0);
    m_gridLayout->setContentsMargins(0, 0, 0, 0);
    m_pLabel = new QLabel(this);
    m_pLabel->setObjectName(QStringLiteral("m_pLabel"));
    m_gridLayout->addWidget(m_pLabel, 0, 0, 1, 1);
}

CSpeedLabel::~CSpeedLabel() = default;

void CSpeedLabel::SetText(const QString& text)
{
    m_pLabel->setText(text);
}

void CSpeedLabel::SetAlignment(Qt::Alignment alignment)
{
    m_pLabel->setAlignment(alignment);
}
