// What a removal leaves for the users who were not there: one record under
// the machine hive, the Active Setup component that runs their fix-up, and
// each user's own note that their layout was fixed for it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "LayoutRemoval.h"

struct RemovalRecord {
  std::uint32_t serial;                // 0: no removal recorded
  std::int32_t removedId;
  std::int32_t removedPosition;        // in `buttonKeys`, where the button stood
  std::vector<std::string> buttonKeys; // the same-class buttons left after it

  IdShift Shift() const;
};

/// The machine's record; serial 0 when there is none.
RemovalRecord ReadRemovalRecord();
/// Writes the record of a new removal, its serial one above the last.
/// Raises when the registry refuses.
RemovalRecord WriteRemovalRecord(std::int32_t removedId, std::int32_t removedPosition,
                                 const std::vector<std::string>& buttonKeys);

/// This user's note of the last removal their layout was fixed for (0: none)
/// and what came of it.
struct UserRemovalNote {
  std::uint32_t serial;
  std::string outcome;
};
UserRemovalNote ReadUserRemovalNote();
/// Notes that this user is done with removal `serial`, also in Active Setup's
/// per-user copy, so that the logon fix-up does not run again for them.
/// Raises when the note cannot be written.
void WriteUserRemovalNote(std::uint32_t serial, const std::string& outcome);

/// Registers the fix-up `stubPath` with Active Setup for removal `serial`.
void RegisterFixUp(const std::string& stubPath, std::uint32_t serial);
/// Takes the per-user placement out of Active Setup, so that no later logon
/// places the removed button again; true when there was one.
bool UnregisterPlacement();
