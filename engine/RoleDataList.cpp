#include "engine/RoleDataList.h"

void CRoleDataList::SetData(const QVariant& value, int role)
{
    for (int i = 0; i < m_entries.size(); ++i) {
        if (m_entries.at(i).role != role) {
            continue;
        }
        if (!value.isValid()) {
            m_entries.remove(i);
        } else if (m_entries.at(i).value.metaType() != value.metaType() || m_entries.at(i).value != value) {
            m_entries[i].value = value;
        }
        return;
    }
    m_entries.append(Entry(role, value));
}

QVariant CRoleDataList::Data(int role) const
{
    for (const Entry& e : m_entries) {
        if (e.role == role) {
            return e.value;
        }
    }
    return QVariant();
}
