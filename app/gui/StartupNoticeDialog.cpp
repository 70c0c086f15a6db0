#include "app/gui/StartupNoticeDialog.h"

#include <QCoreApplication>
#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {

class CStartupNoticeDialog : public QDialog {
public:
    CStartupNoticeDialog(const QString& title, const QString& text)
    {
        setObjectName(QStringLiteral("CStartupNoticeDialog"));
        setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
        setWindowTitle(title);
        setFixedSize(374, 184);

        auto* titleLabel = new QLabel(title, this);
        titleLabel->setObjectName(QStringLiteral("NoticeTitle"));
        titleLabel->setFixedHeight(33);
        auto* textLabel = new QLabel(text, this);
        textLabel->setObjectName(QStringLiteral("NoticeText"));
        textLabel->setAlignment(Qt::AlignCenter);
        textLabel->setWordWrap(true);
        auto* ok = new QPushButton(QCoreApplication::translate("CWarnDlg", "OK"), this);
        ok->setObjectName(QStringLiteral("NoticeOk"));
        ok->setDefault(true);
        connect(ok, &QPushButton::clicked, this, &QDialog::accept);

        auto* buttons = new QHBoxLayout;
        buttons->addStretch();
        buttons->addWidget(ok);
        buttons->addStretch();
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(12, 0, 12, 12);
        layout->addWidget(titleLabel);
        layout->addWidget(textLabel, 1);
        layout->addLayout(buttons);
    }
};

}  // namespace

void ShowStartupNoticeDialog(const QString& title, const QString& text)
{
    CStartupNoticeDialog dialog(title, text);
    bool ok = false;
    const int closeAfter_ms = qEnvironmentVariableIntValue("VARPEN_TEST_QUIT_AFTER_MS", &ok);
    if (ok && closeAfter_ms >= 0)
        QTimer::singleShot(closeAfter_ms, &dialog, &QDialog::accept);
    dialog.exec();
}
