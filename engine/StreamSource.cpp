#include "engine/StreamSource.h"

#include "engine/Logging.h"
#include "engine/RecordIndex.h"
#include "platform/diskrec/DiskTime.h"
#include "platform/diskrec/diskrec.h"

#include <QDebug>

namespace Varpen {

CStreamSource::CStreamSource() = default;

CStreamSource::~CStreamSource()
{
    Stop();
}

void CStreamSource::SetDataCallback(DataCallback callback, void* user)
{
    m_callback = callback;
    m_user = user;
}

void CStreamSource::SetUseIndex(bool useIndex)
{
    m_useIndex = useIndex;
    if (!m_index) {
        m_index = std::make_unique<RecordIndex>();
    }
}

bool CStreamSource::OpenByFile(const char* fileName)
{
    Stop();
    m_handleIsIndex = false;
    if (!fileName || !m_callback) {
        return false;
    }
    if (!m_useIndex) {
        m_handle = DR_FILE_GetStreamByFile(fileName, m_blockKiB, 0, m_callback, m_user);
        if (m_handle == -1) {
            qCWarning(lcEngine, "--qarn-- DR_FILE_GetStreamByFile Failed error = %d", DR_FILE_GetLastError());
        }
    } else if (m_index) {
        m_handle = RBS_GetStreamByFile(fileName, m_blockKiB, 0, m_callback, m_user);
        m_handleIsIndex = true;
        if (m_handle == -1) {
            qCWarning(lcEngine, "--qarn-- RBS_GetStreamByFile Failed");
        }
    }
    return IsOpen();
}

bool CStreamSource::OpenByTime(const CSingleFile& file, int channel)
{
    Stop();
    m_handleIsIndex = false;
    if (!m_callback) {
        return false;
    }
    const RecordTime start = BreakTime(file.GetStartTime());
    const RecordTime end = BreakTime(file.GetEndTime());
    if (!m_useIndex) {
        const DR_DiskPath disk{file.GetPath().c_str(), {0, 0, 0}};
        const DR_DateTime b = ToDiskTime(start);
        const DR_DateTime e = ToDiskTime(end);
        m_handle = DR_FILE_GetStreamByTime(&disk, &b, &e, channel + 1, m_blockKiB, m_callback, m_user);
    } else if (m_index) {
        m_handle =
            RBS_GetStreamByTime(file.GetName().c_str(), start.Fields(), end.Fields(), m_blockKiB, m_callback, m_user);
        m_handleIsIndex = true;
    }
    return IsOpen();
}

bool CStreamSource::SetPosByTime(int year, int month, int day, int hour, int minute, int second)
{
    if (!IsOpen()) {
        return false;
    }
    if (!m_handleIsIndex) {
        const DR_DateTime t{year, month, day, hour, minute, second};
        qCDebug(lcEngine, "--qarn-- DR_FILE_SetPosByTime Start");
        const int result = DR_FILE_SetPosByTime(m_handle, &t);
        if (result == 0) {
            qCWarning(lcEngine, "--qarn-- DR_FILE_SetPosByTime Failed error = %d", DR_FILE_GetLastError());
        }
        qCDebug(lcEngine, "--qarn-- DR_FILE_SetPosByTime Stop");
        return result != 0;
    }
    const int t[6] = {year, month, day, hour, minute, second};
    if (!RBS_SetPosByTime(m_handle, t)) {
        qCWarning(lcEngine, "--qarn-- RBS_SetPosByTime Failed");
        return false;
    }
    return true;
}

int CStreamSource::GetPos() const
{
    if (!IsOpen()) {
        return 0;
    }
    if (!m_handleIsIndex) {
        return DR_FILE_GetPos(m_handle);
    }
    return m_index ? RBS_GetPos(m_handle) : -1;
}

void CStreamSource::Stop()
{
    if (!IsOpen()) {
        return;
    }
    if (!m_handleIsIndex) {
        DR_FILE_Stop(m_handle);
    } else {
        RBS_Stop(m_handle);
    }
    m_handle = -1;
}

}  // namespace Varpen
