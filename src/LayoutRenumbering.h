// The edits of a ButtonLayout that follow the ids of buttons: finding an
// entry, moving ids, and taking a removed button out with the later ids
// renumbered, so that every other button keeps its entries.
#pragma once

#include <cstdint>
#include <string>

#include "CommandBarLayout.h"

namespace commandbar {

/// Index of the first entry that carries the command id `id`; -1 when none.
std::int32_t FindEntry(const LayoutBytes& layout, std::int32_t id);

/// Which way MoveIds moves ids.
enum class IdStep { Down = -1, Up = 1 };

/// Moves the id of every entry with an id from `first` to `last` one step;
/// an id that would leave the byte that holds it stays. Returns how many
/// entries moved. Wide bounds: a record's numbers may be anything.
int MoveIds(LayoutBytes& layout, std::int64_t first, std::int64_t last, IdStep step);

/// The ids a removal changes: `removedId` goes, and the `laterCount` ids
/// above it each move one down.
struct IdShift {
  std::int32_t removedId;
  std::int32_t laterCount;
};

/// What one removal edit did.
struct LayoutEdit {
  int removed = 0;
  int renumbered = 0;
};

/// Takes the entries of `shift.removedId` out and moves each later id one
/// down, so that every other button keeps its entries. Every other byte
/// stays where it was; bytes after the last whole entry go.
LayoutEdit RemoveButtonEntries(LayoutBytes& layout, const IdShift& shift);

// ---- The removal's fix ------------------------------------------------------

/// What FixCurrentUsersLayout found and did.
struct LayoutFix {
  LayoutFound found;  // Bytes: edited (written where anything changed)
  LayoutEdit edit;
};

/// Applies `shift` to the current user's ButtonLayout under BinaryOnly
/// rules: read once, edited, written once where anything changed.
LayoutFix FixCurrentUsersLayout(const IdShift& shift);

}  // namespace commandbar
