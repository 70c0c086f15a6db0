// Check-state arithmetic shared by the header box and the tree's propagation.
#pragma once

#include <QList>

namespace CheckStates {

// The box state that sums up rows: 1 (partly) when some rows are checked (2) and some are not
// (0 or 1); 0 when none is checked; 2 otherwise, also for no rows. Other values count for neither.
int Summary(const QList<uint>& states);

}  // namespace CheckStates
