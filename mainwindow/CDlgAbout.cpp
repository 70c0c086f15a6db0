#include "mainwindow/CDlgAbout.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>

#ifndef VARPEN_BUILD_DATE
#define VARPEN_BUILD_DATE __DATE__
#endif

CDlgAbout::CDlgAbout(QWidget* parent) : CBaseDialog(parent, false, false, false)
{
    QFrame* frame = GetContentFrame();
    if (frame->objectName().isEmpty())
        frame->setObjectName(QStringLiteral("CDlgAboutClass"));
    frame->resize(353, 137);
    m_pGridLayout = new QGridLayout(frame);
    m_pGridLayout->setObjectName(QStringLiteral("gridLayout"));
    m_pGridLayout->setSpacing(6);
    m_pGridLayout->setContentsMargins(11, 11, 11, 11);
    m_pLabelAbout = new QLabel(frame);
    m_pLabelAbout->setObjectName(QStringLiteral("pLabelAbout"));
    QFont font = m_pLabelAbout->font();
    font.setPointSize(13);
    m_pLabelAbout->setFont(font);
    m_pLabelAbout->setAlignment(Qt::AlignCenter);
    m_pGridLayout->addWidget(m_pLabelAbout, 0, 0, 1, 1);

    setFixedSize(400, 200);
    ShowCloseBtn(true);
    Retranslate();
}

CDlgAbout::~CDlgAbout() = default;

void CDlgAbout::Retranslate()
{
    GetContentFrame()->setWindowTitle(QCoreApplication::translate("CDlgAboutClass", "About"));
    SetTitle(tr("About"));
    m_pLabelAbout->setText(tr("Local Playback Software") + QStringLiteral("\n") + QStringLiteral(" v2.00.00.04") +
                           QStringLiteral(" Build") + QString::number(GetBuildDate()));
}

void CDlgAbout::changeEvent(QEvent* e)
{
    if (e->type() == QEvent::LanguageChange && m_pLabelAbout)
        Retranslate();
    CBaseDialog::changeEvent(e);
}

QString CDlgAbout::BuildDateText()
{
    return QStringLiteral(VARPEN_BUILD_DATE);
}

unsigned CDlgAbout::GetBuildDate()
{
    return BuildDateNumber(BuildDateText());
}

unsigned CDlgAbout::BuildDateNumber(const QString& text)
{
    if (text.size() < 11)
        return 0;
    static const char* const kMonths[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    QString month = text.mid(0, 3);
    for (int i = 0; i < 12; ++i) {
        if (month == QLatin1String(kMonths[i])) {
            month = QString::asprintf("%02d", i + 1);
            break;
        }
    }
    bool dayOk = false;
    const uint day = text.mid(4, 2).trimmed().toUInt(&dayOk, 10);
    if (!dayOk)
        return 0;
    const QString joined = text.mid(7, 4) + month + QString::asprintf("%02u", day);
    bool ok = false;
    const uint number = joined.toUInt(&ok, 10);
    return ok ? number : 0;
}
