// The current user's ButtonLayout value, the one place that knows its rules:
// one reader that sorts what it finds, pure edits over its bytes, and one
// writer. Where readers' rules differ, the difference is a `LayoutRules`
// choice. The edits that renumber ids are in
// LayoutRenumbering.h.
//
// A layout is a run of 4-byte entries: the command id, a flag, two zero
// bytes. An empty layout stands for the browser's default command bar.
#pragma once

#include <cstdint>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "BrowserRegistry.h"
#include "RegistryAccessor.h"

namespace commandbar {

/// The bytes of a layout value.
using LayoutBytes = std::vector<std::uint8_t>;

/// The entry size, under the name the edits use.
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
  /// the key left as it stands: a reader that only looks.
  InstallRunSorted,
  /// Only what an install run itself writes: REG_BINARY of whole entries
  /// within kLayoutCapacity, so that an editor never rewrites a value of
  /// another kind.
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
};

/// Opens the current user's CommandBar key on `registry`, creating it
/// (with every missing parent) when `create` holds; false when it can be
/// neither opened nor, where asked, created.
inline bool OpenLayoutKey(RegistryAccessor& registry, bool create) {
  registry.SelectHive(RegistryRoot::CurrentUser);
  return registry.OpenSubkey(browserreg::kCommandBarKey, create);
}

// What the install run uses is defined here, inline: the linker keeps
// every function of an object file it keeps anything of, and vorlinde.exe
// needs none of the sorting, which CommandBarLayout.cpp holds.
namespace detail {

// A constant array rather than a static vector: no guarded initialisation,
// which would bring the runtime's thread synchronisation into the program.
inline constexpr std::uint8_t kDefaultLayout[] = {
    0x07, 0x00, 0x00, 0x00, 0x01, 0x01, 0x00, 0x00, 0x03, 0x01, 0x00, 0x00, 0x04, 0x01,
    0x00, 0x00, 0x05, 0x01, 0x00, 0x00, 0x06, 0x01, 0x00, 0x00, 0x07, 0x01, 0x00, 0x00,
};

// The shape of bytes a type allowed reading.
inline LayoutFound Shape(const LayoutBytes& bytes) {
  if (bytes.size() > static_cast<std::size_t>(browserreg::kLayoutCapacity)) {
    return LayoutFound::TooLong;
  }
  return bytes.size() % kEntrySize == 0 ? LayoutFound::Bytes : LayoutFound::PartialEntry;
}

// The install run reads at most the capacity in one go, and lets the
// accessor raise for what it refuses; a key it cannot even create is refused.
// Of internal linkage, so that its one caller takes it in whole and the
// program carries no copy of its own.
static inline LayoutRead ReadAsInstallRun(RegistryAccessor& registry) {
  LayoutRead read{LayoutFound::KeyRefused, {false, RegistryValueType::None, 0}, {}};
  if (!OpenLayoutKey(registry, true)) return read;
  read.bytes.resize(browserreg::kLayoutCapacity);
  const std::int32_t length = registry.ReadBytes(browserreg::kLayoutValue, read.bytes.data(),
                                                 browserreg::kLayoutCapacity);
  read.bytes.resize(static_cast<std::size_t>(length));  // never above the capacity
  read.found = Shape(read.bytes);
  return read;
}

LayoutRead ReadSorted(RegistryAccessor& registry, LayoutRules rules, std::string* unreadable);

}  // namespace detail

/// Reads the current user's ButtonLayout through `registry` (a fresh
/// accessor; its rights decide what counts as refused). Where the key
/// opens, it stays open on `registry` for WriteLayout. Where a sorted read
/// finds the value Unreadable, `unreadable` (if given) receives the
/// accessor's message.
inline LayoutRead ReadLayout(RegistryAccessor& registry, LayoutRules rules,
                             std::string* unreadable = nullptr) {
  return rules == LayoutRules::InstallRun ? detail::ReadAsInstallRun(registry)
                                          : detail::ReadSorted(registry, rules, unreadable);
}

// ---- Writing ----------------------------------------------------------------

/// Writes `bytes` as the ButtonLayout value (REG_BINARY) on the CommandBar
/// key open on `registry` (by ReadLayout or OpenLayoutKey); a refused write
/// raises.
inline void WriteLayout(RegistryAccessor& registry, const LayoutBytes& bytes) {
  registry.WriteBytes(browserreg::kLayoutValue, bytes.data(),
                      static_cast<std::int32_t>(bytes.size()));
}

// ---- Pure edits -------------------------------------------------------------

/// Byte offset of entry `entryIndex` in a layout of `layoutLength` bytes,
/// clamped to the offset of the last entry: an insertion never goes behind
/// the last entry.
constexpr std::int32_t ClampedEntryOffset(std::int32_t entryIndex, std::int32_t layoutLength) {
  const std::int64_t wanted = static_cast<std::int64_t>(kEntrySize) * entryIndex;
  const std::int64_t last = std::int64_t{layoutLength} - static_cast<std::int64_t>(kEntrySize);
  return static_cast<std::int32_t>(wanted < last ? wanted : last);
}

/// Inserts the entry (low byte of `commandId`, low byte of `flag`, 0, 0) at
/// `entryIndex` as an install run does: an empty layout is first the
/// browser's default one, and the index is clamped (ClampedEntryOffset, and
/// never before the first entry). Bytes after the last whole entry stay last.
inline void InsertEntry(LayoutBytes& layout, std::int32_t entryIndex, std::int32_t commandId,
                        std::int32_t flag) {
  if (layout.empty()) {
    layout.assign(std::begin(detail::kDefaultLayout), std::end(detail::kDefaultLayout));
  }
  const auto whole = static_cast<std::int32_t>(layout.size() - layout.size() % kEntrySize);
  const std::int32_t wanted = ClampedEntryOffset(entryIndex < 0 ? 0 : entryIndex, whole);
  const std::size_t offset = wanted < 0 ? 0 : static_cast<std::size_t>(wanted);  // under 4 bytes
  layout.resize(layout.size() + kEntrySize);
  // From the last byte downwards, so that no byte is overwritten before it moved.
  for (std::size_t i = layout.size() - 1; i >= offset + kEntrySize; --i) {
    layout[i] = layout[i - kEntrySize];
  }
  layout[offset] = static_cast<std::uint8_t>(commandId & 0xFF);
  layout[offset + 1] = static_cast<std::uint8_t>(flag & 0xFF);
  layout[offset + 2] = 0;
  layout[offset + 3] = 0;
}

}  // namespace commandbar
