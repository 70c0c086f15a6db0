#include "widgets/CheckStates.h"

namespace CheckStates {

int Summary(const QList<uint>& states)
{
    bool notChecked = false;
    bool checked = false;
    for (uint s : states) {
        if (s == 0 || s == 1)
            notChecked = true;
        else if (s == 2)
            checked = true;
    }
    if (notChecked && checked)
        return 1;
    if (notChecked)
        return 0;
    return 2;
}

}  // namespace CheckStates
