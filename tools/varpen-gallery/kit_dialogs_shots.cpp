// Shots of the kit's dialogs, notices, tool tips and buttons, one per class (and per face).
#include "tools/varpen-gallery/Gallery.h"

#include "widgets/CBaseDialog.h"
#include "widgets/CFileDialog.h"
#include "widgets/CInformationDlg.h"
#include "widgets/CPathComboBox.h"
#include "widgets/CProgress.h"
#include "widgets/CPushButton.h"
#include "widgets/CSpeedButton.h"
#include "widgets/CToolTip.h"
#include "widgets/CWarnDlg.h"
#include "widgets/ChaseDialog.h"
#include "widgets/SnapShotDialog.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QVBoxLayout>

namespace {

const QString kMovie = QStringLiteral(":/images/Loading.gif");

// A picture like a snapshot of a camera, written once into the temporary folder.
QString SamplePicture()
{
    const QString path = QDir::temp().filePath(QStringLiteral("varpen-gallery/20240305/CH01_20240305101500.jpg"));
    if (!QFileInfo::exists(path)) {
        QDir().mkpath(QFileInfo(path).path());
        QImage image(704, 576, QImage::Format_RGB32);
        QPainter p(&image);
        QLinearGradient sky(0, 0, 0, 576);
        sky.setColorAt(0, QColor(0x6d, 0x9c, 0xc8));
        sky.setColorAt(0.6, QColor(0xb8, 0xc8, 0xd0));
        sky.setColorAt(0.61, QColor(0x55, 0x5b, 0x52));
        sky.setColorAt(1, QColor(0x3a, 0x3e, 0x38));
        p.fillRect(image.rect(), sky);
        p.setBrush(QColor(0x8a, 0x6f, 0x55));
        p.setPen(Qt::NoPen);
        p.drawRect(80, 200, 220, 150);
        p.drawRect(400, 160, 200, 190);
        p.setPen(Qt::white);
        QFont f(QStringLiteral("Arial"), 20);
        p.setFont(f);
        p.drawText(20, 40, QStringLiteral("2024-03-05 10:15:00  CH01"));
        p.end();
        image.save(path, "JPG");
    }
    return path;
}

QWidget* Dialog(bool bottom)
{
    auto* d = new CBaseDialog(nullptr, bottom, bottom, bottom);
    d->SetTitle(QCoreApplication::translate("KitDialogsGallery", "Information"));
    auto* label = new QLabel(QCoreApplication::translate("KitDialogsGallery", "The content frame of a dialog."));
    label->setAlignment(Qt::AlignCenter);
    d->SetContentWidget(label);
    d->ShowCloseBtn(true);
    return d;
}

QWidget* Warn(const QString& title, const QString& text, bool question)
{
    auto* d = new CWarnDlg(nullptr);
    d->AdjustWidthToText(text);
    d->ShowCloseBtn(true);
    d->SetBottomVisible(question);
    d->SetTitleAndText(title, text);
    return d;
}

QWidget* Notice(const QString& text, bool link)
{
    auto* n = new CInformationDlg(nullptr);
    n->SetLinkMode(link);
    n->SetText(text);
    return n;
}

QWidget* SnapshotNotice()
{
    auto* n = new CSnapshotInfoWnd(nullptr);
    n->SetSnapshot(SamplePicture());
    return n;
}

QWidget* ToolTip()
{
    // A label of the tool tip, as CToolTip::showText makes it, owned by the gallery.
    auto* label =
        new CToolLabel(QCoreApplication::translate("KitDialogsGallery", "Please input the file path."), nullptr);
    label->setObjectName(QStringLiteral("ctooltip_label"));
    return label;
}

QWidget* Chase(bool cancel)
{
    return new ChaseDialog(nullptr, kMovie,
                           cancel ? QCoreApplication::translate("KitDialogsGallery", "Search...")
                                  : QCoreApplication::translate("KitDialogsGallery", "Writing..."),
                           cancel);
}

QWidget* FakeChase(bool channels)
{
    auto* d = new CFakeChaseDialog(nullptr, kMovie);
    if (channels)
        d->ShowChaseInfo();
    else
        d->ShowNoChannelInfo();
    return d;
}

QWidget* Progress()
{
    auto* d = new CProgress(nullptr);
    d->OnProgressChanged(2, 5);
    return d;
}

QWidget* FileDialog()
{
    // The frame as CFileDialog's static functions build it.
    auto* frame = new CFileDialog(nullptr);
    QFileDialog* files = frame->EmbedFileDialog();
    frame->SetTitle(QCoreApplication::translate("KitDialogsGallery", "Select Directory"));
    files->setDirectory(QFileInfo(SamplePicture()).path() + QStringLiteral("/.."));
    files->setFileMode(QFileDialog::Directory);
    files->setOptions(QFileDialog::ShowDirsOnly | QFileDialog::DontConfirmOverwrite | QFileDialog::ReadOnly |
                      QFileDialog::DontUseNativeDialog);
    return frame;
}

QWidget* PathBox()
{
    auto* w = new QWidget;
    auto* layout = new QVBoxLayout(w);
    auto* box = new CPathComboBox(w);
    box->SetPathMode(CPathComboBox::SaveFile);
    box->SetFileFilter(QStringLiteral("XML(*.xml)"));
    box->addItem(QDir::temp().filePath(QStringLiteral("varpen-gallery/DeviceLog.xml")));
    box->setMinimumWidth(320);
    layout->addWidget(new QLabel(QCoreApplication::translate("KitDialogsGallery", "Save to:")));
    layout->addWidget(box);
    w->resize(360, 80);
    return w;
}

QWidget* Viewer()
{
    auto* d = new SnapShotDialog(nullptr);
    d->setAttribute(Qt::WA_DeleteOnClose, false);
    d->show();  // the picture is fitted to the label's size on screen
    d->SetImagePath(SamplePicture());
    return d;
}

QWidget* Buttons(int kind)
{
    auto* w = new QWidget;
    auto* layout = new QHBoxLayout(w);
    if (kind == 0) {
        layout->addWidget(new CPushButton(QCoreApplication::translate("KitDialogsGallery", "Search"), w));
        auto* disabled = new CPushButton(QCoreApplication::translate("KitDialogsGallery", "Download"), w);
        disabled->setEnabled(false);
        layout->addWidget(disabled);
    } else if (kind == 1) {
        layout->addWidget(new CDelayButton(QStringLiteral("<"), w));
        layout->addWidget(new CDelayButton(QStringLiteral(">"), w));
    } else {
        for (int speed : {-3, 0, 3}) {
            auto* dial = new CSpeedButton(w);
            dial->setFixedSize(100, 30);
            dial->setIconSize(QSize(150, 50));
            dial->SetDisabled(kind == 3);
            dial->SetSpeed(speed);
            layout->addWidget(dial);
        }
    }
    w->resize(360, 60);
    return w;
}

const Gallery::Register kKitDialogShots{
    {QStringLiteral("CBaseDialog"), [] { return Dialog(true); }},
    {QStringLiteral("CBaseDialog-plain"), [] { return Dialog(false); }},
    {QStringLiteral("CWarnDlg"),
     [] {
         return Warn(QCoreApplication::translate("KitDialogsGallery", "Error"),
                     QCoreApplication::translate("KitDialogsGallery", "DownLoad Exception."), false);
     }},
    {QStringLiteral("CWarnDlg-question"),
     [] {
         return Warn(QCoreApplication::translate("KitDialogsGallery", "Confirm"),
                     QCoreApplication::translate("KitDialogsGallery", "Sure to close software"), true);
     }},
    {QStringLiteral("CWarnDlg-long"),
     [] {
         return Warn(QCoreApplication::translate("KitDialogsGallery", "Information"),
                     QCoreApplication::translate(
                         "KitDialogsGallery",
                         "The folder of the clips has less free space than the clip package size needs. Free some "
                         "space on that disk or choose another folder in the settings, then try again. Recordings "
                         "already saved are kept. The file /home/op/Videos/Varpen/Clip/<20240305>/CH01 & CH02.mp4 "
                         "was not written."),
                     false);
     }},
    {QStringLiteral("CInformationDlg"),
     [] { return Notice(QCoreApplication::translate("KitDialogsGallery", "Save successful."), false); }},
    {QStringLiteral("CInformationDlg-link"),
     [] {
         return Notice(QDir::temp().filePath(QCoreApplication::translate("KitDialogsGallery",
                                                                         "varpen-gallery/20240305/clip <1> & 2.mp4")),
                       true);
     }},
    {QStringLiteral("CSnapshotInfoWnd"), SnapshotNotice},
    {QStringLiteral("CToolTip"), ToolTip},
    {QStringLiteral("ChaseDialog"), [] { return Chase(true); }},
    {QStringLiteral("ChaseDialog-writing"), [] { return Chase(false); }},
    {QStringLiteral("CFakeChaseDialog"), [] { return FakeChase(true); }},
    {QStringLiteral("CFakeChaseDialog-nochannel"), [] { return FakeChase(false); }},
    {QStringLiteral("CProgress"), Progress},
    {QStringLiteral("CFileDialog"), FileDialog},
    {QStringLiteral("CPathComboBox"), PathBox},
    {QStringLiteral("SnapShotDialog"), Viewer},
    {QStringLiteral("CPushButton"), [] { return Buttons(0); }},
    {QStringLiteral("CDelayButton"), [] { return Buttons(1); }},
    {QStringLiteral("CSpeedButton"), [] { return Buttons(2); }},
    {QStringLiteral("CSpeedButton-disabled"), [] { return Buttons(3); }},
};

}  // namespace
