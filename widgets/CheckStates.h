// Check-state arithmetic shared by the header box and the tree's propagation.
#pragma once

#include <QList>

namespace CheckStates {

// The box state (a Qt::CheckState) that sums up rows: partly checked when some rows are checked
// and some are not (unchecked or partly); unchecked when none is checked; checked otherwise, also
// for no rows. Values that are no check state count for neither.
int Summary(const QList<uint>& states);

}  // namespace CheckStates
