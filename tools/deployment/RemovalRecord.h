// What a removal leaves for the users who were not there: one record under
// the machine hive, which the agent applies to each user's layout.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "EventStamp.h"
#include "LayoutRenumbering.h"

struct RemovalRecord {
  EventStamp stamp;    // none: no removal finished
  EventStamp planned;  // above `stamp` while a removal is unfinished
  std::int32_t removedId = 0;
  std::int32_t removedPosition = 0;     // in `buttonKeys`, where the button stood
  std::vector<std::string> buttonKeys;  // the same-class buttons left after it
  EventStamp install;  // the install it removed; none when not recorded (the
                       // removal then reaches every user it has not reached)
  std::string damage;  // why nothing may be applied from it (a link in its place
                       // included); empty when it is sound

  commandbar::IdShift Shift() const;
};

/// The machine's record, its key opened as itself. Each value has one type
/// and range (ids 16 to 255, a position within the recorded keys, stamps of
/// four numbers below 65536); a record that breaks them, or a link in its
/// place, is damaged, and says so.
RemovalRecord ReadRemovalRecord();

/// Records what a removal is about to do, with the stamp it is to have,
/// before the button's key goes, so that a run stopped after that can finish
/// the removal. The stamp the agent reads stays as it stood: a removal that
/// removed nothing raises none. `install` is the recorded install it
/// removes (none when unknown).
void WriteRemovalPlan(std::int32_t removedId, std::int32_t removedPosition,
                      const std::vector<std::string>& buttonKeys, const EventStamp& install,
                      const EventStamp& planned);
/// Marks the planned removal done, once the button's key is gone.
void MarkRemovalDone(const EventStamp& planned);
