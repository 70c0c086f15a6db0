// One recording span on the time line: begin, end (local time) and role-keyed values. The time
// line reads the record type's filter id under kRoleRecordType and the bar's brush under
// kRoleBrush (see RecordTypes.h).
#pragma once

#include "engine/RoleDataList.h"

#include <QDateTime>
#include <QList>
#include <QMap>
#include <QVariant>

class CTimeSegment {
public:
    CTimeSegment() = default;
    CTimeSegment(const QDateTime& begin, const QDateTime& end) : m_begin(begin), m_end(end) {}

    QDateTime Begin() const { return m_begin; }
    QDateTime End() const { return m_end; }

    void SetData(const QVariant& value, int role) { m_data.SetData(value, role); }
    // An invalid QVariant when the role is absent.
    QVariant GetData(int role) const { return m_data.Data(role); }

private:
    QDateTime m_begin;
    QDateTime m_end;
    CRoleDataList m_data;
};

// The segments of every row, keyed by row index.
using TimeSegmentRows = QMap<int, QList<CTimeSegment>>;
