#include "playback/DataDistributionThread.h"

#include <QDateTime>
#include <QMetaType>
#include <QMutexLocker>
#include <QtDebug>

#include "app/CommonUtil.h"
#include "app/ThreadHandOver.h"
#include "playback/Logging.h"

CDataDistributionThread::CDataDistributionThread(const Varpen::SingleFileList& files, QObject* parent)
    : QThread(parent), m_files(files)
{
    qRegisterMetaType<QList<QStandardItem*>>("QList<QStandardItem*>");
    qCDebug(lcPlayback, "--qarn-- Download Init File: %d", int(m_files.size()));
}

CDataDistributionThread::~CDataDistributionThread()
{
    ReleaseWait();
    wait();
    ThreadHandOver::Joined(this);
}

void CDataDistributionThread::Start()
{
    if (isRunning())
        return;
    {
        QMutexLocker guard(&m_lock);
        m_released = false;
        m_sent = 0;
        m_taken = 0;
    }
    start(QThread::InheritPriority);
}

void CDataDistributionThread::OnStartNow()
{
    QMutexLocker guard(&m_lock);
    if (m_taken < m_sent)
        ++m_taken;
    m_wait.wakeOne();
}

void CDataDistributionThread::ReleaseWait()
{
    QMutexLocker guard(&m_lock);
    m_released = true;
    m_wait.wakeOne();
}

QString CDataDistributionThread::TimeText(time_t t)
{
    return QDateTime::fromSecsSinceEpoch(qint64(t)).toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}

QList<QStandardItem*> CDataDistributionThread::MakeRow(const Varpen::CSingleFile& file, int index)
{
    QList<QStandardItem*> row;
    auto cell = [&row](const QString& text) {
        auto* item = new QStandardItem(text);
        item->setEditable(false);
        row << item;
        return item;
    };
    QStandardItem* first = cell(QString::number(index + 1));
    first->setCheckable(true);
    first->setCheckState(Qt::Unchecked);
    first->setData(QVariant::fromValue<qulonglong>(file.GetSize()), kSizeRole);
    first->setData(index, kPositionRole);
    cell(TimeText(file.GetStartTime()));
    cell(TimeText(file.GetEndTime()));
    cell(CCommonUtil::FormatSize(quint64(file.GetSize())));
    cell(tr("Wait"));
    return row;
}

void CDataDistributionThread::run()
{
    const int count = int(m_files.size());
    for (int i = 0; i < count; ++i) {
        const QList<QStandardItem*> row = MakeRow(*m_files[size_t(i)], i);
        QMutexLocker guard(&m_lock);
        emit SignalProgressChanged(i, count);
        emit SignalSendItems(row);
        ++m_sent;
        // A wake that is not the owner's answer (spurious, or a stray OnStartNow) sends nothing.
        while (!m_released && m_taken < m_sent)
            ThreadHandOver::Wait(m_wait, m_lock);
    }
    emit SendFinished();
    ThreadHandOver::Leave(this);
}
