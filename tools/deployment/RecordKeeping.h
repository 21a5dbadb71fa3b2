// The one rule that joins the install record and the removal record: a
// finished removal ends the record of the install it removed. Both records
// are written here where that rule applies, so that each record's own file
// knows nothing of the other.
#pragma once

#include "EventStamp.h"

/// Records the install whose machine part now stands, stamped `stamp`,
/// unless a sound record of it stands: a repair or an upgrade keeps the
/// record of the install it repairs, and a record that a finished removal
/// failed to delete belongs to no later install. `newInstall`: the button
/// did not count before the machine part was written; else the record is
/// adopted.
void RecordInstall(const EventStamp& stamp, bool newInstall);

/// Marks the planned removal done, once the button's key is gone, and
/// deletes the record of the install it removed with it.
void FinishRemoval(const EventStamp& planned);
