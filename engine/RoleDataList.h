// A small keyed list of values by integer role, in insertion order with unique roles.
#pragma once

#include <QVariant>
#include <QVector>

class CRoleDataList {
public:
    struct Entry {
        Entry() = default;
        Entry(int r, const QVariant& v) : role(r), value(v) {}
        int role = 0;
        QVariant value;
    };

    // Absent role: appended (also with an invalid value). Present role: removed when `value` is
    // invalid, otherwise replaced unless equal.
    void SetData(const QVariant& value, int role);
    // The value under `role`, or an invalid QVariant.
    QVariant Data(int role) const;

    int Count() const { return static_cast<int>(m_entries.size()); }
    const QVector<Entry>& Entries() const { return m_entries; }

private:
    QVector<Entry> m_entries;  // implicitly shared: copies share until written
};
