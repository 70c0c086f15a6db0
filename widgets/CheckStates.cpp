#include "widgets/CheckStates.h"

#include <QtCore/qnamespace.h>

namespace CheckStates {

int Summary(const QList<uint>& states)
{
    bool notChecked = false;
    bool checked = false;
    for (uint s : states) {
        if (s == uint(Qt::Unchecked) || s == uint(Qt::PartiallyChecked))
            notChecked = true;
        else if (s == uint(Qt::Checked))
            checked = true;
    }
    if (notChecked && checked)
        return Qt::PartiallyChecked;
    if (notChecked)
        return Qt::Unchecked;
    return Qt::Checked;
}

}  // namespace CheckStates
