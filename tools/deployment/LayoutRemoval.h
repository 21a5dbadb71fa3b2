// Takes a removed button out of the current user's ButtonLayout: its entries
// go, and each later button of its class, now one id lower, keeps its
// entries under the new id. Every other byte stays where it was.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

/// The ids a removal changes: `removedId` goes, and the `laterCount` ids
/// above it each move one down.
struct IdShift {
  std::int32_t removedId;
  std::int32_t laterCount;
};

/// What one layout edit did.
struct LayoutEdit {
  int removed = 0;
  int renumbered = 0;
};

/// Edits a layout image in place. The caller has checked its shape.
LayoutEdit RemoveButtonEntries(std::vector<std::uint8_t>& layout, const IdShift& shift);

enum class LayoutFixResult {
  Edited,    // written back (or nothing in it needed a change)
  NoLayout,  // no CommandBar key or no ButtonLayout value: nothing to fix
  Refused,   // not REG_BINARY, not whole entries or too long: left as it is
};

struct LayoutFix {
  LayoutFixResult result;
  LayoutEdit edit;
  std::string refusal;  // why a layout was left alone, for the reader
};

/// Applies the shift to the current user's ButtonLayout value.
LayoutFix FixCurrentUsersLayout(const IdShift& shift);

/// The current user's ButtonLayout value as an editor sees it.
struct CurrentLayout {
  std::string refusal;              // why it is to be left alone; empty when it may be edited
  std::vector<std::uint8_t> bytes;  // empty also when there is none
};
CurrentLayout ReadCurrentUsersLayout();

/// Whether an entry of `layout` carries the command id `id`.
bool HasEntryWithId(const std::vector<std::uint8_t>& layout, std::int32_t id);
