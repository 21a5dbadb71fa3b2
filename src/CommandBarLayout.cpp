#include "CommandBarLayout.h"

#include <algorithm>
#include <iterator>

#include "Exceptions.h"

namespace commandbar {

namespace {

using browserreg::kCommandBarKey;
using browserreg::kLayoutCapacity;
using browserreg::kLayoutValue;

// A constant array rather than a static vector: no guarded initialisation,
// which would bring the runtime's thread synchronisation into the program.
constexpr std::uint8_t kDefaultLayout[] = {
    0x07, 0x00, 0x00, 0x00, 0x01, 0x01, 0x00, 0x00, 0x03, 0x01, 0x00, 0x00, 0x04, 0x01,
    0x00, 0x00, 0x05, 0x01, 0x00, 0x00, 0x06, 0x01, 0x00, 0x00, 0x07, 0x01, 0x00, 0x00,
};

constexpr auto kEntryBytes = static_cast<std::int32_t>(kEntrySize);

// A key that did not open: under the install run's rules it could not even
// be created; otherwise a read-only probe tells a missing key from a refused.
LayoutFound Unopened(RegistryAccessor& registry, LayoutRules rules) {
  if (rules == LayoutRules::InstallRun) return LayoutFound::KeyRefused;
  return registry.ProbeSubkey(kCommandBarKey) == KeyPresence::Missing ? LayoutFound::KeyMissing
                                                                      : LayoutFound::KeyRefused;
}

// The shape of bytes a type allowed reading.
LayoutFound Shape(const LayoutBytes& bytes) {
  if (bytes.size() > static_cast<std::size_t>(kLayoutCapacity)) return LayoutFound::TooLong;
  return bytes.size() % kEntrySize == 0 ? LayoutFound::Bytes : LayoutFound::PartialEntry;
}

// The install run reads at most the capacity in one go, and lets the
// accessor raise for what it refuses.
LayoutRead ReadAsInstallRun(RegistryAccessor& registry) {
  LayoutRead read{
      LayoutFound::Bytes, {false, RegistryValueType::None, 0}, LayoutBytes(kLayoutCapacity, 0), {}};
  const std::int32_t length = registry.ReadBytes(kLayoutValue, read.bytes.data(), kLayoutCapacity);
  read.bytes.resize(static_cast<std::size_t>(length));
  read.found = Shape(read.bytes);
  return read;
}

// An install run refuses only texts and numbers; the agent takes only binary.
bool TypeAccepted(RegistryValueType type, LayoutRules rules) {
  if (rules == LayoutRules::BinaryOnly) return type == RegistryValueType::Binary;
  return !IsTextType(type) && type != RegistryValueType::Number;
}

LayoutRead ReadSorted(RegistryAccessor& registry, LayoutRules rules) {
  const RegistryValueInfo info = registry.QueryValue(kLayoutValue);
  if (!info.exists) return {LayoutFound::ValueMissing, info, {}, {}};
  if (!TypeAccepted(info.type, rules)) return {LayoutFound::WrongType, info, {}, {}};
  LayoutRead read{LayoutFound::Bytes, info, LayoutBytes(info.size), {}};
  try {
    const std::int32_t length =
        registry.ReadBytes(kLayoutValue, read.bytes.data(), static_cast<std::int32_t>(info.size));
    read.bytes.resize(static_cast<std::size_t>(length));
  } catch (const ERegistryException& e) {
    return {LayoutFound::Unreadable, info, {}, e.Message()};
  }
  read.found = Shape(read.bytes);
  return read;
}

}  // namespace

LayoutRead ReadLayout(RegistryAccessor& registry, LayoutRules rules) {
  registry.SelectHive(RegistryRoot::CurrentUser);
  if (!registry.OpenSubkey(kCommandBarKey, rules == LayoutRules::InstallRun)) {
    return {Unopened(registry, rules), {false, RegistryValueType::None, 0}, {}, {}};
  }
  return rules == LayoutRules::InstallRun ? ReadAsInstallRun(registry)
                                          : ReadSorted(registry, rules);
}

bool WriteLayout(RegistryAccessor& registry, const LayoutBytes& bytes) {
  registry.SelectHive(RegistryRoot::CurrentUser);  // keeps a key open on this hive
  if (!registry.HasOpenKey() && !registry.OpenSubkey(kCommandBarKey, true)) return false;
  registry.WriteBytes(kLayoutValue, bytes.data(), static_cast<std::int32_t>(bytes.size()));
  return true;
}

// ---- Pure edits -------------------------------------------------------------

std::int32_t ClampedEntryOffset(std::int32_t entryIndex, std::int32_t layoutLength) {
  const std::int64_t wanted = std::int64_t{kEntryBytes} * entryIndex;
  return static_cast<std::int32_t>(std::min<std::int64_t>(wanted, layoutLength - kEntryBytes));
}

void InsertEntry(LayoutBytes& layout, std::int32_t entryIndex, std::int32_t commandId,
                 std::int32_t flag) {
  if (layout.empty()) layout.assign(std::begin(kDefaultLayout), std::end(kDefaultLayout));
  const auto whole = static_cast<std::int32_t>(layout.size() - layout.size() % kEntrySize);
  const std::int32_t offset = std::max(0, ClampedEntryOffset(entryIndex, whole));
  const std::uint8_t entry[kEntrySize] = {static_cast<std::uint8_t>(commandId & 0xFF),
                                          static_cast<std::uint8_t>(flag & 0xFF), 0, 0};
  layout.insert(layout.begin() + offset, std::begin(entry), std::end(entry));
}

std::int32_t FindEntry(const LayoutBytes& layout, std::int32_t id) {
  for (std::size_t at = 0; at + kEntrySize <= layout.size(); at += kEntrySize) {
    if (layout[at] == id) return static_cast<std::int32_t>(at / kEntrySize);
  }
  return -1;
}

int MoveIds(LayoutBytes& layout, std::int64_t first, std::int64_t last, IdStep step) {
  int moved = 0;
  for (std::size_t at = 0; at + kEntrySize <= layout.size(); at += kEntrySize) {
    const std::int32_t id = layout[at];
    const std::int32_t to = id + static_cast<std::int32_t>(step);
    if (id < first || id > last || to < 0 || to > browserreg::kLargestCommandId) continue;
    layout[at] = static_cast<std::uint8_t>(to);
    ++moved;
  }
  return moved;
}

LayoutEdit RemoveButtonEntries(LayoutBytes& layout, const IdShift& shift) {
  LayoutEdit edit;
  LayoutBytes kept;
  kept.reserve(layout.size());
  for (std::size_t at = 0; at + kEntrySize <= layout.size(); at += kEntrySize) {
    const auto entry = layout.begin() + static_cast<std::ptrdiff_t>(at);
    if (*entry == shift.removedId) {
      ++edit.removed;
    } else {
      kept.insert(kept.end(), entry, entry + kEntryBytes);
    }
  }
  edit.renumbered = MoveIds(kept, std::int64_t{shift.removedId} + 1,
                            std::int64_t{shift.removedId} + shift.laterCount, IdStep::Down);
  layout.swap(kept);
  return edit;
}

LayoutFix FixCurrentUsersLayout(const IdShift& shift) {
  RegistryAccessor registry;
  LayoutRead layout = ReadLayout(registry, LayoutRules::BinaryOnly);
  if (layout.found != LayoutFound::Bytes) return {layout.found, {}, layout.unreadable};
  const LayoutEdit edit = RemoveButtonEntries(layout.bytes, shift);
  if (edit.removed + edit.renumbered > 0) WriteLayout(registry, layout.bytes);
  return {LayoutFound::Bytes, edit, {}};
}

}  // namespace commandbar
