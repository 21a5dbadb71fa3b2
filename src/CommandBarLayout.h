// The current user's ButtonLayout value, the one place that knows its rules:
// one reader that sorts what it finds, pure edits over its bytes, and one
// writer. The install run, the per-user agent, the removal and the inspector
// all go through it; where their rules differ, the difference is a
// `LayoutRules` choice.
//
// A layout is a run of 4-byte entries: the command id, a flag, two zero
// bytes. An empty layout stands for the browser's default command bar.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "BrowserRegistry.h"
#include "RegistryAccessor.h"

namespace commandbar {

/// The bytes of a layout value.
using LayoutBytes = std::vector<std::uint8_t>;

/// Bytes per entry: the command id, a flag, two zero bytes.
inline constexpr std::size_t kEntrySize = browserreg::kLayoutEntrySize;
/// The flag an install run gives its entry: shown.
inline constexpr std::int32_t kShownFlag = 1;

// ---- Reading ----------------------------------------------------------------

/// Whose rules a read follows.
enum class LayoutRules {
  /// The install run's: the key is created where it is missing; a value of
  /// any type but text or number is read as binary (a text list through the
  /// code page); a text, a number or more than kLayoutCapacity bytes raise
  /// the accessor's ERegistryException, and so does a failed read. An absent
  /// value and an empty one both read as no bytes.
  InstallRun,
  /// What the install run would make of the value, sorted and never raised,
  /// the key left as it stands: for the inspector.
  InstallRunSorted,
  /// The agent's and the removal's: they edit only what an install run
  /// itself writes, REG_BINARY of whole entries within kLayoutCapacity.
  BinaryOnly,
};

/// What a read found, sorted once.
enum class LayoutFound {
  KeyMissing,    // no CommandBar key
  KeyRefused,    // the key cannot be opened with the accessor's rights (or created)
  ValueMissing,  // the key has no ButtonLayout value
  Unreadable,    // the value changed while it was read, or its read failed
  WrongType,     // a type the rules refuse
  TooLong,       // more than kLayoutCapacity bytes
  PartialEntry,  // not a whole number of entries
  Bytes,         // a layout that may be edited
};

/// Whether an edit may start from what was found: a layout of whole
/// entries, or none at all (which the browser shows as its default).
constexpr bool IsEditable(LayoutFound found) {
  return found == LayoutFound::Bytes || found == LayoutFound::ValueMissing ||
         found == LayoutFound::KeyMissing;
}

/// A read's result. `bytes` holds the value for Bytes, and also for TooLong
/// and PartialEntry where the rules read them.
struct LayoutRead {
  LayoutFound found;
  RegistryValueInfo info;  // type and size as queried; left empty under InstallRun
  LayoutBytes bytes;
  std::string unreadable;  // the accessor's message, for Unreadable
};

/// Reads the current user's ButtonLayout through `registry` (a fresh
/// accessor; its rights decide what counts as refused). Where the key
/// opens, it stays open on `registry` for WriteLayout.
LayoutRead ReadLayout(RegistryAccessor& registry, LayoutRules rules);

// ---- Writing ----------------------------------------------------------------

/// Writes `bytes` as the ButtonLayout value (REG_BINARY) through
/// `registry`: on the key ReadLayout left open on it, or, on an accessor
/// without an open key, on the CommandBar key opened or created now. False
/// when that key can be neither opened nor created; a refused write raises.
bool WriteLayout(RegistryAccessor& registry, const LayoutBytes& bytes);

// ---- Pure edits -------------------------------------------------------------

/// Byte offset of entry `entryIndex` in a layout of `layoutLength` bytes,
/// clamped to the offset of the last entry: an insertion never goes behind
/// the last entry.
std::int32_t ClampedEntryOffset(std::int32_t entryIndex, std::int32_t layoutLength);

/// Inserts the entry (low byte of `commandId`, low byte of `flag`, 0, 0) at
/// `entryIndex` as an install run does: an empty layout is first the
/// browser's default one, and the index is clamped (ClampedEntryOffset, and
/// never before the first entry). Bytes after the last whole entry stay last.
void InsertEntry(LayoutBytes& layout, std::int32_t entryIndex, std::int32_t commandId,
                 std::int32_t flag);

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
  std::string unreadable;  // the accessor's message, for Unreadable
};

/// Applies `shift` to the current user's ButtonLayout under BinaryOnly
/// rules: read once, edited, written once where anything changed.
LayoutFix FixCurrentUsersLayout(const IdShift& shift);

}  // namespace commandbar
